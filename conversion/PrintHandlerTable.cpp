#include "conversion/PrintHandlerTable.h"

#include "conversion/IPrinter.h"
#include "conversion/ImageRoute.h"
#include "conversion/PictureCheck.h"

#include <QImageReader>
#include <QMimeDatabase>
#include <QTemporaryDir>

PrintHandlerTable::PrintHandlerTable(IPrinter& printer, DocumentRenderer& office,
                                     Imports officeImports, const PictureCheck& pictures,
                                     DocumentRenderer* drawings)
    : m_printer(printer), m_office(office), m_officeImports(std::move(officeImports)),
      m_pictures(pictures), m_drawings(drawings)
{
}

// A file is printed as what its bytes are, not as what its name says: others may have named it.
int PrintHandlerTable::print(const DocumentSource& document, const QString& title)
{
    const bool officeType = m_officeImports && m_officeImports(document.path);
    QImageReader reader(document.readable);
    const QByteArray format = reader.format();
    // Qt would draw an SVG drawing itself, following what it names anywhere on the disk; so would
    // it a flat office file, which it takes for one. The shared MIME database tells them apart.
    const bool svgBytes = QMimeDatabase()
                              .mimeTypeForFile(document.readable, QMimeDatabase::MatchContent)
                              .inherits(QStringLiteral("image/svg+xml"));
    const bool drawingFormat = IsDrawingFormat(format);
    if (svgBytes || (drawingFormat && !officeType)) {
        if (!m_drawings)
            return kNoAssociation;
        renderAndPrint(*m_drawings, document, title);
        return kStarted;
    }
    if (!format.isEmpty() && !drawingFormat) {
        printPicture(reader, document, title);
        return kStarted;
    }
    if (officeType) {
        renderAndPrint(m_office, document, title);
        return kStarted;
    }
    return kNoAssociation;
}

void PrintHandlerTable::renderAndPrint(DocumentRenderer& renderer, const DocumentSource& document,
                                       const QString& title)
{
    QTemporaryDir work;
    if (!work.isValid())
        throw RenderError(work.errorString().toStdString());
    const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
    renderer.renderToPdf(Route::Shell, document, pdf);
    if (!m_printer.printRenderedPdf(title, pdf))
        throw JobNotSaved(title.toStdString());
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
