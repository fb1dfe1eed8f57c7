#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <optional>

class EncodingDetector;

// Bytes to text one chunk at a time, in the encoding the first chunk shows: a byte order mark
// (UTF-8, UTF-16, UTF-32) first, then an XML declaration's encoding="…", then mostly valid UTF-8,
// then what the detector (if any) names. Short of all these, and for UTF-8 itself: a byte that is
// not part of valid UTF-8 is read as Latin-1, so a text from an older system ("caf\xe9") reads
// right and a stray byte in a UTF-8 text costs one character, not the rest of the file. A
// leading byte order mark is dropped; what a named encoding cannot read becomes U+FFFD. A
// character split between chunks reads as one.
class ChunkDecoder
{
public:
    explicit ChunkDecoder(const EncodingDetector* detector = nullptr);

    QString decode(QByteArrayView bytes);
    // What the end of the input still holds: the bytes of a sequence the file cut short.
    QString finish() const;
    // The encoding chosen, once the first chunk was decoded; "UTF-8" for the UTF-8 rule.
    QByteArray encoding() const { return m_encoding; }

private:
    void choose(QByteArrayView& sample);
    QString decodeUtf8(QByteArrayView bytes);

    const EncodingDetector* m_detector;
    std::optional<QStringDecoder> m_decoder; // none: UTF-8 with Latin-1 for invalid bytes
    QByteArray m_encoding = "UTF-8";
    bool m_started = false;
    QByteArray m_cut;
};
