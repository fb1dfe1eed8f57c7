#include "platform/pdftk/PdftkToolkit.h"

#include <QFile>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

int QpdfChecker::pageCount(const QString& pdf, const QString& password)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        const QByteArray pw = password.toUtf8();
        document.processFile(QFile::encodeName(pdf).constData(),
                             pw.isEmpty() ? nullptr : pw.constData());
        return static_cast<int>(QPDFPageDocumentHelper(document).getAllPages().size());
    } catch (const std::exception&) {
        return -1;
    }
}
