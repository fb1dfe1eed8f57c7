#include "pdfprinter/PdfImageObjects.h"

#include "pdfprinter/JpegHeader.h"
#include "pdfprinter/PdfPrinterLog.h"
#include "pdfprinter/PngChunks.h"

#include <QFile>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

namespace {

using Handle = QPDFObjectHandle;

std::string bytes(const QByteArray& data)
{
    return std::string(data.constData(), data.size());
}

std::shared_ptr<Buffer> toBuffer(const QByteArray& data)
{
    auto buffer = std::make_shared<Buffer>(size_t(data.size()));
    std::copy(data.cbegin(), data.cend(), buffer->getBuffer());
    return buffer;
}

// The whole file read once, straight into the buffer the PDF stream will own: a scan-sized
// JPEG is not copied again on its way into the PDF.
std::shared_ptr<Buffer> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return {};
    auto buffer = std::make_shared<Buffer>(size_t(file.size()));
    if (file.read(reinterpret_cast<char*>(buffer->getBuffer()), file.size()) != file.size())
        return {};
    return buffer;
}

Handle imageStream(QPDF& pdf, int width, int height, const Handle& colorSpace, int bits,
                   std::shared_ptr<Buffer> data, const Handle& filter, const Handle& decodeParms)
{
    Handle image = pdf.newStream();
    Handle dict = image.getDict();
    dict.replaceKey("/Type", Handle::newName("/XObject"));
    dict.replaceKey("/Subtype", Handle::newName("/Image"));
    dict.replaceKey("/Width", Handle::newInteger(width));
    dict.replaceKey("/Height", Handle::newInteger(height));
    dict.replaceKey("/ColorSpace", colorSpace);
    dict.replaceKey("/BitsPerComponent", Handle::newInteger(bits));
    image.replaceStreamData(std::move(data), filter, decodeParms);
    return image;
}

Handle jpegImage(QPDF& pdf, std::shared_ptr<Buffer> file, const JpegHeader& jpeg)
{
    static const char* const kSpaces[] = {"/DeviceGray", "/DeviceGray", "/DeviceRGB", "/DeviceRGB",
                                          "/DeviceCMYK"};
    Handle image =
        imageStream(pdf, jpeg.width, jpeg.height, Handle::newName(kSpaces[jpeg.components]), 8,
                    std::move(file), Handle::newName("/DCTDecode"), Handle::newNull());
    if (jpeg.components == 4 && jpeg.adobe)
        image.getDict().replaceKey("/Decode", Handle::parse("[1 0 1 0 1 0 1 0]"));
    return image;
}

Handle pngImage(QPDF& pdf, const PngChunks& png)
{
    Handle colorSpace = Handle::newName(png.colors() == 3 ? "/DeviceRGB" : "/DeviceGray");
    if (png.colorType == 3) {
        colorSpace = Handle::newArray();
        colorSpace.appendItem(Handle::newName("/Indexed"));
        colorSpace.appendItem(Handle::newName("/DeviceRGB"));
        colorSpace.appendItem(Handle::newInteger(png.palette.size() / 3 - 1));
        colorSpace.appendItem(Handle::newString(bytes(png.palette)));
    }
    Handle parms = Handle::newDictionary();
    parms.replaceKey("/Predictor", Handle::newInteger(15));
    parms.replaceKey("/Colors", Handle::newInteger(png.colors()));
    parms.replaceKey("/BitsPerComponent", Handle::newInteger(png.bitDepth));
    parms.replaceKey("/Columns", Handle::newInteger(png.width));
    return imageStream(pdf, png.width, png.height, colorSpace, png.bitDepth,
                       toBuffer(png.imageData), Handle::newName("/FlateDecode"), parms);
}

QByteArray deflate(const QByteArray& samples)
{
    return qCompress(samples).mid(4); // qCompress puts the length before the zlib stream
}

Handle flateImage(QPDF& pdf, int width, int height, const char* colorSpace, int bits,
                  const QByteArray& samples)
{
    return imageStream(pdf, width, height, Handle::newName(colorSpace), bits,
                       toBuffer(deflate(samples)), Handle::newName("/FlateDecode"),
                       Handle::newNull());
}

void put(char*& out, quint16 value, bool deep)
{
    if (deep)
        *out++ = char(value >> 8); // PDF samples are big-endian
    *out++ = char(value);
}

// Raw samples, gray or RGB, 8 bits or 16 where the picture has them, with the alpha channel
// as a soft mask when there is one: nothing of the decoded picture is lost.
Handle decodedImage(QPDF& pdf, const QImage& decoded)
{
    const bool deep = decoded.depth() == 64 || decoded.format() == QImage::Format_Grayscale16;
    const bool alpha = decoded.hasAlphaChannel();
    const bool gray = decoded.allGray();
    const QImage image =
        decoded.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
    const int w = image.width();
    const int h = image.height();
    const int colors = gray ? 1 : 3;
    const int bytes = deep ? 2 : 1;
    QByteArray samples(qsizetype(w) * h * colors * bytes, Qt::Uninitialized);
    QByteArray mask(alpha ? qsizetype(w) * h * bytes : 0, Qt::Uninitialized);
    char* out = samples.data();
    char* maskOut = mask.data();
    for (int y = 0; y < h; ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            quint16 rgba[4];
            if (deep) {
                const QRgba64 pixel = reinterpret_cast<const QRgba64*>(line)[x];
                rgba[0] = pixel.red();
                rgba[1] = pixel.green();
                rgba[2] = pixel.blue();
                rgba[3] = pixel.alpha();
            } else {
                for (int c = 0; c < 4; ++c)
                    rgba[c] = line[4 * x + c];
            }
            for (int c = 0; c < colors; ++c)
                put(out, rgba[c], deep);
            if (alpha)
                put(maskOut, rgba[3], deep);
        }
    }
    const int bits = 8 * bytes;
    Handle result = flateImage(pdf, w, h, gray ? "/DeviceGray" : "/DeviceRGB", bits, samples);
    if (alpha)
        result.getDict().replaceKey("/SMask", flateImage(pdf, w, h, "/DeviceGray", bits, mask));
    return result;
}

} // namespace

QPDFObjectHandle MakeImageXObject(QPDF& pdf, const QString& sourceFile, const QImage& decoded)
{
    std::shared_ptr<Buffer> file = sourceFile.isEmpty() ? nullptr : readFile(sourceFile);
    const QByteArray data =
        file ? QByteArray::fromRawData(reinterpret_cast<const char*>(file->getBuffer()),
                                       qsizetype(file->getSize()))
             : QByteArray();
    if (const auto jpeg = ReadJpegHeader(data))
        return jpegImage(pdf, std::move(file), *jpeg);
    if (const auto png = ReadPngChunks(data); png && png->passesThrough())
        return pngImage(pdf, *png);
    // The caller may leave the decoding to us when it had no need of the samples itself.
    // Decoded from the bytes already read, as a JPEG or PNG: never as a drawing that names files.
    const QImage samples = decoded.isNull()
                               ? QImage::fromData(data, data.startsWith("\x89PNG") ? "png" : "jpeg")
                               : decoded;
    if (samples.isNull()) {
        qCWarning(lcPdfPrinter) << "nothing to draw for the picture" << sourceFile;
        return Handle::newNull();
    }
    return decodedImage(pdf, samples);
}
