#pragma once

class QImage;
class QString;

// The Bulk Scan page's preview picture, which also shows the picture being converted.
class PicturePreview
{
public:
    virtual ~PicturePreview() = default;

    virtual void showPicture(const QImage& picture) = 0;
    // A picture not decoded yet: the preview decodes it only if and when it is seen.
    virtual void showPictureFile(const QString& path) = 0;
    virtual void clearPicture() = 0;
};
