#include "platform/Localization.h"

#include "support/TestSupport.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every number, zero-padded to width, followed by every suffix.
QStringList keys(std::initializer_list<int> numbers, int width, const QStringList &suffixes)
{
    QStringList result;
    for (int n : numbers)
        for (const QString &suffix : suffixes)
            result << u"%1"_s.arg(n, width, 10, QChar(u'0')) + suffix;
    return result;
}

// Keys whose text is deliberately framed by blanks or punctuation because
// the formats that use them join texts without a separator.
const QStringList kFramedKeys = {u"008Creator"_s,  u"015Creator"_s,  u"016Creator"_s,  u"017Creator"_s,  u"71001Uptake"_s,
                                 u"71002Uptake"_s, u"24401Uptake"_s, u"24402Uptake"_s, u"24403Uptake"_s, u"24405Uptake"_s,
                                 u"24406Uptake"_s, u"08204Canceled01"_s, u"08205Canceled02"_s};

} // namespace

class tst_Localization : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void everyKeyHasEnglishText_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");

        QStringList main = keys({1008, 1009, 1010, 1011, 1012, 1013, 1014, 1020, 1021, 1030, 1031, 1034, 101, 202, 240,
                                 242, 243, 244, 264, 710, 715, 1, 2, 3, 4, 10, 13, 14, 15, 16, 260, 261, 1608, 1610,
                                 1611, 2002, 20, 21, 22, 23, 24, 25, 26, 27},
                                4, {u"Title"_s});
        main << u"acquire a pass of the Style Sheet file"_s << u"acquire a pass of the Java Script file"_s
             << u"acquire a pass of META text file"_s << u"acquire a pass of favicon image file"_s
             << u"acquire a pass of the image file"_s << u"acquire a pass of the CSV file"_s
             << u"Choose a HTML file"_s << u"Choose a Folder"_s << u"The choice of the project folder"_s;

        const QString up = u"Uptake"_s, up1 = u"Uptake01"_s, up2 = u"Uptake02"_s, can = u"Canceled"_s,
                      can1 = u"Canceled01"_s, can2 = u"Canceled02"_s;
        const QStringList alerts = keys({100, 219, 241, 261, 263, 264, 710, 711}, 5, {up, can})
                                   + keys({211, 240, 242, 243, 260, 262}, 5, {up, can1, can2})
                                   + keys({201}, 5, {up1, up2, can})
                                   + keys({10003, 10004, 10421, 71505, 263001}, 0, {up, can})
                                   + keys({10422, 10423, 10425, 202201, 263002, 263003, 263004, 263005}, 0, {up, can1, can2})
                                   + keys({10424, 8201, 8202, 8203, 8204, 8205}, 5, {up, can1})
                                   + keys({33001, 33002}, 0, {up1, up2, can1, can2})
                                   + keys({33003}, 0, {up, can1, can2}) + QStringList{u"08205Canceled02"_s};

        const QStringList steps =
            keys({10101, 10102, 10103, 10104, 10105, 20201, 20202, 20203, 20204, 20205, 24001, 24002, 24003, 24006,
                  24007, 24008, 24009, 24010, 24098, 24099, 24401, 24402, 24403, 24405, 24406, 71000, 71001, 71002,
                  71003, 71500, 71502, 71503, 71505, 93201, 93202, 93203, 93204, 93301, 93302, 93303, 93304, 93305,
                  93401, 93402, 93403, 93404, 93405, 93601, 93602, 93603, 93604, 93605},
                 0, {up})
            + keys({24404, 71501}, 0, {up1, up2});
        const QStringList creator = keys({1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17}, 3, {u"Creator"_s});

        const std::pair<QString, QStringList> tables[] = {{Localization::kMainTable, main}, {Localization::kAlertTable, alerts},
                                                          {Localization::kIndicatorTable, steps}, {Localization::kCreatorTable, creator}};
        for (const auto &[table, list] : tables) {
            for (const QString &key : list)
                QTest::addRow("%s/%s", qPrintable(table), qPrintable(key)) << table << key;
        }
    }

    void everyKeyHasEnglishText()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        const QString text = Localization::lookup(table, key);
        QVERIFY2(!text.trimmed().isEmpty(), "no English text");
        if (table != Localization::kMainTable || !key.contains(u' '))
            QVERIFY2(text != key, "the text is the bare key");
        // The keys must not leak into other tables: callers pick the table.
        if (table != Localization::kMainTable)
            QVERIFY(Localization::lookup(Localization::kMainTable, key).isNull());
        if (!kFramedKeys.contains(key))
            QVERIFY2(text == text.trimmed(), "stray blanks around the text");
        QVERIFY2(!text.contains(u"%@"_s) && !text.contains(u"%1"_s), "texts are never formats");
    }

    void fallbacks()
    {
        const QString missing = u"no such key 4711"_s;
        QVERIFY(Localization::lookup(Localization::kAlertTable, missing).isNull());
        QCOMPARE(Localization::textOrKey(Localization::kAlertTable, missing), missing);
        const QString empty = Localization::textOrEmpty(Localization::kCreatorTable, missing);
        QVERIFY(empty.isEmpty() && !empty.isNull());
        // A key of one table is not found through another.
        QVERIFY(Localization::lookup(Localization::kIndicatorTable, u"1010Title"_s).isNull());
        QCOMPARE(Localization::textOrKey(u"NoSuchTable"_s, u"1010Title"_s), u"1010Title"_s);
        QVERIFY(Localization::lookup(Localization::kMainTable, u""_s).isNull());
        QCOMPARE(Localization::textOrKey(Localization::kMainTable, QString()), QString());
        QCOMPARE(Localization::lookup(Localization::kMainTable, u"1010Title"_s), u"Cancel"_s);
    }

    // Option sources store the localised reference title and recover their
    // state by comparing it with these four texts, so no two may be equal.
    void referenceTitlesAreDistinct()
    {
        QSet<QString> texts;
        for (const QString &key : {u"0013Title"_s, u"0014Title"_s, u"0015Title"_s, u"0016Title"_s})
            texts.insert(Localization::textOrKey(Localization::kMainTable, key));
        QCOMPARE(texts.size(), 4);
    }

    // The work log joins some words without a blank ("%@:%@%@" when there is
    // no name), so the stand-in name and the search words carry their own blanks.
    void workLogWordsComposeIntoSentences()
    {
        const auto w = [](const QString &key) { return Localization::textOrEmpty(Localization::kCreatorTable, key); };
        const QString date = u"2026-12-06 10:00:00 +0000"_s;
        const QString unnamed = u"%1:%2%3"_s.arg(date, w(u"008Creator"_s), w(u"011Creator"_s));
        QVERIFY2(!unnamed.contains(u"  "_s), qPrintable(unnamed));
        QVERIFY2(unnamed.contains(u' ' + w(u"011Creator"_s)), qPrintable(unnamed));
        QCOMPARE(u"%1:%2 %3"_s.arg(date, u"alice"_s, w(u"011Creator"_s)),
                 u"2026-12-06 10:00:00 +0000:alice created this."_s);
        const QString search =
            u"%1:%2 %3[%4]%5."_s.arg(date, u"alice"_s, w(u"015Creator"_s), u"Tokyo"_s, w(u"016Creator"_s));
        QVERIFY2(search.contains(u" [Tokyo] "_s), qPrintable(search));
        QVERIFY2(!search.contains(u"  "_s), qPrintable(search));
    }
};

QTEST_GUILESS_MAIN(tst_Localization)
#include "tst_Localization.moc"
