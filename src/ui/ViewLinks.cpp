#include "ViewLinks.h"

#include "InfoOutlineView.h"
#include "ListItemsView.h"
#include "PreviewPane.h"
#include "SearchView.h"

namespace {

// Edits made in a view show in the window's modified marker at once.
void markWindow(QWidget *view)
{
    if (QWidget *window = view->window())
        window->setWindowModified(true);
}

} // namespace

void ViewLinks::connectViews(QWidget *previewWidget, QWidget *listsWidget, QWidget *searchWidget,
                             QWidget *infoWidget)
{
    auto *preview = qobject_cast<PreviewPane *>(previewWidget);
    auto *lists = qobject_cast<ListItemsView *>(listsWidget);
    auto *search = qobject_cast<SearchView *>(searchWidget);
    auto *info = qobject_cast<InfoOutlineView *>(infoWidget);

    if (preview) {
        QObject::connect(preview, &PreviewPane::listEdited, preview, [preview] { markWindow(preview); });
        if (lists)
            QObject::connect(lists, &ListItemsView::previewChanged, preview, &PreviewPane::makeTableColumns);
        if (search)
            QObject::connect(search, &SearchView::previewChanged, preview, &PreviewPane::makeTableColumns);
    }
    if (lists && search) {
        QObject::connect(lists, &ListItemsView::searchRecalled, search, &SearchView::reloadToolView);
        QObject::connect(lists, &ListItemsView::searchRequested, search, &SearchView::selectSearchTitle);
        QObject::connect(lists, &ListItemsView::listsChanged, search, &SearchView::reloadToolView);
        QObject::connect(search, &SearchView::searchesChanged, lists, &ListItemsView::reloadToolView);
    }
    if (search)
        QObject::connect(search, &SearchView::searchesChanged, search, [search] { markWindow(search); });
    if (info) {
        if (lists) {
            QObject::connect(info, &InfoOutlineView::itemActivated, lists, &ListItemsView::putItemInfoTitleAtRoot);
            QObject::connect(lists, &ListItemsView::listsChanged, info, &InfoOutlineView::reloadToolView);
        }
        if (search)
            QObject::connect(search, &SearchView::searchesChanged, info, &InfoOutlineView::reloadToolView);
    }
}
