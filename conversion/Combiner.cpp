#include "conversion/Combiner.h"

#include "common/Dialogs.h"
#include "common/Progress.h"
#include "conversion/PdfToolkit.h"
#include "conversion/SecurityForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QTemporaryDir>

Q_LOGGING_CATEGORY(lcCombine, "corvanta.combine", QtWarningMsg)

using namespace std::chrono_literals;

namespace {

// Generous: a slow machine merging hundreds of files must not be cut off while still working.
std::chrono::milliseconds limitFor(qsizetype files)
{
    return 60s + files * 2s;
}

// Protecting the single PDFs is not stopped halfway: a stop would leave the rest unprotected.
// The window stays alive meanwhile.
class StopNotTaken final : public Progress
{
public:
    explicit StopNotTaken(Progress& window) : m_window(window) {}
    bool advance(int pagesDone) override
    {
        m_window.advance(pagesDone);
        return true;
    }

private:
    Progress& m_window;
};

void wipe(PdfProtection& protection)
{
    if (protection.password)
        protection.password->fill(QChar(0));
}

} // namespace

Combiner::Combiner(PdfToolkit& toolkit, const PdfPublisher& publisher, PdfChecker& checker,
                   SecurityForm& security, Dialogs& dialogs)
    : m_toolkit(toolkit), m_publisher(publisher), m_checker(checker), m_security(security),
      m_dialogs(dialogs)
{
}

