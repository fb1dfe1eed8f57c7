#pragma once

#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

// A document as a route gets it: the name it is listed under, and the name to read it by.
// During a run `readable` names exactly the file the run opened (see OpenedDocuments), so no
// route opens the document's own name a second time, whatever became of that name meanwhile.
struct DocumentSource
{
    // A document read by its own name (one the user named, or a test's).
    DocumentSource(const QString& path) : path(path), readable(path) {}
    DocumentSource(QString path, QString readable)
        : path(std::move(path)), readable(std::move(readable))
    {
    }

    QString path;     // as listed: what messages name, its type, the folder its page may read
    QString readable; // what to read; ends in the document's own file name
};

// What the document's bytes are, by the shared MIME database's content rules alone: its name
// was given by whoever wrote it.
inline QMimeType ContentOf(const DocumentSource& document)
{
    return QMimeDatabase().mimeTypeForFile(document.readable, QMimeDatabase::MatchContent);
}
