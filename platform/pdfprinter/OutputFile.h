#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

// The output PDF on its way to its final name: written under a hidden temporary name in the
// target folder, then renamed in one step, so no partial PDF ever carries the final name.
// Every write, the flush, the sync to disk and the close are checked: a full disk is an error,
// never an empty PDF. Dropped without commit() the temporary file is removed.
class OutputFile
{
public:
    OutputFile(const QString& folder, const QString& fileName, bool replaceExisting);

    // Creates the temporary file; false on failure. What is written goes into the created file
    // itself, never a name opened again, so nothing planted in the folder meanwhile can redirect
    // the writes.
    bool open();
    // Appends bytes; false once any write has failed (errorString() then says why).
    bool write(const char* data, qsizetype size);
    // Makes what was written durable, then gives it its final name and answers that path; empty
    // on failure (errorString() says why), and the temporary file is then removed.
    QString commit();
    QString errorString() const { return m_error; }
    // The path the PDF is meant to get (before a numbered name is chosen beside an existing one).
    QString targetPath() const;

private:
    bool flushBuffer();
    bool fail(int code);
    bool closeDurably();
    QString commitReplacing(const QString& target);
    QString commitBesideExisting(const QString& target);

    QString m_folder;
    QString m_fileName;
    bool m_replaceExisting;
    QTemporaryFile m_temporary;
    QByteArray m_buffer;
    bool m_failed = false;
    QString m_error;
};
