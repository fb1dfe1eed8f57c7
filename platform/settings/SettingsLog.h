#pragma once

#include <QLoggingCategory>

// The settings store's log: QT_LOGGING_RULES="corvanta.settings.debug=true" shows every write.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
