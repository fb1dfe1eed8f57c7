#include "ui/ImageButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

constexpr int kMargin = 4;
constexpr int kSpacing = 6;
constexpr qreal kFrameRadius = 3.0;

const QColor kHoverBorder(0x7d, 0xa2, 0xce);
const QColor kHoverTop(0xf3, 0xf8, 0xfe);
const QColor kHoverBottom(0xd6, 0xe7, 0xfb);
const QColor kDownBorder(0x4f, 0x78, 0xac);
const QColor kDownTop(0xbf, 0xd6, 0xf2);
const QColor kDownBottom(0xdc, 0xea, 0xfa);

QSize logicalSize(const QPixmap& picture)
{
    return picture.isNull() ? QSize() : picture.deviceIndependentSize().toSize();
}

} // namespace

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    // Like a speed button, a click does not take the focus from the edit being worked in.
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::setNormalPicture(const QPixmap& picture)
{
    m_normal = picture;
    updateGeometry();
    update();
}

void ImageButton::setHoverPicture(const QPixmap& picture)
{
    m_hover = picture;
    update();
}

void ImageButton::setDownPicture(const QPixmap& picture)
{
    m_down = picture;
    update();
}

void ImageButton::setPicturePlacement(PicturePlacement placement)
{
    m_placement = placement;
    updateGeometry();
    update();
}

void ImageButton::setFrameMode(FrameMode mode)
{
    m_frameMode = mode;
    update();
}

ImageButton::PictureState ImageButton::pictureState() const
{
    if (!isEnabled())
        return PictureState::Normal;
    if (isDown())
        return PictureState::Down;
    return m_hovered ? PictureState::Hovered : PictureState::Normal;
}

QPixmap ImageButton::currentPicture() const
{
    switch (pictureState()) {
    case PictureState::Down:
        return m_down.isNull() ? m_normal : m_down;
    case PictureState::Hovered:
        return m_hover.isNull() ? m_normal : m_hover;
    case PictureState::Normal:
        break;
    }
    return m_normal;
}

bool ImageButton::frameShown() const
{
    return m_frameMode == Flat && isEnabled() && (m_hovered || isDown());
}

QSize ImageButton::sizeHint() const
{
    const QSize picture = logicalSize(m_normal);
    const QSize caption =
        text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
    QSize content;
    if (m_placement == Left) {
        content.setWidth(picture.width() + caption.width() +
                         (picture.isEmpty() || caption.isEmpty() ? 0 : kSpacing));
        content.setHeight(qMax(picture.height(), caption.height()));
    } else {
        content.setWidth(qMax(picture.width(), caption.width()));
        content.setHeight(picture.height() + caption.height() +
                          (picture.isEmpty() || caption.isEmpty() ? 0 : kSpacing / 2));
    }
    return content.expandedTo(QSize(8, 8)) + QSize(2 * kMargin, 2 * kMargin);
}

QSize ImageButton::minimumSizeHint() const
{
    return logicalSize(m_normal).expandedTo(QSize(8, 8));
}

void ImageButton::enterEvent(QEnterEvent* event)
{
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event)
{
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void ImageButton::changeEvent(QEvent* event)
{
    // A hidden or disabled button gets no leave event, so it must not stay lit.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setHovered(false);
    QAbstractButton::changeEvent(event);
}

void ImageButton::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    update();
}

void ImageButton::paintFrame(QPainter& painter) const
{
    const bool down = isDown();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, down ? kDownTop : kHoverTop);
    fill.setColorAt(1.0, down ? kDownBottom : kHoverBottom);
    painter.setPen(down ? kDownBorder : kHoverBorder);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, kFrameRadius, kFrameRadius);
}

void ImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (frameShown())
        paintFrame(painter);

    QPixmap picture = currentPicture();
    if (!isEnabled() && !picture.isNull()) {
        QStyleOption option;
        option.initFrom(this);
        picture = style()->generatedIconPixmap(QIcon::Disabled, picture, &option);
    }
    const QSize pictureSize = logicalSize(picture);
    const bool hasCaption = !text().isEmpty();
    const QSize captionSize =
        hasCaption ? fontMetrics().size(Qt::TextShowMnemonic, text()) : QSize();
    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);

    QRect pictureRect;
    QRect captionRect;
    if (m_placement == Left) {
        const int spacing = pictureSize.isEmpty() || !hasCaption ? 0 : kSpacing;
        const int width = qMin(inner.width(), pictureSize.width() + spacing + captionSize.width());
        const int left = inner.left() + (inner.width() - width) / 2;
        pictureRect = QRect(QPoint(left, inner.top() + (inner.height() - pictureSize.height()) / 2),
                            pictureSize);
        captionRect =
            QRect(left + pictureSize.width() + spacing, inner.top(),
                  inner.right() - (left + pictureSize.width() + spacing) + 1, inner.height());
    } else {
        const int spacing = pictureSize.isEmpty() || !hasCaption ? 0 : kSpacing / 2;
        const int height = pictureSize.height() + spacing + captionSize.height();
        const int top = rect().top() + qMax(0, (rect().height() - height) / 2);
        pictureRect = QRect(QPoint(rect().left() + (rect().width() - pictureSize.width()) / 2, top),
                            pictureSize);
        captionRect = QRect(inner.left(), top + pictureSize.height() + spacing, inner.width(),
                            captionSize.height());
    }

    if (!picture.isNull())
        painter.drawPixmap(pictureRect, picture);
    if (hasCaption) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        const Qt::Alignment align = m_placement == Left ? Qt::AlignLeft | Qt::AlignVCenter
                                                        : Qt::AlignHCenter | Qt::AlignTop;
        painter.drawText(captionRect, int(align) | Qt::TextShowMnemonic, text());
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
