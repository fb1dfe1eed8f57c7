// The settings file's text format: escaping, typed values, damaged content, and edits that
// keep what an administrator wrote.
#include "platform/settings/SettingsDocument.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

const QString kKey = QStringLiteral("Software\\Corvanta\\Program");

SettingsDocument parsed(const QByteArray& content)
{
    QString problem;
    std::optional<SettingsDocument> document = SettingsDocument::parse(content, problem);
    EXPECT_TRUE(document.has_value()) << problem.toStdString();
    return document.value_or(SettingsDocument());
}

// Writes the value into a fresh document, reads the text back and answers what it holds.
std::optional<SettingsValue> roundTrip(const QString& name, const SettingsValue& value)
{
    SettingsDocument document;
    document.setValue(kKey, name, value);
    return parsed(document.toUtf8()).value(kKey, name);
}

TEST(SettingsFormat, TextsWithCharactersThatNeedEscapesSurviveTheFile)
{
    const QStringList texts{QString(),
                            QStringLiteral("C:\\In\\"),
                            QStringLiteral("two\nlines\r\tand a tab"),
                            QStringLiteral("trailing blanks  "),
                            QStringLiteral("  leading blanks"),
                            QStringLiteral("x=y;#[z]"),
                            QStringLiteral("\\x41 \\n literally"),
                            QString(QChar(1)) + QStringLiteral("control") + QChar(0x7f),
                            QStringLiteral("Übersicht ✓ 文件")};
    for (const QString& text : texts) {
        EXPECT_EQ(roundTrip(QStringLiteral("V"), SettingsValue::fromString(text)),
                  SettingsValue::fromString(text))
            << text.toStdString();
        EXPECT_EQ(roundTrip(QStringLiteral("V"), SettingsValue::fromExpandString(text)),
                  SettingsValue::fromExpandString(text))
            << text.toStdString();
    }
}

TEST(SettingsFormat, NamesThatLookLikeOtherLinesSurviveTheFile)
{
    const QStringList names{
        QString(), QStringLiteral(";comment"), QStringLiteral("#hash"), QStringLiteral("[key]"),
        QStringLiteral(" padded "), QStringLiteral("a=b"), QStringLiteral("back\\slash"),
        QStringLiteral("line\nbreak"),
        // White space the reader does not drop: part of the name.
        QStringLiteral("\u3000;ideographic space"), QStringLiteral("\u00A0[no-break]\u00A0")};
    for (const QString& name : names) {
        SettingsDocument document;
        document.setValue(kKey, name, SettingsValue::fromInteger(7));
        document.setValue(kKey, QStringLiteral("After"), SettingsValue::fromInteger(8));
        const SettingsDocument back = parsed(document.toUtf8());
        EXPECT_EQ(back.value(kKey, name), SettingsValue::fromInteger(7)) << name.toStdString();
        EXPECT_EQ(back.value(kKey, QStringLiteral("After")), SettingsValue::fromInteger(8));
    }
}

TEST(SettingsFormat, IntegersAndBinaryKeepEveryValue)
{
    for (const qint32 number :
         {0, -5, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()})
        EXPECT_EQ(roundTrip(QStringLiteral("N"), SettingsValue::fromInteger(number)),
                  SettingsValue::fromInteger(number));
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("\x00\xff\x10 a", 5), QByteArray(300, '\x80')})
        EXPECT_EQ(roundTrip(QStringLiteral("B"), SettingsValue::fromBinary(bytes)),
                  SettingsValue::fromBinary(bytes));
}

TEST(SettingsFormat, HandWrittenFilesAreReadLeniently)
{
    const SettingsDocument document = parsed("\xEF\xBB\xBF; seeded by hand\r\n"
                                             "\r\n"
                                             "  [ Software\\Corvanta\\Program ]  \r\n"
                                             "  # another comment\r\n"
                                             "  Start  =  String:/srv/in  \r\n"
                                             "Count=INTEGER: +12 \r\n"
                                             "Bytes=binary:43 6F\t72\r\n"
                                             "[software\\corvanta\\program]\r\n"
                                             "Later=expandstring:$HOME\r\n");
    EXPECT_TRUE(document.hasKey(QStringLiteral("Software")));
    EXPECT_TRUE(document.hasKey(QStringLiteral("SOFTWARE\\Corvanta")));
    EXPECT_FALSE(document.hasKey(QStringLiteral("Software\\Corv")));
    EXPECT_EQ(document.value(kKey, QStringLiteral("start")),
              SettingsValue::fromString(QStringLiteral("/srv/in  ")));
    EXPECT_EQ(document.value(kKey, QStringLiteral("Count")), SettingsValue::fromInteger(12));
    EXPECT_EQ(document.value(kKey, QStringLiteral("Bytes")),
              SettingsValue::fromBinary(QByteArray("Cor")));
    EXPECT_EQ(document.value(kKey, QStringLiteral("Later")),
              SettingsValue::fromExpandString(QStringLiteral("$HOME")));
    EXPECT_FALSE(document.value(kKey, QStringLiteral("Missing")).has_value());
}

