#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// Bytes to text one chunk at a time: UTF-8, unless a byte order mark names UTF-16 or UTF-32.
// A byte that is not part of valid UTF-8 is read as Latin-1, so a text from an older system
// ("caf\xe9") reads right and a stray byte in a UTF-8 text costs one character, not the rest of
// the file. A leading byte order mark is dropped; invalid UTF-16 or UTF-32 becomes U+FFFD.
class ChunkDecoder
{
public:
    QString decode(QByteArrayView bytes);
    // What the end of the input still holds: the bytes of a sequence the file cut short.
    QString finish() const;

private:
    QString decodeUtf8(QByteArrayView bytes);

    QStringDecoder m_decoder; // UTF-16 or UTF-32, as the byte order mark names it
    bool m_started = false;
    bool m_utf8 = true;
    QByteArray m_cut;
};
