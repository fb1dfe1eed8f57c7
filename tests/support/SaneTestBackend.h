#pragma once

#include "platform/sane/SaneDevices.h"
#include "platform/sane/SaneScanDevice.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

// SANE's "test" backend scans made-up pages without hardware. The system's configuration keeps it
// off, so tests point SANE_CONFIG_DIR at a private folder whose dll.conf names it alone. SANE reads
// that folder once, when it starts, so this must come before the process opens any scanner.
namespace sanetest {

// Enough test devices for every test of a process to have one of its own (see SaneTestDevices).
constexpr int kDevices = 100;

// The backend's texts and sizes the tests expect.
inline const QString kFlatbed = QStringLiteral("Flatbed");
inline const QString kFeeder = QStringLiteral("Automatic Document Feeder");
constexpr int kFeederPages = 10; // the test feeder is empty after 10 pages
constexpr int kPageWidth = 157;  // 80 mm at 50 dpi
constexpr int kPageHeight = 196; // 100 mm at 50 dpi

// Writes the private configuration (once) and points SANE at it.
inline void installConfiguration()
{
    static QTemporaryDir folder;
    static const bool written = [] {
        const auto write = [](const QString& name, const QByteArray& text) {
            QFile file(folder.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        // The backend's built-in resolution is not the 50 dpi its own configuration sets.
        const QByteArray settings = "number_of_devices " + QByteArray::number(kDevices) +
                                    "\nmode Gray\ndepth 8\nresolution 50.0\n"
                                    "scan-source Flatbed\ntest-picture \"Solid black\"\n"
                                    "tl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n";
        const bool done = folder.isValid() && write(QStringLiteral("dll.conf"), "test\n") &&
                          write(QStringLiteral("test.conf"), settings);
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder.path()));
        return done;
    }();
    if (!written)
        ADD_FAILURE() << "The private SANE configuration cannot be written";
}

// A device option as the backend names it ("read-delay", "source", "read-return-value", ...),
// set when the device opens, or just before frame `fromFrame` (counted from 1 over the opened
// device's frames), to make a failure happen in the middle of a feeder's batch.
struct Option
{
    QString name;
    QVariant value;
    int fromFrame = 0;
};

// Forwards to the real SANE device and sets the later options on their frame.
class ScriptedDevice : public ScanDevice
{
public:
    ScriptedDevice(std::unique_ptr<SaneScanDevice> device, QList<Option> later)
        : m_device(std::move(device)), m_later(std::move(later))
    {
    }

    QStringList sources() override { return m_device->sources(); }
    QString source() override { return m_device->source(); }
    Status selectSource(const QString& source) override { return m_device->selectSource(source); }
    bool feedsPages() override { return m_device->feedsPages(); }
    Status start(Frame* frame) override
    {
        ++m_frames;
        for (const Option& option : m_later) {
            if (option.fromFrame == m_frames &&
                m_device->setOption(option.name, option.value) != Status::Good)
                ADD_FAILURE() << "Option " << option.name.toStdString() << ": "
                              << m_device->errorText().toStdString();
        }
        return m_device->start(frame);
    }
    Status read(QByteArray* data, qsizetype max) override { return m_device->read(data, max); }
    void cancel() override { m_device->cancel(); }
    QString errorText() const override { return m_device->errorText(); }

private:
    std::unique_ptr<SaneScanDevice> m_device;
    QList<Option> m_later;
    int m_frames = 0;
};

// The scanners for one test: a test device of its own (named through SANE_DEFAULT_DEVICE, as any
// SANE program honours it), since the backend keeps a device's options for the whole process.
// Opening it twice without closing gives the backend's "Device busy".
class SaneTestDevices : public ScanDevices
{
public:
    explicit SaneTestDevices(QList<Option> options = {})
        : m_name("test:" + QByteArray::number(nextDevice())), m_options(std::move(options))
    {
        installConfiguration();
    }

    QString deviceName() const { return QString::fromLatin1(m_name); }

    std::unique_ptr<ScanDevice> openFirst(QString* why) override
    {
        qputenv("SANE_DEFAULT_DEVICE", m_name);
        std::unique_ptr<SaneScanDevice> device = SaneDevices().openFirstSane(why);
        qunsetenv("SANE_DEFAULT_DEVICE");
        if (!device)
            return nullptr;
        QList<Option> later;
        for (const Option& option : m_options) {
            if (option.fromFrame > 1) {
                later << option;
            } else if (device->setOption(option.name, option.value) != ScanDevice::Status::Good) {
                *why = QStringLiteral("Option %1: %2").arg(option.name, device->errorText());
                ADD_FAILURE() << why->toStdString();
                return nullptr;
            }
        }
        return std::make_unique<ScriptedDevice>(std::move(device), std::move(later));
    }

private:
    static int nextDevice()
    {
        static int next = 0;
        if (next == kDevices)
            ADD_FAILURE() << "More test devices are used than the configuration offers";
        return next++;
    }

    const QByteArray m_name;
    const QList<Option> m_options;
};

} // namespace sanetest
