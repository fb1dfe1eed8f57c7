#include "ui/SkinProgressBar.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kGrooveTop(0xf4, 0xf4, 0xf4);
const QColor kGrooveBottom(0xd9, 0xdc, 0xe1);
const QColor kGrooveBorder(0x8e, 0x95, 0xa0);
const QColor kChunkTop(0x9c, 0xc8, 0xf5);
const QColor kChunkMiddle(0x3b, 0x8a, 0xe0);
const QColor kChunkBottom(0x6d, 0xb3, 0xf7);
const QColor kCaption(0x1b, 0x23, 0x30);

} // namespace

SkinProgressBar::SkinProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setOrientation(Qt::Horizontal);
    setTextVisible(true);
    setFormat(QStringLiteral("%p%"));
    setAlignment(Qt::AlignCenter);
}

double SkinProgressBar::filledFraction() const
{
    const double span = double(maximum()) - double(minimum());
    if (span <= 0)
        return value() >= maximum() ? 1.0 : 0.0;
    return qBound(0.0, (double(value()) - double(minimum())) / span, 1.0);
}

void SkinProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF groove = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin<qreal>(groove.height() / 2.0, 6.0);

    QLinearGradient grooveFill(groove.topLeft(), groove.bottomLeft());
    grooveFill.setColorAt(0.0, kGrooveTop);
    grooveFill.setColorAt(1.0, kGrooveBottom);
    painter.setPen(kGrooveBorder);
    painter.setBrush(grooveFill);
    painter.drawRoundedRect(groove, radius, radius);

    const double fraction = filledFraction();
    if (fraction > 0.0) {
        QRectF chunk = groove.adjusted(1.5, 1.5, -1.5, -1.5);
        chunk.setWidth(chunk.width() * fraction);
        QPainterPath clip;
        clip.addRoundedRect(groove.adjusted(1.0, 1.0, -1.0, -1.0), radius - 1.0, radius - 1.0);
        painter.save();
        painter.setClipPath(clip);
        QLinearGradient chunkFill(chunk.topLeft(), chunk.bottomLeft());
        chunkFill.setColorAt(0.0, kChunkTop);
        chunkFill.setColorAt(0.5, kChunkMiddle);
        chunkFill.setColorAt(1.0, kChunkBottom);
        painter.setPen(Qt::NoPen);
        painter.setBrush(chunkFill);
        painter.drawRect(chunk);
        // The gloss: a pale band over the upper half.
        QRectF gloss = chunk;
        gloss.setHeight(chunk.height() * 0.45);
        painter.setBrush(QColor(255, 255, 255, 70));
        painter.drawRect(gloss);
        painter.restore();
    }

    if (isTextVisible()) {
        painter.setPen(isEnabled() ? kCaption
                                   : palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}
