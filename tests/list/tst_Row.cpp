#include "list/Row.h"
#include "list/RowBlockBuilder.h"

#include <optional>
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QTest>

namespace {

// Wraps rows the way a list archives them: an array of dictionaries.
struct RowHolder
{
    RowList rows;
    static QString archiveClassName() { return QStringLiteral("RowHolder"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.beginArray(rows.size(), u"rows");
        for (const Row &row : rows)
            row.encodeWithCoder(coder, {});
        coder.endArray();
    }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        const ArchiveArray array = coder.decodeArray(u"rows");
        RowSchema::Ptr previous;
        for (qsizetype i = 0; i < array.size(); ++i) {
            rows.append(Row::decode(array.dictionaryAt(i), previous));
            previous = rows.last().schema();
        }
        return true;
    }
};

TextAttributes::Ptr boldRed()
{
    TextAttributes attributes;
    attributes.weight = 700;
    attributes.foreground = 0xffff0000u;
    return TextAttributes::make(attributes);
}

Row sampleRow(const RowSchema::Ptr &schema, const QString &id)
{
    const QString name = QStringLiteral("name-") + id;
    return Row::fromTexts(schema, {QStringView(), QStringView(id), QStringView(name)});
}

} // namespace

class tst_Row : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dictionaryBehaviour();
    void copiesAreIndependent();
    void renameAndRemove();
    void attributesSurviveEdits();
    void variantMapBridge();
    void archiveRoundTripSharesSchema();
    void blockRowsBehaveAsOwnRows();
    void wideSchemasFindTitles();
    void longRowsAndUtf8Rows();
};

void tst_Row::dictionaryBehaviour()
{
    const auto schema = RowSchema::make({Row::kOptionKey, QStringLiteral("ID"), QStringLiteral("Name")});
    Row row = sampleRow(schema, QStringLiteral("A1"));
    QCOMPARE(row.keys(), QStringList({Row::kIndicationKey, Row::kOptionKey, QStringLiteral("ID"),
                                      QStringLiteral("Name")}));
    QCOMPARE(row.cellText(u"ID"), QStringView(u"A1"));
    QCOMPARE(row.cell(u"Name").string(), QStringLiteral("name-A1"));
    QVERIFY(row.option().isEmpty());
    QVERIFY(row.contains(Row::kOptionKey));
    QVERIFY(!row.contains(u"Missing"));
    QVERIFY(row.cell(u"Missing").isEmpty());
    QVERIFY(!row.value(u"Missing").isValid());
    QCOMPARE(row.value(Row::kIndicationKey).toUInt(), 0u);

    row.setIndication(4000000000u); // any unsigned mark
    QCOMPARE(row.indication(), 4000000000u);

    // Growing and shrinking cells keeps every other cell intact.
    row.setCell(QStringLiteral("Name"), AttributedText(QStringLiteral("a much longer name than before")));
    row.setCell(QStringLiteral("Extra"), AttributedText(QStringLiteral("x")));
    row.setCell(QStringLiteral("ID"), AttributedText(QString()));
    QCOMPARE(row.cellText(u"Name"), QStringView(u"a much longer name than before"));
    QCOMPARE(row.cellText(u"Extra"), QStringView(u"x"));
    QVERIFY(row.cellText(u"ID").isEmpty());
    QVERIFY(row.contains(u"ID"));
    QCOMPARE(row.keyCount(), 5);

    Row empty;
    QVERIFY(empty.isEmpty());
    QCOMPARE(empty.keyCount(), 0);
    QVERIFY(empty.cellText(u"ID").isEmpty());
    QVERIFY(!empty.remove(u"ID"));
}

void tst_Row::copiesAreIndependent()
{
    const auto schema = RowSchema::make({Row::kOptionKey, QStringLiteral("ID"), QStringLiteral("Name")});
    RowList rows;
    for (int i = 0; i < 100; ++i)
        rows.append(sampleRow(schema, QString::number(i)));
    RowList copy = rows;
    copy[5].setCell(QStringLiteral("Name"), AttributedText(QStringLiteral("changed")));
    copy[6].setIndication(1);
    QCOMPARE(rows.at(5).cellText(u"Name"), QStringView(u"name-5"));
    QCOMPARE(rows.at(6).indication(), 0u);
    QCOMPARE(copy.at(5).cellText(u"Name"), QStringView(u"changed"));
    QVERIFY(rows.at(7) == copy.at(7));
    QVERIFY(rows.at(5) != copy.at(5));
    // Rows made from one schema keep sharing it.
    QCOMPARE(rows.at(0).schema().data(), rows.at(99).schema().data());
}

