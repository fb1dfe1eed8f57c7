#include "scanning/ScanControl.h"

#include "scanning/ScanDevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>
#include <QTransform>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

Q_LOGGING_CATEGORY(lcScanning, "corvanta.scanning", QtInfoMsg)

namespace {

const char* const kNoScannerOpen = "No scanner is open.";
const char* const kAlreadyScanning = "A scan is already running.";
const char* const kNoSuchSource = "The scanner has no source %1.";
const char* const kNoSuchPage = "There is no scanned page %1.";
const char* const kBadAngle = "A page can only be turned by a multiple of 90 degrees.";
const char* const kEmptyPage = "The scanner sent a page without any lines.";
const char* const kBadLayout = "The scanner described its page in a way this program cannot read "
                               "(%1 bits per sample, %2 pixels, %3 bytes per line).";
const char* const kMixedFrames = "The scanner mixed gray and colour parts in one page.";
const char* const kNoMemory = "There is not enough memory for a page of %1 x %2 pixels.";

// Bytes asked of the device per read: small enough for a smooth progress, large enough that a
// fast scanner is not slowed by the calls.
constexpr qsizetype kChunk = qsizetype(128) * 1024;
// The window repaints its progress at most this often.
constexpr qint64 kProgressIntervalMs = 100;
// Lines a page of unknown height starts with; it doubles as the lines come.
constexpr int kFirstLines = 256;

using Frame = ScanDevice::Frame;
using Channels = ScanDevice::Channels;

int samplesPerPixel(const Frame& frame)
{
    return frame.channels == Channels::Rgb ? 3 : 1;
}

// Builds one page (a gray 8-bit or RGB 8-bit image) from its frames as their bytes arrive, line
// by line, so a page never sits in memory twice.
class PageAssembler
{
public:
    // Starts a frame; false, with `why`, for a layout it cannot build.
    bool begin(const Frame& frame, QString* why)
    {
        const qint64 samples = qint64(frame.size.width()) * samplesPerPixel(frame);
        const qint64 lineBytes = (samples * frame.depth + 7) / 8;
        // A line may be padded, but not to a size that only a broken device would announce.
        if ((frame.depth != 1 && frame.depth != 8 && frame.depth != 16) ||
            frame.size.width() <= 0 || frame.size.height() == 0 || frame.size.height() < -1 ||
            frame.bytesPerLine < lineBytes || frame.bytesPerLine > 2 * lineBytes + 4096) {
            *why = QString::fromLatin1(kBadLayout)
                       .arg(frame.depth)
                       .arg(frame.size.width())
                       .arg(frame.bytesPerLine);
            return false;
        }
        const bool gray = frame.channels == Channels::Gray;
        const QImage::Format format = gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
        if (!m_image.isNull() &&
            (m_image.format() != format || m_image.width() != frame.size.width())) {
            *why = QString::fromLatin1(kMixedFrames);
            return false;
        }
        m_frame = frame;
        m_line.clear();
        m_lines = 0;
        if (m_image.isNull()) {
            const int height = frame.size.height() > 0 ? frame.size.height() : kFirstLines;
            m_image = QImage(frame.size.width(), height, format);
            if (m_image.isNull()) {
                *why = QString::fromLatin1(kNoMemory).arg(frame.size.width()).arg(height);
                return false;
            }
            // White where a short frame leaves a gap (a channel pass that stopped early).
            m_image.fill(Qt::white);
        }
        return true;
    }

    // Takes the next bytes of the frame; false, with `why`, when the page cannot grow.
    bool add(const QByteArray& data, QString* why)
    {
        const qsizetype lineBytes = m_frame.bytesPerLine;
        qsizetype at = 0;
        if (!m_line.isEmpty()) {
            at = std::min(data.size(), lineBytes - m_line.size());
            m_line.append(data.constData(), at);
            if (m_line.size() < lineBytes)
                return true;
            if (!putLine(reinterpret_cast<const uchar*>(m_line.constData()), why))
                return false;
            m_line.clear();
        }
        for (; data.size() - at >= lineBytes; at += lineBytes) {
            if (!putLine(reinterpret_cast<const uchar*>(data.constData()) + at, why))
                return false;
        }
        m_line.append(data.constData() + at, data.size() - at);
        return true;
    }

    // Ends the frame; false, with `why`, when it brought no line at all.
    bool end(QString* why)
    {
        if (m_lines == 0) {
            *why = QString::fromLatin1(kEmptyPage);
            return false;
        }
        m_pageLines = std::max(m_pageLines, m_lines);
        return true;
    }

