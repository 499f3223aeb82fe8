#include "support/ArchiveWalker.h"
#include "support/TestSupport.h"

#include "platform/ArchiveArray.h"
#include "platform/ArchiveCompression.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCborStreamWriter>
#include <QCborValue>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

TextAttributes::Ptr bold()
{
    TextAttributes attributes;
    attributes.fontFamily = QStringLiteral("Sans");
    attributes.weight = 700;
    return TextAttributes::make(attributes);
}

// A record of every kind with nested records: the starting point of the
// mutation test and of the fuzz corpus.
struct Item
{
    static QString archiveClassName() { return QStringLiteral("Item"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        AttributedText text(QStringLiteral("plain bold"));
        text.setAttributes(6, 4, bold());
        coder.encodeBool(true, u"bool");
        coder.encodeInt32(-70000, u"int");
        coder.encodeFloat(1.5f, u"float");
        coder.encodeDouble(2.25, u"double");
        coder.encodeString(QStringLiteral("shared"), u"string");
        coder.encodeData(QByteArray("\x01\x02", 2), u"data");
        coder.encodeAttributedText(text, u"text");
        coder.encodeAttributedText(AttributedText(QStringLiteral("cell")), u"cell");
        coder.encodeRect(QRectF(1, 2, 3, 4), u"rect");
        coder.encodePoint(QPointF(5, 6), u"point");
        coder.encodeSize(QSizeF(7, 8), u"size");
        coder.encodeStringArray({QStringLiteral("shared"), QStringLiteral("b")}, u"strings");
        coder.beginDictionary(2, u"dictionary");
        coder.encodeString(QStringLiteral("shared"), u"string");
        coder.encodeAttributedText(text, u"text");
        coder.endDictionary();
        if (depth < 2) {
            Item child;
            child.depth = depth + 1;
            coder.encodeObject(child, u"child");
            coder.beginArray(2, u"children");
            coder.encodeObject(child, {});
            coder.encodeInt32(3, {});
            coder.endArray();
        }
    }
    int depth = 0;
};

struct Address
{
    static QString archiveClassName() { return QStringLiteral("Address"); }
    void encodeWithCoder(ArchiveEncoder &coder) const { coder.encodeString(street, u"street"); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        street = coder.decodeString(u"street");
        return !street.isEmpty();
    }
    QString street;
};

struct Person
{
    static QString archiveClassName() { return QStringLiteral("Person"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeString(QStringLiteral("Ada"), u"name");
        coder.encodeObject(home, u"home");
    }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        name = coder.decodeString(u"name");
        return !coder.failed();
    }
    QString name;
    Address home;
};

using Walked = ArchiveWalker::Item;

QByteArray validItemArchive()
{
    return KeyedArchiver::archivedData(Item(), u"Item");
}

// An archive prelude around a root written by hand, for layouts the
// encoder never produces.
QByteArray crafted(const std::function<void(QCborStreamWriter &)> &root, quint64 version = 1,
                   const char *magic = "rowsmith-archive")
{
    QByteArray bytes;
    QCborStreamWriter writer(&bytes);
    writer.append(QCborTag(55799));
    writer.startArray(3);
    writer.append(QLatin1StringView(magic));
    writer.append(version);
    root(writer);
    writer.endArray();
    return bytes;
}

// The prelude followed by raw root bytes, for heads no writer would emit.
QByteArray raw(const char *rootHex)
{
    return QByteArray::fromHex("d9d9f7837072" "6f77736d6974682d61726368697665" "01") + QByteArray::fromHex(rootHex);
}

// Arrays nested levels deep under the root key "a".
QByteArray deepArchive(int levels)
{
    return raw("a16161") + QByteArray(levels, '\x81') + QByteArray(1, '\x01');
}

void writeAttributeSet(QCborStreamWriter &w, quint64 weight = 400, const std::function<void()> &family = {})
{
    w.append(QCborTag(27902));
    w.startArray(8);
    if (family)
        family();
    else
        w.append(QLatin1StringView("Sans"));
    w.append(12.0);
    w.append(weight);
    w.append(false);
    w.append(false);
    w.append(false);
    w.append(quint64(0xff000000u));
    w.append(quint64(0));
    w.endArray();
}

// {"t": attributed text of text, one run of run characters in the set written by set}.
QByteArray oneRunText(const char *text, quint64 run, const std::function<void(QCborStreamWriter &)> &set = {})
{
    return crafted([=](QCborStreamWriter &w) {
        w.startMap(1);
        w.append(QLatin1StringView("t"));
        w.append(QCborTag(27901));
        w.startArray(3);
        w.append(QLatin1StringView(text));
        w.append(run);
        if (set)
            set(w);
        else
            writeAttributeSet(w);
        w.endArray();
        w.endMap();
    });
}

} // namespace

