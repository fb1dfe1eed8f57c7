// The Debian package unpacked under a scratch root (package_unpacked): what it holds, and the
// program run from there converting a folder as the system's scheduler would start it.
#include "platform/files/InstalledFiles.h"
#include "tests/support/BatchProgram.h"
#include "tests/support/PdfProbe.h"

#include <QDirIterator>
#include <QImage>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

const QString kRoot = QStringLiteral(CORVANTA_ROOT);
const QString kId = QStringLiteral(CORVANTA_APP_ID);
const QString kHelpFile = QStringLiteral("CORVANTA PDF HELP.CHM");
const QList<int> kIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

QString rooted(const QString& path)
{
    return kRoot + '/' + path;
}

QString iconPath(int size)
{
    return QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
}

TEST(InstalledTreeTest, HoldsTheProductAndNothingElse)
{
    QStringList expected = {
        "usr/bin/corvanta",
        "usr/libexec/corvanta/corvanta-office-worker",
        "usr/libexec/corvanta/corvanta-web-worker",
        "usr/share/corvanta/" + kHelpFile,
        "usr/share/applications/" + kId + ".desktop",
        "usr/share/metainfo/" + kId + ".metainfo.xml",
        "usr/share/icons/hicolor/scalable/apps/" + kId + ".svg",
    };
    for (int size : kIconSizes)
        expected.append(iconPath(size));
    QStringList found;
    for (QDirIterator it(kRoot, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        found.append(QDir(kRoot).relativeFilePath(it.next()));
    expected.sort();
    found.sort();
    EXPECT_EQ(found, expected);

    for (int size : kIconSizes)
        EXPECT_EQ(QImage(rooted(iconPath(size))).size(), QSize(size, size)) << size;
}

// The layout the program was built to look in is the one the package has.
TEST(InstalledTreeTest, TheProgramFindsItsFilesFromItsOwnFolder)
{
    const QString programFolder = rooted("usr/bin");
    for (const QString worker : {"corvanta-office-worker", "corvanta-web-worker"})
        EXPECT_EQ(InstalledProgram(worker, programFolder),
                  rooted("usr/libexec/corvanta/" + worker));
    EXPECT_EQ(InstalledDataFile(kHelpFile, programFolder),
              rooted("usr/share/corvanta/" + kHelpFile));
}

class InstalledProgramTest : public BatchProgramFixture
{
};

TEST_F(InstalledProgramTest, ConvertsAFolderWithTheInstalledHelpers)
{
    // No worker on PATH nor beside the program: an office document and a web page convert only
    // when the program started the workers in its own tree.
    qputenv("PATH", "/usr/bin:/bin");
    for (const QString worker : {"corvanta-office-worker", "corvanta-web-worker"}) {
        ASSERT_TRUE(QStandardPaths::findExecutable(worker).isEmpty());
        ASSERT_FALSE(QFile::exists(rooted("usr/bin/" + worker)));
    }

    struct Document
    {
        QString name;
        QString pdf;
        QString text; // a word of its first page, empty for a picture
    };
    const QList<Document> documents = {
        {"report.doc", "report.PDF", "Quarterly"},
        {"scan.jpg", "scan.PDF", ""},
        {"page.html", "page..PDF", "Toner"},
    };
    const QString samples = qEnvironmentVariable("CORVANTA_SOURCE_DIR") + "/samples/";
    for (const Document& document : documents)
        ASSERT_TRUE(QFile::copy(samples + document.name, in(document.name)))
            << qPrintable(document.name);
    storeFolders(in(), out());

    const Outcome run = runProgram({"-BATCH"});
    EXPECT_EQ(run.exitCode, 0) << run.errorLines.join('\n').toStdString();
    for (const Document& document : documents) {
        const PdfProbe pdf(out(document.pdf));
        ASSERT_TRUE(pdf.isOpen()) << qPrintable(document.pdf + ": " + pdf.error());
        ASSERT_GE(pdf.pageCount(), 1) << qPrintable(document.pdf);
        EXPECT_TRUE(pdf.pageTexts()[0].contains(document.text)) << qPrintable(document.pdf);
    }
    EXPECT_EQ(QDir(out()).entryList(QDir::Files).size(), documents.size());
}

} // namespace
