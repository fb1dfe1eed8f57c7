#include "conversion/PrintHandlerTable.h"

#include "conversion/IPrinter.h"
#include "conversion/ImageRoute.h"

#include <QImageReader>
#include <QTemporaryDir>

PrintHandlerTable::PrintHandlerTable(IPrinter& printer, DocumentRenderer& office,
                                     Imports officeImports)
    : m_printer(printer), m_office(office), m_officeImports(std::move(officeImports))
{
}

int PrintHandlerTable::print(const QString& document, const QString& title)
{
    QImageReader reader(document);
    if (!reader.format().isEmpty() && document.right(4).toUpper() != QLatin1String(".SVG")) {
        if (!printPicture(document, title))
            throw RenderError(
                QStringLiteral("The picture %1 could not be printed.").arg(document).toStdString());
        return kStarted;
    }
    if (m_officeImports && m_officeImports(document)) {
        QTemporaryDir work;
        const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
        m_office.renderToPdf(Route::Shell, document, pdf);
        if (!m_printer.printRenderedPdf(title, pdf))
            throw JobNotSaved(title.toStdString());
        return kStarted;
    }
    return kNoAssociation;
}

bool PrintHandlerTable::printPicture(const QString& document, const QString& title)
{
    QImageReader reader(document);
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    IPrintCanvas* canvas = m_printer.beginDocument(title);
    if (!canvas)
        return false;
    canvas->drawPicture(ImageRoute::placement(picture.size(), canvas->pageSize()), document,
                        picture);
    if (!m_printer.endDocument())
        throw JobNotSaved(title.toStdString());
    return true;
}
