// Every element of the main window's form, checked against its table: kind, parent, place,
// caption, hint, initial state and, where the form states one, font.
#include "tests/ui/FormFixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

enum class Checked
{
    NotApplicable,
    No,
    Yes
};

struct Element
{
    const char* name;
    const char* kind;
    const char* parent;
    QRect place;
    const char* caption; // nullptr: the element shows no caption
    const char* hint = "";
    bool shown = true;
    bool enabled = true;
    Checked checked = Checked::NotApplicable;
};

void PrintTo(const Element& element, std::ostream* out)
{
    *out << element.name;
}

QString captionOf(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    return {};
}

class FormElement : public ::testing::TestWithParam<Element>
{
protected:
    FormFixture form;
};

TEST_P(FormElement, HasItsKindPlaceCaptionHintAndInitialState)
{
    const Element& e = GetParam();
    QWidget* widget = form.find(QString::fromLatin1(e.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), e.kind);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(e.parent));
    EXPECT_EQ(widget->geometry(), e.place);
    EXPECT_EQ(captionOf(widget), QString::fromUtf8(e.caption ? e.caption : ""));
    EXPECT_EQ(widget->toolTip(), QString::fromUtf8(e.hint));
    EXPECT_EQ(widget->isHidden(), !e.shown);
    EXPECT_EQ(widget->isEnabled(), e.enabled);
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (e.checked == Checked::NotApplicable) {
        EXPECT_TRUE(button == nullptr || !button->isChecked());
    } else {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isCheckable());
        EXPECT_EQ(button->isChecked(), e.checked == Checked::Yes);
    }
}

const Checked kOff = Checked::No;
const Checked kOn = Checked::Yes;

INSTANTIATE_TEST_SUITE_P(
    GeneratePdfPage, FormElement,
    ::testing::Values(
        Element{"lstFileList", "ReportListView", "PageControl1", {24, 24, 449, 345}, nullptr},
        Element{"PNGAddFile", "ImageButton", "PageControl1", {29, 373, 23, 25}, nullptr},
        Element{"Label1", "LinkLabel", "PageControl1", {53, 377, 39, 14}, "Add File"},
        Element{"PNGRemoveFile", "ImageButton", "PageControl1", {93, 373, 23, 25}, nullptr},
        Element{"Label2", "LinkLabel", "PageControl1", {117, 377, 58, 14}, "Remove File"},
        Element{"PNGClear", "ImageButton", "PageControl1", {381, 373, 23, 25}, nullptr},
        Element{"Label3", "LinkLabel", "PageControl1", {405, 377, 45, 14}, "Clear List"},
        Element{"Bevel1", "QFrame", "PageControl1", {29, 406, 425, 17}, nullptr},
        Element{"radSeperateFiles",
                "QRadioButton",
                "PageControl1",
                {32, 416, 145, 17},
                "Create individual PDF files",
                "",
                true,
                true,
                kOn},
        Element{"radCombineFiles",
                "QRadioButton",
                "PageControl1",
                {192, 416, 145, 17},
                "Create one PDF file",
                "",
                true,
                false,
                kOff},
        Element{"PNGCreatePDF",
                "ImageButton",
                "PageControl1",
                {296, 464, 153, 49},
                "Generate PDF",
                "Generate PDF"},
        Element{"Image2", "QLabel", "PageControl1", {32, 488, 25, 17}, nullptr, "", false},
        Element{"PNGButton1",
                "ImageButton",
                "PageControl1",
                {56, 472, 41, 41},
                nullptr,
                "Click For Help...",
                false}));

