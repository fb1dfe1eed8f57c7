// The office worker: owns the connection to a warm office process and lays out one document
// per request line read on standard input, answering one line on standard output. The program
// starts it through its process port, so a crash or hang here costs one document.
//
//   corvanta-office-worker --office <soffice> --profile <folder>
#include "platform/office/OfficeProtocol.h"
#include "platform/office/worker/DocumentExport.h"
#include "platform/office/worker/OfficeConnection.h"
#include "platform/office/worker/UnoText.h"
#include "platform/office/worker/WorkerLog.h"
#include "platform/process/QtProcessLauncher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <iostream>
#include <string>
#include <unistd.h>

namespace {

OfficeAnswer serve(OfficeConnection& office, const OfficeRequest& request)
{
    QElapsedTimer clock;
    clock.start();
    try {
        ExportDocumentToPdf(office.desktop(), request.route, request.document, request.pdf);
        qCDebug(lcWorker) << request.document << "laid out in" << clock.elapsed() << "ms";
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

QString option(const QStringList& arguments, const QString& name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

} // namespace

int main(int argc, char** argv)
{
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
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto request = OfficeRequest::fromLine(QByteArray::fromStdString(line));
        const OfficeAnswer answer =
            request ? serve(office, *request) : OfficeAnswer{OfficeFailure::Request, "bad request"};
        if (!answer.ok())
            qCWarning(lcWorker) << (request ? request->document : QString())
                                << "failed:" << answer.detail;
        out.write(answer.toLine() + '\n');
        out.flush();
    }
    office.shutdown();
    return 0;
}
