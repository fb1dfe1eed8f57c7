#include "conversion/DocumentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

DocumentFileKind KindOfDocument(const QString& path, const QByteArray& native, bool followLinks)
{
    const std::filesystem::path file(
        (native.isEmpty() ? QFile::encodeName(path) : native).toStdString());
    std::error_code error;
    const auto status = followLinks ? std::filesystem::status(file, error)
                                    : std::filesystem::symlink_status(file, error);
    if (error || status.type() == std::filesystem::file_type::not_found)
        return DocumentFileKind::Missing;
    return status.type() == std::filesystem::file_type::regular ? DocumentFileKind::Regular
                                                                : DocumentFileKind::NotAFile;
}

QString FolderWriteProblem(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("the folder does not exist");
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".corvanta-probe-XXXXXX")));
    return probe.open() ? QString() : probe.errorString();
}

QString FolderReadProblem(const QString& folder)
{
    std::error_code error;
    std::filesystem::directory_iterator listing(QFile::encodeName(folder).toStdString(), error);
    if (!error)
        return {};
    if (error == std::errc::no_such_file_or_directory)
        return QStringLiteral("the folder does not exist");
    if (error == std::errc::not_a_directory)
        return QStringLiteral("it is not a folder");
    return QString::fromStdString(error.message());
}
