#include "office/PdfCheck.h"

#include <QFile>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <exception>

namespace {

bool fail(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

bool IsCompletePdf(const QString& path, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, QStringLiteral("no file was written"));
    if (!file.read(5).startsWith("%PDF-"))
        return fail(why, QStringLiteral("the file is not a PDF"));
    file.close();
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData());
        const auto pages = QPDFPageDocumentHelper(pdf).getAllPages().size();
        // qpdf repairs a truncated file with warnings; a complete one needs no repair.
        if (pdf.anyWarnings())
            return fail(why, QStringLiteral("the PDF is damaged or incomplete"));
        if (pages == 0)
            return fail(why, QStringLiteral("the PDF has no pages"));
    } catch (const std::exception& error) {
        return fail(why, QString::fromLocal8Bit(error.what()));
    }
    return true;
}
