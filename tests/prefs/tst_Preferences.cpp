#include "support/TestSupport.h"

#include "platform/AlertPresenter.h"
#include "platform/AlertSheetModal.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
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

namespace {

// Decodes whatever was stored under T's class name and keeps only its keys,
// so tests can see exactly what an encoder wrote.
template<class T>
struct StoredKeys
{
    static QString archiveClassName() { return T::archiveClassName(); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        keys = coder.allKeys();
        return true;
    }
    QStringList keys;
};

template<class T>
QStringList storedKeys(const T &object)
{
    const QByteArray bytes = KeyedArchiver::archivedData(object, u"root");
    const auto probe = KeyedUnarchiver::unarchivedObject<StoredKeys<T>>(bytes, u"root");
    return probe ? probe->keys : QStringList{QStringLiteral("<undecodable>")};
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

class ScriptedPresenter : public AlertPresenter
{
public:
    AlertButton present(const AlertContent &content) override
    {
        shown.append(content.number);
        return agree ? AlertButton::Alternate : AlertButton::Default;
    }
    QList<int> shown;
    bool agree = false;
};

// Owner, group and other bits in the usual octal form.
int accessBits(const QString &path)
{
    const QFile::Permissions permissions = QFileInfo(path).permissions();
    int bits = 0;
    const std::pair<QFile::Permission, int> table[] = {
        {QFile::ReadOwner, 0400}, {QFile::WriteOwner, 0200}, {QFile::ExeOwner, 0100},
        {QFile::ReadGroup, 040},  {QFile::WriteGroup, 020},  {QFile::ExeGroup, 010},
        {QFile::ReadOther, 04},   {QFile::WriteOther, 02},   {QFile::ExeOther, 01}};
    for (const auto &[permission, bit] : table)
        if (permissions.testFlag(permission))
            bits |= bit;
    return bits;
}

void fillTree(PreferencesSource &tree)
{
    tree.generalObject()->registerUserNicknameString(QStringLiteral("Ann"));
    tree.generalObject()->registerOpenTheNewWindowWithState(true);
    tree.generalObject()->registerFrameUsingWindowWithState(true);
    tree.advancedObject()->registerUserFileCachesFolderWithState(true);
    tree.advancedObject()->registerUserFileCachesFolderPathString(QStringLiteral("/data/caches"));
    PrivatePasswordObject *record = tree.securityObject()->privatePasswordObject();
    record->registerPrivatePasswordListDictionary(QVariantMap{
        {QStringLiteral("work"), QVariantMap{{QStringLiteral("password"), QStringLiteral("s3cret")},
                                             {QStringLiteral("protectFile"), true},
                                             {QStringLiteral("saveItNewly"), false}}}});
    record->registerPrivatePasswordWithState(true);
    record->registerPrivatePasswordTitleString(QStringLiteral("work"));
    record->registerPrivatePasswordString(QStringLiteral("s3cret"));
    record->registerProtectFileByPasswordWithState(true);
    record->registerSaveItNewlyConfirmWithState(true);
    MasterSecurityObject *master = tree.securityObject()->masterSecurityObject();
    master->registerProtectAdvancedByPasswordWithState(true);
    master->registerPrivatePasswordTitleStringForAdvanced(QStringLiteral("admin"));
    master->registerPrivatePasswordStringForAdvanced(QStringLiteral("äöü pass"));
}

void verifyDefaults(const PreferencesSource &tree)
{
    QCOMPARE(tree.generalObject()->userNicknameString(), QString());
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
        const QString path = dir.filePath(QStringLiteral("prefs/domain.conf"));
        PreferencesSource tree;
        fillTree(tree);

        DomainObject writer;
        writer.registerSettingsFilePath(path);
        QVERIFY(writer.makingUserDefaultsDictionary(&tree));
        QCOMPARE(accessBits(path), 0600);
        QCOMPARE(accessBits(dir.filePath(QStringLiteral("prefs"))), 0700);
        QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys(),
                 QStringList{QStringLiteral("userDefaultsEncodeData")});

        DomainObject reader;
        reader.registerSettingsFilePath(path);
        QVERIFY(reader.readUserDefaultsDictionary());
        QCOMPARE(reader.userDefaultsEncodeData(), writer.userDefaultsEncodeData());
        PreferencesSource loaded;
        QVERIFY(reader.developUserDefaults(&loaded));

        QCOMPARE(loaded.generalObject()->userNicknameString(), QStringLiteral("Ann"));
        QVERIFY(loaded.generalObject()->openTheNewWindowWithState());
        QVERIFY(loaded.generalObject()->frameUsingWindowWithState());
        QVERIFY(loaded.advancedObject()->userFileCachesFolderWithState());
        QCOMPARE(loaded.advancedObject()->userFileCachesFolderPathString(), QStringLiteral("/data/caches"));
        const PrivatePasswordObject *record = loaded.securityObject()->privatePasswordObject();
        QCOMPARE(record->privatePasswordListDictionary(),
                 tree.securityObject()->privatePasswordObject()->privatePasswordListDictionary());
        QVERIFY(record->privatePasswordWithState());
        QCOMPARE(record->privatePasswordTitleString(), QStringLiteral("work"));
        QCOMPARE(record->privatePasswordString(), QStringLiteral("s3cret"));
        QVERIFY(record->protectFileByPasswordWithState());
        QVERIFY(record->saveItNewlyConfirmWithState());
        const MasterSecurityObject *master = loaded.securityObject()->masterSecurityObject();
        QVERIFY(master->protectAdvancedByPasswordWithState());
        QCOMPARE(master->privatePasswordTitleStringForAdvanced(), QStringLiteral("admin"));
        QCOMPARE(master->privatePasswordStringForAdvanced(), QStringLiteral("äöü pass"));

        // A second save replaces the contents and keeps the file private.
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        tree.generalObject()->registerUserNicknameString(QString());
        QVERIFY(writer.makingUserDefaultsDictionary(&tree));
        QCOMPARE(accessBits(path), 0600);
        QVERIFY(reader.developUserDefaults(&loaded));
        QCOMPARE(loaded.generalObject()->userNicknameString(), QString());
    }

