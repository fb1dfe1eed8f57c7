#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <stdexcept>

class Progress;
class QImage;

// The typefaces text is drawn in. A character the face lacks is drawn from an installed face
// that has it.
enum class TextFace
{
    Proportional,
    Monospaced,
};

// The drawing surface of one print job. One device unit is one PDF point (1/72 inch);
// the origin is the top left corner of the page.
class IPrintCanvas
{
public:
    virtual ~IPrintCanvas() = default;

    virtual QSizeF pageSize() const = 0;
    virtual void setFontPointSize(int points) = 0;
    virtual void setTextFace(TextFace face) = 0;
    // From one line of text to the next in the current font, in device units.
    virtual double lineSpacing() const = 0;
    // Draws one line of text whose top left corner is at (x, y), shaped as a whole; a line whose
    // first strong character is right-to-left runs right to left. A character no installed face
    // has is drawn as an empty box and leaves its neighbours as they are.
    virtual void drawText(double x, double y, const QString& text) = 0;
    // How wide `text` is drawn in the current font, in device units.
    virtual double textWidth(const QString& text) const = 0;
    // Draws a picture file into target. The printer embeds JPEG and PNG files as they are
    // (no decoding and re-encoding); `decoded` is what it draws for any other format, and may be
    // left null for a file Qt reads, which the printer then decodes itself.
    virtual void drawPicture(const QRectF& target, const QString& sourceFile,
                             const QImage& decoded) = 0;
    virtual void newPage() = 0;
};

// A job the PDF printer could not save. The printer has already told the user (its error
// message reaches the main window), so whoever catches this only fails the document.
class JobNotSaved : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The system's default printer as the printing routes see it: while a run is going on it is
// the PDF printer, which writes every job as one PDF under the active profile's options.
class IPrinter
{
public:
    virtual ~IPrinter() = default;

    // Starts a job drawn on a canvas. The canvas lives until endDocument()/abortDocument().
    // Answers nullptr when no job can be started.
    virtual IPrintCanvas* beginDocument(const QString& title) = 0;
    // Ends the job: the PDF is written, reporting to `progress` meanwhile. False when it could
    // not be written; throws RunStopped when the user stops the run while it is written.
    virtual bool endDocument(Progress& progress) = 0;
    // Drops the job: nothing is written.
    virtual void abortDocument() = 0;
    // A job that a renderer has already laid out as a PDF file; written as endDocument() writes.
    virtual bool printRenderedPdf(const QString& title, const QString& pdfFile,
                                  Progress& progress) = 0;
    // The PDF file the last job wrote; empty when it wrote none.
    virtual QString savedFile() const = 0;
    // Why the last job wrote nothing: the file and the reason; empty when it was saved.
    virtual QString lastFailure() const = 0;
};
