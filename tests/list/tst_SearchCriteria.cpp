#include "support/StoredKeys.h"
#include "support/TestSupport.h"

#include "list/ItemsSearch.h"
#include "list/SearchEditingSource.h"
#include "platform/ArchiveArray.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ItemsSearch criterion(qint32 number, bool collect, const QString &category, const QString &keyword)
{
    ItemsSearch item;
    item.registerItemsSearchNo(number);
    item.registerBeginningSwitch(collect);
    item.registerCategoryString(category);
    item.registerKeywordString(keyword);
    return item;
}

QStringList keywords(const SearchEditingSource &source)
{
    QStringList list;
    for (const ItemsSearch &item : source.itemsSearchArray())
        list.append(item.keywordString());
    return list;
}

// Number 0, collecting, and empty (not missing) texts.
bool isBlank(const ItemsSearch &item)
{
    return item.itemsSearchNo() == 0 && item.beginningSwitch() && item.categoryString() == u""_s
        && !item.categoryString().isNull() && item.keywordString() == u""_s && !item.keywordString().isNull();
}

bool onlyBlank(const SearchEditingSource &source)
{
    return source.itemsSearchArray().size() == 1 && isBlank(source.itemsSearchArray().first());
}


// A search object as a damaged file might hold it: no criteria, or a string among them.
struct HandWrittenSearch
{
    static QString archiveClassName() { return SearchEditingSource::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.beginArray(damaged ? 2 : 0, u"itemsSearchArray");
        if (damaged) {
            coder.encodeObject(ItemsSearch(), {});
            coder.encodeString(u"not a criterion"_s, {});
        }
        coder.endArray();
    }
    bool damaged = false;
};

} // namespace

class TestSearchCriteria : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void criteriaResetToBlank()
    {
        ItemsSearch item = criterion(7, false, u"Name"_s, u"a b"_s);
        item.initializationUserObject();
        QVERIFY(isBlank(item));

        SearchEditingSource source;
        QVERIFY(onlyBlank(source));
        QVERIFY(source.registerItemsSearchArray({criterion(1, true, u"A"_s, u"x"_s), criterion(2, false, u"B"_s, u"y"_s)}));
        QVERIFY(!source.registerItemsSearchArray({}));
        QVERIFY(onlyBlank(source));

        source.registerSearchObjectTitle(u"Saved"_s);
        source.addSearchObject(criterion(3, false, u"C"_s, u"z"_s));
        source.initializationUserObject();
        QVERIFY(source.searchObjectTitle().isEmpty() && onlyBlank(source));
    }

    void criteriaListOperations()
    {
        SearchEditingSource source;
        source.registerItemsSearchArray({criterion(0, true, {}, u"a"_s), criterion(0, true, {}, u"b"_s),
                                         criterion(0, true, {}, u"c"_s)});

        // The final row is never removed, whatever the count.
        QVERIFY(!source.removeSearchObjectAtRow(2) && !source.removeSearchObjectAtRow(-1));
        QVERIFY(source.removeSearchObjectAtRow(1));
        QCOMPARE(keywords(source), (QStringList{u"a"_s, u"c"_s}));
        QVERIFY(source.removeSearchObjectAtRow(0));
        QVERIFY(!source.removeSearchObjectAtRow(0));
        QCOMPARE(keywords(source), QStringList{u"c"_s});

        // A blank criterion goes after the row, or to the end for a row outside the list.
        QVERIFY(source.addSearchObjectAtRow(0));
        QVERIFY(isBlank(source.itemsSearchArray().at(1)));
        QVERIFY(!source.addSearchObjectAtRow(5) && !source.addSearchObjectAtRow(-1));
        QCOMPARE(keywords(source), (QStringList{u"c"_s, {}, {}, {}}));

        // Insertion at the end is allowed; beyond it or before 0 is not.
        const ItemsSearch last = criterion(9, false, u"X"_s, u"end"_s);
        QVERIFY(!source.insertSearchObject(last, 5) && !source.insertSearchObject(last, -1));
        QVERIFY(source.insertSearchObject(last, 4));
        QVERIFY(source.insertSearchObject(criterion(1, true, {}, u"first"_s), 0));
        QCOMPARE(source.itemsSearchArray().last(), last);
        QCOMPARE(source.itemsSearchArray().first().keywordString(), u"first"_s);

        // Reading a row into the working criterion and writing it back.
        QVERIFY(source.getSearchObjectAtIndex(5));
        QCOMPARE(*source.itemsSearch(), last);
        source.itemsSearch()->registerKeywordString(u"edited"_s);
        QVERIFY(source.replaceSearchObjectAtRow(0));
        QCOMPARE(source.itemsSearchArray().first(), criterion(9, false, u"X"_s, u"edited"_s));
        QVERIFY(!source.replaceSearchObjectAtRow(6));

        // A failed read leaves the working criterion blank, not the previous row.
        QVERIFY(!source.getSearchObjectAtIndex(6));
        QVERIFY(isBlank(*source.itemsSearch()));
    }

    void archiveKeysAndRoundTrip()
    {
        SearchEditingSource source;
        source.registerSearchObjectTitle(u"Tokyo customers"_s);
        source.registerItemsSearchArray({criterion(-3, false, u"City"_s, u"Tokyo"_s), criterion(2, true, {}, {})});
        source.itemsSearch()->registerKeywordString(u"working"_s);
        const QByteArray bytes = KeyedArchiver::archivedData(source, u"root");

        using K = ArchiveKind;
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredKeys<SearchEditingSource>>(bytes, u"root");
        QVERIFY(stored);
        QCOMPARE(stored->kinds, (QList<std::pair<QString, K>>{{u"searchObjectTitle"_s, K::String},
                                                              {u"itemsSearchArray"_s, K::Array}}));
        const ArchiveArray array = stored->fields.decodeArray(u"itemsSearchArray");
        QVERIFY(array.size() == 2 && array.kindAt(0) == K::Object);
        const auto first = array.objectAt<StoredKeys<ItemsSearch>>(0);
        QVERIFY(first);
        QCOMPARE(first->fields.className(), u"ItemsSearch"_s);
        QCOMPARE(first->kinds, (QList<std::pair<QString, K>>{{u"itemsSearchNo"_s, K::Int}, {u"beginningSwitch"_s, K::Bool},
                                                             {u"categoryString"_s, K::String},
                                                             {u"keywordString"_s, K::String}}));

        // The working criterion is not stored.
        const auto decoded = KeyedUnarchiver::unarchivedObject<SearchEditingSource>(bytes, u"root");
        QVERIFY(decoded);
        QCOMPARE(*decoded, source);
        QVERIFY(isBlank(*decoded->itemsSearch()));

        // A stored empty list still decodes to one blank criterion, without a missing title.
        const auto empty = KeyedUnarchiver::unarchivedObject<SearchEditingSource>(
            KeyedArchiver::archivedData(HandWrittenSearch(), u"root"), u"root");
        QVERIFY(empty && onlyBlank(*empty) && !empty->searchObjectTitle().isNull());

        // A foreign element among the criteria is refused, not skipped over silently.
        QString error;
        QVERIFY(!KeyedUnarchiver::unarchivedObject<SearchEditingSource>(
            KeyedArchiver::archivedData(HandWrittenSearch{true}, u"root"), u"root", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSearchCriteria)
#include "tst_SearchCriteria.moc"
