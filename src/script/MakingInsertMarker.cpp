#include "MakingInsertMarker.h"

#include "platform/ModelText.h"

#include <algorithm>

MakingInsertMarker::MakingInsertMarker()
{
    initializationUserObject();
}

void MakingInsertMarker::initializationUserObject()
{
    registerTargetedString(QString());
    registerMarkerKeyString(QString());
    registerMarkerStylStringOfHeader(QStringLiteral("["));
    registerMarkerStylStringOfBottom(QStringLiteral("]"));
    m_selectedCharRange = {};
    m_selectedCharLocation = 0;
    m_selectedCharLength = 0;
    ModelText::registerString(m_makingResultString, QString());
}

bool MakingInsertMarker::registerTargetedString(const QString &value)
{
    return ModelText::registerString(m_targetedString, value);
}

bool MakingInsertMarker::registerMarkerKeyString(const QString &value)
{
    return ModelText::registerString(m_markerKeyString, value);
}

bool MakingInsertMarker::registerMarkerStylStringOfHeader(const QString &value)
{
    return ModelText::registerString(m_markerStylStringOfHeader, value);
}

bool MakingInsertMarker::registerMarkerStylStringOfBottom(const QString &value)
{
    return ModelText::registerString(m_markerStylStringOfBottom, value);
}

bool MakingInsertMarker::makingInsertMarker(const QString &marker)
{
    if (m_targetedString.isEmpty())
        return false;
    // The caret kept apart from the range runs ahead of it by the length of
    // the text the selection replaced.
    if (m_selectedCharLocation > 0 && quint32(m_selectedCharLocation) > m_selectedCharRange.location)
        m_selectedCharLocation -= qint32(std::min<quint32>(m_selectedCharRange.length, quint32(m_selectedCharLocation)));
    const qsizetype size = m_targetedString.size();
    const qsizetype location = std::clamp<qsizetype>(m_selectedCharLocation, 0, size);
    const qsizetype length = std::clamp<qsizetype>(m_selectedCharLength, 0, size - location);
    QString result = m_targetedString.left(location);
    result += marker;
    result += QStringView(m_targetedString).mid(location + length);
    return ModelText::registerString(m_makingResultString, result);
}

bool MakingInsertMarker::inspectionMarker(const QString &marker)
{
    if (m_targetedString.isEmpty() || marker.isEmpty())
        return false;
    const qsizetype found = m_targetedString.indexOf(marker);
    if (found < 0)
        return false;
    m_selectedCharRange = {quint32(found), quint32(marker.size())};
    return true;
}

bool MakingInsertMarker::removeInsertMarker(const QString &marker)
{
    if (!inspectionMarker(marker))
        return false;
    QString result = m_targetedString.left(m_selectedCharRange.location);
    result += QStringView(m_targetedString).mid(m_selectedCharRange.location + m_selectedCharRange.length);
    ModelText::registerString(m_makingResultString, result);
    return true;
}
