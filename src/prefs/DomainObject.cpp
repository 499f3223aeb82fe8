#include "DomainObject.h"

#include "PreferencesSource.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"
#include "platform/Paths.h"
#include "platform/ModelText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kClassWords = QStringLiteral("DomainObject");
const QString kEncodeDataKey = QStringLiteral("userDefaultsEncodeData");
const QString kRootKey = QStringLiteral("PreferencesSource");

// The stored tree is a few kilobytes; anything far larger is not ours and is
// not handed to the INI parser.
constexpr qint64 kMaxSettingsFileBytes = qint64(16) << 20;

constexpr QFileDevice::Permissions kUserOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kUserOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Makes sure the file exists with user-only permissions before any secret is
// written: QSettings writes through QSaveFile, which keeps the permissions of
// the file it replaces.
bool preparePrivateFile(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        const QFileInfo folderInfo(folder);
        if (!QDir().mkpath(folderInfo.absolutePath()))
            return false;
        if (!QDir().mkdir(folder, kUserOnlyFolder) && !QFileInfo(folder).isDir())
            return false;
    }
    if (info.exists())
        return QFile::setPermissions(path, kUserOnlyFile);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kUserOnlyFile))
        return QFile::setPermissions(path, kUserOnlyFile); // made meanwhile by another writer
    file.close();
    return true;
}
} // namespace

DomainObject::DomainObject()
{
    initializationUserObject();
}

DomainObject::~DomainObject() = default;

void DomainObject::initializationUserObject()
{
    registerRootDomainPath(Paths::defaultRootDomainPath());
    registerDomainName(Paths::applicationIdentifier());
}

bool DomainObject::registerRootDomainPath(const QString &value)
{
    return ModelText::registerString(m_rootDomainPath, value);
}

bool DomainObject::registerDomainName(const QString &value)
{
    return ModelText::registerString(m_domainName, value);
}

bool DomainObject::registerUserDefaultsDictionary(const QVariantMap &dictionary)
{
    if (dictionary.isEmpty()) {
        m_userDefaultsDictionary.clear();
        return false;
    }
    m_userDefaultsDictionary = dictionary;
    return true;
}

bool DomainObject::registerUserDefaultsEncodeData(const QByteArray &data)
{
    if (data.isEmpty()) {
        m_userDefaultsEncodeData.clear();
        return false;
    }
    m_userDefaultsEncodeData = data;
    return true;
}

PreferencesSource *DomainObject::preferencesSource()
{
    if (!m_preferencesSource) {
        m_preferencesSource = std::make_unique<PreferencesSource>();
        m_preferencesSource->initializationUserObject();
    }
    return m_preferencesSource.get();
}

void DomainObject::registerSettingsFilePath(const QString &path)
{
    m_settingsFilePath = path;
}

QString DomainObject::settingsFilePath() const
{
    return m_settingsFilePath.isEmpty() ? Paths::preferencesFilePath(m_domainName) : m_settingsFilePath;
}

bool DomainObject::readUserDefaultsDictionary()
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"readUserDefaultsDictionary", false, [this] {
        QVariantMap stored;
        const QString path = settingsFilePath();
        const QFileInfo info(path);
        if (confirmDomainName() && info.isFile() && info.size() <= kMaxSettingsFileBytes) {
            QSettings settings(path, QSettings::IniFormat);
            if (settings.status() == QSettings::NoError) {
                const QStringList keys = settings.allKeys();
                for (const QString &key : keys)
                    stored.insert(key, settings.value(key));
            }
        }
        const bool dictionaryRegistered = registerUserDefaultsDictionary(stored);
        const QVariant data = stored.value(kEncodeDataKey);
        const bool dataRegistered = registerUserDefaultsEncodeData(
            data.typeId() == QMetaType::QByteArray ? data.toByteArray() : QByteArray());
        return dictionaryRegistered && dataRegistered;
    });
}

std::unique_ptr<PreferencesSource> DomainObject::developUserDefaultsSource() const
{
    return ErrorLog::guarded(
        lcPrefs(), kClassWords, u"developUserDefaultsSource", std::unique_ptr<PreferencesSource>(),
        [this]() -> std::unique_ptr<PreferencesSource> {
            if (!confirmUserDefaultsEncodeData())
                return nullptr;
            KeyedUnarchiver unarchiver(m_userDefaultsEncodeData);
            if (!unarchiver.isValid()) {
                qCWarning(lcPrefs).noquote() << QStringLiteral("stored preferences unreadable: %1")
                                                    .arg(unarchiver.errorString());
                return nullptr;
            }
            if (!unarchiver.root().containsValueForKey(kRootKey))
                return nullptr;
            auto source = unarchiver.decodeTopLevelObject<PreferencesSource>(kRootKey);
            if (!source)
                qCWarning(lcPrefs).noquote() << QStringLiteral("stored preferences refused: %1")
                                                    .arg(unarchiver.errorString());
            return source;
        });
}

bool DomainObject::makingUserDefaultsEncodeDataAtSource(const PreferencesSource *source)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"makingUserDefaultsEncodeDataAtSource", false, [&] {
        if (!source)
            return false;
        QString error;
        if (!registerUserDefaultsEncodeData(KeyedArchiver::archivedData(*source, kRootKey, &error))) {
            qCWarning(lcPrefs).noquote() << QStringLiteral("preferences not archived: %1").arg(error);
            return false;
        }
        registerUserDefaultsDictionary(QVariantMap{{kEncodeDataKey, m_userDefaultsEncodeData}});
        return true;
    });
}

bool DomainObject::writeUserDefaultsDictionary()
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"writeUserDefaultsDictionary", false, [this] {
        const QString path = settingsFilePath();
        if (!confirmDomainName() || !confirmUserDefaultsDictionary()) {
            QSettings settings(path, QSettings::IniFormat);
            settings.sync();
            return settings.status() == QSettings::NoError;
        }
        if (!preparePrivateFile(path))
            return false;
        QSettings settings(path, QSettings::IniFormat);
        settings.clear();
        for (auto it = m_userDefaultsDictionary.cbegin(); it != m_userDefaultsDictionary.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        return settings.status() == QSettings::NoError;
    });
}

bool DomainObject::makingUserDefaultsDictionary(const PreferencesSource *source)
{
    return makingUserDefaultsEncodeDataAtSource(source) && writeUserDefaultsDictionary();
}

bool DomainObject::developUserDefaults(PreferencesSource *target)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"developUserDefaults", false, [&] {
        if (!target || !readUserDefaultsDictionary())
            return false;
        target->initializationUserObject();
        const auto stored = developUserDefaultsSource();
        return target->setTheEnvironmentalAtDecoder(stored.get());
    });
}
