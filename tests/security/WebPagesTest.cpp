// A web page or drawing being converted can only read files below its own folder and never
// reaches the network, and a page that wants more memory than a page may use fails alone. The
// pages go through the program's renderer and its real web worker.
#include "tests/support/TestProgress.h"
#include "web/WebPageRenderer.h"

#include "platform/process/QtProcessLauncher.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/RequestCounter.h"
#include "web/worker/PageFolderGuard.h"
#include "web/worker/PageFolderScheme.h"
#include "web/worker/RendererMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QUrl>
#include <algorithm>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testing::HasSubstr;
using testing::Not;
using namespace std::chrono_literals;

namespace {

QtProcessLauncher launcher;

QString write(const QString& path, const QString& content)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content.toUtf8());
    return path;
}

std::string pdfText(const QString& pdf)
{
    return PdfProbe(pdf).pageTexts().join('\n').toStdString();
}

TEST(WebPagesTest, APageReachesNoServerWhateverItTries)
{
    const RequestCounter server;
    QUdpSocket udp; // WebRTC's STUN and WebTransport's QUIC travel over UDP
    ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, 0));
    const QString udpServer = QStringLiteral("127.0.0.1:%1").arg(udp.localPort());
    const QString socket = server.url("socket").replace("http://", "ws://");
    const QString tcpServer = server.url("").mid(7).chopped(1); // for TURN: "127.0.0.1:<port>"
    QTemporaryDir dir;
    const QString page =
        write(dir.filePath("online.html"),
              QStringLiteral(R"(<html><head>
<link rel="stylesheet" href="%1">
</head><body><p>Printed offline</p><img src="%2"><iframe src="%3"></iframe><script>
function attempt(reach) { try { reach(); } catch (e) {} }
attempt(() => fetch("%4"));
attempt(() => { const x = new XMLHttpRequest(); x.open("GET", "%5"); x.send(); });
attempt(() => new WebSocket("%6"));
attempt(() => new WebTransport("https://%7/"));
attempt(() => {
  const peer = new RTCPeerConnection({iceServers: [{urls: "stun:%7"},
      {urls: "turn:%8?transport=tcp", username: "u", credential: "c"}]});
  peer.createDataChannel("d");
  peer.createOffer().then((offer) => peer.setLocalDescription(offer));
});
</script></body></html>)")
                  .arg(server.url("style.css"), server.url("picture.gif"), server.url("frame.html"),
                       server.url("fetch"), server.url("xhr"), socket, udpServer, tcpServer));

    WebPageRenderer renderer(launcher);
    renderer.renderToPdf(Route::Browser, page, dir.filePath("online.pdf"), unwatched());

    EXPECT_THAT(pdfText(dir.filePath("online.pdf")), HasSubstr("Printed offline"));
    // Some attempts (TURN over TCP) start only once the page has been printed: a second for them.
    const auto reached = [&] { return server.connections() > 0 || udp.hasPendingDatagrams(); };
    EXPECT_FALSE(QTest::qWaitFor(reached, 1000))
        << server.connections() << " connections, datagrams: " << udp.hasPendingDatagrams();
}

TEST(WebPagesTest, APageReadsItsOwnFolderAndNothingOutsideIt)
{
    QTemporaryDir elsewhere;
    const QString absolute = write(elsewhere.filePath("secret.txt"), "SECRET-ELSEWHERE");
    QTemporaryDir root;
    QDir(root.path()).mkpath("page");
    QDir(root.path()).mkpath("beside");
    const QString folder = root.filePath("page");
    write(root.filePath("beside/secret.txt"), "SECRET-BESIDE");
    QFile::link(write(root.filePath("beside/linked.txt"), "SECRET-LINKED"), folder + "/linked.txt");
    write(folder + "/.hidden.txt", "SECRET-HIDDEN");
    write(folder + "/style.css", "p.own::after { content: 'OWN-STYLE-APPLIED'; }");
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    picture.save(folder + "/picture.png");

    // Each secret is asked for by a frame, a waiting XHR and a fetch; whatever arrives is shown.
    const QString page =
        write(folder + "/page.html", QStringLiteral(R"(<html><head>
<link rel="stylesheet" href="style.css"></head><body>
<p class="own">Own folder: </p><img src="picture.png" width="64"><div id="read"></div><script>
function show(text) { document.getElementById("read").textContent += " " + text; }
for (const secret of ["%1", "../beside/secret.txt", "linked.txt", ".hidden.txt"]) {
  document.write('<iframe src="' + secret + '"></iframe>');
  try { const x = new XMLHttpRequest(); x.open("GET", secret, false); x.send(); show(x.responseText); }
  catch (e) {}
  fetch(secret).then((r) => r.text()).then(show, () => {});
}
</script></body></html>)")
                                         .arg(QUrl::fromLocalFile(absolute).toString()));

    WebPageRenderer renderer(launcher);
    renderer.renderToPdf(Route::Browser, page, root.filePath("page.pdf"), unwatched());

    const std::string text = pdfText(root.filePath("page.pdf"));
    EXPECT_THAT(text, Not(HasSubstr("SECRET")));
    EXPECT_THAT(text, HasSubstr("OWN-STYLE-APPLIED"));
    EXPECT_EQ(PdfProbe(root.filePath("page.pdf")).images().size(), 1);
}

