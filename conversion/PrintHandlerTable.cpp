#include "conversion/PrintHandlerTable.h"

#include "common/Progress.h"
#include "conversion/IPrinter.h"
#include "conversion/ImageRoute.h"
#include "conversion/PictureCheck.h"
#include "conversion/TextRoute.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>

PrintHandlerTable::PrintHandlerTable(IPrinter& printer, DocumentRenderer& office,
                                     Imports officeImports, const PictureCheck& pictures,
                                     DocumentRenderer* drawings, const EncodingDetector* encodings)
    : m_printer(printer), m_office(office), m_officeImports(std::move(officeImports)),
      m_pictures(pictures), m_drawings(drawings), m_encodings(encodings)
{
}

RouteResult PrintHandlerTable::print(const DocumentSource& document, const QString& title,
                                     Progress& progress)
{
    try {
        return printByContent(document, title, progress) ? RouteResult::printed()
                                                         : RouteResult::unassociated();
    } catch (const RunStopped&) {
        throw;
    } catch (const JobNotSaved&) {
        return RouteResult::notSaved(m_printer.lastFailure());
    } catch (const std::exception& error) {
        // The handler took the document but could not print it.
        return RouteResult::failed(QString::fromStdString(error.what()));
    }
}

void PrintHandlerTable::prepare(const DocumentSource& document)
{
    if (m_officeImports && m_officeImports(document.path, ContentOf(document)))
        m_office.prepare(Route::Shell, document);
}

void PrintHandlerTable::forgetPrepared()
{
    m_office.forgetPrepared();
}

// A file is printed as what its bytes are, not as what its name says: others may have named it.
bool PrintHandlerTable::printByContent(const DocumentSource& document, const QString& title,
                                       Progress& progress)
{
    const QMimeType content = ContentOf(document);
    const bool officeType = m_officeImports && m_officeImports(document.path, content);
    QImageReader reader(document.readable);
    const QByteArray format = reader.format();
    // Qt would draw an SVG drawing itself, following what it names anywhere on the disk: no
    // drawing is ever its to draw. It also takes any XML, a flat office file among them, for a
    // drawing; the shared MIME database tells drawings apart.
    const bool drawingFormat = IsDrawingFormat(format);
    if (content.inherits(QStringLiteral("image/svg+xml")))
        return renderDrawing(document, title, progress);
    if (!format.isEmpty() && !drawingFormat) {
        printPicture(reader, document, title, progress);
        return true;
    }
    if (officeType) {
        renderAndPrint(m_office, document, title, progress);
        return true;
    }
    // Markdown, KML, style sheets, sources: whatever the bytes show to be text is printed as
    // such, as a text editor would print it.
    if (content.inherits(QStringLiteral("text/plain"))) {
        printText(document, title, progress);
        return true;
    }
    // A compressed drawing: the database knows only that it is compressed.
    if (drawingFormat)
        return renderDrawing(document, title, progress);
    return false;
}

bool PrintHandlerTable::renderDrawing(const DocumentSource& document, const QString& title,
                                      Progress& progress)
{
    if (!m_drawings)
        return false;
    renderAndPrint(*m_drawings, document, title, progress);
    return true;
}

void PrintHandlerTable::printText(const DocumentSource& document, const QString& title,
                                  Progress& progress)
{
    try {
        if (!PrintTextDocument(m_printer, document.readable, title, TextLook::Editor, m_encodings,
                               progress))
            throw JobNotSaved(title.toStdString());
    } catch (const TextReadError& error) {
        throw RenderError(
            TextNotPrinted(document.path, QString::fromUtf8(error.what())).toStdString());
    }
}

void PrintHandlerTable::renderAndPrint(DocumentRenderer& renderer, const DocumentSource& document,
                                       const QString& title, Progress& progress)
{
    QTemporaryDir work;
    if (!work.isValid())
        throw RenderError(work.errorString().toStdString());
    const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
    renderer.renderToPdf(Route::Shell, document, pdf, progress);
    if (!m_printer.printRenderedPdf(title, pdf, progress))
        throw JobNotSaved(title.toStdString());
}

void PrintHandlerTable::printPicture(QImageReader& reader, const DocumentSource& document,
                                     const QString& title, Progress& progress)
{
    QString error;
    // A JPEG or PNG under another name (".jpe", ".jfif") still goes into the PDF as its own
    // bytes, so its data is checked as on the picture route; Qt's decoder would paper over damage.
    const QByteArray format = reader.format();
    if (format == "jpeg" || format == "png")
        error = m_pictures.check(document.readable, {}).error;
    // A fax or a document scanner's batch holds its pages in one TIFF: each gets a page. Other
    // formats' further images are frames of an animation, not pages. (Qt's TIFF reader finds
    // the pages after the first only once it was asked how many there are.)
    const int pages = format == "tiff" ? std::max(reader.imageCount(), 1) : 1;
    if (pages > kMaxPicturePages)
        throw pictureError(document,
                           QStringLiteral("It has more than %1 pages").arg(kMaxPicturePages));
    const QImage picture = error.isNull() ? ImageRoute::decodeBounded(reader, error) : QImage();
    IPrintCanvas* canvas = picture.isNull() ? nullptr : m_printer.beginDocument(title);
    if (!canvas)
        throw pictureError(document,
                           picture.isNull() ? error : QStringLiteral("No print job started"));
    canvas->drawPicture(ImageRoute::placement(picture.size(), canvas->pageSize()),
                        document.readable, picture);
    if (pages > 1)
        try {
            printFurtherPages(reader, *canvas, pages, picture.sizeInBytes(), progress);
        } catch (const RenderError& pageError) {
            m_printer.abortDocument();
            throw pictureError(document, QString::fromUtf8(pageError.what()));
        } catch (...) {
            m_printer.abortDocument();
            throw;
        }
    if (!m_printer.endDocument(progress))
        throw JobNotSaved(title.toStdString());
}

// The pages after the first, each decoded within the pixel bound; the pages the printer holds
// until it saves stay within kMaxPictureBytes together.
void PrintHandlerTable::printFurtherPages(QImageReader& reader, IPrintCanvas& canvas, int pages,
                                          qint64 heldBytes, Progress& progress)
{
    for (int page = 2; page <= pages; ++page) {
        if (!progress.advance(page - 1))
            throw RunStopped();
        QString error;
        const QImage picture =
            reader.jumpToNextImage() ? ImageRoute::decodeBounded(reader, error) : QImage();
        if (picture.isNull() && error.isEmpty())
            error = reader.errorString();
        if (picture.isNull())
            throw RenderError(QStringLiteral("Page %1: %2").arg(page).arg(error).toStdString());
        heldBytes += picture.sizeInBytes();
        if (heldBytes > kMaxPictureBytes)
            throw RenderError(QStringLiteral("Its pages hold more than %1 MB of picture data")
                                  .arg(kMaxPictureBytes >> 20)
                                  .toStdString());
        canvas.newPage();
        canvas.drawPicture(ImageRoute::placement(picture.size(), canvas.pageSize()), QString(),
                           picture);
    }
}

RenderError PrintHandlerTable::pictureError(const DocumentSource& document, const QString& reason)
{
    return RenderError(QStringLiteral("The picture %1 could not be printed. %2.")
                           .arg(document.path, reason)
                           .toStdString());
}
