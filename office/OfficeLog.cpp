#include "platform/office/OfficeLog.h"

Q_LOGGING_CATEGORY(lcOffice, "corvanta.office", QtInfoMsg)
