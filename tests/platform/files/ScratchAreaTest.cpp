#include "platform/files/ScratchArea.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// A run in a process of its own, killed when the test is done with it.
class OtherRun
{
public:
    explicit OtherRun(const QString& temporaryFolder)
    {
        int answer[2];
        if (::pipe(answer) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(answer[0]);
            const ScratchArea area(temporaryFolder);
            const QByteArray path = QFile::encodeName(area.path());
            if (::write(answer[1], path.constData(), path.size()) != path.size())
                ::_exit(1);
            ::close(answer[1]);
            for (;;)
                ::pause();
        }
        ::close(answer[1]);
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(answer[0], buffer, sizeof buffer)) > 0)
            m_path += QByteArray(buffer, int(got));
        ::close(answer[0]);
    }
    ~OtherRun() { kill(); }

    QString path() const { return QFile::decodeName(m_path); }
    void kill()
    {
        if (m_pid > 0 && ::kill(m_pid, SIGKILL) == 0)
            ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

private:
    pid_t m_pid = -1;
    QByteArray m_path;
};

TEST(ScratchAreaTest, AKilledRunsFolderIsSweptALiveOneIsNotAndNoLinkIsFollowed)
{
    QTemporaryDir temporary;
    QTemporaryDir outside;
    const QString kept = outside.filePath("kept.txt");
    ASSERT_TRUE(touch(kept));

    OtherRun killed(temporary.path());
    OtherRun alive(temporary.path());
    ASSERT_TRUE(QFileInfo(killed.path()).isDir());
    ASSERT_TRUE(QFileInfo(alive.path()).isDir());
    ASSERT_TRUE(QDir().mkpath(killed.path() + "/nested/deeper"));
    ASSERT_TRUE(touch(killed.path() + "/nested/deeper/file"));
    ASSERT_TRUE(QFile::link(outside.path(), killed.path() + "/nested/folder-link"));
    ASSERT_TRUE(QFile::link(kept, killed.path() + "/file-link"));
    // A link in place of a run folder of the right name.
    ASSERT_TRUE(QFile::link(outside.path(), QFileInfo(killed.path()).path() + "/run-linked"));
    killed.kill();

    {
        const ScratchArea area(temporary.path());
        ASSERT_TRUE(area.isValid()) << area.error().toStdString();
        struct stat info = {};
        ASSERT_EQ(::stat(QFile::encodeName(area.path()).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_FALSE(QFileInfo::exists(killed.path()));
        EXPECT_TRUE(QFileInfo(alive.path()).isDir());
        EXPECT_TRUE(QFileInfo::exists(kept));
        EXPECT_EQ(QDir(outside.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"kept.txt"});
        ASSERT_TRUE(touch(area.path() + "/mine"));
    }
    QStringList left = QDir(QFileInfo(alive.path()).path())
                           .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);
    left.sort();
    QStringList expected{QFileInfo(alive.path()).fileName(), "run-linked"};
    expected.sort();
    EXPECT_EQ(left, expected) << "a normal end removes the run's folder";
}

TEST(ScratchAreaTest, ASharedOrLinkedFolderIsRefused)
{
    QTemporaryDir temporary;
    QTemporaryDir elsewhere;
    const QString ours = temporary.filePath(QStringLiteral("corvanta-%1").arg(::geteuid()));
    ASSERT_TRUE(QDir().mkdir(ours));
    ASSERT_EQ(::chmod(QFile::encodeName(ours).constData(), 0777), 0);
    EXPECT_FALSE(ScratchArea(temporary.path()).isValid()) << "others may write in it";

    ASSERT_TRUE(QDir(ours).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere.path(), ours));
    EXPECT_FALSE(ScratchArea(temporary.path()).isValid()) << "a link";
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

} // namespace
