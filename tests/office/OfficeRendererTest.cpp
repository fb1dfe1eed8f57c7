// The office renderer against the real LibreOffice: what it prints, how it keeps its office, and
// how documents that cannot be printed fail.
#include "office/OfficeRenderer.h"
#include "office/PdfCheck.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/office/OfficeDocuments.h"
#include "tests/office/OfficeTestSupport.h"
#include "tests/support/PdfProbe.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

using namespace std::chrono_literals;

namespace {

bool portrait(const QSizeF& page)
{
    return page.width() < page.height();
}

bool isA4(const QSizeF& page)
{
    const QSizeF upright = portrait(page) ? page : page.transposed();
    return qAbs(upright.width() - 595.3) < 2 && qAbs(upright.height() - 841.9) < 2;
}

// The words of a page, sorted, with the time of day that a footer's field prints masked.
std::string wordsOf(const QString& page)
{
    static const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d{2}(:\\d{2})?$"));
    QStringList words = page.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (QString& word : words) {
        if (time.match(word).hasMatch())
            word = QStringLiteral("(time)");
    }
    words.sort();
    return words.join(' ').toStdString();
}

class OfficeRendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
        ASSERT_TRUE(m_out.isValid());
    }

    // A renderer of its own, with a fresh profile of this test's.
    std::unique_ptr<OfficeRenderer> renderer(const QString& profileName = "profile",
                                             std::chrono::milliseconds limit = 2min)
    {
        OfficeSetup setup;
        setup.profileFolder = profile(profileName);
        setup.timeLimit = limit;
        return std::make_unique<OfficeRenderer>(launcher, setup);
    }

    QString profile(const QString& name = "profile") const { return m_profiles.filePath(name); }
    QString out(const QString& name) const { return m_out.filePath(name); }

    const OfficeDocuments& docs = OfficeDocuments::get();
    QtProcessLauncher launcher;
    QTemporaryDir m_out;
    QTemporaryDir m_profiles;
};

TEST_F(OfficeRendererTest, EachDocumentsTextIsInItsPdf)
{
    const struct
    {
        QString document;
        Route route;
        QString marker;
    } cases[] = {
        {docs.doc, Route::Word, "Quincedoc"},    {docs.rtf, Route::Word, "Quincertf"},
        {docs.docx, Route::Shell, "Quincedocx"}, {docs.odt, Route::Shell, "Quinceodt"},
        {docs.txt, Route::Shell, "Quincetxt"},
    };
    auto office = renderer();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document.toStdString());
        const QString pdf = out(QFileInfo(c.document).fileName() + ".pdf");
        ASSERT_EQ(RenderMessage(*office, c.route, c.document, pdf), "");
        const PdfProbe probe(pdf);
        ASSERT_TRUE(probe.isOpen()) << probe.error().toStdString();
        EXPECT_GE(probe.pageCount(), 1);
        EXPECT_TRUE(probe.pageTexts().join('\n').contains(c.marker));
        EXPECT_TRUE(isA4(probe.pageSizes().value(0)));
    }
    EXPECT_EQ(office->workerStarts(), 1);
}

// The .xls gives each sheet a page style of its own; the .ods has one style for all three.
TEST_F(OfficeRendererTest, WorkbookPrintsEverySheetWithOnlyTheActiveOneInLandscape)
{
    const struct
    {
        QString workbook;
        int active;
    } cases[] = {{docs.workbook, 1}, {docs.sheetsOds, 0}};
    auto office = renderer();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.workbook.toStdString());
        const QString pdf = out(QFileInfo(c.workbook).fileName() + ".pdf");
        ASSERT_EQ(RenderMessage(*office, Route::Excel, c.workbook, pdf), "");
        const PdfProbe probe(pdf);
        ASSERT_EQ(probe.pageCount(), 3);
        const QStringList texts = probe.pageTexts();
        ASSERT_EQ(texts.size(), 3);
        EXPECT_TRUE(texts.at(0).contains("Apples"));
        EXPECT_TRUE(texts.at(1).contains("Bananas"));
        EXPECT_TRUE(texts.at(2).contains("Cherries"));
        const QList<QSizeF> sizes = probe.pageSizes();
        for (int page = 0; page < 3; ++page)
            EXPECT_EQ(portrait(sizes.at(page)), page != c.active) << "page " << page;
    }
}

