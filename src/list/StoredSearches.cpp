#include "StoredSearches.h"

#include "ListItem.h"
#include "ListItemsSource.h"
#include "SearchEditingSource.h"

#include "CreatorInformation.h"

namespace {

void logSearch(ListItemsSource &lists, const QString &title, const QString &nickname, int ownState)
{
    CreatorInformation *creator = lists.listItem()->creatorInformation();
    creator->register_logComment(title);
    const bool own = nickname == creator->creatorName();
    creator->register_updateCreator(nickname);
    creator->set_dayOfUpdate();
    creator->workLogWithState(own ? ownState : ownState + 1);
    lists.registerInfoText(creator->logText());
}

} // namespace

QStringList StoredSearches::titles(const ListItemsSource &lists)
{
    return lists.listItem()->searchObjectDic().keys();
}

bool StoredSearches::store(ListItemsSource &lists, const SearchEditingSource &search, const QString &title,
                           const QString &nickname)
{
    if (title.trimmed().isEmpty())
        return false;
    SearchEditingSource named = search;
    named.registerSearchObjectTitle(title);
    if (!lists.addSearchObject(&named, title))
        return false;
    logSearch(lists, title, nickname, 8);
    return true;
}

bool StoredSearches::recall(const ListItemsSource &lists, const QString &title, SearchEditingSource &search)
{
    const SearchEditingSource *stored = lists.listItem()->developSearchObjectAtTitle(title);
    if (!stored)
        return false;
    // Copied before anything else may change the stored searches.
    const SearchEditingSource copy = *stored;
    return search.setTheEnvironmentalAtDecoder(&copy);
}

bool StoredSearches::remove(ListItemsSource &lists, const QString &title, const QString &nickname,
                            SearchEditingSource &search)
{
    if (!lists.listItem()->inspectionSearchObjectAtTitle(title) || !lists.removeSearchObjectAtTitle(title))
        return false;
    logSearch(lists, title, nickname, 10);
    search.initializationUserObject();
    return true;
}
