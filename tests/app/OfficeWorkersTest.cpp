#include "app/OfficeWorkers.h"

#include "batch/FolderSettings.h"
#include "batch/cRegistry.h"
#include "platform/settings/FileSettingsStore.h"

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

TEST(OfficeWorkers, TheStoredChoiceWithinBoundsElseOnePerCoreUpToFour)
{
    const int cores = std::clamp(QThread::idealThreadCount(), 1, 4);
    const struct
    {
        QVariant stored; // none: not stored
        int typeCode;
        int expected;
    } cases[] = {
        {{}, 0, cores},
        {1, kRegistryInteger, 1},
        {3, kRegistryInteger, 3},
        {0, kRegistryInteger, 1},
        {99, kRegistryInteger, 16},
        {QStringLiteral("2"), kRegistryString, cores},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.stored.toString().toStdString());
        QTemporaryDir config;
        FileSettingsStore store(config.filePath("settings.ini"));
        if (test.stored.isValid())
            WriteRegistryValue(store, kProgramKey, "Workers", test.typeCode, test.stored);
        EXPECT_EQ(OfficeWorkerCount(store), test.expected);
    }
}
