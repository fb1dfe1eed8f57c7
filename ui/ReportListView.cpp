#include "ui/ReportListView.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace {

// The local files of a drop. A file URL naming another host is not a file of this machine.
QList<QByteArray> localPaths(const QMimeData* data)
{
    QList<QByteArray> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // The path's bytes as the URL carries them, percent-encoded: decoded as text, a name
        // that is not would lose its odd bytes.
        if (url.host().isEmpty() || url.host() == QLatin1String("localhost"))
            paths.append(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    }
    return paths;
}

// A drop copies, or links when the source offers nothing else: never a move, which would let the
// file manager delete the user's file once the list "took" it.
bool acceptAsCopy(QDropEvent* event)
{
    if (localPaths(event->mimeData()).isEmpty())
        return false;
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

} // namespace

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
    // Files are dropped onto the list; its own rows are never dragged.
    setDragDropMode(QAbstractItemView::DropOnly);
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

void ReportListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptAsCopy(event))
        event->ignore();
}

void ReportListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptAsCopy(event))
        event->ignore();
}

void ReportListView::dropEvent(QDropEvent* event)
{
    if (!acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    emit filesDropped(localPaths(event->mimeData()));
}
