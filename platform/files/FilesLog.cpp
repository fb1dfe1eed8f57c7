#include "platform/files/FilesLog.h"

Q_LOGGING_CATEGORY(lcFiles, "corvanta.files", QtInfoMsg)
