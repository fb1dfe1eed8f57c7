#include "platform/web/WebPageRenderer.h"

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

TEST(WebPageRendererTest, APageThatNeverFinishesLoadingTimesOutAndTheNextOneConverts)
{
    // A local server that accepts connections and never answers keeps the page loading.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection,
                     [&] { held.append(silent.nextPendingConnection()); });
    QTemporaryDir dir;
    const QString page = write(
        dir, "stuck.html",
        QStringLiteral("<html><body>waiting<img src='http://127.0.0.1:%1/x.png'></body></html>")
            .arg(silent.serverPort())
            .toUtf8());
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

} // namespace
