#include "list/CreatorInformation.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"
#include "list/StoredSearches.h"

#include "support/TestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

SearchEditingSource searchFor(const QString &category, const QString &keyword)
{
    ItemsSearch criterion;
    criterion.registerCategoryString(category);
    criterion.registerKeywordString(keyword);
    SearchEditingSource search;
    search.registerItemsSearchArray({criterion});
    return search;
}

} // namespace

class tst_StoredSearches : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void storeRecallAndRemoveLogTheirEntries()
    {
        ListItemsSource lists;
        CreatorInformation *creator = lists.listItem()->creatorInformation();
        creator->register_creatorName(u"ann"_s);

        // A blank title stores nothing and logs nothing.
        QVERIFY(!StoredSearches::store(lists, searchFor(u"Name"_s, u"pear"_s), u"  "_s, u"ann"_s));
        QVERIFY(creator->workLogArray().isEmpty());

        QVERIFY(StoredSearches::store(lists, searchFor(u"Name"_s, u"pear"_s), u"Pears"_s, u"ann"_s));
        QVERIFY(StoredSearches::store(lists, searchFor(u"Name"_s, u"fig"_s), u"Figs"_s, u"bob"_s));
        QCOMPARE(StoredSearches::titles(lists), (QStringList{u"Figs"_s, u"Pears"_s}));
        QCOMPARE(creator->workLogArray().size(), 2);
        // Each entry names the search; the newest comes first.
        QVERIFY(creator->workLogArray().at(0).contains(u"Figs"_s));
        QVERIFY(creator->workLogArray().at(1).contains(u"Pears"_s));
        QCOMPARE(creator->updateCreator(), u"bob"_s);
        QCOMPARE(lists.infoText(), creator->logText());

        // The stored copy keeps its title and criteria, whatever happens to the working search.
        SearchEditingSource working = searchFor(u"ID"_s, u"1"_s);
        QVERIFY(StoredSearches::recall(lists, u"Pears"_s, working));
        QCOMPARE(working.searchObjectTitle(), u"Pears"_s);
        QCOMPARE(working.itemsSearchArray().at(0).keywordString(), u"pear"_s);
        QVERIFY(!StoredSearches::recall(lists, u"Plums"_s, working));
        QCOMPARE(working.searchObjectTitle(), u"Pears"_s);

        QVERIFY(!StoredSearches::remove(lists, u"Plums"_s, u"ann"_s, working));
        QCOMPARE(creator->workLogArray().size(), 2);
        QVERIFY(StoredSearches::remove(lists, u"Pears"_s, u"ann"_s, working));
        QCOMPARE(StoredSearches::titles(lists), QStringList{u"Figs"_s});
        QCOMPARE(creator->workLogArray().size(), 3);
        QVERIFY(working.searchObjectTitle().isEmpty());
        QCOMPARE(working.countOfItemsSearch(), 1);
        QVERIFY(!working.itemsSearchArray().at(0).confirmKeywordString());
    }
};

QTEST_MAIN(tst_StoredSearches)
#include "tst_StoredSearches.moc"
