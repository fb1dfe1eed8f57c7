#include "ui/OfficePager.h"

#include "ui/ObsidianStyle.h"

#include <QPainter>
#include <QTabBar>

OfficePager::OfficePager(QWidget* parent)
    : QTabWidget(parent), m_style(std::make_unique<ObsidianStyle>())
{
    static_assert(kTabStartMargin == ObsidianStyle::kTabStartMargin);
    // The style is set on the pager and its tab bar only; the pages keep the window's style.
    setStyle(m_style.get());
    tabBar()->setStyle(m_style.get());
    tabBar()->setAttribute(Qt::WA_Hover);
    setTabPosition(QTabWidget::South);
    setMovable(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setDocumentMode(false);
    QFont tabFont(tabFontFamily(), kTabFontPointSize);
    tabFont.setStyleHint(QFont::SansSerif);
    tabBar()->setFont(tabFont);
    tabBar()->setExpanding(false);
    tabBar()->setDrawBase(false);
}

OfficePager::~OfficePager()
{
    // The widgets let go of the style before it goes.
    tabBar()->setStyle(nullptr);
    setStyle(nullptr);
}

QString OfficePager::tabFontFamily()
{
    return QStringLiteral("Tahoma");
}

void OfficePager::paintEvent(QPaintEvent* event)
{
    // The strip under the tabs belongs to the pager: the tab bar covers only its tabs.
    QPainter painter(this);
    const int top = tabBar()->geometry().top();
    const QRect strip(0, top, width(), height() - top);
    QLinearGradient fill(strip.topLeft(), strip.bottomLeft());
    fill.setColorAt(0.0, ObsidianStyle::stripColour(0.0));
    fill.setColorAt(1.0, ObsidianStyle::stripColour(1.0));
    painter.fillRect(strip, fill);
    painter.end();
    QTabWidget::paintEvent(event);
}
