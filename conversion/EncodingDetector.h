#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Guesses the encoding of a text that names none (no byte order mark, no declaration) from a
// sample of its bytes.
class EncodingDetector
{
public:
    virtual ~EncodingDetector() = default;

    // The encoding's name as QStringDecoder takes it ("SHIFT_JIS", "WINDOWS-1256", "UTF-8");
    // empty when the detector cannot tell.
    virtual QByteArray detect(QByteArrayView sample) const = 0;
};
