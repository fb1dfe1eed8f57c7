#include "doclist/DocumentList.h"
#include "doclist/DocumentCommands.h"
#include "doclist/GeneratePage.h"
#include "tests/support/ListedNames.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FakePage final : public GeneratePage
{
public:
    void setGenerateEnabled(bool e) override { generateEnabled = e; }
    void setCombineEnabled(bool e) override { combineEnabled = e; }
    void setCombineChecked(bool c) override { combineChecked = c; }
    void setSeparateChecked(bool c) override { separateChecked = c; }
    int selectedRow() const override { return selected; }
    void clearPreview() override { ++previewCleared; }

    bool generateEnabled = true;
    bool combineEnabled = false;
    bool combineChecked = false;
    bool separateChecked = true;
    int selected = -1;
    int previewCleared = 0;
};

class DocumentListTest : public ::testing::Test
{
protected:
    QString makeFile(const QString& name, qint64 size = 10)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        return path;
    }

    void add(const QString& path)
    {
        dialogs.fileAnswers.enqueue(path);
        commands.addFile();
    }

    QTemporaryDir dir;
    DocumentList list;
    ScriptedDialogs dialogs;
    FakePage page;
    DocumentCommands commands{list, dialogs, page};
};

TEST_F(DocumentListTest, RowsShowNameSizeInThousandsStatusAndPath)
{
    list.FillGrid("a.doc", makeFile("a.doc", 1999));
    list.FillGrid("b.doc", makeFile("b.doc", 999));
    list.FillGrid("c.doc", makeFile("c.doc", 2000000));
    list.FillGrid("gone.doc", dir.filePath("gone.doc"));
    ASSERT_EQ(list.DocumentCount(), 4);
    EXPECT_EQ(list.sizeText(0), "1");
    EXPECT_EQ(list.sizeText(1), "0");
    EXPECT_EQ(list.sizeText(2), "2000");
    EXPECT_EQ(list.sizeText(3), "0"); // a file that cannot be found
    EXPECT_EQ(list.status(0), "Wating");
    EXPECT_EQ(list.path(0), dir.filePath("a.doc"));
    EXPECT_EQ(list.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Size (kb)");
}

TEST_F(DocumentListTest, KeepsRowsSortedByNameWhateverTheOrderOfAdding)
{
    add(makeFile("b.doc"));
    add(makeFile("a.doc"));
    add(makeFile("c.xml"));
    ASSERT_EQ(list.DocumentCount(), 3);
    EXPECT_EQ(list.name(0), "a.doc");
    EXPECT_EQ(list.name(1), "b.doc");
    EXPECT_EQ(list.name(2), "c.xml");
}

// Added or renamed into place, whatever the locale: an unattended run often has the C one.
TEST(DocumentOrderTest, NamesSortWithoutLetterCaseAndNumbersByValue)
{
    struct Case
    {
        QStringList given;
        QStringList sorted;
    };
    const Case cases[] = {
        {{"page10", "page2", "Page3"}, {"page2", "Page3", "page10"}},
        {{"c.doc", "B.doc", "a.doc"}, {"a.doc", "B.doc", "c.doc"}},
        {{"a.doc", "A.doc"}, {"A.doc", "a.doc"}}, // equal-looking names: the plain order
        {{"A.doc", "a.doc"}, {"A.doc", "a.doc"}},
    };
    const QLocale before;
    for (const char* locale : {"C", "de_DE"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        for (const Case& c : cases) {
            SCOPED_TRACE(locale + (": " + c.given.join(' ')).toStdString());
            DocumentList added;
            DocumentList renamed;
            for (const QString& name : c.given) {
                added.FillGrid(name, "/x/" + name);
                renamed.FillGrid("~", "/x/" + name);
            }
            for (const QString& name : c.given)
                renamed.setData(renamed.index(renamed.findPath("/x/" + name), 0), name,
                                Qt::EditRole);
            EXPECT_EQ(ListedNames(added), c.sorted);
            EXPECT_EQ(ListedNames(renamed), c.sorted);
        }
    }
    QLocale::setDefault(before);
}

// A whole folder goes in at once; it must land exactly where adding its files one by one puts
// them, also while a run holds the list, and tell the views once per place it goes.
TEST(DocumentBulkTest, RowsAddedInOnePieceLandWhereSingleAdditionsPutThem)
{
    struct Case
    {
        QStringList listed;
        QStringList added;
        bool locked;
        int notices; // rowsInserted signals of the bulk addition
    };
    const Case cases[] = {
        {{}, {"page10", "b", "Page2", "a", "page1", "a"}, false, 1},
        // Before, between and after the listed rows, and names listed already.
        {{"b", "page10"}, {"page2", "c", "a", "b", "page11", "page10"}, false, 3},
        // While locked, at the end in the order given; sorted in once unlocked.
        {{"b", "page10"}, {"page2", "a", "b"}, true, 1},
        {{"b"}, {}, false, 0},
    };
    const auto rows = [](const DocumentList& list) {
        QStringList all;
        for (int row = 0; row < list.DocumentCount(); ++row)
            all.append(list.name(row) + " " + list.path(row));
        return all;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.listed.join(' ') + " + " + c.added.join(' ')).toStdString());
        DocumentList single;
        DocumentList bulk;
        QAbstractItemModelTester consistent(&bulk,
                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        for (const QString& name : c.listed) {
            single.FillGrid(name, "/x/" + name);
            bulk.FillGrid(name, "/x/" + name);
        }
        single.setLocked(c.locked);
        bulk.setLocked(c.locked);
        QList<DocumentList::NewDocument> documents;
        for (int i = 0; i < c.added.size(); ++i) {
            const QString path = QStringLiteral("/y/%1/").arg(i) + c.added[i];
            single.FillGrid(c.added[i], path);
            documents.append({c.added[i], path, {}});
        }
        QSignalSpy inserted(&bulk, &QAbstractItemModel::rowsInserted);
        bulk.addDocuments(documents);
        EXPECT_EQ(inserted.size(), c.notices);
        EXPECT_EQ(rows(bulk), rows(single));
        single.setLocked(false);
        bulk.setLocked(false);
        EXPECT_EQ(rows(bulk), rows(single));
    }
}

TEST_F(DocumentListTest, AnEditedNameMovesTheRowButKeepsItsPath)
{
    list.FillGrid("a.doc", "/x/a.doc");
    list.FillGrid("b.doc", "/x/b.doc");
    ASSERT_TRUE(list.setData(list.index(0, DocumentList::NameColumn), "z.doc", Qt::EditRole));
    EXPECT_EQ(list.name(1), "z.doc");
    EXPECT_EQ(list.path(1), "/x/a.doc");
    EXPECT_FALSE(list.setData(list.index(0, DocumentList::PathColumn), "/y", Qt::EditRole));
}

TEST_F(DocumentListTest, DuplicatesAreRefusedByExactPathOnly)
{
    const QString path = makeFile("a.doc");
    add(path);
    add(path);
    EXPECT_EQ(list.DocumentCount(), 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"File " + path + " already exists"});

    add(makeFile("A.doc")); // another letter case is another path
    EXPECT_EQ(list.DocumentCount(), 2);
}

