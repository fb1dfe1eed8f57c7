#include "platform/scheduler/AtDaemon.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

struct Case
{
    const char* name;
    QByteArray pidFile;
    QMap<QString, QByteArray> processes; // pid → comm
    bool running;
};

TEST(AtDaemon, FoundByItsPidFileOrElseInTheProcessTable)
{
    const Case cases[] = {
        {"pid file names atd", "12\n", {{"12", "atd\n"}}, true},
        {"stale pid file, atd elsewhere", "12\n", {{"12", "bash\n"}, {"40", "atd\n"}}, true},
        {"stale pid file, no atd", "12\n", {{"12", "bash\n"}, {"40", "atdx\n"}}, false},
    };
    for (const Case& c : cases) {
        QTemporaryDir root;
        const QString proc = root.filePath("proc");
        for (auto it = c.processes.begin(); it != c.processes.end(); ++it) {
            ASSERT_TRUE(QDir().mkpath(proc + '/' + it.key()));
            ASSERT_TRUE(write(proc + '/' + it.key() + "/comm", it.value()));
        }
        ASSERT_TRUE(write(root.filePath("atd.pid"), c.pidFile));
        EXPECT_EQ(AtDaemonRunning(root.filePath("atd.pid"), proc), c.running) << c.name;
    }
}

} // namespace
