#include "DocumentToolBar.h"

#include "Icons.h"

#include "platform/Localization.h"

#include <QAction>
#include <QActionGroup>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

struct ItemDescription
{
    QString identifier;
    QString labelKey;
    QString image;
};

const QList<ItemDescription> &itemDescriptions()
{
    static const QList<ItemDescription> specs{
        {u"id_split"_s, u"0020Title"_s, u"split_top"_s},
        {u"id_info"_s, u"0021Title"_s, u"NSInfo"_s},
        {u"id_edit"_s, u"0022Title"_s, u"edit_icon"_s},
        {u"id_search"_s, u"0023Title"_s, u"search_icon"_s},
        {{}, {}, {}},
        {u"id_import"_s, u"0024Title"_s, u"import_file_icon"_s},
        {u"id_export"_s, u"0025Title"_s, u"export_file_icon"_s},
        {{}, {}, {}},
        {u"id_font"_s, u"0026Title"_s, u"NSFontPanel"_s},
        {u"id_color"_s, u"0027Title"_s, u"NSColorPanel"_s},
    };
    return specs;
}

bool isTab(const QString &identifier)
{
    return identifier == u"id_info"_s || identifier == u"id_edit"_s || identifier == u"id_search"_s;
}

} // namespace

const QStringList &DocumentToolBar::itemIdentifiers()
{
    static const QStringList identifiers = [] {
        QStringList list;
        for (const ItemDescription &item : itemDescriptions())
            if (!item.identifier.isEmpty())
                list.append(item.identifier);
        return list;
    }();
    return identifiers;
}

DocumentToolBar::DocumentToolBar(QWidget *parent)
    : QToolBar(parent)
    , m_tabGroup(new QActionGroup(this))
{
    setObjectName(u"ToolbarForTabView"_s);
    setWindowTitle(tr("Toolbar"));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setMovable(false);
    setIconSize(QSize(24, 24));
    for (const ItemDescription &item : itemDescriptions()) {
        if (item.identifier.isEmpty()) {
            addSeparator();
            continue;
        }
        QAction *action = addAction(Icons::named(item.image),
                                    Localization::textOrKey(Localization::kMainTable, item.labelKey));
        action->setObjectName(item.identifier);
        if (isTab(item.identifier)) {
            action->setCheckable(true);
            m_tabGroup->addAction(action);
        }
        const QString identifier = item.identifier;
        connect(action, &QAction::triggered, this, [this, identifier] { Q_EMIT itemTriggered(identifier); });
        m_items.insert(item.identifier, action);
    }
    auto *spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(spacer);
}

void DocumentToolBar::selectItem(const QString &identifier)
{
    QAction *action = m_items.value(identifier.isEmpty() ? u"id_info"_s : identifier);
    if (action && action->isCheckable())
        action->setChecked(true);
}

void DocumentToolBar::setSplitState(bool toolAtBottom)
{
    m_items.value(u"id_split"_s)->setIcon(Icons::named(toolAtBottom ? u"split_bottom"_s : u"split_top"_s));
}