// The active sheet's pages are the office's own print of the workbook with the paper turned:
// the same paper, scaling, header and footer, compared with what LibreOffice itself prints.
TEST_F(OfficeRendererTest, ActiveSheetPrintsOnItsOwnPaperTurnedWithItsHeaderAndFooter)
{
    const QString data = qEnvironmentVariable("CORVANTA_SOURCE_DIR") + "/tests/office/data";
    const struct
    {
        QString workbook;
        QList<int> activePages;
    } cases[] = {{data + "/Test97.xls", {0}}, {docs.letterWorkbook, {1}}};
    auto office = renderer();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.workbook.toStdString());
        const QTemporaryDir own;
        const QString copy = own.filePath(QFileInfo(c.workbook).fileName());
        ASSERT_TRUE(QFile::copy(c.workbook, copy));
        ProcessCommand command;
        command.program = docs.office;
        command.arguments = {"--headless",
                             "-env:UserInstallation=" +
                                 QUrl::fromLocalFile(own.filePath("profile")).toString(),
                             "--convert-to",
                             "pdf",
                             "--outdir",
                             own.path(),
                             copy};
        command.timeLimit = 2min;
        launcher.run(command);
        const PdfProbe theirs(own.filePath(QFileInfo(copy).completeBaseName() + ".pdf"));
        ASSERT_TRUE(theirs.isOpen()) << theirs.error().toStdString();

        const QString pdf = out(QFileInfo(c.workbook).fileName() + ".pdf");
        ASSERT_EQ(RenderMessage(*office, Route::Excel, c.workbook, pdf), "");
        const PdfProbe ours(pdf);
        ASSERT_EQ(ours.pageCount(), theirs.pageCount());
        for (int page = 0; page < ours.pageCount(); ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            const QSizeF paper = theirs.pageSizes().at(page);
            const QSizeF expected = c.activePages.contains(page) ? paper.transposed() : paper;
            EXPECT_NEAR(ours.pageSizes().at(page).width(), expected.width(), 1);
            EXPECT_NEAR(ours.pageSizes().at(page).height(), expected.height(), 1);
            EXPECT_EQ(wordsOf(ours.pageTexts().at(page)), wordsOf(theirs.pageTexts().at(page)));
        }
    }
}

TEST_F(OfficeRendererTest, WorkbookOnTheShellRouteKeepsItsOrientation)
{
    auto office = renderer();
    const QString pdf = out("sheets.pdf");
    ASSERT_EQ(RenderMessage(*office, Route::Shell, docs.sheetsOds, pdf), "");
    const PdfProbe probe(pdf);
    ASSERT_EQ(probe.pageCount(), 3);
    for (const QSizeF& page : probe.pageSizes())
        EXPECT_TRUE(portrait(page));
}

TEST_F(OfficeRendererTest, PlainTextGetsA4WhereTheLocaleWouldChooseLetter)
{
    const QByteArray saved[2] = {qgetenv("LC_ALL"), qgetenv("LANG")};
    qputenv("LC_ALL", "en_US.UTF-8"); // the office picks Letter for this locale
    qputenv("LANG", "en_US.UTF-8");
    auto office = renderer();
    const QString pdf = out("note.pdf");
    const std::string message = RenderMessage(*office, Route::Shell, docs.txt, pdf);
    office.reset();
    for (const auto& [name, value] : {std::pair{"LC_ALL", saved[0]}, std::pair{"LANG", saved[1]}}) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ASSERT_EQ(message, "");
    const PdfProbe probe(pdf);
    ASSERT_EQ(probe.pageCount(), 1);
    EXPECT_TRUE(isA4(probe.pageSizes().at(0)));
}

