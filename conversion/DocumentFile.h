#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QTemporaryDir;

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

// Stand-ins for documents whose names are not valid text: a link in a private folder, under
// the name as shown, that every renderer can open by a text path.
class DocumentAliases
{
public:
    DocumentAliases();
    ~DocumentAliases();

    // The stand-in path for the file `native`, shown as `shownName`; empty when none can be made.
    QString aliasFor(const QString& shownName, const QByteArray& native);

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    int m_count = 0;
};
