#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

class Progress;

// The outside PDF toolkit that merges PDFs.
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

    // Merges `inputs` in order into `output`; waits at most `limit` for the toolkit to finish,
    // reporting to `progress` meanwhile. Throws RunStopped when the user stops the run.
    virtual Result merge(const QStringList& inputs, const QString& output,
                         std::chrono::milliseconds limit, Progress& progress) = 0;
};

// How a PDF is protected: the password that opens it and what it allows once open. A withheld
// permission can only be enforced with encryption, so it encrypts on its own (with an empty
// password that opens the file).
struct PdfProtection
{
    std::optional<QString> password; // none: the file opens without one
    bool allowPrint = true;
    bool allowModify = true;
    bool allowCopy = true;

    bool encrypted() const { return password || !allowPrint || !allowModify || !allowCopy; }
};

// Writes a finished PDF under its final name in one step, protected as asked: the final name
// never holds a partial file, nor the unprotected one.
class PdfPublisher
{
public:
    enum class Outcome
    {
        Published,
        ProtectionFailed, // the protection could not be applied; nothing was written
        Failed,           // the input could not be read or the file not written
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString error; // what went wrong, never the password
    };

    virtual ~PdfPublisher() = default;

    // Writes `input` as `output`, replacing a file of that name. Throws RunStopped when the user
    // stops meanwhile (`progress` takes the reports); nothing is left behind then.
    virtual Result publish(const QString& input, const QString& output,
                           const PdfProtection& protection, Progress& progress) const = 0;
};

// Reads PDF files back, to check what the toolkit wrote before anything is deleted.
class PdfChecker
{
public:
    virtual ~PdfChecker() = default;

    // The number of pages, or -1 when the file is not a readable PDF.
    virtual int pageCount(const QString& pdf, const QString& password = {}) = 0;
};
