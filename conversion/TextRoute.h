#pragma once

#include <QString>
#include <stdexcept>

class IPrinter;

// Reading a plain-text document failed, or it is too long to print; the job has been dropped
// and nothing was saved for it.
class TextReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A text document is printed up to this many pages (about 20 MB of text, seconds of work and a
// few hundred MB at most); a longer one fails instead of costing minutes and gigabytes for a
// PDF nobody could page through.
inline constexpr int kMaxTextPages = 20000;

// Prints a text document line by line, markup included, 18 points, one line every 38 units;
// a line that would pass the bottom of the page starts a new page. A line wider than the page
// less its margins wraps after its last blank that fits, or inside a word with none. The file is
// read in chunks, so a huge one-line file costs little memory.
// Answers whether the printer saved the job. Throws TextReadError when the document cannot be
// read or needs more than kMaxTextPages, and RunStopped when the user stops the run; either way
// the job is dropped, never saved.
bool PrintTextDocument(IPrinter& printer, const QString& path, const QString& title);
