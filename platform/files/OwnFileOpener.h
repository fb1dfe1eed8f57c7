#pragma once

#include "conversion/LogFileOpener.h"

// Opens the batch log with OpenOwnFileForRewriting: a link, a pipe, another user's file or one
// with other names is refused, and the reason said.
class OwnFileOpener final : public LogFileOpener
{
public:
    std::unique_ptr<QFile> openForRewriting(const QString& path, QString* why) const override;
};

// It holds no state, so one serves everyone.
inline const OwnFileOpener kOwnFileOpener;
