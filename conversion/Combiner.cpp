#include "conversion/Combiner.h"

#include "conversion/PdfToolkit.h"
#include "conversion/SavedDocument.h"
#include "conversion/SecurityForm.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/SyncToDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <filesystem>

using namespace std::chrono_literals;

namespace {

// Generous: a slow machine merging hundreds of files must not be cut off while still working.
std::chrono::milliseconds limitFor(int files)
{
    return 60s + files * 2s;
}

// A fresh name beside `target`, where the toolkit writes before the result is checked, so a
// partial file never stands under the final name.
QString scratchNameBeside(const QString& target)
{
    QTemporaryFile scratch(QFileInfo(target).absolutePath() +
                           QStringLiteral("/.corvanta-XXXXXX.PDF"));
    scratch.setAutoRemove(false);
    if (!scratch.open())
        return {};
    return scratch.fileName();
}

// Moves the checked scratch file to its final name, once it is safely on disk.
bool replace(const QString& from, const QString& to)
{
    if (!SyncToDisk(from))
        return false;
    QFile::setPermissions(from, kSavedDocumentPermissions);
    std::error_code error;
    std::filesystem::rename(from.toStdU16String(), to.toStdU16String(), error);
    return !error;
}

} // namespace

Combiner::Combiner(PdfToolkit& toolkit, PdfChecker& checker, SecurityForm& security,
                   Dialogs& dialogs)
    : m_toolkit(toolkit), m_checker(checker), m_security(security), m_dialogs(dialogs)
{
}

QString Combiner::outputNameFor(const QString& chosen)
{
    // A name already ending in ".pdf" in any letter case gets no second ending.
    if (chosen.right(4).compare(QLatin1String(".PDF"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QStringLiteral(".PDF");
}

QString Combiner::intermediateNameFor(const QString& chosen)
{
    return chosen + QStringLiteral("S_.PDF");
}

bool Combiner::combine(const QList<RowPdf>& pdfs, const QString& folder)
{
    Dialogs::FileRequest request{QStringLiteral("Save"), QStringLiteral("PDF Files (*.PDF)")};
    request.save = true;
    request.folder = folder;
    const QString chosen = m_dialogs.chooseFile(request);
    if (chosen.isEmpty() || chosen.size() <= 4)
        return false;
    const bool protecting = m_security.passwordWanted();
    const QString output = outputNameFor(chosen);
    const QString merged = protecting ? intermediateNameFor(chosen) : output;

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

    const QString scratch = scratchNameBeside(merged);
    // Whatever ends the merge (a stop included), the scratch file does not stay behind.
    auto dropScratch = qScopeGuard([&scratch] {
        if (!scratch.isEmpty())
            QFile::remove(scratch);
    });
    const PdfToolkit::Result result =
        scratch.isEmpty() ? PdfToolkit::Result{}
                          : m_toolkit.merge(inputs, scratch, limitFor(inputs.size()));
    if (!result.started)
        m_dialogs.message(kCombineStartError);
    const bool verified = result.succeeded && expectedPages >= 0 &&
                          m_checker.pageCount(scratch) == expectedPages && replace(scratch, merged);
    if (!verified) {
        m_dialogs.message(kCombineFailed);
        return false;
    }
    dropScratch.dismiss();

    // Only the files this run wrote go; a PDF the user kept, or had before, stays.
    for (const RowPdf& pdf : pdfs) {
        if (pdf.writtenByRun && !pdf.file.isEmpty())
            QFile::remove(pdf.file);
    }

    if (protecting)
        protect(merged, output, expectedPages);
    return true;
}

bool Combiner::protect(const QString& intermediate, const QString& output, int pages)
{
    const QString password = m_security.password();
    const QString scratch = scratchNameBeside(output);
    auto dropScratch = qScopeGuard([&scratch] {
        if (!scratch.isEmpty())
            QFile::remove(scratch);
    });
    const PdfToolkit::Result result =
        scratch.isEmpty() ? PdfToolkit::Result{}
                          : m_toolkit.protect(intermediate, scratch, password,
                                              !m_security.printCopyDisabled(), limitFor(1));
    if (!result.started)
        m_dialogs.message(kProtectStartError);
    if (result.succeeded && m_checker.pageCount(scratch, password) == pages &&
        replace(scratch, output)) {
        dropScratch.dismiss();
        QFile::remove(intermediate);
        return true;
    }
    // The intermediate is now the only merged copy: keep it and say where it is.
    m_dialogs.message(QStringLiteral("The combined PDF file could not be protected. It is kept, "
                                     "without a password, as ") +
                      intermediate);
    return false;
}
