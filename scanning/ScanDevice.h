#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

// One scanner as the scanning control sees it, below which SANE (or a test's stand-in) works.
// Every call may block (a scanner answers slowly); the control calls them off the window's
// thread, one at a time, except cancel(), which may come from any thread meanwhile.
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

    // Which samples a frame carries.
    enum class Channels
    {
        Gray,
        Rgb,
        // One colour of an RGB page scanned in three passes; the three frames make one page.
        Red,
        Green,
        Blue,
    };

    // The layout of one frame's bytes.
    struct Frame
    {
        QSize size;           // in pixels; a height of -1 when the device does not know it yet
        int bytesPerLine = 0; //
        int depth = 8;        // bits per sample: 1, 8 or 16 (16-bit samples in host byte order)
        Channels channels = Channels::Gray;
        bool last = true; // the last frame of its page
        // The frame's size in bytes; -1 when the height is unknown.
        qint64 bytes() const
        {
            return size.height() < 0 ? -1 : qint64(bytesPerLine) * size.height();
        }
    };

    virtual ~ScanDevice() = default;

    // The sources the device offers ("Flatbed", "Automatic Document Feeder", ...); empty when it
    // has no choice of source.
    virtual QStringList sources() = 0;
    // The source chosen now (one of sources()); empty when there is no choice.
    virtual QString source() = 0;
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

    // The device's own words for the last status that was not Good.
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