TEST(WebPagesTest, APipeInThePagesFolderDoesNotHoldItsConversion)
{
    QTemporaryDir dir;
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("picture.png")).constData(), 0600), 0);
    const QString page =
        write(dir.filePath("page.html"), "<p>Beside a pipe</p><img src='picture.png'>");
    WebPageRenderer renderer(launcher, 10s);
    renderer.renderToPdf(Route::Browser, page, dir.filePath("page.pdf"), unwatched());
    EXPECT_THAT(pdfText(dir.filePath("page.pdf")), HasSubstr("Beside a pipe"));
}

QString writeBytes(const QString& path, const QByteArray& content)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    return path;
}

// The pictures a page must not reach are of this size, its own of another. (A picture the page
// could not load prints as the engine's small "broken picture" sign.)
constexpr int kSecretSize = 37;

void savePicture(const QString& path, int size)
{
    QImage picture(size, size, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

qsizetype secretPictures(const QString& pdf)
{
    const auto images = PdfProbe(pdf).images();
    return std::count_if(images.cbegin(), images.cend(),
                         [](const PdfProbe::Image& image) { return image.width == kSecretSize; });
}

// A page's folder, `name` in `root`, with a secret picture beside it and another in `elsewhere`.
QString folderAmongSecrets(const QTemporaryDir& elsewhere, const QTemporaryDir& root,
                           const QString& name)
{
    savePicture(elsewhere.filePath("secret.png"), kSecretSize);
    savePicture(root.filePath("secret.png"), kSecretSize);
    QDir(root.path()).mkpath(name);
    return root.filePath(name);
}

// What a page may not reach, each asked for in its own page: a picture beside its folder, a
// hidden style sheet, the folder's own listing, and links inside the folder to files outside.
TEST(WebPagesTest, NothingButTheFilesBelowItsFolderReachesThePdf)
{
    QTemporaryDir elsewhere;
    QTemporaryDir root;
    const QString folder = folderAmongSecrets(elsewhere, root, "page");
    QDir(folder).mkpath("own");
    savePicture(folder + "/own/picture.png", 16);
    write(folder + "/.hidden.css", "body::after { content: 'SECRET-HIDDEN-STYLE'; }");
    write(folder + "/SECRET-LISTED-NAME.txt", "listed");
    QFile::link(elsewhere.filePath("secret.png"), folder + "/evil.png");
    QFile::link("/etc/passwd", folder + "/evil.txt");
    QFile::link(elsewhere.path(), folder + "/linked");

    const struct
    {
        const char* name;
        QString markup;
    } cases[] = {
        {"folder listing", "<iframe src=\"./\"></iframe><iframe src=\"own/\"></iframe>"},
        {"beside the folder", "<img src=\"../secret.png\">"},
        {"absolute path", "<img src=\"" + root.filePath("secret.png") + "\">"},
        {"file URL", "<img src=\"file://" + root.filePath("secret.png") + "\">"},
        {"hidden style sheet", "<link rel=\"stylesheet\" href=\".hidden.css\">"},
        {"linked picture", "<img src=\"evil.png\">"},
        {"linked text", "<iframe src=\"evil.txt\"></iframe>"},
        {"linked folder", "<img src=\"linked/secret.png\">"},
    };
    WebPageRenderer renderer(launcher);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString page = write(folder + "/page.html",
                                   "<p>Own text</p>" + c.markup + "<img src=\"own/picture.png\">");
        const QString pdf = root.filePath("page.pdf");
        renderer.renderToPdf(Route::Browser, page, pdf, unwatched());
        const std::string text = pdfText(pdf);
        EXPECT_THAT(text, HasSubstr("Own text"));
        EXPECT_THAT(text, Not(HasSubstr("SECRET")));
        EXPECT_THAT(text, Not(HasSubstr("root:")));
        EXPECT_EQ(secretPictures(pdf), 0);
        EXPECT_GE(PdfProbe(pdf).images().size(), 1); // its own, which it reads below its folder
    }
}

// What the page scheme reads for a page, and what the guard lets a page ask for at all.
TEST(WebPagesTest, ThePageSchemeReadsOnlyPlainFilesBelowTheFolderWithoutFollowingALink)
{
    QTemporaryDir root;
    const QString folder = root.filePath("page");
    QDir(root.path()).mkpath("page/sub");
    write(root.filePath("beside.txt"), "beside");
    write(folder + "/own.txt", "own");
    write(folder + "/sub/deep.txt", "deep");
    write(folder + "/.hidden.txt", "hidden");
    write(folder + "/large.txt", "0123456789");
    QFile::link(folder + "/own.txt", folder + "/link.txt");
    QFile::link(folder + "/sub", folder + "/linked");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/pipe.txt").constData(), 0600), 0);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY);
    ASSERT_GE(fd, 0);

    const struct
    {
        const char* relative;
        const char* read; // nullptr: nothing
    } cases[] = {
        {"own.txt", "own"},
        {"sub/deep.txt", "deep"},
        {"sub/../own.txt", nullptr},
        {"../beside.txt", nullptr},
        {".hidden.txt", nullptr},
        {"link.txt", nullptr},
        {"linked/deep.txt", nullptr},
        {"pipe.txt", nullptr},
        {"sub", nullptr},
        {"sub/", nullptr},
        {"", nullptr},
        {"large.txt", nullptr}, // above the limit of this case
        {"/etc/passwd", nullptr},
        {"/proc/self/root/etc/passwd", nullptr},
        {"missing.txt", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        const auto read = ReadBeneath(fd, QString::fromUtf8(c.relative), 9);
        ASSERT_EQ(read.has_value(), c.read != nullptr);
        if (read) {
            EXPECT_EQ(*read, c.read);
        }
    }
    ::close(fd);

    const struct
    {
        const char* url;
        bool allowed;
    } urls[] = {
        {"corvanta-page:/page.html", true},
        {"data:text/plain,x", true},
        {"file:///etc/passwd", false},
        {"http://127.0.0.1/", false},
        {"https://example.org/", false},
        {"ws://127.0.0.1/", false},
        {"blob:null/1", false},
        {"ftp://127.0.0.1/", false},
    };
    for (const auto& u : urls) {
        EXPECT_EQ(PageFolderGuard::allows(QUrl(u.url)), u.allowed) << u.url;
    }
}

QByteArray gzipped(const QByteArray& bytes)
{
    QProcess gzip;
    gzip.start("gzip", {"-c"});
    gzip.write(bytes);
    gzip.closeWriteChannel();
    EXPECT_TRUE(gzip.waitForFinished(30000)) << "gzip is needed";
    return gzip.readAllStandardOutput();
}

// The shell route sends drawings, whatever their names: each prints its own shapes and text on
// one page, and its pictures only from below its folder.
TEST(WebPagesTest, ADrawingPrintsItselfAndNoPictureFromOutsideItsFolder)
{
    QTemporaryDir elsewhere;
    QTemporaryDir root;
    const QString folder = folderAmongSecrets(elsewhere, root, "drawings");
    savePicture(folder + "/own.png", 16);
    const QString drawing = QStringLiteral(
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink")"
        R"( width="3000" height="2000"><rect x="10" y="10" width="2900" height="1900")"
        R"( fill="navy"/><text x="100" y="300" font-size="120" fill="white">%1</text>)"
        R"(<image xlink:href="%2" x="100" y="500" width="300" height="300"/>)"
        R"(<image href="../secret.png" x="500" y="500" width="300" height="300"/>)"
        R"(<image href="own.png" x="900" y="500" width="300" height="300"/></svg>)");
    const QString absolute = elsewhere.filePath("secret.png");
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {"invoice.gif", drawing.arg("INVOICE DRAWING", absolute).toUtf8(), "INVOICE DRAWING"},
        {"logo.svgz", gzipped(drawing.arg("LOGO DRAWING", absolute).toUtf8()), "LOGO DRAWING"},
    };
    WebPageRenderer renderer(launcher);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = root.filePath(QString(c.name) + ".pdf");
        renderer.renderToPdf(Route::Shell, writeBytes(folder + '/' + c.name, c.bytes), pdf,
                             unwatched());
        const PdfProbe probe(pdf);
        ASSERT_EQ(probe.pageCount(), 1);
        EXPECT_THAT(pdfText(pdf), HasSubstr(c.text));
        EXPECT_EQ(secretPictures(pdf), 0);
        EXPECT_GE(probe.images().size(), 1); // its own, which it reads below its folder
    }
}

