#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

// A picture drawn on a job's canvas, kept aside so that the printer can embed the file itself
// instead of letting the painter re-encode it.
struct PlacedPicture
{
    int page = 0;  // counted from 0
    QRectF target; // in points, origin at the page's top left corner
    QString sourceFile;
    QImage decoded; // what is drawn when the file cannot be embedded as it is
};
