#pragma once

#include <QByteArray>
#include <QString>

// What a document row's path names on disk.
enum class DocumentFileKind
{
    Regular,  // a file to convert
    Missing,  // gone, or not reachable: its route reports the failure
    NotAFile, // a folder, a pipe, a socket, a device, or a link not to be followed: skipped
};

// `native` is the file system's own name when the path cannot name the file (else empty).
// Documents of a folder others may write to are looked at without following a link.
DocumentFileKind KindOfDocument(const QString& path, const QByteArray& native, bool followLinks);

// Why no file can be written into `folder` (it is missing, or refuses a new file); empty when
// one can.
QString FolderWriteProblem(const QString& folder);

// Why `folder` cannot be listed (it is missing, not a folder, or refuses to be read); empty when
// it can.
QString FolderReadProblem(const QString& folder);
