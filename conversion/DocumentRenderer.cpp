#include "conversion/DocumentRenderer.h"

void MissingRenderer::renderToPdf(Route route, const DocumentSource& document, const QString&,
                                  Progress&)
{
    const char* kind = route == Route::Browser ? "web pages" : "office documents";
    throw RenderError(QStringLiteral("No renderer for %1 is available to print %2")
                          .arg(QString::fromLatin1(kind), document.path)
                          .toStdString());
}

RouteResult MissingRenderer::print(const DocumentSource&, const QString&, Progress&)
{
    return RouteResult::unassociated(); // no application is associated with the file type
}
