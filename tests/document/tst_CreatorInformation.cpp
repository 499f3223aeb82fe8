#include "support/TestSupport.h"

#include "document/CreatorInformation.h"
#include "platform/DateText.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

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
        coder.encodeString(QStringLiteral("Ann"), u"creatorName");
        coder.encodeString(QString(), u"_tableComment");
    }
};

// Reads back which keys, of which kinds, a record wrote.
struct StoredKinds
{
    static QString archiveClassName() { return CreatorInformation::archiveClassName(); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        for (const QString &key : coder.allKeys())
            kinds.append({key, coder.kindForKey(key)});
        return true;
    }
    QList<std::pair<QString, ArchiveKind>> kinds;
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
            QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"));
        QVERIFY(form.match(DateText::now()).hasMatch());

        // Wall clock minus the written offset gives back the instant.
        const QDateTime instant(QDate(2021, 7, 4), QTime(12, 30, 5), QTimeZone::utc());
        const QString text = DateText::fromDateTime(instant);
        QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
        QDateTime wall = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        wall.setTimeZone(QTimeZone::utc());
        const int sign = text.at(20) == u'-' ? -1 : 1;
        const int offset = sign * (text.mid(21, 2).toInt() * 3600 + text.mid(23, 2).toInt() * 60);
        QCOMPARE(wall.addSecs(-offset), instant);
        QCOMPARE(DateText::fromDateTime(QDateTime()), QString());
    }

    void freshRecordRenders()
    {
        const CreatorInformation record = freshRecord();
        QCOMPARE(record.creatorApplication(), QStringLiteral("Rowsmith"));
        QCOMPARE(record.applicationVersion(), 1.0f);
        QCOMPARE(record.osVersion(), CreatorInformation::systemProductVersion());
        QVERIFY(record.confirm_dayOfProduction());
        QVERIFY(!record.confirm_workLogArray());
        const QString expected = W("001Creator") + QStringLiteral(":\n")
            + W("002Creator") + QStringLiteral(":Rowsmith\n")
            + W("003Creator") + QStringLiteral(":1.00\n")
            + W("004Creator") + u':' + record.osVersion() + u'\n'
            + W("005Creator") + u':' + record.dayOfProduction() + u'\n'
            + W("006Creator") + QStringLiteral(":\n\n");
        QCOMPARE(record.logText(), expected);
    }

    void logEntriesFollowTheStateTable()
    {
        CreatorInformation record = freshRecord();
        QVERIFY(!record.register_creatorName(QString()));
        QVERIFY(!record.confirm_creatorName());
        QVERIFY(!record.creatorName().isNull());
        QVERIFY(record.workLogWithState(1));
        QCOMPARE(record.workLogArray().first(),
                 record.dayOfProduction() + u':' + W("008Creator") + W("011Creator"));

        record.register_creatorName(QStringLiteral("Ann"));
        record.register_dayOfUpdate(QStringLiteral("D"));
        record.register_logComment(QStringLiteral("/Users/a/in.csv"));
        record.workLogWithState(4);
        QCOMPARE(record.workLogArray().first(),
                 QStringLiteral("D:Ann ") + W("013Creator") + QStringLiteral(" in.csv."));
        record.workLogWithState(7); // another user, none named
        QCOMPARE(record.workLogArray().first(),
                 QStringLiteral("D:") + W("008Creator") + W("014Creator") + QStringLiteral(" in.csv."));
        QCOMPARE(record.workLogArray().size(), 3);

        // Search rows test updateCreator but the creator's own rows print creatorName.
        record.register_logComment(QStringLiteral("Q"));
        record.workLogWithState(8);
        QCOMPARE(record.workLogArray().first(), QStringLiteral("D:") + W("008Creator") + W("015Creator")
                     + QStringLiteral("[Q]") + W("016Creator") + u'.');
        record.register_updateCreator(QStringLiteral("Bob"));
        record.workLogWithState(8);
        QCOMPARE(record.workLogArray().first(), QStringLiteral("D:Ann ") + W("015Creator")
                     + QStringLiteral("[Q]") + W("016Creator") + u'.');
        record.workLogWithState(10);
        QCOMPARE(record.workLogArray().first(), QStringLiteral("D:Ann ") + W("015Creator")
                     + QStringLiteral("[Q]") + W("017Creator") + u'.');
        record.workLogWithState(11);
        QCOMPARE(record.workLogArray().first(), QStringLiteral("D:Bob ") + W("015Creator")
                     + QStringLiteral("[Q]") + W("017Creator") + u'.');
        record.workLogWithState(3);
        QCOMPARE(record.workLogArray().first(), QStringLiteral("D:Bob ") + W("012Creator"));

        const QStringList before = record.workLogArray();
        QVERIFY(!record.workLogWithState(0));
        QVERIFY(!record.workLogWithState(12));
        QCOMPARE(record.workLogArray(), before);

        // Newest first in the info text, after the table comment.
        record.setTableComment(QStringLiteral("3 rows"));
        const QString text = record.logText();
        const QString tail = W("007Creator") + QStringLiteral(":3 rows\n\n") + before.join(u'\n') + u'\n';
        QVERIFY2(text.endsWith(tail), qPrintable(text));

        QVERIFY(!record.register_workLogArray({}));
        QVERIFY(!record.confirm_workLogArray());
    }

    void archiveKeysAndKinds()
    {
        CreatorInformation record = freshRecord();
        record.register_creatorName(QStringLiteral("Ann"));
        record.register_applicationVersion(2.5f);
        record.register_fileType(-7);
        record.register_setUpCreator(true);
        record.register_updateCreator(QStringLiteral("Bob"));
        record.register_logComment(QStringLiteral("/x/y.csv"));
        record.setTableComment(QStringLiteral("table"));
        record.workLogWithState(1);
        record.workLogWithState(2);

        const QByteArray bytes = KeyedArchiver::archivedData(record, u"root");
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredKinds>(bytes, u"root");
        QVERIFY(stored);
        using K = ArchiveKind;
        const QList<std::pair<QString, ArchiveKind>> expected = {
            {QStringLiteral("setUpCreator"), K::Bool},
            {QStringLiteral("creatorName"), K::String},
            {QStringLiteral("creatorApplication"), K::String},
            {QStringLiteral("applicationVersion"), K::Float},
            {QStringLiteral("osVersion"), K::String},
            {QStringLiteral("dayOfProduction"), K::String},
            {QStringLiteral("dayOfRevision"), K::String},
            {QStringLiteral("dayOfUpdate"), K::String},
            {QStringLiteral("privatePasswordWithState"), K::Bool},
            {QStringLiteral("privatePasswordTitleString"), K::String},
            {QStringLiteral("privatePasswordString"), K::String},
            {QStringLiteral("protectFileByPasswordWithState"), K::Bool},
            {QStringLiteral("fileType"), K::Int},
            {QStringLiteral("_tableComment"), K::String},
            {QStringLiteral("workLogArray"), K::Array},
        };
        QCOMPARE(stored->kinds, expected);

        const auto decoded = KeyedUnarchiver::unarchivedObject<CreatorInformation>(bytes, u"root");
        QVERIFY(decoded);
        QCOMPARE(decoded->logText(), record.logText());
        QCOMPARE(decoded->applicationVersion(), 2.5f);
        QCOMPARE(decoded->fileType(), -7);
        QVERIFY(decoded->setUpCreator());
        QCOMPARE(decoded->workLogArray(), record.workLogArray());
        QCOMPARE(decoded->updateCreator(), QString());
        QCOMPARE(decoded->logComment(), QString());

        CreatorInformation copy;
        copy.register_updateCreator(QStringLiteral("kept"));
        QVERIFY(!copy.setTheEnvironmentalAtDecoder(nullptr));
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&record));
        QCOMPARE(copy.logText(), record.logText());
        QCOMPARE(copy.updateCreator(), QStringLiteral("kept"));
    }

    void decodingFillsNeutralValues()
    {
        const auto decoded = KeyedUnarchiver::unarchivedObject<CreatorInformation>(
            KeyedArchiver::archivedData(PartialRecord(), u"root"), u"root");
        QVERIFY(decoded);
        QCOMPARE(decoded->creatorName(), QStringLiteral("Ann"));
        QVERIFY(!decoded->confirm_workLogArray());
        QVERIFY(!decoded->confirm_tableComment());
        QCOMPARE(decoded->applicationVersion(), 0.0f);
        QCOMPARE(decoded->creatorApplication(), QString());
        const QString expected = W("001Creator") + QStringLiteral(":Ann\n")
            + W("002Creator") + QStringLiteral(":\n")
            + W("003Creator") + QStringLiteral(":0.00\n")
            + W("004Creator") + QStringLiteral(":\n")
            + W("005Creator") + QStringLiteral(":\n")
            + W("006Creator") + QStringLiteral(":\n\n");
        QCOMPARE(decoded->logText(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_CreatorInformation)
#include "tst_CreatorInformation.moc"
