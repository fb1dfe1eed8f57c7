#pragma once

#include "conversion/PictureCheck.h"

class QIODevice;

// Decodes a JPEG file's entropy-coded data to its end with libjpeg, at a reduced scale, and
// refuses it at the first sign of damage: libjpeg's corrupt-data warnings count as errors. The
// scale is the smallest that still fills `previewPanel`, and the reduced picture is the preview.
// Memory is a few rows, except for a progressive JPEG, whose coefficients libjpeg keeps whole.
CheckedPicture CheckJpeg(QIODevice& file, QSize previewPanel);