void tst_Row::renameAndRemove()
{
    const auto schema = RowSchema::make({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    Row row = Row::fromTexts(schema, {u"a", u"b", u"c"});

    QVERIFY(row.renameKey(u"A", QStringLiteral("X")));
    QCOMPARE(row.cellText(u"X"), QStringView(u"a"));
    QVERIFY(!row.contains(u"A"));

    // Renaming onto an existing title replaces that title's value.
    QVERIFY(row.renameKey(u"X", QStringLiteral("C")));
    QCOMPARE(row.cellText(u"C"), QStringView(u"a"));
    QCOMPARE(row.keyCount(), 3); // indication, B, C
    QVERIFY(!row.renameKey(u"Nope", QStringLiteral("Q")));

    // Many rows renamed with one memo end up sharing one renamed schema, and
    // rows that were copies before the rename are left alone.
    RowList rows;
    for (int i = 0; i < 10; ++i)
        rows.append(Row::fromTexts(schema, {u"a", u"b", u"c"}));
    const RowList before = rows;
    Row::RenameMemo memo;
    for (Row &r : rows)
        QVERIFY(r.renameKey(u"B", QStringLiteral("Y"), &memo));
    QCOMPARE(rows.first().schema().data(), rows.last().schema().data());
    QCOMPARE(rows.last().cellText(u"Y"), QStringView(u"b"));
    QCOMPARE(before.last().cellText(u"B"), QStringView(u"b"));
    QVERIFY(!before.last().contains(u"Y"));

    // A text moved onto the mark keeps its number.
    row.setCell(QStringLiteral("N"), AttributedText(QStringLiteral("7")));
    QVERIFY(row.renameKey(u"N", Row::kIndicationKey));
    QCOMPARE(row.indication(), 7u);
    QVERIFY(!row.contains(u"N"));

    // The mark can be moved and removed like any other key.
    row.setIndication(3);
    QVERIFY(row.remove(Row::kIndicationKey));
    QVERIFY(!row.hasIndication());
    QVERIFY(row.remove(u"B"));
    QCOMPARE(row.keys(), QStringList({QStringLiteral("C")}));
}

void tst_Row::attributesSurviveEdits()
{
    const auto schema = RowSchema::make({QStringLiteral("A"), QStringLiteral("B")});
    Row row = Row::fromTexts(schema, {u"plain", u"styled"});
    AttributedText styled(QStringLiteral("styled"));
    styled.setAttributes(0, 3, boldRed());
    row.setCell(QStringLiteral("B"), styled);
    QCOMPARE(row.cell(u"B"), styled);
    QVERIFY(row.cell(u"A").hasOnlyDefaultAttributes());

    // Editing another cell or renaming must not move the runs to the wrong cell.
    row.setCell(QStringLiteral("A"), AttributedText(QStringLiteral("longer plain text")));
    row.renameKey(u"B", QStringLiteral("Z"));
    QCOMPARE(row.cell(u"Z"), styled);
    QVERIFY(row.cell(u"A").hasOnlyDefaultAttributes());
    QVERIFY(row.remove(u"A"));
    QCOMPARE(row.cell(u"Z"), styled);
}

void tst_Row::variantMapBridge()
{
    QVariantMap map;
    map.insert(Row::kIndicationKey, 2u);
    map.insert(Row::kOptionKey, QVariant::fromValue(AttributedText(QStringLiteral("opt"))));
    map.insert(QStringLiteral("ID"), QVariant::fromValue(AttributedText(QStringLiteral("7"))));
    map.insert(QStringLiteral("Plain"), QStringLiteral("as string"));
    const Row row = Row::fromVariantMap(map);
    QCOMPARE(row.indication(), 2u);
    QCOMPARE(row.option().string(), QStringLiteral("opt"));
    QCOMPARE(row.cellText(u"Plain"), QStringView(u"as string"));
    const QVariantMap back = row.toVariantMap();
    QCOMPARE(back.keys(), map.keys());
    QCOMPARE(back.value(QStringLiteral("ID")).value<AttributedText>().string(), QStringLiteral("7"));
    QCOMPARE(Row::fromVariantMap(back), row);
}

void tst_Row::archiveRoundTripSharesSchema()
{
    const auto schema = RowSchema::make({Row::kOptionKey, QStringLiteral("ID"), QStringLiteral("Name")});
    RowHolder holder;
    for (int i = 0; i < 50; ++i)
        holder.rows.append(sampleRow(schema, QString::number(i)));
    AttributedText styled(QStringLiteral("bold name"));
    styled.setAttributes(0, 4, boldRed());
    holder.rows[3].setCell(QStringLiteral("Name"), styled);
    holder.rows[4].setIndication(1);
    holder.rows[5].remove(Row::kIndicationKey);
    holder.rows.append(Row()); // an empty dictionary stays an empty dictionary

    QString error;
    const QByteArray bytes = KeyedArchiver::archivedData(holder, u"RowHolder", &error);
    QVERIFY2(!bytes.isEmpty(), qPrintable(error));
    const auto decoded = KeyedUnarchiver::unarchivedObject<RowHolder>(bytes, u"RowHolder", &error);
    QVERIFY2(decoded, qPrintable(error));
    QCOMPARE(decoded->rows.size(), holder.rows.size());
    for (qsizetype i = 0; i < holder.rows.size(); ++i)
        QVERIFY2(decoded->rows.at(i) == holder.rows.at(i), qPrintable(QString::number(i)));
    QCOMPARE(decoded->rows.at(3).cell(u"Name"), styled);
    QVERIFY(!decoded->rows.at(5).hasIndication());
    QVERIFY(decoded->rows.last().isEmpty());
    QCOMPARE(decoded->rows.at(0).schema().data(), decoded->rows.at(40).schema().data());
}


void tst_Row::blockRowsBehaveAsOwnRows()
{
    const RowSchema::Ptr schema = RowSchema::make({Row::kOptionKey, QStringLiteral("a"), QStringLiteral("b")});
    RowBlockBuilder builder(schema, 512);
    RowList built;
    RowList own;
    QList<QString> texts;
    for (int i = 0; i < 50; ++i)
        texts.append(QString(i % 7, QChar(u'a' + i % 26)) + QString::number(i));
    const QString huge(500, u'h');
    for (int i = 0; i < 50; ++i) {
        const QStringView big = i == 20 ? QStringView(huge) : QStringView(texts.at(i));
        const QStringView cells[] = {QStringView(), big, texts.at(49 - i)};
        // Every third row leaves its last cell out: it reads as empty.
        const qsizetype count = i % 3 == 0 ? 2 : 3;
        built.append(builder.append(cells, count, quint32(i % 2)));
        own.append(Row::fromTexts(schema, QList<QStringView>(cells, cells + count), quint32(i % 2)));
    }
    QCOMPARE(built, own);
    QCOMPARE(built.at(20).cellText(u"a").size(), 500);
    QCOMPARE(built.at(3).cellText(u"b"), QStringView());
    QCOMPARE(built.at(4).cellText(u"b"), QStringView(texts.at(45)));
    // Small rows share blocks; the oversized row took one of its own without
    // closing the block the others use.
    QVERIFY(builder.reservedUnits() < 512 * 8 + 700);

    // Changing a row copies it out of the block; its neighbours and copies
    // taken before keep their texts.
    Row copy = built.at(5);
    built[5].setCell(QStringLiteral("a"), AttributedText(QStringLiteral("changed")));
    QCOMPARE(built.at(5).cellText(u"a"), u"changed");
    QCOMPARE(copy.cellText(u"a"), QStringView(texts.at(5)));
    QCOMPARE(built.at(6).cellText(u"a"), QStringView(texts.at(6)));
    built[7].setIndication(9);
    QCOMPARE(built.at(7).cellText(u"b"), QStringView(texts.at(42)));

    // Rows outlive their builder and every other row of their block.
    Row survivor = built.at(10);
    built.clear();
    own.clear();
    QCOMPARE(survivor.cellText(u"a"), QStringView(texts.at(10)));
    QCOMPARE(survivor.keys(), (QStringList{Row::kIndicationKey, Row::kOptionKey, QStringLiteral("a"), QStringLiteral("b")}));

    // Builders take their counts on the schema in batches: with the rows and
    // the builders gone, the count is back where it was, however many
    // batches were opened and whichever builder went first.
    const int countBefore = schema->ref.loadRelaxed();
    {
        RowBlockBuilder first(schema, 256);
        std::optional<RowBlockBuilder> second(std::in_place, schema, 256);
        RowList many;
        for (int i = 0; i < 10000; ++i) {
            const QStringView cells[] = {u"", texts.at(i % 50)};
            many.append((i % 3 ? first : *second).append(cells, 2));
        }
        QVERIFY(schema->ref.loadRelaxed() > 10000);
        second.reset();
        QCOMPARE(many.at(9998).cellText(u"a"), QStringView(texts.at(9998 % 50)));
        many.remove(0, 5000);
        QCOMPARE(many.at(0).cellText(u"a"), QStringView(texts.at(0)));
    }
    QCOMPARE(schema->ref.loadRelaxed(), countBefore);

    // A list of a few rows holds a small block, not a full one; blocks grow
    // to full size as rows keep coming.
    RowBlockBuilder few(schema);
    const QStringView cells[] = {u"", u"short", u"row"};
    const Row one = few.append(cells, 3);
    few.append(cells, 3);
    QCOMPARE(one.cellText(u"a"), u"short");
    QVERIFY(few.reservedUnits() <= RowBlockBuilder::kFirstBlockUnits);
    RowBlockBuilder many(schema);
    qint64 units = 0;
    for (int i = 0; i < 200000; ++i)
        units += many.append(cells, 3).isEmpty() ? 0 : 32;
    QVERIFY(many.reservedUnits() >= units);
    QVERIFY(many.reservedUnits() < units + 2 * RowBlockBuilder::kDefaultBlockUnits);
}

void tst_Row::wideSchemasFindTitles()
{
    QStringList titles;
    for (int i = 0; i < 300; ++i)
        titles.append(QStringLiteral("t%1").arg(i % 250));
    const RowSchema::Ptr schema = RowSchema::make(titles);
    QCOMPARE(schema->indexOf(u"t0"), 0);
    QCOMPARE(schema->indexOf(u"t249"), 249);
    // A repeated title answers its first position, as a short schema does.
    QCOMPARE(schema->indexOf(u"t10"), 10);
    QCOMPARE(schema->indexOf(u"t250"), -1);
    QCOMPARE(schema->appended(QStringLiteral("new"))->indexOf(u"new"), 300);
    QCOMPARE(schema->removed(0)->indexOf(u"t1"), 0);
    QCOMPARE(RowSchema::make({QStringLiteral("x"), QStringLiteral("x")})->indexOf(u"x"), 0);
}

void tst_Row::longRowsAndUtf8Rows()
{
    // Rows whose text passes 65535 units, at the edge and well past it, by
    // every way a row is made, and edits that move a row across the edge.
    const RowSchema::Ptr schema = RowSchema::make({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    const QString edge(0xffff - 2, u'e');
    const QString past(0x10000, u'p');
    const QString far(70000, u'\u6771');
    const QList<QList<QStringView>> cases = {
        {u"x", edge, u"y"}, {u"x", edge, u"yz"}, {past, u"", u"z"}, {u"", far, u"q"}, {u"\uFEFFa", u"\U0001F600", u""},
    };
    RowBlockBuilder builder(schema, 256);
    for (const QList<QStringView> &cells : cases) {
        const Row own = Row::fromTexts(schema, cells);
        const Row built = builder.append(cells.constData(), cells.size());
        QList<QByteArray> utf8;
        QList<QByteArrayView> views;
        for (const QStringView cell : cells)
            utf8.append(cell.toUtf8());
        for (const QByteArray &bytes : utf8)
            views.append(bytes);
        const Row decoded = builder.appendUtf8(views.constData(), views.size(), 3, true);
        for (qsizetype c = 0; c < cells.size(); ++c) {
            QCOMPARE(own.cellTextAt(c), cells.at(c));
            QCOMPARE(built.cellTextAt(c), cells.at(c));
            QCOMPARE(decoded.cellTextAt(c), cells.at(c));
        }
        QCOMPARE(decoded.indication(), 3u);
    }

    // A short row grown past the edge by an edit, then shrunk back.
    const QStringView shortCells[] = {u"one", u"two", u"three"};
    Row row = builder.append(shortCells, 3);
    const Row before = row;
    row.setCell(QStringLiteral("b"), AttributedText(past));
    QCOMPARE(row.cellText(u"b"), QStringView(past));
    QCOMPARE(row.cellText(u"c"), u"three");
    row.setCell(QStringLiteral("a"), AttributedText(QStringLiteral("1")));
    QCOMPARE(row.cellText(u"b"), QStringView(past));
    row.setCell(QStringLiteral("b"), AttributedText(QStringLiteral("2")));
    QCOMPARE(row.cellText(u"a"), u"1");
    QCOMPARE(row.cellText(u"b"), u"2");
    QCOMPARE(row.cellText(u"c"), u"three");
    QCOMPARE(before.cellText(u"b"), u"two");
}

QTEST_GUILESS_MAIN(tst_Row)
#include "tst_Row.moc"
