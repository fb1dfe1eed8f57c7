#include "conversion/BatchLog.h"

#include "platform/clock/Clock.h"

#include <QLocale>
#include <QRegularExpression>

BatchLog::BatchLog(const Clock& clock) : m_clock(clock) {}

bool BatchLog::open(const QString& path, QString* error)
{
    close();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    if (error)
        *error = m_file.errorString();
    return false;
}

void BatchLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void BatchLog::writeLine(const QString& line)
{
    if (!m_file.isOpen())
        throw BatchLogError("I/O error 103");
    const QByteArray bytes = line.toUtf8() + "\r\n";
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw BatchLogError("I/O error: " + m_file.errorString().toStdString());
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