TEST_F(OfficeRendererTest, OfficeStartsOnceFromAPrimedProfileAndStaysWarm)
{
    auto office = renderer();
    std::chrono::milliseconds first{};
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.doc, out("first.pdf"), &first), "");
    const QList<qint64> offices = OfficeProcesses(profile());
    ASSERT_EQ(offices.size(), 1);
    QFile registry(profile() + "/user/registrymodifications.xcu");
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(registry.readAll().contains("ooSetupLastVersion"));

    const struct
    {
        QString document;
        Route route;
    } next[] = {{docs.doc, Route::Word},
                {docs.rtf, Route::Word},
                {docs.workbook, Route::Excel},
                {docs.docx, Route::Shell}};
    std::cout << "[ office   ] first document (office start included): " << first.count()
              << " ms\n";
    for (const auto& n : next) {
        std::chrono::milliseconds took{};
        const QString pdf = out("next-" + QFileInfo(n.document).fileName() + ".pdf");
        ASSERT_EQ(RenderMessage(*office, n.route, n.document, pdf, &took), "");
        std::cout << "[ office   ] " << QFileInfo(n.document).suffix().toStdString() << ": "
                  << took.count() << " ms\n";
        // A warm office takes well under a second; a new start would cost the first's time.
        EXPECT_LT(took.count(), 5000);
    }
    EXPECT_EQ(OfficeProcesses(profile()), offices) << "the same office served every document";
    EXPECT_EQ(office->workerStarts(), 1);

    const QList<qint64> all = offices + WorkerProcesses(profile());
    office.reset();
    EXPECT_TRUE(ProcessesEnd(all, 15000)) << "closing the renderer ends worker and office";
}

TEST_F(OfficeRendererTest, PasswordProtectedDocumentsFailAtOnceAndTheOfficeStays)
{
    auto office = renderer();
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.rtf, out("warm.pdf")), "");
    for (const auto& [document, route] :
         {std::pair{docs.lockedDoc, Route::Word}, std::pair{docs.lockedOdt, Route::Shell}}) {
        SCOPED_TRACE(document.toStdString());
        std::chrono::milliseconds took{};
        const QString pdf = out("locked.pdf");
        const std::string message = RenderMessage(*office, route, document, pdf, &took);
        EXPECT_NE(message.find("password"), std::string::npos) << message;
        EXPECT_NE(message.find(document.toStdString()), std::string::npos) << message;
        EXPECT_LT(took.count(), 10000);
        EXPECT_FALSE(QFile::exists(pdf));
    }
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.doc, out("after.pdf")), "");
    EXPECT_EQ(office->workerStarts(), 1);
    EXPECT_EQ(FilesIn(m_out.path()), QStringList({"after.pdf", "warm.pdf"}));
}

TEST_F(OfficeRendererTest, DamagedAndMissingDocumentsFail)
{
    auto office = renderer();
    for (const QString& document : {docs.truncated, docs.garbage}) {
        SCOPED_TRACE(document.toStdString());
        const std::string message = RenderMessage(*office, Route::Word, document, out("bad.pdf"));
        // Said once: the reason in brackets adds to "damaged", never repeats it.
        EXPECT_EQ(QString::fromStdString(message).count("damaged"), 1) << message;
        EXPECT_NE(message.find(document.toStdString()), std::string::npos) << message;
    }
    const std::string missing =
        RenderMessage(*office, Route::Word, out("nowhere.doc"), out("bad.pdf"));
    EXPECT_NE(missing.find("missing"), std::string::npos) << missing;
    EXPECT_EQ(office->workerStarts(), 1);
    EXPECT_TRUE(FilesIn(m_out.path()).isEmpty()) << FilesIn(m_out.path()).join(' ').toStdString();
}

