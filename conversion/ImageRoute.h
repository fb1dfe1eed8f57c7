#pragma once

#include <QImage>
#include <QString>

class Clock;
class Dialogs;
class DocumentRenderer;
class IPrinter;
class PicturePreview;

// The picture route: the picture is loaded, shown in the preview and printed as one page.
class ImageRoute
{
public:
    // Windows metafiles (WMF, EMF) are drawn by `metafiles`, which lays them out as a PDF.
    ImageRoute(IPrinter& printer, PicturePreview& preview, Dialogs& dialogs, Clock& clock,
               DocumentRenderer* metafiles = nullptr);

    // True when the path names a picture type; it is then loaded (a picture that cannot be read
    // is reported and prints as an empty page).
    bool LoadImageDocument(const QString& path);
    // Prints the loaded picture as one job. A picture larger than the page is scaled down to
    // fit, keeping its proportions; one that fits takes one device unit per pixel, top left.
    // Answers whether the printer saved the job.
    bool PrintLoadedImage(const QString& title);

    // Clears the loaded picture and the preview, as after the last document of a run.
    void clearLoaded();

    static bool isMetafile(const QString& path);

    // Where a picture of this size lands on a page of this size.
    static QRectF placement(const QSize& picture, const QSizeF& page);

private:
    bool printMetafile(const QString& title);
    void reportLoadError(const QString& error);

    IPrinter& m_printer;
    PicturePreview& m_preview;
    Dialogs& m_dialogs;
    Clock& m_clock;
    DocumentRenderer* m_metafiles;
    bool m_metafile = false;
    QImage m_image; // what Image2 holds; JPEG and PNG files are not decoded for printing
    QSize m_size;   // the picture's size in pixels; empty when it could not be loaded
    QString m_source;
};
