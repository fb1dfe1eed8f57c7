#pragma once

#include <QString>

// How a document becomes a print job, chosen from its path alone.
enum class Route
{
    Image,     // drawn by the program on the printer's canvas
    Pdf,       // already a PDF: nothing to print
    Word,      // the office renderer, word-processor documents
    Excel,     // the office renderer, workbooks
    Browser,   // the web renderer
    PlainText, // .xml and .txt: drawn line by line on the canvas, markup included
    Shell,     // the print-handler table
};

// True when the last four characters, upper-cased, name a picture type the picture route takes.
bool IsImageDocument(const QString& path);
// The first matching rule wins; see the table in the implementation.
Route SelectRoute(const QString& path);
