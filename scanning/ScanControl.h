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

    explicit TScanControl(ScanDevices& devices, QObject* parent = nullptr);
    ~TScanControl() override;

    int sourceCount() const;
    int sourceIndex() const { return m_sourceIndex; }
    // Chooses the source the next acquisition scans from (an index into the source names).
    void setSourceIndex(int index);
    int imageCount() const { return int(m_buffer.size()); }
    // 1: the pages come back as images (the only mode there is here).
    void setTransferMode(int mode) { m_transferMode = mode; }
    int transferMode() const { return m_transferMode; }
    // 0 when the last operation succeeded.
    int lastErrorCode() const { return m_lastErrorCode; }
    QString lastErrorText() const { return m_lastErrorText; }

    // Opens the first scanner; false (with lastErrorText) when there is none.
    bool StartDevice();
    void StopDevice();
    QString GetSourceName(int index) const;
    // Starts acquiring from the chosen source and returns at once; 0 when it started. Every
    // page arrives through OnPostScan(0); the end comes as OnPostScan with another flag (with
    // lastErrorCode 0 after a normal end, a feeder that ran out of pages included).
    int Acquire();
    // A copy of buffer image `index`; a null image when there is none.
    QImage GetImage(int index) const;
    // A copy of the image the last OnPostScan(0) brought.
    QImage GetAcquiredImage() const;
    // Turns buffer image `index` by `angle` degrees clockwise (multiples of 90); false, with
    // lastErrorText, when it cannot.
    bool RotateImage(int index, float angle, int flags);

signals:
    // flag 0: one image was added as the buffer's last entry; any other flag: the acquisition
    // ended (see lastErrorCode).
    void OnPostScan(int flag);
    // `percentComplete` 0 to 100 of the operation `action`; `interrupt` may be set to stop it
    // when `canInterrupt` is 1.
    void OnProgress(int action, int percentComplete, int canInterrupt, bool* interrupt);

private:
    class Acquisition;

    void fail(int code, const QString& text);

    ScanDevices& m_devices;
    std::unique_ptr<ScanDevice> m_device;
    QStringList m_sources;
    int m_sourceIndex = 0;
    int m_transferMode = 1;
    int m_lastErrorCode = 0;
    QString m_lastErrorText;
    QList<QImage> m_buffer;
    QImage m_acquired;
    std::unique_ptr<Acquisition> m_acquisition;
};
