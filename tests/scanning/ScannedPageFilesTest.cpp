// Page files of several windows in one folder: who may delete which, and what a killed window
// leaves to the next start.
#include "scanning/ScannedPageFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Folder
{
    QString path() const { return dir.path() + '/'; }
    bool has(const QString& name) const { return QFile::exists(path() + name); }
    QTemporaryDir dir;
};

QString claimed(ScannedPageFiles& pages, int count)
{
    QString error;
    const QString path = pages.claim(count, &error);
    EXPECT_FALSE(path.isEmpty()) << error.toStdString();
    return QFileInfo(path).fileName();
}

TEST(ScannedPageFilesTest, WindowsTakeDistinctNamesAndDeleteOnlyTheirOwn)
{
    Folder folder;
    ScannedPageFiles a(folder.path());
    ScannedPageFiles b(folder.path());
    EXPECT_EQ(claimed(a, 1), "ScannedImage1.jpg");
    EXPECT_EQ(claimed(b, 1), "ScannedImage2.jpg") << "1 is taken";
    EXPECT_EQ(claimed(a, 2), "ScannedImage3.jpg");
    EXPECT_TRUE(a.owns(folder.path() + "ScannedImage3.jpg"));
    EXPECT_FALSE(a.owns(folder.path() + "ScannedImage2.jpg"));

    // A window starting now removes what nobody owns, and nothing of the running ones.
    QFile(folder.path() + "ScannedImage9.jpg").open(QIODevice::WriteOnly);
    {
        ScannedPageFiles c(folder.path());
    }
    EXPECT_FALSE(folder.has("ScannedImage9.jpg"));
    for (const char* name : {"ScannedImage1.jpg", "ScannedImage2.jpg", "ScannedImage3.jpg"})
        EXPECT_TRUE(folder.has(name)) << name;

    a.deleteOwn();
    EXPECT_FALSE(folder.has("ScannedImage1.jpg"));
    EXPECT_FALSE(folder.has("ScannedImage3.jpg"));
    EXPECT_TRUE(folder.has("ScannedImage2.jpg"));
    EXPECT_EQ(b.pages(), QStringList{folder.path() + "ScannedImage2.jpg"});
}

TEST(ScannedPageFilesTest, AKilledWindowsPagesGoAtTheNextStartAndTheLiveOnesStay)
{
    Folder folder;
    ScannedPageFiles live(folder.path());
    claimed(live, 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A window that scans a page and is killed: nothing of its own clean-up runs.
        auto* killed = new ScannedPageFiles(folder.path());
        QString error;
        _exit(killed->claim(1, &error).isEmpty() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(folder.has("ScannedImage2.jpg")) << "the killed window's page";

    ScannedPageFiles next(folder.path());
    EXPECT_FALSE(folder.has("ScannedImage2.jpg"));
    EXPECT_TRUE(folder.has("ScannedImage1.jpg"));
    // Its registration went with it.
    EXPECT_TRUE(QDir(folder.path() + "scan-owners")
                    .entryList({QString::number(child) + "-*"}, QDir::Files)
                    .isEmpty());
}

} // namespace
