// The Bulk Scan page with the real scanning control on SANE's test scanner: pages become JPEG
// files and rows of the document list, the preview steps through them and turns them.
#include "scanning/ScanPage.h"
#include "conversion/PicturePreview.h"
#include "doclist/DocumentList.h"
#include "doclist/GeneratePage.h"
#include "pdfprinter/PdfPrinter.h"
#include "scanning/ScanControl.h"
#include "scanning/ScannedPageFiles.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/SaneTestBackend.h"
#include "tests/support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

class FakeScanControls final : public ScanPageControls, public PicturePreview, public GeneratePage
{
public:
    void setStartStopCaption(const QString& c) override { caption = c; }
    void setDeviceCommandsEnabled(bool e) override { deviceCommands = e; }
    void setPreviousEnabled(bool e) override { previous = e; }
    void setNextEnabled(bool e) override { next = e; }
    void setSources(const QStringList& names, int selected) override
    {
        sources = names;
        selectedSource = selected;
    }
    void setProgress(int percent) override { progress.append(percent); }
    void showPicture(const QImage& picture) override { shown = picture; }
    void showPictureFile(const QString& path) override { shown = QImage(path); }
    void clearPicture() override { shown = QImage(); }
    void setGenerateEnabled(bool) override {}
    void setCombineEnabled(bool e) override { combine = e; }
    void setCombineChecked(bool) override {}
    void setSeparateChecked(bool) override {}
    int selectedRow() const override { return -1; }
    void clearPreview() override {}

    QString caption;
    bool deviceCommands = true; // as the form makes them
    bool previous = true;
    bool next = true;
    QStringList sources;
    int selectedSource = -1;
    QList<int> progress;
    QImage shown;
    bool combine = false;
};

struct ScanHarness
{
    explicit ScanHarness(QList<sanetest::Option> options = {}) : devices(std::move(options)) {}

