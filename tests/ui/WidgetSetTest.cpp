// The picture button, the skinned progress bar, the link label and the preview label.
#include "ui/ImageButton.h"
#include "ui/LinkLabel.h"
#include "ui/PreviewLabel.h"
#include "ui/SkinProgressBar.h"

#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QPixmap filled(const QColor& colour)
{
    QPixmap picture(16, 16);
    picture.fill(colour);
    return picture;
}

void hover(QWidget* widget)
{
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)));
    QApplication::sendEvent(widget, &enter);
}

void unhover(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

class ImageButtonTest : public ::testing::Test
{
protected:
    ImageButtonTest()
    {
        button.setNormalPicture(filled(Qt::red));
        button.setHoverPicture(filled(Qt::green));
        button.setDownPicture(filled(Qt::blue));
        button.resize(60, 40);
    }

    QRgb shownColour() const { return button.currentPicture().toImage().pixel(8, 8); }

    ImageButton button;
};

TEST_F(ImageButtonTest, ShowsTheNormalHoveredAndPressedPictures)
{
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Normal);
    EXPECT_EQ(shownColour(), QColor(Qt::red).rgb());
    hover(&button);
    EXPECT_TRUE(button.isHovered());
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Hovered);
    EXPECT_EQ(shownColour(), QColor(Qt::green).rgb());
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Down);
    EXPECT_EQ(shownColour(), QColor(Qt::blue).rgb());
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Hovered);
    unhover(&button);
    EXPECT_FALSE(button.isHovered());
    EXPECT_EQ(shownColour(), QColor(Qt::red).rgb());
}

TEST_F(ImageButtonTest, MissingVariantsFallBackToTheNormalPicture)
{
    button.setHoverPicture({});
    button.setDownPicture({});
    hover(&button);
    EXPECT_EQ(shownColour(), QColor(Qt::red).rgb());
    button.setDown(true);
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Down);
    EXPECT_EQ(shownColour(), QColor(Qt::red).rgb());
}

TEST_F(ImageButtonTest, FlatButtonsShowAFrameOnlyUnderTheMouse)
{
    button.setFrameMode(ImageButton::Flat);
    EXPECT_FALSE(button.frameShown());
    hover(&button);
    EXPECT_TRUE(button.frameShown());
    button.setDown(true);
    EXPECT_TRUE(button.frameShown());
    button.setDown(false);
    unhover(&button);
    EXPECT_FALSE(button.frameShown());
}

TEST_F(ImageButtonTest, FramelessButtonsNeverShowAFrame)
{
    button.setFrameMode(ImageButton::Frameless);
    hover(&button);
    EXPECT_FALSE(button.frameShown());
    button.setDown(true);
    EXPECT_FALSE(button.frameShown());
}

