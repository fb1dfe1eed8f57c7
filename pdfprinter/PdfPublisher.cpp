#include "pdfprinter/PdfPublisher.h"

#include "common/Progress.h"
#include "pdfprinter/OutputPipeline.h"
#include "pdfprinter/PdfSecurity.h"

#include <QFile>
#include <QFileInfo>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

using Outcome = PdfPublisher::Outcome;

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
                                            const PdfProtection& protection,
                                            Progress& progress) const
{
    return WriteKeepingTheWindowAlive(progress, [&](const std::atomic_bool& stop) {
        return write(input, output, protection, stop);
    });
}
