#include "platform/pdfprinter/PdfPublisher.h"

#include "platform/application/Progress.h"
#include "platform/pdfprinter/OutputFile.h"
#include "platform/pdfprinter/PdfSecurity.h"

#include <QFile>
#include <QFileInfo>
#include <future>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

constexpr std::chrono::milliseconds kProgressSlice(50);

using Outcome = PdfPublisher::Outcome;

class WriteFailed : public std::runtime_error
{
public:
    explicit WriteFailed(const QString& reason) : std::runtime_error(reason.toStdString()) {}
};

// Hands what qpdf writes to the output file, whose writes are all checked.
class OutputPipeline final : public Pipeline
{
public:
    OutputPipeline(OutputFile& file, const std::atomic_bool& stop)
        : Pipeline("published file", nullptr), m_file(file), m_stop(stop)
    {
    }

    void write(const unsigned char* data, size_t length) override
    {
        if (m_stop)
            throw RunStopped();
        if (!m_file.write(reinterpret_cast<const char*>(data), qsizetype(length)))
            throw WriteFailed(m_file.errorString());
    }
    void finish() override {}

private:
    OutputFile& m_file;
    const std::atomic_bool& m_stop;
};

PdfPublisher::Result write(const QString& input, const QString& output,
                           const PdfProtection& protection, const std::atomic_bool& stop)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile(QFile::encodeName(input).constData());
    } catch (const std::exception& error) {
        return {Outcome::Failed, QString::fromUtf8(error.what())};
    }
    QPDFWriter writer(pdf);
    try {
        ApplySecurity(writer, protection);
    } catch (const std::exception& error) {
        return {Outcome::ProtectionFailed, QString::fromUtf8(error.what())};
    }
    // The merged streams are stored as they are (only encrypted): nothing to gain from
    // recompressing what the printer and the renderers compressed already.
    writer.setDecodeLevel(qpdf_dl_none);

    const QFileInfo target(output);
    OutputFile file(target.absolutePath(), target.fileName(), true);
    if (!file.open())
        return {Outcome::Failed, file.errorString()};
    try {
        OutputPipeline pipeline(file, stop);
        writer.setOutputPipeline(&pipeline);
        writer.write();
    } catch (const RunStopped&) {
        throw;
    } catch (const std::exception& error) {
        return {Outcome::Failed, QString::fromUtf8(error.what())};
    }
    if (file.commit().isEmpty())
        return {Outcome::Failed, file.errorString()};
    return {Outcome::Published, {}};
}

} // namespace

PdfPublisher::Result QpdfPublisher::publish(const QString& input, const QString& output,
                                            const PdfProtection& protection) const
{
    std::atomic_bool stop = false;
    std::future<Result> writing =
        std::async(std::launch::async, [&] { return write(input, output, protection, stop); });
    while (writing.wait_for(kProgressSlice) != std::future_status::ready) {
        if (!stop && !ReportProgress())
            stop = true;
    }
    return writing.get();
}
