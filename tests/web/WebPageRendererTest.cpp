#include "web/WebPageRenderer.h"

#include "common/Progress.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/support/TestProgress.h"
#include "web/EngineFlags.h"
#include "web/WebProtocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using namespace std::chrono_literals;

namespace {

// The renderers start their workers through the program's own launcher.
QtProcessLauncher launcher;

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(p.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
}

TEST(WebPageRendererTest, PrintsAPagesTextAndTableAndStaysWarmForTheNext)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    const QString page = write(dir, "prices.html",
                               "<html><body><h1>Price list</h1><table border=1>"
                               "<tr><th>Item</th><th>Price</th></tr>"
                               "<tr><td>Toner</td><td>39.00</td></tr></table></body></html>");
    renderer.renderToPdf(Route::Browser, page, dir.filePath("a.pdf"), unwatched());
    const QString text = pdfText(dir.filePath("a.pdf"));
    EXPECT_TRUE(text.contains("Price list"));
    EXPECT_TRUE(text.contains("Toner"));
    EXPECT_TRUE(text.contains("39.00"));

    const QString second = write(dir, "second.htm", "<p>Second page of the run</p>");
    renderer.renderToPdf(Route::Browser, second, dir.filePath("b.pdf"), unwatched());
    EXPECT_TRUE(pdfText(dir.filePath("b.pdf")).contains("Second page of the run"));
}

// A banner the page fixes on the screen is printed once, at the page's start: repeated on every
// sheet it would cover the lines that flow under it there.
TEST(WebPageRendererTest, AFixedBannerIsPrintedOnceAndHidesNoLine)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    QByteArray html = "<html><head><style>@media screen { .banner { position: fixed; top: 0; "
                      "left: 0; right: 0; height: 80px; background: #fff } }</style></head>"
                      "<body style='margin:0'><div class=banner>Download the ebook</div>"
                      "<div style='position:fixed;bottom:0;height:60px;background:#fff'>"
                      "Share this page</div><div style='padding-top:90px'>";
    for (int line = 1; line <= 200; ++line)
        html += "<p>Manual line " + QByteArray::number(line) + "</p>";
    html += "</div></body></html>";
    const QString page = write(dir, "manual.html", html);
    renderer.renderToPdf(Route::Browser, page, dir.filePath("manual.pdf"), unwatched());
    const QString text = pdfText(dir.filePath("manual.pdf"));
    EXPECT_EQ(text.count("Download the ebook"), 1);
    EXPECT_EQ(text.count("Share this page"), 1);
    for (int line = 1; line <= 200; ++line)
        EXPECT_TRUE(
            text.contains(QRegularExpression(QStringLiteral("Manual line %1\\b").arg(line))))
            << line;
}

// The run prepares the pages it will convert; each is loaded ahead while the one before prints.
// A prepared page the run then leaves out (its PDF existed) must not shift the others.
TEST(WebPageRendererTest, PagesLoadedAheadArePrintedEachIntoItsOwnPdf)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    QStringList pages;
    for (const char* name : {"first", "second", "third", "fourth"})
        pages.append(write(dir, QString(name) + ".html", QByteArray("<p>Page ") + name + "</p>"));
    for (const QString& page : pages)
        renderer.prepare(Route::Browser, page);
    for (int i : {0, 2, 3, 1}) {
        SCOPED_TRACE(pages[i].toStdString());
        const QString pdf = dir.filePath(QString::number(i) + ".pdf");
        renderer.renderToPdf(Route::Browser, pages[i], pdf, unwatched());
        const QString text = pdfText(pdf).simplified();
        EXPECT_EQ(text.toStdString(), "Page " + QFileInfo(pages[i]).baseName().toStdString());
    }
}

TEST(WebPageRendererTest, AMissingPageFailsWithoutWritingAFile)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    EXPECT_THROW(renderer.renderToPdf(Route::Browser, dir.filePath("none.html"),
                                      dir.filePath("none.pdf"), unwatched()),
                 RenderError);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.pdf")));
}

