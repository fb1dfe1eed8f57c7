#pragma once

#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QVariant>

// A PDF printer for tests of the logic around it: records every call and every job; writes
// nothing unless `writeFiles` is set, then an empty file under the job's name in "Save Folder".
class FakePdfPrinter final : public IPdfPrinterOptions, public IPrinter, public IPrintCanvas
{
public:
    struct Job
    {
        QString title;
        QString saveFolder;
        QStringList lines; // "x,y:text"
        QList<QRectF> pictures;
        QStringList pictureFiles;
        int pages = 1;
        bool rendered = false;
    };

    PrinterResult MakePdfPrinterDefault() override { return record("MakePdfPrinterDefault"); }
    PrinterResult RestorePreviousDefaultPrinter() override
    {
        return record("RestorePreviousDefaultPrinter");
    }
    PrinterResult AttachMessageWindow(QObject* window) override
    {
        attached = window;
        return record("AttachMessageWindow");
    }
    PrinterResult InitializeOptions(const QString& printer, const QString& app) override
    {
        record("InitializeOptions " + printer + " " + app);
        return initializeResult;
    }
    PrinterResult SetTextOption(const QString& o, const QString& v, const QString& p, int) override
    {
        options[o] = v;
        return record("SetTextOption " + o + "=" + v + " " + p);
    }
    PrinterResult SetNumberOption(const QString& o, int v, const QString& p, int) override
    {
        record("SetNumberOption " + o + "=" + QString::number(v) + " " + p);
        if (refused.contains(o))
            return kPrinterFailed;
        options[o] = v;
        return kPrinterOk;
    }
    PrinterResult SetPasswordOption(const QString& o, const QString& v, const QString& p,
                                    int) override
    {
        record("SetPasswordOption " + o + " " + p);
        if (refused.contains(o))
            return kPrinterFailed;
        options[o] = v;
        return kPrinterOk;
    }
    PrinterResult CreateProfile(const QString& p, int) override
    {
        return record("CreateProfile " + p);
    }
    PrinterResult RemoveProfile(const QString& p, int) override
    {
        return record("RemoveProfile " + p);
    }
    PrinterResult SelectActiveProfile(const QString& p, int) override
    {
        return record("SelectActiveProfile " + p);
    }
    PrinterResult NotifyAutomationServer(const QString& id) override
    {
        return record("NotifyAutomationServer " + id);
    }
    PrinterResult NotifyAutomationPrint() override { return record("NotifyAutomationPrint"); }
    PrinterResult NotifyDocumentPath(const QString& path) override
    {
        return record("NotifyDocumentPath " + path);
    }

    IPrintCanvas* beginDocument(const QString& title) override
    {
        record("beginDocument " + title);
        jobs.append(Job{title, options.value("Save Folder").toString(), {}, {}, {}, 1, false});
        return this;
    }
    bool endDocument(Progress&) override
    {
        record("endDocument");
        return finish();
    }
    void abortDocument() override
    {
        record("abortDocument");
        saved.clear();
    }
    bool printRenderedPdf(const QString& title, const QString&, Progress&) override
    {
        record("printRenderedPdf " + title);
        jobs.append(Job{title, options.value("Save Folder").toString(), {}, {}, {}, 1, true});
        return finish();
    }

    QSizeF pageSize() const override { return {595, 842}; }
    void setFontPointSize(int points) override { fontPoints = points; }
    void setTextFace(TextFace face) override { textFace = face; }
    double lineSpacing() const override { return kLineSpacing; }
    void drawText(double x, double y, const QString& text) override
    {
        jobs.last().lines.append(QStringLiteral("%1,%2:%3").arg(x).arg(y).arg(text));
    }
    void drawPicture(const QRectF& target, const QString& file, const QImage&) override
    {
        jobs.last().pictures.append(target);
        jobs.last().pictureFiles.append(file);
    }
    double textWidth(const QString& text) const override { return kCharWidth * text.size(); }
    void newPage() override { ++jobs.last().pages; }
    QString savedFile() const override { return saved; }
    QString lastFailure() const override
    {
        return saved.isEmpty() ? QStringLiteral("the fake printer saved nothing") : QString();
    }

    // The calls made so far whose text starts with `prefix`.
    QStringList callsStartingWith(const QString& prefix) const
    {
        QStringList found;
        for (const QString& call : calls)
            if (call.startsWith(prefix))
                found.append(call);
        return found;
    }

    QStringList calls;
    QMap<QString, QVariant> options;
    QList<Job> jobs;
    QObject* attached = nullptr;
    int fontPoints = 0;
    TextFace textFace = TextFace::Proportional;
    PrinterResult initializeResult = kPrinterOk;
    bool writeFiles = false;
    bool failSaves = false;                  // every job fails, as on a full disk
    QStringList refused;                     // options it does not take, as when unwritable
    QString saved;                           // the file of the last job that "saved"
    static constexpr double kCharWidth = 10; // every character is as wide as this
    static constexpr double kLineSpacing = 12;

private:
    PrinterResult record(const QString& call)
    {
        calls.append(call);
        return kPrinterOk;
    }
    bool finish();
};
