#pragma once

#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "conversion/DocumentNames.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/ImageRoute.h"
#include "conversion/PicturePreview.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RendererRoutes.h"
#include "conversion/RunControl.h"
#include "conversion/RunForm.h"
#include "conversion/SecurityForm.h"
#include "doclist/DocumentList.h"
#include "platform/files/DescriptorOpener.h"
#include "platform/files/OwnFileOpener.h"
#include "tests/conversion/FakePictureCheck.h"
#include "tests/support/FakeApplication.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScriptedDialogs.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

class FakeSecurityForm final : public SecurityForm
{
public:
    bool printCopyDisabled() const override { return printCopy; }
    bool passwordWanted() const override { return passwordChecked; }
    QString password() const override { return password1; }
    QString confirmation() const override { return password2; }
    void clearPassword() override { password1.clear(); }
    void clearConfirmation() override { password2.clear(); }
    void setPasswordPanelVisible(bool v) override { panelVisible = v; }
    bool combineChosen() const override { return combine; }

    bool printCopy = false;
    bool passwordChecked = false;
    QString password1;
    QString password2;
    bool panelVisible = false;
    bool combine = false;
};

class FakeRunForm final : public RunForm, public PicturePreview
{
public:
    void setRunning(bool r) override { runningStates.append(r); }
    void repaintStatuses() override { ++repaints; }
    void showRow(int row) override { rowsShown.append(row); }
    void showPicture(const QImage&) override { ++picturesShown; }
    void showPictureFile(const QString&) override { ++picturesShown; }
    void clearPicture() override { ++picturesCleared; }

    QList<bool> runningStates;
    QList<int> rowsShown;
    int repaints = 0;
    int picturesShown = 0;
    int picturesCleared = 0;
};

// A conversion run wired to a given printer, with scripted dialogs and a standing clock.
template <typename Printer> struct RunHarness
{
    explicit RunHarness(QStringList args = {}) : application(std::move(args)) {}

    QString makeFile(const QString& name, const QByteArray& content = "text")
    {
        const QString path = in.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    QString makePicture(const QString& name, QSize size, const char* format)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = in.filePath(name);
        image.save(path, format);
        return path;
    }
    QString statusOf(const QString& name) const
    {
        return list.status(list.findPath(in.filePath(name)));
    }
    void add(const QString& path) { list.FillGrid(DocumentNames::fileNameOf(path), path); }
    QString inPath(const QString& name) const { return in.filePath(name); }
    QString outPath(const QString& name) const { return out.filePath(name); }

    void batchMode()
    {
        state.BatchMode = true;
        state.StartFolder = in.path();
        state.DestinationFolder = out.path();
    }
    QStringList logLines() const
    {
        QFile file(in.filePath("Corvanta_Batch.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    RunEnd run() { return conversion.PNGCreatePDFClick(); }
    // A run of the list whose rendered routes are `routes` (a test's renderer behind them).
    RunEnd runWith(RendererRoutes& routes)
    {
        RunServices services{list,   state, printer, printer, profile,     security, images,
                             routes, form,  dialogs, clock,   application, control,  opener};
        services.logFiles = &kOwnFileOpener;
        return ConversionRun(services).PNGCreatePDFClick();
    }
    // A run whose text route asks `encodings` for the encoding of a text that names none.
    RunEnd runWith(const EncodingDetector& encodings)
    {
        RunServices services{list,      state, printer, printer, profile,     security, images,
                             renderers, form,  dialogs, clock,   application, control,  opener};
        services.encodings = &encodings;
        services.logFiles = &kOwnFileOpener;
        return ConversionRun(services).PNGCreatePDFClick();
    }

    QTemporaryDir in;
    QTemporaryDir out;
    Printer printer;
    DocumentList list;
    ProgramState state;
    FakeSecurityForm security;
    FakeRunForm form;
    ScriptedDialogs dialogs;
    FakeClock clock;
    FakeApplication application;
    MissingRenderer renderer;
    ProfileOptions profile{printer, security, dialogs};
    ImageRoute images{printer, form, dialogs, clock, kFakePictureCheck};
    RendererRoutes renderers{printer, printer, renderer, renderer, dialogs};
    RunControl control;
    DescriptorOpener opener;
    ConversionRun conversion{RunServices{
        list, state, printer, printer, profile, security, images, renderers, form, dialogs, clock,
        application, control, opener, nullptr, nullptr, nullptr, nullptr, &kOwnFileOpener}};
};
