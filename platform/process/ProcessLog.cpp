#include "platform/process/ProcessLog.h"

Q_LOGGING_CATEGORY(lcProcess, "corvanta.process", QtInfoMsg)
