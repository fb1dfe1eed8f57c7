#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What the program and its web worker say to each other, one JSON object per line. The program
// asks; the worker answers every render with one line, and nothing else.

enum class WebCommand
{
    Prepare, // load and print the document ahead; its PDF waits for its render
    Render,  // print the document into `pdf`
    Forget,  // what was prepared is not wanted any more
};

enum class WebContent
{
    Page,    // a web page (HTML)
    Drawing, // an SVG drawing, perhaps gzip-compressed
};

struct WebRequest
{
    WebCommand command = WebCommand::Render;
    WebContent content = WebContent::Page;
    // The document as listed, absolute: the key of the page, and the folder it may read.
    QString document;
    // A file holding the document's bytes, read by the program; the worker takes it (and
    // removes it) and never opens the document by its own name.
    QString bytes;
    QString pdf; // for a render: where the worker writes the PDF

    QByteArray toLine() const;
    static std::optional<WebRequest> fromLine(const QByteArray& line);
};

// Why a document was not printed.
enum class WebFailure
{
    None,
    NotReady,      // not ready to print within the wait limit
    PrintTimedOut, // printing did not finish within the wait limit
    NotLoaded,     // the page could not be loaded
    NotPrinted,    // the engine gave no PDF
    Memory,        // its renderer held more than a page may use and was ended
    RendererEnded, // its renderer stopped; the detail says how ("crashed", "killed"...)
    Request,       // the request was not understood, or its bytes not there
};

struct WebAnswer
{
    WebFailure failure = WebFailure::None;
    QString detail;

    bool ok() const { return failure == WebFailure::None; }
    QByteArray toLine() const;
    static std::optional<WebAnswer> fromLine(const QByteArray& line);
};
