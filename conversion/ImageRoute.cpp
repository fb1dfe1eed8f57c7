#include "conversion/ImageRoute.h"

#include "common/Clock.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/IPrinter.h"
#include "conversion/PictureCheck.h"
#include "conversion/PicturePreview.h"
#include "conversion/RouteTable.h"

#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

using namespace std::chrono_literals;

ImageRoute::ImageRoute(IPrinter& printer, PicturePreview& preview, Clock& clock,
                       const PictureCheck& check, DocumentRenderer* metafiles)
    : m_printer(printer), m_preview(preview), m_clock(clock), m_check(check), m_metafiles(metafiles)
{
}

bool ImageRoute::isMetafile(const QString& path)
{
    const QString ending = path.right(4).toUpper();
    return ending == QLatin1String(".WMF") || ending == QLatin1String(".EMF");
}

RouteResult ImageRoute::print(const DocumentSource& document, const QString& title,
                              Progress& progress)
{
    if (!LoadImageDocument(document))
        return RouteResult::unassociated();
    if (PrintLoadedImage(title, progress))
        return RouteResult::printed();
    return m_lastError.isEmpty() ? RouteResult::notSaved(m_printer.lastFailure())
                                 : RouteResult::failed(m_lastError);
}

bool ImageRoute::LoadImageDocument(const DocumentSource& document)
{
    const QString& path = document.path;
    if (!IsImageDocument(path))
        return false;
    m_image = QImage();
    m_size = QSize();
    m_source = document.readable;
    m_shown = path;
    m_lastError.clear();
    m_metafile = false;
    m_preview.clearPicture();
    if (isMetafile(path) && m_metafiles) {
        // Drawn by the office when printed; a file it cannot read is reported then.
        m_metafile = true;
        return true;
    }

    QImageReader reader(m_source);
    reader.setAutoTransform(false);
    QString error;
    if (IsDrawingFormat(reader.format()))
        error = kDrawingNotPicture;
    else
        m_size = load(reader, error);
    if (!error.isNull()) {
        m_lastError = error;
        m_image = QImage();
        m_size = QSize();
    }
    return true;
}

QSize ImageRoute::load(QImageReader& reader, QString& error)
{
    const QByteArray format = reader.format();
    if (format == "jpeg" || format == "png") {
        const CheckedPicture checked = checkSource();
        error = checked.error;
        if (!error.isNull())
            return {};
        if (checked.embeddedAsIs) {
            // The check's reduced picture, or else the file decoded when the preview is seen.
            if (checked.preview.isNull())
                m_preview.showPictureFile(m_source);
            else
                m_preview.showPicture(checked.preview);
            return checked.size;
        }
    }
    m_image = decodeBounded(reader, error);
    if (!m_image.isNull())
        m_preview.showPicture(m_image);
    return m_image.size();
}

void ImageRoute::prepare(const DocumentSource& document)
{
    if (m_metafiles && isMetafile(document.path))
        m_metafiles->prepare(Route::Image, document);
    const QString& path = document.readable;
    const QString ending = path.right(4).toUpper();
    const bool checked = ending == QLatin1String(".JPG") || ending == QLatin1String("JPEG") ||
                         ending == QLatin1String(".PNG");
    const QFileInfo file(path);
    if (!checked || m_ahead.contains(path) || !file.isFile())
        return;
    // The check holds no state: it may run beside the run's own work.
    Ahead ahead{std::async(std::launch::async,
                           [&check = m_check, path] { return check.check(path, kPreviewPanel); }),
                file.size(), file.lastModified()};
    m_ahead.emplace(path, std::move(ahead));
}

void ImageRoute::forgetPrepared()
{
    m_ahead.clear(); // waits for the checks still running
    if (m_metafiles)
        m_metafiles->forgetPrepared();
}

CheckedPicture ImageRoute::checkSource()
{
    const auto found = m_ahead.find(m_source);
    if (found != m_ahead.end()) {
        Ahead ahead = std::move(found->second);
        m_ahead.erase(found);
        CheckedPicture checked = ahead.check.get();
        const QFileInfo now(m_source);
        if (now.size() == ahead.size && now.lastModified() == ahead.modified)
            return checked;
    }
    return m_check.check(m_source, kPreviewPanel);
}

QImage ImageRoute::decodeBounded(QImageReader& reader, QString& error)
{
    const QSize size = reader.size();
    if (size.isValid()) {
        error = PixelBoundError(size.width(), size.height());
        if (!error.isNull())
            return {};
    }
    QImage image;
    if (!reader.read(&image))
        error = reader.errorString();
    else
        error = PixelBoundError(image.width(), image.height()); // a size only known now
    return error.isNull() ? image : QImage();
}

QRectF ImageRoute::placement(const QSize& picture, const QSizeF& page)
{
    if (picture.isEmpty())
        return {};
    if (picture.width() <= page.width() && picture.height() <= page.height())
        return QRectF(QPointF(0, 0), QSizeF(picture));
    const double scale = std::min(page.width() / picture.width(), page.height() / picture.height());
    return QRectF(0, 0, picture.width() * scale, picture.height() * scale);
}

bool ImageRoute::printMetafile(const QString& title, Progress& progress)
{
    QTemporaryDir work;
    const QString pdf = work.filePath(QStringLiteral("picture.pdf"));
    try {
        m_metafiles->renderToPdf(Route::Image, {m_shown, m_source}, pdf, progress);
    } catch (const RenderError& error) {
        m_lastError = QString::fromUtf8(error.what());
        return false;
    }
    m_clock.pause(3000ms);
    return m_printer.printRenderedPdf(title, pdf, progress);
}

bool ImageRoute::PrintLoadedImage(const QString& title, Progress& progress)
{
    if (m_metafile)
        return printMetafile(title, progress);
    if (m_size.isEmpty())
        return false; // reported when it was loaded
    IPrintCanvas* canvas = m_printer.beginDocument(title);
    if (!canvas)
        return false;
    canvas->drawPicture(placement(m_size, canvas->pageSize()), m_source, m_image);
    m_clock.pause(3000ms);
    return m_printer.endDocument(progress);
}

void ImageRoute::clearLoaded()
{
    m_image = QImage();
    m_size = QSize();
    m_metafile = false;
    m_source.clear();
    m_shown.clear();
    m_preview.clearPicture();
}
