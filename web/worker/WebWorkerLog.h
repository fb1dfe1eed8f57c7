#pragma once

#include <QLoggingCategory>

// QT_LOGGING_RULES="corvanta.web.debug=true" shows the worker's pages as they load and print.
Q_DECLARE_LOGGING_CATEGORY(lcWebWorker)
