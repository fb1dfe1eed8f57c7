#include "pdfprinter/pictures/FilePictureCheck.h"

#include "pdfprinter/PngChunks.h"
#include "pdfprinter/pictures/JpegCheck.h"
#include "pdfprinter/pictures/PngCheck.h"

#include <QFile>

CheckedPicture FilePictureCheck::check(const QString& path, QSize previewPanel) const
{
    QFile file(path);
    CheckedPicture refused;
    if (!file.open(QIODevice::ReadOnly)) {
        refused.error = file.errorString();
        return refused;
    }
    // By the file's first bytes, as the printer tells them apart.
    const QByteArray start = file.peek(kPngSignature.size());
    if (start.startsWith("\xFF\xD8"))
        return CheckJpeg(file, previewPanel);
    if (start == kPngSignature)
        return CheckPng(file);
    refused.error = QStringLiteral("Neither a JPEG nor a PNG file");
    return refused;
}
