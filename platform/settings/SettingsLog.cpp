#include "platform/settings/SettingsLog.h"

Q_LOGGING_CATEGORY(lcSettings, "corvanta.settings", QtInfoMsg)
