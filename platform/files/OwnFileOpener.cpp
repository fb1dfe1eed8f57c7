#include "platform/files/OwnFileOpener.h"

#include "platform/files/OwnFile.h"

std::unique_ptr<QFile> OwnFileOpener::openForRewriting(const QString& path, QString* why) const
{
    const int handle = OpenOwnFileForRewriting(path, why);
    if (handle < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (file->open(handle, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return file;
    if (why)
        *why = file->errorString();
    CloseOwnFile(handle);
    return nullptr;
}
