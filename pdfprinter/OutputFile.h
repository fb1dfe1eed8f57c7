#pragma once

#include <QByteArray>
#include <QString>

// The output PDF on its way to its final name. It is written into a file of no name (O_TMPFILE)
// in the target folder, or where the file system cannot do that, into a new hidden file created
// exclusively; always through its own descriptor, never a name opened again, so nothing another
// user plants in the folder can redirect the writes. Every write, the flush and the sync to
// disk are checked: a full disk is an error, never an empty PDF. Only then does the file get
// its final name, in one step. Dropped without commit(), nothing stays behind.
class OutputFile
{
public:
    enum class Access
    {
        AsUsual,   // as the user's umask makes new files (or as the file it replaces)
        OwnerOnly, // an unprotected file on its way to being merged into a protected one
    };

    OutputFile(const QString& folder, const QString& fileName, bool replaceExisting,
               Access access = Access::AsUsual);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open();
    // Appends bytes; false once any write has failed (errorString() then says why).
    bool write(const char* data, qsizetype size);
    // Makes what was written durable, then gives it its final name and answers that path; empty
    // on failure (errorString() says why), and nothing is left then.
    QString commit();
    QString errorString() const { return m_error; }
    // The path the PDF is meant to get (before a numbered name is chosen beside an existing one).
    QString targetPath() const;

private:
    bool createNameless();
    bool createHidden();
    bool flushBuffer();
    bool fail(int code);
    bool closeDurably();
    bool link(const QByteArray& name);
    bool placeUnder(const QByteArray& name, bool replace);
    QString publishReplacing();
    QString publishBesideExisting();

    QString m_folder;
    QString m_fileName;
    bool m_replaceExisting;
    Access m_access;
    int m_folderHandle = -1;
    int m_handle = -1;
    QByteArray m_hiddenName; // empty while the file has no name at all
    unsigned m_usualMode = 0600;
    QByteArray m_buffer;
    bool m_failed = false;
    QString m_error;
};
