// The built program started as a child process for an unattended -BATCH run, with a temporary
// home and no display, as the system's scheduler would start it.
#include "tests/support/BatchProgram.h"
#include "platform/files/FolderRunLock.h"
#include "tests/support/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class BatchProgramTest : public BatchProgramFixture
{
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
    write(in("unknown.xyz"), QByteArray("\x7f"
                                        "ELF\x02\x01 no handler",
                                        16)); // no text either
    write(in("letter.rtf"), "{\\rtf1\\ansi Dear customer, your order has shipped.\\par}");
    write(in("prices.html"), "<html><body><h1>Price list</h1><table><tr><td>Toner</td>"
                             "<td>39.00</td></tr></table></body></html>");
    write(in("sub/inner.xml"), "<inner/>\n");
    write(in("Corvanta_Batch.txt"), "the old log\r\n");
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    // unknown.xyz cannot be converted: the run finished, but not everything was converted.
    EXPECT_EQ(run.exitCode, 2) << run.errorLines.join('\n').toStdString();

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
    EXPECT_EQ(run.errorLines.filter(QRegularExpression("^\\[\\d/9\\] unknown.xyz: Error$")).size(),
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
        // Only the first argument is the switch; before it, even an option Qt knows is one the
        // program does not.
        {"unknown option -reverse", [this] { storeFolders(in(), out()); }, {"-reverse", "-BATCH"}},
        {"no -BATCH switch", [this] { storeFolders(in(), out()); }, {"BATCH"}},
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
    write(settingsFile(), "[[[ not a settings file\n");
    QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.errorLines.filter("The configuration registry key could not be read.").size(), 1)
        << run.errorLines.join('\n').toStdString();
    EXPECT_EQ(run.errorLines.filter("2 characters or fewer").size(), 1);
}

TEST_F(BatchProgramTest, AnEndingFolderThatCannotBeWrittenEndsTheRunWithAReason)
{
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out("missing"));
    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorLines.filter("cannot be written").size(), 1)
        << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(log().contains("Cannot write PDF files into " + out("missing") +
                               ": the folder does not exist.  No files converted."));
}

