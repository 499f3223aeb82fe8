#include "platform/TextCodec.h"

#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TextEncoding)

class tst_TextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void knownBytes_data();
    void knownBytes();
    void roundTrip_data();
    void roundTrip();
    void invalidInputRefused_data();
    void invalidInputRefused();
    void byteOrderMark();
    void unmappableBecomeQuestionMarks_data();
    void unmappableBecomeQuestionMarks();
    void unmappableInLongText();
    void iso2022JpEndsInAscii();
    void names();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

void tst_TextCodec::knownBytes_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("sjis kanji") << TextEncoding::ShiftJis << u"日本"_s << hex("93fa967b");
    QTest::newRow("sjis kana") << TextEncoding::ShiftJis << u"あカｱ"_s << hex("82a0834ab1");
    QTest::newRow("euc kanji") << TextEncoding::EucJp << u"日本"_s << hex("c6fccbdc");
    QTest::newRow("euc kana") << TextEncoding::EucJp << u"あカｱ"_s << hex("a4a2a5ab8eb1");
    QTest::newRow("jis kanji") << TextEncoding::Iso2022Jp << u"A日本"_s
                               << hex("411b2442467c4b5c1b2842");
    QTest::newRow("utf8") << TextEncoding::Utf8 << u"日ｱ😀"_s << hex("e697a5efbdb1f09f9880");
    QTest::newRow("empty") << TextEncoding::ShiftJis << u""_s << QByteArray();
}

void tst_TextCodec::knownBytes()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    qsizetype unmappable = -1;
    QCOMPARE(TextCodec::encode(text, encoding, &unmappable), bytes);
    QCOMPARE(unmappable, 0);
    bool ok = false;
    const QString decoded = TextCodec::decode(bytes, encoding, &ok);
    QVERIFY(ok);
    QCOMPARE(decoded, text);
    QVERIFY(!decoded.isNull());
}

void tst_TextCodec::roundTrip_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");

    const QString japanese = u"ID,名前,住所\r\n1,山田太郎,東京都千代田区\n"
                             u"2,ｶﾀｶﾅ ﾃｽﾄ,ひらがな・カタカナ「漢字」ー～\n"_s;
    const QString ascii = u"plain ASCII: 0123 ~\\ \"quoted\", tab\tend"_s;
    QTest::newRow("utf8") << TextEncoding::Utf8 << japanese + ascii + u"😀é"_s;
    QTest::newRow("sjis") << TextEncoding::ShiftJis << japanese + ascii;
    QTest::newRow("euc") << TextEncoding::EucJp << japanese + ascii;
    // ISO-2022-JP has no half-width katakana.
    QString jis = japanese;
    jis.remove(QRegularExpression(u"[\\x{FF61}-\\x{FF9F}]"_s));
    QTest::newRow("jis") << TextEncoding::Iso2022Jp << jis + ascii;
}

void tst_TextCodec::roundTrip()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    qsizetype unmappable = -1;
    const QByteArray bytes = TextCodec::encode(text, encoding, &unmappable);
    QCOMPARE(unmappable, 0);
    bool ok = false;
    QCOMPARE(TextCodec::decode(bytes, encoding, &ok), text);
    QVERIFY(ok);
    // Every prefix that ends inside a multi-byte character is refused.
    const QByteArray cut = TextCodec::encode(u"日本"_s, encoding);
    if (encoding != TextEncoding::Iso2022Jp) {
        TextCodec::decode(QByteArrayView(cut).first(cut.size() - 1), encoding, &ok);
        QVERIFY(!ok);
    }
}

