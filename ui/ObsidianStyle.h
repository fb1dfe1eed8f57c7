#pragma once

#include <QProxyStyle>

// The pager's look, drawn rather than styled by a style sheet so that the pages keep inheriting
// the window's fonts: a dark strip with white tab captions below the pages, a light grey-blue
// page body with a vertical gradient. Set on the pager and its tab bar only.
class ObsidianStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Height of the tab row, the tab's painted body and the start margin of the first tab.
    static constexpr int kTabRowHeight = 25;
    static constexpr int kTabHeight = 21;
    static constexpr int kTabStartMargin = 4;

    ObsidianStyle();

    static QColor captionColour();
    static QColor stripColour(qreal position);

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

private:
    void drawTabShape(const QStyleOption* option, QPainter* painter) const;
    void drawTabLabel(const QStyleOption* option, QPainter* painter) const;
    void drawPane(const QStyleOption* option, QPainter* painter) const;
};
