#pragma once

#include "batch/BulkProgress.h"
#include "batch/FolderEdits.h"
#include "batch/JobScheduling.h"
#include "conversion/PicturePreview.h"
#include "conversion/RunForm.h"
#include "conversion/SecurityForm.h"
#include "doclist/GeneratePage.h"
#include "scanning/ScanPage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <chrono>

namespace Ui {
class frmMain;
}
class Clock;

// The caption of the Generate PDF button while a run goes on, when a click stops the run.
inline const QString kStopCaption = QStringLiteral("Stop");
inline const QString kStopToolTip =
    QStringLiteral("Stop the conversion after the document being converted");
// How long after a run a click on its button is still taken for the Stop it was aimed at.
inline constexpr std::chrono::milliseconds kStopClickGrace{500};

// The main window's controls as the parts' logic sees them.
class MainFormControls final : public GeneratePage,
                               public SecurityForm,
                               public RunForm,
                               public PicturePreview,
                               public FolderEdits,
                               public SchedulePage,
                               public ScanPageControls,
                               public BulkProgressView
{
public:
    MainFormControls(Ui::frmMain& ui, const Clock& clock) : m_ui(ui), m_clock(clock) {}

    // True within kStopClickGrace of the button turning back from Stop to Generate PDF: a click
    // then was meant to stop the run that has just ended, not to start another.
    bool generateJustBack() const;

    // GeneratePage
    void setGenerateEnabled(bool enabled) override;
    void setCombineEnabled(bool enabled) override;
    void setCombineChecked(bool checked) override;
    void setSeparateChecked(bool checked) override;
    int selectedRow() const override;
    void clearPreview() override { clearPicture(); }

    // SecurityForm
    bool printCopyDisabled() const override;
    bool passwordWanted() const override;
    QString password() const override;
    QString confirmation() const override;
    void clearPassword() override;
    void clearConfirmation() override;
    void setPasswordPanelVisible(bool visible) override;
    bool combineChosen() const override;

    // RunForm
    void setRunning(bool running) override;
    void repaintStatuses() override;
    void showRow(int row) override;

    // PicturePreview
    void showPicture(const QImage& picture) override;
    void showPictureFile(const QString& path) override;
    void clearPicture() override;

    // FolderEdits
    QString startFolderText() const override;
    QString destinationFolderText() const override;
    void setStartFolderText(const QString& text) override;
    void setDestinationFolderText(const QString& text) override;
    void setScheduleEnabled(bool enabled) override;

    // ScanPageControls
    void setStartStopCaption(const QString& caption) override;
    void setDeviceCommandsEnabled(bool enabled) override;
    void setPreviousEnabled(bool enabled) override;
    void setNextEnabled(bool enabled) override;
    void setSources(const QStringList& names, int selected) override;
    void setProgress(int percent) override;

    // BulkProgressView
    void setBulkProgress(const QString& text) override;

    // SchedulePage
    bool runNowChosen() const override;
    QTime scheduleTime() const override;
    QDate scheduleDate() const override;

private:
    QList<class QWidget*> runCommands() const;

    Ui::frmMain& m_ui;
    const Clock& m_clock;
    QDateTime m_generateBackAt;
    QList<bool> m_enabledBeforeRun;
    bool m_generateEnabled = false;
    QString m_generateCaption;
    QString m_generateToolTip;
};
