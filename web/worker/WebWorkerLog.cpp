#include "web/worker/WebWorkerLog.h"

Q_LOGGING_CATEGORY(lcWebWorker, "corvanta.web", QtWarningMsg)
