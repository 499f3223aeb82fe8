#pragma once

#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;
class CreatorInformation;
class ListItemsSource;
class MainSplitSource;

// The archived root of a document ("documentSource.pagestyle"): its creator
// record, the window's split layout, its lists, its protection settings and
// the content window's frame. The password fields are never archived by
// themselves; they travel in the protection dictionary, whose "password" is
// a verifier, never the password as typed.
class DocumentSource
{
public:
    DocumentSource();
    ~DocumentSource();
    DocumentSource(const DocumentSource &) = delete;
    DocumentSource &operator=(const DocumentSource &) = delete;

    static QString archiveClassName() { return QStringLiteral("DocumentSource"); }
    // The top-level key of documentSource.pagestyle.
    static QString rootArchiveKey() { return QStringLiteral("documentSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const DocumentSource *other);
    // A frozen copy for the save worker; rows are shared, not copied.
    std::shared_ptr<const DocumentSource> snapshot() const;

    CreatorInformation *creatorInformation();
    const CreatorInformation *creatorInformation() const;
    MainSplitSource *mainSplitSource();
    const MainSplitSource *mainSplitSource() const;
    ListItemsSource *listItemsSource();
    const ListItemsSource *listItemsSource() const;

    const QVariantMap &updateSituationDic() const { return m_updateSituationDic; }
    // Keeps the password fields in step with the dictionary; an empty one
    // leaves the dictionary and clears the fields (NO).
    bool registerUpdateSituationDic(const QVariantMap &dictionary);
    // {"protectFileByPasswordWithState", "passwordTitle", "password"}.
    static QVariantMap protectionDictionary(bool state, const QString &title, const QString &password);

    bool privatePasswordWithState() const { return m_privatePasswordWithState; }
    void registerPrivatePasswordWithState(bool state) { m_privatePasswordWithState = state; }
    const QString &passwordTitle() const { return m_passwordTitle; }
    bool registerPasswordTitle(const QString &value);
    const QString &passwordString() const { return m_passwordString; }
    bool registerPasswordString(const QString &value);

    bool splitState() const;
    void register_splitState(bool state);

    QRectF contentWindowRect() const { return m_contentWindowRect; }
    void registerContentWindowRect(const QRectF &rect) { m_contentWindowRect = rect; }

    QString logText() const;

private:
    void clearPassword();

    mutable std::unique_ptr<CreatorInformation> m_creatorInformation;
    mutable std::unique_ptr<MainSplitSource> m_mainSplitSource;
    mutable std::unique_ptr<ListItemsSource> m_listItemsSource;
    QVariantMap m_updateSituationDic;
    bool m_privatePasswordWithState = false;
    QString m_passwordTitle;
    QString m_passwordString;
    QRectF m_contentWindowRect;
};
