#pragma once

#include "pdfprinter/PlacedPicture.h"

#include <QList>

class QPDF;

// Draws the pictures on their pages as image XObjects, beneath what the painter drew there.
// Answers true when a picture has 16-bit samples, which need PDF 1.5.
bool PlacePictures(QPDF& pdf, const QList<PlacedPicture>& pictures);