TEST_F(BatchProgramTest, AFullDiskLeavesNoPdfAndTheRunSaysSoForEachDocument)
{
    write(in("a.xml"), "<a>" + QByteArray(3000, 'x') + "</a>\n");
    write(in("b.xml"), "<b/>\n");
    storeFolders(in(), out());
    // A file size limit makes every larger write fail as a full disk does; the log stays small.
    const Outcome run = runProgram({"-BATCH"}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit
        {
            2048, 2048
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(run.exitCode, 2) << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(QDir(out()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    const QStringList lines = log();
    // The pages, or the PDF made of them: either write fails, and the line says so.
    for (const char* name : {"a", "b"}) {
        const QString line = QStringLiteral("Error converting file %1.xml: ").arg(name);
        EXPECT_EQ(
            lines.filter(QRegularExpression("^" + QRegularExpression::escape(line) + ".+")).size(),
            1)
            << lines.join('\n').toStdString();
    }
    EXPECT_GE(run.errorLines.filter("Error saving PDF file ").size(), 2)
        << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(run.errorLines.contains("corvanta: 0 converted, 2 failed, 0 skipped"));
}

TEST_F(BatchProgramTest, EveryEntryOfTheFolderIsSeenAndOnlyFilesAreOpened)
{
    write(in("a.xml"), "<a/>\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(in("pipe.xml")).constData(), 0600), 0);
    // A Latin-1 name from an old disk: not valid UTF-8.
    const QByteArray latin1 = QFile::encodeName(in()) + "caf\xe9.txt";
    std::FILE* file = std::fopen(latin1.constData(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("Caf\xe9 au lait, deux euros\n", file);
    std::fclose(file);
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 0) << run.errorLines.join('\n').toStdString();
    const QStringList lines = log();
    EXPECT_TRUE(lines.value(3).startsWith("Started converstion for 3 files at "));
    EXPECT_TRUE(lines.contains("pipe.xml is not a regular file.  Skipping file"));
    EXPECT_TRUE(lines.contains("caf\\xE9.txt file successfully converted"))
        << lines.join('\n').toStdString();
    // Its text is Latin-1 too, and reads so in the PDF.
    EXPECT_TRUE(
        PdfProbe(out("caf\\xE9.PDF")).pageTexts().join(' ').contains("Café au lait, deux euros"));
    ::unlink(latin1.constData()); // Qt's clean-up of the home cannot name it
}

// Pages that once took the program down with the web engine (exit 133, and 139 at its end):
// each fails alone, the page after them converts, and the run ends with its own status.
TEST_F(BatchProgramTest, PagesThatTakeTheWebEngineDownFailAloneAndTheRunEndsWithItsStatus)
{
    write(in("a-greedy.html"), "<p>greedy</p><script>window.onbeforeprint = () => {"
                               "const kept = []; for (;;) kept.push(new Array(1 << 20).fill(1));"
                               "};</script>");
    write(in("b-breaks.html"),
          QByteArray("<div style=\"page-break-after:always\">.</div>").repeated(150000));
    write(in("c-after.html"), "<p>After the failed ones</p>");
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 2) << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(run.errorLines.contains("corvanta: 1 converted, 2 failed, 0 skipped"))
        << run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(PdfProbe(out("c-after..PDF")).pageTexts().join(' ').contains("After the failed"));
}

// Another run of the same folder holds its lock (here: this test, in the program's place): one
// of the same user, or of another user or a job of another account, whose home is elsewhere.
TEST_F(BatchProgramTest, ASecondRunOfAFolderInUseEndsAtOnce)
{
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out());
    QTemporaryDir otherHome;
    for (const QString& dataHome : {home.filePath(".local/share"), otherHome.path()}) {
        SCOPED_TRACE(dataHome.toStdString());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        FolderRunLock other(in());
        ASSERT_TRUE(other.acquired());
        const Outcome run = runProgram({"-BATCH"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errorLines.filter("already running").size(), 1)
            << run.errorLines.join('\n').toStdString();
        EXPECT_FALSE(QFile::exists(in("Corvanta_Batch.txt")));
        EXPECT_FALSE(QFile::exists(out("a.PDF")));
    }
}

TEST_F(BatchProgramTest, ADisplayThatCannotBeReachedFallsBackToTheUnattendedPath)
{
    write(in("a.xml"), "<a/>\n");
    storeFolders(in(), out());
    QProcess program;
    QProcessEnvironment env = environment();
    env.insert("DISPLAY", ":4242"); // a session that has ended
    program.setProcessEnvironment(env);
    program.start(QString::fromUtf8(CORVANTA_PROGRAM), {"-BATCH"});
    ASSERT_TRUE(program.waitForFinished(60000)) << "it waited for a person";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out("a.PDF")));
}

TEST_F(BatchProgramTest, ASignalToEndStopsTheRunAfterItsDocumentWithACompleteLog)
{
    for (int i = 0; i < 400; ++i)
        write(in(QStringLiteral("doc%1.xml").arg(i, 3, 10, QChar('0'))), "<doc/>\n");
    storeFolders(in(), out());
    QProcess program;
    program.setProcessEnvironment(environment());
    program.setReadChannel(QProcess::StandardError);
    program.start(QString::fromUtf8(CORVANTA_PROGRAM), {"-BATCH"});
    // Once the first document is done, as an administrator's kill or a Ctrl+C would come.
    QByteArray errors;
    while (!errors.contains("[1/400]") && program.waitForReadyRead(30000))
        errors += program.readAllStandardError();
    ASSERT_TRUE(errors.contains("[1/400]")) << errors.left(600).toStdString();
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    const QStringList lines = log();
    EXPECT_FALSE(lines.filter("Conversion stopped by the user").isEmpty())
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.last().startsWith(" Finished Converstion at "));
    EXPECT_LT(QDir(out()).entryList(QDir::Files).size(), 400);
}

// Whatever a document's name, its PDF is named after it, in the ending folder, exactly as the
// "exists" test and the log say; a name that starts like the log is a document like any other.
TEST_F(BatchProgramTest, EveryNameMakesItsOwnPdfAndOnlyTheLogIsLeftOut)
{
    const QString longText(246, QLatin1Char('t')); // with its ending, 250 bytes
    const QString longOffice(246, QLatin1Char('o'));
    const struct
    {
        QString document;
        QString pdf;
    } cases[] = {
        {".txt", ".txt.PDF"},
        {"Corvanta_Batch.txt - quarterly report.txt", "Corvanta_Batch.txt - quarterly report.PDF"},
        {longText + ".txt", longText + ".PDF"},
        {longOffice + ".rtf", longOffice + ".PDF"},
    };
    for (const auto& c : cases) {
        const QByteArray text = "Text of " + c.document.left(40).toUtf8();
        write(in(c.document),
              c.document.endsWith(".rtf") ? "{\\rtf1\\ansi " + text + "\\par}" : text + "\n");
    }
    write(in("Untitled.txt"), "Untitled's own text\n");
    write(out("Untitled.PDF"), "an earlier PDF");
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 0) << run.errorLines.join('\n').toStdString();
    const QStringList lines = log();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document.left(60).toStdString());
        EXPECT_TRUE(lines.contains(c.document + " file successfully converted"))
            << lines.join('\n').toStdString();
        EXPECT_TRUE(
            PdfProbe(out(c.pdf)).pageTexts().join(' ').contains("Text of " + c.document.left(40)));
    }
    EXPECT_TRUE(lines.contains("File Untitled.PDF exists.  SKIPPING this file"));
    EXPECT_EQ(QFile(out("Untitled.PDF")).size(), qint64(strlen("an earlier PDF")));
}

} // namespace