    // The page, as high as its frames' lines (a device may announce more than it sends).
    QImage take()
    {
        QImage page = m_pageLines == m_image.height()
                          ? m_image
                          : m_image.copy(0, 0, m_image.width(), m_pageLines);
        m_image = QImage();
        return page;
    }

private:
    bool putLine(const uchar* source, QString* why)
    {
        // Lines beyond the announced height: kept when the height was unknown, dropped otherwise.
        if (m_lines >= m_image.height()) {
            if (m_frame.size.height() > 0)
                return true;
            const int height = m_image.height() * 2;
            QImage grown = m_image.copy(0, 0, m_image.width(), height);
            if (grown.isNull()) {
                *why = QString::fromLatin1(kNoMemory).arg(m_image.width()).arg(height);
                return false;
            }
            m_image = std::move(grown);
        }
        uchar* target = m_image.scanLine(m_lines++);
        const int width = m_frame.size.width();
        switch (m_frame.channels) {
        case Channels::Gray:
            convert(source, width, target, 1, m_frame.depth == 1);
            break;
        case Channels::Rgb:
            convert(source, width * 3, target, 1, false);
            break;
        case Channels::Red:
            convert(source, width, target, 3, false);
            break;
        case Channels::Green:
            convert(source, width, target + 1, 3, false);
            break;
        case Channels::Blue:
            convert(source, width, target + 2, 3, false);
            break;
        }
        return true;
    }

    // Writes `count` samples as 8-bit values `stride` bytes apart. 16-bit samples keep their
    // high byte; 1-bit ones become 0 or 255, where a set bit of a gray line is black.
    void convert(const uchar* source, int count, uchar* target, int stride, bool setIsBlack) const
    {
        switch (m_frame.depth) {
        case 8:
            if (stride == 1) {
                std::memcpy(target, source, size_t(count));
                return;
            }
            for (int i = 0; i < count; ++i)
                target[qsizetype(i) * stride] = source[i];
            return;
        case 16:
            for (int i = 0; i < count; ++i) {
                quint16 sample;
                std::memcpy(&sample, source + qsizetype(2) * i, sizeof sample);
                target[qsizetype(i) * stride] = uchar(sample >> 8);
            }
            return;
        default: {
            const uchar set = setIsBlack ? 0 : 255;
            for (int i = 0; i < count; ++i) {
                const bool bit = (source[i / 8] >> (7 - i % 8)) & 1;
                target[qsizetype(i) * stride] = bit ? set : uchar(255 - set);
            }
        }
        }
    }

    Frame m_frame;
    QImage m_image;
    QByteArray m_line; // the bytes of a line not complete yet
    int m_lines = 0;   // lines of the current frame
    int m_pageLines = 0;
};

} // namespace

// One acquisition on a thread of its own. The thread owns no state of the control: it posts
// pages, progress and the end to the control's thread, which changes the buffer and raises the
// events there, in the order posted.
class TScanControl::Acquisition
{
public:
    Acquisition(TScanControl* control, ScanDevice* device, const QString& source)
        : m_control(control), m_device(device), m_source(source)
    {
    }

    void start()
    {
        m_thread.reset(QThread::create([this] { run(); }));
        m_thread->start();
    }

    // From any thread: the device is cancelled, so a blocking read returns.
    void stop()
    {
        m_stop = true;
        m_device->cancel();
    }

    void wait() { m_thread->wait(); }

private:
    template <typename F> void post(F&& call)
    {
        QMetaObject::invokeMethod(m_control, std::forward<F>(call), Qt::QueuedConnection);
    }

    void progress(int percent)
    {
        post([control = m_control, percent] { control->deliverProgress(percent); });
    }

    void run()
    {
        int code = NoError;
        QString text;
        if (!m_source.isEmpty() && m_device->selectSource(m_source) != ScanDevice::Status::Good) {
            code = DeviceFailed;
            text = m_device->errorText();
        }
        const bool feeder = code == NoError && m_device->feedsPages();
        for (int pages = 0; code == NoError && !m_stop;) {
            QImage page;
            const ScanDevice::Status status = scanPage(&page, &text);
            if (status == ScanDevice::Status::Good) {
                ++pages;
                post([control = m_control, page] { control->deliverPage(page); });
                if (!feeder)
                    break;
                continue;
            }
            // After a stop, whatever the device answers is the echo of its cancel. A feeder that
            // is empty from the start is worth the device's words, though.
            if (m_stop || (status == ScanDevice::Status::NoDocuments && pages > 0))
                text.clear();
            else
                code = DeviceFailed;
            break;
        }
        m_device->cancel(); // ends a feeder's batch
        if (code != NoError)
            qCWarning(lcScanning) << "Scanning ended:" << text;
        post([control = m_control, code, text] { control->deliverEnd(code, text); });
    }

    ScanDevice::Status scanPage(QImage* page, QString* why)
    {
        PageAssembler assembler;
        for (;;) {
            Frame frame;
            ScanDevice::Status status = m_device->start(&frame);
            if (status != ScanDevice::Status::Good) {
                *why = m_device->errorText();
                return status;
            }
            if (!assembler.begin(frame, why))
                return ScanDevice::Status::Failed;
            progress(0);
            const qint64 total = frame.bytes();
            qint64 done = 0;
            int reported = 0;
            QElapsedTimer sinceReport;
            sinceReport.start();
            for (QByteArray data;;) {
                status = m_device->read(&data, kChunk);
                if (m_stop)
                    return ScanDevice::Status::Cancelled;
                if (status != ScanDevice::Status::Good) {
                    *why = m_device->errorText();
                    return status;
                }
                if (data.isEmpty())
                    break;
                if (!assembler.add(data, why))
                    return ScanDevice::Status::Failed;
                done += data.size();
                const int percent = total > 0 ? int(std::min<qint64>(99, done * 100 / total)) : 0;
                if (percent > reported && sinceReport.elapsed() >= kProgressIntervalMs) {
                    reported = percent;
                    sinceReport.restart();
                    progress(percent);
                }
            }
            progress(100);
            if (!assembler.end(why))
                return ScanDevice::Status::Failed;
            if (frame.last)
                break;
        }
        *page = assembler.take();
        return ScanDevice::Status::Good;
    }