INSTANTIATE_TEST_SUITE_P(
    BulkConversionPage, FormElement,
    ::testing::Values(
        Element{"GroupBox2", "QGroupBox", "OfficePager12", {8, 35, 441, 121}, "Select Folders"},
        Element{"Label4", "QLabel", "GroupBox2", {16, 34, 83, 15}, "Starting Folder "},
        Element{"txtStartFolder", "QLineEdit", "GroupBox2", {104, 32, 233, 23}, nullptr},
        Element{"PNGBrowseStart",
                "ImageButton",
                "GroupBox2",
                {360, 22, 49, 33},
                nullptr,
                "Browse To Starting Folder..."},
        Element{"Label5", "QLabel", "GroupBox2", {16, 80, 77, 15}, "Ending Folder"},
        Element{"txtDestinationFolder", "QLineEdit", "GroupBox2", {104, 76, 233, 23}, nullptr},
        Element{"PNGDest",
                "ImageButton",
                "GroupBox2",
                {360, 66, 49, 33},
                nullptr,
                "Browse To Destination Folder..."},
        Element{"GroupBox3", "QGroupBox", "OfficePager12", {8, 172, 441, 137}, "Schedule Time"},
        Element{"cmdLog",
                "ImageButton",
                "GroupBox3",
                {191, 12, 121, 57},
                "View log",
                "View Corvanta Event Log..."},
        Element{"cmdClearJobs",
                "ImageButton",
                "GroupBox3",
                {312, 12, 121, 57},
                "Clear Jobs",
                "Clear Scheduled Jobs..."},
        Element{"rdoNow",
                "QRadioButton",
                "GroupBox3",
                {8, 66, 89, 25},
                "Run Now!",
                "",
                true,
                true,
                kOn},
        Element{"rdoSchedule",
                "QRadioButton",
                "GroupBox3",
                {8, 98, 105, 17},
                "Schedule Time",
                "",
                true,
                true,
                kOff},
        Element{"DTTime", "QTimeEdit", "GroupBox3", {120, 98, 97, 23}, nullptr},
        Element{"DTDate", "QDateEdit", "GroupBox3", {220, 98, 213, 23}, nullptr},
        Element{"cmdOK",
                "ImageButton",
                "OfficePager12",
                {15, 449, 121, 57},
                "Schedule",
                "Schedule Job..."},
        Element{"cmdCancel",
                "ImageButton",
                "OfficePager12",
                {335, 449, 121, 57},
                "Cancel",
                "Cancel..."}));

