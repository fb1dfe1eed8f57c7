#pragma once

#include <QString>
#include <QTemporaryFile>

// The output PDF on its way to its final name: written under a hidden temporary name in the
// target folder, then renamed in one step, so no partial PDF ever carries the final name.
// Dropped without commit() the temporary file is removed.
class OutputFile
{
public:
    OutputFile(const QString& folder, const QString& fileName, bool replaceExisting);

    bool open();
    QString temporaryPath() const { return m_temporary.fileName(); }
    // Gives the written file its final name and answers that path; empty on failure.
    QString commit();
    QString errorString() const { return m_error; }

private:
    QString commitReplacing(const QString& target);
    QString commitBesideExisting(const QString& target);

    QString m_folder;
    QString m_fileName;
    bool m_replaceExisting;
    QTemporaryFile m_temporary;
    QString m_error;
};
