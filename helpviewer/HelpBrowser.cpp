#include "helpviewer/HelpBrowser.h"

#include "helpviewer/ChmFile.h"

#include <QDesktopServices>

const QString HelpBrowser::kScheme = QStringLiteral("help");

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::follow);
}

QVariant HelpBrowser::loadResource(int /*type*/, const QUrl& name)
{
    const QUrl url = source().resolved(name);
    if (!m_file || url.scheme() != kScheme)
        return {};
    const std::optional<QByteArray> bytes = m_file->read(url.path());
    return bytes ? QVariant(*bytes) : QVariant();
}

void HelpBrowser::follow(const QUrl& link)
{
    const QUrl url = source().resolved(link);
    if (url.scheme() == kScheme)
        setSource(url);
    else if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http") ||
             url.scheme() == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}