void tst_TextCodec::invalidInputRefused_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("utf8 ff") << TextEncoding::Utf8 << hex("41ff42");
    QTest::newRow("utf8 truncated") << TextEncoding::Utf8 << hex("41e697");
    QTest::newRow("utf8 overlong") << TextEncoding::Utf8 << hex("c080");
    QTest::newRow("utf8 surrogate") << TextEncoding::Utf8 << hex("eda080");
    QTest::newRow("utf8 lone continuation") << TextEncoding::Utf8 << hex("80");
    QTest::newRow("sjis bad trail") << TextEncoding::ShiftJis << hex("817f");
    QTest::newRow("sjis truncated") << TextEncoding::ShiftJis << hex("4193");
    QTest::newRow("sjis a0") << TextEncoding::ShiftJis << hex("a0");
    QTest::newRow("sjis unassigned") << TextEncoding::ShiftJis << hex("8540");
    QTest::newRow("sjis utf8 text") << TextEncoding::ShiftJis << hex("e38182");
    QTest::newRow("euc truncated") << TextEncoding::EucJp << hex("41c6");
    QTest::newRow("euc ff") << TextEncoding::EucJp << hex("ff");
    QTest::newRow("euc unassigned") << TextEncoding::EucJp << hex("a9a1");
    QTest::newRow("jis 8 bit") << TextEncoding::Iso2022Jp << hex("4180");
    QTest::newRow("jis shift out") << TextEncoding::Iso2022Jp << hex("0e310f");
    QTest::newRow("jis truncated") << TextEncoding::Iso2022Jp << hex("1b244246");
    QTest::newRow("jis utf8 text") << TextEncoding::Iso2022Jp << hex("e697a5");
}

void tst_TextCodec::invalidInputRefused()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    bool ok = true;
    const QString text = TextCodec::decode(bytes, encoding, &ok);
    QVERIFY(!ok);
    QVERIFY(text.isNull());
    QVERIFY(TextCodec::decode(bytes, encoding).isNull());
}

void tst_TextCodec::byteOrderMark()
{
    bool ok = false;
    QCOMPARE(TextCodec::decode(hex("efbbbf41"), TextEncoding::Utf8, &ok), u"A"_s);
    QVERIFY(ok);
    const QString bomOnly = TextCodec::decode(hex("efbbbf"), TextEncoding::Utf8, &ok);
    QVERIFY(ok);
    QVERIFY(bomOnly.isEmpty() && !bomOnly.isNull());
    // Only the first mark is a mark; a second one is a character of the text.
    QCOMPARE(TextCodec::decode(hex("efbbbfefbbbf41"), TextEncoding::Utf8, &ok),
             u"\uFEFFA"_s);
    // A mark in the middle is text too.
    QCOMPARE(TextCodec::decode(hex("41efbbbf"), TextEncoding::Utf8, &ok), u"A\uFEFF"_s);
    // Writing adds none.
    QCOMPARE(TextCodec::encode(u"A"_s, TextEncoding::Utf8), QByteArray("A"));
    // The UTF-8 mark is not valid Shift_JIS text.
    TextCodec::decode(hex("efbbbf41"), TextEncoding::ShiftJis, &ok);
    QVERIFY(!ok);
}

void tst_TextCodec::unmappableBecomeQuestionMarks_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");

    const QString loneHigh = QString(QChar(0xD83D));
    QTest::newRow("sjis euro") << TextEncoding::ShiftJis << u"€"_s << QByteArray("?") << 1;
    QTest::newRow("sjis emoji is one") << TextEncoding::ShiftJis << u"😀"_s << QByteArray("?") << 1;
    QTest::newRow("sjis mixed") << TextEncoding::ShiftJis << u"a😀日€c"_s
                                << QByteArray("a?\x93\xfa?c") << 2;
    QTest::newRow("euc euro") << TextEncoding::EucJp << u"x€😀"_s << QByteArray("x??") << 2;
    QTest::newRow("jis between kanji") << TextEncoding::Iso2022Jp << u"日€本"_s
                                       << hex("1b2442467c1b28423f1b24424b5c1b2842") << 1;
    QTest::newRow("jis half-width") << TextEncoding::Iso2022Jp << u"ｱ"_s << QByteArray("?") << 1;
    QTest::newRow("utf8 lone surrogate") << TextEncoding::Utf8 << u"a"_s + loneHigh + u"b"_s
                                         << QByteArray("a?b") << 1;
    QTest::newRow("utf8 trailing surrogate") << TextEncoding::Utf8 << u"a"_s + loneHigh
                                             << QByteArray("a?") << 1;
    QTest::newRow("jis trailing surrogate") << TextEncoding::Iso2022Jp << u"日"_s + loneHigh
                                            << hex("1b2442467c1b28423f") << 1;
    QTest::newRow("sjis reversed pair") << TextEncoding::ShiftJis
                                        << QString(QChar(0xDE00)) + QChar(0xD83D)
                                        << QByteArray("??") << 2;
}

