#pragma once

#include <QByteArray>
#include <optional>

// The bytes of a gzip stream (an .svgz drawing), unpacked to at most `limit` bytes; empty when
// the stream is damaged or unpacks to more.
std::optional<QByteArray> Gunzip(const QByteArray& packed, qsizetype limit);

inline bool IsGzip(const QByteArray& bytes)
{
    return bytes.startsWith("\x1f\x8b");
}
