#include "platform/office/OfficeLocations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

QString FindProgram(const QString& name)
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + '/' + name);
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

QString DefaultOfficeProfile()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/office-profile");
}
