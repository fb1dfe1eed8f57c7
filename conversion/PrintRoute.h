#pragma once

#include "conversion/DocumentSource.h"

#include <QString>
#include <utility>

class Progress;

// How a document becomes a print job, chosen from its path alone (see RouteTable).
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

// What became of a document on its route.
enum class RouteOutcome
{
    Printed,
    Failed,
    Unassociated, // the route has nothing that prints a document of this type
};

// A route's answer for one document.
struct RouteResult
{
    static RouteResult printed() { return {RouteOutcome::Printed, {}, false}; }
    static RouteResult unassociated() { return {RouteOutcome::Unassociated, {}, false}; }
    // The route could not print the document, for `reason`; the user has not been told yet.
    static RouteResult failed(QString reason)
    {
        return {RouteOutcome::Failed, std::move(reason), false};
    }
    // The PDF printer could not save the job, for `reason`. The printer reports that itself (its
    // error message reaches the main window), so nobody else tells the user again.
    static RouteResult notSaved(QString reason)
    {
        return {RouteOutcome::Failed, std::move(reason), true};
    }

    RouteOutcome outcome = RouteOutcome::Printed;
    QString reason; // why it failed, for the log and the row; may be empty
    bool printerReports = false;
};

// One way of printing documents to the PDF printer. A route reports what became of a document;
// it shows nothing itself, so the run tells each failure once, as it is meant to be told.
class PrintRoute
{
public:
    virtual ~PrintRoute() = default;

    // Prints `document` as one job titled `title` (its expected PDF name), reporting to
    // `progress` while it works. Throws RunStopped when the user stops the run; every other
    // failure is a result.
    virtual RouteResult print(const DocumentSource& document, const QString& title,
                              Progress& progress) = 0;
    // A hint: `document` will be printed soon; a route may start on it now, beside the run's own
    // work. Never throws; print() reports what went wrong.
    virtual void prepare(const DocumentSource& /*document*/) {}
    // A hint: what was prepared and not printed is not wanted any more (the run ended; the
    // documents may change before the next one).
    virtual void forgetPrepared() {}
};
