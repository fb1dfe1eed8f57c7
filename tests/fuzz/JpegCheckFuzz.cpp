// The JPEG check, on a file's bytes: decoded to their end or refused, never more.
#include "pdfprinter/pictures/JpegCheck.h"
#include "tests/fuzz/PictureResult.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    // With a preview, as the document list shows one, and without, as a run checks a picture.
    const QSize panel = size % 2 == 0 ? QSize(320, 240) : QSize();
    CheckPictureResult(CheckJpeg(file, panel));
    return 0;
}