    // Scans once and waits for the acquisition's end.
    void scan()
    {
        const int ended = endings;
        page.BAcquireClick();
        const QDeadlineTimer deadline(30000);
        while (endings == ended && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        ASSERT_GT(endings, ended) << "the acquisition did not end";
    }
    QString pageFile(int n) const
    {
        return folder.filePath(QStringLiteral("ScannedImage%1.jpg").arg(n));
    }

    QTemporaryDir folder;
    sanetest::SaneTestDevices devices;
    TScanControl control{devices};
    DocumentList list;
    FakeScanControls controls;
    ScriptedDialogs dialogs;
    ScannedPageFiles pageFiles{folder.path() + '/'};
    ScanPage page{control, list, controls, controls, controls, dialogs, pageFiles};
    int endings = 0;
    QMetaObject::Connection counting = QObject::connect(&control, &TScanControl::OnPostScan,
                                                        [this](int flag) { endings += flag != 0; });
};

// The luminance quantisation table of a JPEG file, as stored.
QByteArray luminanceTable(const QByteArray& jpeg)
{
    const qsizetype dqt = jpeg.indexOf("\xFF\xDB");
    return dqt < 0 ? QByteArray() : jpeg.mid(dqt + 5, 64);
}

// libjpeg's standard luminance table scaled to quality 90, in the zig-zag order files keep.
QByteArray quality90Table()
{
    static const int kStandard[64] = {16,  11, 12, 14,  12,  10,  16,  14,  13, 14,  18,  17,  16,
                                      19,  24, 40, 26,  24,  22,  22,  24,  49, 35,  37,  29,  40,
                                      58,  51, 61, 60,  57,  51,  56,  55,  64, 72,  92,  78,  64,
                                      68,  87, 69, 55,  56,  80,  109, 81,  87, 95,  98,  103, 104,
                                      103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99};
    QByteArray table;
    for (const int value : kStandard)
        table.append(char(std::clamp((value * 20 + 50) / 100, 1, 255)));
    return table;
}

TEST(ScanPageTest, ThreePagesBecomeThreeBaselineJpegFilesAndThreeRows)
{
    ScanHarness h;
    h.page.BStartStopClick();
    EXPECT_TRUE(h.page.deviceStarted());
    EXPECT_EQ(h.controls.caption, "Stop Device");
    EXPECT_EQ(h.controls.sources, (QStringList{sanetest::kFlatbed, sanetest::kFeeder}));
    EXPECT_TRUE(h.controls.deviceCommands);
    EXPECT_FALSE(h.controls.previous);
    EXPECT_FALSE(h.controls.next);

    for (int i = 0; i < 3; ++i)
        h.scan();
    EXPECT_TRUE(h.dialogs.shown.isEmpty()) << h.dialogs.texts().join('|').toStdString();
    for (int n = 1; n <= 3; ++n) {
        QFile file(h.pageFile(n));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << n;
        const QByteArray jpeg = file.readAll();
        EXPECT_TRUE(jpeg.contains("\xFF\xC0")) << "baseline";
        EXPECT_EQ(luminanceTable(jpeg), quality90Table());
        EXPECT_EQ(QImageReader(h.pageFile(n)).size(),
                  QSize(sanetest::kPageWidth, sanetest::kPageHeight));
    }
    ASSERT_EQ(h.list.DocumentCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(h.list.name(row), QStringLiteral("ScannedImage%1.jpg").arg(row + 1));
        EXPECT_EQ(h.list.status(row), "Wating");
    }
    EXPECT_EQ(h.page.currentImageIndex(), 2);
    EXPECT_TRUE(h.controls.previous);
    EXPECT_TRUE(h.controls.combine);
    EXPECT_EQ(h.controls.progress.last(), 100);
    EXPECT_FALSE(h.controls.shown.isNull()) << "the preview shows the page as stored";

    h.page.BStartStopClick();
    EXPECT_EQ(h.controls.caption, "Start Device");
    EXPECT_TRUE(h.controls.sources.isEmpty());
    EXPECT_FALSE(h.controls.deviceCommands);
    EXPECT_EQ(h.page.currentImageIndex(), 2) << "Stop leaves the index";
}

TEST(ScanPageTest, BrowsingFollowsTheButtonTableAndFourTurnsGiveThePageBack)
{
    ScanHarness h;
    h.page.BStartStopClick();
    for (int i = 0; i < 3; ++i)
        h.scan();
    struct Step
    {
        void (ScanPage::*click)();
        int index;
        bool previous;
        bool next;
    };
    const QList<Step> steps = {
        {&ScanPage::BPrevImageClick, 1, true, true},  {&ScanPage::BPrevImageClick, 0, false, true},
        {&ScanPage::BPrevImageClick, 0, false, true}, // nothing to go to
        {&ScanPage::BNextImageClick, 1, true, true},  {&ScanPage::BNextImageClick, 2, true, false},
        {&ScanPage::BNextImageClick, 2, true, false}};
    for (const Step& step : steps) {
        (h.page.*step.click)();
        EXPECT_EQ(h.page.currentImageIndex(), step.index);
        EXPECT_EQ(h.controls.previous, step.previous) << step.index;
        EXPECT_EQ(h.controls.next, step.next) << step.index;
    }

    const QImage original = h.control.GetImage(2);
    h.page.BRotateImageClick();
    EXPECT_EQ(h.controls.shown.size(), original.size().transposed());
    for (int i = 0; i < 3; ++i)
        h.page.BRotateImageClick();
    EXPECT_EQ(h.controls.shown.convertToFormat(original.format()), original);
    EXPECT_EQ(QImage(h.pageFile(3)).size(), original.size()) << "the page file stays as scanned";
}

TEST(ScanPageTest, APageNeverTakesTheNumberOfAPageFileAlreadyThere)
{
    ScanHarness h;
    for (const int n : {1, 5})
        QFile(h.pageFile(n)).open(QIODevice::WriteOnly);
    h.page.BStartStopClick();
    h.scan();
    EXPECT_EQ(h.list.name(0), "ScannedImage6.jpg");
    EXPECT_EQ(QFile(h.pageFile(1)).size(), 0) << "the earlier file is untouched";
    EXPECT_EQ(ScannedPageFiles::NextPageNumber(h.folder.path(), 9), 9);
}

TEST(ScanPageTest, AnAcquisitionThatFailsSaysWhyOnceAndKeepsThePagesScanned)
{
    // The feeder jams on its third page.
    ScanHarness h({{"source", sanetest::kFeeder}, {"read-return-value", "SANE_STATUS_JAMMED", 3}});
    h.page.BStartStopClick();
    h.scan();
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_FALSE(h.dialogs.shown[0].text.isEmpty());
    EXPECT_EQ(h.list.DocumentCount(), 2);
}

TEST(ScanPageTest, AScannedPageIsConvertedWithItsJpegEmbeddedByteForByte)
{
    ScanHarness h;
    h.page.BStartStopClick();
    h.scan();
    RunHarness<PdfPrinter> run;
    run.printer.InitializeOptions("Corvanta", "Corvanta");
    run.printer.CreateProfile(kProfileName, 0);
    run.add(h.pageFile(1));
    ASSERT_EQ(run.run(), RunEnd::Finished);
    PdfProbe pdf(h.folder.filePath("ScannedImage1.PDF"));
    ASSERT_EQ(pdf.images().size(), 1);
    QFile jpeg(h.pageFile(1));
    jpeg.open(QIODevice::ReadOnly);
    EXPECT_EQ(pdf.images()[0].raw, jpeg.readAll());
}

} // namespace
