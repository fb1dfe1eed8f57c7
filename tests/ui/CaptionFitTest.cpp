// Captions measured for other fonts are drawn a little closer, never moved or cut.
#include "ui/CaptionFit.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

int advance(const QWidget& widget, const QString& text)
{
    return qCeil(QFontMetricsF(widget.font()).horizontalAdvance(text));
}

TEST(CaptionFitTest, SqueezesOnlyCaptionsThatWouldBeClipped)
{
    QWidget form;
    auto* tight = new QLabel(QStringLiteral("Remove File"), &form);
    tight->setGeometry(0, 0, advance(*tight, tight->text()) - 3, 14);
    auto* roomy = new QLabel(QStringLiteral("Add File"), &form);
    roomy->setGeometry(0, 20, 200, 14);
    auto* radio = new QRadioButton(QStringLiteral("Create individual PDF files"), &form);
    radio->setGeometry(0, 40, 200, 17);
    radio->setGeometry(0, 40, radio->sizeHint().width() - 6, 17);
    EXPECT_FALSE(captionFits(tight));
    EXPECT_FALSE(captionFits(radio));
    EXPECT_TRUE(captionFits(roomy));

    fitCaptions(&form);
    EXPECT_TRUE(captionFits(tight));
    EXPECT_TRUE(captionFits(radio));
    EXPECT_LT(tight->font().letterSpacing(), 0);
    EXPECT_GE(tight->font().letterSpacing(), -kMaxSqueeze - 1.0 / 64);
    EXPECT_EQ(roomy->font().letterSpacing(), 0);
    EXPECT_EQ(tight->width(), advance(*roomy, tight->text()) - 3);
}

TEST(CaptionFitTest, NeverSqueezesBeyondTheLimit)
{
    QWidget form;
    auto* box = new QCheckBox(QStringLiteral("Buffer will be automatically cleared"), &form);
    box->setGeometry(0, 0, 40, 17);
    fitCaptions(&form);
    // Letter spacing is kept in 64ths of a pixel.
    EXPECT_NEAR(box->font().letterSpacing(), -kMaxSqueeze, 1.0 / 64);
    EXPECT_FALSE(captionFits(box));
}

TEST(CaptionFitTest, LeavesHiddenAndWrappedCaptionsAlone)
{
    QWidget form;
    auto* hidden = new QLabel(QStringLiteral("Max images in buffer:"), &form);
    hidden->setGeometry(0, 0, 20, 14);
    hidden->hide();
    auto* wrapped = new QLabel(QStringLiteral("version: 1.3.1.2 Professional"), &form);
    wrapped->setWordWrap(true);
    wrapped->setGeometry(0, 20, 20, 28);
    fitCaptions(&form);
    EXPECT_EQ(hidden->font().letterSpacing(), 0);
    EXPECT_EQ(wrapped->font().letterSpacing(), 0);
}

} // namespace
