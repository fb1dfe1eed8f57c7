#include "platform/web/WebPageRenderer.h"

#include "platform/application/Progress.h"
#include "platform/web/EngineFlags.h"
#include "tests/support/StopAtReport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

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
    WebPageRenderer renderer;
    const QString page = write(dir, "prices.html",
                               "<html><body><h1>Price list</h1><table border=1>"
                               "<tr><th>Item</th><th>Price</th></tr>"
                               "<tr><td>Toner</td><td>39.00</td></tr></table></body></html>");
    renderer.renderToPdf(Route::Browser, page, dir.filePath("a.pdf"));
    const QString text = pdfText(dir.filePath("a.pdf"));
    EXPECT_TRUE(text.contains("Price list"));
    EXPECT_TRUE(text.contains("Toner"));
    EXPECT_TRUE(text.contains("39.00"));

    const QString second = write(dir, "second.htm", "<p>Second page of the run</p>");
    renderer.renderToPdf(Route::Browser, second, dir.filePath("b.pdf"));
    EXPECT_TRUE(pdfText(dir.filePath("b.pdf")).contains("Second page of the run"));
}

// The run prepares the pages it will convert; each is loaded ahead while the one before prints.
// A prepared page the run then leaves out (its PDF existed) must not shift the others.
TEST(WebPageRendererTest, PagesLoadedAheadArePrintedEachIntoItsOwnPdf)
{
    QTemporaryDir dir;
    WebPageRenderer renderer;
    QStringList pages;
    for (const char* name : {"first", "second", "third", "fourth"})
        pages.append(write(dir, QString(name) + ".html", QByteArray("<p>Page ") + name + "</p>"));
    for (const QString& page : pages)
        renderer.prepare(Route::Browser, page);
    for (int i : {0, 2, 3, 1}) {
        SCOPED_TRACE(pages[i].toStdString());
        const QString pdf = dir.filePath(QString::number(i) + ".pdf");
        renderer.renderToPdf(Route::Browser, pages[i], pdf);
        const QString text = pdfText(pdf).simplified();
        EXPECT_EQ(text.toStdString(), "Page " + QFileInfo(pages[i]).baseName().toStdString());
    }
}

TEST(WebPageRendererTest, AMissingPageFailsWithoutWritingAFile)
{
    QTemporaryDir dir;
    WebPageRenderer renderer;
    EXPECT_THROW(
        renderer.renderToPdf(Route::Browser, dir.filePath("none.html"), dir.filePath("none.pdf")),
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
    WebPageRenderer renderer(3s);
    try {
        renderer.renderToPdf(Route::Browser, stuckPage(dir), dir.filePath("stuck.pdf"));
        FAIL() << "a page that never finished loading was printed";
    } catch (const RenderError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains("within 3 seconds")) << error.what();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the stuck one</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"));
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the stuck one"));
}

TEST(WebPageRendererTest, AStopWhileThePageLoadsDropsItAndTheNextOneConverts)
{
    QTemporaryDir dir;
    WebPageRenderer renderer(60s);
    StopAtReport stop(3);
    QElapsedTimer clock;
    clock.start();
    {
        const ProgressScope scope(stop);
        EXPECT_THROW(
            renderer.renderToPdf(Route::Browser, stuckPage(dir), dir.filePath("stuck.pdf")),
            RunStopped);
    }
    EXPECT_LT(clock.elapsed(), 30000) << "the stop did not wait for the page";
    EXPECT_EQ(stop.reports, 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the stopped one</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"));
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the stopped one"));
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
