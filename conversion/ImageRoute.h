#pragma once

#include "conversion/PictureCheck.h"
#include "conversion/PrintRoute.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <future>
#include <map>

class Clock;
class DocumentRenderer;
class IPrinter;
class PicturePreview;
class QImageReader;

// The picture route: the picture is loaded, shown in the preview and printed as one page.
class ImageRoute final : public PrintRoute
{
public:
    // JPEG and PNG files, which the printer embeds as they are, are checked by `check` first.
    // Windows metafiles (WMF, EMF) are drawn by `metafiles`, which lays them out as a PDF.
    ImageRoute(IPrinter& printer, PicturePreview& preview, Clock& clock, const PictureCheck& check,
               DocumentRenderer* metafiles = nullptr);

    // Loads the picture and prints it. A picture that cannot be loaded fails with the reason
    // (lastError()), and nothing of it is printed; a path that names no picture type is
    // unassociated.
    RouteResult print(const DocumentSource& document, const QString& title,
                      Progress& progress) override;

    // True when the path names a picture type; it is then loaded. A picture that cannot be
    // read, is damaged or has too many pixels is not loaded, and lastError() says why.
    bool LoadImageDocument(const DocumentSource& document);
    // Prints the loaded picture as one job. A picture larger than the page is scaled down to
    // fit, keeping its proportions; one that fits takes one device unit per pixel, top left.
    // Answers whether the printer saved the job; false without a job when the picture could
    // not be loaded.
    bool PrintLoadedImage(const QString& title, Progress& progress);

    // The picture will be loaded soon: its check starts now, on another core, and a metafile's
    // renderer may start laying it out.
    void prepare(const DocumentSource& document) override;
    // Checks started ahead and not used are dropped (the files may change before the next run).
    void forgetPrepared() override;

    // Clears the loaded picture and the preview, as after the last document of a run.
    void clearLoaded();

    static bool isMetafile(const QString& path);

    // Why the last picture could not be loaded; empty when it could.
    const QString& lastError() const { return m_lastError; }

    // Where a picture of this size lands on a page of this size.
    static QRectF placement(const QSize& picture, const QSizeF& page);

    // Decodes a picture with Qt. One over kMaxPicturePixels is refused before it is decoded;
    // Qt's own allocation limit stays in force. A null picture comes with the reason in `error`.
    static QImage decodeBounded(QImageReader& reader, QString& error);

    // The size the preview shows pictures at (the main form's Image3).
    static constexpr QSize kPreviewPanel{427, 405};

private:
    bool printMetafile(const QString& title, Progress& progress);
    // The picture's size, with the picture decoded where the printer needs it; the reason in
    // `error` when it is refused.
    QSize load(QImageReader& reader, QString& error);
    // The check of the picture at m_source: the one started ahead when the file is unchanged
    // since, else a check now.
    CheckedPicture checkSource();

    // A check started ahead, with the file as it was then.
    struct Ahead
    {
        std::future<CheckedPicture> check;
        qint64 size = 0;
        QDateTime modified;
    };

    IPrinter& m_printer;
    PicturePreview& m_preview;
    Clock& m_clock;
    const PictureCheck& m_check;
    DocumentRenderer* m_metafiles;
    bool m_metafile = false;
    QImage m_image;   // what Image2 holds; JPEG and PNG files the printer embeds are not decoded
    QSize m_size;     // the picture's size in pixels; empty when it could not be loaded
    QString m_source; // what is read
    QString m_shown;  // what is listed
    QString m_lastError;
    std::map<QString, Ahead> m_ahead;
};
