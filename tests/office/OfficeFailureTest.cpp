// How the office renderer survives a worker that crashes, hangs, garbles or lies, with a fake
// worker program that does so on request.
#include "common/Progress.h"
#include "office/OfficeRenderer.h"
#include "office/PdfCheck.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/office/OfficeDocuments.h"
#include "tests/office/OfficeTestSupport.h"
#include "tests/support/TestProgress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class OfficeFailureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_office = renderer();
    }

    std::unique_ptr<OfficeRenderer> renderer()
    {
        OfficeSetup setup;
        setup.workerProgram =
            QCoreApplication::applicationDirPath() + "/corvanta-fake-office-worker";
        setup.officeProgram = "/bin/true"; // the fake worker starts no office
        setup.profileFolder = m_profiles.filePath("profile");
        setup.timeLimit = 1s;
        return std::make_unique<OfficeRenderer>(m_launcher, setup);
    }

    // An empty document whose name tells the fake worker what to do.
    QString document(const QString& name) const
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }

    QString out(const QString& name) const { return m_out.filePath(name); }

    // The sleeping child the fake worker started as its office.
    qint64 fakeOffice() const
    {
        QFile file(m_profiles.filePath("profile/office.pid"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toLongLong() : 0;
    }

    // The next document after a failure converts, through a worker started again.
    void nextDocumentConverts(int workerStarts)
    {
        const QString pdf = out("next.pdf");
        ASSERT_EQ(RenderMessage(*m_office, Route::Word, document("fine.doc"), pdf), "");
        EXPECT_TRUE(IsCompletePdf(pdf));
        EXPECT_EQ(m_office->workerStarts(), workerStarts);
    }

    QtProcessLauncher m_launcher;
    QTemporaryDir m_dir;
    QTemporaryDir m_out;
    QTemporaryDir m_profiles;
    std::unique_ptr<OfficeRenderer> m_office;
};

TEST_F(OfficeFailureTest, FakeWorkerConvertsInOneProcess)
{
    for (const char* name : {"a.doc", "b.doc", "c.doc"})
        ASSERT_EQ(RenderMessage(*m_office, Route::Word, document(name), out(name)), "");
    EXPECT_EQ(m_office->workerStarts(), 1);
    EXPECT_GT(fakeOffice(), 0);
}

TEST_F(OfficeFailureTest, CrashCostsOneDocumentAndTheOfficeGoesWithTheWorker)
{
    ASSERT_EQ(RenderMessage(*m_office, Route::Word, document("first.doc"), out("first.pdf")), "");
    const qint64 office = fakeOffice();
    ASSERT_GT(office, 0);
    const QString crash = document("crash.doc");
    const std::string message = RenderMessage(*m_office, Route::Word, crash, out("crash.pdf"));
    EXPECT_NE(message.find("stopped working"), std::string::npos) << message;
    EXPECT_NE(message.find(crash.toStdString()), std::string::npos) << message;
    EXPECT_TRUE(ProcessesEnd({office}, 5000));
    EXPECT_FALSE(QFile::exists(out("crash.pdf")));
    nextDocumentConverts(2);
}

TEST_F(OfficeFailureTest, HangIsStoppedAtTheTimeLimit)
{
    ASSERT_EQ(RenderMessage(*m_office, Route::Excel, document("first.xls"), out("first.pdf")), "");
    const qint64 office = fakeOffice();
    ASSERT_GT(office, 0);
    std::chrono::milliseconds took{};
    const std::string message =
        RenderMessage(*m_office, Route::Excel, document("hang.xls"), out("hang.pdf"), &took);
    EXPECT_NE(message.find("within 1 seconds"), std::string::npos) << message;
    EXPECT_GE(took.count(), 900);
    EXPECT_LT(took.count(), 5000);
    EXPECT_TRUE(ProcessesEnd({office}, 5000));
    nextDocumentConverts(2);
}

TEST_F(OfficeFailureTest, AStopDuringADocumentThrowsAndTheNextDocumentConverts)
{
    ASSERT_EQ(RenderMessage(*m_office, Route::Word, document("first.doc"), out("first.pdf")), "");
    const qint64 office = fakeOffice();
    ASSERT_GT(office, 0);
    StopAtReport stop(3);
    {
        EXPECT_THROW(
            m_office->renderToPdf(Route::Word, document("hang.doc"), out("hang.pdf"), stop),
            RunStopped);
    }
    EXPECT_EQ(stop.reports, 3);
    EXPECT_TRUE(ProcessesEnd({office}, 5000)) << "the worker's office went with it";
    EXPECT_EQ(FilesIn(m_out.path()), QStringList{"first.pdf"});
    nextDocumentConverts(2);
}

TEST_F(OfficeFailureTest, SpareProfilesOfKilledInstancesAreRemovedAndLiveOnesKept)
{
    const QString abandoned = m_profiles.filePath("profile-Ab12Cd");
    ASSERT_TRUE(QDir().mkpath(abandoned + "/user"));
    ASSERT_EQ(RenderMessage(*m_office, Route::Word, document("a.doc"), out("a.pdf")), "");
    EXPECT_FALSE(QFileInfo::exists(abandoned));

    // The profile is in use: each further instance works in a spare one of its own.
    auto second = renderer();
    ASSERT_EQ(RenderMessage(*second, Route::Word, document("b.doc"), out("b.pdf")), "");
    auto third = renderer();
    ASSERT_EQ(RenderMessage(*third, Route::Word, document("c.doc"), out("c.pdf")), "");
    EXPECT_EQ(QDir(m_profiles.path()).entryList({"profile-*"}, QDir::Dirs).size(), 2);
    second.reset();
    third.reset();
    EXPECT_TRUE(QDir(m_profiles.path()).entryList({"profile-*"}, QDir::Dirs).isEmpty());
}

TEST_F(OfficeFailureTest, GarbledAnswerRestartsTheWorker)
{
    const std::string message =
        RenderMessage(*m_office, Route::Word, document("garble.doc"), out("garble.pdf"));
    EXPECT_NE(message.find("unexpected answer"), std::string::npos) << message;
    nextDocumentConverts(2);
}

TEST_F(OfficeFailureTest, OfficeFailureRestartsTheWorker)
{
    const std::string message =
        RenderMessage(*m_office, Route::Word, document("officefail.doc"), out("x.pdf"));
    EXPECT_NE(message.find("the office went away"), std::string::npos) << message;
    nextDocumentConverts(2);
}

TEST_F(OfficeFailureTest, ClaimedSuccessIsNotTrustedWithoutACompletePdf)
{
    for (const char* name : {"nopdf.doc", "halfpdf.doc"}) {
        SCOPED_TRACE(name);
        const QString pdf = out("claimed.pdf");
        const std::string message = RenderMessage(*m_office, Route::Word, document(name), pdf);
        EXPECT_NE(message.find("complete PDF"), std::string::npos) << message;
        EXPECT_FALSE(QFile::exists(pdf));
        EXPECT_TRUE(FilesIn(m_out.path()).isEmpty())
            << FilesIn(m_out.path()).join(' ').toStdString();
    }
    nextDocumentConverts(1); // the worker itself answered properly
}

TEST_F(OfficeFailureTest, AFailureLeavesAFileAtTheTargetAlone)
{
    const QString pdf = out("kept.pdf");
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the previous output");
    old.close();
    EXPECT_NE(RenderMessage(*m_office, Route::Word, document("crash.doc"), pdf), "");
    EXPECT_NE(RenderMessage(*m_office, Route::Word, document("halfpdf.doc"), pdf), "");
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "the previous output");
    EXPECT_EQ(FilesIn(m_out.path()), QStringList{"kept.pdf"});
}

} // namespace
