// The PNG check, on a file's bytes: every chunk and the image data walked, or refused.
#include "pdfprinter/pictures/PngCheck.h"
#include "tests/fuzz/PictureResult.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const CheckedPicture result = CheckPng(file);
    CheckPictureResult(result);
    FUZZ_CHECK(result.preview.isNull()); // the PNG check makes none
    return 0;
}
