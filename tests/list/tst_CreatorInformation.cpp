#include "support/StoredKeys.h"
#include "support/TestSupport.h"

#include "list/CreatorInformation.h"
#include "platform/DateText.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

QString W(const char *key)
{
    return Localization::textOrEmpty(Localization::kCreatorTable, QString::fromLatin1(key));
}

// An older or foreign record: only the keys it chooses to write.
struct PartialRecord
{
    static QString archiveClassName() { return CreatorInformation::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeString(u"Ann"_s, u"creatorName");
        coder.encodeString(QString(), u"_tableComment");
    }
};


CreatorInformation freshRecord()
{
    CreatorInformation record;
    record.initializationUserObject();
    return record;
}

} // namespace

class tst_CreatorInformation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void dateTextHasOffsetForm()
    {
        static const QRegularExpression form(
            u"^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"_s);
        QVERIFY(form.match(DateText::now()).hasMatch());

        // Wall clock minus the written offset gives back the instant.
        const QDateTime instant(QDate(2021, 7, 4), QTime(12, 30, 5), QTimeZone::utc());
        const QString text = DateText::fromDateTime(instant);
        QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
        QDateTime wall = QDateTime::fromString(text.left(19), u"yyyy-MM-dd HH:mm:ss"_s);
        wall.setTimeZone(QTimeZone::utc());
        const int sign = text.at(20) == u'-' ? -1 : 1;
        const int offset = sign * (text.mid(21, 2).toInt() * 3600 + text.mid(23, 2).toInt() * 60);
        QCOMPARE(wall.addSecs(-offset), instant);
        QCOMPARE(DateText::fromDateTime(QDateTime()), QString());
    }

    void freshRecordRenders()
    {
        const CreatorInformation record = freshRecord();
        QVERIFY(record.confirm_dayOfProduction());
        const QString expected = W("001Creator") + u":\n"_s + W("002Creator") + u":Rowsmith\n"_s
            + W("003Creator") + u":1.00\n"_s + W("004Creator") + u':' + CreatorInformation::systemProductVersion()
            + u'\n' + W("005Creator") + u':' + record.dayOfProduction() + u'\n' + W("006Creator") + u":\n\n"_s;
        QCOMPARE(record.logText(), expected);
    }

    void logEntriesFollowTheStateTable()
    {
        CreatorInformation record = freshRecord();
        QVERIFY(!record.register_creatorName(QString()));
        QVERIFY(record.workLogWithState(1));
        QCOMPARE(record.workLogArray().first(), record.dayOfProduction() + u':' + W("008Creator") + W("011Creator"));

        record.register_creatorName(u"Ann"_s);
        record.register_dayOfUpdate(u"D"_s);
        record.register_logComment(u"/Users/a/in.csv"_s);
        record.workLogWithState(4);
        QCOMPARE(record.workLogArray().first(), u"D:Ann "_s + W("013Creator") + u" in.csv."_s);
        record.workLogWithState(7); // another user, none named
        QCOMPARE(record.workLogArray().first(), u"D:"_s + W("008Creator") + W("014Creator") + u" in.csv."_s);
        QCOMPARE(record.workLogArray().size(), 3);

        // Search rows test updateCreator but the creator's own rows print creatorName.
        record.register_logComment(u"Q"_s);
        const auto search = [](const QString &who, const char *result) {
            return u"D:"_s + who + W("015Creator") + u"[Q]"_s + W(result) + u'.';
        };
        record.workLogWithState(8);
        QCOMPARE(record.workLogArray().first(), search(W("008Creator"), "016Creator"));
        record.register_updateCreator(u"Bob"_s);
        const std::tuple<int, QString, const char *> rows[] = {
            {8, u"Ann "_s, "016Creator"}, {10, u"Ann "_s, "017Creator"}, {11, u"Bob "_s, "017Creator"}};
        for (const auto &[state, who, result] : rows) {
            record.workLogWithState(state);
            QCOMPARE(record.workLogArray().first(), search(who, result));
        }
        record.workLogWithState(3);
        QCOMPARE(record.workLogArray().first(), u"D:Bob "_s + W("012Creator"));

        const QStringList before = record.workLogArray();
        QVERIFY(!record.workLogWithState(0));
        QVERIFY(!record.workLogWithState(12));
        QCOMPARE(record.workLogArray(), before);

        // Newest first in the info text, after the table comment.
        record.setTableComment(u"3 rows"_s);
        const QString text = record.logText();
        const QString tail = W("007Creator") + u":3 rows\n\n"_s + before.join(u'\n') + u'\n';
        QVERIFY2(text.endsWith(tail), qPrintable(text));
    }

    void archiveKeysAndKinds()
    {
        CreatorInformation record = freshRecord();
        record.register_creatorName(u"Ann"_s);
        record.register_applicationVersion(2.5f);
        record.register_fileType(-7);
        record.register_setUpCreator(true);
        record.register_updateCreator(u"Bob"_s);
        record.register_logComment(u"/x/y.csv"_s);
        record.setTableComment(u"table"_s);
        record.workLogWithState(1);
        record.workLogWithState(2);

        const QByteArray bytes = KeyedArchiver::archivedData(record, u"root");
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredKeys<CreatorInformation>>(bytes, u"root");
        QVERIFY(stored);
        using K = ArchiveKind;
        const QList<std::pair<QString, ArchiveKind>> expected = {
            {u"setUpCreator"_s, K::Bool}, {u"creatorName"_s, K::String}, {u"creatorApplication"_s, K::String},
            {u"applicationVersion"_s, K::Float}, {u"osVersion"_s, K::String}, {u"dayOfProduction"_s, K::String},
            {u"dayOfRevision"_s, K::String}, {u"dayOfUpdate"_s, K::String}, {u"privatePasswordWithState"_s, K::Bool},
            {u"privatePasswordTitleString"_s, K::String}, {u"privatePasswordString"_s, K::String},
            {u"protectFileByPasswordWithState"_s, K::Bool}, {u"fileType"_s, K::Int},
            {u"_tableComment"_s, K::String}, {u"workLogArray"_s, K::Array}};
        QCOMPARE(stored->kinds, expected);

        const auto decoded = KeyedUnarchiver::unarchivedObject<CreatorInformation>(bytes, u"root");
        QVERIFY(decoded);
        QCOMPARE(decoded->logText(), record.logText());
        QCOMPARE(decoded->fileType(), -7);
        QVERIFY(decoded->setUpCreator());
        QCOMPARE(decoded->workLogArray(), record.workLogArray());
        // Working fields are not archived.
        QVERIFY(decoded->updateCreator().isEmpty() && decoded->logComment().isEmpty());

        CreatorInformation copy;
        copy.register_updateCreator(u"kept"_s);
        QVERIFY(!copy.setTheEnvironmentalAtDecoder(nullptr));
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&record));
        QCOMPARE(copy.logText(), record.logText());
        QCOMPARE(copy.updateCreator(), u"kept"_s);
    }

    void decodingFillsNeutralValues()
    {
        const auto decoded = KeyedUnarchiver::unarchivedObject<CreatorInformation>(
            KeyedArchiver::archivedData(PartialRecord(), u"root"), u"root");
        QVERIFY(decoded);
        QVERIFY(!decoded->confirm_workLogArray() && !decoded->confirm_tableComment());
        const QString expected = W("001Creator") + u":Ann\n"_s + W("002Creator") + u":\n"_s + W("003Creator")
            + u":0.00\n"_s + W("004Creator") + u":\n"_s + W("005Creator") + u":\n"_s + W("006Creator") + u":\n\n"_s;
        QCOMPARE(decoded->logText(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_CreatorInformation)
#include "tst_CreatorInformation.moc"
