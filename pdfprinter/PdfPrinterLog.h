#pragma once

#include <QLoggingCategory>

// The PDF printer's log: QT_LOGGING_RULES="corvanta.pdfprinter.debug=true" shows every job.
Q_DECLARE_LOGGING_CATEGORY(lcPdfPrinter)
