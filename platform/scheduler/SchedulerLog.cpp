#include "platform/scheduler/SchedulerLog.h"

Q_LOGGING_CATEGORY(lcScheduler, "corvanta.scheduler", QtInfoMsg)
