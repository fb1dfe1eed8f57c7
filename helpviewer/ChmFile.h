#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct chmFile;

// A compiled HTML help file, read with chmlib. Paths inside the file start with '/' and are
// matched without regard to letter case, as the help format wants.
class ChmFile
{
public:
    // nullptr, with the reason in `why`, when the file is missing or is no help file.
    static std::unique_ptr<ChmFile> open(const QString& path, QString* why);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // Every stored file (not the format's own "/#..." and "/$..." entries).
    QStringList paths() const;
    // The stored file's bytes; nothing when there is no such file or it cannot be read.
    std::optional<QByteArray> read(const QString& path) const;

    // From the file's own description: its title, its default topic and its table of contents
    // and index files, each a path as above (empty when the file names none).
    QString title() const { return m_title; }
    QString defaultTopic() const { return m_defaultTopic; }
    QString contentsFile() const { return m_contentsFile; }
    QString indexFile() const { return m_indexFile; }

private:
    explicit ChmFile(chmFile* handle) : m_handle(handle) {}
    void readDescription();

    chmFile* const m_handle;
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
    QString m_indexFile;
};