// The memory held by every process this one started, and theirs: the engine's renderers.
qint64 descendantsMemoryMb(qint64 pid)
{
    qint64 total = 0;
    const QStringList tasks =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(task));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& child : children.readAll().split(' ')) {
            if (child.trimmed().isEmpty())
                continue;
            const qint64 childPid = child.trimmed().toLongLong();
            total +=
                std::max<qint64>(0, OwnResidentMemoryMb(childPid)) + descendantsMemoryMb(childPid);
        }
    }
    return total;
}

// A page loaded ahead works while the run converts other documents (their waits let events
// through, as here): it is held to a page's memory then too, and fails in its turn as any page.
TEST(WebPagesTest, APageLoadedAheadIsHeldToAPagesMemoryWhileOtherDocumentsAreConverted)
{
    QTemporaryDir dir;
    const QString greedy = write(dir.filePath("greedy.html"),
                                 "<p>greedy</p><script>const kept = [];"
                                 "for (;;) kept.push(new Array(1 << 20).fill(1.5));</script>");
    WebPageRenderer renderer(launcher);
    renderer.prepare(Route::Browser, greedy);
    QElapsedTimer converting;
    converting.start();
    qint64 peakMb = 0;
    while (converting.elapsed() < 4000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        peakMb = std::max(peakMb, descendantsMemoryMb(QCoreApplication::applicationPid()));
    }
    EXPECT_LT(peakMb, WebPageRenderer::kPageMemoryMb * 3 / 2);
    try {
        renderer.renderToPdf(Route::Browser, greedy, dir.filePath("greedy.pdf"), unwatched());
        ADD_FAILURE() << "a page without end to its memory was printed";
    } catch (const RenderError& error) {
        EXPECT_THAT(error.what(), HasSubstr("needed more memory than"));
    }
}

