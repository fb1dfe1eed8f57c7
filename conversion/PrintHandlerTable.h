#pragma once

#include "conversion/DocumentRenderer.h"

#include <functional>

class IPrinter;
class PictureCheck;
class QImageReader;

// The shell's "print" verb: each document goes to the application that prints what it is, told
// by its bytes. Pictures Qt reads are drawn on the canvas; drawings (SVG, under any name) go to
// the confined renderer of `drawings`, never to Qt's own; the formats the office renderer
// imports are laid out by it; any other type has no handler, like an unassociated type
// (result 31).
class PrintHandlerTable final : public PrintHandlers
{
public:
    using Imports = std::function<bool(const QString& path)>;

    // `pictures` checks the JPEG and PNG files the printer embeds as they are.
    PrintHandlerTable(IPrinter& printer, DocumentRenderer& office, Imports officeImports,
                      const PictureCheck& pictures, DocumentRenderer* drawings = nullptr);

    // Throws RenderError when a handler took the document but could not lay it out, and
    // JobNotSaved when the PDF printer could not save what it laid out.
    int print(const DocumentSource& document, const QString& title) override;

    static constexpr int kNoAssociation = 31;
    static constexpr int kStarted = 42;

private:
    // Pictures over the pixel bound are refused before they are decoded. Throws RenderError
    // when the picture cannot be read or no job can start, JobNotSaved as print().
    void printPicture(QImageReader& reader, const DocumentSource& document, const QString& title);
    void renderAndPrint(DocumentRenderer& renderer, const DocumentSource& document,
                        const QString& title);

    IPrinter& m_printer;
    DocumentRenderer& m_office;
    Imports m_officeImports;
    const PictureCheck& m_pictures;
    DocumentRenderer* m_drawings;
};
