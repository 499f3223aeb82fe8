#pragma once

#include "OptionSource.h"

#include <QString>

// Inserts a marker at the code editor's selection, or finds and removes one.
// Selection values come from the editor and are clamped to the code text.
class MakingInsertMarker
{
public:
    using CharRange = OptionSource::CharRange;

    MakingInsertMarker();

    // Empties the texts and the selection; the marker brackets become "[" and "]".
    void initializationUserObject();

    const QString &targetedString() const { return m_targetedString; }
    bool registerTargetedString(const QString &value);
    const QString &markerKeyString() const { return m_markerKeyString; }
    bool registerMarkerKeyString(const QString &value);
    const QString &markerStylStringOfHeader() const { return m_markerStylStringOfHeader; }
    bool registerMarkerStylStringOfHeader(const QString &value);
    const QString &markerStylStringOfBottom() const { return m_markerStylStringOfBottom; }
    bool registerMarkerStylStringOfBottom(const QString &value);
    CharRange selectedCharRange() const { return m_selectedCharRange; }
    void registerSelectedCharRange(CharRange range) { m_selectedCharRange = range; }
    qint32 selectedCharLocation() const { return m_selectedCharLocation; }
    void registerSelectedCharLocation(qint32 location) { m_selectedCharLocation = location; }
    qint32 selectedCharLength() const { return m_selectedCharLength; }
    void registerSelectedCharLength(qint32 length) { m_selectedCharLength = length; }
    const QString &makingResultString() const { return m_makingResultString; }

    // Puts the marker in place of the selection (or at the caret).
    bool makingInsertMarker(const QString &marker);
    // Finds the marker's first occurrence and keeps its range as selectedCharRange.
    bool inspectionMarker(const QString &marker);
    // The code text without the marker's first occurrence.
    bool removeInsertMarker(const QString &marker);

private:
    QString m_targetedString;
    QString m_markerKeyString;
    QString m_markerStylStringOfHeader;
    QString m_markerStylStringOfBottom;
    CharRange m_selectedCharRange;
    qint32 m_selectedCharLocation = 0;
    qint32 m_selectedCharLength = 0;
    QString m_makingResultString;
};
