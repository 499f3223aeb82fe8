#include "support/TestSupport.h"

#include "platform/ArchiveArray.h"
#include "platform/ArchiveFormat.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCborStreamWriter>
#include <QCborValue>
#include <QDate>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Address
{
    static QString archiveClassName() { return QStringLiteral("Address"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeString(street, u"street");
        coder.encodeInt32(number, u"number");
    }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        street = coder.decodeString(u"street");
        number = coder.decodeInt32(u"number");
        return !coder.failed();
    }
    friend bool operator==(const Address &, const Address &) = default;
    QString street;
    qint32 number = 0;
};

// Every kind once, plus an object nested directly, in an array and in a
// dictionary.
struct Person
{
    static QString archiveClassName() { return QStringLiteral("Person"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeBool(member, u"member");
        coder.encodeInt32(age, u"age");
        coder.encodeFloat(height, u"height");
        coder.encodeDouble(balance, u"balance");
        coder.encodeString(name, u"name");
        coder.encodeString(nickname, u"nickname");
        coder.encodeData(photo, u"photo");
        coder.encodeAttributedText(note, u"note");
        coder.encodeRect(frame, u"frame");
        coder.encodePoint(origin, u"origin");
        coder.encodeSize(size, u"size");
        coder.encodeStringArray(tags, u"tags");
        coder.encodeObject(home, u"home");
        coder.beginArray(previous.size(), u"previous");
        for (const Address &address : previous)
            coder.encodeObject(address, {});
        coder.endArray();
        coder.beginDictionary(1, u"byRole");
        coder.encodeObject(work, u"work");
        coder.endDictionary();
    }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        member = coder.decodeBool(u"member");
        age = coder.decodeInt32(u"age");
        height = coder.decodeFloat(u"height");
        balance = coder.decodeDouble(u"balance");
        name = coder.decodeString(u"name");
        nickname = coder.decodeString(u"nickname");
        photo = coder.decodeData(u"photo");
        note = coder.decodeAttributedText(u"note");
        frame = coder.decodeRect(u"frame");
        origin = coder.decodePoint(u"origin");
        size = coder.decodeSize(u"size");
        tags = coder.decodeStringArray(u"tags");
        if (auto decoded = coder.decodeObject<Address>(u"home"))
            home = *decoded;
        const ArchiveArray list = coder.decodeArray(u"previous");
        previous.clear();
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (auto decoded = list.objectAt<Address>(i))
                previous.append(*decoded);
        }
        if (auto decoded = coder.decodeDictionary(u"byRole").decodeObject<Address>(u"work"))
            work = *decoded;
        return !coder.failed();
    }
    friend bool operator==(const Person &, const Person &) = default;

    bool member = false;
    qint32 age = 0;
    float height = 0;
    double balance = 0;
    QString name;
    QString nickname;
    QByteArray photo;
    AttributedText note;
    QRectF frame;
    QPointF origin;
    QSizeF size;
    QStringList tags;
    Address home;
    QList<Address> previous;
    Address work;
};

// Writes values through an encoder callback and reports the archiver's outcome.
template<class Body>
QByteArray archiveWith(Body body, QString *error = nullptr)
{
    QByteArray bytes;
    KeyedArchiver archiver(&bytes);
    body(archiver.encoder());
    const bool ok = archiver.finish();
    if (error)
        *error = archiver.errorString();
    return ok ? bytes : QByteArray();
}

TextAttributes::Ptr boldRed()
{
    TextAttributes a;
    a.fontFamily = QStringLiteral("Serif");
    a.pointSize = 13.5;
    a.weight = 700;
    a.foreground = 0xffcc0000u;
    return TextAttributes::make(a);
}

TextAttributes::Ptr italicUnderlinedOnYellow()
{
    TextAttributes a;
    a.italic = a.underline = a.strikeOut = true;
    a.background = 0xffffff00u;
    return TextAttributes::make(a);
}

// Keeps the decoder an object was read with, to probe its fields directly.
struct PersonFields
{
    static QString archiveClassName() { return QStringLiteral("Person"); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        fields = coder;
        return true;
    }
    ArchiveDecoder fields;
};

