#pragma once

#include "doclist/NameOrder.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
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
    // Beyond the run's own statuses: the row whose document is being converted, one whose
    // conversion failed, and one the user's stop left unconverted.
    static inline const QString kStatusConverting = QStringLiteral("Converting");
    static inline const QString kStatusError = QStringLiteral("Error");
    static inline const QString kStatusStopped = QStringLiteral("Stopped");

    explicit DocumentList(QObject* parent = nullptr);

    // A document for the list. `nativePath` is the file system's own name of a document whose
    // name is not valid text: `fullPath` then shows it with the odd bytes escaped, and only
    // `nativePath` finds the file.
    struct NewDocument
    {
        QString name;
        QString fullPath;
        QByteArray nativePath;
    };

    // Adds one row for a document and counts it; the callers do the duplicate and type tests.
    void FillGrid(const QString& name, const QString& fullPath, const QByteArray& nativePath = {});
    // Adds many rows at once: the same rows in the same places as FillGrid for each in turn, but
    // sorted once and announced to the views in one piece per place they go (a whole folder into
    // an empty list is one), so a folder of thousands is listed at once.
    void addDocuments(QList<NewDocument> documents);
    int DocumentCount() const { return static_cast<int>(m_rows.size()); }

    QString name(int row) const { return m_rows.at(row).name; }
    QString sizeText(int row) const { return m_rows.at(row).size; }
    QString status(int row) const { return m_rows.at(row).status; }
    QString path(int row) const { return m_rows.at(row).path; }
    // The file system's name of the row's document when its path cannot name it; else empty.
    QByteArray nativePath(int row) const { return m_rows.at(row).nativePath; }
    void setStatus(int row, const QString& status);
    // Why the last run failed or skipped the row, as its log says; shown over its status.
    QString reason(int row) const { return m_rows.at(row).reason; }
    void setReason(int row, const QString& reason);
    // While locked (a run is going on) no name can be edited, and rows added meanwhile wait at
    // the end, so the rows the run walks keep their indexes; unlocking sorts them in.
    void setLocked(bool locked);

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
        QString reason;
        QString path;
        QByteArray nativePath;
    };

    // Where a row of this name goes among the rows from `from` on.
    int insertPosition(const QString& name, int from = 0) const;
    // Moves `count` rows from `first` on into the list at `at`, announced as one insertion.
    void spliceRows(int at, QVector<Row>::iterator first, int count);
    void moveToSortedPlace(int row);

    NameOrder m_order;
    QVector<Row> m_rows;
    bool m_locked = false;
    bool m_sortPending = false;
};
