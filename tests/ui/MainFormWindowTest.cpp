// The main window's form as a whole: window, banner, pager, menu, the hidden elements, the
// initial contents and the pictures, and how the four pages render.
#include "tests/ui/FormFixture.h"
#include "ui/CaptionFit.h"

#include <QDir>
#include <QKeySequence>
#include <QStyleOption>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainFormWindow : public ::testing::Test
{
protected:
    // Laying out the pager and the menu bar needs a shown window.
    void show()
    {
        form.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form.window));
    }

    FormFixture form;
};

TEST_F(MainFormWindow, HasItsCaptionIconAndAFixedClientAreaBelowTheMenu)
{
    EXPECT_EQ(form.window.objectName(), "frmMain");
    EXPECT_EQ(form.window.windowTitle(), "Corvanta Bulk PDF Conversion Tool");
    EXPECT_FALSE(form.window.windowIcon().isNull());
    const QSize formSize = form.window.size();
    show();
    EXPECT_EQ(form.window.menuBar(), form.ui.MainMenu1);
    EXPECT_EQ(form.ui.centralwidget->size(), QSize(499, 650));
    EXPECT_EQ(form.ui.centralwidget->y(), form.ui.MainMenu1->height());
    // The form's own size already fits menu and client area, so fixing it keeps both whole.
    EXPECT_EQ(form.window.size(), formSize);
}

TEST_F(MainFormWindow, ShowsTheBannerOnTopAndThePagerBelowIt)
{
    EXPECT_STREQ(form.ui.Panel1->metaObject()->className(), "QFrame");
    EXPECT_EQ(form.ui.Panel1->geometry(), QRect(0, 0, 499, 81));
    EXPECT_EQ(form.ui.Image1->parentWidget(), form.ui.Panel1);
    EXPECT_EQ(form.ui.Image1->geometry(), QRect(1, 1, 501, 79));
    EXPECT_EQ(form.ui.Image1->pixmap().size(), QSize(501, 79));
    EXPECT_STREQ(form.ui.OfficePager1->metaObject()->className(), "OfficePager");
    EXPECT_EQ(form.ui.OfficePager1->geometry(), QRect(0, 81, 499, 569));
}

TEST_F(MainFormWindow, PagerHasItsFourPagesInOrderWithTabsBelow)
{
    OfficePager* pager = form.ui.OfficePager1;
    EXPECT_EQ(pager->tabPosition(), QTabWidget::South);
    EXPECT_FALSE(pager->isMovable());
    const QStringList names = {"PageControl1", "OfficePager12", "OfficePager13", "OfficePage1"};
    const QStringList captions = {"Generate PDF", "Bulk Conversion", "Bulk Scan", "Settings"};
    ASSERT_EQ(pager->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pager->widget(i)->objectName(), names[i]);
        EXPECT_EQ(pager->tabText(i), captions[i]);
        EXPECT_TRUE(pager->tabToolTip(i).isEmpty());
    }
    EXPECT_EQ(pager->currentIndex(), 0);

    show();
    for (int i = 0; i < 4; ++i) {
        pager->setCurrentIndex(i);
        QWidget* page = pager->widget(i);
        EXPECT_EQ(QRect(page->mapTo(pager, QPoint()), page->size()), QRect(1, 2, 497, 541))
            << captions[i].toStdString();
    }
    EXPECT_GE(pager->tabBar()->y(), 543);
}