    void missingOrDamagedStoreKeepsDefaults()
    {
        QTemporaryDir dir;
        DomainObject domain;
        PreferencesSource loaded;

        // First start: no file at all, and nothing gets created by reading.
        const QString absent = dir.filePath(QStringLiteral("absent.conf"));
        domain.registerSettingsFilePath(absent);
        QVERIFY(!domain.readUserDefaultsDictionary());
        QVERIFY(!domain.developUserDefaultsSource());
        QVERIFY(!domain.developUserDefaults(&loaded));
        QVERIFY(!QFileInfo::exists(absent));

        const QString garbage = dir.filePath(QStringLiteral("garbage.conf"));
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
        const QString bad = dir.filePath(QStringLiteral("bad.conf"));
        domain.registerSettingsFilePath(bad);
        const QByteArray notOurs = KeyedArchiver::archivedData(GeneralObject(), u"PreferencesSource");
        for (const QByteArray &bytes : {QByteArray("\xa1\x61x\xff\x00garbage", 12), notOurs,
                                        notOurs.left(notOurs.size() / 2)}) {
            {
                QSettings settings(bad, QSettings::IniFormat);
                settings.setValue(QStringLiteral("userDefaultsEncodeData"), bytes);
            }
            QVERIFY(domain.readUserDefaultsDictionary());
            QVERIFY(!domain.developUserDefaultsSource());
            fillTree(loaded);
            QVERIFY(!domain.developUserDefaults(&loaded));
            verifyDefaults(loaded);
        }
    }