TEST(SettingsFormat, DamagedContentIsReportedWithItsLine)
{
    const struct
    {
        QByteArray content;
        const char* line;
    } cases[] = {
        {"Orphan=string:x\n", "line 1:"},
        {"[Software]\njunk\n", "line 2:"},
        {"[]\n", "line 1:"},
        {"[\\Software]\n", "line 1:"},
        {"[Software\\\\Corvanta]\n", "line 1:"},
        {"[Software]\nV=dword:5\n", "line 2:"},
        {"[Software]\nV=integer:abc\n", "line 2:"},
        {"[Software]\nV=integer:2147483648\n", "line 2:"},
        {"[Software]\nV=binary:abc\n", "line 2:"},
        {"[Software]\nV=binary:zz\n", "line 2:"},
        {"[Software]\nV=string:C:\\In\n", "line 2:"},
        {"[Software]\nV=string:ends in\\\n", "line 2:"},
        {"[Software]\nV=string:\\x4\n", "line 2:"},
        {"[Software]\nV=string\n", "line 2:"},
        {"[Software]\nv=string:a\n\n[SOFTWARE]\nV=integer:1\n", "line 5:"},
        {"[Software]\nV=string:\xff\xfe\n", "UTF-8"},
    };
    for (const auto& c : cases) {
        QString problem;
        EXPECT_FALSE(SettingsDocument::parse(c.content, problem).has_value())
            << c.content.toStdString();
        EXPECT_TRUE(problem.contains(QLatin1String(c.line)))
            << c.content.toStdString() << " -> " << problem.toStdString();
    }
}

TEST(SettingsFormat, WritesChangeOnlyTheirLineAndKeepTheRest)
{
    SettingsDocument document = parsed("; seeded by hand\n"
                                       "[Software\\Corvanta\\Program]\n"
                                       "# the folders\n"
                                       "convertstartfolder=string:/old\n"
                                       "\n"
                                       "[Software\\Other]\n"
                                       "Keep=integer:1\n");
    document.setValue(kKey, QStringLiteral("ConvertStartFolder"),
                      SettingsValue::fromString(QStringLiteral("/new")));
    document.setValue(QStringLiteral("software\\corvanta\\program"),
                      QStringLiteral("ConvertDestinationFolder"),
                      SettingsValue::fromString(QStringLiteral("/out")));
    document.setValue(QStringLiteral("Software\\Third"), QStringLiteral("Flag"),
                      SettingsValue::fromBinary(QByteArray("\x01", 1)));
    EXPECT_EQ(document.toUtf8(), QByteArray("; seeded by hand\n"
                                            "[Software\\Corvanta\\Program]\n"
                                            "# the folders\n"
                                            "convertstartfolder=string:/new\n"
                                            "ConvertDestinationFolder=string:/out\n"
                                            "\n"
                                            "[Software\\Other]\n"
                                            "Keep=integer:1\n"
                                            "\n"
                                            "[Software\\Third]\n"
                                            "Flag=binary:01\n"));
}

TEST(SettingsFormat, AWriteKeepsACarriageReturnThatEndsALine)
{
    // The reader drops the carriage return before a line feed, not the one before it.
    SettingsDocument document = parsed("; a comment\r\r\n"
                                       "[Software\\Corvanta\\Program]\r\n"
                                       "Kept=string:ends in CR\r\r\n");
    EXPECT_EQ(document.value(kKey, QStringLiteral("Kept")),
              SettingsValue::fromString(QStringLiteral("ends in CR\r")));
    document.setValue(kKey, QStringLiteral("Other"), SettingsValue::fromInteger(1));
    const QByteArray written = document.toUtf8();
    EXPECT_EQ(written, QByteArray("; a comment\r\r\n"
                                  "[Software\\Corvanta\\Program]\n"
                                  "Kept=string:ends in CR\r\r\n"
                                  "Other=integer:1\n"));
    EXPECT_EQ(parsed(written).value(kKey, QStringLiteral("Kept")),
              SettingsValue::fromString(QStringLiteral("ends in CR\r")));
}

} // namespace
