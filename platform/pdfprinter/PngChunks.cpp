#include "platform/pdfprinter/PngChunks.h"

namespace {

const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);

quint32 bigEndian(const QByteArray& data, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
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

std::optional<PngChunks> ReadPngChunks(const QByteArray& data)
{
    if (!data.startsWith(kSignature))
        return std::nullopt;
    PngChunks png;
    bool headerSeen = false;
    qsizetype at = kSignature.size();
    while (at + 12 <= data.size()) {
        const quint32 length = bigEndian(data, at);
        const QByteArray type = data.mid(at + 4, 4);
        const qsizetype body = at + 8;
        if (length > quint32(data.size()) || body + qsizetype(length) + 4 > data.size())
            return std::nullopt;
        if (type == "IHDR") {
            if (length < 13)
                return std::nullopt;
            png.width = int(bigEndian(data, body));
            png.height = int(bigEndian(data, body + 4));
            png.bitDepth = static_cast<unsigned char>(data[body + 8]);
            png.colorType = static_cast<unsigned char>(data[body + 9]);
            png.interlaced = data[body + 12] != 0;
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
