#include "office/OfficeLocations.h"

#include "platform/files/InstalledFiles.h"

#include <QStandardPaths>

QString FindProgram(const QString& name)
{
    const QString installed = InstalledProgram(name);
    return installed.isEmpty() ? QStandardPaths::findExecutable(name) : installed;
}

QString DefaultOfficeProfile()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/office-profile");
}
