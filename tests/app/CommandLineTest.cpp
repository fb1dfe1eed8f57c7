#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, TheSwitchFilesAndOptions)
{
    struct Case
    {
        QList<QByteArray> arguments;
        Action action;
        QList<QByteArray> files;
        QString unknown;
    };
    const Case cases[] = {
        {{}, Action::Start, {}, {}},
        {{"a.doc", "../b.png", "/x/./c.xls", "dir/", ""},
         Action::Start,
         {"/work/here/a.doc", "/work/b.png", "/x/c.xls", "/work/here/dir"},
         {}},
        // Not the switch: names of files.
        {{"BATCH", "/BATCH"}, Action::Start, {"/work/here/BATCH", "/BATCH"}, {}},
        {{"-BATCH"}, Action::Batch, {}, {}},
        {{"-batch", "--frobnicate", "a.doc"}, Action::Batch, {}, {}},
        {{"a.doc", "-BATCH"}, Action::Unknown, {}, "-BATCH"},
        {{"--help"}, Action::Help, {}, {}},
        {{"a.doc", "-h", "--frobnicate"}, Action::Help, {}, {}},
        {{"--version"}, Action::Version, {}, {}},
        {{"--frobnicate", "--help"}, Action::Unknown, {}, "--frobnicate"},
        {{"-"}, Action::Unknown, {}, "-"},
        {{"a.doc", "--", "-odd-name.doc", "--help", "--"},
         Action::Start,
         {"/work/here/a.doc", "/work/here/-odd-name.doc", "/work/here/--help", "/work/here/--"},
         {}},
        // A name that is not text keeps its bytes; an option's control characters are escaped.
        {{"caf\xE9.doc", "/x/../caf\xE9.doc"},
         Action::Start,
         {"/work/here/caf\xE9.doc", "/x/../caf\xE9.doc"},
         {}},
        {{"--x\nforged"}, Action::Unknown, {}, "--x\\x0Aforged"},
        // A name starting with ':' is a file of the current folder, not one of Qt's resources.
        {{":notes.txt", ":/x/../y"},
         Action::Start,
         {"/work/here/:notes.txt", "/work/here/:/y"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine command = ParseCommandLine(c.arguments, "/work/here");
        EXPECT_EQ(command.action, c.action);
        EXPECT_EQ(command.files, c.files);
        EXPECT_EQ(command.unknown, c.unknown);
    }
}

} // namespace
