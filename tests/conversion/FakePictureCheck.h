#pragma once

#include "conversion/PictureCheck.h"

#include <QImageReader>

// The picture check for the core's tests: a picture Qt can decode passes, with no preview.
class FakePictureCheck final : public PictureCheck
{
public:
    CheckedPicture check(const QString& path, QSize) const override
    {
        QImageReader reader(path);
        const QImage picture = reader.read();
        if (picture.isNull())
            return {{}, {}, false, reader.errorString()};
        return {picture.size(), {}, true, {}};
    }
};

inline const FakePictureCheck kFakePictureCheck;
