#include "PreviewTableModel.h"

#include "app/MyDocument.h"
#include "list/ListItem.h"
#include "list/TableSourceData.h"
#include "platform/TextAttributes.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QThread>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool isIndication(const TableColumnDescription &column)
{
    return column.kind == TableColumnDescription::Kind::Indication;
}

} // namespace

PreviewTableModel::PreviewTableModel(MyDocument *document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
    rebuildColumns();
}

PreviewTableModel::~PreviewTableModel()
{
    // The sort works on its own snapshot; it only has to end before we go.
    if (m_sortThread) {
        m_sortThread->wait();
        delete m_sortThread;
    }
}

ListItem *PreviewTableModel::list() const
{
    return m_document ? m_document->listItem() : nullptr;
}

void PreviewTableModel::rebuildColumns()
{
    beginResetModel();
    m_columns.clear();
    m_titles.clear();
    const TableSourceData source;
    if (ListItem *item = list(); item && item->confirmColumnTitlesArray()) {
        m_titles = item->columnTitlesArray();
        const QVariantMap widths = item->columnTitlesWidthDic();
        for (qsizetype n = 0; n < m_titles.size(); ++n)
            m_columns.append(source.setAddColumn(m_titles.at(n), widths.value(m_titles.at(n)).toFloat(), int(n)));
        m_rowCount = int(qMin<qsizetype>(item->itemCount(), std::numeric_limits<int>::max()));
    } else {
        m_columns.append(source.setNewColumn());
        m_rowCount = 0;
    }
    endResetModel();
}

void PreviewTableModel::reloadRows()
{
    ListItem *item = list();
    const QStringList titles = item ? item->columnTitlesArray() : QStringList();
    if (titles != m_titles && !(titles.isEmpty() && m_titles.isEmpty())) {
        rebuildColumns();
        return;
    }
    const int count = item ? int(qMin<qsizetype>(item->itemCount(), std::numeric_limits<int>::max())) : 0;
    if (count != m_rowCount) {
        beginResetModel();
        m_rowCount = count;
        endResetModel();
    } else if (count > 0) {
        Q_EMIT dataChanged(index(0, 0), index(count - 1, columnCount() - 1));
    }
}

int PreviewTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int PreviewTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString PreviewTableModel::titleOfColumn(int column) const
{
    return column >= 0 && column < m_titles.size() ? m_titles.at(column) : QString();
}

float PreviewTableModel::storedWidth(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).width : 0.0f;
}

QString PreviewTableModel::cellText(int row, int column) const
{
    const ListItem *item = list();
    if (!item || row < 0 || row >= m_rowCount || column < 0 || column >= m_titles.size())
        return {};
    const RowList rows = item->previewRows();
    if (row >= rows.size())
        return {};
    return rows.at(row).cellText(m_titles.at(column)).toString();
}

QString PreviewTableModel::itemIDOfRow(int row) const
{
    const ListItem *item = list();
    if (!item || row < 0 || row >= m_rowCount)
        return {};
    const RowList rows = item->previewRows();
    return row < rows.size() ? item->itemIDOfRow(rows.at(row)).toString() : QString();
}

QVariant PreviewTableModel::data(const QModelIndex &index, int role) const
{
    QModelRoleData roleData(role);
    multiData(index, roleData);
    return roleData.data();
}

void PreviewTableModel::multiData(const QModelIndex &index, QModelRoleDataSpan roleDataSpan) const
{
    for (QModelRoleData &roleData : roleDataSpan)
        roleData.clearData();
    const ListItem *item = list();
    if (!item || !index.isValid() || index.row() >= m_rowCount || index.column() >= m_titles.size())
        return;
    const TableColumnDescription &column = m_columns.at(index.column());
    // One shared handle per cell; the row is read where it lives.
    const RowList rows = item->previewRows();
    if (index.row() >= rows.size())
        return;
    const Row &row = rows.at(index.row());
    for (QModelRoleData &roleData : roleDataSpan) {
        switch (roleData.role()) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (!isIndication(column))
                roleData.setData(row.cellText(m_titles.at(index.column())).toString());
            break;
        case Qt::CheckStateRole:
            if (isIndication(column))
                roleData.setData(row.indication() != 0 ? Qt::Checked : Qt::Unchecked);
            break;
        case Qt::TextAlignmentRole:
            roleData.setData(QVariant::fromValue(column.dataAlignment | Qt::AlignVCenter));
            break;
        default:
            break;
        }
    }
}