class tst_KeyedArchiveHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void malformedArchivesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");

        const auto add = [](const char *name, const QByteArray &bytes, const char *message) {
            QTest::newRow(name) << bytes << QString::fromLatin1(message);
        };
        add("empty", QByteArray(), "the data is empty");
        add("foreign CBOR", QCborValue(QCborMap{{QStringLiteral("a"), 1}}).toCbor(), "not a keyed archive");
        add("not CBOR at all", QByteArray("PK\x03\x04 zip file"), "not a keyed archive");
        add("wrong magic", crafted([](QCborStreamWriter &w) { w.startMap(0); w.endMap(); }, 1, "rowsmith-archivX"),
            "not a keyed archive");
        add("newer version", crafted([](QCborStreamWriter &w) { w.startMap(0); w.endMap(); }, 2),
            "unsupported archive version 2");
        add("two root keys", raw("a2616101616202"), "holds 2 keys instead of one");
        add("trailing byte", validItemArchive() + QByteArray(1, '\0'), "trailing bytes");
        add("truncated head", QByteArray::fromHex("d9d9"), "ends too early");
        add("forward reference", raw("a16161d81d00"), "shared value 0 of only 0 defined");
        add("reference as key", raw("a1d81d0501"), "shared value 5 of only 0 defined");
        add("reference past table", raw("a16161a2d81c616b01d81d0102"), "shared value 1 of only 1 defined");
        add("shareable wraps reference", raw("a1d81c6161d81cd81d00"), "shareable tag wraps a reference");
        add("shareable wraps number", raw("a16161d81c01"), "shareable value is not a string");
        add("self reference", oneRunText("ab", 2, [](QCborStreamWriter &w) {
                w.append(QCborTag(28)); // slot 0, still open while its family is read
                writeAttributeSet(w, 400, [&w] {
                    w.append(QCborTag(29));
                    w.append(quint64(0));
                });
            }),
            "while it is being defined");
        add("attribute set as a value", crafted([](QCborStreamWriter &w) {
                w.startMap(1);
                w.append(QLatin1StringView("d"));
                w.startMap(2);
                w.append(QLatin1StringView("a"));
                w.append(QCborTag(27901));
                w.startArray(3);
                w.append(QLatin1StringView("ab"));
                w.append(quint64(2));
                w.append(QCborTag(28));
                writeAttributeSet(w);
                w.endArray();
                w.append(QLatin1StringView("b"));
                w.append(QCborTag(29));
                w.append(quint64(0));
                w.endMap();
                w.endMap();
            }),
            "reference to an attribute set in place of a value");
        add("bare attribute set", crafted([](QCborStreamWriter &w) {
                w.startMap(1);
                w.append(QLatin1StringView("a"));
                writeAttributeSet(w);
                w.endMap();
            }),
            "attribute set outside an attributed text");
        add("runs short of the text", oneRunText("abc", 2), "cover 2 of its 3 characters");
        add("runs past the text", oneRunText("abc", 4), "run length is not a number from 0 to 3");
        add("font weight out of range", oneRunText("abc", 3, [](QCborStreamWriter &w) { writeAttributeSet(w, 5000); }), "font weight");
        add("deep nesting", deepArchive(200), "nesting deeper than 128 levels");
        add("huge array", raw("a161619b1000000000000000"),
            "array of 1152921504606846976 elements cannot fit in the 0 bytes left");
        add("huge text", raw("a161617b4000000000000000"), "string of 4611686018427387904 bytes runs past");
        add("huge data", raw("a161615affffffff00"), "string of 4294967295 bytes runs past");
        add("huge map", raw("a16161bb00000100000000000102"), "map of 1099511627776 entries cannot fit");
        add("huge run count", raw("a16161d96cfd9bffffffffffffffff"), "attributed text is neither");
        add("number key", raw("a101f5"), "map key is not a string");
        add("data key", raw("a1416101"), "map key is not a string");
        add("duplicate key", raw("a16164a2616101616102"), "duplicate key \"a\"");
        add("duplicate shared key", raw("a16164a2d81c616b01d81d0002"), "duplicate key \"k\"");
        QByteArray bigMap = raw("a16164b814");
        for (int i = 0; i < 19; ++i)
            bigMap += QByteArray::fromHex("62") + QByteArray("k") + char('a' + i) + QByteArray::fromHex("01");
        bigMap += QByteArray::fromHex("626b6301"); // "kc" again
        add("duplicate key in a big map", bigMap, "duplicate key \"kc\"");
        add("unknown tag", raw("a16161c100"), "unknown tag 1");
        add("indefinite text", raw("a161617f616161ff"), "indefinite-length string");
        add("invalid UTF-8", raw("a1616162c328"), "invalid UTF-8");
        add("null", raw("a16161f6"), "unsupported simple value 22");
        add("integer beyond 64 bits", raw("a161613bffffffffffffffff"), "beyond 64 bits");
        add("lone break", raw("a16161ff"), "malformed CBOR item");
        add("reserved head", raw("a161611c"), "malformed CBOR item");
        add("indefinite map without break", raw("a16161bf616201"), "ends too early");
        add("object without fields", raw("a16161d96cfc81614f"), "object is not [class name, fields]");
        add("object fields not a map", raw("a16161d96cfc82614f01"), "fields of an object are not a map");
        add("rect of three numbers", raw("a16161d96cff83010203"), "not an array of 4 numbers");
        add("point of strings", raw("a16161d96d0082616161"), "expected a number");
    }

    void malformedArchivesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        KeyedUnarchiver unarchiver(bytes);
        QVERIFY(!unarchiver.isValid());
        const QString error = unarchiver.errorString();
        QVERIFY2(error.startsWith(QLatin1StringView("archive: ")), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(QLatin1StringView(" at byte ")), qPrintable(error));
        QVERIFY(!unarchiver.root().isValid());
        QVERIFY(unarchiver.root().allKeys().isEmpty());
        QVERIFY(!unarchiver.decodeTopLevelObject<Walked>(u"Item"));
    }

    void limitsAreHonoured()
    {
        const QByteArray bytes = validItemArchive();
        KeyedUnarchiver::Limits small;
        small.maxBytes = bytes.size() - 1;
        KeyedUnarchiver tooBig(bytes, small);
        QVERIFY(!tooBig.isValid());
        QVERIFY2(tooBig.errorString().contains(QLatin1StringView("exceeds the limit")),
                 qPrintable(tooBig.errorString()));

        KeyedUnarchiver::Limits generous;
        generous.maxDepth = 300;
        QVERIFY(KeyedUnarchiver(deepArchive(200), generous).isValid());
        QVERIFY(KeyedUnarchiver(oneRunText("abc", 3)).isValid()); // the crafted layout itself is sound
        KeyedUnarchiver::Limits shallow;
        shallow.maxDepth = 2;
        QVERIFY(!KeyedUnarchiver(bytes, shallow).isValid());
    }

    void compressedArchives()
    {
        const QByteArray plain = validItemArchive();
        const QByteArray packed = ArchiveCompression::compress(plain);
        QVERIFY(ArchiveCompression::isCompressed(packed));
        QVERIFY(!ArchiveCompression::isCompressed(plain));
        KeyedUnarchiver unpacked(packed);
        QVERIFY2(unpacked.isValid(), qPrintable(unpacked.errorString()));
        QCOMPARE(unpacked.root().allKeys(), KeyedUnarchiver(plain).root().allKeys());
        ArchiveWalker::probeWrongKinds = false;
        ArchiveWalker::walk(unpacked.root());
        ArchiveWalker::probeWrongKinds = true;
        QVERIFY(unpacked.isValid());

        // The limit holds for what the frame unpacks to, not what it claims.
        KeyedUnarchiver::Limits small;
        small.maxBytes = plain.size() - 1;
        QVERIFY(!KeyedUnarchiver(packed, small).isValid());
        const QByteArray bomb = ArchiveCompression::compress(QByteArray(64 << 20, '\0'));
        QVERIFY(bomb.size() < 64 << 10);
        small.maxBytes = 1 << 20;
        KeyedUnarchiver exploded(bomb, small);
        QVERIFY(!exploded.isValid());
        QVERIFY2(exploded.errorString().contains(u"more than"_s), qPrintable(exploded.errorString()));

        for (qsizetype cut = 4; cut < packed.size(); cut += qMax<qsizetype>(1, packed.size() / 40))
            QVERIFY(!KeyedUnarchiver(packed.left(cut)).isValid());
        QByteArray damaged = packed;
        damaged[damaged.size() / 2] = char(damaged.at(damaged.size() / 2) ^ 0x5a);
        QVERIFY(!KeyedUnarchiver(damaged).isValid()); // the frame carries a checksum
    }

    void everyTruncationIsRefused()
    {
        const QByteArray bytes = validItemArchive();
        QVERIFY(KeyedUnarchiver(bytes).isValid());
        for (qsizetype length = 0; length < bytes.size(); ++length) {
            KeyedUnarchiver unarchiver(bytes.left(length));
            QVERIFY2(!unarchiver.isValid(), qPrintable(QString::number(length)));
            QVERIFY(unarchiver.errorString().startsWith(QLatin1StringView("archive: ")));
            QVERIFY(!unarchiver.decodeTopLevelObject<Walked>(u"Item"));
        }
    }

    void wrongKindsFailTheArchive()
    {
        const QByteArray bytes = KeyedArchiver::archivedData(Person{QString(), {QStringLiteral("Elm")}}, u"Person");
        const auto failsWith = [&bytes](const std::function<void(const ArchiveDecoder &)> &read,
                                        const char *message) {
            KeyedUnarchiver unarchiver(bytes);
            QVERIFY(unarchiver.isValid());
            struct Fields
            {
                static QString archiveClassName() { return QStringLiteral("Person"); }
                bool initWithCoder(const ArchiveDecoder &coder)
                {
                    fields = coder;
                    return true;
                }
                ArchiveDecoder fields;
            };
            auto person = unarchiver.root().decodeObject<Fields>(u"Person");
            QVERIFY(person);
            read(person->fields);
            QVERIFY(!unarchiver.isValid());
            QVERIFY2(unarchiver.errorString().contains(QLatin1StringView(message)),
                     qPrintable(unarchiver.errorString()));
        };
        failsWith([](const ArchiveDecoder &d) { QCOMPARE(d.decodeInt32(u"name"), 0); },
                  "the value under \"name\" is a string, not an int");
        failsWith([](const ArchiveDecoder &d) { QVERIFY(d.decodeAttributedText(u"name").isEmpty()); },
                  "is a string, not an attributed text");
        failsWith([](const ArchiveDecoder &d) { QVERIFY(!d.decodeObject<Person>(u"home")); },
                  "the object under \"home\" is of class Address, not Person");
        failsWith([](const ArchiveDecoder &d) { QVERIFY(!d.decodeDictionary(u"home").isValid()); },
                  "is an object, not a dictionary");
        failsWith([](const ArchiveDecoder &d) { QVERIFY(!d.decodeValue(u"home").isValid()); },
                  "which a plain value cannot hold");
        failsWith([](const ArchiveDecoder &d) { QVERIFY(d.decodeStringArray(u"name").isEmpty()); },
                  "is a string, not an array");

        // A class that refuses its fields (an empty street here).
        const QByteArray emptyStreet = KeyedArchiver::archivedData(Address{}, u"Address");
        KeyedUnarchiver refused(emptyStreet);
        QVERIFY(!refused.decodeTopLevelObject<Address>(u"Address"));
        QVERIFY(!refused.isValid());
        QVERIFY(refused.errorString().contains(QLatin1StringView("class Address refused its fields")));

        QString error;
        QVERIFY(!KeyedUnarchiver::unarchivedObject<Person>(bytes, u"Nobody", &error));
        QCOMPARE(error, QStringLiteral("archive: no Person under \"Nobody\""));
        QVERIFY(!KeyedUnarchiver::unarchivedObject<Address>(bytes, u"Person", &error));
        QVERIFY(error.contains(QLatin1StringView("is of class Person, not Address")));

        // Integers wider than 32 bits parse, but do not read as int32.
        KeyedUnarchiver wide(raw("a161611b0000000100000000"));
        QVERIFY(wide.isValid());
        QCOMPARE(wide.root().decodeValue(u"a"), QVariant(qlonglong(1) << 32));
        QCOMPARE(wide.root().decodeInt32(u"a"), 0);
        QVERIFY(wide.errorString().contains(QLatin1StringView("does not fit in 32 bits")));

        // Mixed arrays fail as string arrays, element by element otherwise.
        KeyedUnarchiver mixed(raw("a1616182616101"));
        QVERIFY(mixed.isValid());
        const ArchiveArray array = mixed.root().decodeArray(u"a");
        QCOMPARE(array.stringAt(0), QStringLiteral("a"));
        QVERIFY(mixed.isValid());
        QCOMPARE(array.stringAt(1), QString());
        QVERIFY(!mixed.isValid());
        QVERIFY(mixed.errorString().contains(QLatin1StringView("at index 1 is an int, not a string")));
    }

    void randomMutationsNeverCrash()
    {
        const QByteArray seed = validItemArchive();
        {
            ArchiveWalker::probeWrongKinds = false;
            KeyedUnarchiver unarchiver(seed);
            const bool walked = unarchiver.decodeTopLevelObject<Walked>(u"Item") != nullptr;
            ArchiveWalker::probeWrongKinds = true;
            QVERIFY2(walked, qPrintable(unarchiver.errorString()));
        }
        static const char interesting[] = {'\x00', '\x01', '\x17', '\x18', '\x1b', '\x1f', '\x7f', '\x80',
                                           '\x9b', '\xbf', '\xd8', '\xd9', '\xf5', '\xf6', '\xff'};
        QRandomGenerator random(20240611u);
        int accepted = 0;
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = seed;
            const int edits = 1 + int(random.bounded(4));
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const qsizetype at = random.bounded(bytes.size());
                switch (random.bounded(6)) {
                case 0: bytes[at] = char(random.bounded(256)); break;
                case 1: bytes[at] = char(bytes.at(at) ^ char(1 << random.bounded(8))); break;
                case 2: bytes[at] = interesting[random.bounded(int(sizeof interesting))]; break;
                case 3: bytes.insert(at, char(random.bounded(256))); break;
                case 4: bytes.remove(at, 1 + random.bounded(qMin<qsizetype>(8, bytes.size() - at))); break;
                default: bytes.insert(at, bytes.mid(random.bounded(bytes.size()), 1 + random.bounded(16))); break;
                }
            }
            KeyedUnarchiver unarchiver(bytes);
            if (!unarchiver.isValid()) {
                QVERIFY(unarchiver.errorString().startsWith(QLatin1StringView("archive: ")));
                continue;
            }
            ++accepted;
            // Whatever the reader accepts is well-formed CBOR to Qt's reader too.
            QCborParserError error;
            QCborValue::fromCbor(bytes, &error);
            QVERIFY2(error.error == QCborError::NoError, bytes.toHex().constData());
            ArchiveWalker::walk(unarchiver.root());
            (void)unarchiver.decodeTopLevelObject<Walked>(u"Item");
        }
        // Some mutations only change values; they must still read.
        QVERIFY(accepted > 0);
    }

    // Writes the fuzz seed corpus when ROWSMITH_WRITE_FUZZ_CORPUS names a
    // directory; otherwise checks that the seeds are what they claim.
    void fuzzSeedCorpus()
    {
        QList<std::pair<QString, QByteArray>> seeds;
        const QByteArray item = validItemArchive();
        seeds.append({QStringLiteral("valid-item"), item});
        seeds.append({QStringLiteral("valid-person"), KeyedArchiver::archivedData(Person{QString(), {QStringLiteral("Elm")}}, u"Person")});
        const auto archive = [](const std::function<void(ArchiveEncoder &)> &body) {
            QByteArray bytes;
            KeyedArchiver archiver(&bytes);
            body(archiver.encoder());
            archiver.finish();
            return bytes;
        };
        seeds.append({QStringLiteral("valid-rows"), archive([](ArchiveEncoder &coder) {
                          coder.beginObject(QStringLiteral("Item"), u"ListItem");
                          coder.encodeStringArray({QStringLiteral("ID"), QStringLiteral("Name")}, u"titles");
                          coder.beginArray(3, u"rows");
                          for (int row = 0; row < 3; ++row) {
                              coder.beginDictionary(2, {});
                              coder.encodeAttributedText(AttributedText(QString::number(row)), u"ID");
                              coder.encodeAttributedText(AttributedText(QStringLiteral("name %1").arg(row), bold()), u"Name");
                              coder.endDictionary();
                          }
                          coder.endArray();
                          coder.endObject();
                      })});
        seeds.append({QStringLiteral("valid-values"), archive([](ArchiveEncoder &coder) {
                          coder.encodeValue(QVariantMap{{QStringLiteral("list"), QVariantList{1, 2.5, QStringLiteral("x")}},
                                                        {QStringLiteral("flag"), true}},
                                            u"values");
                      })});
        seeds.append({QStringLiteral("broken-truncated"), item.left(item.size() / 2)});
        seeds.append({QStringLiteral("broken-trailing"), item + QByteArray(1, '\0')});
        seeds.append({QStringLiteral("broken-huge-array"), raw("a161619b1000000000000000")});
        seeds.append({QStringLiteral("broken-forward-reference"), raw("a16161d81d00")});
        seeds.append({QStringLiteral("broken-duplicate-key"), raw("a16164a2616101616102")});
        seeds.append({QStringLiteral("broken-deep"), deepArchive(140)});

        const QByteArray target = qgetenv("ROWSMITH_WRITE_FUZZ_CORPUS");
        for (const auto &[name, bytes] : seeds) {
            QCOMPARE(KeyedUnarchiver(bytes).isValid(), name.startsWith(QLatin1StringView("valid")));
            if (target.isEmpty())
                continue;
            QFile file(QDir(QString::fromLocal8Bit(target)).filePath(name + QStringLiteral(".archive")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
    }
};

QTEST_GUILESS_MAIN(tst_KeyedArchiveHostile)
#include "tst_KeyedArchiveHostile.moc"
