#include "pdfprinter/PdfOutput.h"

#include "pdfprinter/OutputName.h"
#include "pdfprinter/OutputPipeline.h"
#include "pdfprinter/PdfPrinterLog.h"
#include "pdfprinter/PdfSecurity.h"
#include "pdfprinter/PicturePlacement.h"
#include "pdfprinter/ToUnicodeLetters.h"

#include <QDir>
#include <QFileInfo>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

using Handle = QPDFObjectHandle;

const char* const kProducer = "Corvanta PDF Printer";

void setInfo(QPDF& pdf, const OutputOptions& options, bool reproducible)
{
    Handle trailer = pdf.getTrailer();
    Handle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = pdf.makeIndirectObject(Handle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    if (options.title)
        info.replaceKey("/Title", Handle::newUnicodeString(options.title->toStdString()));
    if (options.subject)
        info.replaceKey("/Subject", Handle::newUnicodeString(options.subject->toStdString()));
    info.replaceKey("/Producer", Handle::newUnicodeString(kProducer));
    if (reproducible) {
        info.removeKey("/CreationDate");
        info.removeKey("/ModDate");
    }
}

// The painter and the renderers compress their content; without text compression it is
// stored plain. Pictures keep their own compression either way.
void uncompressContent(QPDF& pdf)
{
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        for (Handle& content : page.getPageContents()) {
            if (content.getDict().getKey("/Filter").isNull())
                continue;
            std::shared_ptr<Buffer> plain = content.getStreamData(qpdf_dl_generalized);
            content.replaceStreamData(plain, Handle::newNull(), Handle::newNull());
        }
    }
}

void writeTo(QPDF& pdf, OutputFile& file, const std::atomic_bool& stop,
             const OutputOptions& options, bool reproducible, bool deepSamples)
{
    QPDFWriter writer(pdf);
    OutputPipeline pipeline(file, stop);
    writer.setOutputPipeline(&pipeline);
    if (deepSamples)
        writer.setMinimumPDFVersion("1.5"); // 16-bit image samples
    if (options.compressContent) {
        writer.setCompressStreams(true);
        writer.setDecodeLevel(qpdf_dl_generalized); // Flate data stays, JPEG is never touched
    } else {
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
    }
    if (reproducible && !options.encrypted())
        writer.setDeterministicID(true);
    ApplySecurity(writer, options);
    writer.write();
}

} // namespace

QString WriteJobPdf(const PdfJobOutput& job, const OutputOptions& options,
                    const std::atomic_bool& stop)
{
    const QString fileName = OutputFileName(options.saveFile, job.title);
    const QString target = QDir(options.saveFolder).filePath(fileName);
    if (options.saveFolder.isEmpty() || !QFileInfo(options.saveFolder).isDir())
        throw PdfOutputError(target, QStringLiteral("the folder %1 does not exist")
                                         .arg(QDir::toNativeSeparators(options.saveFolder)));
    if (fileName.isEmpty())
        throw PdfOutputError(
            options.saveFolder,
            QStringLiteral("the file name template %1 makes no file name").arg(options.saveFile));

    QPDF pdf;
    try {
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(job.sourcePdf).constData());
        const bool deepSamples = PlacePictures(pdf, job.pictures);
        MapPresentationFormsToLetters(pdf);
        setInfo(pdf, options, job.reproducible);
        if (!options.compressContent)
            uncompressContent(pdf);

        OutputFile output(options.saveFolder, fileName, options.replaceExisting,
                          options.ownerOnly ? OutputFile::Access::OwnerOnly
                                            : OutputFile::Access::AsUsual);
        if (!output.open())
            throw PdfOutputError(target, output.errorString());
        writeTo(pdf, output, stop, options, job.reproducible, deepSamples);
        const QString written = output.commit();
        if (written.isEmpty())
            throw PdfOutputError(target, output.errorString());
        if (pdf.anyWarnings())
            qCDebug(lcPdfPrinter) << "qpdf warned while writing" << written;
        return written;
    } catch (const PdfOutputError&) {
        throw;
    } catch (const RunStopped&) {
        throw;
    } catch (const std::exception& error) {
        throw PdfOutputError(target, QString::fromUtf8(error.what()));
    }
}
