// The chunks the printer takes from a PNG to embed its samples as they are.
#include "conversion/PictureCheck.h"
#include "pdfprinter/PngChunks.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<PngChunks> png = ReadPngChunks(bytes)) {
        FUZZ_CHECK(png->width > 0 && png->height > 0);
        FUZZ_CHECK(png->imageData.size() < bytes.size());
        // As the PNG check asks it: only of a picture within the pixel bound.
        if (PixelBoundError(png->width, png->height).isNull())
            FUZZ_CHECK(png->inflatedSize() > 0);
    }
    return 0;
}
