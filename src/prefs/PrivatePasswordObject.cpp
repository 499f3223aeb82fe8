#include "PrivatePasswordObject.h"

#include "MasterSecurityObject.h"
#include "platform/AlertSheetModal.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "platform/PasswordVerifier.h"

namespace {
const QString kList = QStringLiteral("privatePasswordListDictionary");
const QString kState = QStringLiteral("privatePasswordWithState");
const QString kTitle = QStringLiteral("privatePasswordTitleString");
const QString kPassword = QStringLiteral("privatePasswordString");
const QString kProtectFile = QStringLiteral("protectFileByPasswordWithState");
const QString kSaveItNewly = QStringLiteral("saveItNewlyConfirmWithState");

const QString kEntryPassword = QStringLiteral("password");
const QString kEntryProtectFile = QStringLiteral("protectFile");
const QString kEntrySaveItNewly = QStringLiteral("saveItNewly");
const QString kClassWords = QStringLiteral("PrivatePasswordObject");

QString entryPassword(const QVariant &entry)
{
    return entry.toMap().value(kEntryPassword).toString();
}

// A stored list comes from a file: keep only titled map entries, each in the
// shape makingPrivatePasswordObject() produces.
QVariantMap wellFormedList(const QVariantMap &stored)
{
    QVariantMap list;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (it.key().isEmpty() || it.value().typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap entry = it.value().toMap();
        const QVariant password = entry.value(kEntryPassword);
        if (password.typeId() != QMetaType::QString)
            continue;
        list.insert(it.key(), QVariantMap{
            {kEntryPassword, password.toString()},
            {kEntryProtectFile, entry.value(kEntryProtectFile).toBool()},
            {kEntrySaveItNewly, entry.value(kEntrySaveItNewly).toBool()},
        });
    }
    return list;
}

// The same list with every entry's password as a verifier; entries that
// already hold one are kept as they are.
QVariantMap verifiedList(const QVariantMap &list)
{
    QVariantMap verified = list;
    for (auto it = verified.begin(); it != verified.end(); ++it) {
        if (it.value().typeId() != QMetaType::QVariantMap)
            continue;
        QVariantMap entry = it.value().toMap();
        const auto password = entry.constFind(kEntryPassword);
        if (password == entry.cend() || PasswordVerifier::isVerifier(password.value().toString()))
            continue;
        entry.insert(kEntryPassword, PasswordVerifier::verifierFor(password.value().toString()));
        it.value() = entry;
    }
    return verified;
}

} // namespace

PrivatePasswordObject::PrivatePasswordObject()
    : m_privatePasswordTitleString(QStringLiteral(""))
    , m_privatePasswordString(QStringLiteral(""))
{
}

PrivatePasswordObject::~PrivatePasswordObject() = default;

void PrivatePasswordObject::encodeWithCoder(ArchiveEncoder &coder) const
{
    if (!confirmPrivatePasswordListDictionary())
        return;
    coder.encodeValue(m_privatePasswordListDictionary, kList);
    if (m_privatePasswordWithState) {
        coder.encodeBool(true, kState);
        if (confirmPrivatePasswordTitleString())
            coder.encodeString(m_privatePasswordTitleString, kTitle);
        if (confirmPrivatePasswordString())
            coder.encodeString(m_privatePasswordString, kPassword);
        coder.encodeBool(m_protectFileByPasswordWithState, kProtectFile);
        coder.encodeBool(m_saveItNewlyConfirmWithState, kSaveItNewly);
    } else {
        coder.encodeBool(false, kState);
        coder.encodeBool(false, kProtectFile);
    }
}

bool PrivatePasswordObject::initWithCoder(const ArchiveDecoder &coder)
{
    const QVariantMap stored =
        coder.containsValueForKey(kList) ? wellFormedList(coder.decodeValue(kList).toMap()) : QVariantMap();
    if (!registerPrivatePasswordListDictionary(stored))
        return !coder.failed();
    if (coder.decodeBool(kState)) {
        registerPrivatePasswordWithState(true);
        registerPrivatePasswordTitleString(coder.decodeString(kTitle));
        QString password = coder.decodeString(kPassword);
        // An older record keeps the current entry's plain password twice;
        // both become the entry's one verifier rather than two hashes.
        if (!password.isEmpty() && !PasswordVerifier::isVerifier(password)
            && entryPassword(stored.value(m_privatePasswordTitleString)) == password)
            password = entryPassword(m_privatePasswordListDictionary.value(m_privatePasswordTitleString));
        registerPrivatePasswordString(password);
        registerProtectFileByPasswordWithState(coder.decodeBool(kProtectFile));
        registerSaveItNewlyConfirmWithState(coder.decodeBool(kSaveItNewly));
    } else {
        registerPrivatePasswordWithState(false);
        registerProtectFileByPasswordWithState(false);
        registerSaveItNewlyConfirmWithState(false);
    }
    return !coder.failed();
}

void PrivatePasswordObject::initializationUserObject()
{
    m_privatePasswordListDictionary.clear();
    m_privatePasswordWithState = false;
    registerPrivatePasswordTitleString(QString());
    registerPrivatePasswordString(QString());
    m_protectFileByPasswordWithState = false;
    m_saveItNewlyConfirmWithState = false;
}

