#include "platform/desktop/Desktop.h"

#include <QDesktopServices>
#include <QUrl>

bool QtDesktop::openFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtDesktop::openUrl(const QString& address)
{
    return QDesktopServices::openUrl(QUrl(address));
}
