#include "platform/sane/SaneDevices.h"

#include "platform/sane/SaneScanDevice.h"

#include <QLoggingCategory>
#include <mutex>
#include <sane/sane.h>

Q_LOGGING_CATEGORY(lcSane, "corvanta.sane", QtInfoMsg)

namespace {

const char* const kNoScanner = "No scanner was found.";
const char* const kCannotList = "The scanners cannot be listed: %1";
const char* const kCannotOpen = "The scanner %1 cannot be opened: %2";

// sane_init and sane_get_devices are not meant to run twice at once; SANE is never ended,
// since a backend may keep threads of its own until the process ends.
std::mutex& saneLock()
{
    static std::mutex lock;
    return lock;
}

SANE_Status startSane()
{
    static const SANE_Status started = [] {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        qCInfo(lcSane) << "SANE" << SANE_VERSION_MAJOR(version) << SANE_VERSION_MINOR(version)
                       << SANE_VERSION_BUILD(version) << sane_strstatus(status);
        return status;
    }();
    return started;
}

} // namespace

std::unique_ptr<ScanDevice> SaneDevices::openFirst(QString* why)
{
    return openFirstSane(why);
}

std::unique_ptr<SaneScanDevice> SaneDevices::openFirstSane(QString* why)
{
    const std::lock_guard<std::mutex> locked(saneLock());
    SANE_Status status = startSane();
    if (status != SANE_STATUS_GOOD) {
        *why = QString::fromLatin1(kCannotList).arg(QString::fromUtf8(sane_strstatus(status)));
        return nullptr;
    }
    // As every SANE program does: the device the environment names comes first.
    QByteArray name = qgetenv("SANE_DEFAULT_DEVICE");
    if (name.isEmpty()) {
        const SANE_Device** devices = nullptr;
        status = sane_get_devices(&devices, SANE_FALSE);
        if (status != SANE_STATUS_GOOD) {
            *why = QString::fromLatin1(kCannotList).arg(QString::fromUtf8(sane_strstatus(status)));
            return nullptr;
        }
        if (!devices || !devices[0]) {
            *why = QString::fromLatin1(kNoScanner);
            return nullptr;
        }
        name = devices[0]->name;
    }
    SANE_Handle handle = nullptr;
    status = sane_open(name.constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        *why = QString::fromLatin1(kCannotOpen)
                   .arg(QString::fromUtf8(name), QString::fromUtf8(sane_strstatus(status)));
        return nullptr;
    }
    qCInfo(lcSane) << "Opened" << name;
    return std::make_unique<SaneScanDevice>(handle, QString::fromUtf8(name));
}
