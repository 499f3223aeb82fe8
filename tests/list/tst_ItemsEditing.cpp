#include "support/StoredKeys.h"
#include "support/TestSupport.h"

#include "list/ItemsEditingSource.h"
#include "list/ItemsEditingTableSource.h"
#include "list/ItemsEditingTextSource.h"
#include "list/Row.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kIndication = u"NSRIndication"_s;

QVariant text(const QString &value)
{
    return QVariant::fromValue(AttributedText(value));
}

QString textAt(const QVariantMap &dic, const QString &title)
{
    return dic.value(title).value<AttributedText>().string();
}

// A table source holding one item with the columns A, B, C.
ItemsEditingTableSource itemWithColumns()
{
    ItemsEditingTableSource table;
    table.registerColumnTitlesArray({kIndication, u"A"_s, u"B"_s, u"C"_s});
    table.makingColumnTitlesDic();
    table.registerColumnTitlesWidthDic({{u"A"_s, 80.0f}, {u"B"_s, 120.0f}});
    table.registerItemDic(QVariantMap{{kIndication, true}, {u"A"_s, text(u"alpha"_s)}, {u"B"_s, text(u"beta"_s)},
                                      {u"C"_s, text(u"gamma"_s)}});
    return table;
}


// An editing state as an older or damaged file might hold it.
struct HandWritten
{
    static QString archiveClassName() { return ItemsEditingSource::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeFloat(position, u"proposedPosition");
        coder.encodeString(QString(), u"selectIDString");
        coder.beginObject(ItemsEditingTextSource::archiveClassName(), u"itemsEditingTextSource");
        coder.beginObject(FontDescription::archiveClassName(), u"editTextFont");
        coder.encodeString(u"Serif"_s, u"family");
        coder.encodeDouble(pointSize, u"pointSize");
        coder.encodeInt32(weight, u"weight");
        coder.endObject();
        if (attributesAsString)
            coder.encodeString(u"red"_s, u"editTextAttributes");
        else
            coder.encodeValue(attributes, u"editTextAttributes");
        coder.endObject();
    }
    float position = 10.0f;
    double pointSize = 14.0;
    qint32 weight = 700;
    QVariantMap attributes;
    bool attributesAsString = false;
};

} // namespace

class TestItemsEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void emptyFieldsAndColourFallback()
    {
        ItemsEditingSource source;
        QVERIFY(!source.registerSelectIDString(QString()));
        QVERIFY(source.selectIDString().isEmpty() && !source.selectIDString().isNull());

        ItemsEditingTextSource editor;
        QVERIFY(!editor.registerEditTextAttributesDic({}));
        QVERIFY(editor.registerEditTextAttributesDic({{ItemsEditingTextSource::kColorKey, 0xff102030u}}));
        QCOMPARE(editor.selectedTextColour(), 0xff102030u);
        // A missing colour falls back to its default rather than to transparent.
        QCOMPARE(editor.selectedTextBackgroundColour(), ItemsEditingTextSource::kSelectedTextBackgroundColour);
    }

    void itemValuesAndColumns()
    {
        ItemsEditingTableSource table = itemWithColumns();
        QVERIFY(!table.registerItemDic(QVariantMap()) && !table.confirmItemDic());

        table = itemWithColumns();
        QVERIFY(!table.addItemTitle(u"A"_s, text(QString())) && !table.addItemTitle(u"A"_s, QVariant(true)));
        QVERIFY(!table.addItemTitle(QString(), text(u"x"_s)));
        QCOMPARE(textAt(table.itemDic(), u"A"_s), u"alpha"_s);

        // Replacing an existing column keeps the order.
        QVERIFY(table.addItemObject(text(u"new"_s), u"A"_s, 90.0f));
        QCOMPARE(table.columnTitlesArray().size(), 4);
        QCOMPARE(textAt(table.itemDic(), u"A"_s), u"new"_s);
        QCOMPARE(table.columnTitlesWidthDic().value(u"A"_s), 90.0f);

        // An empty value for a new title adds the column and its width, not a value.
        QVERIFY(table.addItemObject(QVariant(), u"D"_s, 33.0f));
        QVERIFY(table.addItemObject(text(QString()), u"D"_s, 34.0f));
        QCOMPARE(table.columnTitlesArray().count(u"D"_s), 2);
        QVERIFY(!table.itemDic().contains(u"D"_s));
        QCOMPARE(table.columnTitlesWidthDic().value(u"D"_s), 34.0f);
        QCOMPARE(table.columnTitlesDic().value(u"Columns5"_s), u"D"_s);

        // Removal touches the column order only, first occurrence only.
        QVERIFY(table.removeTitle(u"D"_s));
        QCOMPARE(table.columnTitlesArray().count(u"D"_s), 1);
        QCOMPARE(table.columnTitlesArray().last(), u"D"_s);
        QVERIFY(table.removeTitle(u"B"_s));
        QVERIFY(!table.columnTitlesArray().contains(u"B"_s));
        QCOMPARE(textAt(table.itemDic(), u"B"_s), u"beta"_s);
        QCOMPARE(table.columnTitlesWidthDic().value(u"B"_s), 120.0f);
        QCOMPARE(table.columnTitlesDic().value(u"Columns2"_s), u"B"_s);
    }

    void renamingColumns()
    {
        ItemsEditingTableSource table = itemWithColumns();
        QVERIFY(table.makingEditCellTitlesAtNewTitle(u"B2"_s, u"B"_s));
        QCOMPARE(table.columnTitlesDic().value(u"Columns2"_s), u"B2"_s);
        QCOMPARE(table.columnTitlesWidthDic().value(u"B2"_s), 120.0f);
        QVERIFY(!table.columnTitlesWidthDic().contains(u"B"_s));
        QCOMPARE(textAt(table.itemDic(), u"B2"_s), u"beta"_s);
        QVERIFY(!table.itemDic().contains(u"B"_s));
        QCOMPARE(table.editCellTitlesDic(), (QMap<QString, QString>{{u"B"_s, u"B2"_s}}));

        // A column without a width gets 0.0 under its new title.
        QVERIFY(table.makingEditCellTitlesAtNewTitle(u"C2"_s, u"C"_s));
        QCOMPARE(table.columnTitlesWidthDic().value(u"C2"_s, -1.0f), 0.0f);

        // Renaming again records the list's title against the latest one; renaming
        // back drops the entry.
        QVERIFY(table.makingEditCellTitlesAtNewTitle(u"B3"_s, u"B2"_s));
        QVERIFY(table.makingEditCellTitlesAtNewTitle(u"C"_s, u"C2"_s));
        QCOMPARE(table.editCellTitlesDic(), (QMap<QString, QString>{{u"B"_s, u"B3"_s}}));
        QCOMPARE(textAt(table.itemDic(), u"B3"_s), u"beta"_s);

        // Refused: unknown old title, empty new title, a title that is already a column.
        const ItemsEditingTableSource before = table;
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(u"X"_s, u"missing"_s));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(QString(), u"A"_s));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(u"C"_s, u"A"_s));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(u"A"_s, u"A"_s));
        QCOMPARE(table.itemDic(), before.itemDic());
        QCOMPARE(table.columnTitlesArray(), before.columnTitlesArray());
        QCOMPARE(table.editCellTitlesDic(), before.editCellTitlesDic());

        // A title listed twice keeps its width and value through the rename.
        ItemsEditingTableSource twice = itemWithColumns();
        twice.registerColumnTitlesArray({u"A"_s, u"B"_s, u"A"_s});
        QVERIFY(twice.makingEditCellTitlesAtNewTitle(u"Z"_s, u"A"_s));
        QCOMPARE(twice.columnTitlesArray(), (QStringList{u"Z"_s, u"B"_s, u"Z"_s}));
        QCOMPARE(twice.columnTitlesWidthDic().value(u"Z"_s), 80.0f);
        QCOMPARE(textAt(twice.itemDic(), u"Z"_s), u"alpha"_s);
    }

    void newItemValuesAndRowBridge()
    {
        ItemsEditingSource source;
        QVERIFY(!source.newMakingItemDic()); // no columns
        ItemsEditingTableSource *table = source.itemsEditingTableSource();
        table->registerColumnTitlesArray({kIndication, u"NSROption"_s, u"ID"_s, u"Name"_s});
        QVERIFY(source.newMakingItemDic());
        QCOMPARE(table->itemDic().size(), 4);
        QCOMPARE(table->itemDic().value(kIndication), QVariant(false));
        for (const QString &title : {u"NSROption"_s, u"ID"_s, u"Name"_s}) {
            const QVariant value = table->itemDic().value(title);
            QCOMPARE(value.metaType(), QMetaType::fromType<AttributedText>());
            QVERIFY(value.value<AttributedText>().isEmpty());
        }
        // A selected ID goes into the new item.
        source.registerSelectIDString(u"0042"_s);
        QVERIFY(source.newMakingItemDic());
        QCOMPARE(textAt(table->itemDic(), u"ID"_s), u"0042"_s);
        QVERIFY(textAt(table->itemDic(), u"Name"_s).isEmpty());

        // To a row and back: the mark becomes the indication and returns as the switch.
        const Row row = itemWithColumns().toRow();
        QCOMPARE(row.indication(), 1u);
        QCOMPARE(row.cell(u"B").string(), u"beta"_s);
        QCOMPARE(row.schema()->titles(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
        ItemsEditingTableSource other;
        QVERIFY(other.registerItemDic(row));
        QVERIFY(other.showWithStateSwitch());
        QCOMPARE(textAt(other.itemDic(), u"C"_s), u"gamma"_s);
        QVERIFY(!other.registerItemDic(Row()) && !other.confirmItemDic());
    }

    void archive()
    {
        ItemsEditingSource source;
        source.registerProposedPosition(212.5f);
        source.registerSelectIDString(u"7"_s);
        FontDescription font;
        font.setFamily(u"Serif"_s);
        font.setPointSize(15.0);
        font.setItalic(true);
        ItemsEditingTextSource *editor = source.itemsEditingTextSource();
        editor->registerEditTextFont(font);
        editor->registerEditTextAttributesDic(
            {{ItemsEditingTextSource::kColorKey, 0xff000000u}, {ItemsEditingTextSource::kBackgroundColorKey, 0xfffedcbau}});
        editor->registerColumnTitle(u"Name"_s);
        editor->registerEditText(u"unsaved"_s);
        source.itemsEditingTableSource()->registerColumnTitlesArray({u"A"_s});

        QString error;
        const QByteArray bytes = KeyedArchiver::archivedData(source, u"root", &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));

        using K = ArchiveKind;
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredKeys<ItemsEditingSource>>(bytes, u"root");
        QVERIFY(stored);
        QCOMPARE(stored->kinds, (QList<std::pair<QString, K>>{{u"proposedPosition"_s, K::Float},
                                                              {u"selectIDString"_s, K::String},
                                                              {u"itemsEditingTextSource"_s, K::Object}}));
        const auto text = stored->fields.decodeObject<StoredKeys<ItemsEditingTextSource>>(u"itemsEditingTextSource");
        QVERIFY(text);
        QCOMPARE(text->kinds, (QList<std::pair<QString, K>>{{u"editTextFont"_s, K::Object},
                                                            {u"editTextAttributes"_s, K::Dictionary}}));

        // What is not archived (the open column and text, the table) starts afresh.
        const auto decoded = KeyedUnarchiver::unarchivedObject<ItemsEditingSource>(bytes, u"root", &error);
        QVERIFY2(decoded, qPrintable(error));
        QCOMPARE(decoded->proposedPosition(), 212.5f);
        QCOMPARE(decoded->selectIDString(), u"7"_s);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont(), font);
        QCOMPARE(decoded->itemsEditingTextSource()->selectedTextColour(), 0xff000000u);
        QCOMPARE(decoded->itemsEditingTextSource()->selectedTextBackgroundColour(), 0xfffedcbau);
        QVERIFY(!decoded->itemsEditingTextSource()->confirmColumnTitle() && !decoded->itemsEditingTextSource()->confirmEditText());
        QVERIFY(!decoded->itemsEditingTableSource()->confirmColumnTitlesArray());
    }

    void decodingDamagedOrOldArchives()
    {
        const auto decode = [](const HandWritten &stored) {
            return KeyedUnarchiver::unarchivedObject<ItemsEditingSource>(KeyedArchiver::archivedData(stored, u"root"), u"root");
        };
        const QVariantMap defaults = ItemsEditingTextSource::defaultEditTextAttributes();

        // An empty selected-text map keeps the default colours.
        auto decoded = decode(HandWritten());
        QVERIFY(decoded);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), defaults);
        QVERIFY(!decoded->selectIDString().isNull());
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().weight(), 700);

        // Values that no editor could use fall back instead of reaching the views.
        HandWritten damaged;
        damaged.position = std::numeric_limits<float>::quiet_NaN();
        damaged.pointSize = -4.0;
        damaged.weight = 90000;
        damaged.attributes = {{u"NSColor"_s, u"red"_s}, {u"NSFont"_s, 3}};
        decoded = decode(damaged);
        QVERIFY(decoded);
        QCOMPARE(decoded->proposedPosition(), 0.0f);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().pointSize(), 0.0);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().weight(), 400);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), defaults);

        HandWritten wrongKind;
        wrongKind.attributesAsString = true;
        decoded = decode(wrongKind);
        QVERIFY(decoded);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), defaults);
    }

    void imageSlot()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(u"mark.png"_s);
        const QString notImage = dir.filePath(u"mark.txt"_s);
        for (const auto &[path, bytes] : {std::pair{image, QByteArrayLiteral("\x89PNG\r\n\x1a\n0000")},
                                          std::pair{notImage, QByteArray("hello, world")}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }

        ItemsEditingSource source;
        QVERIFY(source.registerObjectForImage(image) && source.confirmObjectForImage());
        QVERIFY(QFile::remove(image) && !source.confirmObjectForImage()); // checked again on each ask
        QVERIFY(!source.registerObjectForImage(notImage) && source.objectForImage().isEmpty());
        QVERIFY(!source.registerObjectForImage(dir.path()) && !source.registerObjectForImage(QString()));
    }
};

QTEST_GUILESS_MAIN(TestItemsEditing)
#include "tst_ItemsEditing.moc"
