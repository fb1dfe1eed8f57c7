#pragma once

#include <QString>

// True when `path` holds a complete PDF with at least one page, read without any repair: an
// exit status or an answer alone never proves that a PDF was written. `why` gets the reason.
bool IsCompletePdf(const QString& path, QString* why = nullptr);