Qt::ItemFlags PreviewTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    if (index.column() >= m_columns.size())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    const TableColumnDescription &column = m_columns.at(index.column());
    if (isIndication(column))
        flags |= Qt::ItemIsUserCheckable;
    else if (column.editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant PreviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    const TableColumnDescription &column = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return column.headerText.isEmpty() ? titleOfColumn(section) : column.headerText;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.headerAlignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool PreviewTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    ListItem *item = list();
    if (!item || !index.isValid() || index.row() >= m_rowCount || index.column() >= m_columns.size())
        return false;
    const TableColumnDescription &column = m_columns.at(index.column());
    if (isIndication(column)) {
        if (role != Qt::CheckStateRole)
            return false;
        const quint32 mark = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
        if (!item->registerIndication(mark, index.row()))
            return false;
    } else {
        if (role != Qt::EditRole || !column.editable)
            return false;
        const RowList rows = item->previewRows();
        if (index.row() >= rows.size())
            return false;
        const QString &title = m_titles.at(index.column());
        const AttributedText old = rows.at(index.row()).cell(title);
        const QString text = value.toString();
        if (text == old.string())
            return true;
        // The new text keeps the look the old one had.
        const TextAttributes::Ptr attributes
            = old.isEmpty() ? TextAttributes::defaults() : old.attributesAt(0);
        Row row = rows.at(index.row());
        row.setCell(title, AttributedText(text, attributes));
        if (!replacePreviewRow(index.row(), row))
            return false;
    }
    m_document->updateChangeCountAs(true);
    Q_EMIT dataChanged(index, index);
    Q_EMIT edited();
    return true;
}

bool PreviewTableModel::replacePreviewRow(int position, const Row &row)
{
    ListItem *item = list();
    const bool searchShown = item->indicationMode() && item->itemSearchCount() > 0;
    RowList rows = searchShown ? item->tableItemOfTheSearchObjectArray() : item->tableItemObjectArray();
    if (position >= rows.size())
        return false;
    rows.replace(position, row);
    if (!searchShown)
        return item->registerTableItemObjectArray(std::move(rows));
    // The search result holds copies of list rows: the list's own row follows.
    return item->registerTableItemOfTheSearchObjectArray(std::move(rows))
        && item->addTableItemObject(row, item->itemIDOfRow(row));
}

QMimeData *PreviewTableModel::mimeData(const QModelIndexList &indexes) const
{
    QList<qint64> positions;
    for (const QModelIndex &index : indexes)
        if (index.isValid())
            positions.append(index.row());
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << quint64(quintptr(this)) << positions;
    auto *data = new QMimeData;
    data->setData(kRowsMimeType, bytes);
    return data;
}

bool PreviewTableModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                        const QModelIndex &) const
{
    return action == Qt::MoveAction && data && data->hasFormat(kRowsMimeType) && m_rowCount > 0;
}

bool PreviewTableModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                     const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    QDataStream stream(data->data(kRowsMimeType));
    quint64 source = 0;
    QList<qint64> positions;
    stream >> source >> positions;
    // Rows from another table are positions in another list.
    if (stream.status() != QDataStream::Ok || source != quint64(quintptr(this)))
        return false;
    const int before = row >= 0 ? row : (parent.isValid() ? parent.row() : m_rowCount);
    QList<int> moved;
    for (qint64 position : positions)
        moved.append(int(position));
    return moveRows(moved, before);
}