// Which documents come to the office is the routes' to decide (RoutesTest); what no route hands
// it is refused before an office starts.
TEST_F(OfficeRendererTest, OtherRoutesAreRefusedWithoutStartingTheOffice)
{
    auto office = renderer();
    for (const Route route : {Route::Browser, Route::PlainText, Route::Pdf}) {
        office->prepare(route, docs.doc);
        EXPECT_NE(RenderMessage(*office, route, docs.doc, out("x.pdf")), "");
    }
    EXPECT_EQ(office->workerStarts(), 0);
}

TEST_F(OfficeRendererTest, SuccessReplacesAFileAtTheTarget)
{
    auto office = renderer();
    const QString pdf = out("target.pdf");
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an old file");
    old.close();
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.doc, pdf), "");
    EXPECT_TRUE(IsCompletePdf(pdf));
    EXPECT_EQ(FilesIn(m_out.path()), QStringList{"target.pdf"});
}

TEST_F(OfficeRendererTest, AKilledOfficeIsStartedAgainForTheNextDocument)
{
    auto office = renderer();
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.doc, out("one.pdf")), "");
    const QList<qint64> before = OfficeProcesses(profile());
    ASSERT_EQ(before.size(), 1);
    ::kill(pid_t(before.first()), SIGKILL);
    ASSERT_TRUE(ProcessesEnd(before, 5000));

    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.rtf, out("two.pdf")), "");
    const QList<qint64> after = OfficeProcesses(profile());
    EXPECT_EQ(after.size(), 1);
    EXPECT_NE(after, before);
}

TEST_F(OfficeRendererTest, AKilledWorkerIsStartedAgainAndItsOfficeEnds)
{
    auto office = renderer();
    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.doc, out("one.pdf")), "");
    const QList<qint64> workers = WorkerProcesses(profile());
    const QList<qint64> offices = OfficeProcesses(profile());
    ASSERT_EQ(workers.size(), 1);
    ::kill(pid_t(workers.first()), SIGKILL);
    ASSERT_TRUE(ProcessesEnd(workers, 5000));

    ASSERT_EQ(RenderMessage(*office, Route::Word, docs.rtf, out("two.pdf")), "");
    EXPECT_EQ(office->workerStarts(), 2);
    EXPECT_TRUE(ProcessesEnd(offices, 5000)) << "the orphaned office was killed with its group";
    EXPECT_EQ(OfficeProcesses(profile()).size(), 1);
}

TEST_F(OfficeRendererTest, TimeLimitKillsWorkerAndOfficeAndTheProfileStaysUsable)
{
    {
        // Far too short for a document this long: it is abandoned, whether the office was
        // still starting or already laying it out.
        auto hasty = renderer("profile", 1s);
        std::chrono::milliseconds took{};
        const std::string message =
            RenderMessage(*hasty, Route::Shell, docs.longText, out("late.pdf"), &took);
        EXPECT_NE(message.find("within 1 seconds"), std::string::npos) << message;
        EXPECT_LT(took.count(), 5000);
        EXPECT_TRUE(ProcessesEnd(OfficeProcesses(profile()) + WorkerProcesses(profile()), 5000));
        EXPECT_FALSE(QFile::exists(out("late.pdf")));
    }
    auto patient = renderer("profile");
    ASSERT_EQ(RenderMessage(*patient, Route::Word, docs.doc, out("done.pdf")), "");
}

TEST_F(OfficeRendererTest, AKilledOwnerLeavesNoWorkerAndNoOfficeBehind)
{
    // Killed while the office lays out a document that takes it many seconds.
    ProcessCommand command;
    command.program = QCoreApplication::applicationDirPath() + "/corvanta-office-renderer-owner";
    command.arguments = {profile(), docs.doc, docs.longText, m_out.path()};
    command.errors = ProcessChannel::Discard;
    const auto owner = launcher.start(command);
    ASSERT_EQ(owner->readLine(2min).value_or("none"), "busy");
    const QList<qint64> workers = WorkerProcesses(profile());
    const QList<qint64> offices = OfficeProcesses(profile());
    ASSERT_EQ(workers.size(), 1);
    ASSERT_EQ(offices.size(), 1);
    ::kill(pid_t(owner->processId()), SIGKILL); // the owner alone, not its group
    EXPECT_TRUE(ProcessesEnd(workers + offices, 5000));
}

