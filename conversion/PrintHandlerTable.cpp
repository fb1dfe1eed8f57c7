#include "conversion/PrintHandlerTable.h"

#include "conversion/IPrinter.h"
#include "conversion/ImageRoute.h"
#include "conversion/PictureCheck.h"

#include <QImageReader>
#include <QTemporaryDir>

PrintHandlerTable::PrintHandlerTable(IPrinter& printer, DocumentRenderer& office,
                                     Imports officeImports, const PictureCheck& pictures)
    : m_printer(printer), m_office(office), m_officeImports(std::move(officeImports)),
      m_pictures(pictures)
{
}

int PrintHandlerTable::print(const DocumentSource& document, const QString& title)
{
    QImageReader reader(document.readable);
    if (!reader.format().isEmpty() && document.path.right(4).toUpper() != QLatin1String(".SVG")) {
        printPicture(reader, document, title);
        return kStarted;
    }
    if (m_officeImports && m_officeImports(document.path)) {
        QTemporaryDir work;
        const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
        m_office.renderToPdf(Route::Shell, document, pdf);
        if (!m_printer.printRenderedPdf(title, pdf))
            throw JobNotSaved(title.toStdString());
        return kStarted;
    }
    return kNoAssociation;
}

void PrintHandlerTable::printPicture(QImageReader& reader, const DocumentSource& document,
                                     const QString& title)
{
    QString error;
    // A JPEG or PNG under another name (".jpe", ".jfif") still goes into the PDF as its own
    // bytes, so its data is checked as on the picture route; Qt's decoder would paper over damage.
    const QByteArray format = reader.format();
    if (format == "jpeg" || format == "png")
        error = m_pictures.check(document.readable, {}).error;
    const QImage picture = error.isNull() ? ImageRoute::decodeBounded(reader, error) : QImage();
    IPrintCanvas* canvas = picture.isNull() ? nullptr : m_printer.beginDocument(title);
    if (!canvas) {
        const QString reason = picture.isNull() ? error : QStringLiteral("No print job started");
        throw RenderError(QStringLiteral("The picture %1 could not be printed. %2.")
                              .arg(document.path, reason)
                              .toStdString());
    }
    canvas->drawPicture(ImageRoute::placement(picture.size(), canvas->pageSize()),
                        document.readable, picture);
    if (!m_printer.endDocument())
        throw JobNotSaved(title.toStdString());
}
