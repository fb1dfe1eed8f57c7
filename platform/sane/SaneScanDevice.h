#pragma once

#include "platform/sane/KeptSignalHandlers.h"
#include "scanning/ScanDevice.h"

#include <QVariant>
#include <mutex>

// One open SANE device. The handle stays opaque here so that <sane/sane.h> is seen by the
// platform's sources only.
class SaneScanDevice : public ScanDevice
{
public:
    // Takes over an open SANE handle.
    SaneScanDevice(void* handle, const QString& name);
    ~SaneScanDevice() override;
    SaneScanDevice(const SaneScanDevice&) = delete;
    SaneScanDevice& operator=(const SaneScanDevice&) = delete;

    QString name() const { return m_name; }

    QStringList sources() override;
    QString source() override;
    Status selectSource(const QString& source) override;
    bool feedsPages() override;
    Status start(Frame* frame) override;
    Status read(QByteArray* data, qsizetype max) override;
    void cancel() override;
    QString errorText() const override { return m_errorText; }

    // Sets the device option `name` to one value (a bool, an integer, a number or a text), as
    // the test backend's failures are provoked; not while a frame is being read.
    Status setOption(const QString& name, const QVariant& value);

private:
    int optionIndex(const QString& name);
    QString stringOption(int index);
    Status status(int saneStatus);

    void* const m_handle;
    const QString m_name;
    QString m_errorText;
    std::mutex m_cancelling;                   // SANE backends do not expect two cancels at once
    const KeptSignalHandlers m_signalHandlers; // the program's own, as they were at opening
};
