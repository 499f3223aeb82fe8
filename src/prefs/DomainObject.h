#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>

class PreferencesSource;

// Reads and writes the preferences tree. The persistent domain is an INI file
// holding one key, "userDefaultsEncodeData", whose value is the keyed archive
// of the PreferencesSource under "PreferencesSource". The file holds private
// passwords, so it is kept readable by the user only.
class DomainObject
{
public:
    DomainObject();
    ~DomainObject();
    DomainObject(const DomainObject &) = delete;
    DomainObject &operator=(const DomainObject &) = delete;

    void initializationUserObject();

    const QString &rootDomainPath() const { return m_rootDomainPath; }
    bool registerRootDomainPath(const QString &value);
    bool confirmRootDomainPath() const { return !m_rootDomainPath.isEmpty(); }

    const QString &domainName() const { return m_domainName; }
    bool registerDomainName(const QString &value);
    bool confirmDomainName() const { return !m_domainName.isEmpty(); }

    const QVariantMap &userDefaultsDictionary() const { return m_userDefaultsDictionary; }
    bool registerUserDefaultsDictionary(const QVariantMap &dictionary);
    bool confirmUserDefaultsDictionary() const { return !m_userDefaultsDictionary.isEmpty(); }

    const QByteArray &userDefaultsEncodeData() const { return m_userDefaultsEncodeData; }
    bool registerUserDefaultsEncodeData(const QByteArray &data);
    bool confirmUserDefaultsEncodeData() const { return !m_userDefaultsEncodeData.isEmpty(); }

    PreferencesSource *preferencesSource();

    // The file of the persistent domain; by default the domain's file in the
    // preferences folder. Tests point it at a temporary file.
    void registerSettingsFilePath(const QString &path);
    QString settingsFilePath() const;

    // False on the first start (no file) and for a file without archive bytes.
    bool readUserDefaultsDictionary();
    // Null when there are no bytes, they are no archive, or the archive holds
    // no readable "PreferencesSource".
    std::unique_ptr<PreferencesSource> developUserDefaultsSource() const;
    bool makingUserDefaultsEncodeDataAtSource(const PreferencesSource *source);
    // Replaces the file's contents with userDefaultsDictionary; without a map
    // to write it only synchronises the file.
    bool writeUserDefaultsDictionary();

    // The save sequence: archive the source, then write it.
    bool makingUserDefaultsDictionary(const PreferencesSource *source);
    // The load sequence: read; when that succeeds, reset the target to its
    // defaults and take over the stored tree. False when nothing usable is
    // stored; the target is then untouched or at its defaults.
    bool developUserDefaults(PreferencesSource *target);

private:
    QString m_rootDomainPath;
    QString m_domainName;
    QVariantMap m_userDefaultsDictionary;
    QByteArray m_userDefaultsEncodeData;
    std::unique_ptr<PreferencesSource> m_preferencesSource;
    QString m_settingsFilePath;
};
