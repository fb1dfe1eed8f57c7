#include "app/OfficeWorkers.h"

#include "batch/FolderSettings.h"
#include "batch/cRegistry.h"

#include <QThread>
#include <algorithm>

int OfficeWorkerCount(ISettingsStore& store)
{
    try {
        const QVariant chosen = ReadRegistryValue(store, kProgramKey, QStringLiteral("Workers"));
        if (chosen.typeId() == QMetaType::Int)
            return std::clamp(chosen.toInt(), 1, 16);
    } catch (const RegistryError&) {
        // not chosen, or the store cannot be read: the machine decides
    }
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}
