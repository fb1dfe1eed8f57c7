#include "conversion/Combiner.h"

#include "conversion/PdfToolkit.h"
#include "conversion/SavedDocument.h"
#include "conversion/SecurityForm.h"
#include "platform/dialogs/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The PDF a row's expected name stands for. The names end in ".PDF", as the printer writes
// them; a PDF document the run skipped is often "x.pdf", which must still be merged.
QString existingPdf(const QString& expected)
{
    const QFileInfo info(expected);
    if (info.exists())
        return expected;
    QStringList matches;
    for (const QString& name : info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            matches.append(name);
    }
    return matches.size() == 1 ? info.dir().filePath(matches.first()) : expected;
}

// Moves the checked scratch file to its final name.
bool replace(const QString& from, const QString& to)
{
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

bool Combiner::combine(const QStringList& outputNames, const QVector<bool>& completed)
{
    const QString chosen = m_dialogs.chooseFile(
        {QStringLiteral("Save"), QStringLiteral("PDF Files (*.PDF)"), /*save=*/true});
    if (chosen.isEmpty() || chosen.size() <= 4)
        return false;
    const bool protecting = m_security.passwordWanted();
    const QString output = outputNameFor(chosen);
    const QString merged = protecting ? intermediateNameFor(chosen) : output;

    QStringList inputs;
    for (const QString& name : outputNames)
        inputs.append(existingPdf(name));
    int expectedPages = 0;
    for (const QString& input : inputs) {
        const int pages = m_checker.pageCount(input);
        expectedPages = pages < 0 || expectedPages < 0 ? -1 : expectedPages + pages;
    }

    const QString scratch = scratchNameBeside(merged);
    const PdfToolkit::Result result =
        scratch.isEmpty() ? PdfToolkit::Result{}
                          : m_toolkit.merge(inputs, scratch, limitFor(inputs.size()));
    if (!result.started)
        m_dialogs.message(kCombineStartError);
    const bool verified = result.succeeded && expectedPages >= 0 &&
                          m_checker.pageCount(scratch) == expectedPages && replace(scratch, merged);
    if (!verified) {
        if (!scratch.isEmpty())
            QFile::remove(scratch);
        m_dialogs.message(kCombineFailed);
        return false;
    }

    // Only the files this run wrote go; a PDF the user kept stays.
    for (int row = 0; row < inputs.size() && row < completed.size(); ++row) {
        if (completed.at(row))
            QFile::remove(inputs.at(row));
    }

    if (protecting)
        protect(merged, output, expectedPages);
    return true;
}

bool Combiner::protect(const QString& intermediate, const QString& output, int pages)
{
    const QString password = m_security.password();
    const QString scratch = scratchNameBeside(output);
    const PdfToolkit::Result result =
        scratch.isEmpty() ? PdfToolkit::Result{}
                          : m_toolkit.protect(intermediate, scratch, password,
                                              !m_security.printCopyDisabled(), limitFor(1));
    if (!result.started)
        m_dialogs.message(kProtectStartError);
    if (result.succeeded && m_checker.pageCount(scratch, password) == pages &&
        replace(scratch, output)) {
        QFile::remove(intermediate);
        return true;
    }
    if (!scratch.isEmpty())
        QFile::remove(scratch);
    // The intermediate is now the only merged copy: keep it and say where it is.
    m_dialogs.message(QStringLiteral("The combined PDF file could not be protected. It is kept, "
                                     "without a password, as ") +
                      intermediate);
    return false;
}