    TScanControl* const m_control;
    ScanDevice* const m_device;
    const QString m_source;
    std::atomic<bool> m_stop = false;
    std::unique_ptr<QThread> m_thread;
};

TScanControl::TScanControl(ScanDevices& devices, QObject* parent)
    : QObject(parent), m_devices(devices)
{
}

TScanControl::~TScanControl()
{
    endAcquisition(false);
}

int TScanControl::sourceCount() const
{
    return int(m_sources.size());
}

void TScanControl::setSourceIndex(int index)
{
    if (index < 0 || index >= m_sources.size()) {
        fail(BadRequest, QString::fromLatin1(kNoSuchSource).arg(index));
        return;
    }
    m_sourceIndex = index;
    succeed();
}

bool TScanControl::StartDevice()
{
    StopDevice();
    QString why;
    std::unique_ptr<ScanDevice> device = m_devices.openFirst(&why);
    if (!device) {
        m_openFailure = why;
        fail(NoScanner, why);
        return false;
    }
    m_sources = device->sources();
    m_sourceIndex = std::max(0, int(m_sources.indexOf(device->source())));
    m_device = std::move(device);
    qCInfo(lcScanning) << "Scanner opened, sources:" << m_sources;
    succeed();
    return true;
}

void TScanControl::StopDevice()
{
    endAcquisition(true);
    m_device.reset();
    m_openFailure.clear();
    m_sources.clear();
    m_sourceIndex = 0;
}

QString TScanControl::GetSourceName(int index) const
{
    return m_sources.value(index);
}

int TScanControl::Acquire()
{
    if (m_acquiring) {
        fail(Busy, QString::fromLatin1(kAlreadyScanning));
        return Busy;
    }
    if (!m_device) {
        fail(NoScanner,
             m_openFailure.isEmpty() ? QString::fromLatin1(kNoScannerOpen) : m_openFailure);
        return NoScanner;
    }
    // The previous acquisition has delivered its end; its thread is done or about to be.
    endAcquisition(false);
    m_acquisition =
        std::make_unique<Acquisition>(this, m_device.get(), m_sources.value(m_sourceIndex));
    m_acquiring = true;
    succeed();
    m_acquisition->start();
    return NoError;
}

QImage TScanControl::GetImage(int index) const
{
    return m_buffer.value(index);
}

QImage TScanControl::GetAcquiredImage() const
{
    return m_acquired;
}

bool TScanControl::RotateImage(int index, float angle, int /*flags*/)
{
    if (index < 0 || index >= m_buffer.size()) {
        fail(BadRequest, QString::fromLatin1(kNoSuchPage).arg(index));
        return false;
    }
    const double turns = double(angle) / 90.0;
    if (!std::isfinite(turns) || turns != std::round(turns)) {
        fail(BadRequest, QString::fromLatin1(kBadAngle));
        return false;
    }
    const int quarters = (int(std::fmod(turns, 4.0)) + 4) % 4;
    bool interrupt = false;
    emit OnProgress(Rotating, 0, 0, &interrupt);
    if (quarters != 0) {
        // Whole quarter turns move pixels exactly; nothing is resampled.
        m_buffer[index] = m_buffer[index].transformed(QTransform().rotate(90.0 * quarters));
    }
    emit OnProgress(Rotating, 100, 0, &interrupt);
    succeed();
    return true;
}

void TScanControl::fail(int code, const QString& text)
{
    m_lastErrorCode = code;
    m_lastErrorText = text;
}

void TScanControl::succeed()
{
    fail(NoError, QString());
}

void TScanControl::deliverPage(const QImage& page)
{
    m_buffer.append(page);
    m_acquired = page;
    emit OnPostScan(0);
}

void TScanControl::deliverProgress(int percent)
{
    bool interrupt = false;
    emit OnProgress(Scanning, percent, 1, &interrupt);
    if (interrupt && m_acquiring && m_acquisition)
        m_acquisition->stop();
}

void TScanControl::deliverEnd(int code, const QString& text)
{
    m_acquiring = false;
    fail(code, text);
    emit OnPostScan(AcquisitionEnded);
}

void TScanControl::endAcquisition(bool deliver)
{
    if (!m_acquisition)
        return;
    if (m_acquiring)
        m_acquisition->stop();
    m_acquisition->wait();
    m_acquisition.reset();
    if (deliver)
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (m_acquiring) {
        // Only when the end event could not be delivered (the destructor drops it).
        m_acquiring = false;
    }
}
