#include "platform/web/WebPageRenderer.h"

#include "platform/application/Progress.h"
#include "tests/support/StopAtReport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
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

TEST(WebPageRendererTest, AMissingPageFailsWithoutWritingAFile)
{
    QTemporaryDir dir;
    WebPageRenderer renderer;
    EXPECT_THROW(
        renderer.renderToPdf(Route::Browser, dir.filePath("none.html"), dir.filePath("none.pdf")),
        RenderError);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.pdf")));
}

// A page that never finishes loading: its picture comes from a local server that accepts
// connections and never answers.
class StuckPage
{
public:
    StuckPage()
    {
        EXPECT_TRUE(m_silent.listen(QHostAddress::LocalHost));
        QObject::connect(&m_silent, &QTcpServer::newConnection,
                         [this] { m_held.append(m_silent.nextPendingConnection()); });
        path = write(m_dir, "stuck.html",
                     QStringLiteral("<html><body>waiting<img src='http://127.0.0.1:%1/x.png'>"
                                    "</body></html>")
                         .arg(m_silent.serverPort())
                         .toUtf8());
    }

    QString path;

private:
    QTemporaryDir m_dir;
    QTcpServer m_silent;
    QList<QTcpSocket*> m_held;
};

TEST(WebPageRendererTest, APageThatNeverFinishesLoadingTimesOutAndTheNextOneConverts)
{
    const StuckPage stuck;
    const QString& page = stuck.path;
    QTemporaryDir dir;
    WebPageRenderer renderer(3s);
    try {
        renderer.renderToPdf(Route::Browser, page, dir.filePath("stuck.pdf"));
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
    const StuckPage stuck;
    QTemporaryDir dir;
    WebPageRenderer renderer(60s);
    StopAtReport stop(3);
    QElapsedTimer clock;
    clock.start();
    {
        const ProgressScope scope(stop);
        EXPECT_THROW(renderer.renderToPdf(Route::Browser, stuck.path, dir.filePath("stuck.pdf")),
                     RunStopped);
    }
    EXPECT_LT(clock.elapsed(), 30000) << "the stop did not wait for the page";
    EXPECT_EQ(stop.reports, 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("stuck.pdf")));

    const QString next = write(dir, "next.html", "<p>After the stopped one</p>");
    renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"));
    EXPECT_TRUE(pdfText(dir.filePath("next.pdf")).contains("After the stopped one"));
}

} // namespace
