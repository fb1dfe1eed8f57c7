#pragma once

class QImage;

// The Bulk Scan page's preview picture, which also shows the picture being converted.
class PicturePreview
{
public:
    virtual ~PicturePreview() = default;

    virtual void showPicture(const QImage& picture) = 0;
    virtual void clearPicture() = 0;
};
