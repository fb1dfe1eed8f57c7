#include "doclist/FileSize.h"

#include <QFile>
#include <filesystem>
#include <system_error>

quint64 FileSizeOf(const QString& path)
{
    return path.isEmpty() ? 0 : FileSizeOf(QFile::encodeName(path));
}

quint64 FileSizeOf(const QByteArray& nativePath)
{
    if (nativePath.isEmpty())
        return 0;
    std::error_code error;
    const std::filesystem::path file(nativePath.toStdString());
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::is_regular_file(status))
        return 0;
    const auto size = std::filesystem::file_size(file, error);
    return error ? 0 : static_cast<quint64>(size);
}
