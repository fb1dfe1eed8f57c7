#include "conversion/Combiner.h"

#include "conversion/PdfToolkit.h"
#include "conversion/SecurityForm.h"
#include "platform/dialogs/Dialogs.h"

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
std::chrono::milliseconds limitFor(int files)
{
    return 60s + files * 2s;
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

bool Combiner::combine(const QList<RowPdf>& pdfs, const QString& folder)
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save");
    request.filter = QStringLiteral("PDF Files (*.PDF)");
    request.save = true;
    request.folder = folder;
    const QString chosen = m_dialogs.chooseFile(request);
    if (chosen.isEmpty() || chosen.size() <= 4)
        return false;
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
                         : m_toolkit.merge(inputs, merged, limitFor(inputs.size()));
    if (!result.started)
        m_dialogs.message(kCombineStartError);
    if (!result.succeeded || expectedPages < 0 || m_checker.pageCount(merged) != expectedPages) {
        qCWarning(lcCombine) << "the merge failed:" << result.error;
        m_dialogs.message(kCombineFailed);
        return false;
    }
    if (!publish(merged, output, expectedPages))
        return false;
    deleteWrittenByRun(pdfs, output);
    return true;
}

// As every single PDF: the password when one is set, and printing, changing and copying
// withheld together by "Disable Printing/Copy", with or without a password.
PdfProtection Combiner::protection() const
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

bool Combiner::publish(const QString& merged, const QString& output, int pages)
{
    PdfProtection wanted = protection();
    const auto wipe = qScopeGuard([&wanted] {
        if (wanted.password)
            wanted.password->fill(QChar(0));
    });
    const PdfPublisher::Result published = m_publisher.publish(merged, output, wanted);
    if (published.outcome != PdfPublisher::Outcome::Published) {
        qCWarning(lcCombine) << "the merged file could not be written as" << output << ":"
                             << published.error;
        m_dialogs.message(published.outcome == PdfPublisher::Outcome::ProtectionFailed
                              ? kProtectStartError
                              : kCombineFailed);
        return false;
    }
    // Read back as its user will open it, before any PDF it replaces is deleted.
    if (m_checker.pageCount(output, wanted.password.value_or(QString())) != pages) {
        qCWarning(lcCombine) << "the merged file" << output << "does not read back";
        QFile::remove(output);
        m_dialogs.message(kCombineFailed);
        return false;
    }
    return true;
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
