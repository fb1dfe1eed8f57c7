#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Pictures with more pixels are refused before they are decoded: 200 million still admit an A0
// page scanned at 300 dpi (9933 x 14043) and bound what one picture may cost a run or a viewer.
inline constexpr qint64 kMaxPicturePixels = 200'000'000;

// Null when a picture of this size is within kMaxPicturePixels, otherwise why it is refused.
inline QString PixelBoundError(qint64 width, qint64 height)
{
    if (width * height <= kMaxPicturePixels)
        return {};
    return QStringLiteral(
               "The picture has %1 x %2 pixels, more than the %3 million a picture may have")
        .arg(width)
        .arg(height)
        .arg(kMaxPicturePixels / 1'000'000);
}

// A drawing format Qt would read (SVG) can name other files to draw; a document's drawing is
// never drawn inside the program, only by the confined web renderer.
inline bool IsDrawingFormat(const QByteArray& format)
{
    return format.startsWith("svg");
}

inline const QString kDrawingNotPicture =
    QStringLiteral("The file holds a drawing (SVG), not a picture");

// What the check of a picture file found.
struct CheckedPicture
{
    QSize size;     // in pixels; empty when the picture is refused
    QImage preview; // a reduced picture decoded on the way, or null when none was made
    // False when the printer cannot carry the file's bytes as they are and needs the picture
    // decoded (a PNG with transparency or interlacing, for instance).
    bool embeddedAsIs = false;
    QString error; // why the picture is refused; null when it is sound
};

// The printer embeds JPEG and PNG files as they are, so their data is decoded to its end
// beforehand: a damaged or truncated picture is refused instead of printed as a broken page.
class PictureCheck
{
public:
    virtual ~PictureCheck() = default;

    // Checks a JPEG or PNG file. `previewPanel` is the size the preview is shown at; where the
    // check can decode a reduced picture at little cost, it makes one no smaller than a picture
    // scaled to fit that panel.
    virtual CheckedPicture check(const QString& path, QSize previewPanel) const = 0;
};
