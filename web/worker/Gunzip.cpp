#include "web/worker/Gunzip.h"

#include <zlib.h>

std::optional<QByteArray> Gunzip(const QByteArray& packed, qsizetype limit)
{
    z_stream stream = {};
    // 16 + MAX_WBITS: a gzip header and trailer around the deflate stream.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    QByteArray unpacked;
    char buffer[64 * 1024];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        const qsizetype got = qsizetype(sizeof buffer - stream.avail_out);
        if (unpacked.size() + got > limit) {
            status = Z_MEM_ERROR;
            break;
        }
        unpacked.append(buffer, got);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break; // the stream ends before its end: damaged
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    return unpacked;
}
