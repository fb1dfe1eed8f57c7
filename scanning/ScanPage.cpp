#include "scanning/ScanPage.h"

#include "common/Dialogs.h"
#include "conversion/PicturePreview.h"
#include "doclist/DocumentList.h"
#include "doclist/GeneratePage.h"
#include "scanning/ScanControl.h"
#include "scanning/ScannedPageFiles.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace {

constexpr int kJpegQuality = 90;

// Writes the page as a baseline JPEG; it appears under its name only once complete.
QString writePage(const QImage& page, const QString& path)
{
    if (page.isNull())
        return QStringLiteral("the scanner handed over no picture");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kJpegQuality);
    writer.setProgressiveScanWrite(false);
    writer.setOptimizedWrite(false);
    if (!writer.write(page)) {
        file.cancelWriting();
        return writer.errorString();
    }
    return file.commit() ? QString() : file.errorString();
}

} // namespace

ScanPage::ScanPage(TScanControl& control, DocumentList& list, ScanPageControls& controls,
                   PicturePreview& preview, GeneratePage& generatePage, Dialogs& dialogs,
                   ScannedPageFiles& pageFiles)
    : m_control(control), m_list(list), m_controls(controls), m_preview(preview),
      m_generatePage(generatePage), m_dialogs(dialogs), m_pageFiles(pageFiles)
{
    connect(&m_control, &TScanControl::OnPostScan, this, &ScanPage::ScanControl1PostScan);
    connect(&m_control, &TScanControl::OnProgress, this, &ScanPage::ScanControl1Progress);
}

void ScanPage::BStartStopClick()
{
    m_preview.clearPicture();
    if (m_deviceStarted) {
        m_deviceStarted = false;
        m_control.StopDevice();
        m_controls.setSources({}, -1);
        m_controls.setStartStopCaption(kStartDeviceCaption);
    } else {
        // Whatever opening the scanner answered, the page is open; a scanner that is not there
        // lists no source and its Scan says why.
        m_control.StartDevice();
        m_deviceStarted = true;
        QStringList names;
        for (int i = 0; i < m_control.sourceCount(); ++i)
            names.append(m_control.GetSourceName(i));
        m_controls.setSources(names, m_control.sourceIndex());
        m_controls.setStartStopCaption(kStopDeviceCaption);
    }
    m_controls.setDeviceCommandsEnabled(m_deviceStarted);
    m_controls.setPreviousEnabled(false);
    m_controls.setNextEnabled(false);
}

void ScanPage::BAcquireClick()
{
    m_control.setTransferMode(1);
    // A scan that cannot even start (no scanner open, one already running) delivers nothing:
    // the user is told why at once.
    if (m_control.Acquire() != 0)
        m_dialogs.message(m_control.lastErrorText());
}

void ScanPage::SourcesChange(int index)
{
    if (index >= 0)
        m_control.setSourceIndex(index);
}

void ScanPage::ScanControl1PostScan(int flag)
{
    if (flag == 0) {
        pageArrived();
        return;
    }
    if (m_control.lastErrorCode() != 0)
        m_dialogs.message(m_control.lastErrorText());
}

void ScanPage::pageArrived()
{
    const int count = m_control.imageCount();
    m_currentImageIndex = count - 1;
    m_preview.clearPicture();

    QString error;
    const QString path = m_pageFiles.claim(count, &error);
    if (!path.isEmpty())
        error = writePage(m_control.GetAcquiredImage(), path);
    if (error.isEmpty()) {
        m_preview.showPictureFile(path); // the page as stored
        m_list.FillGrid(QFileInfo(path).fileName(), path);
        m_generatePage.setCombineEnabled(m_list.DocumentCount() >= 2);
    } else {
        m_pageFiles.release(path);
        m_dialogs.message(QStringLiteral("Error scanning current image. ") + error);
    }
    if (m_currentImageIndex > 0)
        m_controls.setPreviousEnabled(true);
}

void ScanPage::ScanControl1Progress(int, int percentComplete, int, bool*)
{
    m_controls.setProgress(percentComplete);
}

void ScanPage::showImage(int index)
{
    m_preview.showPicture(m_control.GetImage(index));
}

void ScanPage::BPrevImageClick()
{
    const int count = m_control.imageCount();
    if (m_currentImageIndex <= 0 || m_currentImageIndex > count - 1)
        return;
    --m_currentImageIndex;
    showImage(m_currentImageIndex);
    if (m_currentImageIndex == 0)
        m_controls.setPreviousEnabled(false);
    if (m_currentImageIndex < count - 1)
        m_controls.setNextEnabled(true);
}

void ScanPage::BNextImageClick()
{
    const int count = m_control.imageCount();
    if (m_currentImageIndex >= count - 1)
        return;
    ++m_currentImageIndex;
    showImage(m_currentImageIndex);
    if (m_currentImageIndex == count - 1)
        m_controls.setNextEnabled(false);
    m_controls.setPreviousEnabled(true);
}

void ScanPage::BRotateImageClick()
{
    if (m_control.RotateImage(m_currentImageIndex, 90.0f, 0))
        showImage(m_currentImageIndex);
    else
        m_dialogs.message(m_control.lastErrorText());
}
