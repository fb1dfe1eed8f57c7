#pragma once

#include "conversion/PrintRoute.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What the program and its office worker say to each other, one JSON object per line.

// Lay out one document as a PDF.
struct OfficeRequest
{
    Route route = Route::Word;
    QString document;
    QString pdf;

    QByteArray toLine() const;
    static std::optional<OfficeRequest> fromLine(const QByteArray& line);
};

// Why a document was not laid out.
enum class OfficeFailure
{
    None,
    Password,   // protected by a password: nobody is there to type it
    Unreadable, // damaged, or not a document the office reads
    Export,     // opened, but no PDF could be written
    Office,     // the office itself failed or is missing; the worker should be restarted
    Memory,     // it needed more memory than the office may take; the office was ended
    Request,    // the request line was not understood
};

struct OfficeAnswer
{
    OfficeFailure failure = OfficeFailure::None;
    QString detail; // the office's own words, for the log and the message

    bool ok() const { return failure == OfficeFailure::None; }
    QByteArray toLine() const;
    static std::optional<OfficeAnswer> fromLine(const QByteArray& line);
};
