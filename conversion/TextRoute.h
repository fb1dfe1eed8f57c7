#pragma once

#include <QString>
#include <stdexcept>

class IPrinter;

// Reading a plain-text document failed: the run ends and its caller reports it.
class TextReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Prints a text document line by line, markup included, 18 points, one line every 38 units;
// a line that would pass the bottom of the page starts a new page. Answers whether the printer
// saved the job; throws TextReadError when the document cannot be read.
bool PrintTextDocument(IPrinter& printer, const QString& path, const QString& title);
