#include "office/worker/CompoundFile.h"

#include <QFile>
#include <QtEndian>

namespace {

const QByteArray kSignature = QByteArray::fromHex("d0cf11e0a1b11ae1");
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kLastRegular = 0xFFFFFFFA;
constexpr int kMiniSectorSize = 64;
constexpr int kEntrySize = 128;
constexpr int kHeaderFatEntries = 109;
constexpr int kStreamEntry = 2;
// Documents worth printing are far smaller; this only bounds a damaged file's loops.
constexpr qsizetype kMaxBytes = qsizetype(1) << 30;

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 4 > bytes.size())
        return kEndOfChain;
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

QList<quint32> wordsOf(const QByteArray& bytes)
{
    QList<quint32> words;
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4)
        words.append(u32(bytes, at));
    return words;
}

} // namespace

CompoundFile::CompoundFile(QByteArray bytes) : m_bytes(std::move(bytes))
{
    if (m_bytes.size() < 512 || !m_bytes.startsWith(kSignature) || m_bytes.size() > kMaxBytes)
        return;
    const int shift = u16(m_bytes, 0x1E);
    if (shift != 9 && shift != 12)
        return;
    m_sectorSize = 1 << shift;

    for (quint32 index : sectorTable())
        m_fat += wordsOf(sector(index));
    const QByteArray directory = chain(u32(m_bytes, 0x30), 0);
    for (qsizetype at = 0; at + kEntrySize <= directory.size(); at += kEntrySize) {
        const int nameBytes = std::min<int>(u16(directory, at + 0x40), 64);
        Entry entry;
        entry.name =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(directory.constData() + at),
                               std::max(0, nameBytes / 2 - 1));
        entry.type = static_cast<unsigned char>(directory.at(at + 0x42));
        entry.start = u32(directory, at + 0x74);
        entry.size = u32(directory, at + 0x78);
        m_entries.append(entry);
    }
    if (m_entries.isEmpty())
        return;
    m_miniFat = wordsOf(chain(u32(m_bytes, 0x3C), 0));
    m_miniStream = chain(m_entries.first().start, m_entries.first().size);
    m_valid = true;
}

std::optional<CompoundFile> CompoundFile::open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return std::nullopt;
    CompoundFile compound(file.readAll());
    if (!compound.isValid())
        return std::nullopt;
    return compound;
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.type != kStreamEntry || entry.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // Small streams live in the mini stream, in 64-byte sectors.
        const quint32 cutoff = u32(m_bytes, 0x38);
        return entry.size < cutoff ? miniChain(entry.start, entry.size)
                                   : chain(entry.start, entry.size);
    }
    return std::nullopt;
}

QList<quint32> CompoundFile::sectorTable() const
{
    // The first 109 FAT sectors are listed in the header, the others in a chain of sectors. A
    // file has no more FAT sectors than sectors.
    QList<quint32> table;
    const qsizetype most = sectorCount();
    for (int i = 0; i < kHeaderFatEntries && table.size() < most; ++i) {
        const quint32 index = u32(m_bytes, 0x4C + 4 * i);
        if (index <= kLastRegular)
            table.append(index);
    }
    // The chain of further table sectors is as long as its count says, and never longer than
    // the file has sectors: more means a loop.
    quint32 next = u32(m_bytes, 0x44);
    const quint32 count = std::min(u32(m_bytes, 0x48), sectorCount());
    for (quint32 left = count; left > 0 && next <= kLastRegular; --left) {
        const QList<quint32> words = wordsOf(sector(next));
        if (words.isEmpty())
            break;
        for (qsizetype i = 0; i + 1 < words.size() && table.size() < most; ++i) {
            if (words.at(i) <= kLastRegular)
                table.append(words.at(i));
        }
        next = words.last();
    }
    return table;
}

QByteArray CompoundFile::sector(quint32 index) const
{
    const qint64 at = (qint64(index) + 1) * m_sectorSize;
    return at + m_sectorSize <= m_bytes.size() ? m_bytes.mid(at, m_sectorSize) : QByteArray();
}

quint32 CompoundFile::sectorCount() const
{
    // The header takes the room of the first one.
    return quint32(std::max<qsizetype>(m_bytes.size() / m_sectorSize - 1, 0));
}

QByteArray CompoundFile::chain(quint32 start, quint64 size) const
{
    QByteArray data;
    // A chain never has more links than the file has sectors; more means a loop. So a stream
    // is never longer than the file.
    for (quint32 index = start, links = 0; index <= kLastRegular && links < sectorCount();
         ++links) {
        const QByteArray part = sector(index);
        if (part.isEmpty())
            break;
        data += part;
        index = index < quint32(m_fat.size()) ? m_fat.at(index) : kEndOfChain;
    }
    return size > 0 ? data.left(qsizetype(size)) : data;
}

QByteArray CompoundFile::miniChain(quint32 start, quint64 size) const
{
    QByteArray data;
    // Likewise never more links than the mini stream has sectors.
    const quint32 sectors = quint32(m_miniStream.size() / kMiniSectorSize);
    for (quint32 index = start, links = 0; index <= kLastRegular && links < sectors; ++links) {
        const qint64 at = qint64(index) * kMiniSectorSize;
        if (at + kMiniSectorSize > m_miniStream.size())
            break;
        data += m_miniStream.mid(at, kMiniSectorSize);
        index = index < quint32(m_miniFat.size()) ? m_miniFat.at(index) : kEndOfChain;
    }
    return data.left(qsizetype(size));
}
