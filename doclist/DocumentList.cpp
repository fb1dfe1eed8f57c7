#include "doclist/DocumentList.h"

#include "doclist/FileSize.h"

#include <algorithm>

DocumentList::DocumentList(QObject* parent) : QAbstractTableModel(parent) {}

int DocumentList::insertPosition(const QString& name, int from) const
{
    // After every row that does not sort behind the new name: a name listed twice keeps the
    // order of adding. The rows are sorted, so a binary search keeps a large folder quick.
    const auto behind = std::upper_bound(
        m_rows.cbegin() + from, m_rows.cend(), name,
        [this](const QString& key, const Row& row) { return m_order.compare(key, row.name) < 0; });
    return static_cast<int>(behind - m_rows.cbegin());
}

void DocumentList::FillGrid(const QString& name, const QString& fullPath,
                            const QByteArray& nativePath)
{
    addDocuments({NewDocument{name, fullPath, nativePath}});
}

void DocumentList::addDocuments(QList<NewDocument> documents)
{
    QVector<Row> incoming;
    incoming.reserve(documents.size());
    for (NewDocument& document : documents) {
        const quint64 size = document.nativePath.isEmpty() ? FileSizeOf(document.fullPath)
                                                           : FileSizeOf(document.nativePath);
        incoming.append(Row{std::move(document.name), QString::number(size / 1000), kStatusAdded,
                            QString(), std::move(document.fullPath),
                            std::move(document.nativePath)});
    }
    if (incoming.isEmpty())
        return;
    // While a run walks the rows by index, new ones (pages the scanner brought meanwhile) wait
    // at the end and take their places in the order when the run is over.
    if (m_locked) {
        m_sortPending = true;
        spliceRows(static_cast<int>(m_rows.size()), incoming.begin(),
                   static_cast<int>(incoming.size()));
        return;
    }
    // Sorted among themselves, equal names in the order given, then merged: each run of new rows
    // that lands before the same listed row goes in as one piece.
    std::stable_sort(incoming.begin(), incoming.end(), [this](const Row& a, const Row& b) {
        return m_order.compare(a.name, b.name) < 0;
    });
    int from = 0; // the listed rows before it sort before every new row still to place
    for (auto next = incoming.begin(); next != incoming.end();) {
        const int at = insertPosition(next->name, from);
        auto last = next + 1;
        if (at == m_rows.size())
            last = incoming.end();
        while (last != incoming.end() && m_order.compare(last->name, m_rows.at(at).name) < 0)
            ++last;
        const int count = static_cast<int>(last - next);
        spliceRows(at, next, count);
        from = at + count;
        next = last;
    }
}

void DocumentList::spliceRows(int at, QVector<Row>::iterator first, int count)
{
    beginInsertRows({}, at, at + count - 1);
    m_rows.insert(at, count, Row{});
    std::move(first, first + count, m_rows.begin() + at);
    endInsertRows();
}

void DocumentList::setLocked(bool locked)
{
    m_locked = locked;
    if (locked || !m_sortPending)
        return;
    m_sortPending = false;
    beginResetModel();
    std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
        return m_order.compare(a.name, b.name) < 0;
    });
    endResetModel();
}

void DocumentList::setStatus(int row, const QString& status)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).status == status)
        return;
    m_rows[row].status = status;
    const QModelIndex cell = index(row, StatusColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void DocumentList::setReason(int row, const QString& reason)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).reason == reason)
        return;
    m_rows[row].reason = reason;
    const QModelIndex cell = index(row, StatusColumn);
    emit dataChanged(cell, cell, {Qt::ToolTipRole});
}

int DocumentList::findPath(const QString& fullPath) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).path == fullPath)
            return row;
    }
    return -1;
}

void DocumentList::removeDocument(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.remove(row);
    endRemoveRows();
}

void DocumentList::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int DocumentList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DocumentList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DocumentList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows.at(index.row());
    if (role == Qt::ToolTipRole && index.column() == StatusColumn && !row.reason.isEmpty())
        return row.reason;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return row.name;
    case SizeColumn:
        return row.size;
    case StatusColumn:
        return row.status;
    case PathColumn:
        return row.path;
    default:
        return {};
    }
}

QVariant DocumentList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kHeaders[ColumnCount] = {"Document Name", "Size (kb)", "Status",
                                                      "Settings"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}

Qt::ItemFlags DocumentList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == NameColumn && !m_locked)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DocumentList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != NameColumn || m_locked)
        return false;
    m_rows[index.row()].name = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole});
    moveToSortedPlace(index.row());
    return true;
}

void DocumentList::moveToSortedPlace(int row)
{
    Row moved = m_rows.at(row);
    m_rows.remove(row);
    int target = insertPosition(moved.name);
    m_rows.insert(target, moved);
    if (target == row)
        return;
    // Announce the move in the model's terms (destination counted before the removal).
    m_rows.remove(target);
    m_rows.insert(row, moved);
    const int destination = target > row ? target + 1 : target;
    beginMoveRows({}, row, row, {}, destination);
    m_rows.remove(row);
    m_rows.insert(target, moved);
    endMoveRows();
}
