#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// The text operations every part of the script engine finds markers, labels
// and arguments with, plus an ordered find-and-replace over a list of
// substitution entries. All searches are literal and case-sensitive and
// find the first occurrence; every scan is a single pass with no recursion,
// so hostile script text costs time linear in its length.
class InspectionCharacterString
{
public:
    // The characters a literal number is made of.
    static inline const QString kNumberCharacters = QStringLiteral("0123456789.");

    InspectionCharacterString();

    static bool includedInCharacterString(const QString &text, const QString &target);
    static bool topIncludedInCharacterString(const QString &text, const QString &target);
    // The argument after the label and its separator: blanks dropped, ending
    // where a bracketed expression balances or where the enclosing command's
    // "]" closes. A null string when the label is absent or the text ends first.
    static QString extractCommandWithCharacterString(const QString &text, const QString &label);
    // The run of number characters directly after the label and its
    // separator; null when the label is absent or the run is empty.
    static QString extractLoopWithCharacterString(const QString &text, const QString &label);
    // The top-level bracketed groups in order; groups left open are dropped.
    static QStringList extractCommandArrayWithCharacterString(const QString &text);
    // True when the text occurs inside "0123456789." ("7", ".", "345").
    static bool confirmCalculatingFormulaAtString(const QString &text);
    // True when every character is a digit or ".".
    static bool confirmCalculatingFormulaAtMultiString(const QString &text);
    // The text with the first occurrence of the marker replaced; null when absent.
    static QString makingResultAtString(const QString &text, const QString &marker, const QString &value);

    // Leading-number reads as the scripts use them: "12abc" is 12, "" and
    // "abc" are 0; out-of-range values saturate instead of overflowing.
    static qint32 integerValueOfString(const QString &text);
    static float floatValueOfString(const QString &text);
    // A string as above; a number truncated and saturated; anything else 0.
    static qint32 integerValueOfObject(const QVariant &value);

    // Substitution entries: {"Show": bool, "Targeted": string, "Substitution": string}.
    const QString &sourceString() const { return m_sourceString; }
    bool registerSourceString(const QString &value);
    bool confirmSourceString() const { return !m_sourceString.isEmpty(); }
    const QVariantList &markerListArray() const { return m_markerListArray; }
    bool registerMarkerListArray(const QVariantList &value);
    bool confirmMarkerListArray() const { return !m_markerListArray.isEmpty(); }
    const QString &targetedString() const { return m_targetedString; }
    qint32 targetedCount() const { return m_targetedCount; }
    const QString &substitutionString() const { return m_substitutionString; }

    // Applies every shown entry in order to sourceString; true when at least
    // one entry replaced something.
    bool makingInspectionCharacter();
    // Replaces every occurrence present before the call; text inserted by a
    // replacement is not searched again. False when the target does not occur.
    bool makingAnswerAtTargeted(const QString &target, const QString &substitution);

private:
    QString m_sourceString;
    QVariantList m_markerListArray;
    QVariantMap m_editCellDic;
    QString m_targetedString;
    qint32 m_targetedCount = 0;
    QString m_substitutionString;
};
