#pragma once

#include "conversion/DocumentRenderer.h"
#include "conversion/RouteTable.h"

class EncodingDetector;
class IPrintCanvas;
class IPrinter;
class PictureCheck;
class QImageReader;
class QMimeType;

// The shell's "print" verb: each document goes to the application that prints what it is, told
// by its bytes. Pictures Qt reads are drawn on the canvas, a page for each page of a TIFF;
// drawings (SVG, under any name) go to the confined renderer of `drawings`, never to Qt's own;
// what the office renderer imports, by name or content, is laid out by it; other text (Markdown,
// XML types, program sources) is printed as plain text; any other type has no handler, like an
// unassociated type.
class PrintHandlerTable final : public PrintRoute
{
public:
    // Whether the office lays out the document of this name or content type.
    using Imports = RouteTable::OfficeImports;

    // `pictures` checks the JPEG and PNG files the printer embeds as they are; `encodings`, when
    // given, names the encoding of a text document that does not say it itself.
    PrintHandlerTable(IPrinter& printer, DocumentRenderer& office, Imports officeImports,
                      const PictureCheck& pictures, DocumentRenderer* drawings = nullptr,
                      const EncodingDetector* encodings = nullptr);

    // Fails when a handler took the document but could not lay it out, or the PDF printer could
    // not save what it laid out; unassociated when no handler prints the document's type.
    RouteResult print(const DocumentSource& document, const QString& title,
                      Progress& progress) override;
    // The office may start laying the document out now, when it is one of the office's.
    void prepare(const DocumentSource& document) override;
    void forgetPrepared() override;

    // A multi-page picture is printed up to this many pages, holding no more than this many bytes
    // of decoded pictures until the printer saves them (a few hundred A4 pages at 300 dpi).
    static constexpr int kMaxPicturePages = 5000;
    static constexpr qint64 kMaxPictureBytes = qint64(2) << 30;

private:
    // Answers whether a handler printed the document. Throws RenderError when a handler took the
    // document but could not lay it out, and JobNotSaved when the PDF printer could not save
    // what it laid out.
    bool printByContent(const DocumentSource& document, const QString& title, Progress& progress);
    // Pictures over the pixel bound are refused before they are decoded. Throws RenderError
    // when the picture cannot be read or no job can start, JobNotSaved as print().
    void printPicture(QImageReader& reader, const DocumentSource& document, const QString& title,
                      Progress& progress);
    void printFurtherPages(QImageReader& reader, IPrintCanvas& canvas, int pages, qint64 heldBytes,
                           Progress& progress);
    static RenderError pictureError(const DocumentSource& document, const QString& reason);
    bool renderDrawing(const DocumentSource& document, const QString& title, Progress& progress);
    void printText(const DocumentSource& document, const QString& title, Progress& progress);
    void renderAndPrint(DocumentRenderer& renderer, const DocumentSource& document,
                        const QString& title, Progress& progress);

    IPrinter& m_printer;
    DocumentRenderer& m_office;
    Imports m_officeImports;
    const PictureCheck& m_pictures;
    DocumentRenderer* m_drawings;
    const EncodingDetector* m_encodings; // names the encoding of a text that does not say it
};