TEST_F(OfficeRendererTest, ASecondInstanceUsesAProfileOfItsOwn)
{
    auto first = renderer();
    auto second = renderer();
    ASSERT_EQ(RenderMessage(*first, Route::Word, docs.doc, out("a.pdf")), "");
    ASSERT_EQ(RenderMessage(*second, Route::Word, docs.rtf, out("b.pdf")), "");
    EXPECT_EQ(OfficeProcesses(profile()).size(), 1);
    EXPECT_TRUE(IsCompletePdf(out("b.pdf")));
}

// Documents named ahead are laid out by two offices side by side; each PDF holds its own
// document, whatever order they are asked for in, and a document prepared but then forgotten
// is laid out afresh (it may have changed).
TEST_F(OfficeRendererTest, TwoOfficesLayOutDocumentsAheadAndEachPdfHoldsItsOwnDocument)
{
    OfficeSetup setup;
    setup.profileFolder = profile();
    setup.workers = 2;
    OfficeRenderer office(launcher, setup);
    const QString changing = out("changing.rtf");
    ASSERT_TRUE(QFile::copy(docs.rtf, changing));

    office.prepare(Route::Word, docs.doc);
    office.prepare(Route::Shell, docs.docx);
    office.prepare(Route::Word, changing); // no office is free: asked for later
    const struct
    {
        QString document;
        Route route;
        QString marker;
    } asked[] = {{docs.docx, Route::Shell, "Quincedocx"},
                 {changing, Route::Word, "Quincertf"},
                 {docs.doc, Route::Word, "Quincedoc"}};
    for (const auto& a : asked) {
        SCOPED_TRACE(a.document.toStdString());
        const QString pdf = out(QFileInfo(a.document).fileName() + ".pdf");
        ASSERT_EQ(RenderMessage(office, a.route, a.document, pdf), "");
        EXPECT_TRUE(PdfProbe(pdf).pageTexts().join('\n').contains(a.marker));
    }
    EXPECT_EQ(office.workerStarts(), 2);
    EXPECT_EQ(OfficeProcesses(profile()).size(), 1);
    EXPECT_EQ(OfficeProcesses(profile() + ".2").size(), 1);

    office.prepare(Route::Word, changing);
    office.forgetPrepared();
    ASSERT_TRUE(QFile::remove(changing) && QFile::copy(docs.doc, changing));
    ASSERT_EQ(RenderMessage(office, Route::Word, changing, out("changed.pdf")), "");
    EXPECT_TRUE(PdfProbe(out("changed.pdf")).pageTexts().join('\n').contains("Quincedoc"));
    EXPECT_FALSE(PdfProbe(out("changed.pdf")).pageTexts().join('\n').contains("Quincertf"));
}

TEST_F(OfficeRendererTest, MissingOfficeOrWorkerFailsLoudly)
{
    OfficeSetup noOffice;
    noOffice.officeProgram = "/nonexistent/soffice";
    noOffice.profileFolder = profile();
    OfficeRenderer withoutOffice(launcher, noOffice);
    const std::string office = RenderMessage(withoutOffice, Route::Word, docs.doc, out("x.pdf"));
    EXPECT_NE(office.find("LibreOffice was not found"), std::string::npos) << office;

    OfficeSetup noWorker;
    noWorker.workerProgram = "/nonexistent/corvanta-office-worker";
    noWorker.profileFolder = profile();
    OfficeRenderer withoutWorker(launcher, noWorker);
    const std::string worker = RenderMessage(withoutWorker, Route::Word, docs.doc, out("x.pdf"));
    EXPECT_NE(worker.find("office worker"), std::string::npos) << worker;
}

} // namespace