INSTANTIATE_TEST_SUITE_P(
    BulkScanPage, FormElement,
    ::testing::Values(
        Element{"Label12", "QLabel", "OfficePager13", {30, 4, 38, 14}, "Status:"},
        Element{"ProgressBar1", "SkinProgressBar", "OfficePager13", {72, 4, 247, 19}, nullptr},
        Element{"Label7", "QLabel", "OfficePager13", {26, 35, 42, 13}, "Sources:"},
        Element{
            "Sources", "QComboBox", "OfficePager13", {73, 27, 247, 21}, nullptr, "", true, false},
        Element{"BPrevImage",
                "QToolButton",
                "OfficePager13",
                {413, 32, 23, 22},
                nullptr,
                "Previous Image..."},
        Element{"BNextImage",
                "QToolButton",
                "OfficePager13",
                {434, 32, 23, 22},
                nullptr,
                "Next Image..."},
        Element{"Panel2", "QFrame", "OfficePager13", {24, 54, 433, 411}, nullptr},
        Element{"Image3", "PreviewLabel", "Panel2", {1, 1, 427, 405}, nullptr},
        Element{"BRotateImage",
                "ImageButton",
                "OfficePager13",
                {417, 465, 41, 38},
                nullptr,
                "Rotate Image..."},
        Element{"BStartStop",
                "ImageButton",
                "OfficePager13",
                {24, 483, 121, 49},
                "Start Device",
                "Click To Start Device..."},
        Element{"BAcquire",
                "ImageButton",
                "OfficePager13",
                {152, 483, 121, 49},
                "Scan",
                "Click To Scan Files..."},
        Element{"PNGRemove",
                "ImageButton",
                "OfficePager13",
                {280, 483, 121, 49},
                "Delete",
                "Delete Image..."},
        Element{"ScanControl1", "QWidget", "OfficePager13", {464, 488, 32, 32}, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    SettingsPage, FormElement,
    ::testing::Values(
        Element{"Settings", "QGroupBox", "OfficePage1", {16, 32, 425, 153}, "Settings"},
        Element{"chkPrintCopy",
                "QCheckBox",
                "Settings",
                {24, 64, 145, 17},
                "Disable Printing/Copy",
                "",
                true,
                true,
                kOff},
        Element{"chkPass",
                "QCheckBox",
                "Settings",
                {24, 96, 145, 17},
                "Set Document Password",
                "",
                true,
                true,
                kOff},
        Element{"pnlPass", "QFrame", "Settings", {184, 24, 193, 105}, nullptr, "", false},
        Element{"lblPasswd1", "QLabel", "pnlPass", {18, 9, 151, 13}, "Password:"},
        Element{"txtPasswd1", "QLineEdit", "pnlPass", {18, 25, 151, 21}, nullptr},
        Element{"lblPasswd2", "QLabel", "pnlPass", {18, 52, 151, 13}, "Confirm Password:"},
        Element{"txtPasswd2", "QLineEdit", "pnlPass", {18, 68, 151, 21}, nullptr},
        Element{"GroupBox1", "QGroupBox", "OfficePage1", {16, 192, 425, 257}, "About"},
        Element{"Image8", "QLabel", "GroupBox1", {32, 32, 161, 209}, nullptr},
        Element{"Label8", "QLabel", "GroupBox1", {208, 32, 142, 14}, "Corvanta PDF Professional"},
        Element{"Label9",
                "QLabel",
                "GroupBox1",
                {208, 48, 196, 28},
                "version: 1.3.1.2 Professional\n\u00a9 2026 Corvanta. All rights reserved."}));

struct StatedFont
{
    const char* name;
    const char* family; // nullptr: only the weight is stated
    int pointSize;      // 0: not stated
    bool bold;
    bool underline = false;
};

void PrintTo(const StatedFont& font, std::ostream* out)
{
    *out << font.name;
}

class FormFont : public ::testing::TestWithParam<StatedFont>
{
protected:
    FormFixture form;
};

TEST_P(FormFont, IsTheOneTheFormStates)
{
    const StatedFont& f = GetParam();
    const QString name = QString::fromLatin1(f.name);
    QWidget* widget = name == form.window.objectName() ? &form.window : form.find(name);
    ASSERT_NE(widget, nullptr);
    const QFont font = widget->font();
    if (f.family) {
        EXPECT_EQ(font.family(), QString::fromLatin1(f.family));
    }
    if (f.pointSize) {
        EXPECT_EQ(font.pointSize(), f.pointSize);
    }
    EXPECT_EQ(font.bold(), f.bold);
    EXPECT_EQ(font.underline(), f.underline);
}

INSTANTIATE_TEST_SUITE_P(
    StatedFonts, FormFont,
    ::testing::Values(
        StatedFont{"frmMain", "MS Sans Serif", 8, false},
        StatedFont{"Label1", "Arial", 8, false, true},
        StatedFont{"Label2", "Arial", 8, false, true},
        StatedFont{"Label3", "Arial", 8, false, true}, StatedFont{"PNGCreatePDF", "Arial", 9, true},
        StatedFont{"GroupBox2", "Arial", 9, true}, StatedFont{"Label4", "Arial", 9, false},
        StatedFont{"txtStartFolder", "Arial", 9, false}, StatedFont{"Label5", "Arial", 9, false},
        StatedFont{"txtDestinationFolder", "Arial", 9, false},
        StatedFont{"GroupBox3", "Arial", 9, true}, StatedFont{"cmdClearJobs", nullptr, 0, true},
        StatedFont{"DTTime", "Arial", 9, false}, StatedFont{"DTDate", "Arial", 9, false},
        StatedFont{"cmdOK", nullptr, 0, true}, StatedFont{"cmdCancel", nullptr, 0, true},
        StatedFont{"Label12", "Arial", 8, true}, StatedFont{"BStartStop", "Arial", 8, true},
        StatedFont{"BAcquire", nullptr, 0, true}, StatedFont{"PNGRemove", nullptr, 0, true},
        StatedFont{"Label8", "Arial", 8, true}));

TEST(FormColours, TheScanPageCommandsAreCaptionedInNavy)
{
    FormFixture form;
    for (const char* name : {"BStartStop", "BAcquire", "PNGRemove"}) {
        QWidget* button = form.find(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->ensurePolished();
        EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(0, 0, 128)) << name;
    }
}

} // namespace