TEST_F(MainFormWindow, MenuHasItsThreeMenusAndExitHasItsAccessKey)
{
    const QList<QAction*> menus = form.ui.MainMenu1->actions();
    ASSERT_EQ(menus.size(), 3);
    const QList<QMenu*> expected = {form.ui.File1, form.ui.Help1, form.ui.ContactUs1};
    const QStringList titles = {"File", "Help", "Support"};
    const QList<QAction*> items = {form.ui.Exit1, form.ui.CorvantaHelp1, form.ui.Web1};
    const QStringList itemNames = {"Exit1", "CorvantaHelp1", "Web1"};
    const QStringList itemCaptions = {"E&xit", "Corvanta Help", "Web"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(menus[i]->menu(), expected[i]);
        EXPECT_EQ(expected[i]->title(), titles[i]);
        EXPECT_EQ(expected[i]->actions(), QList<QAction*>{items[i]});
        EXPECT_EQ(items[i]->objectName(), itemNames[i]);
        EXPECT_EQ(items[i]->text(), itemCaptions[i]);
    }
    EXPECT_EQ(form.ui.File1->objectName(), "File1");
    EXPECT_EQ(form.ui.Help1->objectName(), "Help1");
    EXPECT_EQ(form.ui.ContactUs1->objectName(), "ContactUs1");
    EXPECT_EQ(QKeySequence::mnemonic(form.ui.Exit1->text()), QKeySequence(Qt::ALT | Qt::Key_X));
}

TEST_F(MainFormWindow, UnusedElementsAreHiddenDisabledAndBeyondTheirPage)
{
    struct Unused
    {
        const char* name;
        const char* kind;
        const char* page;
        const char* caption;
    };
    const Unused unused[] = {
        {"TxtAction", "QLabel", "OfficePager13", ""},
        {"currImg", "QLabel", "OfficePager13", ""},
        {"Label11", "QLabel", "OfficePager13", "Max images in buffer:"},
        {"MaxImages", "QLineEdit", "OfficePager13", nullptr},
        {"ImgCount", "QLineEdit", "OfficePager13", nullptr},
        {"ChkShowUI", "QCheckBox", "OfficePager13", "Show UI"},
        {"ChkModalUI", "QCheckBox", "OfficePager13", "Modal UI"},
        {"ChkDisableAfterAcq", "QCheckBox", "OfficePager13", "Disable after acquire"},
        {"ChkAutoCleanBuffer", "QCheckBox", "OfficePager13",
         "Buffer will be automatically cleared when will be full"},
        {"BSelectSrc", "QPushButton", "OfficePager13", "Select Source"},
        {"BGetSourceInfo", "QPushButton", "OfficePager13", "Get source info"},
        {"BProcessImage", "QPushButton", "OfficePager13", "Despeckle => deskew => detect border"},
        {"BUploadImage", "QPushButton", "OfficePager13", "Upload image"},
        {"BDeleteImage", "QPushButton", "OfficePager13", "Delete image"},
        {"BSaveImage", "QPushButton", "OfficePager13", "Save image"},
        {"BRotateImage1", "QPushButton", "OfficePager13", "Rotate image"},
        {"chkAutoCleanBufferGenerate", "QCheckBox", "PageControl1",
         "Buffer will be automatically cleared when will be full"},
        {"chkShowUIGenerate", "QCheckBox", "PageControl1", "Show UI"},
        {"pnlScanImage", "QFrame", "PageControl1", nullptr},
    };
    for (const Unused& u : unused) {
        QWidget* widget = form.find(QString::fromLatin1(u.name));
        ASSERT_NE(widget, nullptr) << u.name;
        EXPECT_STREQ(widget->metaObject()->className(), u.kind) << u.name;
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(u.page)) << u.name;
        EXPECT_TRUE(widget->isHidden()) << u.name;
        EXPECT_FALSE(widget->isEnabled()) << u.name;
        EXPECT_GE(widget->x(), 497) << u.name;
        EXPECT_TRUE(widget->toolTip().isEmpty()) << u.name;
        if (u.caption) {
            const auto* button = qobject_cast<QAbstractButton*>(widget);
            const auto* label = qobject_cast<QLabel*>(widget);
            EXPECT_EQ(button ? button->text() : label->text(), QString::fromUtf8(u.caption))
                << u.name;
        }
    }
    EXPECT_TRUE(form.ui.ImgCount->isReadOnly());
    EXPECT_TRUE(form.ui.picScanImage->isHidden());
    EXPECT_EQ(form.ui.picScanImage->parentWidget(), form.ui.pnlScanImage);
    EXPECT_TRUE(form.ui.PNGButton1->isHidden());
}

