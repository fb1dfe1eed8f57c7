#include "platform/pdfprinter/PdfCanvas.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>

namespace {
constexpr int kResolution = 72; // dots per inch: one device unit is one PDF point
constexpr int kDefaultFontPoints = 12;
} // namespace

PdfCanvas::PdfCanvas(const QString& fileName, const QString& creator)
    : m_writer(fileName),
      m_font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")})
{
    m_writer.setResolution(kResolution);
    m_writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    m_writer.setCreator(creator);
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPointSize(kDefaultFontPoints);
    if (m_painter.begin(&m_writer))
        m_painter.setFont(m_font);
}

PdfCanvas::~PdfCanvas()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PdfCanvas::finish()
{
    return m_painter.isActive() && m_painter.end();
}

QSizeF PdfCanvas::pageSize() const
{
    return QSizeF(m_writer.width(), m_writer.height());
}

void PdfCanvas::setFontPointSize(int points)
{
    if (points <= 0)
        return;
    m_font.setPointSize(points);
    m_painter.setFont(m_font);
}

void PdfCanvas::drawText(double x, double y, const QString& text)
{
    const QFontMetricsF metrics(m_font, &m_writer);
    m_painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

double PdfCanvas::textWidth(const QString& text) const
{
    return QFontMetricsF(m_font, &m_writer).horizontalAdvance(text);
}

void PdfCanvas::drawPicture(const QRectF& target, const QString& sourceFile, const QImage& decoded)
{
    m_pictures.append(PlacedPicture{m_page, target, sourceFile, decoded});
}

void PdfCanvas::newPage()
{
    if (m_writer.newPage())
        ++m_page;
}
