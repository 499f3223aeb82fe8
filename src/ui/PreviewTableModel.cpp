#include "PreviewTableModel.h"

#include "app/MyDocument.h"
#include "list/ListItem.h"
#include "list/ListNotifier.h"
#include "list/TableSourceData.h"
#include "platform/TextAttributes.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QThread>

#include <algorithm>
#include <limits>
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
    if (ListItem *item = list())
        connect(item->notifier(), &ListNotifier::changed, this, &PreviewTableModel::listChanged);
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
    TableSourceData source;
    source.registerOptionTitle(tr("Option"));
    if (ListItem *item = list(); item && item->confirmColumnTitlesArray()) {
        m_titles = item->columnTitlesArray();
        const QVariantMap widths = item->columnTitlesWidthDic();
        for (qsizetype n = 0; n < m_titles.size(); ++n)
            m_columns.append(source.setAddColumn(m_titles.at(n), widths.value(m_titles.at(n)).toFloat(), int(n)));
        m_rowCount = int(qMin<qsizetype>(item->previewCount(), std::numeric_limits<int>::max()));
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
    const int count = item ? int(qMin<qsizetype>(item->previewCount(), std::numeric_limits<int>::max())) : 0;
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
    if (!item || row < 0 || row >= m_rowCount)
        return {};
    return item->cellText(item->previewRowAt(row), column).toString();
}

QString PreviewTableModel::itemIDOfRow(int row) const
{
    const ListItem *item = list();
    if (!item || row < 0 || row >= m_rowCount)
        return {};
    const qsizetype listRow = item->previewRowAt(row);
    return listRow >= 0 && listRow < item->rowCount() ? item->itemIDOfRow(item->rowAt(listRow)).toString() : QString();
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
    const qsizetype row = item->previewRowAt(index.row());
    if (row < 0 || row >= item->rowCount())
        return;
    for (QModelRoleData &roleData : roleDataSpan) {
        switch (roleData.role()) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (!isIndication(column))
                roleData.setData(item->cellText(row, index.column()).toString());
            break;
        case Qt::CheckStateRole:
            if (isIndication(column))
                roleData.setData(item->indicationAt(row) != 0 ? Qt::Checked : Qt::Unchecked);
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
    const qsizetype row = item->previewRowAt(index.row());
    if (row < 0 || row >= item->rowCount())
        return false;
    if (isIndication(column)) {
        if (role != Qt::CheckStateRole)
            return false;
        const quint32 mark = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
        if (item->indicationAt(row) == mark)
            return true;
        item->setIndicationAt(row, mark);
    } else {
        if (role != Qt::EditRole || !column.editable)
            return false;
        const AttributedText old = item->cellAt(row, index.column());
        const QString text = value.toString();
        if (text == old.string())
            return true;
        // The new text keeps the look the old one had.
        const TextAttributes::Ptr attributes
            = old.isEmpty() ? TextAttributes::defaults() : old.attributesAt(0);
        item->setCellAt(row, index.column(), AttributedText(text, attributes));
    }
    m_document->updateChangeCountAs(true);
    Q_EMIT edited();
    return true;
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

bool PreviewTableModel::moveRows(const QList<int> &positions, int before)
{
    ListItem *item = list();
    if (!item || positions.isEmpty() || m_rowCount == 0 || isSorting())
        return false;
    const QList<qsizetype> moved(positions.cbegin(), positions.cend());
    item->movePreviewRows(moved, before);
    m_document->updateChangeCountAs(true);
    Q_EMIT edited();
    return true;
}

bool PreviewTableModel::sortByColumn(int column, Qt::SortOrder order)
{
    ListItem *item = list();
    if (!item || isSorting() || column < 0 || column >= m_columns.size() || !m_columns.at(column).sorts()
        || isIndication(m_columns.at(column)) || m_rowCount < 2)
        return false;
    struct Job
    {
        ListItem snapshot;
        ListSortDescriptor descriptor;
        QList<qsizetype> order;
    };
    auto job = std::make_shared<Job>(Job{*item, {m_titles.at(column), order == Qt::AscendingOrder, Qt::CaseSensitive}, {}});
    const quint64 changesBefore = m_changes;
    m_sortThread = QThread::create([job] {
        job->order = ListItem::sortedPreviewOrder(job->snapshot, job->descriptor);
        // The copy goes here, not on the GUI thread.
        job->snapshot = ListItem();
    });
    connect(m_sortThread, &QThread::finished, this, [this, job, changesBefore] {
        m_sortThread->deleteLater();
        m_sortThread = nullptr;
        ListItem *current = list();
        // A change made meanwhile makes the order stale: drop it.
        const bool unchanged = current && m_changes == changesBefore && job->order.size() == m_rowCount
            && current->reorderPreview(job->order);
        if (unchanged) {
            m_document->updateChangeCountAs(true);
            Q_EMIT edited();
        }
        Q_EMIT sortFinished(unchanged);
    });
    m_sortThread->start(QThread::LowPriority);
    return true;
}

void PreviewTableModel::listChanged(const ListChange &change)
{
    ++m_changes;
    ListItem *item = list();
    if (!item)
        return;
    switch (change.kind) {
    case ListChange::Kind::Cells:
    case ListChange::Kind::Marks: {
        if (m_rowCount == 0 || m_columns.isEmpty())
            return;
        int first = 0;
        int last = m_columns.size() - 1;
        if (change.kind == ListChange::Kind::Marks || change.column >= 0) {
            first = last = change.kind == ListChange::Kind::Marks ? int(m_titles.indexOf(Row::kIndicationKey))
                                                                   : int(change.column);
            if (first < 0 || first >= m_columns.size())
                return;
        }
        // A single row maps to its position; a range repaints every shown row.
        if (change.firstRow == change.lastRow) {
            const qsizetype position = item->previewPositionOfRow(change.firstRow);
            if (position >= 0 && position < m_rowCount)
                Q_EMIT dataChanged(index(int(position), first), index(int(position), last));
        } else {
            Q_EMIT dataChanged(index(0, first), index(m_rowCount - 1, last));
        }
        return;
    }
    case ListChange::Kind::Layout:
        applyLayout(change.permutation);
        return;
    case ListChange::Kind::Columns:
        if (item->columnTitlesArray() != m_titles)
            rebuildColumns();
        else
            reloadColumnWidths();
        return;
    default:
        reloadRows();
        return;
    }
}

void PreviewTableModel::reloadColumnWidths()
{
    const QVariantMap widths = list()->columnTitlesWidthDic();
    for (int column = 0; column < m_columns.size() && column < m_titles.size(); ++column)
        m_columns[column].width = widths.value(m_titles.at(column), m_columns.at(column).width).toFloat();
}

void PreviewTableModel::applyLayout(const QList<qsizetype> &permutation)
{
    if (permutation.size() != m_rowCount) {
        reloadRows();
        return;
    }
    // The list has moved already; the views follow with their persistent indexes.
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    if (!persistent.isEmpty()) {
        QList<qsizetype> newPosition(permutation.size());
        for (qsizetype n = 0; n < permutation.size(); ++n)
            newPosition[permutation.at(n)] = n;
        QModelIndexList moved;
        moved.reserve(persistent.size());
        for (const QModelIndex &index : persistent)
            moved.append(index.row() < newPosition.size()
                             ? this->index(int(newPosition.at(index.row())), index.column())
                             : QModelIndex());
        changePersistentIndexList(persistent, moved);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