    void missingGroupsDecodeAsDefaults()
    {
        GeneralOnlyTree stored;
        stored.general.registerUserNicknameString(QStringLiteral("Bo"));
        DomainObject domain;
        QVERIFY(domain.registerUserDefaultsEncodeData(
            KeyedArchiver::archivedData(stored, u"PreferencesSource")));
        const auto tree = domain.developUserDefaultsSource();
        QVERIFY(tree);
        QCOMPARE(tree->generalObject()->userNicknameString(), QStringLiteral("Bo"));
        QVERIFY(!tree->advancedObject()->userFileCachesFolderWithState());
        QCOMPARE(tree->advancedObject()->userFileCachesFolderPathString(), QString());
        QVERIFY(!tree->securityObject()->privatePasswordObject()->confirmPrivatePasswordListDictionary());
        QVERIFY(!tree->securityObject()->masterSecurityObject()->protectAdvancedByPasswordWithState());

        // The root key is what identifies the stored tree.
        QVERIFY(domain.registerUserDefaultsEncodeData(KeyedArchiver::archivedData(stored, u"Other")));
        QVERIFY(!domain.developUserDefaultsSource());
        QVERIFY(!domain.makingUserDefaultsEncodeDataAtSource(nullptr));
    }

    void optionalKeysAreWrittenOnlyWithContent()
    {
        GeneralObject general;
        general.initializationUserObject();
        QCOMPARE(storedKeys(general), (QStringList{QStringLiteral("openTheNewWindowWithState"),
                                                    QStringLiteral("frameUsingWindowWithState")}));
        QVERIFY(!roundTrip(general)->userNicknameString().isNull());
        QVERIFY(!general.registerUserNicknameString(QString()));

        AdvancedObject advanced;
        QCOMPARE(storedKeys(advanced), QStringList{QStringLiteral("userFileCachesFolderWithState")});

        // An empty list writes nothing, even with other fields set.
        PrivatePasswordObject record;
        record.registerPrivatePasswordWithState(true);
        record.registerPrivatePasswordTitleString(QStringLiteral("t"));
        QCOMPARE(storedKeys(record), QStringList());
        QVERIFY(!roundTrip(record)->privatePasswordWithState());

        // Private passwords off: only the two NO flags follow the list.
        record.registerPrivatePasswordListDictionary(
            QVariantMap{{QStringLiteral("t"), QVariantMap{{QStringLiteral("password"), QStringLiteral("p")}}}});
        record.registerPrivatePasswordWithState(false);
        record.registerProtectFileByPasswordWithState(true);
        QCOMPARE(storedKeys(record), (QStringList{QStringLiteral("privatePasswordListDictionary"),
                                                   QStringLiteral("privatePasswordWithState"),
                                                   QStringLiteral("protectFileByPasswordWithState")}));
        const auto decoded = roundTrip(record);
        QVERIFY(!decoded->protectFileByPasswordWithState());
        QCOMPARE(decoded->privatePasswordTitleString(), QString());
        QCOMPARE(decoded->privatePasswordListDictionary().keys(), QStringList{QStringLiteral("t")});
    }

    void advancedProtectionNeedsTitleAndPassword()
    {
        MasterSecurityObject master;
        master.registerProtectAdvancedByPasswordWithState(true);
        master.registerPrivatePasswordTitleStringForAdvanced(QStringLiteral("admin"));
        QCOMPARE(storedKeys(master), QStringList{QStringLiteral("protectAdvancedByPasswordWithState")});
        QVERIFY(!roundTrip(master)->protectAdvancedByPasswordWithState());

        StoredMaster stored;
        stored.title = QStringLiteral("admin");
        const auto decode = [&] {
            return KeyedUnarchiver::unarchivedObject<MasterSecurityObject>(
                KeyedArchiver::archivedData(stored, u"root"), u"root");
        };
        QVERIFY(!decode()->protectAdvancedByPasswordWithState());
        stored.password = QStringLiteral("pw");
        QVERIFY(decode()->protectAdvancedByPasswordWithState());
        stored.protect = false;
        QVERIFY(!decode()->protectAdvancedByPasswordWithState());
    }

