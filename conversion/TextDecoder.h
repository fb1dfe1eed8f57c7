#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// Bytes to text one chunk at a time: UTF-8, unless a byte order mark names UTF-16 or UTF-32.
// Invalid bytes become U+FFFD; a leading byte order mark is dropped.
class ChunkDecoder
{
public:
    QString decode(QByteArrayView bytes);
    // What the end of the input still holds: a replacement for a sequence the file cut short.
    QString finish() const;

private:
    QStringDecoder m_decoder;
    bool m_utf8 = true;
    QByteArray m_cut;
};
