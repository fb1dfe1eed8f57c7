// The frame header the printer reads to embed a JPEG as it is: found and plausible, or none.
#include "pdfprinter/JpegHeader.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<JpegHeader> header = ReadJpegHeader(bytes)) {
        FUZZ_CHECK(header->width > 0 && header->height > 0);
        FUZZ_CHECK(header->precision == 8);
        FUZZ_CHECK(header->components == 1 || header->components == 3 || header->components == 4);
    }
    return 0;
}
