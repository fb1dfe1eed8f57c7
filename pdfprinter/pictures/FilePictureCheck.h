#pragma once

#include "conversion/PictureCheck.h"

// The picture check on the files themselves: JPEG with libjpeg, PNG with zlib.
class FilePictureCheck final : public PictureCheck
{
public:
    CheckedPicture check(const QString& path, QSize previewPanel) const override;
};

// It holds no state, so one serves everyone.
inline const FilePictureCheck kFilePictureCheck;