TEST_F(MainFormWindow, StartsEmptyWithTheStatedStates)
{
    EXPECT_TRUE(form.ui.lstFileList->model() == nullptr ||
                form.ui.lstFileList->model()->rowCount() == 0);
    EXPECT_FALSE(form.ui.lstFileList->rootIsDecorated());
    EXPECT_EQ(form.ui.lstFileList->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(form.ui.txtStartFolder->text().isEmpty());
    EXPECT_TRUE(form.ui.txtDestinationFolder->text().isEmpty());
    EXPECT_FALSE(form.ui.txtStartFolder->isReadOnly());
    EXPECT_FALSE(form.ui.txtStartFolder->hasFrame());
    EXPECT_FALSE(form.ui.txtDestinationFolder->hasFrame());
    EXPECT_TRUE(form.ui.txtPasswd1->text().isEmpty());
    EXPECT_TRUE(form.ui.txtPasswd2->text().isEmpty());
    EXPECT_EQ(form.ui.Sources->count(), 0);
    EXPECT_TRUE(form.ui.Image3->pixmap().isNull());
    EXPECT_TRUE(form.ui.Image3->hasScaledContents());
    EXPECT_TRUE(form.ui.Image2->hasScaledContents());
    EXPECT_EQ(form.ui.ProgressBar1->minimum(), 0);
    EXPECT_EQ(form.ui.ProgressBar1->maximum(), 100);
    EXPECT_EQ(form.ui.ProgressBar1->value(), 0);
    EXPECT_EQ(form.ui.ProgressBar1->orientation(), Qt::Horizontal);
    EXPECT_TRUE(form.ui.ProgressBar1->isTextVisible());
    EXPECT_EQ(form.ui.ProgressBar1->text(), "0%");
    EXPECT_EQ(form.ui.Panel2->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(form.ui.Bevel1->frameShape(), QFrame::HLine);
    EXPECT_EQ(form.ui.pnlPass->frameShape(), QFrame::NoFrame);
}

TEST_F(MainFormWindow, DatePickersAndPasswordEditsHaveTheirKinds)
{
    EXPECT_EQ(form.ui.DTTime->buttonSymbols(), QAbstractSpinBox::UpDownArrows);
    EXPECT_FALSE(form.ui.DTTime->calendarPopup());
    EXPECT_TRUE(form.ui.DTDate->calendarPopup());
    // The long date: weekday and month written out.
    EXPECT_TRUE(form.ui.DTDate->displayFormat().contains("dddd"));
    EXPECT_TRUE(form.ui.DTDate->displayFormat().contains("MMMM"));
    for (QLineEdit* edit : {form.ui.txtPasswd1, form.ui.txtPasswd2}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        QStyleOption option;
        option.initFrom(edit);
        EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, edit),
                  int('*'));
    }
    EXPECT_EQ(form.ui.lblPasswd1->buddy(), form.ui.txtPasswd1);
    EXPECT_EQ(form.ui.lblPasswd2->buddy(), form.ui.txtPasswd2);
}

