#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class ScanDevice;
class ScanDevices;
class QThread;

// The scanning control: opens a scanner, lists its sources, acquires pages into a buffer of its
// own (indexed from 0), hands out copies of buffered pages, rotates them, and reports through two
// events on the thread that made it (the window's). Acquisition runs on a thread of its own, so
// a slow scanner never blocks the window; pages arrive one by one through OnPostScan.
class TScanControl : public QObject
{
    Q_OBJECT

public:
    // What an OnProgress report is about.
    enum Action
    {
        Scanning = 1,
        Rotating = 2,
    };

    // lastErrorCode values.
    enum Error
    {
        NoError = 0,
        NoScanner = 1,    // no device is open, or none was found
        DeviceFailed = 2, // the device refused or broke off; lastErrorText has its own words
        Busy = 3,         // an acquisition is running
        BadRequest = 4,   // an argument out of range (an index, an angle)
    };

    // The OnPostScan flag of the acquisition's end (a page is 0).
    static constexpr int AcquisitionEnded = 1;

    explicit TScanControl(ScanDevices& devices, QObject* parent = nullptr);
    ~TScanControl() override;

    int sourceCount() const;
    int sourceIndex() const { return m_sourceIndex; }
    // Chooses the source the next acquisition scans from (an index into the source names); an
    // index out of range is ignored, with lastErrorCode BadRequest.
    void setSourceIndex(int index);
    int imageCount() const { return int(m_buffer.size()); }
    // 1: the pages come back as images (the only mode there is here).
    void setTransferMode(int mode) { m_transferMode = mode; }
    int transferMode() const { return m_transferMode; }
    // 0 when the last operation succeeded.
    int lastErrorCode() const { return m_lastErrorCode; }
    QString lastErrorText() const { return m_lastErrorText; }

    // Opens the first scanner and lists its sources; false (with lastErrorText) when there is
    // none. It waits for the system's list of scanners, which takes a moment when network
    // scanners are looked for.
    bool StartDevice();
    // Ends a running acquisition (its remaining pages and its end event are delivered before it
    // returns) and closes the scanner.
    void StopDevice();
    QString GetSourceName(int index) const;
    // Starts acquiring from the chosen source and returns at once; 0 when it started, else the
    // error code (nothing is delivered then). Every page arrives through OnPostScan(0); the end
    // comes as OnPostScan(AcquisitionEnded), with lastErrorCode 0 after a normal end (a feeder
    // that ran out of pages after at least one, or a stop that was asked for) and otherwise the
    // device's own words in lastErrorText. Pages scanned before an error stay in the buffer.
    int Acquire();
    // A copy of buffer image `index`; a null image when there is none.
    QImage GetImage(int index) const;
    // A copy of the image the last OnPostScan(0) brought.
    QImage GetAcquiredImage() const;
    // Turns buffer image `index` by `angle` degrees clockwise (multiples of 90, negative ones
    // turn the other way); false, with lastErrorText, when it cannot. `flags` is unused.
    bool RotateImage(int index, float angle, int flags);

signals:
    // flag 0: one image was added as the buffer's last entry; any other flag: the acquisition
    // ended (see lastErrorCode).
    void OnPostScan(int flag);
    // `percentComplete` 0 to 100 of the operation `action`; `interrupt` may be set to stop it
    // when `canInterrupt` is 1 (scanning: the acquisition ends as a stop that was asked for).
    // Scanning reports each frame from 0 (as the bytes arrive) to 100.
    void OnProgress(int action, int percentComplete, int canInterrupt, bool* interrupt);

private:
    class Acquisition;

    void fail(int code, const QString& text);
    void succeed();
    // On the control's thread, in the order the acquisition thread posted them.
    void deliverPage(const QImage& page);
    void deliverProgress(int percent);
    void deliverEnd(int code, const QString& text);
    // Stops and joins the acquisition thread; `deliver`: hand out what it posted meanwhile.
    void endAcquisition(bool deliver);

    ScanDevices& m_devices;
    std::unique_ptr<ScanDevice> m_device;
    QString m_openFailure; // why the last StartDevice found no scanner
    QStringList m_sources;
    int m_sourceIndex = 0;
    int m_transferMode = 1;
    int m_lastErrorCode = 0;
    QString m_lastErrorText;
    QList<QImage> m_buffer;
    QImage m_acquired;
    std::unique_ptr<Acquisition> m_acquisition;
    bool m_acquiring = false; // from Acquire until its end event is delivered
};
