// Promise: a folder others can write to cannot be turned against the user. A planted link is
// never followed (not for the log, not for a document), a file name cannot forge a line of the
// log, the stored settings are used only when no one else can change them, and what the program
// writes is readable as the user's umask says.
#include "tests/support/BatchProgram.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class SharedFoldersTest : public BatchProgramFixture
{
protected:
    QString victim(const QByteArray& content)
    {
        const QString path = home.filePath("victim-bashrc");
        write(path, content);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static unsigned modeOf(const QString& path)
    {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }
};

TEST_F(SharedFoldersTest, APlantedLogLinkIsNotFollowedAndTheRunGoesOnWithoutALog)
{
    const QString target = victim("export PATH=/usr/bin\n");
    ASSERT_TRUE(QFile::link(target, in("Corvanta_Batch.txt")));
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out());
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(contentOf(target), "export PATH=/usr/bin\n");
    EXPECT_EQ(run.errorLines.filter("Error opening log file").filter("symbolic link").size(), 1)
        << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(out("a.PDF")));
    EXPECT_EQ(run.exitCode, 0);
}

TEST_F(SharedFoldersTest, ANameWithALineBreakCannotForgeALineOfTheLogOrOfStandardError)
{
    write(in("report\nrm -rf ~.xml"), "<a/>\n");
    storeFolders(in(), out());
    const Outcome run = runProgram({"-BATCH"});
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains("report\\x0Arm -rf ~.xml file successfully converted"))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QRegularExpression("^rm")).isEmpty());
    EXPECT_TRUE(run.errorLines.filter(QRegularExpression("^rm")).isEmpty())
        << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(out("report\\x0Arm -rf ~.PDF")));
}

TEST_F(SharedFoldersTest, ALinkToAFileOfSomeoneElseIsListedAsSkippedAndNotPublished)
{
    QTemporaryDir elsewhere;
    const QString secret = elsewhere.filePath("payroll.xml");
    write(secret, "<salary>secret</salary>\n");
    QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(QFile::link(secret, in("steal.xml")));
    storeFolders(in(), out());
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 0) << run.errorLines.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(out("steal.PDF")));
    EXPECT_TRUE(log().contains("steal.xml is not a regular file.  Skipping file"));
}

TEST_F(SharedFoldersTest, StoredSettingsOthersCanChangeAreNotUsed)
{
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out());
    QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::WriteGroup | QFile::ReadOther |
                                              QFile::WriteOther);
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.errorLines.filter(settingsFile()).filter("others may change it").isEmpty())
        << run.errorLines.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(out("a.PDF")));
    EXPECT_FALSE(QFile::exists(in("Corvanta_Batch.txt")));
}

TEST_F(SharedFoldersTest, WhatTheProgramWritesFollowsTheUmaskAndWhatItKeepsIsTheUsersAlone)
{
    write(in("a.xml"), "<a/>\n");
    write(in("letter.rtf"), "{\\rtf1\\ansi Dear customer.\\par}");
    storeFolders(in(), out());
    const Outcome strict = runProgram({"-BATCH"}, [] { ::umask(077); });
    ASSERT_EQ(strict.exitCode, 0) << strict.errorLines.join('\n').toStdString();
    EXPECT_EQ(modeOf(out("a.PDF")), 0600u);
    EXPECT_EQ(modeOf(in("Corvanta_Batch.txt")), 0600u);
    EXPECT_EQ(modeOf(home.filePath(".config/Corvanta/pdfprinter.ini")), 0600u);
    EXPECT_EQ(modeOf(home.filePath(".config/Corvanta")), 0700u);
    EXPECT_EQ(modeOf(home.filePath(".local/share/Corvanta/Corvanta")), 0700u);
    EXPECT_EQ(modeOf(home.filePath(".cache/Corvanta/Corvanta")), 0700u); // the office profile

    QFile::remove(out("a.PDF"));
    QFile::remove(out("letter.PDF"));
    const Outcome usual = runProgram({"-BATCH"}, [] { ::umask(022); });
    ASSERT_EQ(usual.exitCode, 0) << usual.errorLines.join('\n').toStdString();
    EXPECT_EQ(modeOf(out("a.PDF")), 0644u);
    EXPECT_EQ(modeOf(home.filePath(".config/Corvanta/pdfprinter.ini")), 0600u);
}

} // namespace
