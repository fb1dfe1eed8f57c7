#pragma once

#include "conversion/PrintRoute.h"

#include <QString>
#include <stdexcept>

class EncodingDetector;
class IPrinter;

// Reading a plain-text document failed, or it is too long to print; the job has been dropped
// and nothing was saved for it.
class TextReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What the user is told when a text document could not be printed for `reason`.
inline QString TextNotPrinted(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 could not be printed: %2").arg(path, reason);
}

// A text document is printed up to this many pages (about 20 MB of text, seconds of work and a
// few hundred MB at most); a longer one fails instead of costing minutes and gigabytes for a
// PDF nobody could page through.
inline constexpr int kMaxTextPages = 20000;

// How a text document looks on paper.
enum class TextLook
{
    // As a text editor prints plain text: a monospaced face at 10 points, the face's own line
    // spacing, 2 cm margins; a right-to-left line ends at the right margin.
    Editor,
    // Markup as its raw lines: 18 points, line n at y = 38 n, x = 50.
    Markup,
};

// Markup for an .xml path, Editor for any other.
TextLook TextLookFor(const QString& path);

// Prints a text document line by line, markup included; a line that would pass the bottom of the
// page starts a new page. A line wider than the page less its margins wraps after its last blank
// that fits, or inside a word with none; tabs stop every 8 columns. The file is read in chunks, so
// a huge one-line file costs little memory; its encoding is read as ChunkDecoder says, with
// `encodings` (may be null) naming that of a text that does not say it itself.
// Answers whether the printer saved the job. Throws TextReadError when the document cannot be
// read or needs more than kMaxTextPages, and RunStopped when the user stops the run (`progress`
// takes the reports); either way the job is dropped, never saved.
bool PrintTextDocument(IPrinter& printer, const QString& path, const QString& title, TextLook look,
                       const EncodingDetector* encodings, Progress& progress);

// The plain-text route: the document printed by PrintTextDocument in the look its name calls for.
// A document that cannot be read fails with the reason; the user is told it as TextNotPrinted.
class TextRoute final : public PrintRoute
{
public:
    // `encodings` (may be null) names the encoding of a text that does not say it itself.
    explicit TextRoute(IPrinter& printer, const EncodingDetector* encodings = nullptr)
        : m_printer(printer), m_encodings(encodings)
    {
    }

    RouteResult print(const DocumentSource& document, const QString& title,
                      Progress& progress) override;

private:
    IPrinter& m_printer;
    const EncodingDetector* m_encodings;
};
