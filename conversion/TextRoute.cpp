#include "conversion/TextRoute.h"

#include "conversion/IPrinter.h"

#include <QFile>
#include <QTextStream>

namespace {
constexpr int kFontPoints = 18;
constexpr int kLineHeight = kFontPoints + 20;
constexpr int kLeft = 50;
} // namespace

bool PrintTextDocument(IPrinter& printer, const QString& path, const QString& title)
{
    IPrintCanvas* canvas = printer.beginDocument(title);
    if (!canvas)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printer.endDocument();
        throw TextReadError(file.errorString().toStdString());
    }
    canvas->setFontPointSize(kFontPoints);
    QTextStream in(&file);
    const double pageHeight = canvas->pageSize().height();
    int line = 0;
    QString text;
    while (in.readLineInto(&text)) {
        ++line;
        if (line > 1 && kLineHeight * line + kLineHeight > pageHeight) {
            canvas->newPage();
            line = 1;
        }
        canvas->drawText(kLeft, kLineHeight * line, text);
    }
    const bool readFailed = in.status() != QTextStream::Ok || file.error() != QFile::NoError;
    const QString reason = file.errorString();
    file.close();
    const bool saved = printer.endDocument();
    if (readFailed)
        throw TextReadError(reason.toStdString());
    return saved;
}
