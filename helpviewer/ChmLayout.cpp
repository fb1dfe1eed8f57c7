#include "helpviewer/ChmLayout.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QSet>
#include <QtEndian>
#include <optional>

namespace {

// What chmlib reads of the file header (of its longer, third version), of the directory header
// and of the headers of the directory's two kinds of page.
constexpr quint64 kFileHeader = 0x60;
constexpr quint64 kDirectoryHeader = 0x54;
constexpr qsizetype kListingHeader = 0x14; // "PMGL": a page of entries
constexpr qsizetype kIndexHeader = 0x08;   // "PMGI": a page of links to pages further down
// The writers use pages of 4 or 8 KB.
constexpr quint32 kShortestPage = 0x100;
constexpr quint32 kLongestPage = 0x10000;
constexpr quint64 kLongestName = 512; // chmlib's limit and the size of its name buffers
// The compressed section: its reset table and its description, which chmlib reads into a
// buffer of 256 bytes and refuses when longer.
constexpr quint64 kResetTable = 0x28;
constexpr quint64 kShortestDescription = 0x18;
constexpr quint64 kLongestDescription = 256;
// LZX windows: 32 KB to 2 MB.
constexpr quint32 kSmallestWindow = 1u << 15;
constexpr quint32 kLargestWindow = 1u << 21;
// chmlib's buffer for one compressed block holds its decoded length and this much more.
constexpr quint64 kBlockSlack = 6144;
// A block is decoded from the last reset before it: this bounds what one read costs on top.
constexpr quint64 kLongestResetSpan = quint64(16) * 1024 * 1024;

constexpr quint64 kUncompressed = 0;
constexpr quint64 kCompressed = 1;

const QByteArray kResetTableName = "::DataSpace/Storage/MSCompressed/Transform/"
                                   "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
const QByteArray kContentName = "::DataSpace/Storage/MSCompressed/Content";
const QByteArray kDescriptionName = "::DataSpace/Storage/MSCompressed/ControlData";

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

qint32 i32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

quint64 u64(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint64>(bytes.constData() + at);
}

// Sums of offsets and lengths, wrapping past 2^64 as chmlib's do.
quint64 offsetOf(quint64 base, quint64 add)
{
    return base + add;
}

class File
{
public:
    explicit File(QIODevice& device) : m_device(device), m_size(quint64(qMax(device.size(), 0))) {}

    // The `length` bytes at `offset`; nothing when the file does not hold them all.
    std::optional<QByteArray> read(quint64 offset, quint64 length) const
    {
        if (offset > m_size || length > m_size - offset || !m_device.seek(qint64(offset)))
            return std::nullopt;
        QByteArray bytes = m_device.read(qint64(length));
        if (quint64(bytes.size()) != length)
            return std::nullopt;
        return bytes;
    }

private:
    QIODevice& m_device;
    quint64 m_size;
};

struct Entry
{
    QByteArray name; // up to its first zero byte: chmlib compares names as C strings
    quint64 section = 0;
    quint64 start = 0;
    quint64 length = 0;
};

// A number of a directory page: seven bits a byte, the high bit set on all bytes but the last.
std::optional<quint64> numberAt(const QByteArray& page, qsizetype& at, qsizetype end)
{
    quint64 value = 0;
    while (at < end) {
        const auto byte = static_cast<uchar>(page.at(at++));
        if (byte < 0x80)
            return (value << 7) + byte;
        value = (value << 7) + (byte & 0x7F);
    }
    return std::nullopt;
}

std::optional<QByteArray> nameAt(const QByteArray& page, qsizetype& at, qsizetype end)
{
    const std::optional<quint64> length = numberAt(page, at, end);
    if (!length || *length > kLongestName || qsizetype(*length) > end - at)
        return std::nullopt;
    QByteArray name = page.mid(at, qsizetype(*length));
    at += qsizetype(*length);
    if (const qsizetype zero = name.indexOf('\0'); zero >= 0)
        name.truncate(zero);
    return name;
}

// Where a page's entries end; nothing when its free space is more than the page has.
std::optional<qsizetype> usedEnd(const QByteArray& page, qsizetype header)
{
    const quint32 free = u32(page, 4);
    if (free > quint64(page.size() - header))
        return std::nullopt;
    return page.size() - qsizetype(free);
}

// The entries of a listing page; nothing when one runs past the page's used part or has no
// name (chmlib looks at the character before a name's end).
std::optional<QList<Entry>> listing(const QByteArray& page)
{
    const std::optional<qsizetype> end = usedEnd(page, kListingHeader);
    if (!end)
        return std::nullopt;
    QList<Entry> entries;
    for (qsizetype at = kListingHeader; at < *end;) {
        const std::optional<QByteArray> name = nameAt(page, at, *end);
        const std::optional<quint64> section = name ? numberAt(page, at, *end) : std::nullopt;
        const std::optional<quint64> start = section ? numberAt(page, at, *end) : std::nullopt;
        const std::optional<quint64> length = start ? numberAt(page, at, *end) : std::nullopt;
        if (!length || name->isEmpty())
            return std::nullopt;
        entries.append(Entry{*name, *section, *start, *length});
    }
    return entries;
}

// The pages an index page links to; nothing when an entry runs past the page's used part.
std::optional<QList<qint32>> links(const QByteArray& page)
{
    const std::optional<qsizetype> end = usedEnd(page, kIndexHeader);
    if (!end)
        return std::nullopt;
    QList<qint32> pages;
    for (qsizetype at = kIndexHeader; at < *end;) {
        const std::optional<QByteArray> name = nameAt(page, at, *end);
        const std::optional<quint64> number = name ? numberAt(page, at, *end) : std::nullopt;
        if (!number)
            return std::nullopt;
        pages.append(qint32(quint32(*number))); // chmlib keeps the low 32 bits, as an int
    }
    return pages;
}

const QString kDamagedPage = QStringLiteral("a page of its directory is damaged");
const QString kCircle = QStringLiteral("the pages of its directory lead in a circle");

// The directory's pages, as chmlib's lookups (from the root down the index pages) and its
// listing of every file (from the first listing page along the chain of next pages) reach
// them. Every listing page either reaches is checked, and its entries kept.
class Directory
{
public:
    Directory(const File& file, quint64 start, quint32 pageLength)
        : m_file(file), m_start(start), m_pageLength(pageLength)
    {
    }