// Also when the run prepared both pages, so that each was loading while the one before it was
// converted.
TEST(WebPagesTest, APageWantingMoreMemoryThanAPageMayUseFailsAloneAndTheNextConverts)
{
    for (const bool prepared : {false, true}) {
        SCOPED_TRACE(prepared ? "prepared" : "not prepared");
        QTemporaryDir dir;
        const QString greedy = write(dir.filePath("greedy.html"),
                                     "<p>greedy</p><script>const kept = [];"
                                     "for (;;) kept.push(new Array(1 << 20).fill(1.5));</script>");
        const QString next = write(dir.filePath("next.html"), "<p>After the greedy one</p>");
        WebPageRenderer renderer(launcher);
        if (prepared) {
            renderer.prepare(Route::Browser, greedy);
            renderer.prepare(Route::Browser, next);
        }
        try {
            renderer.renderToPdf(Route::Browser, greedy, dir.filePath("greedy.pdf"), unwatched());
            ADD_FAILURE() << "a page without end to its memory was printed";
        } catch (const RenderError& error) {
            EXPECT_THAT(error.what(), HasSubstr("greedy.html"));
            EXPECT_THAT(error.what(),
                        HasSubstr(QStringLiteral("needed more memory than the %1 MB a page may use")
                                      .arg(WebPageRenderer::kPageMemoryMb)
                                      .toStdString()));
        }
        EXPECT_FALSE(QFile::exists(dir.filePath("greedy.pdf")));

        renderer.renderToPdf(Route::Browser, next, dir.filePath("next.pdf"), unwatched());
        EXPECT_THAT(pdfText(dir.filePath("next.pdf")), HasSubstr("After the greedy one"));
    }
}

} // namespace
