#include "support/StoredKeys.h"
#include "list/CreatorInformation.h"
#include "list/ListItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include "TestSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTitles = {u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s};

RowSchema::Ptr schema()
{
    static const RowSchema::Ptr s = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s});
    return s;
}

Row row(const QString &id, const QString &name = QString(), quint32 mark = 0)
{
    return Row::fromTexts(schema(), {QStringView(), QStringView(id), QStringView(name)}, mark);
}

QStringList ids(const RowList &rows)
{
    QStringList result;
    for (const Row &r : rows)
        result.append(r.cellText(u"ID").toString());
    return result;
}

ListItem sampleList(const QStringList &rowIDs)
{
    ListItem item;
    item.registerColumnTitlesArray(kTitles);
    item.makingColumnTitlesDic();
    RowList rows;
    for (const QString &id : rowIDs)
        rows.append(row(id, u"name "_s + id));
    item.registerTableItemObjectArray(rows);
    return item;
}


// Writes a ListItem archive with hand-made fields, as a hostile file might.
struct ForgedList
{
    static QString archiveClassName() { return u"ListItem"_s; }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeStringArray(kTitles, u"columnTitlesArray");
        coder.encodeValue(QVariantMap{{u"ID"_s, 40.5f}, {u"Name"_s, u"wide"_s}}, u"columnTitlesWidthDic");
        coder.beginArray(2, u"tableItemObjectArray");
        row(u"a"_s, u"x"_s).encodeWithCoder(coder, {});
        coder.encodeInt32(7, {});
        coder.endArray();
    }
};

} // namespace