    QString walk(qint32 root, qint32 first)
    {
        if (QString error = walkIndex(root); !error.isNull())
            return error;
        return walkChain(first);
    }

    const QList<Entry>& entries() const { return m_entries; }

private:
    // chmlib's arithmetic, wrapping as it does: a negative number reaches back before the
    // directory.
    std::optional<QByteArray> page(qint32 number) const
    {
        return m_file.read(offsetOf(m_start, quint64(qint64(number)) * m_pageLength), m_pageLength);
    }

    bool addListing(qint32 number, const QByteArray& bytes)
    {
        if (m_listings.contains(number))
            return true;
        const std::optional<QList<Entry>> entries = listing(bytes);
        if (!entries)
            return false;
        m_listings.insert(number);
        m_entries += *entries;
        return true;
    }

    // Down from the root along every link: no link may lead back to a page on its way down.
    QString walkIndex(qint32 root)
    {
        struct Step
        {
            qint32 page;
            QList<qint32> links;
            qsizetype next = 0;
        };
        QHash<qint32, bool> done; // false while the page is on the way down
        QList<Step> path;
        // Starts on a page; false when its content is damaged.
        auto enter = [&](qint32 number) {
            const std::optional<QByteArray> bytes = page(number);
            if (bytes && bytes->startsWith("PMGI")) {
                const std::optional<QList<qint32>> pages = links(*bytes);
                if (!pages)
                    return false;
                done.insert(number, false);
                path.append(Step{number, *pages});
                return true;
            }
            done.insert(number, true); // a lookup ends here, found or not
            return !bytes || !bytes->startsWith("PMGL") || addListing(number, *bytes);
        };
        if (root == -1)
            return {};
        if (!enter(root))
            return kDamagedPage;
        while (!path.isEmpty()) {
            Step& step = path.last();
            if (step.next == step.links.size()) {
                done.insert(step.page, true);
                path.removeLast();
                continue;
            }
            const qint32 next = step.links.at(step.next++);
            if (next == -1)
                continue; // chmlib's end of a lookup
            if (const auto seen = done.constFind(next); seen != done.constEnd()) {
                if (!*seen)
                    return kCircle;
                continue;
            }
            if (!enter(next))
                return kDamagedPage;
        }
        return {};
    }

    // Along the listing pages' links to their next page, until one that is not there.
    QString walkChain(qint32 first)
    {
        QSet<qint32> seen;
        for (qint32 number = first; number != -1;) {
            if (seen.contains(number))
                return kCircle;
            seen.insert(number);
            const std::optional<QByteArray> bytes = page(number);
            if (!bytes || !bytes->startsWith("PMGL"))
                return {};
            if (!addListing(number, *bytes))
                return kDamagedPage;
            number = i32(*bytes, 0x10);
        }
        return {};
    }

