#include "conversion/TextDecoder.h"

#include <optional>

namespace {

// How many bytes at the end of `bytes` start a UTF-8 sequence that the next chunk completes.
qsizetype cutSequenceLength(QByteArrayView bytes)
{
    const qsizetype end = bytes.size();
    for (qsizetype i = end - 1; i >= 0 && i >= end - 3; --i) {
        const auto byte = static_cast<uchar>(bytes[i]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead byte is further back
        const qsizetype length = byte >= 0xF8 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        return byte >= 0xC0 && end - i < length ? end - i : 0;
    }
    return 0;
}

} // namespace

QString ChunkDecoder::decode(QByteArrayView bytes)
{
    if (!m_decoder.isValid()) {
        const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(bytes);
        m_utf8 = !marked || *marked == QStringConverter::Utf8;
        m_decoder = QStringDecoder(m_utf8 ? QStringConverter::Utf8 : *marked);
    }
    if (!m_utf8)
        return m_decoder.decode(bytes);
    // Qt's decoder drops the byte after a sequence cut at the end of its input, so a cut
    // sequence waits here for the rest of it.
    QByteArray joined;
    if (!m_cut.isEmpty()) {
        joined = m_cut;
        joined.append(bytes);
        bytes = joined;
    }
    const qsizetype cut = cutSequenceLength(bytes);
    m_cut = bytes.last(cut).toByteArray();
    return m_decoder.decode(bytes.first(bytes.size() - cut));
}

QString ChunkDecoder::finish() const
{
    return m_cut.isEmpty() ? QString() : QString(QChar(QChar::ReplacementCharacter));
}
