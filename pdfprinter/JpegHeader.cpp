#include "pdfprinter/JpegHeader.h"

namespace {

int byteAt(const QByteArray& data, qsizetype at)
{
    return static_cast<unsigned char>(data[at]);
}

int word(const QByteArray& data, qsizetype at)
{
    return byteAt(data, at) << 8 | byteAt(data, at + 1);
}

// Start-of-frame markers: every SOFn except DHT (C4), JPG (C8) and DAC (CC).
bool isFrameHeader(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool readFrameHeader(const QByteArray& data, qsizetype segment, int length, JpegHeader& header)
{
    if (length < 8)
        return false;
    header.precision = byteAt(data, segment);
    header.height = word(data, segment + 1);
    header.width = word(data, segment + 3);
    header.components = byteAt(data, segment + 5);
    // A height given later in a DNL segment, or 12-bit samples, need decoding.
    return header.precision == 8 && header.height > 0 && header.width > 0 &&
           (header.components == 1 || header.components == 3 || header.components == 4);
}

} // namespace

std::optional<JpegHeader> ReadJpegHeader(const QByteArray& data)
{
    if (data.size() < 4 || byteAt(data, 0) != 0xFF || byteAt(data, 1) != 0xD8)
        return std::nullopt;
    JpegHeader header;
    bool frameSeen = false;
    qsizetype at = 2;
    // The segments up to the start of scan; APP14 may come before or after the frame header.
    while (at + 4 <= data.size()) {
        if (byteAt(data, at) != 0xFF)
            return std::nullopt;
        const int marker = byteAt(data, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA)
            return frameSeen ? std::optional(header) : std::nullopt;
        if (marker == 0xD9)
            return std::nullopt;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2; // markers without a length
            continue;
        }
        const int length = word(data, at + 2);
        if (length < 2 || at + 2 + length > data.size())
            return std::nullopt;
        const qsizetype segment = at + 4;
        if (marker == 0xEE && length >= 7 && data.mid(segment, 5) == "Adobe")
            header.adobe = true;
        if (isFrameHeader(marker)) {
            if (!readFrameHeader(data, segment, length, header))
                return std::nullopt;
            frameSeen = true;
        }
        at += 2 + length;
    }
    return std::nullopt;
}