TEST_F(DocumentListTest, PdfsAreRefusedByTheirLastThreeCharacters)
{
    for (const char* name : {"report.pdf", "REPORT.PdF", "mypdf"})
        add(makeFile(name));
    EXPECT_EQ(list.DocumentCount(), 0);
    EXPECT_EQ(dialogs.texts(), QStringList(3, kAlreadyPdfMessage));
}

TEST_F(DocumentListTest, AListedPdfIsReportedAsDuplicateFirst)
{
    const QString path = makeFile("x.pdf");
    list.FillGrid("x.pdf", path);
    add(path);
    EXPECT_EQ(dialogs.texts(), QStringList{"File " + path + " already exists"});
}

TEST_F(DocumentListTest, SeveralFilesAtOnceAreCheckedOneByOneAndTheNextDialogOpensAtTheLast)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("one") && QDir(dir.path()).mkpath("two"));
    const QString listed = makeFile("listed.doc");
    add(listed);
    dialogs.fileAnswers.enqueue(QStringList{makeFile("one/a.doc"), listed, makeFile("two/b.doc"),
                                            makeFile("one/report.pdf")}
                                    .join('\n'));
    commands.addFile();
    EXPECT_EQ(ListedNames(list), (QStringList{"a.doc", "b.doc", "listed.doc"}));
    EXPECT_EQ(dialogs.texts(),
              (QStringList{"File " + listed + " already exists", kAlreadyPdfMessage}));
    EXPECT_TRUE(page.combineEnabled);
    EXPECT_TRUE(page.generateEnabled);

    commands.addFile(); // cancelled
    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_TRUE(dialogs.fileRequests[0].several);
    EXPECT_TRUE(dialogs.fileRequests[0].folder.isEmpty());
    EXPECT_EQ(dialogs.fileRequests[1].folder, dir.path());
    EXPECT_EQ(dialogs.fileRequests[2].folder, dir.filePath("two")); // the last one added
}

