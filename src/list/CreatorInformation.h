#pragma once

#include <QString>
#include <QStringList>

class ArchiveDecoder;
class ArchiveEncoder;

// The provenance record of a document or a list: who made it, with what, on
// which system and when, a one-line table description and a dated work log
// (newest first). It only formats; callers prepare the fields before logging.
//
// A default-constructed record holds neutral values (what decoding starts
// from); initializationUserObject() gives a fresh record's defaults.
class CreatorInformation
{
public:
    CreatorInformation();

    static QString archiveClassName() { return QStringLiteral("CreatorInformation"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    // Copies the archived fields; updateCreator and logComment stay.
    bool setTheEnvironmentalAtDecoder(const CreatorInformation *other);

    // The running system's product version, "" when unknown.
    static QString systemProductVersion();

    bool setUpCreator() const { return m_setUpCreator; }
    void register_setUpCreator(bool state) { m_setUpCreator = state; }

    const QString &creatorName() const { return m_creatorName; }
    bool register_creatorName(const QString &value);
    bool confirm_creatorName() const { return !m_creatorName.isEmpty(); }

    const QString &creatorApplication() const { return m_creatorApplication; }
    bool register_creatorApplication(const QString &value);
    bool confirm_creatorApplication() const { return !m_creatorApplication.isEmpty(); }

    float applicationVersion() const { return m_applicationVersion; }
    void register_applicationVersion(float version) { m_applicationVersion = version; }

    const QString &osVersion() const { return m_osVersion; }
    bool register_osVersion(const QString &value);

    const QString &dayOfProduction() const { return m_dayOfProduction; }
    bool register_dayOfProduction(const QString &value);
    bool confirm_dayOfProduction() const { return !m_dayOfProduction.isEmpty(); }

    const QString &dayOfRevision() const { return m_dayOfRevision; }
    bool register_dayOfRevision(const QString &value);
    bool confirm_dayOfRevision() const { return !m_dayOfRevision.isEmpty(); }

    const QString &dayOfUpdate() const { return m_dayOfUpdate; }
    bool register_dayOfUpdate(const QString &value);
    bool confirm_dayOfUpdate() const { return !m_dayOfUpdate.isEmpty(); }
    // dayOfUpdate := the current date text.
    void set_dayOfUpdate();

    const QString &updateCreator() const { return m_updateCreator; }
    bool register_updateCreator(const QString &value);
    bool confirm_updateCreator() const { return !m_updateCreator.isEmpty(); }

    bool privatePasswordWithState() const { return m_privatePasswordWithState; }
    void register_privatePasswordWithState(bool state) { m_privatePasswordWithState = state; }

    const QString &privatePasswordTitleString() const { return m_privatePasswordTitleString; }
    bool register_privatePasswordTitleString(const QString &value);
    bool confirm_privatePasswordTitleString() const { return !m_privatePasswordTitleString.isEmpty(); }

    const QString &privatePasswordString() const { return m_privatePasswordString; }
    bool register_privatePasswordString(const QString &value);
    bool confirm_privatePasswordString() const { return !m_privatePasswordString.isEmpty(); }

    bool protectFileByPasswordWithState() const { return m_protectFileByPasswordWithState; }
    void register_protectFileByPasswordWithState(bool state) { m_protectFileByPasswordWithState = state; }

    qint32 fileType() const { return m_fileType; }
    void register_fileType(qint32 type) { m_fileType = type; }

    const QString &logComment() const { return m_logComment; }
    bool register_logComment(const QString &value);
    bool confirm_logComment() const { return !m_logComment.isEmpty(); }

    const QStringList &workLogArray() const { return m_workLogArray; }
    bool register_workLogArray(const QStringList &log);
    bool confirm_workLogArray() const { return !m_workLogArray.isEmpty(); }

    const QString &tableComment() const { return m_tableComment; }
    void setTableComment(const QString &value);
    bool confirm_tableComment() const { return !m_tableComment.isEmpty(); }

    // Prepends the entry for an event state 1..11; other states add nothing.
    bool workLogWithState(int state);
    // The info text shown in the info outline.
    QString logText() const;

private:
    bool m_setUpCreator = false;
    QString m_creatorName;
    QString m_creatorApplication;
    float m_applicationVersion = 0.0f;
    QString m_osVersion;
    QString m_dayOfProduction;
    QString m_dayOfRevision;
    QString m_dayOfUpdate;
    QString m_updateCreator;
    bool m_privatePasswordWithState = false;
    QString m_privatePasswordTitleString;
    QString m_privatePasswordString;
    bool m_protectFileByPasswordWithState = false;
    qint32 m_fileType = 0;
    QString m_logComment;
    QStringList m_workLogArray;
    QString m_tableComment;
};
