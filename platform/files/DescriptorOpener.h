#pragma once

#include "conversion/DocumentOpener.h"

#include <memory>

class QTemporaryDir;

// Opens documents with the system's descriptors: once, below the starting folder with openat2
// (RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS, so no link is followed at any step), and checks the
// descriptor itself (fstat: a regular file). What the routes read is a link of ours, in a
// private folder, to the descriptor's own entry in /proc/self/fd: the very file that was opened.
class DescriptorOpener final : public DocumentOpener
{
public:
    DescriptorOpener();
    ~DescriptorOpener() override;

    OpenedDocument open(const QString& path, const QByteArray& native, const QString& folder,
                        bool followLinks) override;

private:
    QString privateFolder();

    std::unique_ptr<QTemporaryDir> m_folder;
    int m_count = 0;
};
