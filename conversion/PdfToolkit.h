#pragma once

#include <QString>
#include <QStringList>
#include <chrono>

// The outside PDF toolkit that merges PDFs and protects them with a password.
class PdfToolkit
{
public:
    struct Result
    {
        bool started = false;   // false: the toolkit could not be started at all
        bool succeeded = false; // it ran to its end and reported success
        QString error;          // what went wrong, for the user
    };

    virtual ~PdfToolkit() = default;

    // Merges `inputs` in order into `output`; waits at most `limit` for the toolkit to finish.
    virtual Result merge(const QStringList& inputs, const QString& output,
                         std::chrono::milliseconds limit) = 0;
    // Writes `input` protected by a user password to `output`. Without `allowPrinting` every
    // permission is withheld. The password never appears on a command line.
    virtual Result protect(const QString& input, const QString& output, const QString& password,
                           bool allowPrinting, std::chrono::milliseconds limit) = 0;
};

// Reads PDF files back, to check what the toolkit wrote before anything is deleted.
class PdfChecker
{
public:
    virtual ~PdfChecker() = default;

    // The number of pages, or -1 when the file is not a readable PDF.
    virtual int pageCount(const QString& pdf, const QString& password = {}) = 0;
};
