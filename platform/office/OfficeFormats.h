#pragma once

#include <QString>

// True when the office lays out documents of this type: word-processor, spreadsheet,
// presentation and drawing formats and plain text. Pictures, PDFs and web pages have renderers
// of their own.
bool OfficeImports(const QString& path);

// Windows metafiles (WMF, EMF): pictures the office draws and Qt does not read.
bool IsVectorPicture(const QString& path);
