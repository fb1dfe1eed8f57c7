#pragma once

// The text decoder fed as the text route feeds it, one chunk after another: the encoding is
// chosen from the first chunk, and the rest reads the same whether it comes in one piece or in
// many small ones (a character split between chunks reads as one). Where a named encoding's
// decoder replaced damaged bytes, how many it replaced may depend on where a chunk ended; there
// the texts are not compared.
#include "conversion/TextDecoder.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

inline void DecodeInChunks(const std::uint8_t* data, std::size_t size,
                           const EncodingDetector* detector)
{
    FuzzedDataProvider input(data, size);
    // Taken from the end, so the text starts with the input's first byte.
    const auto piece = input.ConsumeIntegralInRange<qsizetype>(1, 16);
    const auto split = input.ConsumeIntegral<std::uint16_t>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const QByteArrayView text(bytes.data(), qsizetype(bytes.size()));
    const qsizetype first = split % (text.size() + 1); // the first chunk, maybe the whole text

    ChunkDecoder whole(detector);
    QString once = whole.decode(text.first(first));
    once += whole.decode(text.sliced(first));
    once += whole.finish();

    ChunkDecoder pieces(detector);
    QString many = pieces.decode(text.first(first));
    for (qsizetype at = first; at < text.size(); at += piece)
        many += pieces.decode(text.sliced(at, std::min(piece, text.size() - at)));
    many += pieces.finish();

    FUZZ_CHECK(whole.encoding() == pieces.encoding());
    // "UTF-8" is the decoder's own reading, which replaces nothing.
    if (whole.encoding() == "UTF-8" || !once.contains(QChar::ReplacementCharacter))
        FUZZ_CHECK(once == many);
}
