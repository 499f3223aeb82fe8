#include "support/StoredKeys.h"
#include "support/TestSupport.h"

#include "platform/AlertSheetModal.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PasswordVerifier.h"
#include "platform/PolicyAlertPresenter.h"
#include "prefs/AdvancedObject.h"
#include "prefs/DomainObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/MasterSecurityObject.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The keys an encoder wrote, with their kinds, in order.
template<class Probe, class T>
QList<std::pair<QString, ArchiveKind>> storedKinds(const T &object)
{
    const QByteArray bytes = KeyedArchiver::archivedData(object, u"root");
    const auto probe = KeyedUnarchiver::unarchivedObject<StoredKeys<Probe>>(bytes, u"root");
    return probe ? probe->kinds : QList<std::pair<QString, ArchiveKind>>{{u"<undecodable>"_s, ArchiveKind{}}};
}

template<class T>
QStringList storedKeys(const T &object)
{
    QStringList keys;
    for (const auto &[key, kind] : storedKinds<T>(object))
        keys.append(key);
    return keys;
}

template<class T>
std::unique_ptr<T> roundTrip(const T &object)
{
    return KeyedUnarchiver::unarchivedObject<T>(KeyedArchiver::archivedData(object, u"root"), u"root");
}

// A master record as a hand-edited or older file might hold it.
struct StoredMaster
{
    static QString archiveClassName() { return MasterSecurityObject::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeBool(protect, u"protectAdvancedByPasswordWithState");
        coder.encodeString(title, u"privatePasswordTitleStringForAdvanced");
        coder.encodeString(password, u"privatePasswordStringForAdvanced");
    }
    bool protect = true;
    QString title;
    QString password;
};

// A tree that stored only its general group.
struct GeneralOnlyTree
{
    static QString archiveClassName() { return PreferencesSource::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const { coder.encodeObject(general, u"generalObject"); }
    GeneralObject general;
};

QList<int> shownNumbers(const PolicyAlertPresenter &presenter)
{
    QList<int> numbers;
    for (const AlertContent &content : presenter.shownAlerts())
        numbers.append(content.number);
    return numbers;
}

// Verifiers made once per run: each costs a tenth of a second.
const QString &verifierOf(const QString &password)
{
    static QMap<QString, QString> made;
    auto found = made.find(password);
    if (found == made.end())
        found = made.insert(password, PasswordVerifier::makeVerifier(password));
    return found.value();
}

// Permission bits without Qt's "current user" duplicates.
QFile::Permissions access(const QString &path)
{
    return QFileInfo(path).permissions() & ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}
const QFile::Permissions kOwnerReadWrite = QFile::ReadOwner | QFile::WriteOwner;

void fillTree(PreferencesSource &tree)
{
    tree.generalObject()->registerUserNicknameString(u"Ann"_s);
    tree.generalObject()->registerOpenTheNewWindowWithState(true);
    tree.generalObject()->registerFrameUsingWindowWithState(true);
    tree.advancedObject()->registerUserFileCachesFolderWithState(true);
    tree.advancedObject()->registerUserFileCachesFolderPathString(u"/data/caches"_s);
    PrivatePasswordObject *record = tree.securityObject()->privatePasswordObject();
    record->registerPrivatePasswordListDictionary(QVariantMap{
        {u"work"_s, QVariantMap{{u"password"_s, verifierOf(u"s3cret"_s)}, {u"protectFile"_s, true},
                                {u"saveItNewly"_s, false}}}});
    record->registerPrivatePasswordWithState(true);
    record->registerPrivatePasswordTitleString(u"work"_s);
    record->registerPrivatePasswordString(verifierOf(u"s3cret"_s));
    record->registerProtectFileByPasswordWithState(true);
    record->registerSaveItNewlyConfirmWithState(true);
    MasterSecurityObject *master = tree.securityObject()->masterSecurityObject();
    master->registerProtectAdvancedByPasswordWithState(true);
    master->registerPrivatePasswordTitleStringForAdvanced(u"admin"_s);
    master->registerPrivatePasswordStringForAdvanced(verifierOf(u"äöü pass"_s));
}

void verifyDefaults(const PreferencesSource &tree, const QString &nickname = QString())
{
    QCOMPARE(tree.generalObject()->userNicknameString(), nickname);
    QVERIFY(!tree.generalObject()->openTheNewWindowWithState());
    QVERIFY(!tree.advancedObject()->userFileCachesFolderWithState());
    QCOMPARE(tree.advancedObject()->userFileCachesFolderPathString(), QString());
    QVERIFY(!tree.securityObject()->privatePasswordObject()->confirmPrivatePasswordListDictionary());
    QVERIFY(!tree.securityObject()->privatePasswordObject()->privatePasswordWithState());
    QVERIFY(!tree.securityObject()->masterSecurityObject()->protectAdvancedByPasswordWithState());
}

} // namespace

