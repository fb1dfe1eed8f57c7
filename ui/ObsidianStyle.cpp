#include "ui/ObsidianStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>

namespace {

const QColor kPaneTop(0xf1, 0xf4, 0xf9);
const QColor kPaneMiddle(0xe1, 0xe8, 0xf1);
const QColor kPaneBottom(0xc8, 0xd4, 0xe3);
const QColor kPaneBorder(0x23, 0x26, 0x2c);
const QColor kPaneTopBorder(0x3a, 0x3e, 0x46);
const QColor kStripTop(0x4b, 0x4f, 0x57);
const QColor kStripBottom(0x23, 0x25, 0x2a);
const QColor kTabTop(0x3c, 0x3f, 0x46);
const QColor kTabBottom(0x2a, 0x2c, 0x31);
const QColor kTabHoverTop(0x5d, 0x62, 0x6c);
const QColor kTabHoverBottom(0x41, 0x44, 0x4b);
const QColor kTabSelectedTop(0x8f, 0xa6, 0xc4);
const QColor kTabSelectedMiddle(0x5f, 0x7a, 0x9e);
const QColor kTabSelectedBottom(0x4a, 0x63, 0x89);
const QColor kTabBorder(0x14, 0x15, 0x18);

constexpr int kTabPadding = 12;
constexpr qreal kTabRadius = 3.0;

} // namespace

ObsidianStyle::ObsidianStyle() = default;

QColor ObsidianStyle::captionColour()
{
    return Qt::white;
}

QColor ObsidianStyle::stripColour(qreal position)
{
    const auto mix = [position](int from, int to) { return int(from + (to - from) * position); };
    return QColor(mix(kStripTop.red(), kStripBottom.red()),
                  mix(kStripTop.green(), kStripBottom.green()),
                  mix(kStripTop.blue(), kStripBottom.blue()));
}

QRect ObsidianStyle::subElementRect(SubElement element, const QStyleOption* option,
                                    const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option);
    if (!frame)
        return QProxyStyle::subElementRect(element, option, widget);
    // Tabs in one row along the bottom edge; the pane above them with a border of 2 at the top
    // and 1 elsewhere.
    const QRect all = frame->rect;
    const QRect pane(all.left(), all.top(), all.width(), all.height() - kTabRowHeight);
    switch (element) {
    case SE_TabWidgetTabPane:
        return pane;
    case SE_TabWidgetTabContents:
        return pane.adjusted(1, 2, -1, -1);
    case SE_TabWidgetTabBar:
        return QRect(all.left() + kTabStartMargin, pane.bottom() + 1,
                     qMin(frame->tabBarSize.width(), all.width() - kTabStartMargin), kTabRowHeight);
    case SE_TabWidgetLeftCorner:
    case SE_TabWidgetRightCorner:
        return {};
    default:
        return QProxyStyle::subElementRect(element, option, widget);
    }
}

QSize ObsidianStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                      const QSize& size, const QWidget* widget) const
{
    if (type != CT_TabBarTab)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    const int text =
        tab && widget ? widget->fontMetrics().horizontalAdvance(tab->text) : size.width();
    return QSize(text + 2 * kTabPadding + 1, kTabRowHeight);
}

int ObsidianStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const
{
    switch (metric) {
    case PM_TabBarTabShiftVertical:
    case PM_TabBarTabShiftHorizontal:
    case PM_TabBarBaseOverlap:
    case PM_TabBarBaseHeight:
    case PM_TabBarTabOverlap:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int ObsidianStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    if (hint == SH_TabBar_Alignment)
        return Qt::AlignLeft;
    if (hint == SH_TabBar_PreferNoArrows)
        return true;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void ObsidianStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_FrameTabWidget:
        drawPane(option, painter);
        return;
    case PE_FrameTabBarBase:
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void ObsidianStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case CE_TabBarTabShape:
        drawTabShape(option, painter);
        return;
    case CE_TabBarTabLabel:
        drawTabLabel(option, painter);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void ObsidianStyle::drawPane(const QStyleOption* option, QPainter* painter) const
{
    const QRect pane = option->rect;
    painter->save();
    QLinearGradient body(pane.topLeft(), pane.bottomLeft());
    body.setColorAt(0.0, kPaneTop);
    body.setColorAt(0.45, kPaneMiddle);
    body.setColorAt(1.0, kPaneBottom);
    painter->fillRect(pane, body);
    painter->setPen(kPaneBorder);
    painter->drawLine(pane.topLeft(), pane.bottomLeft());
    painter->drawLine(pane.topRight(), pane.bottomRight());
    painter->drawLine(pane.bottomLeft(), pane.bottomRight());
    painter->setPen(kPaneTopBorder);
    painter->drawLine(pane.left(), pane.top(), pane.right(), pane.top());
    painter->drawLine(pane.left(), pane.top() + 1, pane.right(), pane.top() + 1);
    painter->restore();
}

void ObsidianStyle::drawTabShape(const QStyleOption* option, QPainter* painter) const
{
    const bool selected = option->state & State_Selected;
    const bool hovered = (option->state & State_MouseOver) && (option->state & State_Enabled);
    // The tab hangs from the pane: square at the top, rounded below, one pixel apart.
    const QRectF body =
        QRectF(option->rect.left(), option->rect.top(), option->rect.width() - 1, kTabHeight)
            .adjusted(0.5, -0.5, -0.5, -0.5);
    QPainterPath path;
    path.moveTo(body.topLeft());
    path.lineTo(body.left(), body.bottom() - kTabRadius);
    path.quadTo(body.bottomLeft(), QPointF(body.left() + kTabRadius, body.bottom()));
    path.lineTo(body.right() - kTabRadius, body.bottom());
    path.quadTo(body.bottomRight(), QPointF(body.right(), body.bottom() - kTabRadius));
    path.lineTo(body.topRight());

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    if (selected) {
        fill.setColorAt(0.0, kTabSelectedTop);
        fill.setColorAt(0.5, kTabSelectedMiddle);
        fill.setColorAt(1.0, kTabSelectedBottom);
    } else {
        fill.setColorAt(0.0, hovered ? kTabHoverTop : kTabTop);
        fill.setColorAt(1.0, hovered ? kTabHoverBottom : kTabBottom);
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(kTabBorder);
    painter->setBrush(fill);
    painter->drawPath(path);
    painter->restore();
}

void ObsidianStyle::drawTabLabel(const QStyleOption* option, QPainter* painter) const
{
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    if (!tab)
        return;
    const QRect body(option->rect.left(), option->rect.top(), option->rect.width() - 1, kTabHeight);
    painter->save();
    painter->setPen(option->state & State_Enabled ? captionColour() : QColor(0x9a, 0x9e, 0xa6));
    // No shortcut hints: an ampersand never shows as an underlined letter.
    painter->drawText(body, Qt::AlignCenter | Qt::TextHideMnemonic, tab->text);
    painter->restore();
}
