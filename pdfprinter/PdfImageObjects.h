#pragma once

#include <QImage>
#include <QString>
#include <qpdf/QPDFObjectHandle.hh>

class QPDF;

// The image XObject of a picture: a JPEG file's bytes as they are (DCTDecode), a PNG file's
// compressed samples as they are where PDF can read them (FlateDecode with PNG predictors),
// anything else the decoded image stored losslessly (Flate, alpha as a soft mask).
// A null handle when there is nothing to draw.
QPDFObjectHandle MakeImageXObject(QPDF& pdf, const QString& sourceFile, const QImage& decoded);
