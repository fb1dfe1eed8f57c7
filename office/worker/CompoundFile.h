#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Reads one stream of a compound file (the container of .doc and .xls files).
class CompoundFile
{
public:
    explicit CompoundFile(QByteArray bytes);

    bool isValid() const { return m_valid; }
    // The stream of that name in the root storage, empty when there is none.
    std::optional<QByteArray> stream(const QString& name) const;

    static std::optional<CompoundFile> open(const QString& path);

private:
    struct Entry
    {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    QByteArray chain(quint32 start, quint64 size) const;
    QByteArray miniChain(quint32 start, quint64 size) const;
    QList<quint32> sectorTable() const;
    QByteArray sector(quint32 index) const;
    quint32 sectorCount() const;

    QByteArray m_bytes;
    bool m_valid = false;
    int m_sectorSize = 512;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QList<Entry> m_entries;
    QByteArray m_miniStream;
};
