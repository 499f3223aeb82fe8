#include "support/TestSupport.h"

#include "list/ItemsSearch.h"
#include "list/SearchEditingSource.h"
#include "platform/ArchiveArray.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QTest>

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

bool isBlank(const ItemsSearch &item)
{
    return item.itemsSearchNo() == 0 && item.beginningSwitch()
        && item.categoryString() == QStringLiteral("") && !item.categoryString().isNull()
        && item.keywordString() == QStringLiteral("") && !item.keywordString().isNull();
}

// Keeps the decoded fields so a test can see the exact keys and kinds written.
template<class T>
struct Stored
{
    static QString archiveClassName() { return T::archiveClassName(); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        fields = coder;
        return true;
    }
    ArchiveDecoder fields;
};

// A search object as a damaged file might hold it: a string among the criteria.
struct DamagedSearch
{
    static QString archiveClassName() { return SearchEditingSource::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeString(QStringLiteral("t"), u"searchObjectTitle");
        coder.beginArray(2, u"itemsSearchArray");
        coder.encodeObject(ItemsSearch(), {});
        coder.encodeString(QStringLiteral("not a criterion"), {});
        coder.endArray();
    }
};

} // namespace

class TestSearchCriteria : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void criteriaResetToBlank()
    {
        ItemsSearch item = criterion(7, false, QStringLiteral("Name"), QStringLiteral("a b"));
        item.initializationUserObject();
        QVERIFY(isBlank(item));

        SearchEditingSource source;
        QCOMPARE(source.itemsSearchArray().size(), 1);
        QVERIFY(isBlank(source.itemsSearchArray().first()));

        QVERIFY(source.registerItemsSearchArray({criterion(1, true, QStringLiteral("A"), QStringLiteral("x")),
                                                 criterion(2, false, QStringLiteral("B"), QStringLiteral("y"))}));
        QVERIFY(source.registerSearchObjectTitle(QStringLiteral("Saved")));
        QVERIFY(!source.registerItemsSearchArray({}));
        QCOMPARE(source.itemsSearchArray().size(), 1);
        QVERIFY(isBlank(source.itemsSearchArray().first()));

        source.addSearchObject(criterion(3, false, QStringLiteral("C"), QStringLiteral("z")));
        source.initializationUserObject();
        QCOMPARE(source.searchObjectTitle(), QString());
        QCOMPARE(source.itemsSearchArray().size(), 1);
        QVERIFY(isBlank(source.itemsSearchArray().first()));

        SearchEditingSource other;
        other.registerSearchObjectTitle(QStringLiteral("Other"));
        other.registerItemsSearchArray({criterion(4, false, QStringLiteral("D"), QStringLiteral("w"))});
        QVERIFY(source.setTheEnvironmentalAtDecoder(&other));
        QCOMPARE(source.searchObjectTitle(), QStringLiteral("Other"));
        QCOMPARE(source.itemsSearchArray(), other.itemsSearchArray());
    }

    void criteriaListOperations()
    {
        SearchEditingSource source;
        source.registerItemsSearchArray({criterion(0, true, {}, QStringLiteral("a")),
                                         criterion(0, true, {}, QStringLiteral("b")),
                                         criterion(0, true, {}, QStringLiteral("c"))});

        // The final row is never removed, whatever the count.
        QVERIFY(!source.removeSearchObjectAtRow(2));
        QVERIFY(!source.removeSearchObjectAtRow(-1));
        QVERIFY(source.removeSearchObjectAtRow(1));
        QCOMPARE(keywords(source), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QVERIFY(source.removeSearchObjectAtRow(0));
        QVERIFY(!source.removeSearchObjectAtRow(0));
        QCOMPARE(keywords(source), QStringList{QStringLiteral("c")});

        // A blank criterion goes after the row, or to the end for a row outside the list.
        QVERIFY(source.addSearchObjectAtRow(0));
        QCOMPARE(source.itemsSearchArray().size(), 2);
        QVERIFY(isBlank(source.itemsSearchArray().at(1)));
        QVERIFY(!source.addSearchObjectAtRow(5));
        QVERIFY(!source.addSearchObjectAtRow(-1));
        QCOMPARE(source.itemsSearchArray().size(), 4);
        QCOMPARE(source.itemsSearchArray().first().keywordString(), QStringLiteral("c"));

        // Insertion at the end is allowed; beyond it or before 0 is not.
        const ItemsSearch last = criterion(9, false, QStringLiteral("X"), QStringLiteral("end"));
        QVERIFY(!source.insertSearchObject(last, 5));
        QVERIFY(!source.insertSearchObject(last, -1));
        QVERIFY(source.insertSearchObject(last, 4));
        QVERIFY(source.insertSearchObject(criterion(1, true, {}, QStringLiteral("first")), 0));
        QCOMPARE(source.itemsSearchArray().last(), last);
        QCOMPARE(source.itemsSearchArray().first().keywordString(), QStringLiteral("first"));

        // Reading a row into the working criterion and writing it back.
        QVERIFY(source.getSearchObjectAtIndex(5));
        QCOMPARE(*source.itemsSearch(), last);
        source.itemsSearch()->registerKeywordString(QStringLiteral("edited"));
        QVERIFY(source.replaceSearchObjectAtRow(0));
        QCOMPARE(source.itemsSearchArray().first().keywordString(), QStringLiteral("edited"));
        QCOMPARE(source.itemsSearchArray().first().itemsSearchNo(), 9);
        QVERIFY(!source.replaceSearchObjectAtRow(6));

        // A failed read leaves the working criterion blank, not the previous row.
        QVERIFY(!source.getSearchObjectAtIndex(6));
        QVERIFY(isBlank(*source.itemsSearch()));
    }

    void archiveKeysAndRoundTrip()
    {
        SearchEditingSource source;
        source.registerSearchObjectTitle(QStringLiteral("Tokyo customers"));
        source.registerItemsSearchArray({criterion(-3, false, QStringLiteral("City"), QStringLiteral("Tokyo")),
                                         criterion(2, true, {}, {})});
        source.itemsSearch()->registerKeywordString(QStringLiteral("working"));

        const QByteArray bytes = KeyedArchiver::archivedData(source, u"root");
        QVERIFY(!bytes.isEmpty());

        const auto stored = KeyedUnarchiver::unarchivedObject<Stored<SearchEditingSource>>(bytes, u"root");
        QVERIFY(stored);
        QCOMPARE(stored->fields.allKeys(), (QStringList{QStringLiteral("searchObjectTitle"),
                                                        QStringLiteral("itemsSearchArray")}));
        QCOMPARE(stored->fields.kindForKey(u"searchObjectTitle"), ArchiveKind::String);
        QCOMPARE(stored->fields.kindForKey(u"itemsSearchArray"), ArchiveKind::Array);
        const ArchiveArray array = stored->fields.decodeArray(u"itemsSearchArray");
        QCOMPARE(array.size(), 2);
        QCOMPARE(array.kindAt(0), ArchiveKind::Object);
        const auto first = array.objectAt<Stored<ItemsSearch>>(0);
        QVERIFY(first);
        QCOMPARE(first->fields.className(), QStringLiteral("ItemsSearch"));
        QCOMPARE(first->fields.allKeys(), (QStringList{QStringLiteral("itemsSearchNo"), QStringLiteral("beginningSwitch"),
                                                       QStringLiteral("categoryString"), QStringLiteral("keywordString")}));
        QCOMPARE(first->fields.kindForKey(u"itemsSearchNo"), ArchiveKind::Int);
        QCOMPARE(first->fields.kindForKey(u"beginningSwitch"), ArchiveKind::Bool);
        QCOMPARE(first->fields.kindForKey(u"categoryString"), ArchiveKind::String);
        QCOMPARE(first->fields.kindForKey(u"keywordString"), ArchiveKind::String);

        const auto decoded = KeyedUnarchiver::unarchivedObject<SearchEditingSource>(bytes, u"root");
        QVERIFY(decoded);
        QCOMPARE(decoded->searchObjectTitle(), source.searchObjectTitle());
        QCOMPARE(decoded->itemsSearchArray(), source.itemsSearchArray());
        QVERIFY(isBlank(*decoded->itemsSearch()));

        // A stored empty list still decodes to one blank criterion.
        struct EmptySearch
        {
            static QString archiveClassName() { return SearchEditingSource::archiveClassName(); }
            void encodeWithCoder(ArchiveEncoder &coder) const
            {
                coder.beginArray(0, u"itemsSearchArray");
                coder.endArray();
            }
        };
        const auto empty = KeyedUnarchiver::unarchivedObject<SearchEditingSource>(
            KeyedArchiver::archivedData(EmptySearch(), u"root"), u"root");
        QVERIFY(empty);
        QCOMPARE(empty->itemsSearchArray().size(), 1);
        QVERIFY(isBlank(empty->itemsSearchArray().first()));
        QVERIFY(!empty->searchObjectTitle().isNull());

        // A foreign element among the criteria is refused, not skipped over silently.
        QString error;
        QVERIFY(!KeyedUnarchiver::unarchivedObject<SearchEditingSource>(
            KeyedArchiver::archivedData(DamagedSearch(), u"root"), u"root", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSearchCriteria)
#include "tst_SearchCriteria.moc"
