#include "pdfprinter/pictures/PngCheck.h"

#include "pdfprinter/PngChunks.h"

#include <QIODevice>
#include <array>
#include <zlib.h>

namespace {

constexpr qint64 kBlock = qint64(32) * 1024;

quint32 bigEndian(const char* at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// The image data's zlib stream, inflated piece by piece and counted, never kept.
class InflateCount
{
public:
    explicit InflateCount(qint64 expected) : m_expected(expected)
    {
        if (inflateInit(&m_stream) != Z_OK)
            m_error = QStringLiteral("The decompressor could not start");
    }
    ~InflateCount() { inflateEnd(&m_stream); }
    InflateCount(const InflateCount&) = delete;
    InflateCount& operator=(const InflateCount&) = delete;

    void feed(const char* data, qint64 size)
    {
        if (!m_error.isNull() || size == 0)
            return;
        if (m_ended) {
            m_error = QStringLiteral("The image data runs on past its end");
            return;
        }
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = uInt(size);
        do {
            m_stream.next_out = m_out.data();
            m_stream.avail_out = uInt(m_out.size());
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
                m_error = QStringLiteral("The image data is damaged (%1)")
                              .arg(QString::fromLatin1(m_stream.msg ? m_stream.msg : "zlib error"));
                return;
            }
            m_inflated += qint64(m_out.size() - m_stream.avail_out);
            if (m_inflated > m_expected) {
                m_error = QStringLiteral("The image data holds more rows than the picture");
                return;
            }
            if (result == Z_STREAM_END) {
                m_ended = true;
                if (m_stream.avail_in > 0)
                    m_error = QStringLiteral("The image data runs on past its end");
                return;
            }
        } while (m_stream.avail_out == 0);
    }

    // Null when the stream ended with exactly the picture's rows.
    QString finish() const
    {
        if (!m_error.isNull())
            return m_error;
        if (!m_ended || m_inflated != m_expected)
            return QStringLiteral("The image data ends early");
        return {};
    }

private:
    z_stream m_stream{};
    std::array<Bytef, std::size_t(32) * 1024> m_out;
    qint64 m_expected;
    qint64 m_inflated = 0;
    bool m_ended = false;
    QString m_error;
};

// A chunk's data read in blocks, each handed to `use` and added to the chunk's CRC.
template <typename Use> bool readData(QIODevice& file, quint32 length, uLong& crc, Use&& use)
{
    std::array<char, kBlock> block;
    for (quint32 left = length; left > 0;) {
        const qint64 want = std::min<qint64>(left, kBlock);
        if (file.read(block.data(), want) != want)
            return false;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), uInt(want));
        use(block.data(), want);
        left -= quint32(want);
    }
    return true;
}

CheckedPicture refuse(const QString& error)
{
    CheckedPicture result;
    result.error = error;
    return result;
}

} // namespace

CheckedPicture CheckPng(QIODevice& file)
{
    const QString cutShort = QStringLiteral("The file ends before its last chunk");
    if (file.read(kPngSignature.size()) != kPngSignature)
        return refuse(QStringLiteral("Not a PNG file"));
    PngChunks png;
    std::optional<InflateCount> pixels;
    for (;;) {
        char head[8];
        if (file.read(head, 8) != 8)
            return refuse(cutShort);
        const quint32 length = bigEndian(head);
        const QByteArray type(head + 4, 4);
        // The header comes first, once, and is 13 bytes long.
        const bool first = !pixels;
        if ((type == "IHDR") != first || (first && length != 13))
            return refuse(QStringLiteral("The header is missing or damaged"));
        if (length > 0x7fffffff || (type == "PLTE" && (length > 3 * 256 || length % 3 != 0)))
            return refuse(QStringLiteral("The chunk %1 is damaged").arg(QString::fromLatin1(type)));
        const bool kept = type == "IHDR" || type == "PLTE"; // the only chunks read into memory
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(head + 4), 4);
        QByteArray data;
        const bool ok = readData(file, length, crc, [&](const char* bytes, qint64 size) {
            if (type == "IDAT")
                pixels->feed(bytes, size);
            else if (kept)
                data.append(bytes, size);
        });
        char stored[4];
        if (!ok || file.read(stored, 4) != 4)
            return refuse(cutShort);
        if (bigEndian(stored) != crc)
            return refuse(QStringLiteral("The chunk %1 is damaged (its CRC does not match)")
                              .arg(QString::fromLatin1(type)));

        if (type == "IHDR") {
            if (!png.readHeader(data.constData()))
                return refuse(QStringLiteral("The header is missing or damaged"));
            // The bound is checked before a byte of the image data is inflated.
            if (const QString error = PixelBoundError(png.width, png.height); !error.isNull())
                return refuse(error);
            pixels.emplace(png.inflatedSize());
        } else if (type == "PLTE") {
            png.palette = data;
        } else if (type == "tRNS") {
            png.transparency = true;
        } else if (type == "IEND") {
            break;
        } else if (type != "IDAT" && (type[0] & 0x20) == 0) {
            return refuse(
                QStringLiteral("Unknown critical chunk %1").arg(QString::fromLatin1(type)));
        }
    }
    if (png.colorType == 3 && png.palette.isEmpty())
        return refuse(QStringLiteral("The palette is missing"));
    if (const QString error = pixels->finish(); !error.isNull())
        return refuse(error);
    CheckedPicture result;
    result.size = QSize(png.width, png.height);
    result.embeddedAsIs = png.passesThrough();
    return result;
}
