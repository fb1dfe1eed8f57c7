// The office worker: owns the connection to a warm office process and lays out one document
// per request line read on standard input, answering one line on standard output. The program
// starts it through its process port, so a crash or hang here costs one document.
//
//   corvanta-office-worker --office <soffice> --profile <folder>
//
// It starts the office through itself, "--confine-office <folder> -- <soffice> ...": so started
// it confines itself to the office's folder (OfficeConfinement.h) and becomes the office.
#include "office/OfficeLimits.h"
#include "office/OfficeProtocol.h"
#include "office/worker/DocumentExport.h"
#include "office/worker/MemoryWatch.h"
#include "office/worker/OfficeConfinement.h"
#include "office/worker/OfficeConnection.h"
#include "office/worker/OfficeInbox.h"
#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/process/WorkerLife.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The office inherits the limit: a document that needs more fails alone, and the office with
// it, instead of crowding the machine.
void limitMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's shadow memory alone takes terabytes of address space: in the sanitized
    // build only the office is bounded (as it starts, see RunConfined).
    return;
#endif
    rlimit limit = {};
    ::getrlimit(RLIMIT_AS, &limit);
    const rlim_t ours = std::min<rlim_t>(rlim_t(kOfficeMemoryLimit), limit.rlim_max);
    limit.rlim_cur = ours;
    limit.rlim_max = ours;
    if (::setrlimit(RLIMIT_AS, &limit) != 0)
        qCWarning(lcWorker) << "could not limit the office's memory:" << ::strerror(errno);
}

OfficeAnswer layOut(OfficeConnection& office, std::optional<MemoryWatch>& watch, Route route,
                    const QString& document, const QString& pdf)
{
    try {
        const auto desktop = office.desktop();
        watch.emplace(office.processId());
        ExportDocumentToPdf(desktop, route, document, pdf);
        return {};
    } catch (const ExportFailure& failure) {
        return {failure.failure(), QString::fromStdString(failure.what())};
    } catch (const OfficeUnavailable& failure) {
        return {OfficeFailure::Office, QString::fromStdString(failure.what())};
    } catch (const css::uno::RuntimeException& failure) {
        // Mostly a connection that went down with the office: start afresh next time.
        office.drop();
        return {OfficeFailure::Office, fromUno(failure.Message)};
    } catch (const css::uno::Exception& failure) {
        return {OfficeFailure::Export, fromUno(failure.Message)};
    }
}

OfficeAnswer serve(OfficeConnection& office, OfficeInbox& inbox, const OfficeRequest& request)
{
    QElapsedTimer clock;
    clock.start();
    QString why;
    const QString copy = inbox.bringIn(request.document, &why);
    if (copy.isEmpty())
        return {OfficeFailure::Export, why};
    std::optional<MemoryWatch> watch;
    OfficeAnswer answer = layOut(office, watch, request.route, copy, inbox.pdf());
    const qint64 peak = watch ? watch->peak() : 0;
    if (peak >= kOfficeMemoryFailure) {
        // What it took stays taken: the next document gets a fresh office.
        office.drop();
        if (!answer.ok())
            answer = {OfficeFailure::Memory,
                      QStringLiteral("the office had taken %1 MB").arg(peak >> 20)};
    }
    if (answer.ok() && !inbox.deliver(request.pdf, &why))
        answer = {OfficeFailure::Export, why};
    inbox.clear();
    qCDebug(lcWorker) << request.document << "laid out in" << clock.elapsed() << "ms, the office"
                      << "at" << (peak >> 20) << "MB";
    return answer;
}

QString option(const QStringList& arguments, const QString& name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

} // namespace

int main(int argc, char** argv)
{
    if (IsConfinedStart(argc, argv))
        return RunConfined(argc, argv); // this process becomes the office
    TieGroupToParent(::getppid());
    limitMemory();
    // Only answers go to standard output: whatever a library prints there goes to the log.
    const int answers = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    QFile out;
    if (answers < 0 || !out.open(answers, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return 2;

    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString officeProgram = option(arguments, "--office");
    const QString profile = option(arguments, "--profile");
    if (officeProgram.isEmpty() || profile.isEmpty()) {
        std::cerr << "usage: corvanta-office-worker --office <soffice> --profile <folder>\n";
        return 2;
    }

    QtProcessLauncher processes;
    OfficeConnection office(processes, officeProgram, profile);
    if (OfficeConfinementVersion() > 0)
        office.confineWith(QCoreApplication::applicationFilePath());
    else
        qCWarning(lcWorker) << "this kernel offers no Landlock: the office runs unconfined and "
                               "can read any file a document names";
    OfficeInbox inbox(profile + "/documents");
    // The office starts now, not at the first document: a worker may be started ahead of time.
    try {
        office.desktop();
    } catch (...) {
        // the first document tries again and reports it
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto request = OfficeRequest::fromLine(QByteArray::fromStdString(line));
        const OfficeAnswer answer = request ? serve(office, inbox, *request)
                                            : OfficeAnswer{OfficeFailure::Request, "bad request"};
        if (!answer.ok())
            qCWarning(lcWorker) << (request ? request->document : QString())
                                << "failed:" << answer.detail;
        // A failed write means our parent went away; its end closes our input as well.
        out.write(answer.toLine() + '\n');
        out.flush();
    }
    office.shutdown();
    return 0;
}
