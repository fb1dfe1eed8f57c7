// The tabbed pager's look and behaviour, and the report list's grid and columns.
#include "ui/OfficePager.h"
#include "ui/ReportListView.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class OfficePagerTest : public ::testing::Test
{
protected:
    OfficePagerTest()
    {
        for (const char* caption : {"Generate PDF", "Bulk Conversion", "Bulk Scan", "Settings"})
            pager.addTab(new QWidget, QString::fromLatin1(caption));
        pager.setGeometry(0, 0, 499, 569);
    }

    void show()
    {
        pager.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pager));
    }

    OfficePager pager;
};

TEST_F(OfficePagerTest, PutsFixedTabsBelowThePages)
{
    EXPECT_EQ(pager.tabPosition(), QTabWidget::South);
    EXPECT_FALSE(pager.isMovable());
    EXPECT_FALSE(pager.tabBar()->isMovable());
    EXPECT_EQ(pager.tabBar()->font().family(), "Tahoma");
    EXPECT_EQ(pager.tabBar()->font().pointSize(), 8);
    show();
    EXPECT_EQ(pager.tabBar()->x(), OfficePager::kTabStartMargin);
    EXPECT_GT(pager.tabBar()->y(), pager.currentWidget()->geometry().bottom());
}

TEST_F(OfficePagerTest, LaysItsPagesOutAtTheFormsPlace)
{
    show();
    for (int i = 0; i < pager.count(); ++i) {
        pager.setCurrentIndex(i);
        QWidget* page = pager.widget(i);
        EXPECT_EQ(QRect(page->mapTo(&pager, QPoint()), page->size()), QRect(1, 2, 497, 541)) << i;
    }
}

TEST_F(OfficePagerTest, DragsDoNotReorderTheTabs)
{
    show();
    QTabBar* bar = pager.tabBar();
    const QPoint from = bar->tabRect(0).center();
    const QPoint to = bar->tabRect(2).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    QTest::mouseMove(bar, (from + to) / 2);
    QTest::mouseMove(bar, to);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
    EXPECT_EQ(pager.tabText(0), "Generate PDF");
    EXPECT_EQ(pager.tabText(2), "Bulk Scan");
}

TEST_F(OfficePagerTest, PaintsADarkStripWithWhiteCaptionsAndLightPages)
{
    show();
    const QImage shot = pager.grab().toImage();
    // Right of the last tab the strip is dark; the page body is a light grey-blue that darkens
    // downwards.
    const QColor strip = shot.pixelColor(490, 560);
    EXPECT_LT(strip.lightness(), 90);
    const QColor top = shot.pixelColor(250, 10);
    const QColor bottom = shot.pixelColor(250, 530);
    EXPECT_GT(top.lightness(), 200);
    EXPECT_GT(top.lightness(), bottom.lightness());
    EXPECT_GE(bottom.blue(), bottom.red());
    // A caption of an unselected tab is drawn in white.
    const QRect tab = pager.tabBar()->tabRect(1).translated(pager.tabBar()->pos());
    int white = 0;
    for (int x = tab.left(); x <= tab.right(); ++x)
        for (int y = tab.top(); y <= tab.bottom(); ++y)
            white += shot.pixelColor(x, y).lightness() > 235 ? 1 : 0;
    EXPECT_GT(white, 20);
}

TEST(ReportListViewTest, ShowsSingleRowsWithColumnsSizedToTheirContents)
{
    ReportListView view;
    QStandardItemModel model(0, 4);
    model.setHorizontalHeaderLabels({"Document Name", "Size (kb)", "Status", "Settings"});
    model.appendRow({new QStandardItem("report.doc"), new QStandardItem("12"),
                     new QStandardItem("Wating"), new QStandardItem("/tmp/report.doc")});
    view.setModel(&model);
    EXPECT_FALSE(view.rootIsDecorated());
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(view.header()->sectionResizeMode(column), QHeaderView::ResizeToContents);
    EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), "Document Name");

    // A long path keeps its whole width: the view scrolls instead of cutting it short.
    view.resize(200, 100);
    view.show();
    model.setItem(0, 3, new QStandardItem("/a/very/long/folder/name/that/goes/on/report.doc"));
    QCoreApplication::processEvents();
    EXPECT_GE(view.header()->sectionSize(3),
              view.fontMetrics().horizontalAdvance("/a/very/long/folder/name/that/goes/on"));
    EXPECT_GT(view.header()->length(), view.viewport()->width());
}

TEST(ReportListViewTest, DrawsGridLinesBetweenTheCells)
{
    ReportListView view;
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"Document Name", "Size (kb)"});
    model.appendRow({new QStandardItem("a.doc"), new QStandardItem("1")});
    model.appendRow({new QStandardItem("b.doc"), new QStandardItem("2")});
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.viewport()->grab().toImage();
    const QRect first = view.visualRect(model.index(0, 0));
    const int right = view.header()->sectionViewportPosition(0) + view.header()->sectionSize(0) - 1;
    EXPECT_EQ(shot.pixelColor(right, first.center().y()), ReportListView::gridColor());
    EXPECT_EQ(shot.pixelColor(first.center().x(), first.bottom()), ReportListView::gridColor());
}

} // namespace
