// The built program started as a child process for an unattended -BATCH run, with a temporary
// home and no display, as the system's scheduler would start it.
#include "tests/support/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QStringList errorLines;
};

class BatchProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(home.path()).mkpath(".config/Corvanta");
        QDir(home.path()).mkpath("in/sub");
        QDir(home.path()).mkpath("out");
    }

    QString in(const QString& name = {}) const { return home.filePath("in/" + name); }
    QString out(const QString& name = {}) const { return home.filePath("out/" + name); }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    void storeFolders(const QString& start, const QString& destination)
    {
        write(home.filePath(".config/Corvanta/settings.ini"),
              "[Software\\Corvanta\\Program]\nConvertStartFolder=string:" + start.toUtf8() +
                  "\nConvertDestinationFolder=string:" + destination.toUtf8() + "\n");
    }
    Outcome runProgram(const QStringList& arguments)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        env.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        env.insert("XDG_CACHE_HOME", home.filePath(".cache"));
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(CORVANTA_PROGRAM), arguments);
        EXPECT_TRUE(program.waitForFinished(180000)) << "the program did not end by itself";
        Outcome outcome;
        outcome.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        outcome.errorLines = QString::fromUtf8(program.readAllStandardError()).split('\n');
        return outcome;
    }
    QStringList log() const
    {
        QFile file(in("Corvanta_Batch.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
        lines.removeLast(); // after the last line's end
        return lines;
    }

    QTemporaryDir home;
};

TEST_F(BatchProgramTest, ConvertsTheStoredStartingFolderAndEndsByItself)
{
    write(in("orders.xml"), "<orders>\n  <order id=\"42\"/>\n</orders>\n");
    write(in(".hidden.xml"), "<hidden/>\n");
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    picture.save(in("photo.png"));
    write(in("report.pdf"), "%PDF-1.4 not converted");
    write(in("kept.xml"), "<kept/>\n");
    write(out("kept.PDF"), "an earlier run's PDF");
    write(in("unknown.xyz"), "no handler");
    write(in("letter.rtf"), "{\\rtf1\\ansi Dear customer, your order has shipped.\\par}");
    write(in("prices.html"), "<html><body><h1>Price list</h1><table><tr><td>Toner</td>"
                             "<td>39.00</td></tr></table></body></html>");
    write(in("sub/inner.xml"), "<inner/>\n");
    write(in("Corvanta_Batch.txt"), "the old log\r\n");
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 0) << run.errorLines.join('\n').toStdString();

    // PDFs under the exact expected names, with their documents' contents.
    PdfProbe orders(out("orders.PDF"));
    ASSERT_TRUE(orders.isOpen()) << orders.error().toStdString();
    EXPECT_EQ(orders.pageCount(), 1);
    EXPECT_TRUE(orders.pageTexts()[0].contains("<order id=\"42\"/>"));
    EXPECT_EQ(PdfProbe(out("photo.PDF")).images().size(), 1);
    EXPECT_TRUE(
        PdfProbe(out("letter.PDF")).pageTexts().join(' ').contains("your order has shipped"));
    // The name loses the last four characters of the document's: "prices.html" gives "prices.".
    EXPECT_TRUE(PdfProbe(out("prices..PDF")).pageTexts().join(' ').contains("Toner"));
    EXPECT_TRUE(QFile::exists(out(".hidden.PDF")));
    QFile kept(out("kept.PDF"));
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), "an earlier run's PDF");
    EXPECT_FALSE(QFile::exists(out("inner.PDF")));
    EXPECT_FALSE(QFile::exists(out("report.PDF")));
    EXPECT_FALSE(QFile::exists(out("unknown.PDF")));
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden).size(), 6);

    // The log, line by line (date and time as the system formats them).
    const QString stamp = QStringLiteral("\\S+( \\S+)*");
    const QStringList lines = log();
    ASSERT_EQ(lines.size(), 16) << lines.join('\n').toStdString();
    EXPECT_TRUE(QRegularExpression("^Starting Corvanta Batch job at " + stamp + "$")
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1, 2), (QStringList{"", ""}));
    EXPECT_TRUE(lines[3].startsWith("Started converstion for 9 files at "));
    EXPECT_EQ(lines.mid(4, 2), (QStringList{"", ""}));
    QStringList rows = lines.mid(6, 8);
    rows.sort();
    EXPECT_EQ(rows, (QStringList{".hidden.xml file successfully converted",
                                 "Error converting file unknown.xyz Check File Type.",
                                 "File kept.PDF exists.  SKIPPING this file",
                                 "letter.rtf file successfully converted",
                                 "orders.xml file successfully converted",
                                 "photo.png file successfully converted",
                                 "prices.html file successfully converted",
                                 "report.pdf already in PDF format.  Skipping file"}));
    EXPECT_EQ(lines[14], "");
    EXPECT_TRUE(lines[15].startsWith(" Finished Converstion at ") && lines[15].endsWith("."));

    // One progress line per document and a summary.
    EXPECT_EQ(
        run.errorLines
            .filter(QRegularExpression("^\\[\\d/9\\] unknown.xyz: Completed \\(with an error"))
            .size(),
        1);
    EXPECT_EQ(run.errorLines.filter(QRegularExpression("^\\[\\d/9\\] ")).size(), 9);
    EXPECT_TRUE(run.errorLines.filter("orders.xml: Completed").size() == 1);
    EXPECT_TRUE(run.errorLines.contains("corvanta: 5 converted, 1 failed, 2 skipped"))
        << run.errorLines.join('\n').toStdString();
}

TEST_F(BatchProgramTest, ALowerCaseSwitchConvertsButCannotEndSoItSaysWhy)
{
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out());
    const Outcome run = runProgram({"-batch"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(QFile::exists(out("a.PDF")));
    EXPECT_FALSE(log().isEmpty());
    EXPECT_EQ(run.errorLines.filter("not written exactly as -BATCH").size(), 1)
        << run.errorLines.join('\n').toStdString();
}

TEST_F(BatchProgramTest, RunsThatCannotStartEndWithAReason)
{
    struct Case
    {
        const char* why;
        std::function<void()> prepare;
        QStringList arguments = {"-BATCH"};
    };
    const QList<Case> cases = {
        {"2 characters or fewer", [this] { storeFolders("C:", out()); }},
        {"2 characters or fewer",
         [this] { QFile::remove(home.filePath(".config/Corvanta/settings.ini")); }},
        {"holds no file", [this] { storeFolders(in("sub/empty"), out()); }},
        {"holds no file", [this] { storeFolders(in("missing"), out()); }},
        // Only the first argument is the switch, even after an option Qt knows.
        {"no -BATCH switch", [this] { storeFolders(in(), out()); }, {"-reverse", "-BATCH"}},
    };
    QDir(in()).mkpath("sub/empty");
    for (const Case& c : cases) {
        c.prepare();
        const Outcome run = runProgram(c.arguments);
        EXPECT_NE(run.exitCode, 0) << c.why;
        EXPECT_EQ(run.errorLines.filter(c.why).size(), 1)
            << run.errorLines.join('\n').toStdString();
        EXPECT_FALSE(QFile::exists(in("Corvanta_Batch.txt")));
    }
}

TEST_F(BatchProgramTest, ADamagedStoreIsReportedAndTheProgramStillEnds)
{
    write(home.filePath(".config/Corvanta/settings.ini"), "[[[ not a settings file\n");
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.errorLines.filter("The configuration registry key could not be read.").size(), 1)
        << run.errorLines.join('\n').toStdString();
    EXPECT_EQ(run.errorLines.filter("2 characters or fewer").size(), 1);
}

} // namespace
