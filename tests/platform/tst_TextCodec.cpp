#include "platform/TextCodec.h"

#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TextEncoding)

static QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

class tst_TextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    // Exact bytes written, with the count of characters that became '?'.
    // Texts without such characters must also read back unchanged.
    void knownBytes_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("unmappable");

        const auto sjis = TextEncoding::ShiftJis, euc = TextEncoding::EucJp, jis = TextEncoding::Iso2022Jp,
                   utf8 = TextEncoding::Utf8;
        const QString loneHigh = QString(QChar(0xD83D));
        QTest::newRow("sjis kanji") << sjis << u"日本"_s << hex("93fa967b") << 0;
        QTest::newRow("sjis kana") << sjis << u"あカｱ"_s << hex("82a0834ab1") << 0;
        QTest::newRow("euc kanji") << euc << u"日本"_s << hex("c6fccbdc") << 0;
        QTest::newRow("euc kana") << euc << u"あカｱ"_s << hex("a4a2a5ab8eb1") << 0;
        QTest::newRow("jis kanji") << jis << u"A日本"_s << hex("411b2442467c4b5c1b2842") << 0;
        QTest::newRow("jis yen") << jis << u"A¥"_s << hex("411b284a5c1b2842") << 0;
        QTest::newRow("utf8") << utf8 << u"日ｱ😀"_s << hex("e697a5efbdb1f09f9880") << 0;
        QTest::newRow("empty") << sjis << u""_s << QByteArray() << 0;
        QTest::newRow("sjis euro") << sjis << u"€"_s << QByteArray("?") << 1;
        QTest::newRow("sjis emoji is one") << sjis << u"😀"_s << QByteArray("?") << 1;
        QTest::newRow("sjis mixed") << sjis << u"a😀日€c"_s << QByteArray("a?\x93\xfa?c") << 2;
        QTest::newRow("euc euro") << euc << u"x€😀"_s << QByteArray("x??") << 2;
        QTest::newRow("jis between kanji") << jis << u"日€本"_s << hex("1b2442467c1b28423f1b24424b5c1b2842") << 1;
        QTest::newRow("jis half-width") << jis << u"ｱ"_s << QByteArray("?") << 1;
        QTest::newRow("utf8 lone surrogate") << utf8 << u"a"_s + loneHigh + u"b"_s << QByteArray("a?b") << 1;
        QTest::newRow("utf8 trailing surrogate") << utf8 << u"a"_s + loneHigh << QByteArray("a?") << 1;
        QTest::newRow("jis trailing surrogate") << jis << u"日"_s + loneHigh << hex("1b2442467c1b28423f") << 1;
        QTest::newRow("sjis reversed pair") << sjis << QString(QChar(0xDE00)) + QChar(0xD83D) << QByteArray("??") << 2;
    }

    void knownBytes()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, unmappable);
        qsizetype count = -1;
        QCOMPARE(TextCodec::encode(text, encoding, &count), bytes);
        QCOMPARE(count, qsizetype(unmappable));
        if (unmappable == 0) {
            bool ok = false;
            const QString decoded = TextCodec::decode(bytes, encoding, &ok);
            QVERIFY(ok);
            QCOMPARE(decoded, text);
            QVERIFY(!decoded.isNull());
        }
    }

    void roundTrip_data()
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

    void roundTrip()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        qsizetype unmappable = -1;
        const QByteArray bytes = TextCodec::encode(text, encoding, &unmappable);
        QCOMPARE(unmappable, 0);
        bool ok = false;
        QCOMPARE(TextCodec::decode(bytes, encoding, &ok), text);
        QVERIFY(ok);
        // A text cut inside a multi-byte character is refused.
        const QByteArray cut = TextCodec::encode(u"日本"_s, encoding);
        if (encoding != TextEncoding::Iso2022Jp) {
            TextCodec::decode(QByteArrayView(cut).first(cut.size() - 1), encoding, &ok);
            QVERIFY(!ok);
        }
    }

    // What reading gives; a null text means the bytes are refused.
    void decoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        const auto sjis = TextEncoding::ShiftJis, euc = TextEncoding::EucJp, jis = TextEncoding::Iso2022Jp,
                   utf8 = TextEncoding::Utf8;
        const std::tuple<TextEncoding, const char *, QString> cases[] = {
            {utf8, "41ff42", {}}, {utf8, "41e697", {}}, {utf8, "c080", {}}, {utf8, "eda080", {}}, {utf8, "80", {}},
            {sjis, "817f", {}},   {sjis, "4193", {}},   {sjis, "a0", {}},   {sjis, "8540", {}},   {sjis, "e38182", {}},
            {euc, "41c6", {}},    {euc, "ff", {}},      {euc, "a9a1", {}},  {jis, "4180", {}},    {jis, "0e310f", {}},
            {jis, "1b244246", {}}, {jis, "e697a5", {}},
            // Only a leading byte order mark is dropped; a later one is text.
            {utf8, "efbbbf41", u"A"_s}, {utf8, "efbbbf", u""_s}, {utf8, "efbbbfefbbbf41", u"\uFEFFA"_s},
            {utf8, "41efbbbf", u"A\uFEFF"_s}, {sjis, "efbbbf41", {}},
            // Half-width katakana in JIS X 0201.
            {jis, "1b2849311b2842", u"ｱ"_s},
        };
        for (const auto &[encoding, bytes, text] : cases)
            QTest::addRow("%s %s", qPrintable(TextCodec::encodingName(encoding)), bytes) << encoding << hex(bytes) << text;
    }

    void decoding()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        bool ok = text.isNull();
        const QString decoded = TextCodec::decode(bytes, encoding, &ok);
        QCOMPARE(decoded, text);
        QCOMPARE(decoded.isNull(), text.isNull());
        QCOMPARE(ok, !text.isNull());
        QCOMPARE(TextCodec::decode(bytes, encoding).isNull(), text.isNull());
    }

    // Long texts are probed in pieces; the unmappable characters must be found
    // wherever they fall, including a surrogate pair across a piece boundary.
    void unmappableInLongText()
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
        for (TextEncoding encoding : {TextEncoding::ShiftJis, TextEncoding::EucJp, TextEncoding::Iso2022Jp}) {
            qsizetype unmappable = -1;
            const QByteArray bytes = TextCodec::encode(text, encoding, &unmappable);
            QCOMPARE(unmappable, positions.size());
            QCOMPARE(bytes, TextCodec::encode(expected, encoding));
            bool ok = false;
            QCOMPARE(TextCodec::decode(bytes, encoding, &ok), expected);
            QVERIFY(ok);
        }
    }

    void iso2022JpEndsInAscii()
    {
        for (const QString &text : {u"日本"_s, u"A¥"_s, u"A‾"_s, u"日€"_s, u"日本\n"_s}) {
            const QByteArray bytes = TextCodec::encode(text, TextEncoding::Iso2022Jp);
            const qsizetype lastEscape = bytes.lastIndexOf('\x1b');
            QVERIFY2(lastEscape >= 0, qPrintable(text));
            QCOMPARE(bytes.mid(lastEscape, 3), hex("1b2842"));
            QVERIFY(!bytes.endsWith('\\'));
        }
        QCOMPARE(TextCodec::encode(u"plain \\ text"_s, TextEncoding::Iso2022Jp), QByteArray("plain \\ text"));
    }

    void names()
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
        QVERIFY(!textEncodingFromName(u"latin1"_s).has_value() && !textEncodingFromName(u""_s).has_value());
    }
};

QTEST_GUILESS_MAIN(tst_TextCodec)
#include "tst_TextCodec.moc"
