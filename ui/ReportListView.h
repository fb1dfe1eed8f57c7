#pragma once

#include <QTreeView>

// A list in report style: rows of cells under a header, grid lines between the cells, one row
// selected at a time, every column sized to its contents.
class ReportListView : public QTreeView
{
    Q_OBJECT

public:
    explicit ReportListView(QWidget* parent = nullptr);

    static QColor gridColor();

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
};
