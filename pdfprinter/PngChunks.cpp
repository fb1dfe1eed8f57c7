#include "pdfprinter/PngChunks.h"

namespace {

quint32 bigEndian(const char* at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 bigEndian(const QByteArray& data, qsizetype at)
{
    return bigEndian(data.constData() + at);
}

int channels(int colorType)
{
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

// Bytes of `rows` rows of `width` pixels, each with its filter byte; none for an empty pass.
qint64 rowBytes(qint64 width, qint64 rows, int bitsPerPixel)
{
    return width > 0 && rows > 0 ? rows * (1 + (width * bitsPerPixel + 7) / 8) : 0;
}

} // namespace

bool PngChunks::passesThrough() const
{
    if (interlaced || transparency)
        return false;
    switch (colorType) {
    case 0:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 2:
        return bitDepth == 8 || bitDepth == 16;
    case 3:
        return (bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8) &&
               !palette.isEmpty() && palette.size() % 3 == 0;
    default:
        return false; // alpha goes into a separate soft mask
    }
}

bool PngChunks::readHeader(const char* ihdr)
{
    const quint32 w = bigEndian(ihdr);
    const quint32 h = bigEndian(ihdr + 4);
    width = int(w);
    height = int(h);
    bitDepth = static_cast<unsigned char>(ihdr[8]);
    colorType = static_cast<unsigned char>(ihdr[9]);
    const int compression = static_cast<unsigned char>(ihdr[10]);
    const int filter = static_cast<unsigned char>(ihdr[11]);
    const int interlace = static_cast<unsigned char>(ihdr[12]);
    interlaced = interlace != 0;
    if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff || compression != 0 || filter != 0 ||
        (interlace != 0 && interlace != 1))
        return false;
    switch (colorType) {
    case 0:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2:
    case 4:
    case 6:
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

qint64 PngChunks::inflatedSize() const
{
    const int bits = channels(colorType) * bitDepth;
    if (!interlaced)
        return rowBytes(width, height, bits);
    // Adam7: each pass starts at (x, y) and takes every dx-th pixel of every dy-th row.
    static constexpr int kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    qint64 total = 0;
    for (const auto& [x, y, dx, dy] : kPasses)
        total +=
            rowBytes((qint64(width) - x + dx - 1) / dx, (qint64(height) - y + dy - 1) / dy, bits);
    return total;
}

std::optional<PngChunks> ReadPngChunks(const QByteArray& data)
{
    if (!data.startsWith(kPngSignature))
        return std::nullopt;
    PngChunks png;
    bool headerSeen = false;
    qsizetype at = kPngSignature.size();
    while (at + 12 <= data.size()) {
        const quint32 length = bigEndian(data, at);
        const QByteArray type = data.mid(at + 4, 4);
        const qsizetype body = at + 8;
        if (length > quint32(data.size()) || body + qsizetype(length) + 4 > data.size())
            return std::nullopt;
        if (type == "IHDR") {
            if (length < 13 || !png.readHeader(data.constData() + body))
                return std::nullopt;
            headerSeen = true;
        } else if (type == "PLTE") {
            png.palette = data.mid(body, length);
        } else if (type == "tRNS") {
            png.transparency = true;
        } else if (type == "IDAT") {
            png.imageData.append(data.constData() + body, length);
        } else if (type == "IEND") {
            break;
        }
        at = body + length + 4; // the chunk's CRC
    }
    if (!headerSeen || png.width <= 0 || png.height <= 0 || png.imageData.isEmpty())
        return std::nullopt;
    return png;
}
