#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// One scanner as the scanning control sees it, below which SANE (or a test's stand-in) works.
// Every call may block (a scanner answers slowly); the control calls them off the window's
// thread, one at a time.
class ScanDevice
{
public:
    enum class Status
    {
        Good,
        NoDocuments, // the feeder is empty: the acquisition ends normally
        Cancelled,
        Failed, // errorText() says why, in the device's own words
    };

    // The layout of one frame's bytes.
    struct Frame
    {
        QSize size;           // in pixels
        int bytesPerLine = 0; //
        int depth = 8;        // bits per sample: 1, 8 or 16
        bool color = false;   // three samples per pixel (RGB), else one (gray)
        qint64 bytes() const { return qint64(bytesPerLine) * size.height(); }
    };

    virtual ~ScanDevice() = default;

    // The sources the device offers ("Flatbed", "Automatic Document Feeder", ...); empty when it
    // has no choice of source.
    virtual QStringList sources() = 0;
    virtual Status selectSource(const QString& source) = 0;
    // Whether the chosen source feeds several pages (a document feeder).
    virtual bool feedsPages() = 0;

    // Starts a frame and answers its layout.
    virtual Status start(Frame* frame) = 0;
    // Reads up to `max` bytes of the frame into `data`; an empty `data` with Good means the frame
    // is complete.
    virtual Status read(QByteArray* data, qsizetype max) = 0;
    // Ends the current frame (and a feeder's batch), from any thread.
    virtual void cancel() = 0;

    virtual QString errorText() const = 0;
};

// The scanners of this computer.
class ScanDevices
{
public:
    virtual ~ScanDevices() = default;

    // Opens the first scanner found (or the one named by the environment, as SANE allows);
    // nullptr when there is none, with the reason in `why`.
    virtual std::unique_ptr<ScanDevice> openFirst(QString* why) = 0;
};
