// The built program asked for its usage and version as a child process without a display: it
// answers before anything of it starts.
#include "tests/support/BatchProgram.h"

#include <QDirIterator>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

class CommandLineProgramTest : public BatchProgramFixture
{
protected:
    // Every file and folder under the temporary home, the temporary folder among them.
    QStringList everything() const
    {
        QStringList all;
        QDirIterator it(home.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            all.append(it.next());
        all.sort();
        return all;
    }
};

TEST_F(CommandLineProgramTest, HelpAndVersionAnswerWithoutADisplayAndWriteNothing)
{
    QDir(home.path()).mkpath("tmp");
    QProcessEnvironment env = environment();
    env.insert("TMPDIR", home.filePath("tmp"));
    const QStringList before = everything();
    struct Case
    {
        QStringList arguments;
        int status;
        QStringList printed; // on standard output
        QString error;       // on standard error
    };
    const Case cases[] = {
        {{"--help"}, 0, {"-BATCH", "Corvanta_Batch.txt", settingsFile(), "--version"}, {}},
        {{"--version"}, 0, {"corvanta " CORVANTA_VERSION "\n"}, {}},
        {{"a.doc", "--frobnicate"}, 1, {}, "unknown option --frobnicate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(CORVANTA_PROGRAM), c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString error = QString::fromUtf8(program.readAllStandardError());
        for (const QString& text : c.printed) {
            EXPECT_TRUE(out.contains(text)) << text.toStdString() << " in:\n" << out.toStdString();
        }
        if (c.printed.isEmpty()) {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
        if (c.error.isEmpty()) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        } else
            EXPECT_TRUE(error.contains(c.error) && error.contains("-BATCH")) << error.toStdString();
    }
    EXPECT_EQ(everything(), before);
}

} // namespace
