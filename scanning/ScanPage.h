#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class Dialogs;
class DocumentList;
class GeneratePage;
class PicturePreview;
class ScannedPageFiles;
class TScanControl;

inline const QString kStartDeviceCaption = QStringLiteral("Start Device");
inline const QString kStopDeviceCaption = QStringLiteral("Stop Device");

// The Bulk Scan page's own controls, as the scanning logic sees them.
class ScanPageControls
{
public:
    virtual ~ScanPageControls() = default;

    virtual void setStartStopCaption(const QString& caption) = 0; // BStartStop
    // "Scan", "Delete", "Rotate" and the source list, which follow whether the device is open.
    virtual void setDeviceCommandsEnabled(bool enabled) = 0;
    virtual void setPreviousEnabled(bool enabled) = 0; // BPrevImage
    virtual void setNextEnabled(bool enabled) = 0;     // BNextImage
    // Fills the source list (empty: empties it) and selects `selected`.
    virtual void setSources(const QStringList& names, int selected) = 0;
    virtual void setProgress(int percent) = 0; // ProgressBar1
};

// The Bulk Scan page: opening the scanner, scanning pages into the document list as JPEG files,
// and stepping through and rotating the scanned pages in the preview.
class ScanPage : public QObject
{
    Q_OBJECT

public:
    ScanPage(TScanControl& control, DocumentList& list, ScanPageControls& controls,
             PicturePreview& preview, GeneratePage& generatePage, Dialogs& dialogs,
             ScannedPageFiles& pageFiles);

    bool deviceStarted() const { return m_deviceStarted; }
    int currentImageIndex() const { return m_currentImageIndex; }

public slots:
    void BStartStopClick();
    void BAcquireClick();
    void SourcesChange(int index);
    void ScanControl1PostScan(int flag);
    void ScanControl1Progress(int action, int percentComplete, int canInterrupt, bool* interrupt);
    void BPrevImageClick();
    void BNextImageClick();
    void BRotateImageClick();

private:
    void pageArrived();
    void showImage(int index);

    TScanControl& m_control;
    DocumentList& m_list;
    ScanPageControls& m_controls;
    PicturePreview& m_preview;
    GeneratePage& m_generatePage;
    Dialogs& m_dialogs;
    ScannedPageFiles& m_pageFiles;
    bool m_deviceStarted = false;
    int m_currentImageIndex = 0;
};
