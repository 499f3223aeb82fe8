#include "SaveSource.h"

#include "platform/ModelText.h"

SaveSource::SaveSource()
{
    initializationUserObject();
}

void SaveSource::initializationUserObject()
{
    m_stateOfTheKey = false;
    registerPasswordTitle(QString());
    registerPasswordString(QString());
    registerFilePathString(QString());
    registerCommentString(QString());
}

bool SaveSource::registerPasswordTitle(const QString &value)
{
    return ModelText::registerString(m_passwordTitle, value);
}

bool SaveSource::registerPasswordString(const QString &value)
{
    return ModelText::registerString(m_passwordString, value);
}

bool SaveSource::registerFilePathString(const QString &value)
{
    return ModelText::registerString(m_filePathString, value);
}

bool SaveSource::registerCommentString(const QString &value)
{
    return ModelText::registerString(m_commentString, value);
}

QString SaveSource::fileNameString() const
{
    return ModelText::lastPathComponent(m_filePathString);
}
