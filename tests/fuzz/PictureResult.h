#pragma once

#include "conversion/PictureCheck.h"
#include "tests/fuzz/FuzzSupport.h"

// What every picture check promises: a refusal says why and has no size; a sound picture has
// a size within the pixel bound, and its preview, if any, is no larger than the picture.
inline void CheckPictureResult(const CheckedPicture& result)
{
    if (!result.error.isNull()) {
        FUZZ_CHECK(!result.error.isEmpty());
        FUZZ_CHECK(result.size.isEmpty());
        return;
    }
    FUZZ_CHECK(!result.size.isEmpty());
    FUZZ_CHECK(PixelBoundError(result.size.width(), result.size.height()).isNull());
    FUZZ_CHECK(result.preview.isNull() || (result.preview.width() <= result.size.width() &&
                                           result.preview.height() <= result.size.height()));
}
