#pragma once

#include "conversion/PictureCheck.h"

class QIODevice;

// Walks a PNG file's chunks, checking each one's CRC, and inflates its image data into a small
// discarded buffer to check that it holds exactly the picture's rows: memory stays constant.
// `file` is open and positioned at the signature.
CheckedPicture CheckPng(QIODevice& file);
