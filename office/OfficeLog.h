#pragma once

#include <QLoggingCategory>

// The office renderer's log: QT_LOGGING_RULES="corvanta.office.debug=true" shows every document.
Q_DECLARE_LOGGING_CATEGORY(lcOffice)
