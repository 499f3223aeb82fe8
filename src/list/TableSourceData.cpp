#include "TableSourceData.h"

#include "platform/ModelText.h"
#include "platform/Localization.h"

#include <cmath>

namespace {
const QString kIndicationTitle = QStringLiteral("NSRIndication");
const QString kOptionTitle = QStringLiteral("NSROption");
const QString kIndicationHeaderKey = QStringLiteral("2002Title");
const QString kPlaceholderKey = QStringLiteral("0010Title");

// Like a table column: the width never leaves [min, max]; a maximum below the
// minimum gives way to the minimum.
float limitedWidth(float width, float minWidth, float maxWidth)
{
    if (!std::isfinite(width))
        width = minWidth;
    if (width > maxWidth)
        width = maxWidth;
    if (width < minWidth)
        width = minWidth;
    return width;
}

TableColumnDescription fixedColumn(int columnId, TableColumnDescription::Kind kind)
{
    TableColumnDescription column;
    column.identifier = TableSourceData::columnIdentifier(columnId);
    column.kind = kind;
    column.headerAlignment = Qt::AlignHCenter;
    column.fontPointSize = TableSourceData::kCellFontPointSize;
    column.minWidth = TableSourceData::kFixedColumnWidth;
    column.maxWidth = TableSourceData::kFixedColumnWidth;
    column.width = TableSourceData::kFixedColumnWidth;
    column.editable = false;
    column.sortKey = column.identifier;
    column.ascending = true;
    return column;
}
} // namespace

TableSourceData::TableSourceData()
{
    initializationUserObject();
}

void TableSourceData::initializationUserObject()
{
    registerColumnMaxWidth(1000.0f);
    registerColumnMinWidth(50.0f);
    registerColumnsizeToFit(false);
    registerOptionTitle(QString());
}

bool TableSourceData::registerOptionTitle(const QString &value)
{
    return ModelText::registerString(m_optionTitle, value);
}

QString TableSourceData::columnIdentifier(int columnId)
{
    return QStringLiteral("Columns%1").arg(columnId);
}

TableColumnDescription TableSourceData::setAddColumn(const QString &title, float columnWidth, int columnId) const
{
    if (title == kIndicationTitle)
        return makeAddIndicationColumnAtID(columnId);
    if (title == kOptionTitle && confirmOptionTitle())
        return makeAddOptionColumnAtID(columnId, m_optionTitle);
    return makeAddColumn(title, columnWidth, columnId);
}

TableColumnDescription TableSourceData::makeAddColumn(const QString &title, float columnWidth, int columnId) const
{
    TableColumnDescription column;
    column.identifier = columnIdentifier(columnId);
    column.kind = TableColumnDescription::Kind::Ordinary;
    column.headerKey = title;
    column.headerText = Localization::textOrKey(Localization::kMainTable, title);
    column.headerAlignment = Qt::AlignHCenter;
    column.dataAlignment = Qt::AlignLeft;
    column.fontPointSize = kCellFontPointSize;
    column.wraps = true;
    column.minWidth = m_columnMinWidth;
    column.maxWidth = m_columnMaxWidth;
    column.width = limitedWidth(columnWidth, m_columnMinWidth, m_columnMaxWidth);
    column.sizeToFit = m_columnsizeToFit;
    column.editable = true;
    column.sortKey = column.identifier;
    column.ascending = true;
    return column;
}

TableColumnDescription TableSourceData::makeAddIndicationColumnAtID(int columnId) const
{
    TableColumnDescription column = fixedColumn(columnId, TableColumnDescription::Kind::Indication);
    column.headerKey = kIndicationHeaderKey;
    column.headerText = Localization::textOrKey(Localization::kMainTable, kIndicationHeaderKey);
    column.dataAlignment = Qt::AlignHCenter;
    return column;
}

TableColumnDescription TableSourceData::makeAddOptionColumnAtID(int columnId, const QString &title) const
{
    TableColumnDescription column = fixedColumn(columnId, TableColumnDescription::Kind::Option);
    column.headerText = title;
    column.dataAlignment = Qt::AlignHCenter;
    return column;
}

TableColumnDescription TableSourceData::setNewColumn() const
{
    TableColumnDescription column;
    column.identifier = columnIdentifier(0);
    column.kind = TableColumnDescription::Kind::Placeholder;
    column.headerKey = kPlaceholderKey;
    column.headerText = Localization::textOrKey(Localization::kMainTable, kPlaceholderKey);
    column.headerAlignment = Qt::AlignHCenter;
    column.dataAlignment = Qt::AlignHCenter;
    column.fontPointSize = kCellFontPointSize;
    column.minWidth = m_columnMinWidth;
    column.maxWidth = m_columnMaxWidth;
    column.width = m_columnMinWidth;
    column.editable = false;
    return column;
}
