#include "conversion/ImageRoute.h"

#include "conversion/IPrinter.h"
#include "conversion/PicturePreview.h"
#include "conversion/RouteSelection.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/Dialogs.h"

#include <QImageReader>

using namespace std::chrono_literals;

namespace {
// About the size the Bulk Scan page shows a picture in.
const QSize kPreviewSize(427, 405);
} // namespace

ImageRoute::ImageRoute(IPrinter& printer, PicturePreview& preview, Dialogs& dialogs, Clock& clock)
    : m_printer(printer), m_preview(preview), m_dialogs(dialogs), m_clock(clock)
{
}

bool ImageRoute::LoadImageDocument(const QString& path)
{
    if (!IsImageDocument(path))
        return false;
    m_image = QImage();
    m_size = QSize();
    m_source = path;
    m_preview.clearPicture();

    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    QString error;
    if (format == "jpeg" || format == "png") {
        // The printer embeds these files as they are: decoding only the preview's size reads
        // the whole file (so a damaged one is caught) at a fraction of the cost.
        m_size = reader.size();
        reader.setScaledSize(m_size.scaled(kPreviewSize, Qt::KeepAspectRatio));
        const QImage preview = reader.read();
        if (preview.isNull() || m_size.isEmpty())
            error = reader.errorString();
        else
            m_preview.showPicture(preview);
    } else if (reader.read(&m_image)) {
        m_size = m_image.size();
        m_preview.showPicture(m_image);
    } else {
        error = reader.errorString();
    }
    if (!error.isNull()) {
        m_dialogs.message(QStringLiteral("Error loading Image ") + path + QLatin1Char(' ') + error);
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

bool ImageRoute::PrintLoadedImage(const QString& title)
{
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
    m_source.clear();
    m_preview.clearPicture();
}
