#pragma once

#include "conversion/IPrinter.h"
#include "platform/pdfprinter/PlacedPicture.h"

#include <QFont>
#include <QList>
#include <QPainter>
#include <QPdfWriter>

// The canvas of one print job: A4 portrait pages at 72 dpi, so one device unit is one point.
// Text is painted into a PDF file; pictures are only recorded, for the printer to embed.
class PdfCanvas final : public IPrintCanvas
{
public:
    PdfCanvas(const QString& fileName, const QString& creator);
    ~PdfCanvas() override;

    bool isActive() const { return m_painter.isActive(); }
    // Ends the painting; the file then holds every page.
    bool finish();
    const QList<PlacedPicture>& pictures() const { return m_pictures; }

    QSizeF pageSize() const override;
    void setFontPointSize(int points) override;
    void drawText(double x, double y, const QString& text) override;
    double textWidth(const QString& text) const override;
    void drawPicture(const QRectF& target, const QString& sourceFile,
                     const QImage& decoded) override;
    void newPage() override;

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    QFont m_font;
    int m_page = 0;
    QList<PlacedPicture> m_pictures;
};
