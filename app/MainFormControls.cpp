#include "app/MainFormControls.h"

#include "common/Clock.h"
#include "ui_MainForm.h"

#include <QImage>
#include <QPixmap>
#include <QSignalBlocker>

void MainFormControls::setGenerateEnabled(bool enabled)
{
    m_ui.PNGCreatePDF->setEnabled(enabled);
}

void MainFormControls::setCombineEnabled(bool enabled)
{
    m_ui.radCombineFiles->setEnabled(enabled);
}

void MainFormControls::setCombineChecked(bool checked)
{
    // The two options are radio buttons of one group: unchecking one needs the group's
    // exclusivity lifted for a moment.
    if (!checked && m_ui.radCombineFiles->isChecked()) {
        m_ui.radCombineFiles->setAutoExclusive(false);
        m_ui.radCombineFiles->setChecked(false);
        m_ui.radCombineFiles->setAutoExclusive(true);
        return;
    }
    m_ui.radCombineFiles->setChecked(checked);
}

void MainFormControls::setSeparateChecked(bool checked)
{
    if (!checked && m_ui.radSeperateFiles->isChecked()) {
        m_ui.radSeperateFiles->setAutoExclusive(false);
        m_ui.radSeperateFiles->setChecked(false);
        m_ui.radSeperateFiles->setAutoExclusive(true);
        return;
    }
    m_ui.radSeperateFiles->setChecked(checked);
}

