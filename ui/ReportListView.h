#pragma once

#include <QByteArray>
#include <QList>
#include <QTreeView>

// A list in report style: rows of cells under a header, grid lines between the cells, one row
// selected at a time, every column sized to its contents. Delete on a selected row asks for its
// removal; files dropped from a file manager are handed on as their local paths.
class ReportListView : public QTreeView
{
    Q_OBJECT

public:
    explicit ReportListView(QWidget* parent = nullptr);

    static QColor gridColor();

signals:
    void deleteRequested();
    // The local files and folders of a drop, in the order given, as the system's bytes (a
    // file's name need not be text); remote addresses are left out.
    void filesDropped(const QList<QByteArray>& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
};
