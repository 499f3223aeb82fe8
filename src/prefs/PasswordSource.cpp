#include "PasswordSource.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ModelText.h"

namespace {
const QString kProtectedState = QStringLiteral("protectedState");
const QString kPasswordTitle = QStringLiteral("passwordTitle");
const QString kPasswordString = QStringLiteral("passwordString");
const QString kStateOfTheKey = QStringLiteral("stateOfTheKey");
const QString kCommentString = QStringLiteral("commentString");
} // namespace

PasswordSource::PasswordSource()
    : m_passwordTitle(QStringLiteral(""))
    , m_passwordString(QStringLiteral(""))
    , m_filePathString(QStringLiteral(""))
    , m_commentString(QStringLiteral(""))
{
}

void PasswordSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeInt32(m_protectedState, kProtectedState);
    coder.encodeString(m_passwordTitle, kPasswordTitle);
    coder.encodeString(m_passwordString, kPasswordString);
    coder.encodeBool(m_stateOfTheKey, kStateOfTheKey);
    coder.encodeString(m_commentString, kCommentString);
}

bool PasswordSource::initWithCoder(const ArchiveDecoder &coder)
{
    registerProtectedState(coder.decodeInt32(kProtectedState));
    registerPasswordTitle(coder.decodeString(kPasswordTitle));
    registerPasswordString(coder.decodeString(kPasswordString));
    registerStateOfTheKey(coder.decodeBool(kStateOfTheKey));
    registerCommentString(coder.decodeString(kCommentString));
    return !coder.failed();
}

void PasswordSource::initializationUserObject()
{
    m_protectedState = 0;
    m_stateOfTheKey = false;
    registerPasswordTitle(QString());
    registerPasswordString(QString());
    registerCommentString(QString());
}

bool PasswordSource::registerPasswordTitle(const QString &value)
{
    return ModelText::registerString(m_passwordTitle, value);
}

bool PasswordSource::registerPasswordString(const QString &value)
{
    return ModelText::registerString(m_passwordString, value);
}

bool PasswordSource::registerFilePathString(const QString &value)
{
    return ModelText::registerString(m_filePathString, value);
}

bool PasswordSource::registerCommentString(const QString &value)
{
    return ModelText::registerString(m_commentString, value);
}

QString PasswordSource::fileNameString() const
{
    return ModelText::lastPathComponent(m_filePathString);
}
