#pragma once

#include <QFile>
#include <QString>
#include <memory>
#include <stdexcept>

class Clock;
class LogFileOpener;

inline const QString kBatchLogName = QStringLiteral("Corvanta_Batch.txt");

// Writing to a log that is not open: the run ends and the caller reports it.
class BatchLogError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The plain-text log of a batch run. Each line ends in CR LF and is flushed at once, so a run
// that dies leaves its log up to that point.
class BatchLog
{
public:
    // `files` opens the log; without one no log can be written.
    BatchLog(const Clock& clock, const LogFileOpener* files);

    // Truncates or creates the log. On failure answers false with the file and the reason in
    // `error`; the run then goes on without a log.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_file && m_file->isOpen(); }
    void close();

    // Writes nothing when the log is not open; throws BatchLogError when the line cannot be
    // written. Control characters are written as escapes.
    void writeLine(const QString& line = {});
    // The local date and time as the system formats it: short date, a blank, long time;
    // the time is left out at exactly midnight.
    QString stamp() const;

private:
    const Clock& m_clock;
    const LogFileOpener* m_files;
    std::unique_ptr<QFile> m_file;
};
