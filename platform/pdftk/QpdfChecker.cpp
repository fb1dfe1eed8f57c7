#include "platform/pdftk/PdftkToolkit.h"

#include <QFile>
#include <QScopeGuard>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

int QpdfChecker::pageCount(const QString& pdf, const QString& password)
{
    QByteArray pw = password.toUtf8();
    const auto wipe = qScopeGuard([&pw] { pw.fill('\0'); });
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processFile(QFile::encodeName(pdf).constData(),
                             pw.isEmpty() ? nullptr : pw.constData());
        return static_cast<int>(QPDFPageDocumentHelper(document).getAllPages().size());
    } catch (const std::exception&) {
        return -1;
    }
}
