#include "pdfprinter/PdfPrinterLog.h"

Q_LOGGING_CATEGORY(lcPdfPrinter, "corvanta.pdfprinter", QtInfoMsg)
