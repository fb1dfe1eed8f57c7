#include "tests/fuzz/FuzzSupport.h"

#include <QTemporaryDir>
#include <QtGlobal>

namespace {

// Millions of inputs: the parsers' log lines would cost more than the parsing. A fatal message
// still ends the run, after it is printed.
void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

QString FuzzFilePath(const QString& name)
{
    static QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(folder.errorString()));
        std::abort();
    }
    return folder.filePath(name);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);
    return 0;
}
