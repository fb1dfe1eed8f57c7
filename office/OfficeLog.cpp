#include "office/OfficeLog.h"

Q_LOGGING_CATEGORY(lcOffice, "corvanta.office", QtInfoMsg)