class tst_ListItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void archiveRoundTrip()
    {
        ListItem item = sampleList({u"b"_s, u"a"_s});
        item.creatorInformation()->register_creatorName(u"maker"_s);
        item.setColumnTitlesWidth(80.25f, u"Name"_s);
        item.registerConversionRelevantFilePath(u"/data/in.csv"_s);
        item.registerEncodingType(8);
        item.registerCrState(true);
        SearchEditingSource search;
        search.registerSearchObjectTitle(u"s1"_s);
        item.addSearchObject(&search, u"first"_s);
        RowList rows = item.tableItemObjectArray();
        rows[0].setIndication(3);
        rows[0].setOption(AttributedText(u"opt"_s));
        item.registerTableItemObjectArray(rows);

        const QByteArray bytes = KeyedArchiver::archivedData(item, u"ListItem");
        QVERIFY(!bytes.isEmpty());
        {
            KeyedUnarchiver unarchiver(bytes);
            const auto raw = unarchiver.root().decodeObject<StoredKeys<ListItem>>(u"ListItem");
            QVERIFY(raw);
            using K = ArchiveKind;
            const QList<std::pair<QString, ArchiveKind>> expected = {
                {u"creatorInformation"_s, K::Object}, {u"columnTitlesArray"_s, K::Array},
                {u"columnTitlesDic"_s, K::Dictionary}, {u"columnTitlesWidthDic"_s, K::Dictionary},
                {u"tableItemObjectArray"_s, K::Array}, {u"optionObjectSource"_s, K::Object},
                {u"searchObjectDic"_s, K::Dictionary}, {u"conversionRelevantFilePath"_s, K::String},
                {u"encodingType"_s, K::Int}, {u"crState"_s, K::Bool}};
            QCOMPARE(raw->kinds, expected);
            const ArchiveDecoder &f = raw->fields;
            QCOMPARE(f.decodeDictionary(u"columnTitlesWidthDic").kindForKey(u"Name"), K::Float);
            QCOMPARE(f.decodeArray(u"tableItemObjectArray").kindAt(0), K::Dictionary);
            QCOMPARE(f.decodeDictionary(u"searchObjectDic").kindForKey(u"first"), K::Object);
        }

        const auto back = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem");
        QVERIFY(back);
        QCOMPARE(back->columnTitlesArray(), kTitles);
        QCOMPARE(back->columnTitlesDic(), item.columnTitlesDic());
        QCOMPARE(back->columnTitlesWidthDic().value(u"Name"_s).typeId(), int(QMetaType::Float));
        QCOMPARE(back->columnTitlesWidthDic().value(u"Name"_s).toFloat(), 80.25f);
        QCOMPARE(back->tableItemObjectArray(), item.tableItemObjectArray()); // marks and options included
        // Rows read in sequence share one schema.
        QCOMPARE(back->tableItemObjectArray().at(0).schema().data(), back->tableItemObjectArray().at(1).schema().data());
        QCOMPARE(back->creatorInformation()->creatorName(), u"maker"_s);
        const SearchEditingSource *backSearch = back->developSearchObjectAtTitle(u"first"_s);
        QVERIFY(backSearch && backSearch->searchObjectTitle() == u"s1"_s);
        QCOMPARE(back->conversionRelevantFilePath(), u"/data/in.csv"_s);
        QVERIFY(back->encodingType() == 8 && back->crState());

        // Titles without rows come back with empty rows.
        const auto emptyBack = KeyedUnarchiver::unarchivedObject<ListItem>(KeyedArchiver::archivedData(sampleList({}), u"L"), u"L");
        QVERIFY(emptyBack && emptyBack->columnTitlesArray() == kTitles && !emptyBack->confirmTableItemObjectArray());
    }

    void hostileArchive()
    {
        // A row that is not a dictionary fails the whole list instead of being
        // read as something else.
        const QByteArray bytes = KeyedArchiver::archivedData(ForgedList(), u"ListItem");
        QVERIFY(!bytes.isEmpty() && !KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem"));

        // Widths that are not numbers are dropped.
        ListItem item;
        QVERIFY(item.registerColumnTitlesWidthDic({{u"ID"_s, 12.0}, {u"Name"_s, u"wide"_s}}));
        QCOMPARE(item.columnTitlesWidthDic().keys(), QStringList{u"ID"_s});
        QCOMPARE(item.columnTitlesWidthDic().value(u"ID"_s).typeId(), int(QMetaType::Float));
    }

    void previewRowsAndIndicationMode()
    {
        ListItem item = sampleList({u"a"_s, u"b"_s, u"c"_s});

        // Mode set without a search result: all rows, and the mode falls back.
        item.registerIndicationMode(true);
        QCOMPARE(item.itemCount(), 3);
        QCOMPARE(ids(item.previewRows()), ids(item.tableItemObjectArray()));
        QVERIFY(item.indicationMode()); // previewRows() changes nothing
        QCOMPARE(ids(item.preTableObjectArray()), QStringList({u"a"_s, u"b"_s, u"c"_s}));
        QVERIFY(!item.indicationMode());

        // With a result the preview is the result, and writes go there.
        item.registerTableItemOfTheSearchObjectArray({row(u"c"_s, u"x"_s)});
        item.registerIndicationMode(true);
        QCOMPARE(item.itemCount(), 1);
        QCOMPARE(item.itemSearchCount(), 1);
        QCOMPARE(ids(item.preTableObjectArray()), QStringList{u"c"_s});
        QVERIFY(item.indicationMode());
        QVERIFY(item.registerPreTableObjectArray({row(u"b"_s, u"y"_s), row(u"a"_s, u"z"_s)}));
        QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({u"b"_s, u"a"_s}));
        QCOMPARE(item.tableItemObjectArray().size(), 3);

        // Bounds of getObjectAtIndex follow the preview rows.
        QCOMPARE(item.getObjectAtIndex(1)->cellText(u"ID"), u"a");
        QVERIFY(!item.getObjectAtIndex(2) && !item.getObjectAtIndex(-1));
        item.registerIndicationMode(false);
        QVERIFY(item.getObjectAtIndex(2) && !item.getObjectAtIndex(3));
        QVERIFY(!ListItem().getObjectAtIndex(0));
    }

    void rowsByItemID()
    {
        ListItem item = sampleList({u"a"_s, u"b"_s, u"b"_s});

        // First match wins; its index is kept.
        QVERIFY(item.inspectionObjectAtItemID(u"b"));
        QCOMPARE(item.itemObjectRow(), 1);
        QVERIFY(!item.inspectionObjectAtItemID(u"zz"));
        QCOMPARE(item.itemObjectRow(), 1);

        // Replaced where it stands.
        QVERIFY(item.addTableItemObject(row(u"b"_s, u"new"_s), u"b"));
        QCOMPARE(ids(item.tableItemObjectArray()), QStringList({u"a"_s, u"b"_s, u"b"_s}));
        QCOMPARE(item.tableItemObjectArray().at(1).cellText(u"Name"), u"new");
        QCOMPARE(item.tableItemObjectArray().at(2).cellText(u"Name"), u"name b");

        // New IDs go to the top, newest first.
        QVERIFY(item.addTableItemObject(row(u"c"_s), u"c"));
        QVERIFY(item.addTableItemObject(row(u"d"_s), u"d"));
        QCOMPARE(ids(item.tableItemObjectArray()).mid(0, 3), QStringList({u"d"_s, u"c"_s, u"a"_s}));

        // An empty ID is stored but never found, and never used to add.
        RowList rows = item.tableItemObjectArray();
        rows.append(row(QString(), u"anonymous"_s));
        item.registerTableItemObjectArray(rows);
        QVERIFY(!item.inspectionObjectAtItemID(u""));
        QVERIFY(!item.addTableItemObject(row(QString(), u"again"_s), u""));
        QVERIFY(!item.removeTableItemObjectAtItemID(u""));
        QCOMPARE(item.tableItemObjectArray().size(), 6);

        // Rearranging uses the row's own ID; the index plays no part.
        QVERIFY(item.rearrangeItemObject(row(u"a"_s, u"moved"_s), 0));
        QCOMPARE(item.tableItemObjectArray().at(2).cellText(u"Name"), u"moved");
        QVERIFY(!item.rearrangeItemSearchObject(row(u"a"_s), 0)); // no result rows

        QVERIFY(item.removeTableItemObjectAtItemID(u"b"));
        QCOMPARE(ids(item.tableItemObjectArray()).count(u"b"_s), 1);

        // Search-result rows have their own lookups; a result holds rows of
        // the list, so a row new to the result is new to the list too.
        item.registerTableItemOfTheSearchObjectArray({row(u"c"_s), row(u"a"_s)});
        QVERIFY(item.inspectionSearchObjectAtItemID(u"a"));
        QCOMPARE(item.itemSearchObjectRow(), 1);
        QVERIFY(item.addTableItemSearchObject(row(u"z"_s), u"z"));
        QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({u"z"_s, u"c"_s, u"a"_s}));
        QVERIFY(item.inspectionObjectAtItemID(u"z"));
        QVERIFY(item.removeTableItemSearchObjectAtItemID(u"c"));
        QVERIFY(item.inspectionObjectAtItemID(u"c"));
        QVERIFY(!item.inspectionSearchObjectAtItemID(u"c"));
    }

    void marksReachTheFullList()
    {
        ListItem item = sampleList({u"a"_s, u"b"_s, u"c"_s});
        item.registerTableItemOfTheSearchObjectArray({row(u"c"_s, u"name c"_s), row(u"a"_s, u"name a"_s)});
        item.registerIndicationMode(true);

        QVERIFY(item.registerIndication(1, 1));
        QCOMPARE(item.tableItemOfTheSearchObjectArray().at(1).indication(), 1u);
        const RowList all = item.tableItemObjectArray();
        QCOMPARE(ids(all), QStringList({u"a"_s, u"b"_s, u"c"_s}));
        QCOMPARE(QList<quint32>({all.at(0).indication(), all.at(1).indication(), all.at(2).indication()}),
                 QList<quint32>({1u, 0u, 0u}));
        QVERIFY(!item.registerIndication(1, 2));

        // Outside the mode the full list is marked, and a result showing the
        // same row never holds a stale mark.
        item.registerIndicationMode(false);
        QVERIFY(item.registerIndication(7, 2));
        QCOMPARE(item.tableItemObjectArray().at(2).indication(), 7u);
        QCOMPARE(item.tableItemOfTheSearchObjectArray().at(0).indication(), 7u);
    }

    void sorting()
    {
        ListItem item = sampleList({});
        item.registerTableItemObjectArray({row(u"1"_s, u"pear"_s), row(u"2"_s, u"apple"_s), row(u"3"_s, u"pear"_s),
                                           row(u"4"_s, u"Zed"_s), row(u"5"_s, u"apple"_s)});

        QVERIFY(item.sortedUsingDescriptorsArray({{u"Columns3"_s, true}}));
        QCOMPARE(ids(item.tableItemObjectArray()), QStringList({u"4"_s, u"2"_s, u"5"_s, u"1"_s, u"3"_s}));
        // Descending keeps equal texts in their present order.
        QVERIFY(item.sortedUsingDescriptorsArray({{u"Name"_s, false}}));
        QCOMPARE(ids(item.tableItemObjectArray()), QStringList({u"1"_s, u"3"_s, u"2"_s, u"5"_s, u"4"_s}));
        QVERIFY(item.sortedUsingDescriptorsArray({{u"Name"_s, true, Qt::CaseInsensitive}}));
        QCOMPARE(ids(item.tableItemObjectArray()).last(), u"4"_s);

        // Marks sort as numbers.
        RowList rows = item.tableItemObjectArray();
        rows[0].setIndication(10);
        rows[1].setIndication(9);
        item.registerTableItemObjectArray(rows);
        QVERIFY(item.sortedUsingDescriptorsArray({{u"Columns0"_s, false}}));
        QVERIFY(item.tableItemObjectArray().at(0).indication() == 10u && item.tableItemObjectArray().at(1).indication() == 9u);

        // Only the preview rows are sorted.
        item.registerTableItemOfTheSearchObjectArray({row(u"5"_s), row(u"2"_s)});
        item.registerIndicationMode(true);
        const QStringList before = ids(item.tableItemObjectArray());
        QVERIFY(item.sortedUsingDescriptorsArray({{u"Columns2"_s, true}}));
        QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({u"2"_s, u"5"_s}));
        QCOMPARE(ids(item.tableItemObjectArray()), before);

        QVERIFY(!item.sortedUsingDescriptorsArray({}));
    }

    void copyingAndReset()
    {
        ListItem item = sampleList({u"a"_s, u"b"_s});
        item.creatorInformation()->register_creatorName(u"maker"_s);
        item.registerConversionRelevantFilePath(u"/x/list.csv"_s);
        item.registerEncodingType(21);
        item.registerCrState(true);
        item.setColumnTitlesWidth(10.0f, u"ID"_s);
        SearchEditingSource search;
        item.addSearchObject(&search, u"s"_s);
        item.registerTableItemOfTheSearchObjectArray({row(u"a"_s)});
        item.registerIndicationMode(true);

        // The copy takes everything but the mode, and its edits stay its own.
        ListItem copy;
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&item));
        QCOMPARE(copy.creatorInformation()->creatorName(), u"maker"_s);
        QVERIFY(copy.encodingType() == 21 && copy.crState() && copy.inspectionSearchObjectAtTitle(u"s"_s));
        QVERIFY(!copy.indicationMode());
        QVERIFY(copy.registerIndication(5, 0));
        copy.addTableItemObject(row(u"a"_s, u"changed"_s), u"a");
        QCOMPARE(item.tableItemObjectArray().at(0).indication(), 0u);
        QCOMPARE(item.tableItemObjectArray().at(0).cellText(u"Name"), u"name a");

        // A plain C++ copy owns its own creator information.
        ListItem value = item;
        value.creatorInformation()->register_creatorName(u"other"_s);
        QCOMPARE(item.creatorInformation()->creatorName(), u"maker"_s);

        // Without a title dictionary one is built from the titles.
        ListItem bare;
        bare.registerColumnTitlesArray(kTitles);
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&bare));
        QCOMPARE(copy.columnTitlesDic().value(u"Columns2"_s).toString(), u"ID"_s);
        QVERIFY(!copy.confirmTableItemObjectArray());
        const ListItem untitled; // leaves this one emptied
        QVERIFY(!copy.setTheEnvironmentalAtDecoder(&untitled) && !copy.confirmColumnTitlesArray());

        // A reset drops the table and searches, and keeps the source and creator.
        item.initializationUserObject();
        QVERIFY(!item.confirmColumnTitlesArray() && !item.confirmColumnTitlesDic() && !item.confirmColumnTitlesWidthDic());
        QVERIFY(!item.confirmTableItemObjectArray() && !item.confirmTableItemOfTheSearchObjectArray());
        QVERIFY(!item.confirmSearchObjectDic() && !item.indicationMode());
        QCOMPARE(item.creatorInformation()->creatorName(), u"maker"_s);
        QCOMPARE(item.conversionRelevantFilePath(), u"/x/list.csv"_s);
        QVERIFY(item.encodingType() == 21 && item.crState());
    }

    void tableComment()
    {
        ListItem item = sampleList({u"a"_s, u"b"_s});
        const struct { const char16_t *path; int encoding; bool cr; const char16_t *comment; } cases[] = {
            {u"/home/u/data.csv", 8, true, u"titles:4 items:2 data.csv Shift-JIS(CR-LF)"},
            {u"/home/u/data.csv", 4, false, u"titles:4 items:2 data.csv UTF-8(LF)"},
            {u"/home/u/data.csv", 21, false, u"titles:4 items:2 data.csv ISO2022JP(LF)"},
            // Another encoding, or no source: no info part.
            {u"/home/u/data.csv", 5, false, u"titles:4 items:2 "},
            {u"", 4, false, u"titles:4 items:2 "},
            // A path with format markers is taken literally.
            {u"/p/%1 %2.csv", 4, false, u"titles:4 items:2 %1 %2.csv UTF-8(LF)"},
        };
        for (const auto &c : cases) {
            item.registerConversionRelevantFilePath(QString::fromUtf16(c.path));
            item.registerEncodingType(c.encoding);
            item.registerCrState(c.cr);
            QVERIFY(item.setTableComment());
            QCOMPARE(item.creatorInformation()->tableComment(), QString::fromUtf16(c.comment));
        }
    }

    void searchesAndOptions()
    {
        ListItem item;
        SearchEditingSource search;
        search.registerSearchObjectTitle(u"one"_s);
        QVERIFY(!item.addSearchObject(nullptr, u"t"_s) && !item.addSearchObject(&search, QString()));
        // The list keeps its own copy, replaced on the next add.
        QVERIFY(item.addSearchObject(&search, u"t"_s));
        search.registerSearchObjectTitle(u"two"_s);
        QCOMPARE(item.developSearchObjectAtTitle(u"t"_s)->searchObjectTitle(), u"one"_s);
        QVERIFY(item.addSearchObject(&search, u"t"_s));
        QCOMPARE(item.searchObjectDic().size(), 1);
        QCOMPARE(item.developSearchObjectAtTitle(u"t"_s)->searchObjectTitle(), u"two"_s);
        QVERIFY(item.removeSearchObjectAtTitle(u"t"_s) && !item.removeSearchObjectAtTitle(u"t"_s));

        item.registerColumnTitlesArray(kTitles);
        QCOMPARE(item.selectColumnTitlesArray(), QStringList({u"ID"_s, u"Name"_s}));
        QVERIFY(!item.addColumnAtTitles(QString(), 1) && item.addColumnAtTitles(u"T"_s, 9));
        QVERIFY(item.makingColumnTitlesDic());
        QCOMPARE(item.columnTitlesDic().size(), 5); // an entry under another key remains
    }
};

QTEST_GUILESS_MAIN(tst_ListItem)
#include "tst_ListItem.moc"
