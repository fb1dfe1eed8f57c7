#include "common/PathHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QChar PathSeparator()
{
    return QDir::separator();
}

QString WithTrailingBackslash(const QString& path)
{
    if (path.isEmpty())
        return {};
    qsizetype first = 0;
    qsizetype last = path.size() - 1;
    while (first <= last && path.at(first).unicode() <= 32)
        ++first;
    while (last >= first && path.at(last).unicode() <= 32)
        --last;
    QString trimmed = path.mid(first, last - first + 1);
    if (trimmed.endsWith(PathSeparator()))
        return trimmed;
    return trimmed + PathSeparator();
}

QString ProgramFolder()
{
    const QString file = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    qsizetype cut = file.lastIndexOf(PathSeparator());
#ifdef Q_OS_WIN
    cut = std::max(cut, file.lastIndexOf(QLatin1Char(':')));
#endif
    return WithTrailingBackslash(file.left(cut + 1));
}

QString ProgramDataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    // Scanned pages and the program's own records are the user's alone.
    if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return WithTrailingBackslash(QDir::toNativeSeparators(folder));
}
