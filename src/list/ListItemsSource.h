#pragma once

#include "ListItem.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;
class CreatorInformation;
class ItemsEditingSource;
class SearchEditingSource;

// List title -> the creator record copied from that list.
using ItemLogDictionary = QMap<QString, CreatorInformation>;

// A document's register of its lists: the list currently open, a directory of
// every saved list keyed by list ID ("id%d"), and the editing and search state
// of the open list. Saved lists live as "<id>.listItems" in the document's
// object folder; this class keeps their directory and moves removed files aside.
//
// Directory entry (QVariantMap): "listItemID" int, "importListItemsFilePass"
// string (file name only), "listItemTitle" string, "itemCount" uint,
// "searchObjectDic" QVariantMap of title -> QVariant(SearchEditingSource).
//
// The directory is walked in natural ID order (id2 before id10), the order in
// which lists are numbered; QVariantMap's own key order would put id10 first.
class ListItemsSource
{
public:
    ListItemsSource();
    ~ListItemsSource();
    ListItemsSource(const ListItemsSource &) = delete;
    ListItemsSource &operator=(const ListItemsSource &) = delete;

    static QString archiveClassName() { return QStringLiteral("ListItemsSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Clears the current list's source, ID, entry, number, title and
    // searches; the directory, the logs, the open list and removed entries stay.
    void initializationUserObject();
    // With a directory: takes the current list's ID, entry, title and number.
    // Without one: copies the other's open list and editing state.
    bool setTheEnvironmentalAtDecoder(const ListItemsSource *other);
    // Copies everything the archive holds, for a snapshot that a worker can
    // archive while this one goes on changing. Rows are shared, not copied.
    void copyArchivedState(const ListItemsSource &other);

    // "id" followed by a number in canonical decimal form ("id0", "id12").
    // Anything else never names a file.
    static bool isListItemIDString(const QString &idString);
    // "<id>.listItems", or "" for an ID that is not a list ID.
    static QString listItemsFileName(const QString &idString);
    static QString listItemIDStringForNumber(qint32 number);

    // Owned parts, made on first access; never null.
    ListItem *listItem();
    const ListItem *listItem() const;
    ItemsEditingSource *itemsEditingSource();
    const ItemsEditingSource *itemsEditingSource() const;
    SearchEditingSource *searchEditingSource();
    const SearchEditingSource *searchEditingSource() const;

    const ItemLogDictionary &itemLogListDictionary() const { return m_itemLogListDictionary; }
    bool registerItemLogListDictionary(const ItemLogDictionary &dictionary);

    const QString &importListItemsFilePass() const { return m_importListItemsFilePass; }
    bool registerImportListItemsFilePass(const QString &value);
    bool confirmImportListItemsFilePass() const { return !m_importListItemsFilePass.isEmpty(); }

    const QVariantMap &originalOfTheListItemsDic() const { return m_originalOfTheListItemsDic; }
    bool registerOriginalOfTheListItemsDic(const QVariantMap &dictionary);
    bool confirmOriginalOfTheListItemsDic() const { return !m_originalOfTheListItemsDic.isEmpty(); }
    // The directory's IDs in natural order.
    QStringList listItemIDStrings() const;

    const QString &listItemIDString() const { return m_listItemIDString; }
    bool registerListItemIDString(const QString &value);
    bool confirmListItemIDString() const { return !m_listItemIDString.isEmpty(); }

    const QVariantMap &titleOfTheObjectDic() const { return m_titleOfTheObjectDic; }
    bool registerTitleOfTheObjectDic(const QVariantMap &entry);
    bool confirmTitleOfTheObjectDic() const { return !m_titleOfTheObjectDic.isEmpty(); }

    qint32 listItemID() const { return m_listItemID; }
    void registerListItemID(qint32 number) { m_listItemID = number; }

    const QString &listItemTitle() const { return m_listItemTitle; }
    bool registerListItemTitle(const QString &value);
    bool confirmListItemTitle() const { return !m_listItemTitle.isEmpty(); }

    const QString &infoText() const { return m_infoText; }
    bool registerInfoText(const QString &value);
    bool confirmInfoText() const { return !m_infoText.isEmpty(); }

    const SearchObjectDictionary &searchObjectDic() const { return m_searchObjectDic; }
    bool registerSearchObjectDic(const SearchObjectDictionary &dictionary);
    bool confirmSearchObjectDic() const { return !m_searchObjectDic.isEmpty(); }

    const QString &searchObjectTitle() const { return m_searchObjectTitle; }
    bool registerSearchObjectTitle(const QString &value);
    bool confirmSearchObjectTitle() const { return !m_searchObjectTitle.isEmpty(); }

    // Entries removed in this run, by ID.
    const QVariantMap &removeOfTheListItemsDic() const { return m_removeOfTheListItemsDic; }

    void makingListItemIDString();
    // Picks a number no directory entry has and sets the ID string.
    void newListItemIDString();
    // Selects the first entry (in ID order) with the title as the current one.
    bool inspectionListItemTitle(const QString &title);
    // Registers the open list under the current title, asking (alert 202201)
    // before replacing a list of the same title.
    bool addListItemTitle();
    // Writes the current list's directory entry.
    bool addListItemIDString();
    bool lastPathComponentOfTheImportListItems();
    // Moves "<id>.listItems" of the current list from cachesFolderName to
    // transferFolder and takes its entry out of the directory.
    bool removeListItemOfCachesFolderName(const QString &cachesFolderName, const QString &transferFolder);
    // Titles of all entries in ID order; empty without a directory.
    QStringList titlelist() const;

    bool addItemLogListAtObject(const CreatorInformation *object, const QString &title);
    // Logs a copy of the open list's creator record under the current title.
    bool setLogText();

    bool addSearchObject(const SearchEditingSource *search, const QString &title);
    bool removeSearchObjectAtTitle(const QString &title);

private:
    mutable std::unique_ptr<ListItem> m_listItem;
    ItemLogDictionary m_itemLogListDictionary;
    QString m_importListItemsFilePass;
    QVariantMap m_originalOfTheListItemsDic;
    QString m_listItemIDString;
    QVariantMap m_titleOfTheObjectDic;
    qint32 m_listItemID = 0;
    QString m_listItemTitle;
    QString m_infoText;
    mutable std::unique_ptr<ItemsEditingSource> m_itemsEditingSource;
    mutable std::unique_ptr<SearchEditingSource> m_searchEditingSource;
    SearchObjectDictionary m_searchObjectDic;
    QString m_searchObjectTitle;
    QVariantMap m_removeOfTheListItemsDic;
};
