// The program's promise for office documents, which are laid out by the real LibreOffice: a
// document being converted never fetches anything, neither from the network nor from a file
// outside itself, and one that needs more memory than the office may take fails alone.
#include "tests/office/OfficeDocuments.h"
#include "office/OfficeRenderer.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/office/OfficeTestSupport.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/RequestCounter.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A picture no document of these tests carries itself: its size gives it away in a PDF.
const QSize kPrivatePicture(61, 37);

class OfficeDocumentPromise : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString folder(const QString& name) const
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    std::unique_ptr<OfficeRenderer> renderer() const
    {
        OfficeSetup setup;
        setup.profileFolder = m_dir.filePath("profile");
        return std::make_unique<OfficeRenderer>(m_launcher, setup);
    }

    // Converts each document, which must still make its PDF; the PDFs, beside the documents.
    QStringList convert(OfficeRenderer& office, const QList<LinkingDocument>& documents) const
    {
        QStringList pdfs;
        for (const LinkingDocument& document : documents) {
            const QString pdf = document.path + ".pdf";
            EXPECT_EQ(RenderMessage(office, document.route, document.path, pdf), "")
                << document.path.toStdString();
            EXPECT_TRUE(PdfProbe(pdf).pageTexts().join(' ').contains("Quincelink"))
                << document.path.toStdString();
            pdfs.append(pdf);
        }
        return pdfs;
    }

    mutable QtProcessLauncher m_launcher;
    QTemporaryDir m_dir;
};

TEST_F(OfficeDocumentPromise, AnOfficeDocumentBeingConvertedNeverFetchesAnything)
{
    RequestCounter server;
    QString error;
    const QList<LinkingDocument> documents =
        MakeLinkingDocuments(folder("documents"), server.url("picture.png"), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const int whileMaking = server.connections(); // the office that made them, none here

    auto office = renderer();
    convert(*office, documents);
    EXPECT_EQ(server.connections(), whileMaking);
}

// Wherever the picture lies: beside the document, in a private folder, or among the system's
// own files, which the office may read to run (an RTF or Word INCLUDEPICTURE field names one).
TEST_F(OfficeDocumentPromise, ALinkedPictureStaysOutOfThePdfWhereverItLies)
{
    QImage picture(kPrivatePicture, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 120));
    const QString privateFile = folder("private") + "/secret.png";
    ASSERT_TRUE(picture.save(privateFile));
    const QString systemFile = "/usr/share/icons/hicolor/48x48/apps/libreoffice-main.png";
    const QSize systemSize = QImage(systemFile).size();
    ASSERT_FALSE(systemSize.isEmpty()) << "the office's icon is installed with LibreOffice";

    auto office = renderer();
    const struct
    {
        QString target;
        QString folder;
        QSize size;
    } cases[] = {
        {QUrl::fromLocalFile(privateFile).toString(), "absolute", kPrivatePicture},
        {"../private/secret.png", "relative", kPrivatePicture},
        {"secret.png", "private", kPrivatePicture},
        {QUrl::fromLocalFile(systemFile).toString(), "system", systemSize},
        {systemFile, "system-path", systemSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        QString error;
        const QList<LinkingDocument> documents =
            MakeLinkingDocuments(folder(c.folder), c.target, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        for (const QString& pdf : convert(*office, documents)) {
            for (const PdfProbe::Image& image : PdfProbe(pdf).images()) {
                EXPECT_NE(QSize(image.width, image.height), c.size) << pdf.toStdString();
            }
        }
    }
}

// The office lays out a private copy; a field showing where the document is names the document,
// never that copy's folder in the user's home.
TEST_F(OfficeDocumentPromise, FileNameFieldsShowTheDocumentsNameNotTheOfficesCopy)
{
    QString error;
    const QList<LinkingDocument> documents =
        MakeLinkingDocuments(folder("fields"), "nothing.png", &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    auto office = renderer();
    const QStringList pdfs = convert(*office, documents);
    for (qsizetype i = 0; i < pdfs.size(); ++i) {
        const QString text = PdfProbe(pdfs[i]).pageTexts().join(' ');
        EXPECT_FALSE(text.contains("profile")) << text.toStdString();
        const QString name = QFileInfo(documents[i].path).fileName();
        if (name.startsWith("linking")) {
            EXPECT_TRUE(text.contains(name)) << text.toStdString();
        }
    }
}

TEST_F(OfficeDocumentPromise, ADocumentNeedingMoreMemoryThanAllowedFailsAloneAndTheNextConverts)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
    const QString bomb = MakeMemoryBomb(folder("documents"));

    auto office = renderer();
    const QString bombPdf = folder("out") + "/numbers.pdf";
    const std::string message = RenderMessage(*office, Route::Shell, bomb, bombPdf);
    EXPECT_NE(message.find("needs more memory than LibreOffice may take"), std::string::npos)
        << message;
    EXPECT_FALSE(QFileInfo::exists(bombPdf));
    EXPECT_EQ(RenderMessage(*office, Route::Word, docs.doc, folder("out") + "/next.pdf"), "");
    // The office ended for its memory left no pipe behind: only the running office's is there.
    const QList<qint64> workers = WorkerProcesses(m_dir.filePath("profile"));
    ASSERT_EQ(workers.size(), 1);
    const QString pipes = QStringLiteral("OSL_PIPE_%1_corvanta-office-%2-*").arg(::getuid());
    EXPECT_EQ(QDir("/tmp").entryList({pipes.arg(workers[0])}, QDir::System | QDir::Hidden).size(),
              1);
}

} // namespace