    const File& m_file;
    quint64 m_start;
    quint32 m_pageLength;
    QSet<qint32> m_listings;
    QList<Entry> m_entries;
};

// The compressed section, as chmlib decodes it: only when the directory names its reset
// table, its content and its description, all stored uncompressed, and the reset table is of
// the second version. Then its window, its blocks and every compressed file must fit together.
QString compressedSectionError(const File& file, quint64 dataOffset, const QList<Entry>& entries)
{
    QString damaged = QStringLiteral("its compressed section is damaged");
    const Entry* table = nullptr;
    const Entry* content = nullptr;
    const Entry* description = nullptr;
    for (const Entry& entry : entries) {
        if (entry.section != kUncompressed && entry.section != kCompressed)
            return QStringLiteral("a file of it is in a section that does not exist");
        for (auto [name, found] :
             {std::pair{&kResetTableName, &table}, std::pair{&kContentName, &content},
              std::pair{&kDescriptionName, &description}}) {
            if (entry.name.compare(*name, Qt::CaseInsensitive) != 0)
                continue;
            if (*found)
                return QStringLiteral("it names a part of its compressed section twice");
            *found = &entry;
        }
    }
    if (!table || !content || !description || table->section == kCompressed ||
        content->section == kCompressed || description->section == kCompressed)
        return {};
    const quint64 tableAt = offsetOf(dataOffset, table->start);
    const std::optional<QByteArray> reset =
        table->length >= kResetTable ? file.read(tableAt, kResetTable) : std::nullopt;
    if (!reset || u32(*reset, 0) != 2)
        return {};

    // The description: chmlib divides by what it says, whether or not it could read it.
    const std::optional<QByteArray> about =
        description->length >= kShortestDescription && description->length <= kLongestDescription
            ? file.read(offsetOf(dataOffset, description->start), description->length)
            : std::nullopt;
    if (!about || about->mid(4, 4) != "LZXC")
        return damaged;
    quint32 resetInterval = u32(*about, 0x0C);
    quint32 window = u32(*about, 0x10);
    const quint32 windowsPerReset = u32(*about, 0x14);
    if (u32(*about, 0x08) == 2) { // counted in units of 32 KB
        resetInterval *= 0x8000;
        window *= 0x8000;
    }
    if (window < kSmallestWindow || window > kLargestWindow || (window & (window - 1)) != 0 ||
        resetInterval == 0 || resetInterval % (window / 2) != 0 || windowsPerReset == 0)
        return damaged;
    const quint32 resetBlocks = resetInterval / (window / 2) * windowsPerReset;

    const quint32 blocks = u32(*reset, 0x04);
    const quint32 startsAt = u32(*reset, 0x0C);
    const quint64 decodedLength = u64(*reset, 0x10);
    const quint64 encodedLength = u64(*reset, 0x18);
    const quint64 blockLength = u64(*reset, 0x20);
    if (blocks == 0 || blockLength == 0 || blockLength > window || resetBlocks == 0 ||
        resetBlocks > kLongestResetSpan / blockLength ||
        decodedLength > quint64(blocks) * blockLength || encodedLength > content->length ||
        quint64(startsAt) + 8 * quint64(blocks) > table->length)
        return damaged;
    const std::optional<QByteArray> starts =
        file.read(offsetOf(tableAt, startsAt), 8 * quint64(blocks));
    if (!starts)
        return damaged;
    // Each block's encoded bytes run from its start to the next one's (the last one's to the
    // encoded length) and fit chmlib's buffer.
    for (quint32 block = 0; block < blocks; ++block) {
        const quint64 start = u64(*starts, qsizetype(8) * block);
        const quint64 end =
            block + 1 < blocks ? u64(*starts, qsizetype(8) * (block + 1)) : encodedLength;
        if (end < start || end - start > blockLength + kBlockSlack)
            return damaged;
    }
    for (const Entry& entry : entries) {
        if (entry.section == kCompressed &&
            (entry.start > decodedLength || entry.length > decodedLength - entry.start))
            return QStringLiteral("a file of it lies beyond its compressed section");
    }
    return {};
}

} // namespace

QString ChmLayoutError(QIODevice& device)
{
    const File file(device);
    const std::optional<QByteArray> header = file.read(0, kFileHeader);
    if (!header || !header->startsWith("ITSF"))
        return QStringLiteral("it does not start as a help file does");
    const qint32 version = i32(*header, 0x04);
    const qint32 headerLength = i32(*header, 0x08);
    if (!(version == 2 && headerLength >= 0x58) && !(version == 3 && headerLength >= 0x60))
        return QStringLiteral("its header is damaged");
    const quint64 directoryAt = u64(*header, 0x48);
    const quint64 dataOffset =
        version == 3 ? u64(*header, 0x58) : offsetOf(directoryAt, u64(*header, 0x50));

    const std::optional<QByteArray> directory = file.read(directoryAt, kDirectoryHeader);
    if (!directory || !directory->startsWith("ITSP") || i32(*directory, 0x04) != 1 ||
        i32(*directory, 0x08) != qint32(kDirectoryHeader))
        return QStringLiteral("the header of its directory is damaged");
    const quint32 pageLength = u32(*directory, 0x10);
    if (pageLength < kShortestPage || pageLength > kLongestPage)
        return QStringLiteral("the pages of its directory are %1 bytes long").arg(pageLength);
    const qint32 first = i32(*directory, 0x20);
    const qint32 root = i32(*directory, 0x1C) <= -1 ? first : i32(*directory, 0x1C);

    Directory pages(file, offsetOf(directoryAt, kDirectoryHeader), pageLength);
    if (QString error = pages.walk(root, first); !error.isNull())
        return error;
    return compressedSectionError(file, dataOffset, pages.entries());
}