TEST_F(ImageButtonTest, TheFrameIsDrawnOnlyWhenShown)
{
    // The corner pixel lies on the frame and outside the picture.
    button.setFrameMode(ImageButton::Flat);
    const auto cornerAlpha = [this] {
        QImage image(button.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        button.render(&image, {}, {}, QWidget::RenderFlags());
        return qAlpha(image.pixel(button.width() / 2, 0));
    };
    EXPECT_EQ(cornerAlpha(), 0);
    hover(&button);
    EXPECT_GT(cornerAlpha(), 0);
    button.setFrameMode(ImageButton::Frameless);
    EXPECT_EQ(cornerAlpha(), 0);
}

TEST_F(ImageButtonTest, DisabledButtonsShowTheNormalPictureAndNoFrame)
{
    hover(&button);
    button.setEnabled(false);
    EXPECT_EQ(button.pictureState(), ImageButton::PictureState::Normal);
    EXPECT_FALSE(button.frameShown());
    button.setEnabled(true);
    EXPECT_FALSE(button.isHovered());
}

TEST_F(ImageButtonTest, EmitsClickedLikeAnyButton)
{
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ImageButtonTest, SizeHintMakesRoomForPictureAndCaption)
{
    button.setText(QStringLiteral("Generate PDF"));
    const int captionWidth = button.fontMetrics().horizontalAdvance(button.text());
    button.setPicturePlacement(ImageButton::Left);
    const QSize beside = button.sizeHint();
    EXPECT_GE(beside.width(), 16 + captionWidth);
    button.setPicturePlacement(ImageButton::Above);
    const QSize above = button.sizeHint();
    EXPECT_GE(above.height(), 16 + button.fontMetrics().height());
    EXPECT_LT(above.width(), beside.width());
}

TEST(SkinProgressBarTest, ShowsItsPercentage)
{
    SkinProgressBar bar;
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_TRUE(bar.isTextVisible());
    bar.setRange(0, 100);
    bar.setValue(42);
    EXPECT_EQ(bar.text(), "42%");
    EXPECT_DOUBLE_EQ(bar.filledFraction(), 0.42);
    bar.setRange(0, 200);
    bar.setValue(50);
    EXPECT_EQ(bar.text(), "25%");
    bar.setValue(200);
    EXPECT_EQ(bar.text(), "100%");
    EXPECT_DOUBLE_EQ(bar.filledFraction(), 1.0);
}

TEST(SkinProgressBarTest, FillsTheGrooveUpToTheValue)
{
    SkinProgressBar bar;
    bar.resize(200, 19);
    bar.setRange(0, 100);
    bar.setTextVisible(false);
    const auto rendered = [&bar] {
        QImage image(bar.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        bar.render(&image, {}, {}, QWidget::RenderFlags());
        return image;
    };
    bar.setValue(50);
    const QImage half = rendered();
    // The chunk is blue; the empty groove is grey.
    const QColor filledPart = half.pixelColor(40, 12);
    const QColor emptyPart = half.pixelColor(160, 12);
    EXPECT_GT(filledPart.blue(), filledPart.red() + 60);
    EXPECT_LT(qAbs(emptyPart.blue() - emptyPart.red()), 20);
}

TEST(LinkLabelTest, EmitsClickedOnALeftButtonReleaseInside)
{
    LinkLabel label;
    label.setText(QStringLiteral("Add File"));
    label.resize(60, 14);
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QSignalSpy clicked(&label, &LinkLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 7));
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 7));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(LinkLabelTest, IgnoresAReleaseOutsideIt)
{
    LinkLabel label;
    label.setText(QStringLiteral("Remove File"));
    label.resize(60, 14);
    QSignalSpy clicked(&label, &LinkLabel::clicked);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 7));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(80, 30));
    EXPECT_EQ(clicked.count(), 0);
    // A release that was never pressed on the label does nothing either.
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(10, 7));
    EXPECT_EQ(clicked.count(), 0);
}

TEST(LinkLabelTest, TabReachesItWithAFocusFrameAndReturnEnterOrSpaceUseIt)
{
    QWidget window;
    QWidget before(&window);
    before.setFocusPolicy(Qt::StrongFocus);
    LinkLabel label(&window);
    label.setText(QStringLiteral("Clear List"));
    label.setGeometry(10, 10, 60, 16);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before.setFocus();
    const QImage unfocused = label.grab().toImage();
    QTest::keyClick(&before, Qt::Key_Tab);
    ASSERT_TRUE(label.hasFocus());
    EXPECT_NE(label.grab().toImage(), unfocused);

    QSignalSpy clicked(&label, &LinkLabel::clicked);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(&label, key);
    EXPECT_EQ(clicked.count(), 3);
}

TEST(PreviewLabelTest, DecodesAPictureFileOnlyWhenSeenAndAtItsOwnSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.jpg");
    QImage page(800, 400, QImage::Format_RGB32);
    page.fill(Qt::darkGreen);
    ASSERT_TRUE(page.save(path));

    QWidget window;
    PreviewLabel label(&window);
    label.resize(200, 200);
    label.setPictureFile(path);
    EXPECT_TRUE(label.pixmap().isNull()) << "decoded while nobody could see it";
    EXPECT_EQ(label.pendingFile(), path);

    window.show();
    EXPECT_TRUE(label.pendingFile().isEmpty());
    EXPECT_EQ(label.pixmap().size(), QSize(200, 100));

    // Seen already: a new file is decoded at once; clearing forgets the picture.
    label.setPictureFile(path);
    EXPECT_FALSE(label.pixmap().isNull());
    label.clearPicture();
    EXPECT_TRUE(label.pixmap().isNull());

    // A file handed over and cleared again before anyone looked is never decoded.
    window.hide();
    label.setPictureFile(path);
    label.clearPicture();
    window.show();
    EXPECT_TRUE(label.pixmap().isNull());
}

} // namespace
