#pragma once

#include <QFile>
#include <QString>
#include <memory>

// Opens the batch log in a starting folder others may write to: only a plain file of the user's
// own, reached without following a link, is rewritten.
class LogFileOpener
{
public:
    virtual ~LogFileOpener() = default;

    // The emptied file, open for writing; none, with the reason in `why`, when it is refused.
    virtual std::unique_ptr<QFile> openForRewriting(const QString& path, QString* why) const = 0;
};
