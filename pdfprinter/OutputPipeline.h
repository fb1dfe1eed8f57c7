#pragma once

#include "common/Progress.h"
#include "pdfprinter/OutputFile.h"

#include <atomic>
#include <chrono>
#include <future>
#include <qpdf/Pipeline.hh>
#include <stdexcept>

// A write into the output file failed; what() says why, in words for the user.
class OutputWriteFailed : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Hands what qpdf writes to the output file, whose writes are all checked. Once `stop` is set
// the writing is dropped at its next write: RunStopped.
class OutputPipeline final : public Pipeline
{
public:
    OutputPipeline(OutputFile& file, const std::atomic_bool& stop)
        : Pipeline("output file", nullptr), m_file(file), m_stop(stop)
    {
    }

    void write(const unsigned char* data, size_t length) override
    {
        if (m_stop)
            throw RunStopped();
        if (!m_file.write(reinterpret_cast<const char*>(data), qsizetype(length)))
            throw OutputWriteFailed(m_file.errorString().toStdString());
    }
    void finish() override {}

private:
    OutputFile& m_file;
    const std::atomic_bool& m_stop;
};

// A large PDF takes seconds to write (a scan of many pages, thousands of pages of text): `write`
// runs on a thread of its own while this one reports progress, so the window stays alive, and a
// stop sets the flag `write` hands to its OutputPipeline. Answers what `write` answers.
template <typename Write> auto WriteKeepingTheWindowAlive(Progress& progress, Write write)
{
    constexpr std::chrono::milliseconds kProgressSlice(50);
    std::atomic_bool stop = false;
    auto writing = std::async(std::launch::async, [&] { return write(stop); });
    while (writing.wait_for(kProgressSlice) != std::future_status::ready) {
        if (!stop && !progress.advance(-1))
            stop = true;
    }
    return writing.get();
}