    void passwordListOperations()
    {
        ScriptedPresenter presenter;
        AlertSheetModal::setPresenter(&presenter);
        PrivatePasswordObject record;
        record.initializationUserObject();
        record.registerProtectFileByPasswordWithState(true);

        QVERIFY(!record.addPrivatePasswordListAtTitle(QStringLiteral("a"), QString()));
        QVERIFY(record.addPrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pa")));
        QCOMPARE(record.privatePasswordListDictionary().value(QStringLiteral("a")).toMap(),
                 (QVariantMap{{QStringLiteral("password"), QStringLiteral("pa")},
                              {QStringLiteral("protectFile"), true},
                              {QStringLiteral("saveItNewly"), false}}));
        QVERIFY(record.inspectionPrivatePasswordTitleString(QStringLiteral("a")));
        QVERIFY(!record.inspectionPrivatePasswordTitleString(QStringLiteral("b")));

        // An existing title never changes through add.
        QVERIFY(!record.addPrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("other")));
        presenter.agree = true;
        QVERIFY(record.addPrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pa")));
        QCOMPARE(presenter.shown, (QList<int>{10421, 10422}));
        QCOMPARE(record.privatePasswordListDictionary().value(QStringLiteral("a")).toMap()
                     .value(QStringLiteral("password")), QVariant(QStringLiteral("pa")));

        record.registerProtectFileByPasswordWithState(false);
        QVERIFY(record.workPrivatePasswordTitleAtString(QStringLiteral("a")));
        QCOMPARE(record.privatePasswordString(), QStringLiteral("pa"));
        QVERIFY(record.protectFileByPasswordWithState());
        QVERIFY(!record.workPrivatePasswordTitleAtString(QStringLiteral("new")));
        QCOMPARE(record.privatePasswordTitleString(), QStringLiteral("new"));

        QVERIFY(!record.changePrivatePasswordAtTitle(QStringLiteral("new"), QStringLiteral("x")));
        QVERIFY(!record.changePrivatePasswordAtTitle(QStringLiteral("a"), QString()));
        QCOMPARE(record.privatePasswordString(), QStringLiteral("pa"));
        QVERIFY(record.changePrivatePasswordAtTitle(QStringLiteral("a"), QStringLiteral("pb")));
        QCOMPARE(record.privatePasswordString(), QStringLiteral("pb"));
        QCOMPARE(record.privatePasswordListDictionary().value(QStringLiteral("a")),
                 QVariant(record.makingPrivatePasswordObject()));

        presenter.shown.clear();
        QVERIFY(!record.removePrivatePasswordListAtTitle(QStringLiteral("zz"), QStringLiteral("pb")));
        QVERIFY(!record.removePrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pa")));
        presenter.agree = false;
        QVERIFY(!record.removePrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pb")));
        QVERIFY(record.inspectionPrivatePasswordTitleString(QStringLiteral("a")));
        presenter.agree = true;
        QVERIFY(record.removePrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pb")));
        QCOMPARE(presenter.shown, (QList<int>{10425, 10424, 10423, 10423}));
        QVERIFY(!record.confirmPrivatePasswordListDictionary());
        QVERIFY(!record.removePrivatePasswordListAtTitle(QStringLiteral("a"), QStringLiteral("pb")));
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
                    {QStringLiteral("ok"), QVariantMap{{QStringLiteral("password"), QStringLiteral("p")},
                                                       {QStringLiteral("protectFile"), true}}},
                    {QStringLiteral("number"), QVariantMap{{QStringLiteral("password"), 5}}},
                    {QStringLiteral("flat"), QStringLiteral("p")},
                    {QString(), QVariantMap{{QStringLiteral("password"), QStringLiteral("p")}}},
                }, u"privatePasswordListDictionary");
                coder.encodeBool(true, u"privatePasswordWithState");
            }
        };
        const auto record = KeyedUnarchiver::unarchivedObject<PrivatePasswordObject>(
            KeyedArchiver::archivedData(StoredRecord(), u"root"), u"root");
        QVERIFY(record);
        QCOMPARE(record->privatePasswordListDictionary().keys(), QStringList{QStringLiteral("ok")});
        QVERIFY(record->workPrivatePasswordTitleAtString(QStringLiteral("ok")));
        QVERIFY(record->protectFileByPasswordWithState());
        QVERIFY(!record->saveItNewlyConfirmWithState());
    }
};

QTEST_GUILESS_MAIN(tst_Preferences)
#include "tst_Preferences.moc"
