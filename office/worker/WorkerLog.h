#pragma once

#include <QLoggingCategory>

// The office worker's log, on its error stream:
// QT_LOGGING_RULES="corvanta.office.worker.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWorker)
