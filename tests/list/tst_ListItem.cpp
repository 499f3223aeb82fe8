#include "document/CreatorInformation.h"
#include "list/ListItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "script/OptionObjectSource.h"

#include "TestSupport.h"

#include <QTest>

namespace {

const QStringList kTitles = {QStringLiteral("NSRIndication"), QStringLiteral("NSROption"),
                             QStringLiteral("ID"), QStringLiteral("Name")};

RowSchema::Ptr schema()
{
    static const RowSchema::Ptr s = RowSchema::make({QStringLiteral("NSROption"), QStringLiteral("ID"),
                                                     QStringLiteral("Name")});
    return s;
}

Row row(const QString &id, const QString &name, quint32 mark = 0)
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
        rows.append(row(id, QStringLiteral("name ") + id));
    item.registerTableItemObjectArray(rows);
    return item;
}

// Reads the fields of an archived ListItem without interpreting them.
struct Fields
{
    static QString archiveClassName() { return QStringLiteral("ListItem"); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        fields = coder;
        return true;
    }
    ArchiveDecoder fields;
};

// Writes a ListItem archive with hand-made fields, as a hostile file might.
struct ForgedList
{
    static QString archiveClassName() { return QStringLiteral("ListItem"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeStringArray(kTitles, u"columnTitlesArray");
        QVariantMap widths;
        widths.insert(QStringLiteral("ID"), 40.5f);
        widths.insert(QStringLiteral("Name"), QStringLiteral("wide"));
        coder.encodeValue(widths, u"columnTitlesWidthDic");
        coder.beginArray(2, u"tableItemObjectArray");
        row(QStringLiteral("a"), QStringLiteral("x")).encodeWithCoder(coder, {});
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
    void archiveRoundTrip();
    void hostileArchive();
    void previewRowsAndIndicationMode();
    void rowsByItemID();
    void marksReachTheFullList();
    void sorting();
    void initializationAndCopying();
    void tableComment();
    void searchesAndOptions();
};

void tst_ListItem::archiveRoundTrip()
{
    ListItem item = sampleList({QStringLiteral("b"), QStringLiteral("a")});
    item.creatorInformation()->register_creatorName(QStringLiteral("maker"));
    item.setColumnTitlesWidth(80.25f, QStringLiteral("Name"));
    item.registerConversionRelevantFilePath(QStringLiteral("/data/in.csv"));
    item.registerEncodingType(8);
    item.registerCrState(true);
    SearchEditingSource search;
    search.registerSearchObjectTitle(QStringLiteral("s1"));
    item.addSearchObject(&search, QStringLiteral("first"));
    RowList rows = item.tableItemObjectArray();
    rows[0].setIndication(3);
    rows[0].setOption(AttributedText(QStringLiteral("opt")));
    item.registerTableItemObjectArray(rows);

    const QByteArray bytes = KeyedArchiver::archivedData(item, u"ListItem");
    QVERIFY(!bytes.isEmpty());

    {
        KeyedUnarchiver unarchiver(bytes);
        const auto raw = unarchiver.root().decodeObject<Fields>(u"ListItem");
        QVERIFY(raw);
        const ArchiveDecoder &f = raw->fields;
        const QStringList expectedKeys = {
            QStringLiteral("creatorInformation"), QStringLiteral("columnTitlesArray"),
            QStringLiteral("columnTitlesDic"), QStringLiteral("columnTitlesWidthDic"),
            QStringLiteral("tableItemObjectArray"), QStringLiteral("optionObjectSource"),
            QStringLiteral("searchObjectDic"), QStringLiteral("conversionRelevantFilePath"),
            QStringLiteral("encodingType"), QStringLiteral("crState")};
        QCOMPARE(f.allKeys(), expectedKeys);
        QCOMPARE(f.kindForKey(u"creatorInformation"), ArchiveKind::Object);
        QCOMPARE(f.kindForKey(u"columnTitlesArray"), ArchiveKind::Array);
        QCOMPARE(f.kindForKey(u"columnTitlesDic"), ArchiveKind::Dictionary);
        QCOMPARE(f.kindForKey(u"columnTitlesWidthDic"), ArchiveKind::Dictionary);
        QCOMPARE(f.decodeDictionary(u"columnTitlesWidthDic").kindForKey(u"Name"), ArchiveKind::Float);
        QCOMPARE(f.kindForKey(u"tableItemObjectArray"), ArchiveKind::Array);
        QCOMPARE(f.decodeArray(u"tableItemObjectArray").kindAt(0), ArchiveKind::Dictionary);
        QCOMPARE(f.kindForKey(u"optionObjectSource"), ArchiveKind::Object);
        QCOMPARE(f.kindForKey(u"searchObjectDic"), ArchiveKind::Dictionary);
        QCOMPARE(f.decodeDictionary(u"searchObjectDic").kindForKey(u"first"), ArchiveKind::Object);
        QCOMPARE(f.kindForKey(u"conversionRelevantFilePath"), ArchiveKind::String);
        QCOMPARE(f.kindForKey(u"encodingType"), ArchiveKind::Int);
        QCOMPARE(f.kindForKey(u"crState"), ArchiveKind::Bool);
    }

    const auto back = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem");
    QVERIFY(back);
    QCOMPARE(back->columnTitlesArray(), kTitles);
    QCOMPARE(back->columnTitlesDic(), item.columnTitlesDic());
    QCOMPARE(back->columnTitlesWidthDic().value(QStringLiteral("Name")).typeId(), int(QMetaType::Float));
    QCOMPARE(back->columnTitlesWidthDic().value(QStringLiteral("Name")).toFloat(), 80.25f);
    QCOMPARE(back->tableItemObjectArray(), item.tableItemObjectArray());
    QCOMPARE(back->tableItemObjectArray().at(0).indication(), 3u);
    // Rows read in sequence share one schema.
    QCOMPARE(back->tableItemObjectArray().at(0).schema().data(), back->tableItemObjectArray().at(1).schema().data());
    QCOMPARE(back->creatorInformation()->creatorName(), QStringLiteral("maker"));
    QVERIFY(back->developSearchObjectAtTitle(QStringLiteral("first")));
    QCOMPARE(back->developSearchObjectAtTitle(QStringLiteral("first"))->searchObjectTitle(), QStringLiteral("s1"));
    QCOMPARE(back->conversionRelevantFilePath(), QStringLiteral("/data/in.csv"));
    QCOMPARE(back->encodingType(), 8);
    QVERIFY(back->crState());

    // Titles without rows come back with empty rows.
    ListItem empty = sampleList({});
    const auto emptyBack = KeyedUnarchiver::unarchivedObject<ListItem>(KeyedArchiver::archivedData(empty, u"L"), u"L");
    QVERIFY(emptyBack);
    QCOMPARE(emptyBack->columnTitlesArray(), kTitles);
    QVERIFY(!emptyBack->confirmTableItemObjectArray());
    QVERIFY(emptyBack->conversionRelevantFilePath().isEmpty());
}

void tst_ListItem::hostileArchive()
{
    // A row that is not a dictionary fails the whole list instead of being
    // read as something else.
    const QByteArray bytes = KeyedArchiver::archivedData(ForgedList(), u"ListItem");
    QVERIFY(!bytes.isEmpty());
    QVERIFY(!KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem"));

    // Widths that are not numbers are dropped.
    QVariantMap widths;
    widths.insert(QStringLiteral("ID"), 12.0);
    widths.insert(QStringLiteral("Name"), QStringLiteral("wide"));
    ListItem item;
    QVERIFY(item.registerColumnTitlesWidthDic(widths));
    QCOMPARE(item.columnTitlesWidthDic().keys(), QStringList{QStringLiteral("ID")});
    QCOMPARE(item.columnTitlesWidthDic().value(QStringLiteral("ID")).typeId(), int(QMetaType::Float));
}

void tst_ListItem::previewRowsAndIndicationMode()
{
    ListItem item = sampleList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});

    // Mode set without a search result: all rows, and the mode falls back.
    item.registerIndicationMode(true);
    QCOMPARE(item.itemCount(), 3);
    QCOMPARE(ids(item.previewRows()), ids(item.tableItemObjectArray()));
    QVERIFY(item.indicationMode()); // previewRows() changes nothing
    QCOMPARE(ids(item.preTableObjectArray()), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QVERIFY(!item.indicationMode());

    // With a result the preview is the result, and writes go there.
    item.registerTableItemOfTheSearchObjectArray({row(QStringLiteral("c"), QStringLiteral("x"))});
    item.registerIndicationMode(true);
    QCOMPARE(item.itemCount(), 1);
    QCOMPARE(item.itemSearchCount(), 1);
    QCOMPARE(ids(item.preTableObjectArray()), QStringList{QStringLiteral("c")});
    QVERIFY(item.indicationMode());
    QVERIFY(item.registerPreTableObjectArray({row(QStringLiteral("b"), QStringLiteral("y")),
                                              row(QStringLiteral("a"), QStringLiteral("z"))}));
    QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({QStringLiteral("b"), QStringLiteral("a")}));
    QCOMPARE(item.tableItemObjectArray().size(), 3);

    // Bounds of getObjectAtIndex follow the preview rows.
    QVERIFY(item.getObjectAtIndex(1).has_value());
    QCOMPARE(item.getObjectAtIndex(1)->cellText(u"ID"), u"a");
    QVERIFY(!item.getObjectAtIndex(2));
    QVERIFY(!item.getObjectAtIndex(-1));
    item.registerIndicationMode(false);
    QVERIFY(item.getObjectAtIndex(2));
    QVERIFY(!item.getObjectAtIndex(3));
    QVERIFY(!ListItem().getObjectAtIndex(0));
    QVERIFY(!ListItem().confirmPreTableObjectArray());
}

void tst_ListItem::rowsByItemID()
{
    ListItem item = sampleList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b")});

    // First match wins; its index is kept.
    QVERIFY(item.inspectionObjectAtItemID(u"b"));
    QCOMPARE(item.itemObjectRow(), 1);
    QVERIFY(!item.inspectionObjectAtItemID(u"zz"));
    QCOMPARE(item.itemObjectRow(), 1);

    // Replaced where it stands.
    QVERIFY(item.addTableItemObject(row(QStringLiteral("b"), QStringLiteral("new")), u"b"));
    QCOMPARE(ids(item.tableItemObjectArray()), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b")}));
    QCOMPARE(item.tableItemObjectArray().at(1).cellText(u"Name"), u"new");
    QCOMPARE(item.tableItemObjectArray().at(2).cellText(u"Name"), u"name b");

    // New IDs go to the top, newest first.
    QVERIFY(item.addTableItemObject(row(QStringLiteral("c"), QString()), u"c"));
    QVERIFY(item.addTableItemObject(row(QStringLiteral("d"), QString()), u"d"));
    QCOMPARE(ids(item.tableItemObjectArray()).mid(0, 3), QStringList({QStringLiteral("d"), QStringLiteral("c"), QStringLiteral("a")}));

    // An empty ID is stored but never found, and never used to add.
    RowList rows = item.tableItemObjectArray();
    rows.append(row(QString(), QStringLiteral("anonymous")));
    item.registerTableItemObjectArray(rows);
    QVERIFY(!item.inspectionObjectAtItemID(u""));
    QVERIFY(!item.addTableItemObject(row(QString(), QStringLiteral("again")), u""));
    QVERIFY(!item.addTableItemObject(Row(), u"a"));
    QVERIFY(!item.removeTableItemObjectAtItemID(u""));
    QCOMPARE(item.tableItemObjectArray().size(), 6);

    // Rearranging uses the row's own ID; the index plays no part.
    QVERIFY(item.rearrangeItemObject(row(QStringLiteral("a"), QStringLiteral("moved")), 0));
    QCOMPARE(item.tableItemObjectArray().at(2).cellText(u"Name"), u"moved");
    QVERIFY(!item.rearrangeItemSearchObject(row(QStringLiteral("a"), QString()), 0)); // no result rows

    QVERIFY(item.removeTableItemObjectAtItemID(u"b"));
    QCOMPARE(ids(item.tableItemObjectArray()).count(QStringLiteral("b")), 1);
    QVERIFY(!item.removeTableItemObjectAtItemID(u"zz"));

    // Search-result rows have their own lookups.
    item.registerTableItemOfTheSearchObjectArray({row(QStringLiteral("x"), QString()), row(QStringLiteral("y"), QString())});
    QVERIFY(item.inspectionSearchObjectAtItemID(u"y"));
    QCOMPARE(item.itemSearchObjectRow(), 1);
    QVERIFY(item.addTableItemSearchObject(row(QStringLiteral("z"), QString()), u"z"));
    QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({QStringLiteral("z"), QStringLiteral("x"), QStringLiteral("y")}));
    QVERIFY(item.removeTableItemSearchObjectAtItemID(u"x"));
    QVERIFY(!item.inspectionObjectAtItemID(u"z"));

    // Without an ID column nothing is found.
    ListItem narrow;
    narrow.registerColumnTitlesArray({QStringLiteral("NSRIndication"), QStringLiteral("NSROption")});
    narrow.registerTableItemObjectArray({row(QStringLiteral("a"), QString())});
    QVERIFY(!narrow.inspectionObjectAtItemID(u"a"));
}

void tst_ListItem::marksReachTheFullList()
{
    ListItem item = sampleList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    item.registerTableItemOfTheSearchObjectArray({row(QStringLiteral("c"), QStringLiteral("name c")),
                                                  row(QStringLiteral("a"), QStringLiteral("name a"))});
    item.registerIndicationMode(true);

    QVERIFY(item.registerIndication(1, 1));
    QCOMPARE(item.tableItemOfTheSearchObjectArray().at(1).indication(), 1u);
    const RowList all = item.tableItemObjectArray();
    QCOMPARE(ids(all), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(all.at(0).indication(), 1u);
    QCOMPARE(all.at(1).indication(), 0u);
    QCOMPARE(all.at(2).indication(), 0u);
    QVERIFY(!item.registerIndication(1, 2));

    // Outside the mode only the full list changes.
    item.registerIndicationMode(false);
    QVERIFY(item.registerIndication(7, 2));
    QCOMPARE(item.tableItemObjectArray().at(2).indication(), 7u);
    QCOMPARE(item.tableItemOfTheSearchObjectArray().at(0).indication(), 0u);
}

void tst_ListItem::sorting()
{
    ListItem item = sampleList({});
    item.registerTableItemObjectArray({row(QStringLiteral("1"), QStringLiteral("pear")),
                                       row(QStringLiteral("2"), QStringLiteral("apple")),
                                       row(QStringLiteral("3"), QStringLiteral("pear")),
                                       row(QStringLiteral("4"), QStringLiteral("Zed")),
                                       row(QStringLiteral("5"), QStringLiteral("apple"))});

    QVERIFY(item.sortedUsingDescriptorsArray({{QStringLiteral("Columns3"), true}}));
    QCOMPARE(ids(item.tableItemObjectArray()), QStringList({QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("3")}));
    // Descending keeps equal texts in their present order.
    QVERIFY(item.sortedUsingDescriptorsArray({{QStringLiteral("Name"), false}}));
    QCOMPARE(ids(item.tableItemObjectArray()), QStringList({QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("4")}));
    QVERIFY(item.sortedUsingDescriptorsArray({{QStringLiteral("Name"), true, Qt::CaseInsensitive}}));
    QCOMPARE(ids(item.tableItemObjectArray()).last(), QStringLiteral("4"));

    // Marks sort as numbers.
    RowList rows = item.tableItemObjectArray();
    rows[0].setIndication(10);
    rows[1].setIndication(9);
    item.registerTableItemObjectArray(rows);
    QVERIFY(item.sortedUsingDescriptorsArray({{QStringLiteral("Columns0"), false}}));
    QCOMPARE(item.tableItemObjectArray().at(0).indication(), 10u);
    QCOMPARE(item.tableItemObjectArray().at(1).indication(), 9u);

    // Only the preview rows are sorted.
    item.registerTableItemOfTheSearchObjectArray({row(QStringLiteral("b"), QString()), row(QStringLiteral("a"), QString())});
    item.registerIndicationMode(true);
    const QStringList before = ids(item.tableItemObjectArray());
    QVERIFY(item.sortedUsingDescriptorsArray({{QStringLiteral("Columns2"), true}}));
    QCOMPARE(ids(item.tableItemOfTheSearchObjectArray()), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(ids(item.tableItemObjectArray()), before);

    QVERIFY(!item.sortedUsingDescriptorsArray({}));
    QVERIFY(!ListItem().sortedUsingDescriptorsArray({{QStringLiteral("ID"), true}}));
}

void tst_ListItem::initializationAndCopying()
{
    ListItem item = sampleList({QStringLiteral("a"), QStringLiteral("b")});
    item.creatorInformation()->register_creatorName(QStringLiteral("maker"));
    item.registerConversionRelevantFilePath(QStringLiteral("/x/list.csv"));
    item.registerEncodingType(21);
    item.registerCrState(true);
    item.registerListItemOfDocumentID(QStringLiteral("id3"));
    item.setColumnTitlesWidth(10.0f, QStringLiteral("ID"));
    SearchEditingSource search;
    item.addSearchObject(&search, QStringLiteral("s"));
    item.registerTableItemOfTheSearchObjectArray({row(QStringLiteral("a"), QString())});
    item.registerIndicationMode(true);

    // Copy-on-write: the copy shares the rows until one side changes them.
    ListItem copy;
    QVERIFY(copy.setTheEnvironmentalAtDecoder(&item));
    QCOMPARE(copy.tableItemObjectArray().at(0).cellText(u"Name").data(),
             item.tableItemObjectArray().at(0).cellText(u"Name").data());
    QCOMPARE(copy.columnTitlesDic(), item.columnTitlesDic());
    QCOMPARE(copy.creatorInformation()->creatorName(), QStringLiteral("maker"));
    QCOMPARE(copy.encodingType(), 21);
    QVERIFY(copy.crState());
    QVERIFY(copy.inspectionSearchObjectAtTitle(QStringLiteral("s")));
    QVERIFY(!copy.indicationMode());
    QVERIFY(copy.registerIndication(5, 0));
    copy.addTableItemObject(row(QStringLiteral("a"), QStringLiteral("changed")), u"a");
    QCOMPARE(item.tableItemObjectArray().at(0).indication(), 0u);
    QCOMPARE(item.tableItemObjectArray().at(0).cellText(u"Name"), u"name a");

    // A plain C++ copy is a full, independent value.
    ListItem value = item;
    value.creatorInformation()->register_creatorName(QStringLiteral("other"));
    value.registerColumnTitlesArray({});
    QCOMPARE(item.creatorInformation()->creatorName(), QStringLiteral("maker"));
    QCOMPARE(item.columnTitlesArray(), kTitles);
    const ListItemPtr snapshot = std::make_shared<const ListItem>(item);
    QCOMPARE(snapshot->itemCount(), item.itemCount());
    QVERIFY(QVariant::fromValue(snapshot).value<ListItemPtr>() == snapshot);

    // Without a title dictionary one is built from the titles.
    ListItem bare;
    bare.registerColumnTitlesArray(kTitles);
    QVERIFY(copy.setTheEnvironmentalAtDecoder(&bare));
    QCOMPARE(copy.columnTitlesDic().value(QStringLiteral("Columns2")).toString(), QStringLiteral("ID"));
    QVERIFY(!copy.confirmTableItemObjectArray());

    // Another list without titles leaves this one emptied.
    const ListItem untitled;
    QVERIFY(!copy.setTheEnvironmentalAtDecoder(&untitled));
    QVERIFY(!copy.confirmColumnTitlesArray());
    QVERIFY(!copy.setTheEnvironmentalAtDecoder(nullptr));

    // What a reset keeps and what it drops.
    item.initializationUserObject();
    QVERIFY(!item.confirmColumnTitlesArray());
    QVERIFY(!item.confirmColumnTitlesDic());
    QVERIFY(!item.confirmColumnTitlesWidthDic());
    QVERIFY(!item.confirmTableItemObjectArray());
    QVERIFY(!item.confirmTableItemOfTheSearchObjectArray());
    QVERIFY(!item.confirmSearchObjectDic());
    QVERIFY(!item.indicationMode());
    QCOMPARE(item.creatorInformation()->creatorName(), QStringLiteral("maker"));
    QCOMPARE(item.conversionRelevantFilePath(), QStringLiteral("/x/list.csv"));
    QCOMPARE(item.encodingType(), 21);
    QVERIFY(item.crState());
    QCOMPARE(item.listItemOfDocumentID(), QStringLiteral("id3"));
}

void tst_ListItem::tableComment()
{
    ListItem item = sampleList({QStringLiteral("a"), QStringLiteral("b")});
    item.registerConversionRelevantFilePath(QStringLiteral("/home/u/data.csv"));
    item.registerEncodingType(8);
    item.registerCrState(true);
    QVERIFY(item.setTableComment());
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 data.csv Shift-JIS(CR-LF)"));

    item.registerEncodingType(4);
    item.registerCrState(false);
    item.setTableComment();
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 data.csv UTF-8(LF)"));
    item.registerEncodingType(21);
    item.setTableComment();
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 data.csv ISO2022JP(LF)"));

    // Another encoding, or no source: no info part.
    item.registerEncodingType(5);
    item.setTableComment();
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 "));
    item.registerEncodingType(4);
    item.registerConversionRelevantFilePath(QString());
    item.setTableComment();
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 "));

    // A path with format markers is taken literally.
    item.registerConversionRelevantFilePath(QStringLiteral("/p/%1 %2.csv"));
    item.setTableComment();
    QCOMPARE(item.creatorInformation()->tableComment(), QStringLiteral("titles:4 items:2 %1 %2.csv UTF-8(LF)"));
}

void tst_ListItem::searchesAndOptions()
{
    ListItem item;
    SearchEditingSource search;
    search.registerSearchObjectTitle(QStringLiteral("one"));
    QVERIFY(!item.addSearchObject(nullptr, QStringLiteral("t")));
    QVERIFY(!item.addSearchObject(&search, QString()));
    QVERIFY(item.addSearchObject(&search, QStringLiteral("t")));
    search.registerSearchObjectTitle(QStringLiteral("two"));
    QCOMPARE(item.developSearchObjectAtTitle(QStringLiteral("t"))->searchObjectTitle(), QStringLiteral("one"));
    QVERIFY(item.addSearchObject(&search, QStringLiteral("t")));
    QCOMPARE(item.searchObjectDic().size(), 1);
    QCOMPARE(item.developSearchObjectAtTitle(QStringLiteral("t"))->searchObjectTitle(), QStringLiteral("two"));
    QVERIFY(!item.developSearchObjectAtTitle(QStringLiteral("u")));
    QVERIFY(item.removeSearchObjectAtTitle(QStringLiteral("t")));
    QVERIFY(!item.removeSearchObjectAtTitle(QStringLiteral("t")));
    QVERIFY(!item.inspectionSearchObjectAtTitle(QStringLiteral("t")));

    QVERIFY(!item.developOptionObjectAtTitle(QStringLiteral("opt")));
    QVERIFY(item.optionObjectSource()->setOptionObject({OptionSource()}, QStringLiteral("opt")));
    item.optionObjectSource()->registerOptionTitle(QStringLiteral("other"));
    QVERIFY(item.developOptionObjectAtTitle(QStringLiteral("opt")));
    QCOMPARE(item.optionObjectSource()->optionTitle(), QStringLiteral("opt"));

    QCOMPARE(item.selectColumnTitlesArray(), QStringList());
    item.registerColumnTitlesArray(kTitles);
    QCOMPARE(item.selectColumnTitlesArray(), QStringList({QStringLiteral("ID"), QStringLiteral("Name")}));
    QVERIFY(!item.addColumnAtTitles(QString(), 1));
    QVERIFY(item.addColumnAtTitles(QStringLiteral("T"), 9));
    QVERIFY(item.makingColumnTitlesDic());
    QCOMPARE(item.columnTitlesDic().size(), 5); // an entry under another key remains
}

QTEST_GUILESS_MAIN(tst_ListItem)
#include "tst_ListItem.moc"
