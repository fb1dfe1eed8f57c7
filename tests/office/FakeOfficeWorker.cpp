// Stands in for the office worker in the renderer's failure tests. It starts a child that
// sleeps like an office would (its pid goes to "<profile>/office.pid"), then answers requests
// according to the document's file name:
//   crash      dies of a signal          hang      never answers
//   garble     answers with junk         nopdf     claims success, writes nothing
//   halfpdf    claims success, writes half a PDF
//   officefail reports that its office failed
//   anything else: writes a one-page PDF and succeeds
#include "office/OfficeProtocol.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

QByteArray onePagePdf()
{
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void startFakeOffice(const QString& profile)
{
    QDir().mkpath(profile);
    const pid_t office = ::fork();
    if (office == 0) {
        ::close(STDIN_FILENO); // like the real office, it takes no part in the conversation
        ::close(STDOUT_FILENO);
        for (;;)
            ::pause();
    }
    write(profile + "/office.pid", QByteArray::number(office));
}

OfficeAnswer serve(const OfficeRequest& request)
{
    const QString name = QFileInfo(request.document).fileName();
    if (name.contains("crash")) {
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    if (name.contains("hang")) {
        for (;;)
            ::pause();
    }
    if (name.contains("officefail"))
        return {OfficeFailure::Office, "the office went away"};
    if (name.contains("nopdf"))
        return {};
    const QByteArray pdf = onePagePdf();
    write(request.pdf, name.contains("halfpdf") ? pdf.left(pdf.size() / 2) : pdf);
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype profileAt = arguments.indexOf("--profile");
    if (profileAt < 0 || profileAt + 1 >= arguments.size())
        return 2;
    startFakeOffice(arguments.at(profileAt + 1));

    std::string line;
    while (std::getline(std::cin, line)) {
        const auto request = OfficeRequest::fromLine(QByteArray::fromStdString(line));
        if (request && QFileInfo(request->document).fileName().contains("garble")) {
            std::cout << "this is not an answer" << std::endl;
            continue;
        }
        const OfficeAnswer answer =
            request ? serve(*request) : OfficeAnswer{OfficeFailure::Request, "bad request"};
        std::cout << answer.toLine().toStdString() << std::endl;
    }
    return 0;
}
