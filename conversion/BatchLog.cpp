#include "conversion/BatchLog.h"

#include "common/Clock.h"
#include "common/NativeNames.h"
#include "conversion/LogFileOpener.h"

#include <QLocale>
#include <QRegularExpression>

BatchLog::BatchLog(const Clock& clock, const LogFileOpener* files) : m_clock(clock), m_files(files)
{
}

bool BatchLog::open(const QString& path, QString* error)
{
    close();
    // The starting folder is one others may write to: the log is rewritten only when it is the
    // user's own plain file, never through a link planted in its place.
    QString why = QStringLiteral("no log can be written here");
    if (m_files)
        m_file = m_files->openForRewriting(path, &why);
    if (m_file)
        return true;
    if (error)
        *error = path + QStringLiteral(": ") + why;
    return false;
}

void BatchLog::close()
{
    m_file.reset();
}

void BatchLog::writeLine(const QString& line)
{
    if (!isOpen())
        return; // a log that could not be opened was reported then; the run goes on without
    // A file name with a line break in it stays on its line: it cannot forge another.
    const QByteArray bytes = EscapeControlCharacters(line).toUtf8() + "\r\n";
    if (m_file->write(bytes) != bytes.size() || !m_file->flush())
        throw BatchLogError("I/O error: " + m_file->errorString().toStdString());
}

QString BatchLog::stamp() const
{
    const QDateTime now = m_clock.now();
    const QLocale locale = QLocale::system();
    QString text = locale.toString(now.date(), QLocale::ShortFormat);
    if (now.time() != QTime(0, 0)) {
        // The long time format without the time zone Qt appends to it.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        text += QLatin1Char(' ') + locale.toString(now.time(), format.trimmed());
    }
    return text;
}
