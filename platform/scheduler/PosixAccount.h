#pragma once

#include "batch/TaskScheduler.h"

// The account of the process's effective user, which is the one `at` runs jobs under.
class PosixAccount final : public SystemAccount
{
public:
    // The host name, at most 15 characters.
    QString computerName() const override;
    // The login name of the effective user; empty when the system has no entry for it.
    QString userName() const override;
};