// A page that never finishes loading: a script in it never ends.
QString stuckPage(const QTemporaryDir& dir)
{
    return write(dir, "stuck.html",
                 "<html><body>waiting<script>for (;;) {}</script></body></html>");
}

TEST(WebPageRendererTest, APageThatNeverFinishesLoadingTimesOutAndTheNextOneConverts)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher, 3s);
    try {
        renderer.renderToPdf(Route::Browser, stuckPage(dir), dir.filePath("stuck.pdf"),
                             unwatched());
        FAIL() << "a page that never finished loading was printed";
    } catch (const RenderError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains("within 3 seconds")) << error.what();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the stuck one</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"), unwatched());
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the stuck one"));
}

TEST(WebPageRendererTest, AStopWhileThePageLoadsDropsItAndTheNextOneConverts)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher, 60s);
    StopAtReport stop(3);
    QElapsedTimer clock;
    clock.start();
    {
        EXPECT_THROW(
            renderer.renderToPdf(Route::Browser, stuckPage(dir), dir.filePath("stuck.pdf"), stop),
            RunStopped);
    }
    EXPECT_LT(clock.elapsed(), 30000) << "the stop did not wait for the page";
    EXPECT_EQ(stop.reports, 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the stopped one</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"), unwatched());
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the stopped one"));
}

// Pages that once took the program down with the engine: each now fails alone, with its own
// message, and the page after it converts in the same renderer.
TEST(WebPageRendererTest, APageThatTakesTheEngineDownFailsAloneAndTheNextConverts)
{
    const struct
    {
        const char* name;
        QByteArray content;
        const char* message;
    } cases[] = {
        // Allocates while the engine prints it, until the memory watch ends its renderer.
        {"greedy-print.html",
         "<p>greedy</p><script>window.onbeforeprint = () => { const kept = [];"
         "for (;;) kept.push(new Array(1 << 20).fill(1.5)); };</script>",
         "needed more memory than the 1024 MB a page may use"},
        // Printing 150,000 pages takes more than a page may hold.
        {"breaks.html",
         QByteArray("<div style=\"page-break-after:always\">.</div>").repeated(150000),
         "needed more memory than the 1024 MB a page may use"},
    };
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString page = write(dir, c.name, c.content);
        try {
            renderer.renderToPdf(Route::Browser, page, dir.filePath("failed.pdf"), unwatched());
            ADD_FAILURE() << "the page was printed";
        } catch (const RenderError& error) {
            EXPECT_THAT(error.what(), HasSubstr(page.toStdString()));
            EXPECT_THAT(error.what(), HasSubstr(c.message));
        }
        EXPECT_FALSE(QFile::exists(dir.filePath("failed.pdf")));
        const QString next = write(dir, "next.html", "<p>After the failed one</p>");
        renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"), unwatched());
        EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the failed one"));
    }
}

// Ends the renderer's worker at the first report of the wait for a page.
class KillWorkerAtReport final : public Progress
{
public:
    explicit KillWorkerAtReport(const WebPageRenderer& renderer) : m_renderer(renderer) {}

    bool advance(int) override
    {
        if (killed == 0 && m_renderer.workerProcessId() > 0) {
            killed = m_renderer.workerProcessId();
            ::kill(pid_t(killed), SIGKILL);
        }
        return true;
    }

    qint64 killed = 0;

private:
    const WebPageRenderer& m_renderer;
};

TEST(WebPageRendererTest, AWorkerKilledWhileAPageLoadsCostsThatPageOnly)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(launcher);
    KillWorkerAtReport killer(renderer);
    {
        try {
            renderer.renderToPdf(Route::Browser, stuckPage(dir), dir.filePath("stuck.pdf"), killer);
            ADD_FAILURE() << "the page was printed";
        } catch (const RenderError& error) {
            EXPECT_THAT(error.what(), HasSubstr("the page's renderer stopped (killed)"));
        }
    }
    EXPECT_GT(killer.killed, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the killed worker</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"), unwatched());
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the killed worker"));
    EXPECT_EQ(renderer.workerStarts(), 2);
    EXPECT_NE(renderer.workerProcessId(), killer.killed);
}