bool PrivatePasswordObject::setTheEnvironmentalAtDecoder(const PrivatePasswordObject *other)
{
    if (!other)
        return false;
    registerPrivatePasswordListDictionary(other->privatePasswordListDictionary());
    registerPrivatePasswordWithState(other->privatePasswordWithState());
    registerPrivatePasswordTitleString(other->privatePasswordTitleString());
    registerPrivatePasswordString(other->privatePasswordString());
    registerProtectFileByPasswordWithState(other->protectFileByPasswordWithState());
    registerSaveItNewlyConfirmWithState(other->saveItNewlyConfirmWithState());
    return true;
}

bool PrivatePasswordObject::registerPrivatePasswordListDictionary(const QVariantMap &list)
{
    if (list.isEmpty()) {
        m_privatePasswordListDictionary.clear();
        return false;
    }
    m_privatePasswordListDictionary = verifiedList(list);
    return true;
}

bool PrivatePasswordObject::registerPrivatePasswordTitleString(const QString &value)
{
    return ModelText::registerString(m_privatePasswordTitleString, value);
}

bool PrivatePasswordObject::registerPrivatePasswordString(const QString &value)
{
    return ModelText::registerString(m_privatePasswordString, PasswordVerifier::verifierFor(value));
}

MasterSecurityObject *PrivatePasswordObject::masterSecurityObject()
{
    return ModelText::lazyPart(m_masterSecurityObject);
}

const MasterSecurityObject *PrivatePasswordObject::masterSecurityObject() const
{
    return ModelText::lazyPart(m_masterSecurityObject);
}

QVariantMap PrivatePasswordObject::makingPrivatePasswordObject() const
{
    return QVariantMap{
        {kEntryPassword, m_privatePasswordString},
        {kEntryProtectFile, m_protectFileByPasswordWithState},
        {kEntrySaveItNewly, m_saveItNewlyConfirmWithState},
    };
}

bool PrivatePasswordObject::workPrivatePasswordTitleAtString(const QString &title)
{
    if (!registerPrivatePasswordTitleString(title))
        return false;
    const auto found = m_privatePasswordListDictionary.constFind(title);
    if (found == m_privatePasswordListDictionary.cend())
        return false;
    const QVariantMap entry = found.value().toMap();
    if (!registerPrivatePasswordString(entry.value(kEntryPassword).toString()))
        return false;
    registerProtectFileByPasswordWithState(entry.value(kEntryProtectFile).toBool());
    registerSaveItNewlyConfirmWithState(entry.value(kEntrySaveItNewly).toBool());
    return true;
}

bool PrivatePasswordObject::addPrivatePasswordListAtTitle(const QString &title, const QString &password)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"addPrivatePasswordListAtTitle", false, [&] {
        if (title.isEmpty() || password.isEmpty())
            return false;
        const auto found = m_privatePasswordListDictionary.constFind(title);
        if (found != m_privatePasswordListDictionary.cend()) {
            if (!PasswordVerifier::verify(entryPassword(found.value()), password)) {
                AlertSheetModal::openAlert(10421, QStringLiteral(""));
                return false;
            }
            return AlertSheetModal::openAlert(10422, title);
        }
        // The given password, not whatever is current: an entry must never be
        // stored with a password other than the one the caller vouched for.
        const QString verifier = PasswordVerifier::makeVerifier(password);
        if (verifier.isEmpty())
            return false;
        QVariantMap entry = makingPrivatePasswordObject();
        entry.insert(kEntryPassword, verifier);
        m_privatePasswordListDictionary.insert(title, entry);
        if (title == m_privatePasswordTitleString)
            registerPrivatePasswordString(verifier);
        return true;
    });
}

bool PrivatePasswordObject::changePrivatePasswordAtTitle(const QString &title, const QString &password)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"changePrivatePasswordAtTitle", false, [&] {
        if (title.isEmpty() || password.isEmpty() || !m_privatePasswordListDictionary.contains(title))
            return false;
        const QString verifier = PasswordVerifier::makeVerifier(password);
        if (verifier.isEmpty())
            return false;
        registerPrivatePasswordString(verifier);
        m_privatePasswordListDictionary.insert(title, makingPrivatePasswordObject());
        return true;
    });
}

bool PrivatePasswordObject::removePrivatePasswordListAtTitle(const QString &title, const QString &password)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"removePrivatePasswordListAtTitle", false, [&] {
        if (title.isEmpty() || password.isEmpty() || !confirmPrivatePasswordListDictionary())
            return false;
        const auto found = m_privatePasswordListDictionary.constFind(title);
        if (found == m_privatePasswordListDictionary.cend()) {
            AlertSheetModal::openAlert(10425, title);
            return false;
        }
        if (!PasswordVerifier::verify(entryPassword(found.value()), password)) {
            AlertSheetModal::openAlert(10424, QStringLiteral(""));
            return false;
        }
        if (!AlertSheetModal::openAlert(10423, title))
            return false;
        m_privatePasswordListDictionary.remove(title);
        return true;
    });
}

bool PrivatePasswordObject::inspectionPrivatePasswordTitleString(const QString &title) const
{
    return confirmPrivatePasswordListDictionary() && m_privatePasswordListDictionary.contains(title);
}
