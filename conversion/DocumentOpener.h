#pragma once

#include "conversion/DocumentFile.h"

#include <QByteArray>
#include <QString>
#include <memory>

// A document the run opened. While any copy of it lives the file stays open, and `readable`
// reads exactly that open file: renaming, removing or swapping the document's name for a link
// afterwards changes nothing of what is printed.
struct OpenedDocument
{
    DocumentFileKind kind = DocumentFileKind::Missing;
    // Regular: ends in the document's own file name (its type for the routes) and lies in a
    // private folder. Missing: a private name that reads nothing, so a route reports the
    // document as not found without ever opening the document's own name.
    QString readable;
    QString error; // why it could not be opened, when it could not
    std::shared_ptr<const void> held;
};

// Opens each document once, and checks what was opened rather than what a name said before.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;

    // `native` is the file system's own name when `path` cannot name the file (else empty).
    // Unless `followLinks`, no link is followed at any step below `folder` (the starting folder
    // of a bulk conversion, which others may write to), nor for the document itself.
    virtual OpenedDocument open(const QString& path, const QByteArray& native,
                                const QString& folder, bool followLinks) = 0;
};
