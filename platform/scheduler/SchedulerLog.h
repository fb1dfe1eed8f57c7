#pragma once

#include <QLoggingCategory>

// QT_LOGGING_RULES="corvanta.scheduler.debug=true" shows every call of at, atq and atrm.
Q_DECLARE_LOGGING_CATEGORY(lcScheduler)
