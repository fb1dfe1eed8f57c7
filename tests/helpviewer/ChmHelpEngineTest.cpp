// The help window over the help file the build makes.
#include "helpviewer/ChmHelpEngine.h"

#include "helpviewer/ChmFile.h"
#include "helpviewer/HelpBrowser.h"
#include "helpviewer/HelpWindow.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString kHelpFile = QStringLiteral(CORVANTA_HELP_FILE);

// The <title> of a page of the help file, read without the window.
QString storedTitle(const QString& topic)
{
    QString why;
    const std::unique_ptr<ChmFile> file = ChmFile::open(kHelpFile, &why);
    if (!file) {
        ADD_FAILURE() << "The help file cannot be opened: " << why.toStdString();
        return {};
    }
    const QString page = QString::fromUtf8(file->read(topic).value_or(QByteArray()));
    static const QRegularExpression title(QStringLiteral("<title>\\s*(.*?)\\s*</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    return title.match(page).captured(1);
}

} // namespace

TEST(ChmHelpEngine, OneWindowOfItsOwnShowsEachRequestedTopicAndCloseAllClosesIt)
{
    ChmHelpEngine engine;
    engine.showTopic(kHelpFile + "::/BulkConvert.htm");
    HelpWindow* window = engine.window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->parentWidget(), nullptr);
    const QString bulk = storedTitle("/BulkConvert.htm");
    ASSERT_FALSE(bulk.isEmpty());
    EXPECT_EQ(window->pageTitle(), bulk);
    EXPECT_TRUE(window->windowTitle().startsWith(bulk)) << window->windowTitle().toStdString();
    const auto* contents = window->findChild<QTreeWidget*>();
    ASSERT_TRUE(contents && contents->currentItem());

    engine.showTopic(kHelpFile + "::/Security.htm");
    EXPECT_EQ(engine.window(), window);
    EXPECT_EQ(window->pageTitle(), storedTitle("/Security.htm"));
    window->browser().backward();
    EXPECT_EQ(window->pageTitle(), bulk);

    engine.showTopic(kHelpFile); // the file alone: its default page
    QString why;
    const QString home = storedTitle(ChmFile::open(kHelpFile, &why)->defaultTopic());
    EXPECT_EQ(window->pageTitle(), home);

    engine.closeAll();
    EXPECT_EQ(engine.window(), nullptr);
}

TEST(ChmHelpEngine, AMissingOrDamagedFileOrAMissingTopicShowsANotice)
{
    QTemporaryDir folder;
    QFile help(kHelpFile);
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QByteArray bytes = help.readAll();
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        return file.fileName();
    };
    const struct
    {
        QString request;
        QString notice;
    } cases[] = {
        {folder.filePath("missing.chm"), "cannot be opened: the file is not there"},
        {write("text.chm", "not a help file at all"), "cannot be opened"},
        {write("cut.chm", bytes.left(bytes.size() / 3)) + "::/BulkConvert.htm", ""},
        {write("zeros.chm", bytes.left(4096) + QByteArray(bytes.size(), '\0')), ""},
        {kHelpFile + "::/NoSuchPage.htm", "has no page /NoSuchPage.htm"},
    };
    ChmHelpEngine engine;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.request.toStdString());
        engine.showTopic(test.request);
        ASSERT_TRUE(engine.window());
        // A damaged file may still hold some pages; it must not bring the program down.
        if (!test.notice.isEmpty()) {
            EXPECT_TRUE(engine.window()->browser().toPlainText().contains(test.notice))
                << engine.window()->browser().toPlainText().toStdString();
        }
    }
}

// Pages, pictures and style sheets come from the help file only.
TEST(ChmHelpEngine, APageReadsNothingButTheHelpFile)
{
    ChmHelpEngine engine;
    engine.showTopic(kHelpFile + "::/CreatingPDFs.htm");
    ASSERT_TRUE(engine.window());
    HelpBrowser& browser = engine.window()->browser();
    EXPECT_TRUE(browser.loadResource(QTextDocument::HtmlResource, QUrl("Security.htm")).isValid());
    for (const char* elsewhere : {"file:///etc/passwd", "/etc/passwd", "../../../etc/passwd",
                                  "http://127.0.0.1/", "qrc:/images/logo.png"})
        EXPECT_FALSE(browser.loadResource(QTextDocument::ImageResource, QUrl(elsewhere)).isValid())
            << elsewhere;
}
