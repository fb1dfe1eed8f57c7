#include "conversion/TextDecoder.h"

#include <optional>

namespace {

constexpr qsizetype kCutOff = -1;

// The length of the valid UTF-8 sequence whose lead byte (0x80 or above) is at `at`; 0 when the
// bytes there form none (overlong forms, surrogates and values past U+10FFFF included), kCutOff
// when they begin one that the end of `bytes` cuts off.
qsizetype sequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto lead = static_cast<uchar>(bytes[at]);
    qsizetype length = 0;
    uchar low = 0x80; // the range of the byte after the lead
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    for (qsizetype k = 1; k < length; ++k) {
        if (at + k >= bytes.size())
            return kCutOff;
        const auto next = static_cast<uchar>(bytes[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

QString ChunkDecoder::decode(QByteArrayView bytes)
{
    if (!m_started) {
        m_started = true;
        const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(bytes);
        m_utf8 = !marked || *marked == QStringConverter::Utf8;
        if (!m_utf8)
            m_decoder = QStringDecoder(*marked);
        else if (marked)
            bytes = bytes.sliced(3); // the byte order mark is not text
    }
    return m_utf8 ? decodeUtf8(bytes) : m_decoder.decode(bytes);
}

QString ChunkDecoder::decodeUtf8(QByteArrayView bytes)
{
    // A sequence cut at the end of the last chunk waits here for the rest of it.
    QByteArray joined;
    if (!m_cut.isEmpty()) {
        joined = m_cut + bytes.toByteArray();
        bytes = joined;
    }
    QString text;
    text.reserve(bytes.size());
    qsizetype validFrom = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (static_cast<uchar>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const qsizetype length = sequenceAt(bytes, at);
        if (length == kCutOff)
            break;
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(validFrom, at - validFrom));
        text += QChar(static_cast<char16_t>(static_cast<uchar>(bytes[at])));
        validFrom = ++at;
    }
    text += QString::fromUtf8(bytes.sliced(validFrom, at - validFrom));
    m_cut = bytes.sliced(at).toByteArray();
    return text;
}

QString ChunkDecoder::finish() const
{
    return QString::fromLatin1(m_cut);
}
