#include "conversion/ImageRoute.h"

#include "conversion/DocumentRenderer.h"
#include "conversion/IPrinter.h"
#include "conversion/PicturePreview.h"
#include "conversion/RouteSelection.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/Dialogs.h"

#include <QImageReader>
#include <QTemporaryDir>

using namespace std::chrono_literals;

ImageRoute::ImageRoute(IPrinter& printer, PicturePreview& preview, Dialogs& dialogs, Clock& clock,
                       DocumentRenderer* metafiles)
    : m_printer(printer), m_preview(preview), m_dialogs(dialogs), m_clock(clock),
      m_metafiles(metafiles)
{
}

bool ImageRoute::isMetafile(const QString& path)
{
    const QString ending = path.right(4).toUpper();
    return ending == QLatin1String(".WMF") || ending == QLatin1String(".EMF");
}

void ImageRoute::reportLoadError(const QString& error)
{
    m_dialogs.message(QStringLiteral("Error loading Image ") + m_source + QLatin1Char(' ') + error);
}

bool ImageRoute::LoadImageDocument(const QString& path)
{
    if (!IsImageDocument(path))
        return false;
    m_image = QImage();
    m_size = QSize();
    m_source = path;
    m_metafile = false;
    m_preview.clearPicture();
    if (isMetafile(path) && m_metafiles) {
        // Drawn by the office when printed; a file it cannot read is reported then.
        m_metafile = true;
        return true;
    }

    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    QString error;
    if (format == "jpeg" || format == "png") {
        // The printer embeds these files as they are, so only their headers are read here;
        // the preview decodes the picture if someone looks at it.
        m_size = reader.size();
        if (m_size.isEmpty())
            error = reader.errorString();
        else
            m_preview.showPictureFile(path);
    } else if (reader.read(&m_image)) {
        m_size = m_image.size();
        m_preview.showPicture(m_image);
    } else {
        error = reader.errorString();
    }
    if (!error.isNull()) {
        reportLoadError(error);
        m_image = QImage();
        m_size = QSize();
    }
    return true;
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

bool ImageRoute::printMetafile(const QString& title)
{
    QTemporaryDir work;
    const QString pdf = work.filePath(QStringLiteral("picture.pdf"));
    try {
        m_metafiles->renderToPdf(Route::Image, m_source, pdf);
    } catch (const RenderError& error) {
        reportLoadError(QString::fromUtf8(error.what()));
        return false;
    }
    m_clock.pause(3000ms);
    return m_printer.printRenderedPdf(title, pdf);
}

bool ImageRoute::PrintLoadedImage(const QString& title)
{
    if (m_metafile) {
        if (printMetafile(title))
            return true;
        m_metafile = false; // as any unreadable picture: an empty page
        m_size = QSize();
    }
    IPrintCanvas* canvas = m_printer.beginDocument(title);
    if (!canvas)
        return false;
    if (!m_size.isEmpty())
        canvas->drawPicture(placement(m_size, canvas->pageSize()), m_source, m_image);
    m_clock.pause(3000ms);
    return m_printer.endDocument() && !m_size.isEmpty();
}

void ImageRoute::clearLoaded()
{
    m_image = QImage();
    m_size = QSize();
    m_metafile = false;
    m_source.clear();
    m_preview.clearPicture();
}
