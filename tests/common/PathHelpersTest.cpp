#include "common/PathHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct Case
{
    const char* input;
    const char* expected;
};

class WithTrailingBackslashTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(WithTrailingBackslashTest, FollowsTheRules)
{
    EXPECT_EQ(WithTrailingBackslash(QString::fromUtf8(GetParam().input)),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WithTrailingBackslashTest,
    ::testing::Values(Case{"/data", "/data/"},       // one separator added
                      Case{"/data/", "/data/"},      // none when it is there
                      Case{"/", "/"},                // the root stays
                      Case{"  /data  ", "/data/"},   // blanks trimmed
                      Case{"\t/data\r\n", "/data/"}, // control characters trimmed
                      Case{"/data//", "/data//"},    // doubled separators kept, no third
                      Case{"   ", "/"},              // only blanks: one separator
                      Case{"", ""},                  // empty stays empty
                      Case{"C:\\Data", "C:\\Data/"}, // the other slash is no separator
                      Case{"/Dätä ü", "/Dätä ü/"},   // characters above 127 kept
                      Case{"/My Documents", "/My Documents/"}));

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgramWithOneSeparator)
{
    const QString folder = ProgramFolder();
    EXPECT_TRUE(folder.endsWith('/'));
    EXPECT_FALSE(folder.endsWith("//"));
    EXPECT_EQ(folder, QCoreApplication::applicationDirPath() + '/');
}

TEST(ProgramDataFolderTest, IsPerUserWritableAndEndsInASeparator)
{
    const QString folder = ProgramDataFolder();
    EXPECT_TRUE(folder.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    EXPECT_TRUE(folder.endsWith('/'));
    EXPECT_TRUE(QFileInfo(folder).isWritable());
}

} // namespace
