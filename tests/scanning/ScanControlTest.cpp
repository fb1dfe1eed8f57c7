// The scanning control over SANE's test backend: real frames, real device errors, real threads.
#include "scanning/ScanControl.h"

#include "tests/support/SaneTestBackend.h"

#include <QImage>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
void PrintTo(const QSize& size, std::ostream* out)
{
    *out << size.width() << "x" << size.height();
}

using sanetest::kFeeder;
using sanetest::kFeederPages;
using sanetest::Option;
using testing::HasSubstr;

namespace {

// A guard against a hang, not a measure of speed.
constexpr int kHangMs = 120000;

// A page the backend takes a while to send: six pieces 200 ms apart.
const QList<Option> kSlowPage = {
    {"test-picture", "Grid"}, {"read-delay", true}, {"read-delay-duration", 200000}};

// What a control reported, and whether every report came on the control's thread.
struct Reports
{
    explicit Reports(TScanControl& control) : control(control)
    {
        QObject::connect(&control, &TScanControl::OnPostScan, [this](int flag) {
            noteThread();
            flags << flag;
            if (flag != 0) {
                endCode = this->control.lastErrorCode();
                endText = this->control.lastErrorText();
            }
        });
        QObject::connect(&control, &TScanControl::OnProgress,
                         [this](int action, int percent, int canInterrupt, bool* interrupt) {
                             noteThread();
                             (action == TScanControl::Scanning ? scanning : rotating) << percent;
                             if (action == TScanControl::Scanning && canInterrupt && interruptScan)
                                 *interrupt = true;
                         });
    }

    void noteThread()
    {
        if (QThread::currentThread() != control.thread())
            offThread = true;
    }
    bool ended() const { return flags.contains(TScanControl::AcquisitionEnded); }
    bool waitForEnd()
    {
        return QTest::qWaitFor([this] { return ended(); }, kHangMs);
    }
    qsizetype pages() const { return flags.count(0); }

    TScanControl& control;
    QList<int> flags;
    QList<int> scanning;
    QList<int> rotating;
    bool offThread = false;
    bool interruptScan = false;
    int endCode = -1;
    QString endText;
};

// A control on a test device of its own.
struct Scanner
{
    explicit Scanner(QList<Option> options = {}) : devices(std::move(options)) {}

    bool start()
    {
        const bool started = control.StartDevice();
        EXPECT_TRUE(started) << control.lastErrorText().toStdString();
        return started;
    }
    bool scan()
    {
        EXPECT_EQ(control.Acquire(), 0) << control.lastErrorText().toStdString();
        return reports.waitForEnd();
    }
    void chooseFeeder()
    {
        for (int index = 0; index < control.sourceCount(); ++index) {
            if (control.GetSourceName(index) == kFeeder)
                control.setSourceIndex(index);
        }
        ASSERT_EQ(control.GetSourceName(control.sourceIndex()), kFeeder);
    }

    sanetest::SaneTestDevices devices;
    TScanControl control{devices};
    Reports reports{control};
};

} // namespace

TEST(ScanControl, StartListsTheSourcesAndTheOneChosen)
{
    Scanner flatbed;
    ASSERT_TRUE(flatbed.start());
    EXPECT_EQ(flatbed.control.sourceCount(), 2);
    EXPECT_EQ(flatbed.control.GetSourceName(0), sanetest::kFlatbed);
    EXPECT_EQ(flatbed.control.GetSourceName(1), kFeeder);
    EXPECT_EQ(flatbed.control.sourceIndex(), 0);

    Scanner feeder(QList<Option>{{"source", kFeeder}});
    ASSERT_TRUE(feeder.start());
    EXPECT_EQ(feeder.control.sourceIndex(), 1);
}

// A Scan after that failed start says why there is no scanner, not only that there is none.
TEST(ScanControl, StartFailsWithTheDevicesWordsWhenAnotherHoldsIt)
{
    sanetest::SaneTestDevices devices;
    TScanControl holder(devices);
    TScanControl control(devices);
    ASSERT_TRUE(holder.StartDevice()) << holder.lastErrorText().toStdString();

    EXPECT_FALSE(control.StartDevice());
    EXPECT_EQ(control.lastErrorCode(), TScanControl::NoScanner);
    EXPECT_THAT(control.lastErrorText().toStdString(), HasSubstr("Device busy"));
    EXPECT_EQ(control.Acquire(), TScanControl::NoScanner);
    EXPECT_THAT(control.lastErrorText().toStdString(), HasSubstr("Device busy"));
}