// The command line's and a drop's way in: Add File's checks and messages, file by file.
TEST_F(DocumentListTest, PathsGivenAreCheckedAsAddFileChecksThemAndAMissingOneIsNamed)
{
    const QString a = makeFile("a.doc");
    const QString missing = dir.filePath("missing.doc");
    commands.addFiles({a, a, makeFile("x.pdf"), missing, makeFile("b.doc")});
    EXPECT_EQ(ListedNames(list), (QStringList{"a.doc", "b.doc"}));
    EXPECT_EQ(dialogs.texts(), (QStringList{"File " + a + " already exists", kAlreadyPdfMessage,
                                            "Cannot add " + missing + ": it does not exist."}));
    EXPECT_TRUE(page.combineEnabled);
    EXPECT_TRUE(page.generateEnabled);
}

TEST_F(DocumentListTest, AFolderAddsItsPlainTopLevelFilesAndCountsWhatItRefusedInOneMessage)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("in/sub"));
    for (const char* name : {"in/b.doc", "in/a.xml", "in/listed.doc", "in/c.pdf", "in/D.PDF",
                             "in/.hidden.doc", "in/sub/inner.doc"})
        makeFile(name);
    ASSERT_TRUE(QFile::link(dir.filePath("in/b.doc"), dir.filePath("in/link.doc")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("in/pipe.doc")), 0600), 0);
    // A name that is not valid text is listed escaped and still found by its bytes.
    const QByteArray odd = QFile::encodeName(dir.filePath("in/")) + "caf\xE9.doc";
    ASSERT_EQ(::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0600)), 0);
    commands.addFiles({dir.filePath("in/listed.doc")});

    commands.addFiles({dir.filePath("in")});
    EXPECT_EQ(ListedNames(list), (QStringList{"a.xml", "b.doc", "caf\\xE9.doc", "listed.doc"}));
    EXPECT_EQ(list.nativePath(2), odd);
    ::unlink(odd.constData()); // QTemporaryDir cannot name it to remove it
    EXPECT_EQ(dialogs.texts(), QStringList{"Some files of the folder " + dir.filePath("in") +
                                           " were not added: 1 already in the list and 2 "
                                           "already PDFs."});
    commands.addFile(); // cancelled: it would have opened in the folder
    EXPECT_EQ(dialogs.fileRequests.last().folder, dir.filePath("in"));
}

TEST_F(DocumentListTest, ACancelledDialogChangesNothing)
{
    commands.addFile();
    EXPECT_EQ(list.DocumentCount(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(DocumentListTest, TheFirstDocumentChoosesIndividualFilesTheSecondAllowsCombining)
{
    page.generateEnabled = false;
    page.combineChecked = true;
    page.combineEnabled = true;
    add(makeFile("a.doc"));
    EXPECT_TRUE(page.generateEnabled);
    EXPECT_FALSE(page.combineEnabled);
    EXPECT_FALSE(page.combineChecked);
    EXPECT_TRUE(page.separateChecked);
    add(makeFile("b.doc"));
    EXPECT_TRUE(page.combineEnabled);
}

TEST_F(DocumentListTest, RemoveTakesTheSelectedRowAndBlanksThePreview)
{
    for (const char* name : {"a.doc", "b.doc", "c.doc"})
        add(makeFile(name));
    page.combineChecked = true;
    page.selected = 1;
    commands.remove();
    EXPECT_EQ(list.DocumentCount(), 2);
    EXPECT_EQ(list.name(1), "c.doc");
    EXPECT_EQ(page.previewCleared, 1);
    EXPECT_TRUE(QFile::exists(dir.filePath("b.doc"))); // the file on disk stays

    // Down to one row: "Create one PDF file" keeps its state.
    page.selected = 0;
    commands.remove();
    EXPECT_TRUE(page.combineEnabled);
    EXPECT_TRUE(page.combineChecked);
    // The last row: "Generate PDF" stays enabled.
    commands.remove();
    EXPECT_EQ(list.DocumentCount(), 0);
    EXPECT_TRUE(page.generateEnabled);
}

TEST_F(DocumentListTest, RemoveWithoutASelectionAsksForOne)
{
    add(makeFile("a.doc"));
    page.selected = -1;
    commands.remove();
    EXPECT_EQ(list.DocumentCount(), 1);
    EXPECT_EQ(dialogs.texts().last(), kSelectItemMessage);
}

TEST_F(DocumentListTest, ClearEmptiesTheListAndResetsTheOptionsEvenWhenEmpty)
{
    add(makeFile("a.doc"));
    add(makeFile("b.doc"));
    page.combineChecked = true;
    commands.clear();
    EXPECT_EQ(list.DocumentCount(), 0);
    EXPECT_FALSE(page.generateEnabled);
    EXPECT_TRUE(page.separateChecked);
    EXPECT_FALSE(page.combineChecked);
    EXPECT_FALSE(page.combineEnabled);

    page.generateEnabled = true;
    commands.clear();
    EXPECT_FALSE(page.generateEnabled);
}

} // namespace
