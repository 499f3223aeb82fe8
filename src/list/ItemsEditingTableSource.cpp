#include "ItemsEditingTableSource.h"

#include "platform/AttributedText.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

namespace {
const QString kClassWords = QStringLiteral("Items Editing Table Source");
const QString kIndicationKey = QStringLiteral("NSRIndication");

// The length test of a cell value: only texts have one.
bool isNonEmptyText(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<AttributedText>())
        return !value.value<AttributedText>().isEmpty();
    if (value.metaType() == QMetaType::fromType<QString>())
        return !value.toString().isEmpty();
    return false;
}
} // namespace

void ItemsEditingTableSource::initializationUserObject()
{
    registerColumnTitlesArray({});
    registerColumnTitlesDic({});
    registerColumnTitlesWidthDic({});
    registerItemDic(QVariantMap());
    registerEditCellTitlesDic({});
}

bool ItemsEditingTableSource::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray = titles;
    return !titles.isEmpty();
}

bool ItemsEditingTableSource::registerColumnTitlesDic(const QMap<QString, QString> &dic)
{
    m_columnTitlesDic = dic;
    return !dic.isEmpty();
}

bool ItemsEditingTableSource::registerColumnTitlesWidthDic(const QMap<QString, float> &dic)
{
    m_columnTitlesWidthDic = dic;
    return !dic.isEmpty();
}

bool ItemsEditingTableSource::registerItemDic(const QVariantMap &dic)
{
    m_itemDic = dic;
    return !dic.isEmpty();
}

bool ItemsEditingTableSource::registerItemDic(const Row &row)
{
    return registerItemDic(row.toVariantMap());
}

Row ItemsEditingTableSource::toRow() const
{
    // Cells in column order, so the row lines up with the list's other rows;
    // values whose title is not a column follow.
    Row row;
    for (const QString &title : m_columnTitlesArray) {
        const auto found = m_itemDic.constFind(title);
        if (found != m_itemDic.cend() && !row.contains(title))
            row.setValue(title, found.value());
    }
    for (auto it = m_itemDic.cbegin(); it != m_itemDic.cend(); ++it) {
        if (!row.contains(it.key()))
            row.setValue(it.key(), it.value());
    }
    return row;
}

bool ItemsEditingTableSource::registerEditCellTitlesDic(const QMap<QString, QString> &dic)
{
    m_editCellTitlesDic = dic;
    return !dic.isEmpty();
}

bool ItemsEditingTableSource::inspectItemObjectTitle(const QString &title) const
{
    return !title.isEmpty() && m_itemDic.contains(title);
}

bool ItemsEditingTableSource::showWithStateSwitch() const
{
    return m_itemDic.value(kIndicationKey).toBool();
}

void ItemsEditingTableSource::registerShowWithStateSwitch(bool state)
{
    if (!m_itemDic.isEmpty())
        m_itemDic.insert(kIndicationKey, state);
}

bool ItemsEditingTableSource::addItemTitle(const QString &title, const QVariant &value)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addItemTitle", false, [&] {
        if (title.isEmpty() || !isNonEmptyText(value))
            return false;
        m_itemDic.insert(title, value);
        return true;
    });
}

bool ItemsEditingTableSource::addItemObject(const QVariant &value, const QString &title, float width)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addItemObject", false, [&] {
        if (title.isEmpty())
            return false;
        const QVariant stored = value.isValid() ? value : QVariant(QStringLiteral(""));
        if (inspectItemObjectTitle(title)) {
            addItemTitle(title, stored);
        } else {
            addItemTitle(title, stored);
            m_columnTitlesArray.append(title);
            makingColumnTitlesDic();
        }
        addColumnWidth(width, title);
        return true;
    });
}

bool ItemsEditingTableSource::addColumnWidth(float width, const QString &title)
{
    if (title.isEmpty())
        return false;
    m_columnTitlesWidthDic.insert(title, width);
    return true;
}

bool ItemsEditingTableSource::makingColumnTitlesDic()
{
    if (m_columnTitlesArray.isEmpty())
        return false;
    m_columnTitlesDic.clear();
    for (qsizetype i = 0; i < m_columnTitlesArray.size(); ++i) {
        try {
            addColumnAtTitles(m_columnTitlesArray.at(i), int(i));
        } catch (...) {
            ErrorLog::err(lcList(), kClassWords, u"makingColumnTitlesDic", ErrorLog::currentExceptionName());
        }
    }
    return true;
}

bool ItemsEditingTableSource::addColumnAtTitles(const QString &title, int columnNumber)
{
    if (title.isEmpty())
        return false;
    m_columnTitlesDic.insert(QStringLiteral("Columns%1").arg(columnNumber), title);
    return true;
}

bool ItemsEditingTableSource::makingEditCellTitlesAtNewTitle(const QString &newTitle, const QString &original)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"makingEditCellTitlesAtNewTitle", false, [&] {
        if (!inspectItemObjectTitle(original) || newTitle.isEmpty())
            return false;
        // A title that is already a column would merge two columns and lose
        // the values of one in every row of the list.
        if (m_itemDic.contains(newTitle) || m_columnTitlesArray.contains(newTitle))
            return false;

        // The table maps each column's title in the list to its latest title,
        // so that renaming a renamed column does not ask the list for a title
        // it does not have yet.
        QString listTitle = original;
        for (auto it = m_editCellTitlesDic.cbegin(); it != m_editCellTitlesDic.cend(); ++it) {
            if (it.value() == original) {
                listTitle = it.key();
                break;
            }
        }
        if (listTitle == newTitle)
            m_editCellTitlesDic.remove(listTitle); // renamed back: nothing left to do
        else
            m_editCellTitlesDic.insert(listTitle, newTitle);

        workEditCellTitlesAtNewTitle(newTitle, original);
        return true;
    });
}

void ItemsEditingTableSource::workEditCellTitlesAtNewTitle(const QString &newTitle, const QString &original)
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"workEditCellTitlesAtNewTitle", [&] {
        bool moved = false;
        for (qsizetype i = 0; i < m_columnTitlesArray.size(); ++i) {
            if (m_columnTitlesArray.at(i) != original)
                continue;
            m_columnTitlesArray[i] = newTitle;
            makingColumnTitlesDic();
            // A title listed twice has its width and value moved once; moving
            // again would overwrite them with nothing.
            if (moved)
                continue;
            moved = true;
            const float width = m_columnTitlesWidthDic.take(original);
            m_columnTitlesWidthDic.insert(newTitle, width);
            const auto value = m_itemDic.constFind(original);
            if (value != m_itemDic.cend()) {
                const QVariant cell = value.value();
                m_itemDic.remove(original);
                m_itemDic.insert(newTitle, cell);
            }
        }
    });
}

bool ItemsEditingTableSource::removeTitle(const QString &title)
{
    if (title.isEmpty() || m_columnTitlesArray.isEmpty())
        return false;
    for (qsizetype i = 0; i < m_columnTitlesArray.size(); ++i) {
        if (m_columnTitlesArray.at(i) != title)
            continue;
        try {
            m_columnTitlesArray.removeAt(i);
            return true;
        } catch (...) {
            ErrorLog::err(lcList(), kClassWords, u"removeTitle index", ErrorLog::currentExceptionName());
        }
    }
    return false;
}