TEST(ScanControl, AFlatbedGivesOnePageAfterAcquireReturned)
{
    Scanner scanner;
    ASSERT_TRUE(scanner.start());
    ASSERT_EQ(scanner.control.Acquire(), 0);
    EXPECT_TRUE(scanner.reports.flags.isEmpty());
    ASSERT_TRUE(scanner.reports.waitForEnd());

    EXPECT_EQ(scanner.reports.flags, (QList<int>{0, TScanControl::AcquisitionEnded}));
    EXPECT_EQ(scanner.reports.endCode, 0);
    ASSERT_EQ(scanner.control.imageCount(), 1);
    EXPECT_EQ(scanner.control.GetImage(0).size(),
              QSize(sanetest::kPageWidth, sanetest::kPageHeight));
    EXPECT_EQ(scanner.control.GetAcquiredImage(), scanner.control.GetImage(0));
    ASSERT_FALSE(scanner.reports.scanning.isEmpty());
    EXPECT_EQ(scanner.reports.scanning.last(), 100);
    EXPECT_FALSE(scanner.reports.offThread);
}

// Each frame layout SANE sends becomes an 8-bit gray or RGB page; the points are the backend's
// colour pattern at 50 dpi.
TEST(ScanControl, FramesBecomeEightBitPages)
{
    struct Point
    {
        int x, y;
        QRgb color;
    };
    struct Case
    {
        const char* name;
        QList<Option> options;
        QImage::Format format;
        QSize size;
        QList<Point> points;
    };
    const QSize page(sanetest::kPageWidth, sanetest::kPageHeight);
    const QList<Point> colourPoints = {
        {99, 1, qRgb(19, 0, 0)}, {99, 11, qRgb(0, 19, 0)}, {99, 21, qRgb(0, 0, 19)}};
    const QList<Case> cases = {
        {"gray, 8 bits", {}, QImage::Format_Grayscale8, page, {{99, 1, qRgb(19, 19, 19)}}},
        // 0x5F00 in host order: the high byte stays.
        {"gray, 16 bits",
         {{"depth", 16}},
         QImage::Format_Grayscale8,
         page,
         {{99, 4, qRgb(95, 95, 95)}}},
        // A set bit is black.
        {"lineart",
         {{"depth", 1}},
         QImage::Format_Grayscale8,
         page,
         {{0, 0, qRgb(255, 255, 255)}, {16, 0, qRgb(0, 0, 0)}}},
        {"colour, 8 bits", {{"mode", "Color"}}, QImage::Format_RGB888, page, colourPoints},
        {"colour, 16 bits",
         {{"mode", "Color"}, {"depth", 16}},
         QImage::Format_RGB888,
         page,
         {{99, 4, qRgb(95, 0, 0)}}},
        {"colour in three passes",
         {{"mode", "Color"}, {"three-pass", true}, {"three-pass-order", "BGR"}},
         QImage::Format_RGB888,
         page,
         colourPoints},
        // A hand scanner does not know its height (334 lines) before the end.
        {"height unknown",
         {{"mode", "Color"}, {"hand-scanner", true}},
         QImage::Format_RGB888,
         QSize(216, 334),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QList<Option> options = {{"test-picture", "Color pattern"}};
        options << c.options;
        Scanner scanner(options);
        ASSERT_TRUE(scanner.start());
        ASSERT_TRUE(scanner.scan());
        EXPECT_EQ(scanner.reports.endCode, 0) << scanner.reports.endText.toStdString();
        const QImage image = scanner.control.GetImage(0);
        EXPECT_EQ(image.format(), c.format);
        EXPECT_EQ(image.size(), c.size);
        for (const Point& point : c.points)
            EXPECT_EQ(image.pixel(point.x, point.y), point.color) << point.x << "," << point.y;
    }
}

TEST(ScanControl, TheFeederScansUntilItIsEmpty)
{
    Scanner scanner;
    ASSERT_TRUE(scanner.start());
    scanner.chooseFeeder();
    ASSERT_TRUE(scanner.scan());

    EXPECT_EQ(scanner.reports.pages(), kFeederPages);
    EXPECT_EQ(scanner.reports.flags.last(), TScanControl::AcquisitionEnded);
    EXPECT_EQ(scanner.reports.endCode, 0);
    EXPECT_EQ(scanner.reports.endText, QString());
    EXPECT_EQ(scanner.control.imageCount(), kFeederPages);
    EXPECT_EQ(scanner.reports.scanning.count(100), kFeederPages);
}

// The backend answers its reads with the status from the given frame of the feeder's batch.
TEST(ScanControl, ADeviceErrorEndsTheScanInItsWordsAndKeepsThePages)
{
    struct Case
    {
        const char* status;
        int fromFrame;
        int pages;
        int code;
        QString text;
    };
    const QList<Case> cases = {
        {"SANE_STATUS_JAMMED", 3, 2, TScanControl::DeviceFailed, "Document feeder jammed"},
        {"SANE_STATUS_IO_ERROR", 3, 2, TScanControl::DeviceFailed, "Error during device I/O"},
        {"SANE_STATUS_DEVICE_BUSY", 3, 2, TScanControl::DeviceFailed, "Device busy"},
        {"SANE_STATUS_CANCELLED", 3, 2, TScanControl::DeviceFailed, "Operation was canceled"},
        {"SANE_STATUS_NO_DOCS", 3, 2, TScanControl::NoError, ""},
        // Nothing at all to scan is worth saying.
        {"SANE_STATUS_NO_DOCS", 1, 0, TScanControl::DeviceFailed,
         "Document feeder out of documents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " from frame " + std::to_string(c.fromFrame));
        Scanner scanner({{"source", kFeeder}, {"read-return-value", c.status, c.fromFrame}});
        ASSERT_TRUE(scanner.start());
        ASSERT_TRUE(scanner.scan());

        EXPECT_EQ(scanner.reports.flags.last(), TScanControl::AcquisitionEnded);
        EXPECT_EQ(scanner.reports.endCode, c.code);
        EXPECT_EQ(scanner.reports.endText, c.text);
        EXPECT_EQ(scanner.reports.pages(), c.pages);
        EXPECT_EQ(scanner.control.imageCount(), c.pages);
    }
}

TEST(ScanControl, ASecondAcquireIsRefusedWhileOneRuns)
{
    Scanner scanner(kSlowPage);
    ASSERT_TRUE(scanner.start());
    ASSERT_EQ(scanner.control.Acquire(), 0);

    EXPECT_EQ(scanner.control.Acquire(), TScanControl::Busy);
    EXPECT_FALSE(scanner.control.lastErrorText().isEmpty());
    ASSERT_TRUE(scanner.reports.waitForEnd());
    EXPECT_EQ(scanner.reports.flags, (QList<int>{0, TScanControl::AcquisitionEnded}));
    EXPECT_EQ(scanner.reports.endCode, 0);
}

TEST(ScanControl, StopDeviceEndsAScanAndDeliversItsEndBeforeReturning)
{
    Scanner scanner(kSlowPage);
    ASSERT_TRUE(scanner.start());
    scanner.chooseFeeder();
    ASSERT_EQ(scanner.control.Acquire(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return scanner.reports.pages() == 1; }, kHangMs));

    scanner.control.StopDevice();
    EXPECT_TRUE(scanner.reports.ended());
    EXPECT_EQ(scanner.reports.endCode, 0);
    EXPECT_GE(scanner.control.imageCount(), 1);
    EXPECT_LT(scanner.control.imageCount(), kFeederPages);
    EXPECT_EQ(scanner.control.sourceCount(), 0);
    EXPECT_EQ(scanner.control.Acquire(), TScanControl::NoScanner);
}

TEST(ScanControl, AnInterruptAskedInProgressStopsTheScan)
{
    Scanner scanner(kSlowPage);
    scanner.reports.interruptScan = true;
    ASSERT_TRUE(scanner.start());
    scanner.chooseFeeder();
    ASSERT_TRUE(scanner.scan());

    EXPECT_LT(scanner.reports.pages(), kFeederPages);
    EXPECT_EQ(scanner.reports.endCode, 0);
}

TEST(ScanControl, TheWindowsThreadGoesOnDuringASlowScan)
{
    Scanner scanner(kSlowPage);
    ASSERT_TRUE(scanner.start());
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    ASSERT_TRUE(scanner.scan());

    // The page took more than a second of the backend's pauses.
    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(std::any_of(scanner.reports.scanning.begin(), scanner.reports.scanning.end(),
                            [](int percent) { return percent > 0 && percent < 100; }));
    EXPECT_EQ(scanner.reports.scanning.last(), 100);
}

TEST(ScanControl, RotationTurnsClockwiseByQuarters)
{
    Scanner scanner(QList<Option>{{"test-picture", "Color pattern"}});
    ASSERT_TRUE(scanner.start());
    ASSERT_TRUE(scanner.scan());
    const QImage original = scanner.control.GetImage(0);
    const int width = original.width();
    const int height = original.height();

    ASSERT_TRUE(scanner.control.RotateImage(0, 90, 0))
        << scanner.control.lastErrorText().toStdString();
    const QImage turned = scanner.control.GetImage(0);
    ASSERT_EQ(turned.size(), QSize(height, width));
    int moved = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            moved += turned.pixel(height - 1 - y, x) == original.pixel(x, y);
    }
    EXPECT_EQ(moved, width * height);
    EXPECT_EQ(scanner.reports.rotating, (QList<int>{0, 100}));

    for (int turn = 0; turn < 3; ++turn)
        ASSERT_TRUE(scanner.control.RotateImage(0, 90, 0));
    EXPECT_EQ(scanner.control.GetImage(0), original);
}

TEST(ScanControl, RotationRefusesOtherAnglesAndMissingPages)
{
    Scanner scanner;
    ASSERT_TRUE(scanner.start());
    ASSERT_TRUE(scanner.scan());
    const QImage original = scanner.control.GetImage(0);

    for (const auto& [index, angle] : {std::pair{0, 45.0f}, {1, 90.0f}, {-1, 90.0f}}) {
        SCOPED_TRACE(std::to_string(index) + " by " + std::to_string(angle));
        EXPECT_FALSE(scanner.control.RotateImage(index, angle, 0));
        EXPECT_EQ(scanner.control.lastErrorCode(), TScanControl::BadRequest);
        EXPECT_FALSE(scanner.control.lastErrorText().isEmpty());
    }
    EXPECT_EQ(scanner.control.GetImage(0), original);
}
