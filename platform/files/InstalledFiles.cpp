#include "platform/files/InstalledFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The install layout, relative to the program's folder; the build system sets both from the
// folders it installs into.
#ifndef CORVANTA_HELPERS_FROM_PROGRAM
#error "CORVANTA_HELPERS_FROM_PROGRAM must name the helpers' folder relative to the program's"
#endif
#ifndef CORVANTA_DATA_FROM_PROGRAM
#error "CORVANTA_DATA_FROM_PROGRAM must name the data folder relative to the program's"
#endif

namespace {

QString inFolder(const QString& programFolder, const char* relative, const QString& name)
{
    return QDir::cleanPath(programFolder + '/' + QLatin1String(relative) + '/' + name);
}

QString beside(const QString& programFolder, const QString& name)
{
    return QDir::cleanPath(programFolder + '/' + name);
}

bool isProgram(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

} // namespace

QString InstalledProgram(const QString& name)
{
    return InstalledProgram(name, QCoreApplication::applicationDirPath());
}

QString InstalledProgram(const QString& name, const QString& programFolder)
{
    for (const QString& path : {inFolder(programFolder, CORVANTA_HELPERS_FROM_PROGRAM, name),
                                beside(programFolder, name)}) {
        if (isProgram(path))
            return path;
    }
    return {};
}

QString InstalledDataFile(const QString& name)
{
    return InstalledDataFile(name, QCoreApplication::applicationDirPath());
}

QString InstalledDataFile(const QString& name, const QString& programFolder)
{
    const QString installed = inFolder(programFolder, CORVANTA_DATA_FROM_PROGRAM, name);
    return QFileInfo(installed).isFile() ? installed : beside(programFolder, name);
}
