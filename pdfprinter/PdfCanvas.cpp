#include "pdfprinter/PdfCanvas.h"

#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QTextLayout>

namespace {
constexpr int kResolution = 72; // dots per inch: one device unit is one PDF point
constexpr int kDefaultFontPoints = 12;
constexpr QChar kMissing = u'\u25A1'; // WHITE SQUARE, which the faces have

QFont FontOf(TextFace face)
{
    const bool monospaced = face == TextFace::Monospaced;
    QFont font(
        monospaced
            ? QStringList{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")}
            : QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(monospaced ? QFont::Monospace : QFont::SansSerif);
    font.setFixedPitch(monospaced);
    font.setKerning(false);
    // Hinting would round advances to whole pixels of a 72-dpi device: 80 columns of 10-point
    // text would grow by a character's width. A PDF has no pixels to round to.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

PdfCanvas::PdfCanvas(const QString& fileName, const QString& creator)
    : m_file(fileName), m_writer(&m_file), m_font(FontOf(TextFace::Proportional)), m_metrics(m_font)
{
    m_writer.setResolution(kResolution);
    m_writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    m_writer.setCreator(creator);
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

void PdfCanvas::setTextFace(TextFace face)
{
    const int points = m_font.pointSize();
    const QFont font = FontOf(face);
    if (font.families() == m_font.families())
        return;
    m_font = font;
    m_font.setPointSize(points);
    applyFont();
}

double PdfCanvas::lineSpacing() const
{
    return m_metrics.lineSpacing();
}

// The metrics are the PDF device's (72 dpi), made once per font rather than once per call.
void PdfCanvas::applyFont()
{
    if (m_painter.isActive())
        m_painter.setFont(m_font);
    m_metrics = QFontMetricsF(m_font, &m_writer);
    m_ascii.fill(Glyph{});
    m_others.clear();
}

void PdfCanvas::drawText(double x, double y, const QString& text)
{
    const QString shown = drawable(text);
    // The painter takes the base direction from its own setting, not from the text.
    m_painter.setLayoutDirection(shown.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    m_painter.drawText(QPointF(x, y + m_metrics.ascent()), shown);
}

double PdfCanvas::textWidth(const QString& text) const
{
    const QList<uint> characters = text.toUcs4();
    if (characters.size() == 1)
        return glyph(characters[0]).advance;
    return m_metrics.horizontalAdvance(drawable(text));
}

// A character no installed face has would be shaped together with its neighbours in whatever
// face was tried last, and drawn as a black box that takes their glyphs too: it becomes a box
// of its own.
QString PdfCanvas::drawable(const QString& text) const
{
    QString shown;
    qsizetype copied = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text[i].unicode();
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        if (!glyph(character).drawable) {
            shown += QStringView(text).sliced(copied, i - copied);
            shown += kMissing;
            copied = i + length;
        }
        i += length - 1;
    }
    if (copied == 0)
        return text;
    shown += QStringView(text).sliced(copied);
    return shown;
}

const PdfCanvas::Glyph& PdfCanvas::glyph(char32_t character) const
{
    // Measuring shapes the text and looks for a face that has the character: do it once.
    if (character < m_ascii.size()) {
        Glyph& known = m_ascii[character];
        if (known.advance < 0)
            known = measure(character);
        return known;
    }
    const auto known = m_others.constFind(character);
    if (known != m_others.cend())
        return *known;
    return *m_others.insert(character, measure(character));
}

PdfCanvas::Glyph PdfCanvas::measure(char32_t character) const
{
    const QString text = QString::fromUcs4(&character, 1);
    QTextLayout layout(text, m_font, &m_writer);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 index : run.glyphIndexes()) {
            if (index == 0) // the face's "no such glyph"
                return Glyph{m_metrics.horizontalAdvance(kMissing), false};
        }
    }
    return Glyph{m_metrics.horizontalAdvance(text), true};
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