void tst_TextCodec::unmappableBecomeQuestionMarks()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    qsizetype unmappable = -1;
    QCOMPARE(TextCodec::encode(text, encoding, &unmappable), bytes);
    QCOMPARE(unmappable, qsizetype(count));
}

// Long texts are probed in pieces; the unmappable characters must be found
// wherever they fall, including a surrogate pair across a piece boundary.
void tst_TextCodec::unmappableInLongText()
{
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += (i % 7 == 0) ? u'a' : u'漢';
    QString expected = text;
    const QList<qsizetype> positions = {0, 255, 256, 511, 1000, 2999};
    for (qsizetype i = positions.size() - 1; i >= 0; --i) {
        const qsizetype at = positions.at(i);
        text.replace(at, 1, at % 2 ? u"😀"_s : u"€"_s);
        expected.replace(at, 1, u"?"_s);
    }
    for (TextEncoding encoding : {TextEncoding::ShiftJis, TextEncoding::EucJp,
                                  TextEncoding::Iso2022Jp}) {
        qsizetype unmappable = -1;
        const QByteArray bytes = TextCodec::encode(text, encoding, &unmappable);
        QCOMPARE(unmappable, positions.size());
        QCOMPARE(bytes, TextCodec::encode(expected, encoding));
        bool ok = false;
        QCOMPARE(TextCodec::decode(bytes, encoding, &ok), expected);
        QVERIFY(ok);
    }
}

void tst_TextCodec::iso2022JpEndsInAscii()
{
    const QByteArray toAscii = hex("1b2842");
    for (const QString &text : {u"日本"_s, u"A¥"_s, u"A‾"_s, u"日€"_s, u"日本\n"_s}) {
        const QByteArray bytes = TextCodec::encode(text, TextEncoding::Iso2022Jp);
        const qsizetype lastEscape = bytes.lastIndexOf('\x1b');
        QVERIFY2(lastEscape >= 0, qPrintable(text));
        QCOMPARE(bytes.mid(lastEscape, 3), toAscii);
        QVERIFY(!bytes.endsWith('\\'));
    }
    QCOMPARE(TextCodec::encode(u"plain \\ text"_s, TextEncoding::Iso2022Jp),
             QByteArray("plain \\ text"));
    QCOMPARE(TextCodec::encode(u"A¥"_s, TextEncoding::Iso2022Jp), hex("411b284a5c1b2842"));
    // Half-width katakana in JIS X 0201 is read.
    bool ok = false;
    QCOMPARE(TextCodec::decode(hex("1b2849311b2842"), TextEncoding::Iso2022Jp, &ok), u"ｱ"_s);
    QVERIFY(ok);
}

void tst_TextCodec::names()
{
    const std::pair<TextEncoding, QString> names[] = {{TextEncoding::Utf8, u"UTF-8"_s},
                                                      {TextEncoding::ShiftJis, u"Shift_JIS"_s},
                                                      {TextEncoding::Iso2022Jp, u"ISO-2022-JP"_s},
                                                      {TextEncoding::EucJp, u"EUC-JP"_s}};
    for (const auto &[encoding, name] : names) {
        QCOMPARE(TextCodec::encodingName(encoding), name);
        QCOMPARE(textEncodingFromName(name.toLower()), encoding);
    }
    QCOMPARE(textEncodingFromName(u" SJIS "_s), TextEncoding::ShiftJis);
    QVERIFY(!textEncodingFromName(u"latin1"_s).has_value());
    QVERIFY(!textEncodingFromName(u""_s).has_value());
}

QTEST_GUILESS_MAIN(tst_TextCodec)
#include "tst_TextCodec.moc"
