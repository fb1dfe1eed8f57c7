#pragma once

#include <QLoggingCategory>

// QT_LOGGING_RULES="corvanta.process.debug=true" shows every child started and how it ended.
Q_DECLARE_LOGGING_CATEGORY(lcProcess)
