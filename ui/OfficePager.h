#pragma once

#include <QTabWidget>

#include <memory>

class ObsidianStyle;

// The tabbed pager in the "Obsidian" look: a dark strip with white tab captions below the
// pages, pages with a light grey-blue vertical gradient. Tabs stand at the bottom, start 4 pixels
// in, show no shortcut hints and cannot be dragged into another order.
class OfficePager : public QTabWidget
{
    Q_OBJECT

public:
    static constexpr int kTabStartMargin = 4;
    static constexpr int kTabFontPointSize = 8;

    explicit OfficePager(QWidget* parent = nullptr);
    ~OfficePager() override;

    // The family asked for the tab captions; the font system substitutes a near one when it
    // is not installed.
    static QString tabFontFamily();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<ObsidianStyle> m_style;
};
