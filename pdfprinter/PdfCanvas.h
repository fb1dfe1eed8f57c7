#pragma once

#include "conversion/IPrinter.h"
#include "pdfprinter/PlacedPicture.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QPdfWriter>
#include <array>

// The canvas of one print job: A4 portrait pages at 72 dpi, so one device unit is one point.
// Text is painted into a PDF file without kerning and shaped a line at a time; one character's
// width is measured once per font and kept. Pictures are only recorded, for the printer to embed.
class PdfCanvas final : public IPrintCanvas
{
public:
    PdfCanvas(const QString& fileName, const QString& creator);
    ~PdfCanvas() override;

    bool isActive() const { return m_painter.isActive(); }
    // Ends the painting; the file then holds every page. False when it could not be written.
    bool finish();
    const QList<PlacedPicture>& pictures() const { return m_pictures; }

    QSizeF pageSize() const override;
    void setFontPointSize(int points) override;
    void setTextFace(TextFace face) override;
    double lineSpacing() const override;
    void drawText(double x, double y, const QString& text) override;
    double textWidth(const QString& text) const override;
    void drawPicture(const QRectF& target, const QString& sourceFile,
                     const QImage& decoded) override;
    void newPage() override;

private:
    // What the canvas knows of one character in the current font.
    struct Glyph
    {
        qreal advance = -1; // negative: not measured yet
        bool drawable = true;
    };

    void applyFont();
    const Glyph& glyph(char32_t character) const;
    Glyph measure(char32_t character) const;
    QString drawable(const QString& text) const;

    QFile m_file; // the writer's device, so a failed write (a full disk) shows
    QPdfWriter m_writer;
    QPainter m_painter;
    QFont m_font;
    QFontMetricsF m_metrics;
    mutable std::array<Glyph, 128> m_ascii;
    mutable QHash<char32_t, Glyph> m_others;
    int m_page = 0;
    QList<PlacedPicture> m_pictures;
};
