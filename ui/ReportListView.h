#pragma once

#include <QTreeView>

// A list in report style: rows of cells under a header, grid lines between the cells, one row
// selected at a time, every column sized to its contents. Delete on a selected row asks for its
// removal.
class ReportListView : public QTreeView
{
    Q_OBJECT

public:
    explicit ReportListView(QWidget* parent = nullptr);

    static QColor gridColor();

signals:
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
};
