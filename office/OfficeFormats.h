#pragma once

#include <QString>

class QMimeType;

// True when the office lays out documents named so: word-processor, spreadsheet, presentation,
// drawing and desktop-publishing formats. Pictures, PDFs, web pages and plain text have routes
// of their own.
bool OfficeImports(const QString& path);
// True when the office lays out documents of this content type, whatever their name.
bool OfficeReadsType(const QMimeType& type);