int MainFormControls::selectedRow() const
{
    const QModelIndexList rows = m_ui.lstFileList->selectionModel()
                                     ? m_ui.lstFileList->selectionModel()->selectedRows()
                                     : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool MainFormControls::printCopyDisabled() const
{
    return m_ui.chkPrintCopy->isChecked();
}
bool MainFormControls::passwordWanted() const
{
    return m_ui.chkPass->isChecked();
}
QString MainFormControls::password() const
{
    return m_ui.txtPasswd1->text();
}
QString MainFormControls::confirmation() const
{
    return m_ui.txtPasswd2->text();
}
void MainFormControls::clearPassword()
{
    m_ui.txtPasswd1->clear();
}
void MainFormControls::clearConfirmation()
{
    m_ui.txtPasswd2->clear();
}
void MainFormControls::setPasswordPanelVisible(bool visible)
{
    m_ui.pnlPass->setVisible(visible);
}
bool MainFormControls::combineChosen() const
{
    return m_ui.radCombineFiles->isChecked();
}

// What must not change while a run goes on: the list, the choices the run has read, and the
// scanner, whose pages would join the list.
QList<QWidget*> MainFormControls::runCommands() const
{
    return {m_ui.Label1,          m_ui.Label2,
            m_ui.Label3,          m_ui.PNGRemove,
            m_ui.radCombineFiles, m_ui.radSeperateFiles,
            m_ui.chkPass,         m_ui.chkPrintCopy,
            m_ui.txtPasswd1,      m_ui.txtPasswd2,
            m_ui.PNGBrowseStart,  m_ui.PNGDest,
            m_ui.txtStartFolder,  m_ui.txtDestinationFolder,
            m_ui.cmdOK,           m_ui.cmdClearJobs,
            m_ui.cmdCancel,       m_ui.rdoNow,
            m_ui.rdoSchedule,     m_ui.DTTime,
            m_ui.DTDate,          m_ui.BStartStop,
            m_ui.BAcquire};
}

void MainFormControls::setRunning(bool running)
{
    const QList<QWidget*> commands = runCommands();
    if (running) {
        m_enabledBeforeRun.clear();
        for (QWidget* command : commands) {
            m_enabledBeforeRun.append(command->isEnabled());
            command->setEnabled(false);
        }
        // The run's own button stops it.
        m_generateEnabled = m_ui.PNGCreatePDF->isEnabled();
        m_generateCaption = m_ui.PNGCreatePDF->text();
        m_generateToolTip = m_ui.PNGCreatePDF->toolTip();
        m_ui.PNGCreatePDF->setText(kStopCaption);
        m_ui.PNGCreatePDF->setToolTip(kStopToolTip);
        m_ui.PNGCreatePDF->setEnabled(true);
        return;
    }
    for (int i = 0; i < commands.size() && i < m_enabledBeforeRun.size(); ++i)
        commands.at(i)->setEnabled(m_enabledBeforeRun.at(i));
    m_ui.PNGCreatePDF->setText(m_generateCaption);
    m_ui.PNGCreatePDF->setToolTip(m_generateToolTip);
    m_ui.PNGCreatePDF->setEnabled(m_generateEnabled);
    m_generateBackAt = m_clock.now();
}

bool MainFormControls::generateJustBack() const
{
    if (!m_generateBackAt.isValid())
        return false;
    // A clock set back since then counts as no time gone by, never as a grace without end.
    const qint64 gone = m_generateBackAt.msecsTo(m_clock.now());
    return gone >= 0 && gone < kStopClickGrace.count();
}

void MainFormControls::repaintStatuses()
{
    m_ui.lstFileList->viewport()->repaint();
}

void MainFormControls::showRow(int row)
{
    if (QAbstractItemModel* model = m_ui.lstFileList->model())
        m_ui.lstFileList->scrollTo(model->index(row, 0));
}

void MainFormControls::showPicture(const QImage& picture)
{
    m_ui.Image3->setPicture(picture);
}

void MainFormControls::showPictureFile(const QString& path)
{
    m_ui.Image3->setPictureFile(path);
}

void MainFormControls::clearPicture()
{
    m_ui.Image3->clearPicture();
}

QString MainFormControls::startFolderText() const
{
    return m_ui.txtStartFolder->text();
}
QString MainFormControls::destinationFolderText() const
{
    return m_ui.txtDestinationFolder->text();
}
void MainFormControls::setStartFolderText(const QString& text)
{
    m_ui.txtStartFolder->setText(text);
}
void MainFormControls::setDestinationFolderText(const QString& text)
{
    m_ui.txtDestinationFolder->setText(text);
}

void MainFormControls::setStartStopCaption(const QString& caption)
{
    m_ui.BStartStop->setText(caption);
}
void MainFormControls::setDeviceCommandsEnabled(bool enabled)
{
    for (QWidget* command :
         {static_cast<QWidget*>(m_ui.BAcquire), static_cast<QWidget*>(m_ui.PNGRemove),
          static_cast<QWidget*>(m_ui.BRotateImage), static_cast<QWidget*>(m_ui.Sources)})
        command->setEnabled(enabled);
}
void MainFormControls::setPreviousEnabled(bool enabled)
{
    m_ui.BPrevImage->setEnabled(enabled);
}
void MainFormControls::setNextEnabled(bool enabled)
{
    m_ui.BNextImage->setEnabled(enabled);
}
void MainFormControls::setSources(const QStringList& names, int selected)
{
    const QSignalBlocker quiet(m_ui.Sources); // filling the list is no choice of the user's
    m_ui.Sources->clear();
    for (int i = 0; i < names.size(); ++i)
        m_ui.Sources->addItem(names.at(i), i);
    m_ui.Sources->setCurrentIndex(selected);
}
void MainFormControls::setProgress(int percent)
{
    m_ui.ProgressBar1->setValue(percent);
}

bool MainFormControls::runNowChosen() const
{
    return m_ui.rdoNow->isChecked();
}
QTime MainFormControls::scheduleTime() const
{
    return m_ui.DTTime->time();
}
QDate MainFormControls::scheduleDate() const
{
    return m_ui.DTDate->date();
}

void MainFormControls::setScheduleEnabled(bool enabled)
{
    m_ui.cmdOK->setEnabled(enabled);
}

void MainFormControls::setBulkProgress(const QString& text)
{
    m_ui.lblBulkProgress->setText(text);
}
