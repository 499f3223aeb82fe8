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

namespace {

const QString kIndication = QStringLiteral("NSRIndication");
const QString kOption = QStringLiteral("NSROption");

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
    table.registerColumnTitlesArray({kIndication, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    table.makingColumnTitlesDic();
    table.registerColumnTitlesWidthDic({{QStringLiteral("A"), 80.0f}, {QStringLiteral("B"), 120.0f}});
    table.registerItemDic(QVariantMap{{kIndication, true},
                                      {QStringLiteral("A"), text(QStringLiteral("alpha"))},
                                      {QStringLiteral("B"), text(QStringLiteral("beta"))},
                                      {QStringLiteral("C"), text(QStringLiteral("gamma"))}});
    return table;
}

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
        coder.encodeString(QStringLiteral("Serif"), u"family");
        coder.encodeDouble(pointSize, u"pointSize");
        coder.encodeInt32(weight, u"weight");
        coder.endObject();
        if (attributesAsString) {
            coder.encodeString(QStringLiteral("red"), u"editTextAttributes");
        } else {
            coder.encodeValue(attributes, u"editTextAttributes");
        }
        coder.endObject();
    }
    float position = 10.0f;
    double pointSize = 14.0;
    qint32 weight = 700;
    QVariantMap attributes;
    bool attributesAsString = false;
};

std::unique_ptr<ItemsEditingSource> decode(const HandWritten &stored)
{
    return KeyedUnarchiver::unarchivedObject<ItemsEditingSource>(
        KeyedArchiver::archivedData(stored, u"root"), u"root");
}

} // namespace

class TestItemsEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void defaultsAndSetters()
    {
        ItemsEditingSource source;
        source.initializationUserObject();
        QVERIFY(source.registerSelectIDString(QStringLiteral("17")));
        QVERIFY(!source.registerSelectIDString(QString()));
        QVERIFY(source.selectIDString().isEmpty() && !source.selectIDString().isNull());
        QVERIFY(!source.confirmSelectIDString());

        const ItemsEditingTextSource *text = source.itemsEditingTextSource();
        QCOMPARE(text->viewContainerInset(), QSizeF(1.0, 3.0));
        QVERIFY(text->editTextFont().isSystemFont());
        QCOMPARE(text->editTextAttributes(), ItemsEditingTextSource::defaultEditTextAttributes());

        ItemsEditingTextSource editor;
        QVERIFY(!editor.registerEditTextAttributesDic({}));
        QCOMPARE(editor.selectedTextColour(), ItemsEditingTextSource::kSelectedTextColour);
        QVERIFY(editor.registerEditTextAttributesDic({{ItemsEditingTextSource::kColorKey, 0xff102030u}}));
        QCOMPARE(editor.selectedTextColour(), 0xff102030u);
        // A missing colour falls back to its default rather than to transparent.
        QCOMPARE(editor.selectedTextBackgroundColour(), ItemsEditingTextSource::kSelectedTextBackgroundColour);
    }

    void itemValuesAndColumns()
    {
        ItemsEditingTableSource table = itemWithColumns();
        QVERIFY(table.showWithStateSwitch());
        QVERIFY(!table.registerItemDic(QVariantMap()));
        QVERIFY(!table.confirmItemDic());
        table.registerShowWithStateSwitch(true);
        QVERIFY(table.itemDic().isEmpty());

        table = itemWithColumns();
        QVERIFY(!table.addItemTitle(QStringLiteral("A"), text(QString())));
        QVERIFY(!table.addItemTitle(QStringLiteral("A"), QVariant(true)));
        QVERIFY(!table.addItemTitle(QString(), text(QStringLiteral("x"))));
        QCOMPARE(textAt(table.itemDic(), QStringLiteral("A")), QStringLiteral("alpha"));

        // Replacing an existing column keeps the order.
        QVERIFY(table.addItemObject(text(QStringLiteral("new")), QStringLiteral("A"), 90.0f));
        QCOMPARE(table.columnTitlesArray().size(), 4);
        QCOMPARE(textAt(table.itemDic(), QStringLiteral("A")), QStringLiteral("new"));
        QCOMPARE(table.columnTitlesWidthDic().value(QStringLiteral("A")), 90.0f);

        // An empty value for a new title adds the column and its width, not a value.
        QVERIFY(table.addItemObject(QVariant(), QStringLiteral("D"), 33.0f));
        QVERIFY(table.addItemObject(text(QString()), QStringLiteral("D"), 34.0f));
        QCOMPARE(table.columnTitlesArray().count(QStringLiteral("D")), 2);
        QVERIFY(!table.itemDic().contains(QStringLiteral("D")));
        QCOMPARE(table.columnTitlesWidthDic().value(QStringLiteral("D")), 34.0f);
        QCOMPARE(table.columnTitlesDic().value(QStringLiteral("Columns4")), QStringLiteral("D"));
        QCOMPARE(table.columnTitlesDic().value(QStringLiteral("Columns5")), QStringLiteral("D"));

        // Removal touches the column order only, first occurrence only.
        QVERIFY(table.removeTitle(QStringLiteral("D")));
        QCOMPARE(table.columnTitlesArray().count(QStringLiteral("D")), 1);
        QCOMPARE(table.columnTitlesArray().last(), QStringLiteral("D"));
        QVERIFY(table.removeTitle(QStringLiteral("B")));
        QVERIFY(!table.columnTitlesArray().contains(QStringLiteral("B")));
        QCOMPARE(textAt(table.itemDic(), QStringLiteral("B")), QStringLiteral("beta"));
        QCOMPARE(table.columnTitlesWidthDic().value(QStringLiteral("B")), 120.0f);
        QCOMPARE(table.columnTitlesDic().value(QStringLiteral("Columns2")), QStringLiteral("B"));

    }

    void renamingColumns()
    {
        ItemsEditingTableSource table = itemWithColumns();
        QVERIFY(table.makingEditCellTitlesAtNewTitle(QStringLiteral("B2"), QStringLiteral("B")));
        QCOMPARE(table.columnTitlesDic().value(QStringLiteral("Columns2")), QStringLiteral("B2"));
        QCOMPARE(table.columnTitlesWidthDic().value(QStringLiteral("B2")), 120.0f);
        QVERIFY(!table.columnTitlesWidthDic().contains(QStringLiteral("B")));
        QCOMPARE(textAt(table.itemDic(), QStringLiteral("B2")), QStringLiteral("beta"));
        QVERIFY(!table.itemDic().contains(QStringLiteral("B")));
        QCOMPARE(table.editCellTitlesDic(), (QMap<QString, QString>{{QStringLiteral("B"), QStringLiteral("B2")}}));

        // A column without a width gets 0.0 under its new title.
        QVERIFY(table.makingEditCellTitlesAtNewTitle(QStringLiteral("C2"), QStringLiteral("C")));
        QCOMPARE(table.columnTitlesWidthDic().value(QStringLiteral("C2"), -1.0f), 0.0f);

        // Renaming again records the list's title against the latest one; renaming
        // back drops the entry.
        QVERIFY(table.makingEditCellTitlesAtNewTitle(QStringLiteral("B3"), QStringLiteral("B2")));
        QVERIFY(table.makingEditCellTitlesAtNewTitle(QStringLiteral("C"), QStringLiteral("C2")));
        QCOMPARE(table.editCellTitlesDic(), (QMap<QString, QString>{{QStringLiteral("B"), QStringLiteral("B3")}}));
        QCOMPARE(textAt(table.itemDic(), QStringLiteral("B3")), QStringLiteral("beta"));

        // Refused: unknown old title, empty new title, a title that is already a column.
        const ItemsEditingTableSource before = table;
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(QStringLiteral("X"), QStringLiteral("missing")));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(QString(), QStringLiteral("A")));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(QStringLiteral("C"), QStringLiteral("A")));
        QVERIFY(!table.makingEditCellTitlesAtNewTitle(QStringLiteral("A"), QStringLiteral("A")));
        QCOMPARE(table.itemDic(), before.itemDic());
        QCOMPARE(table.columnTitlesArray(), before.columnTitlesArray());
        QCOMPARE(table.editCellTitlesDic(), before.editCellTitlesDic());

        // A title listed twice keeps its width and value through the rename.
        ItemsEditingTableSource twice = itemWithColumns();
        twice.registerColumnTitlesArray({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
        QVERIFY(twice.makingEditCellTitlesAtNewTitle(QStringLiteral("Z"), QStringLiteral("A")));
        QCOMPARE(twice.columnTitlesArray(), (QStringList{QStringLiteral("Z"), QStringLiteral("B"), QStringLiteral("Z")}));
        QCOMPARE(twice.columnTitlesWidthDic().value(QStringLiteral("Z")), 80.0f);
        QCOMPARE(textAt(twice.itemDic(), QStringLiteral("Z")), QStringLiteral("alpha"));
    }

    void newItemValues()
    {
        ItemsEditingSource source;
        source.initializationUserObject();
        QVERIFY(!source.newMakingItemDic());

        ItemsEditingTableSource *table = source.itemsEditingTableSource();
        table->registerColumnTitlesArray({kIndication, kOption, QStringLiteral("ID"), QStringLiteral("Name")});
        QVERIFY(source.newMakingItemDic());
        QCOMPARE(table->itemDic().size(), 4);
        QCOMPARE(table->itemDic().value(kIndication), QVariant(false));
        for (const QString &title : {kOption, QStringLiteral("ID"), QStringLiteral("Name")}) {
            const QVariant value = table->itemDic().value(title);
            QCOMPARE(value.metaType(), QMetaType::fromType<AttributedText>());
            QVERIFY(value.value<AttributedText>().isEmpty());
        }
        QVERIFY(!source.showWithStateSwitch());
        source.registerShowWithStateSwitch(true);
        QVERIFY(source.showWithStateSwitch());

        source.registerSelectIDString(QStringLiteral("0042"));
        QVERIFY(source.newMakingItemDic());
        QCOMPARE(textAt(table->itemDic(), QStringLiteral("ID")), QStringLiteral("0042"));
        QVERIFY(textAt(table->itemDic(), QStringLiteral("Name")).isEmpty());
    }

    void rowBridge()
    {
        ItemsEditingTableSource table = itemWithColumns();
        const Row row = table.toRow();
        QCOMPARE(row.indication(), 1u);
        QCOMPARE(row.cell(u"B").string(), QStringLiteral("beta"));
        QCOMPARE(row.schema()->titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));

        ItemsEditingTableSource other;
        QVERIFY(other.registerItemDic(row));
        QVERIFY(other.showWithStateSwitch());
        QCOMPARE(textAt(other.itemDic(), QStringLiteral("C")), QStringLiteral("gamma"));
        QVERIFY(!other.registerItemDic(Row()));
        QVERIFY(!other.confirmItemDic());
    }

    void archive()
    {
        ItemsEditingSource source;
        source.initializationUserObject();
        source.registerProposedPosition(212.5f);
        source.registerSelectIDString(QStringLiteral("7"));
        FontDescription font;
        font.setFamily(QStringLiteral("Serif"));
        font.setPointSize(15.0);
        font.setWeight(700);
        font.setItalic(true);
        source.itemsEditingTextSource()->registerEditTextFont(font);
        source.itemsEditingTextSource()->registerEditTextAttributesDic(
            {{ItemsEditingTextSource::kColorKey, 0xff000000u}, {ItemsEditingTextSource::kBackgroundColorKey, 0xfffedcbau}});
        source.itemsEditingTextSource()->registerColumnTitle(QStringLiteral("Name"));
        source.itemsEditingTextSource()->registerEditText(QStringLiteral("unsaved"));
        source.itemsEditingTableSource()->registerColumnTitlesArray({QStringLiteral("A")});

        QString error;
        const QByteArray bytes = KeyedArchiver::archivedData(source, u"root", &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));

        const auto stored = KeyedUnarchiver::unarchivedObject<Stored<ItemsEditingSource>>(bytes, u"root");
        QVERIFY(stored);
        QCOMPARE(stored->fields.allKeys(), (QStringList{QStringLiteral("proposedPosition"), QStringLiteral("selectIDString"),
                                                        QStringLiteral("itemsEditingTextSource")}));
        QCOMPARE(stored->fields.kindForKey(u"proposedPosition"), ArchiveKind::Float);
        QCOMPARE(stored->fields.kindForKey(u"selectIDString"), ArchiveKind::String);
        QCOMPARE(stored->fields.kindForKey(u"itemsEditingTextSource"), ArchiveKind::Object);
        const auto text = stored->fields.decodeObject<Stored<ItemsEditingTextSource>>(u"itemsEditingTextSource");
        QVERIFY(text);
        QCOMPARE(text->fields.allKeys(), (QStringList{QStringLiteral("editTextFont"), QStringLiteral("editTextAttributes")}));
        QCOMPARE(text->fields.kindForKey(u"editTextFont"), ArchiveKind::Object);
        QCOMPARE(text->fields.kindForKey(u"editTextAttributes"), ArchiveKind::Dictionary);

        const auto decoded = KeyedUnarchiver::unarchivedObject<ItemsEditingSource>(bytes, u"root", &error);
        QVERIFY2(decoded, qPrintable(error));
        QCOMPARE(decoded->proposedPosition(), 212.5f);
        QCOMPARE(decoded->selectIDString(), QStringLiteral("7"));
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont(), font);
        QCOMPARE(decoded->itemsEditingTextSource()->selectedTextColour(), 0xff000000u);
        QCOMPARE(decoded->itemsEditingTextSource()->selectedTextBackgroundColour(), 0xfffedcbau);
        // What is not archived starts from its defaults.
        QVERIFY(!decoded->itemsEditingTextSource()->confirmColumnTitle());
        QVERIFY(!decoded->itemsEditingTextSource()->confirmEditText());
        QCOMPARE(decoded->itemsEditingTextSource()->viewContainerInset(), QSizeF(1.0, 3.0));
        QVERIFY(!decoded->itemsEditingTableSource()->confirmColumnTitlesArray());

        ItemsEditingSource copy;
        QVERIFY(copy.setTheEnvironmentalAtDecoder(decoded.get()));
        QCOMPARE(copy.proposedPosition(), 212.5f);
        QCOMPARE(copy.itemsEditingTextSource()->editTextFont(), font);
    }

    void decodingDamagedOrOldArchives()
    {
        // An empty selected-text map keeps the default colours.
        HandWritten emptyColours;
        auto decoded = decode(emptyColours);
        QVERIFY(decoded);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), ItemsEditingTextSource::defaultEditTextAttributes());
        QVERIFY(!decoded->selectIDString().isNull());
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().weight(), 700);

        // Values that no editor could use fall back instead of reaching the views.
        HandWritten damaged;
        damaged.position = std::numeric_limits<float>::quiet_NaN();
        damaged.pointSize = -4.0;
        damaged.weight = 90000;
        damaged.attributes = {{QStringLiteral("NSColor"), QStringLiteral("red")}, {QStringLiteral("NSFont"), 3}};
        decoded = decode(damaged);
        QVERIFY(decoded);
        QCOMPARE(decoded->proposedPosition(), 0.0f);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().pointSize(), 0.0);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextFont().weight(), 400);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), ItemsEditingTextSource::defaultEditTextAttributes());

        HandWritten wrongKind;
        wrongKind.attributesAsString = true;
        decoded = decode(wrongKind);
        QVERIFY(decoded);
        QCOMPARE(decoded->itemsEditingTextSource()->editTextAttributes(), ItemsEditingTextSource::defaultEditTextAttributes());
    }

    void imageSlot()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString image = dir.filePath(QStringLiteral("mark.png"));
        const QString notImage = dir.filePath(QStringLiteral("mark.txt"));
        QFile png(image);
        QVERIFY(png.open(QIODevice::WriteOnly));
        png.write(QByteArrayLiteral("\x89PNG\r\n\x1a\n0000"));
        png.close();
        QFile txt(notImage);
        QVERIFY(txt.open(QIODevice::WriteOnly));
        txt.write("hello, world");
        txt.close();

        ItemsEditingSource source;
        QVERIFY(source.registerObjectForImage(image));
        QVERIFY(source.confirmObjectForImage());
        QVERIFY(QFile::remove(image));
        QVERIFY(!source.confirmObjectForImage());
        QVERIFY(!source.registerObjectForImage(notImage));
        QVERIFY(source.objectForImage().isEmpty());
        QVERIFY(!source.registerObjectForImage(dir.path()));
        QVERIFY(!source.registerObjectForImage(QString()));
    }
};

QTEST_GUILESS_MAIN(TestItemsEditing)
#include "tst_ItemsEditing.moc"
