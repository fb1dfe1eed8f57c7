#pragma once

#include <QLoggingCategory>

// QT_LOGGING_RULES="corvanta.files.debug=true" shows the scratch folders made and swept.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
