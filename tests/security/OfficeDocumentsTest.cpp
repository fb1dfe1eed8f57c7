// The program's promise for office documents, which are laid out by the real LibreOffice: a
// document being converted never fetches anything, neither from the network nor from a file
// outside itself, and one that needs more memory than the office may take fails alone.
#include "tests/platform/office/OfficeDocuments.h"
#include "platform/office/OfficeRenderer.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/platform/office/OfficeTestSupport.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/RequestCounter.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

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

bool carriesPrivatePicture(const PdfProbe& pdf)
{
    for (const PdfProbe::Image& image : pdf.images()) {
        if (QSize(image.width, image.height) == kPrivatePicture)
            return true;
    }
    return false;
}

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

TEST_F(OfficeDocumentPromise, APictureLinkedFromOutsideTheDocumentsFolderStaysOutOfThePdf)
{
    QImage picture(kPrivatePicture, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 120));
    const QString privateFile = folder("private") + "/secret.png";
    ASSERT_TRUE(picture.save(privateFile));

    auto office = renderer();
    const QString targets[] = {QUrl::fromLocalFile(privateFile).toString(),
                               "../private/secret.png"};
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        QString error;
        const QList<LinkingDocument> documents = MakeLinkingDocuments(
            folder(target.startsWith("file:") ? "absolute" : "relative"), target, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        for (const QString& pdf : convert(*office, documents))
            EXPECT_FALSE(carriesPrivatePicture(PdfProbe(pdf))) << pdf.toStdString();
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
}

} // namespace
