#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

// Fills a library template: each marker "[key]" with a value is replaced by
// it; each marker without one becomes a label ("key:") appended to the code
// text, so that the script supplies its argument.
// Marker entries: {"idKey": string, "idRegistration": string, possibly empty}.
class MakingConversionMarker
{
public:
    MakingConversionMarker();

    void initializationUserObject();

    // The text with the first occurrence of the target replaced; null when absent.
    static QString answerCodeText(const QString &text, const QString &target, const QString &value);

    const QString &targetedString() const { return m_targetedString; }
    bool registerTargetedString(const QString &value);
    const QVariantList &markerListArray() const { return m_markerListArray; }
    bool registerMarkerListArray(const QVariantList &value);
    const QString &markerKeyString() const { return m_markerKeyString; }
    bool registerMarkerKeyString(const QString &value);
    const QString &registrationString() const { return m_registrationString; }
    bool registerRegistrationString(const QString &value);
    const QString &makingResultString() const { return m_makingResultString; }
    bool registerMakingResultString(const QString &value);
    bool confirmMakingResultString() const { return !m_makingResultString.isEmpty(); }
    const QVariantMap &requesMarkertListDictionary() const { return m_requesMarkertListDictionary; }
    bool registerRequesMarkertListDictionary(const QVariantMap &value);
    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);

    // Needs a template and a marker list. False when the filled template is empty.
    bool makingConversionMarker();
    // Replaces the first "[markerKeyString]" in the text by registrationString
    // and keeps the result as makingResultString; false when the marker is absent.
    bool makingMarkerAtTargeted(const QString &text);

private:
    QString m_targetedString;
    QVariantList m_markerListArray;
    QString m_markerKeyString;
    QString m_registrationString;
    QString m_makingResultString;
    QVariantMap m_requesMarkertListDictionary;
    QString m_codeText;
};