QString Combiner::outputNameFor(const QString& chosen)
{
    // A name already ending in ".pdf" in any letter case gets no second ending.
    if (chosen.right(4).compare(QLatin1String(".PDF"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QStringLiteral(".PDF");
}

bool Combiner::combine(const QList<RowPdf>& pdfs, const QString& folder, Progress& progress)
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save");
    request.filter = QStringLiteral("PDF Files (*.PDF)");
    request.save = true;
    request.folder = folder;
    const QString chosen = m_dialogs.chooseFile(request);
    if (chosen.isEmpty() || chosen.size() <= 4) {
        endUnmerged(pdfs, {}, progress);
        return false;
    }
    const QString output = outputNameFor(chosen);

    // A row without a PDF of its own adds nothing: no other file is guessed in its place.
    QStringList inputs;
    for (const RowPdf& pdf : pdfs) {
        if (!pdf.file.isEmpty())
            inputs.append(pdf.file);
    }
    if (inputs.isEmpty()) {
        m_dialogs.message(kCombineFailed);
        return false;
    }
    int expectedPages = 0;
    for (const QString& input : inputs) {
        const int pages = m_checker.pageCount(input);
        expectedPages = pages < 0 || expectedPages < 0 ? -1 : expectedPages + pages;
    }

    // The merged file is unprotected until it is published: it is made in a folder only this
    // user can enter (under TMPDIR, the run's own), never beside the output, and goes with the
    // folder whatever ends the merge (a stop included).
    QTemporaryDir privateFolder(QDir::tempPath() + QStringLiteral("/combine-XXXXXX"));
    const QString merged =
        privateFolder.isValid() ? privateFolder.filePath(QStringLiteral("merged.PDF")) : QString();
    const PdfToolkit::Result result =
        merged.isEmpty() ? PdfToolkit::Result{}
                         : m_toolkit.merge(inputs, merged, limitFor(inputs.size()), progress);
    if (!result.started)
        m_dialogs.message(kCombineStartError);
    if (!result.succeeded || expectedPages < 0 || m_checker.pageCount(merged) != expectedPages) {
        qCWarning(lcCombine) << "the merge failed:" << result.error;
        endUnmerged(pdfs, kCombineFailed, progress);
        return false;
    }
    if (const QString failure = publish(merged, output, expectedPages, progress);
        !failure.isEmpty()) {
        endUnmerged(pdfs, failure, progress);
        return false;
    }
    deleteWrittenByRun(pdfs, output);
    return true;
}

void Combiner::protectUnmerged(const QList<RowPdf>& pdfs, Progress& progress)
{
    endUnmerged(pdfs, {}, progress);
}

// As a run without "Create one PDF file" protects each PDF: the password when one is set, and
// printing, changing and copying withheld together by "Disable Printing/Copy", with or without
// a password.
PdfProtection Combiner::singleProtection() const
{
    PdfProtection protection;
    if (m_security.passwordWanted())
        protection.password = m_security.password();
    const bool allowed = !m_security.printCopyDisabled();
    protection.allowPrint = allowed;
    protection.allowModify = allowed;
    protection.allowCopy = allowed;
    return protection;
}

// A merged file with a password allows printing at most, and only while "Disable Printing/Copy"
// is off; it is never changed or copied from. Without a password it is protected as a single
// PDF is.
PdfProtection Combiner::mergedProtection() const
{
    PdfProtection protection = singleProtection();
    if (protection.password) {
        protection.allowModify = false;
        protection.allowCopy = false;
    }
    return protection;
}

QString Combiner::publish(const QString& merged, const QString& output, int pages,
                          Progress& progress)
{
    PdfProtection wanted = mergedProtection();
    const auto wiped = qScopeGuard([&wanted] { wipe(wanted); });
    const PdfPublisher::Result published = m_publisher.publish(merged, output, wanted, progress);
    if (published.outcome != PdfPublisher::Outcome::Published) {
        qCWarning(lcCombine) << "the merged file could not be written as" << output << ":"
                             << published.error;
        return published.outcome == PdfPublisher::Outcome::ProtectionFailed ? kProtectStartError
                                                                            : kCombineFailed;
    }
    // Read back as its user will open it, before any PDF it replaces is deleted.
    if (m_checker.pageCount(output, wanted.password.value_or(QString())) != pages) {
        qCWarning(lcCombine) << "the merged file" << output << "does not read back";
        QFile::remove(output);
        return kCombineFailed;
    }
    return {};
}

void Combiner::endUnmerged(const QList<RowPdf>& pdfs, const QString& message, Progress& progress)
{
    const QString protectedNote = protectSingles(pdfs, progress);
    if (protectedNote.isEmpty()) {
        if (!message.isEmpty())
            m_dialogs.message(message);
        return;
    }
    m_dialogs.message((message.isEmpty() ? kNotCombined + QLatin1Char(' ') : message + "\n\n") +
                      protectedNote);
}

QString Combiner::protectSingles(const QList<RowPdf>& pdfs, Progress& progress)
{
    PdfProtection wanted = singleProtection();
    const auto wiped = qScopeGuard([&wanted] { wipe(wanted); });
    if (!wanted.encrypted())
        return {};
    StopNotTaken unstoppable(progress);
    bool protectedAny = false;
    QStringList deleted;
    for (const RowPdf& pdf : pdfs) {
        if (!pdf.writtenByRun || pdf.file.isEmpty() || !QFileInfo::exists(pdf.file))
            continue;
        protectedAny = true;
        // Written in one step over the unprotected file, which it reads first.
        const PdfPublisher::Result result =
            m_publisher.publish(pdf.file, pdf.file, wanted, unstoppable);
        if (result.outcome == PdfPublisher::Outcome::Published &&
            m_checker.pageCount(pdf.file, wanted.password.value_or(QString())) > 0)
            continue;
        qCWarning(lcCombine) << pdf.file << "could not be protected:" << result.error;
        QFile::remove(pdf.file);
        deleted.append(QFileInfo(pdf.file).fileName());
    }
    if (!protectedAny)
        return {};
    if (deleted.isEmpty())
        return kEachProtected;
    return kEachProtected + "\n\n" + kUnprotectableDeleted.arg(deleted.join(QStringLiteral(", ")));
}

// Only the files this run wrote go; a PDF the user kept, or had before, stays, and so does the
// merged file when the user named it as one of its inputs.
void Combiner::deleteWrittenByRun(const QList<RowPdf>& pdfs, const QString& output)
{
    const QString published = QFileInfo(output).canonicalFilePath();
    for (const RowPdf& pdf : pdfs) {
        if (pdf.writtenByRun && !pdf.file.isEmpty() &&
            QFileInfo(pdf.file).canonicalFilePath() != published)
            QFile::remove(pdf.file);
    }
}