class tst_Preferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void cleanup() { AlertSheetModal::setPresenter(nullptr); }

    void treeSurvivesTheStoreWithUserOnlyPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"prefs/domain.conf"_s);
        PreferencesSource tree;
        fillTree(tree);

        DomainObject writer;
        writer.registerSettingsFilePath(path);
        QVERIFY(writer.makingUserDefaultsDictionary(&tree));
        QVERIFY(access(path) == kOwnerReadWrite);
        QVERIFY(access(dir.filePath(u"prefs"_s)) == (kOwnerReadWrite | QFile::ExeOwner));
        QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys(), QStringList{u"userDefaultsEncodeData"_s});

        DomainObject reader;
        reader.registerSettingsFilePath(path);
        QVERIFY(reader.readUserDefaultsDictionary());
        QCOMPARE(reader.userDefaultsEncodeData(), writer.userDefaultsEncodeData());
        PreferencesSource loaded;
        QVERIFY(reader.developUserDefaults(&loaded));

        // Every field survives: the loaded tree encodes to the same bytes.
        QCOMPARE(KeyedArchiver::archivedData(loaded, u"root"), KeyedArchiver::archivedData(tree, u"root"));
        QVERIFY(PasswordVerifier::verify(
            loaded.securityObject()->masterSecurityObject()->privatePasswordStringForAdvanced(), u"äöü pass"_s));
        QVERIFY(!writer.userDefaultsEncodeData().contains("s3cret"));
        QVERIFY(!writer.userDefaultsEncodeData().contains(u"äöü pass"_s.toUtf8()));

        // A second save replaces the contents and keeps the file private.
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        tree.generalObject()->registerUserNicknameString(QString());
        QVERIFY(writer.makingUserDefaultsDictionary(&tree));
        QVERIFY(access(path) == kOwnerReadWrite);
        QVERIFY(reader.developUserDefaults(&loaded));
        QCOMPARE(loaded.generalObject()->userNicknameString(), QString());
    }

    void missingOrDamagedStoreKeepsDefaults()
    {
        QTemporaryDir dir;
        DomainObject domain;
        PreferencesSource loaded;

        // First start: no file at all, and nothing gets created by reading.
        const QString absent = dir.filePath(u"absent.conf"_s);
        domain.registerSettingsFilePath(absent);
        QVERIFY(!domain.readUserDefaultsDictionary() && !domain.developUserDefaultsSource());
        QVERIFY(!domain.developUserDefaults(&loaded));
        QVERIFY(!QFileInfo::exists(absent));

        const QString garbage = dir.filePath(u"garbage.conf"_s);
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        static const char raw[] = "\x00\xff[[[=\n@Variant(\x01\x02)\nuserDefaultsEncodeData=@ByteArray(";
        file.write(raw, sizeof raw - 1);
        file.close();
        domain.registerSettingsFilePath(garbage);
        QVERIFY(!domain.developUserDefaults(&loaded));
        verifyDefaults(loaded);

        // Well-formed INI, but the bytes are no archive, or an archive of
        // something else.
        const QString bad = dir.filePath(u"bad.conf"_s);
        domain.registerSettingsFilePath(bad);
        const QByteArray notOurs = KeyedArchiver::archivedData(GeneralObject(), u"PreferencesSource");
        for (const QByteArray &bytes :
             {QByteArray("\xa1\x61x\xff\x00garbage", 12), notOurs, notOurs.left(notOurs.size() / 2)}) {
            QSettings(bad, QSettings::IniFormat).setValue(u"userDefaultsEncodeData"_s, bytes);
            QVERIFY(domain.readUserDefaultsDictionary() && !domain.developUserDefaultsSource());
            fillTree(loaded);
            QVERIFY(!domain.developUserDefaults(&loaded));
            verifyDefaults(loaded);
        }
    }

    void missingGroupsDecodeAsDefaults()
    {
        GeneralOnlyTree stored;
        stored.general.registerUserNicknameString(u"Bo"_s);
        DomainObject domain;
        QVERIFY(domain.registerUserDefaultsEncodeData(KeyedArchiver::archivedData(stored, u"PreferencesSource")));
        const auto tree = domain.developUserDefaultsSource();
        QVERIFY(tree);
        verifyDefaults(*tree, u"Bo"_s);

        // The root key is what identifies the stored tree.
        QVERIFY(domain.registerUserDefaultsEncodeData(KeyedArchiver::archivedData(stored, u"Other")));
        QVERIFY(!domain.developUserDefaultsSource());
    }

    void optionalKeysAreWrittenOnlyWithContent()
    {
        GeneralObject general;
        general.initializationUserObject();
        QCOMPARE(storedKeys(general), (QStringList{u"openTheNewWindowWithState"_s, u"frameUsingWindowWithState"_s}));
        QVERIFY(!roundTrip(general)->userNicknameString().isNull());
        QVERIFY(!general.registerUserNicknameString(QString()));

        AdvancedObject advanced;
        QCOMPARE(storedKeys(advanced), QStringList{u"userFileCachesFolderWithState"_s});
        // The script run's time limit: stored once changed, kept within bounds.
        QCOMPARE(advanced.scriptRunSeconds(), AdvancedObject::kDefaultScriptRunSeconds);
        QVERIFY(!advanced.registerScriptRunSeconds(0) && !advanced.registerScriptRunSeconds(86401));
        QVERIFY(advanced.registerScriptRunSeconds(30));
        QCOMPARE(storedKeys(advanced), (QStringList{u"userFileCachesFolderWithState"_s, u"scriptRunSeconds"_s}));
        QCOMPARE(roundTrip(advanced)->scriptRunSeconds(), 30);
        advanced.initializationUserObject();

        // An empty list writes nothing, even with other fields set.
        PrivatePasswordObject record;
        record.registerPrivatePasswordWithState(true);
        record.registerPrivatePasswordTitleString(u"t"_s);
        QCOMPARE(storedKeys(record), QStringList());
        QVERIFY(!roundTrip(record)->privatePasswordWithState());

        // Private passwords off: only the two NO flags follow the list.
        record.registerPrivatePasswordListDictionary({{u"t"_s, QVariantMap{{u"password"_s, u"p"_s}}}});
        record.registerPrivatePasswordWithState(false);
        record.registerProtectFileByPasswordWithState(true);
        QCOMPARE(storedKeys(record), (QStringList{u"privatePasswordListDictionary"_s, u"privatePasswordWithState"_s,
                                                   u"protectFileByPasswordWithState"_s}));
        const auto decoded = roundTrip(record);
        QVERIFY(!decoded->protectFileByPasswordWithState());
        QCOMPARE(decoded->privatePasswordTitleString(), QString());
        QCOMPARE(decoded->privatePasswordListDictionary().keys(), QStringList{u"t"_s});
    }

    void advancedProtectionNeedsTitleAndPassword()
    {
        MasterSecurityObject master;
        master.registerProtectAdvancedByPasswordWithState(true);
        master.registerPrivatePasswordTitleStringForAdvanced(u"admin"_s);
        QCOMPARE(storedKeys(master), QStringList{u"protectAdvancedByPasswordWithState"_s});
        QVERIFY(!roundTrip(master)->protectAdvancedByPasswordWithState());

        StoredMaster stored;
        stored.title = u"admin"_s;
        const auto decode = [&] {
            return KeyedUnarchiver::unarchivedObject<MasterSecurityObject>(
                KeyedArchiver::archivedData(stored, u"root"), u"root");
        };
        QVERIFY(!decode()->protectAdvancedByPasswordWithState());
        stored.password = u"pw"_s;
        QVERIFY(decode()->protectAdvancedByPasswordWithState());
        stored.protect = false;
        QVERIFY(!decode()->protectAdvancedByPasswordWithState());
    }

    void passwordListOperations()
    {
        PolicyAlertPresenter presenter;
        AlertSheetModal::setPresenter(&presenter);
        PrivatePasswordObject record;
        record.initializationUserObject();
        record.registerProtectFileByPasswordWithState(true);
        record.registerPrivatePasswordTitleString(u"a"_s);

        QVERIFY(!record.addPrivatePasswordListAtTitle(u"a"_s, QString()));
        QVERIFY(record.addPrivatePasswordListAtTitle(u"a"_s, u"pa"_s));
        QVariantMap entry = record.privatePasswordListDictionary().value(u"a"_s).toMap();
        const QString verifierA = entry.take(u"password"_s).toString();
        QCOMPARE(entry, (QVariantMap{{u"protectFile"_s, true}, {u"saveItNewly"_s, false}}));
        QVERIFY(PasswordVerifier::isVerifier(verifierA) && PasswordVerifier::verify(verifierA, u"pa"_s));
        // Added under the current title, it is the current password too.
        QCOMPARE(record.privatePasswordString(), verifierA);

        // An existing title never changes through add; 10422 answers as the
        // user chose.
        QVERIFY(!record.addPrivatePasswordListAtTitle(u"a"_s, u"other"_s));
        presenter.enqueue(AlertButton::Alternate);
        QVERIFY(record.addPrivatePasswordListAtTitle(u"a"_s, u"pa"_s));
        QVERIFY(!record.addPrivatePasswordListAtTitle(u"a"_s, u"pa"_s));
        QCOMPARE(shownNumbers(presenter), (QList<int>{10421, 10422, 10422}));
        QCOMPARE(record.privatePasswordListDictionary().value(u"a"_s).toMap().value(u"password"_s), QVariant(verifierA));

        record.registerProtectFileByPasswordWithState(false);
        QVERIFY(record.workPrivatePasswordTitleAtString(u"a"_s));
        QCOMPARE(record.privatePasswordString(), verifierA);
        QVERIFY(record.protectFileByPasswordWithState());
        QVERIFY(!record.workPrivatePasswordTitleAtString(u"new"_s));
        QCOMPARE(record.privatePasswordTitleString(), u"new"_s);

        QVERIFY(!record.changePrivatePasswordAtTitle(u"new"_s, u"x"_s));
        QVERIFY(!record.changePrivatePasswordAtTitle(u"a"_s, QString()));
        QCOMPARE(record.privatePasswordString(), verifierA);
        QVERIFY(record.changePrivatePasswordAtTitle(u"a"_s, u"pb"_s));
        QVERIFY(PasswordVerifier::verify(record.privatePasswordString(), u"pb"_s));
        QCOMPARE(record.privatePasswordListDictionary().value(u"a"_s), QVariant(record.makingPrivatePasswordObject()));

        presenter.clearShownAlerts();
        QVERIFY(!record.removePrivatePasswordListAtTitle(u"zz"_s, u"pb"_s));
        QVERIFY(!record.removePrivatePasswordListAtTitle(u"a"_s, u"pa"_s));
        QVERIFY(!record.removePrivatePasswordListAtTitle(u"a"_s, u"pb"_s));
        QVERIFY(record.inspectionPrivatePasswordTitleString(u"a"_s));
        presenter.enqueue(AlertButton::Alternate);
        QVERIFY(record.removePrivatePasswordListAtTitle(u"a"_s, u"pb"_s));
        QCOMPARE(shownNumbers(presenter), (QList<int>{10425, 10424, 10423, 10423}));
        QVERIFY(!record.confirmPrivatePasswordListDictionary());
        QVERIFY(!record.removePrivatePasswordListAtTitle(u"a"_s, u"pb"_s));
    }

    void plainPasswordsOfOlderRecordsBecomeVerifiers()
    {
        struct OldRecord
        {
            static QString archiveClassName() { return PrivatePasswordObject::archiveClassName(); }
            void encodeWithCoder(ArchiveEncoder &coder) const
            {
                coder.encodeValue(QVariantMap{
                    {u"work"_s, QVariantMap{{u"password"_s, u"old-work-pw"_s}, {u"protectFile"_s, true},
                                            {u"saveItNewly"_s, true}}},
                    {u"home"_s, QVariantMap{{u"password"_s, u"old-home-pw"_s}, {u"protectFile"_s, false},
                                            {u"saveItNewly"_s, false}}},
                }, u"privatePasswordListDictionary");
                coder.encodeBool(true, u"privatePasswordWithState");
                coder.encodeString(u"work"_s, u"privatePasswordTitleString");
                coder.encodeString(u"old-work-pw"_s, u"privatePasswordString");
                coder.encodeBool(true, u"protectFileByPasswordWithState");
                coder.encodeBool(false, u"saveItNewlyConfirmWithState");
            }
        };
        const auto record = KeyedUnarchiver::unarchivedObject<PrivatePasswordObject>(
            KeyedArchiver::archivedData(OldRecord(), u"root"), u"root");
        QVERIFY(record);
        const QVariantMap list = record->privatePasswordListDictionary();
        const QString work = list.value(u"work"_s).toMap().value(u"password"_s).toString();
        const QString home = list.value(u"home"_s).toMap().value(u"password"_s).toString();
        QVERIFY(PasswordVerifier::isVerifier(work) && PasswordVerifier::isVerifier(home));
        QVERIFY(PasswordVerifier::verify(work, u"old-work-pw"_s));
        QVERIFY(PasswordVerifier::verify(home, u"old-home-pw"_s));
        // The current password is the current entry's verifier, not a second one.
        QCOMPARE(record->privatePasswordString(), work);

        // Saved again: the same keys and kinds, and no plain password.
        QCOMPARE((storedKinds<PrivatePasswordObject>(*record)), (storedKinds<PrivatePasswordObject>(OldRecord())));
        const QByteArray saved = KeyedArchiver::archivedData(*record, u"root");
        QVERIFY(!saved.contains("old-work-pw") && !saved.contains("old-home-pw"));

        StoredMaster oldMaster;
        oldMaster.title = u"admin"_s;
        oldMaster.password = u"old-admin-pw"_s;
        const auto master = KeyedUnarchiver::unarchivedObject<MasterSecurityObject>(
            KeyedArchiver::archivedData(oldMaster, u"root"), u"root");
        QVERIFY(master && master->protectAdvancedByPasswordWithState());
        QVERIFY(PasswordVerifier::verify(master->privatePasswordStringForAdvanced(), u"old-admin-pw"_s));
        QCOMPARE((storedKinds<MasterSecurityObject>(*master)), (storedKinds<MasterSecurityObject>(oldMaster)));
        QVERIFY(!KeyedArchiver::archivedData(*master, u"root").contains("old-admin-pw"));
    }

    void storedListIsSanitised()
    {
        // Only titled entries that are maps with a text password survive.
        struct StoredRecord
        {
            static QString archiveClassName() { return PrivatePasswordObject::archiveClassName(); }
            void encodeWithCoder(ArchiveEncoder &coder) const
            {
                coder.encodeValue(QVariantMap{
                    {u"ok"_s, QVariantMap{{u"password"_s, u"p"_s}, {u"protectFile"_s, true}}},
                    {u"number"_s, QVariantMap{{u"password"_s, 5}}},
                    {u"flat"_s, u"p"_s},
                    {QString(), QVariantMap{{u"password"_s, u"p"_s}}},
                }, u"privatePasswordListDictionary");
                coder.encodeBool(true, u"privatePasswordWithState");
            }
        };
        const auto record = KeyedUnarchiver::unarchivedObject<PrivatePasswordObject>(
            KeyedArchiver::archivedData(StoredRecord(), u"root"), u"root");
        QVERIFY(record);
        QCOMPARE(record->privatePasswordListDictionary().keys(), QStringList{u"ok"_s});
        QVERIFY(record->workPrivatePasswordTitleAtString(u"ok"_s));
        QVERIFY(record->protectFileByPasswordWithState());
        QVERIFY(!record->saveItNewlyConfirmWithState());
    }
};

QTEST_GUILESS_MAIN(tst_Preferences)
#include "tst_Preferences.moc"