Person samplePerson()
{
    Person person;
    person.member = true;
    person.age = -42;
    person.height = 1.75f;
    person.balance = 1234567.891;
    person.name = QStringLiteral("Ada Ōkubo 🚀");
    person.nickname = QString(); // stored as the empty string
    person.photo = QByteArray("\x00\x01\xff", 3);
    person.note = AttributedText(QStringLiteral("plain bold italic🙂 end"));
    person.note.setAttributes(6, 4, boldRed());
    person.note.setAttributes(11, 8, italicUnderlinedOnYellow());
    person.frame = QRectF(1.5, -2, 300, 200.25);
    person.origin = QPointF(-7, 8.125);
    person.size = QSizeF(640, 480);
    person.tags = {QStringLiteral("a"), QString(), QStringLiteral("a"), QStringLiteral("long tag ").repeated(10)};
    person.home = {QStringLiteral("Main Street"), 12};
    person.previous = {{QStringLiteral("Old Road"), 1}, {QStringLiteral("Older Lane"), 2}};
    person.work = {QStringLiteral("Office Park"), std::numeric_limits<qint32>::min()};
    return person;
}

} // namespace

class tst_KeyedArchiveRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void everyKindRoundTrips()
    {
        const Person original = samplePerson();
        QString error;
        const QByteArray bytes = KeyedArchiver::archivedData(original, u"Person", &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));

        // Plain CBOR that any reader accepts, marked as self-described.
        QCborParserError parserError;
        const QCborValue generic = QCborValue::fromCbor(bytes, &parserError);
        QCOMPARE(parserError.error, QCborError::NoError);
        QCOMPARE(generic.tag(), QCborTag(55799));

        auto decoded = KeyedUnarchiver::unarchivedObject<Person>(bytes, u"Person", &error);
        QVERIFY2(decoded, qPrintable(error));
        QCOMPARE(decoded->note, original.note);
        QCOMPARE(decoded->note.runs().size(), 5);
        QCOMPARE(*decoded->note.attributesAt(7), *boldRed());
        QCOMPARE(decoded->tags, original.tags);
        QVERIFY(*decoded == original); // every field, nested objects included
    }

    void kindsAndAbsentKeys()
    {
        const QByteArray bytes = KeyedArchiver::archivedData(samplePerson(), u"Person");
        KeyedUnarchiver unarchiver(bytes);
        QVERIFY(unarchiver.isValid());
        const ArchiveDecoder root = unarchiver.root();
        QCOMPARE(root.allKeys(), QStringList{QStringLiteral("Person")});
        QCOMPARE(root.kindForKey(u"Person"), ArchiveKind::Object);
        auto person = root.decodeObject<PersonFields>(u"Person");
        QVERIFY(person);
        const ArchiveDecoder &fields = person->fields;
        QCOMPARE(fields.className(), QStringLiteral("Person"));
        QCOMPARE(fields.allKeys().first(), QStringLiteral("member"));
        QCOMPARE(fields.allKeys().size(), 15);
        const std::pair<const char16_t *, ArchiveKind> kinds[] = {
            {u"member", ArchiveKind::Bool},  {u"age", ArchiveKind::Int},        {u"height", ArchiveKind::Float},
            {u"balance", ArchiveKind::Double}, {u"photo", ArchiveKind::Data},   {u"note", ArchiveKind::AttributedText},
            {u"frame", ArchiveKind::Rect},   {u"origin", ArchiveKind::Point},   {u"size", ArchiveKind::Size},
            {u"tags", ArchiveKind::Array},   {u"home", ArchiveKind::Object},    {u"byRole", ArchiveKind::Dictionary},
            {u"name", ArchiveKind::String}, {u"absent", ArchiveKind::None}};
        for (const auto &[key, kind] : kinds)
            QVERIFY2(fields.kindForKey(key) == kind, qPrintable(QStringView(key).toString()));

        // Float and double read as each other without failing.
        QCOMPARE(fields.decodeDouble(u"height"), double(1.75f));
        QCOMPARE(fields.decodeFloat(u"balance"), float(1234567.891));
        QCOMPARE(fields.decodeValue(u"height").metaType(), QMetaType::fromType<float>());
        QCOMPARE(fields.decodeValue(u"balance").metaType(), QMetaType::fromType<double>());

        const ArchiveArray previous = fields.decodeArray(u"previous");
        QCOMPARE(previous.size(), 2);
        QCOMPARE(previous.kindAt(0), ArchiveKind::Object);
        QCOMPARE(previous.kindAt(2), ArchiveKind::None);
        QVERIFY(!previous.objectAt<Address>(-1));

        // An empty string is stored; an absent key reads as empty without failing.
        QVERIFY(fields.containsValueForKey(u"nickname"));
        QVERIFY(fields.decodeString(u"nickname").isEmpty() && !fields.decodeString(u"nickname").isNull());
        QVERIFY(!fields.containsValueForKey(u"missing"));
        QVERIFY(fields.decodeString(u"missing").isNull());
        QCOMPARE(fields.decodeInt32(u"missing"), 0);
        QVERIFY(fields.decodeRect(u"missing").isNull());
        QVERIFY(!fields.decodeObject<Address>(u"missing"));
        QVERIFY(!fields.decodeArray(u"missing").isValid());
        QVERIFY(fields.decodeAttributedText(u"missing").isEmpty());
        QVERIFY2(unarchiver.isValid(), qPrintable(unarchiver.errorString()));
    }

    void int32Limits()
    {
        const QList<qint32> values = {0,     -1,    1, 23, 24, 255, 256, 65535, 65536, std::numeric_limits<qint32>::max(),
                                      std::numeric_limits<qint32>::min()};
        const QByteArray bytes = archiveWith([&values](ArchiveEncoder &coder) {
            coder.beginArray(values.size(), u"numbers");
            for (const qint32 value : values)
                coder.encodeInt32(value, {});
            coder.endArray();
        });
        KeyedUnarchiver unarchiver(bytes);
        const ArchiveArray numbers = unarchiver.root().decodeArray(u"numbers");
        QCOMPARE(numbers.size(), values.size());
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(numbers.int32At(i), values.at(i));
        QVERIFY(unarchiver.isValid());

        // Integers beyond 32 bits are refused on the way in and on the way out.
        QString error;
        QVERIFY(archiveWith([](ArchiveEncoder &coder) { coder.encodeValue(qint64(1) << 31, u"big"); }, &error).isEmpty());
        QVERIFY2(error.contains(QLatin1StringView("32 bits")), qPrintable(error));
        QVERIFY(!archiveWith([](ArchiveEncoder &coder) { coder.encodeValue(qint64(-5), u"small"); }).isEmpty());
    }

    void variantsRoundTrip()
    {
        const QVariantMap inner = {{QStringLiteral("flag"), false},
                                   {QStringLiteral("list"), QVariantList{1, QStringLiteral("two"), 3.5, QVariantList{}}}};
        const QVariantMap map = {{u"int"_s, 7},          {u"float"_s, 2.5f},
                                 {u"double"_s, 0.1},     {u"string"_s, u"text"_s},
                                 {u"data"_s, QByteArray("bytes")}, {u"rect"_s, QRectF(1, 2, 3, 4)},
                                 {u"point"_s, QPointF(5, 6)},      {u"size"_s, QSizeF(7, 8)},
                                 {u"text"_s, QVariant::fromValue(AttributedText(u"cell"_s))},
                                 {u"inner"_s, inner},    {u"empty"_s, QVariantMap()}};
        const QStringList titles = {QStringLiteral("ID"), QStringLiteral("Name")};

        const QByteArray bytes = archiveWith([&](ArchiveEncoder &coder) {
            coder.beginDictionary(3, u"request");
            coder.encodeValue(map, u"map");
            coder.encodeValue(titles, u"titles");
            coder.encodeValue(QVariantList{true, 9}, u"list");
            coder.endDictionary();
        });
        KeyedUnarchiver unarchiver(bytes);
        const ArchiveDecoder request = unarchiver.root().decodeDictionary(u"request");
        QCOMPARE(request.className(), QString());
        QCOMPARE(request.decodeValue(u"map"), QVariant(map));
        QCOMPARE(request.decodeStringArray(u"titles"), titles);
        QCOMPARE(request.decodeValue(u"titles"), QVariant(QVariantList{titles.at(0), titles.at(1)}));
        QCOMPARE(request.decodeValue(u"list"), QVariant(QVariantList{true, 9}));
        QVERIFY(unarchiver.isValid());

        // Values of other types are refused, also inside containers.
        QString error;
        QVERIFY(archiveWith([](ArchiveEncoder &coder) { coder.encodeValue(QDate(2024, 1, 1), u"day"); }, &error).isEmpty());
        QVERIFY2(error.contains(QLatin1StringView("QDate")), qPrintable(error));
        for (const QVariant &bad : {QVariant(), QVariant(QVariantMap{{QStringLiteral("bad"), QDate()}})})
            QVERIFY(archiveWith([&bad](ArchiveEncoder &coder) { coder.encodeValue(bad, u"bad"); }).isEmpty());
    }

    void unpairedSurrogatesStayInTheirString()
    {
        // Each unpaired surrogate becomes one replacement character, so the
        // runs of an attributed text still cover it.
        const QString broken = QStringLiteral("a") + QChar(0xd800);
        AttributedText text(QChar(0xdc00) + broken);
        text.setAttributes(1, 2, boldRed());
        const QByteArray bytes = archiveWith([&](ArchiveEncoder &coder) {
            coder.beginArray(3, u"strings");
            coder.encodeString(broken, {});
            coder.encodeAttributedText(text, {});
            coder.encodeString(QStringLiteral("b"), {});
            coder.endArray();
        });
        KeyedUnarchiver unarchiver(bytes);
        const ArchiveArray strings = unarchiver.root().decodeArray(u"strings");
        QCOMPARE(strings.stringAt(0), QStringLiteral("a\uFFFD"));
        const AttributedText decoded = strings.attributedTextAt(1);
        QCOMPARE(decoded.string(), QStringLiteral("\uFFFDa\uFFFD"));
        QCOMPARE(*decoded.attributesAt(2), *boldRed());
        QCOMPARE(strings.stringAt(2), QStringLiteral("b"));
        QVERIFY2(unarchiver.isValid(), qPrintable(unarchiver.errorString()));
    }

    void decodersOutliveTheCallersBytes()
    {
        // Cell texts and data are decoded from the input on demand, so the
        // unarchiver must hold bytes of its own.
        const QByteArray archived = archiveWith([](ArchiveEncoder &coder) {
            coder.beginArray(2, u"values");
            coder.encodeAttributedText(AttributedText(QStringLiteral("cell text")), {});
            coder.encodeData(QByteArray("payload"), {});
            coder.endArray();
        });
        std::vector<char> scratch(archived.begin(), archived.end());
        KeyedUnarchiver fromRaw(QByteArray::fromRawData(scratch.data(), qsizetype(scratch.size())));
        KeyedUnarchiver fromView(QByteArrayView(scratch.data(), qsizetype(scratch.size())));
        QByteArray shared = archived;
        KeyedUnarchiver fromShared(shared);
        std::fill(scratch.begin(), scratch.end(), '\0');
        shared.fill('\0');
        for (const KeyedUnarchiver *unarchiver : {&fromRaw, &fromView, &fromShared}) {
            const ArchiveArray values = unarchiver->root().decodeArray(u"values");
            QCOMPARE(values.attributedTextAt(0).string(), QStringLiteral("cell text"));
            QCOMPARE(values.dataAt(1), QByteArray("payload"));
        }
    }

    void largeDictionariesAreLookedUpByKey()
    {
        // Above 16 entries the reader answers lookups from a hashed index.
        QVariantMap map;
        for (int i = 0; i < 300; ++i)
            map.insert(QStringLiteral("key %1").arg(i), i);
        const QByteArray bytes = archiveWith([&map](ArchiveEncoder &coder) { coder.encodeValue(map, u"map"); });
        KeyedUnarchiver unarchiver(bytes);
        const ArchiveDecoder decoded = unarchiver.root().decodeDictionary(u"map");
        QCOMPARE(decoded.allKeys().size(), 300);
        for (int i = 0; i < 300; ++i)
            QCOMPARE(decoded.decodeInt32(QStringLiteral("key %1").arg(i)), i);
        QVERIFY(!decoded.containsValueForKey(u"key 300"));
        QVERIFY(!decoded.containsValueForKey(u"never interned"));
        QVERIFY(unarchiver.isValid());
    }

    void repeatedValuesAreStoredOnce()
    {
        // Rows of a list: dictionaries each keyed by the same column title.
        const auto titledRows = [](int count) {
            return archiveWith([count](ArchiveEncoder &coder) {
                coder.beginArray(count, u"rows");
                for (int i = 0; i < count; ++i) {
                    coder.beginDictionary(1, {});
                    coder.encodeInt32(1, u"A column title of some length");
                    coder.endDictionary();
                }
                coder.endArray();
            });
        };
        const QByteArray small = titledRows(100), large = titledRows(10100);
        QVERIFY(!small.isEmpty() && !large.isEmpty());
        QCOMPARE(large.count("A column title of some length"), 1);
        // Map head, key reference (3 bytes) and the value: 5 bytes a row (the
        // array head grows by two).
        const double perRepetition = double(large.size() - small.size() - 2) / 10000.0;
        QVERIFY2(perRepetition <= 5.0, qPrintable(QString::number(perRepetition)));

        // Attribute sets: stored once, decoded into one shared instance.
        const TextAttributes::Ptr bold = boldRed();
        QList<AttributedText> cells;
        for (int i = 0; i < 200; ++i) {
            AttributedText cell(QStringLiteral("cell %1 text").arg(i));
            cell.setAttributes(0, 4, i % 2 ? bold : TextAttributes::make(*bold)); // equal, not identical
            cells.append(cell);
        }
        cells.append(AttributedText(QStringLiteral("plain")));
        const QByteArray bytes = archiveWith([&cells](ArchiveEncoder &coder) {
            coder.beginArray(cells.size(), u"cells");
            for (const AttributedText &cell : cells)
                coder.encodeAttributedText(cell, {});
            coder.endArray();
        });
        QCOMPARE(bytes.count("Serif"), 1);
        KeyedUnarchiver unarchiver(bytes);
        const ArchiveArray decoded = unarchiver.root().decodeArray(u"cells");
        QCOMPARE(decoded.size(), cells.size());
        const TextAttributes::Ptr first = decoded.attributedTextAt(0).attributesAt(0);
        QCOMPARE(*first, *bold);
        for (qsizetype i = 0; i < decoded.size() - 1; ++i) {
            const AttributedText cell = decoded.attributedTextAt(i);
            QCOMPARE(cell, cells.at(i));
            QCOMPARE(cell.attributesAt(0).get(), first.get());
            QCOMPARE(cell.attributesAt(6).get(), TextAttributes::defaults().get());
        }
        QVERIFY(decoded.attributedTextAt(cells.size() - 1).hasOnlyDefaultAttributes());
        QVERIFY(unarchiver.isValid());
    }

    void plainCellsAreCompact()
    {
        // Ten titles, rows of ten default-attribute cells: under 8 bytes a
        // cell beyond the UTF-8 text.
        const QStringList titles =
            QStringLiteral("ID Name Kana Zip Address Phone Mail Company Section Note").split(QLatin1Char(' '));
        const int rows = 2000;
        qint64 textBytes = 0;
        const QByteArray bytes = archiveWith([&](ArchiveEncoder &coder) {
            coder.beginArray(rows, u"rows");
            for (int row = 0; row < rows; ++row) {
                coder.beginDictionary(titles.size(), {});
                for (const QString &title : titles) {
                    const QString text = QStringLiteral("r%1%2").arg(row, 6, 10, QLatin1Char('0')).arg(title.left(3));
                    textBytes += text.toUtf8().size();
                    coder.encodeAttributedText(AttributedText(text), title);
                }
                coder.endDictionary();
            }
            coder.endArray();
        });
        const double perCell = double(bytes.size() - textBytes) / double(rows * titles.size());
        QVERIFY2(perCell < 8.0, qPrintable(QString::number(perCell)));
    }

    void encoderMisuseFailsTheArchive()
    {
        struct Case
        {
            const char *name;
            std::function<void(ArchiveEncoder &)> body;
            const char *message;
        };
        using E = ArchiveEncoder;
        const QList<Case> cases = {
            {"no value", [](E &) {}, "no top-level value"},
            {"two top-level values", [](E &c) { c.encodeBool(true, u"a"); c.encodeBool(true, u"b"); },
             "second top-level value"},
            {"short array", [](E &c) { c.beginArray(2, u"a"); c.encodeBool(true, {}); c.endArray(); }, "1 of the 2"},
            {"long dictionary",
             [](E &c) { c.beginDictionary(1, u"a"); c.encodeBool(true, u"x"); c.encodeBool(true, u"y"); c.endDictionary(); },
             "more values"},
            {"repeated key",
             [](E &c) { c.beginObject(u"Thing"_s, u"a"); c.encodeBool(true, u"x"); c.encodeInt32(1, u"x"); c.endObject(); },
             "written twice"},
            {"repeated key in a big dictionary",
             [](E &c) {
                 c.beginDictionary(40, u"a");
                 for (int i = 0; i < 39; ++i)
                     c.encodeInt32(i, QString::number(i));
                 c.encodeInt32(0, u"3");
                 c.endDictionary();
             },
             "written twice"},
            {"mismatched end", [](E &c) { c.beginArray(0, u"a"); c.endDictionary(); }, "endDictionary without"},
            {"open container", [](E &c) { c.beginObject(u"Thing"_s, u"a"); }, "left open"},
            {"too deep", [](E &c) { for (int i = 0; i < 200; ++i) c.beginArray(1, u"a"); }, "nesting deeper than 128"},
            {"class refuses", [](E &c) { c.encodeBool(true, u"a"); c.fail(u"nothing to save"_s); }, "archive: nothing to save"},
        };
        for (const Case &c : cases) {
            QByteArray bytes(16, 'x');
            KeyedArchiver archiver(&bytes);
            c.body(archiver.encoder());
            QVERIFY2(!archiver.finish(), c.name);
            QVERIFY2(bytes.isEmpty(), c.name); // no half archive left behind
            const QString error = archiver.errorString();
            QVERIFY2(error.startsWith(QLatin1StringView("archive: ")), c.name);
            QVERIFY2(error.contains(QLatin1StringView(c.message)), qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + error));
        }

        // Exactly the depth limit is fine, and the reader accepts it.
        const QByteArray deepest = archiveWith([](ArchiveEncoder &coder) {
            for (int i = 0; i < 127; ++i)
                coder.beginArray(1, u"a");
            coder.encodeInt32(5, {});
            for (int i = 0; i < 127; ++i)
                coder.endArray();
        });
        QVERIFY(!deepest.isEmpty());
        QVERIFY(KeyedUnarchiver(deepest).isValid());
    }

    void handWrittenHeadsMatchTheStreamWriter()
    {
        // Heads written beside the stream writer take its shortest forms at
        // every width boundary.
        const quint64 values[] = {0, 23, 24, 255, 256, 65535, 65536, 0xffffffffu, 0x100000000u,
                                  std::numeric_limits<quint64>::max()};
        for (const quint64 value : values) {
            QByteArray expected;
            QCborStreamWriter writer(&expected);
            writer.append(value);
            QCOMPARE(ArchiveFormat::cborHead(0, value), expected);
            expected.clear();
            QCborStreamWriter tagWriter(&expected);
            tagWriter.append(QCborTag(value));
            QCOMPARE(ArchiveFormat::cborHead(6, value), expected);
        }
        QCOMPARE(ArchiveFormat::cborHead(4, 3), QByteArray("\x83"));
    }

    void streamsIntoFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("person.archive"));
        {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            KeyedArchiver archiver(&file);
            archiver.encoder().encodeObject(samplePerson(), u"Person");
            QVERIFY(archiver.finish());
            QVERIFY(file.commit());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), KeyedArchiver::archivedData(samplePerson(), u"Person"));

        QFile closed(dir.filePath(QStringLiteral("closed")));
        KeyedArchiver refused(&closed);
        refused.encoder().encodeBool(true, u"x");
        QVERIFY(!refused.finish());
        QVERIFY(refused.errorString().contains(QLatin1StringView("not open")));

        // A reused buffer holds only the new archive.
        QByteArray reused(4096, 'x');
        {
            KeyedArchiver archiver(&reused);
            archiver.encoder().encodeBool(true, u"x");
            QVERIFY(archiver.finish());
        }
        QVERIFY(reused.size() < 64);
        QVERIFY(KeyedUnarchiver(reused).root().decodeBool(u"x"));
    }
};

QTEST_GUILESS_MAIN(tst_KeyedArchiveRoundTrip)
#include "tst_KeyedArchiveRoundTrip.moc"
