#pragma once

#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "conversion/DocumentNames.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/ImageRoute.h"
#include "conversion/PicturePreview.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RenderedRoute.h"
#include "conversion/RouteTable.h"
#include "conversion/RunControl.h"
#include "conversion/RunForm.h"
#include "conversion/SecurityForm.h"
#include "conversion/TextRoute.h"
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

// How the routes of a harness's run print.
struct HarnessRouting
{
    // Lays out word-processor documents, workbooks and web pages; none: no renderer is there.
    DocumentRenderer* office = nullptr;
    const EncodingDetector* encodings = nullptr; // names the encodings of texts that name none
    const PictureCheck* pictures = &kFakePictureCheck;
    std::unique_ptr<PrintRoute> shell = nullptr; // none: the shell route has a handler for no type
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

    // The routes of this harness, as `routing` has them.
    RouteTable routesWith(HarnessRouting routing = {})
    {
        DocumentRenderer& office = routing.office ? *routing.office : renderer;
        return RouteTable({
            .image = std::make_unique<ImageRoute>(printer, form, clock, *routing.pictures),
            .word = std::make_unique<RenderedRoute>(printer, printer, office, Route::Word),
            .excel = std::make_unique<RenderedRoute>(printer, printer, office, Route::Excel),
            .browser = std::make_unique<RenderedRoute>(printer, printer, office, Route::Browser),
            .plainText = std::make_unique<TextRoute>(printer, routing.encodings),
            .shell = routing.shell ? std::move(routing.shell) : std::make_unique<MissingRenderer>(),
        });
    }
    // A run of the list by `table`'s routes.
    RunEnd runWith(RouteTable& table)
    {
        RunServices services{list, state,   printer, printer,     profile, security, table,
                             form, dialogs, clock,   application, control, opener};
        services.logFiles = &kOwnFileOpener;
        return ConversionRun(services).PNGCreatePDFClick();
    }
    // A run of the list whose rendered routes are laid out by `office` (a test's renderer).
    RunEnd runWith(DocumentRenderer& office)
    {
        RouteTable table = routesWith({.office = &office});
        return runWith(table);
    }
    // A run whose text route asks `encodings` for the encoding of a text that names none.
    RunEnd runWith(const EncodingDetector& encodings)
    {
        RouteTable table = routesWith({.encodings = &encodings});
        return runWith(table);
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
    RouteTable routes = routesWith();
    ImageRoute& images = routes.image();
    RunControl control;
    DescriptorOpener opener;
    ConversionRun conversion{RunServices{list, state, printer, printer, profile, security, routes,
                                         form, dialogs, clock, application, control, opener,
                                         nullptr, nullptr, nullptr, &kOwnFileOpener}};
};
