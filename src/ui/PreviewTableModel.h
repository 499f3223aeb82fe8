#pragma once

#include "list/ListChange.h"
#include "list/Row.h"
#include "list/TableColumnDescription.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class ListItem;
class MyDocument;
class QThread;

// The open list's preview rows as a table, read in place from the list: the
// model keeps the column layout and nothing per row. Edits go to the list and
// mark the document changed.
class PreviewTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static inline const QString kRowsMimeType = QStringLiteral("application/x-rowsmith-preview-rows");

    PreviewTableModel(MyDocument *document, QObject *parent = nullptr);
    ~PreviewTableModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    void multiData(const QModelIndex &index, QModelRoleDataSpan roleDataSpan) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override { return {kRowsMimeType}; }
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    // Columns made again from the list's titles and widths.
    void rebuildColumns();
    // Rows read again; a changed shape resets the model, else every cell repaints.
    void reloadRows();

    const QList<TableColumnDescription> &columns() const { return m_columns; }
    // The list title behind a column; empty for the placeholder.
    QString titleOfColumn(int column) const;
    float storedWidth(int column) const;
    // The plain text of a cell as the table shows it.
    QString cellText(int row, int column) const;
    // The list's ID column text of a preview row.
    QString itemIDOfRow(int row) const;

    // Starts sorting the preview by the column off the GUI thread; false when
    // the column does not sort or a sort is running.
    bool sortByColumn(int column, Qt::SortOrder order);
    bool isSorting() const { return m_sortThread != nullptr; }
    // Moves the rows at the positions, keeping their order, to stand before
    // the row at `before` (the end for -1 or past the end).
    bool moveRows(const QList<int> &positions, int before);

Q_SIGNALS:
    // The user changed the list through the table.
    void edited();
    void sortFinished(bool applied);

private:
    ListItem *list() const;
    void listChanged(const ListChange &change);
    // The list shows position i what was at permutation[i] already.
    void applyLayout(const QList<qsizetype> &permutation);
    void reloadColumnWidths();

    QPointer<MyDocument> m_document;
    QList<TableColumnDescription> m_columns;
    QStringList m_titles;
    int m_rowCount = 0;
    QThread *m_sortThread = nullptr;
    // Notices received; a sort started before a change is stale.
    quint64 m_changes = 0;
};
