#pragma once

#include "doclist/NameOrder.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

// The documents of the next conversion: one row per document with four texts, kept sorted by
// name in the order a person expects (see NameOrder; the default locale when the list is made).
// The path cell is the row's identity.
class DocumentList : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn,
        SizeColumn,
        StatusColumn,
        PathColumn,
        ColumnCount
    };

    static inline const QString kStatusAdded = QStringLiteral("Wating");
    static inline const QString kStatusWaiting = QStringLiteral("Waiting");
    static inline const QString kStatusSkipped = QStringLiteral("SKIPPED");
    static inline const QString kStatusCompleted = QStringLiteral("Completed");

    explicit DocumentList(QObject* parent = nullptr);

    // Appends one row for a document and counts it; the callers do the duplicate and type tests.
    void FillGrid(const QString& name, const QString& fullPath);
    int DocumentCount() const { return static_cast<int>(m_rows.size()); }

    QString name(int row) const { return m_rows.at(row).name; }
    QString sizeText(int row) const { return m_rows.at(row).size; }
    QString status(int row) const { return m_rows.at(row).status; }
    QString path(int row) const { return m_rows.at(row).path; }
    void setStatus(int row, const QString& status);

    // The first row whose path equals fullPath exactly, or -1.
    int findPath(const QString& fullPath) const;
    void removeDocument(int row);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only the name can be edited; it moves the row, the path stays.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    struct Row
    {
        QString name;
        QString size;
        QString status;
        QString path;
    };

    int insertPosition(const QString& name) const;
    void moveToSortedPlace(int row);

    NameOrder m_order;
    QVector<Row> m_rows;
};