TEST_F(MainFormWindow, ImageButtonsHaveTheirPicturesPlacementsAndFrames)
{
    struct Look
    {
        ImageButton* button;
        ImageButton::PicturePlacement placement;
        ImageButton::FrameMode frame;
    };
    const Look looks[] = {
        {form.ui.PNGAddFile, ImageButton::Above, ImageButton::Frameless},
        {form.ui.PNGRemoveFile, ImageButton::Above, ImageButton::Frameless},
        {form.ui.PNGClear, ImageButton::Above, ImageButton::Frameless},
        {form.ui.PNGCreatePDF, ImageButton::Left, ImageButton::Flat},
        {form.ui.PNGButton1, ImageButton::Left, ImageButton::Frameless},
        {form.ui.PNGBrowseStart, ImageButton::Left, ImageButton::Flat},
        {form.ui.PNGDest, ImageButton::Left, ImageButton::Flat},
        {form.ui.cmdLog, ImageButton::Left, ImageButton::Flat},
        {form.ui.cmdClearJobs, ImageButton::Left, ImageButton::Flat},
        {form.ui.cmdOK, ImageButton::Left, ImageButton::Flat},
        {form.ui.cmdCancel, ImageButton::Left, ImageButton::Flat},
        {form.ui.BRotateImage, ImageButton::Left, ImageButton::Flat},
        {form.ui.BStartStop, ImageButton::Left, ImageButton::Flat},
        {form.ui.BAcquire, ImageButton::Left, ImageButton::Flat},
        {form.ui.PNGRemove, ImageButton::Left, ImageButton::Flat},
    };
    for (const Look& look : looks) {
        const std::string name = look.button->objectName().toStdString();
        EXPECT_EQ(look.button->picturePlacement(), look.placement) << name;
        EXPECT_EQ(look.button->frameMode(), look.frame) << name;
        const QPixmap normal = look.button->normalPicture();
        ASSERT_FALSE(normal.isNull()) << name;
        EXPECT_EQ(look.button->hoverPicture().size(), normal.size()) << name;
        EXPECT_EQ(look.button->downPicture().size(), normal.size()) << name;
        EXPECT_NE(look.button->hoverPicture().toImage(), normal.toImage()) << name;
        EXPECT_NE(look.button->downPicture().toImage(), normal.toImage()) << name;
        // The picture fits inside its button.
        EXPECT_LE(normal.width(), look.button->width()) << name;
        EXPECT_LE(normal.height(), look.button->height()) << name;
    }
    // The speed buttons' glyphs have an enabled and a disabled state; the two-state strips
    // hold both side by side.
    for (QToolButton* speed : {form.ui.BPrevImage, form.ui.BNextImage}) {
        EXPECT_FALSE(speed->icon().availableSizes(QIcon::Normal).isEmpty());
        EXPECT_FALSE(speed->icon().availableSizes(QIcon::Disabled).isEmpty());
    }
    for (const char* strip : {":/images/previous.png", ":/images/next.png"})
        EXPECT_EQ(QPixmap(QString::fromLatin1(strip)).size(), QSize(32, 16)) << strip;
    EXPECT_EQ(form.ui.Image8->pixmap().size(), QSize(161, 209));
}

TEST_F(MainFormWindow, EveryShownCaptionFitsItsPlaceOnceFitted)
{
    show();
    fitCaptions(&form.window);
    for (QWidget* widget : form.window.findChildren<QWidget*>()) {
        if (widget->isHidden())
            continue;
        EXPECT_TRUE(captionFits(widget)) << widget->objectName().toStdString();
        EXPECT_GE(widget->font().letterSpacing(), -kMaxSqueeze - 1.0 / 64)
            << widget->objectName().toStdString();
    }
    // Fitting changes no place.
    EXPECT_EQ(form.ui.radSeperateFiles->geometry(), QRect(32, 416, 145, 17));
    EXPECT_EQ(form.ui.Label2->geometry(), QRect(117, 377, 58, 14));
}

// Renders every page; with CORVANTA_UI_SHOTS set, the pictures are also written there.
TEST_F(MainFormWindow, EveryPageRendersWithTheBannerAndTheDarkTabStrip)
{
    show();
    fitCaptions(&form.window);
    const QString shots = qEnvironmentVariable("CORVANTA_UI_SHOTS");
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    const QStringList files = {"generate-pdf", "bulk-conversion", "bulk-scan", "settings"};
    for (int page = 0; page < 4; ++page) {
        form.ui.OfficePager1->setCurrentIndex(page);
        const QImage shot = form.window.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        const QPoint client = form.ui.centralwidget->pos();
        // The banner's night sky at its left, the dark strip right of the last tab.
        EXPECT_LT(qGray(shot.pixel(client + QPoint(6, 40))), 80) << page;
        EXPECT_LT(qGray(shot.pixel(client + QPoint(495, 645))), 80) << page;
        // The page body is light.
        EXPECT_GT(qGray(shot.pixel(client + QPoint(490, 200))), 180) << page;
        if (!shots.isEmpty()) {
            EXPECT_TRUE(shot.save(QDir(shots).filePath(files[page] + ".png")));
        }
    }
}

} // namespace
