#pragma once

#include <QString>

// The desktop's own applications: its browser for web addresses, its editor and viewers for
// files. Requests are handed over and never waited for.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Opens a file in the application the desktop associates with it. False when none is.
    virtual bool openFile(const QString& path) = 0;
    virtual bool openUrl(const QString& address) = 0;
};

class QtDesktop final : public Desktop
{
public:
    bool openFile(const QString& path) override;
    bool openUrl(const QString& address) override;
};
