#include "SearchCriteriaModel.h"

#include "app/MyDocument.h"
#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"

SearchCriteriaModel::SearchCriteriaModel(MyDocument *document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
}

SearchEditingSource *SearchCriteriaModel::search() const
{
    return m_document ? m_document->documentSource()->listItemsSource()->searchEditingSource() : nullptr;
}

int SearchCriteriaModel::rowCount(const QModelIndex &parent) const
{
    const SearchEditingSource *source = search();
    return parent.isValid() || !source ? 0 : int(source->countOfItemsSearch());
}

int SearchCriteriaModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QStringList SearchCriteriaModel::categories() const
{
    return m_document ? m_document->listItem()->selectColumnTitlesArray() : QStringList();
}

QVariant SearchCriteriaModel::data(const QModelIndex &index, int role) const
{
    const SearchEditingSource *source = search();
    if (!source || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ItemsSearch &criterion = source->itemsSearchArray().at(index.row());
    switch (index.column()) {
    case ConditionColumn:
        if (role == Qt::CheckStateRole)
            return criterion.beginningSwitch() ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole)
            return criterion.beginningSwitch() ? tr("collect") : tr("throw out");
        return {};
    case CategoryColumn:
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(criterion.categoryString()) : QVariant();
    case KeywordColumn:
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(criterion.keywordString()) : QVariant();
    default:
        return {};
    }
}

bool SearchCriteriaModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    SearchEditingSource *source = search();
    if (!source || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || !source->getSearchObjectAtIndex(index.row()))
        return false;
    ItemsSearch *criterion = source->itemsSearch();
    if (index.column() == ConditionColumn && role == Qt::CheckStateRole) {
        criterion->registerBeginningSwitch(value.value<Qt::CheckState>() == Qt::Checked);
    } else if (index.column() == CategoryColumn && role == Qt::EditRole) {
        criterion->registerCategoryString(value.toString());
    } else if (index.column() == KeywordColumn && role == Qt::EditRole) {
        criterion->registerKeywordString(value.toString());
    } else {
        return false;
    }
    if (*criterion == source->itemsSearchArray().at(index.row()))
        return true;
    if (!source->replaceSearchObjectAtRow(index.row()))
        return false;
    m_document->updateChangeCountAs(true);
    Q_EMIT dataChanged(index, index);
    Q_EMIT edited();
    return true;
}

Qt::ItemFlags SearchCriteriaModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == ConditionColumn)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant SearchCriteriaModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case ConditionColumn:
        return tr("Condition");
    case CategoryColumn:
        return tr("Column");
    case KeywordColumn:
        return tr("Keywords");
    default:
        return {};
    }
}

void SearchCriteriaModel::addCriterion(int row)
{
    SearchEditingSource *source = search();
    if (!source)
        return;
    const int count = rowCount();
    const int at = row >= 0 && row < count ? row + 1 : count;
    beginInsertRows({}, at, at);
    source->addSearchObjectAtRow(row >= 0 && row < count ? row : count);
    endInsertRows();
    m_document->updateChangeCountAs(true);
    Q_EMIT edited();
}

bool SearchCriteriaModel::canRemoveCriterion(int row) const
{
    const SearchEditingSource *source = search();
    return source && row >= 0 && row + 1 < source->countOfItemsSearch()
        && source->itemsSearchArray().at(row).confirmKeywordString();
}

bool SearchCriteriaModel::removeCriterion(int row)
{
    if (!canRemoveCriterion(row))
        return false;
    beginRemoveRows({}, row, row);
    search()->removeSearchObjectAtRow(row);
    endRemoveRows();
    m_document->updateChangeCountAs(true);
    Q_EMIT edited();
    return true;
}

void SearchCriteriaModel::reload()
{
    beginResetModel();
    endResetModel();
}
