#include "ContentPanes.h"

#include <QLabel>

#if __has_include("PreviewPane.h")
#include "PreviewPane.h"
#define ROWSMITH_HAS_PREVIEW_PANE 1
#endif
#if __has_include("ListItemsView.h")
#include "ListItemsView.h"
#define ROWSMITH_HAS_LIST_ITEMS_VIEW 1
#endif
#if __has_include("SearchView.h")
#include "SearchView.h"
#define ROWSMITH_HAS_SEARCH_VIEW 1
#endif
#if __has_include("InfoOutlineView.h")
#include "InfoOutlineView.h"
#define ROWSMITH_HAS_INFO_OUTLINE_VIEW 1
#endif
#if __has_include("ExportPanel.h")
#include "ExportPanel.h"
#define ROWSMITH_HAS_EXPORT_PANEL 1
#endif

using namespace Qt::StringLiterals;

static QWidget *standIn(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    return label;
}

QWidget *ContentPanes::previewPane(MyDocument *document, QWidget *parent)
{
#ifdef ROWSMITH_HAS_PREVIEW_PANE
    return new PreviewPane(document, parent);
#else
    Q_UNUSED(document);
    return standIn(u"previewPane"_s, QObject::tr("Preview"), parent);
#endif
}

QWidget *ContentPanes::listItemsView(MyDocument *document, QWidget *parent)
{
#ifdef ROWSMITH_HAS_LIST_ITEMS_VIEW
    return new ListItemsView(document, parent);
#else
    Q_UNUSED(document);
    return standIn(u"listItemsView"_s, QObject::tr("Lists"), parent);
#endif
}

QWidget *ContentPanes::searchView(MyDocument *document, QWidget *parent)
{
#ifdef ROWSMITH_HAS_SEARCH_VIEW
    return new SearchView(document, parent);
#else
    Q_UNUSED(document);
    return standIn(u"searchView"_s, QObject::tr("Search"), parent);
#endif
}

QWidget *ContentPanes::infoOutlineView(MyDocument *document, QWidget *parent)
{
#ifdef ROWSMITH_HAS_INFO_OUTLINE_VIEW
    return new InfoOutlineView(document, parent);
#else
    Q_UNUSED(document);
    return standIn(u"infoOutlineView"_s, QObject::tr("Info"), parent);
#endif
}

QWidget *ContentPanes::itemEditor(MyDocument *document, QWidget *parent)
{
    Q_UNUSED(document);
    return standIn(u"itemEditor"_s, QObject::tr("Item editing arrives with the item editor."), parent);
}

bool ContentPanes::openExportPanel(QWidget *window, MyDocument *document)
{
#ifdef ROWSMITH_HAS_EXPORT_PANEL
    ExportPanel::openFor(window, document);
    return true;
#else
    Q_UNUSED(window);
    Q_UNUSED(document);
    return false;
#endif
}
