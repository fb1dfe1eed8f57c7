#include "platform/pdfprinter/PdfCanvas.h"

#include <QPageLayout>
#include <QPageSize>

namespace {
constexpr int kResolution = 72; // dots per inch: one device unit is one PDF point
constexpr int kDefaultFontPoints = 12;
} // namespace

PdfCanvas::PdfCanvas(const QString& fileName, const QString& creator)
    : m_file(fileName), m_writer(&m_file),
      m_font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}),
      m_metrics(m_font)
{
    m_writer.setResolution(kResolution);
    m_writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    m_writer.setCreator(creator);
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setKerning(false);
    m_font.setPointSize(kDefaultFontPoints);
    if (m_file.open(QIODevice::WriteOnly))
        m_painter.begin(&m_writer);
    applyFont();
}

PdfCanvas::~PdfCanvas()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PdfCanvas::finish()
{
    const bool ended = m_painter.isActive() && m_painter.end();
    return ended && m_file.flush() && m_file.error() == QFileDevice::NoError;
}

QSizeF PdfCanvas::pageSize() const
{
    return QSizeF(m_writer.width(), m_writer.height());
}

void PdfCanvas::setFontPointSize(int points)
{
    if (points <= 0 || points == m_font.pointSize())
        return;
    m_font.setPointSize(points);
    applyFont();
}

// The metrics are the PDF device's (72 dpi), made once per font rather than once per call.
void PdfCanvas::applyFont()
{
    if (m_painter.isActive())
        m_painter.setFont(m_font);
    m_metrics = QFontMetricsF(m_font, &m_writer);
    m_asciiAdvances.fill(-1);
    m_advances.clear();
}

void PdfCanvas::drawText(double x, double y, const QString& text)
{
    m_painter.drawText(QPointF(x, y + m_metrics.ascent()), text);
}

double PdfCanvas::textWidth(const QString& text) const
{
    qreal width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        width += advance(character);
    }
    return width;
}

qreal PdfCanvas::advance(char32_t character) const
{
    // Measuring shapes the text and looks for a font that has the character: do it once.
    if (character < m_asciiAdvances.size()) {
        qreal& width = m_asciiAdvances[character];
        if (width < 0)
            width = m_metrics.horizontalAdvance(QString(QChar(char16_t(character))));
        return width;
    }
    const auto known = m_advances.constFind(character);
    if (known != m_advances.cend())
        return *known;
    return *m_advances.insert(character,
                              m_metrics.horizontalAdvance(QString::fromUcs4(&character, 1)));
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
