#pragma once

#include "scanning/ScanDevice.h"

#include <memory>

class SaneScanDevice;

// The scanners SANE knows. SANE is started once per process, on the first open, with the
// configuration its environment names (SANE_CONFIG_DIR).
class SaneDevices : public ScanDevices
{
public:
    std::unique_ptr<ScanDevice> openFirst(QString* why) override;
    // The same device as SANE's own, whose options can be set by name.
    std::unique_ptr<SaneScanDevice> openFirstSane(QString* why);
};