QList<qsizetype> PreviewTableModel::moveOrder(qsizetype count, QList<qsizetype> moved, qsizetype before)
{
    std::sort(moved.begin(), moved.end());
    moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
    moved.erase(std::remove_if(moved.begin(), moved.end(), [count](qsizetype p) { return p < 0 || p >= count; }),
                moved.end());
    if (before < 0 || before > count)
        before = count;
    QList<bool> isMoved(count, false);
    for (qsizetype p : moved)
        isMoved[p] = true;
    QList<qsizetype> order;
    order.reserve(count);
    for (qsizetype p = 0; p < before; ++p)
        if (!isMoved.at(p))
            order.append(p);
    order.append(moved);
    for (qsizetype p = before; p < count; ++p)
        if (!isMoved.at(p))
            order.append(p);
    return order;
}

bool PreviewTableModel::moveRows(const QList<int> &positions, int before)
{
    ListItem *item = list();
    if (!item || positions.isEmpty() || m_rowCount == 0 || isSorting())
        return false;
    QList<qsizetype> moved(positions.cbegin(), positions.cend());
    const QList<qsizetype> order = moveOrder(m_rowCount, moved, before);
    bool identity = true;
    for (qsizetype n = 0; n < order.size() && identity; ++n)
        identity = order.at(n) == n;
    if (identity)
        return true;
    const RowList source = item->previewRows();
    RowList rows;
    rows.reserve(source.size());
    for (qsizetype old : order)
        rows.append(source.at(old));
    applyOrder(order, rows);
    m_document->updateChangeCountAs(true);
    Q_EMIT edited();
    return true;
}

QList<qsizetype> PreviewTableModel::sortOrder(const QList<QStringView> &keys, Qt::SortOrder order)
{
    QList<qsizetype> result(keys.size());
    for (qsizetype n = 0; n < result.size(); ++n)
        result[n] = n;
    if (order == Qt::AscendingOrder)
        std::stable_sort(result.begin(), result.end(),
                         [&](qsizetype a, qsizetype b) { return keys.at(a).compare(keys.at(b)) < 0; });
    else
        std::stable_sort(result.begin(), result.end(),
                         [&](qsizetype a, qsizetype b) { return keys.at(b).compare(keys.at(a)) < 0; });
    return result;
}

bool PreviewTableModel::sortByColumn(int column, Qt::SortOrder order)
{
    ListItem *item = list();
    if (!item || isSorting() || column < 0 || column >= m_columns.size() || !m_columns.at(column).sorts()
        || isIndication(m_columns.at(column)) || m_rowCount < 2)
        return false;
    struct Job
    {
        RowList snapshot;
        QString title;
        Qt::SortOrder order;
        QList<qsizetype> permutation;
        RowList sorted;
    };
    auto job = std::make_shared<Job>(Job{item->previewRows(), m_titles.at(column), order, {}, {}});
    m_sortThread = QThread::create([job] {
        QList<QStringView> keys;
        keys.reserve(job->snapshot.size());
        for (const Row &row : std::as_const(job->snapshot))
            keys.append(row.cellText(job->title));
        job->permutation = sortOrder(keys, job->order);
        job->sorted.reserve(job->snapshot.size());
        for (qsizetype old : std::as_const(job->permutation))
            job->sorted.append(job->snapshot.at(old));
    });
    connect(m_sortThread, &QThread::finished, this, [this, job] {
        m_sortThread->deleteLater();
        m_sortThread = nullptr;
        ListItem *current = list();
        // Rows changed meanwhile make the sorted copy stale: drop it.
        const bool unchanged = current && current->previewRows().constData() == job->snapshot.constData()
            && job->sorted.size() == m_rowCount;
        if (unchanged) {
            applyOrder(job->permutation, job->sorted);
            m_document->updateChangeCountAs(true);
            Q_EMIT edited();
        }
        Q_EMIT sortFinished(unchanged);
    });
    m_sortThread->start(QThread::LowPriority);
    return true;
}

void PreviewTableModel::applyOrder(const QList<qsizetype> &order, const RowList &rows)
{
    ListItem *item = list();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    item->registerPreTableObjectArray(rows);
    QList<qsizetype> newPosition(order.size());
    for (qsizetype n = 0; n < order.size(); ++n)
        newPosition[order.at(n)] = n;
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex &index : persistent)
        moved.append(index.row() < newPosition.size() ? this->index(int(newPosition.at(index.row())), index.column())
                                                       : QModelIndex());
    changePersistentIndexList(persistent, moved);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