// The worker takes only requests it fully understands, and the program only such answers.
TEST(WebPageRendererTest, RequestAndAnswerLinesAreReadStrictly)
{
    const WebRequest render{WebCommand::Render, WebContent::Drawing, "/in/a b.svg", "/s/d-1",
                            "/s/p-2"};
    const auto back = WebRequest::fromLine(render.toLine());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->command, WebCommand::Render);
    EXPECT_EQ(back->content, WebContent::Drawing);
    EXPECT_EQ(back->document, "/in/a b.svg");
    EXPECT_EQ(back->bytes, "/s/d-1");
    EXPECT_EQ(back->pdf, "/s/p-2");
    const WebAnswer ended{WebFailure::RendererEnded, "killed"};
    const auto answer = WebAnswer::fromLine(ended.toLine());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->failure, WebFailure::RendererEnded);
    EXPECT_EQ(answer->detail, "killed");

    const struct
    {
        QByteArray line;
        bool request; // a request line, else an answer line
        bool understood;
    } cases[] = {
        {R"({"command":"forget"})", true, true},
        {R"({"command":"prepare","content":"page","document":"/a.html","bytes":"/s/1"})", true,
         true},
        {R"({"command":"prepare","content":"page","document":"a.html","bytes":"/s/1"})", true,
         false},
        {R"({"command":"prepare","content":"page","document":"/a.html"})", true, false},
        {R"({"command":"prepare","content":"page","document":"/a.html","bytes":"/s/1",)"
         R"("pdf":"/p"})",
         true, false},
        {R"({"command":"render","content":"page","document":"/a.html","bytes":"/s/1"})", true,
         false},
        {R"({"command":"render","content":"movie","document":"/a","bytes":"/s/1","pdf":"/p"})",
         true, false},
        {R"({"command":"forget","document":"/a.html"})", true, false},
        {R"({"command":"print"})", true, false},
        {R"(["forget"])", true, false},
        {"", true, false},
        {R"({"failure":"none","detail":""})", false, true},
        {R"({"failure":"memory"})", false, false},
        {R"({"failure":"tired","detail":""})", false, false},
        {R"({"failure":1,"detail":""})", false, false},
        {"{\"failure\":\"none\",\"detail\":\"\"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const bool understood = c.request ? WebRequest::fromLine(c.line).has_value()
                                          : WebAnswer::fromLine(c.line).has_value();
        EXPECT_EQ(understood, c.understood);
    }
}

TEST(WebPageRendererTest, TheSwitchesAUserGaveTheEngineStayBesideTheOnesThatConfineAPage)
{
    const struct
    {
        QByteArray user;
        QByteArray jsFlags; // the switch the engine is then given for V8
    } cases[] = {
        {"", "\"--js-flags=--max-old-space-size=512\""},
        {"--enable-logging", "\"--js-flags=--max-old-space-size=512\""},
        {"--js-flags=--expose-gc", "\"--js-flags=--expose-gc --max-old-space-size=512\""},
        {"\"--js-flags=--expose-gc --stack-size=900\" --enable-logging",
         "\"--js-flags=--expose-gc --stack-size=900 --max-old-space-size=512\""},
    };
    for (const auto& c : cases) {
        const QByteArray flags = ConfinedEngineFlags(c.user, 512);
        EXPECT_TRUE(flags.startsWith(c.user)) << flags.constData();
        EXPECT_TRUE(flags.contains(" " + c.jsFlags + " ") || flags.startsWith(c.jsFlags + " "))
            << flags.constData();
        // A run started by a run (the scheduler copies the environment) adds nothing more.
        EXPECT_EQ(ConfinedEngineFlags(flags, 512), flags);
    }
}

} // namespace
