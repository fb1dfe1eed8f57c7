#include "ui/ReportListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

ReportListView::ReportListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Applies to the columns of any model set later, too.
    // Every column as wide as its contents: a long path scrolls rather than being cut short.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Fitted to the rows in sight: measuring a thousand rows of a long list each time a status
    // changes cost tens of milliseconds per converted document.
    header()->setResizeContentsPrecision(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

QColor ReportListView::gridColor()
{
    return QColor(0xd4, 0xd8, 0xde);
}

void ReportListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    painter->save();
    painter->setPen(gridColor());
    const QRect row = option.rect;
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    for (int column = 0; column < header()->count(); ++column) {
        if (header()->isSectionHidden(column))
            continue;
        const int right =
            header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1;
        painter->drawLine(right, row.top(), right, row.bottom());
    }
    painter->restore();
}

void ReportListView::keyPressEvent(QKeyEvent* event)
{
    // An open name editor has the focus and takes its own Delete; this is the list's.
    if (event->matches(QKeySequence::Delete) && state() != EditingState && selectionModel() &&
        selectionModel()->hasSelection()) {
        event->accept();
        emit deleteRequested();
        return;
    }
    QTreeView::keyPressEvent(event);
}
