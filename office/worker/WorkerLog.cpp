#include "office/worker/WorkerLog.h"

Q_LOGGING_CATEGORY(lcWorker, "corvanta.office.worker", QtInfoMsg)
