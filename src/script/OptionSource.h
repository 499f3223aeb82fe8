#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class ArchiveDecoder;
class ArchiveEncoder;

// One option script: a title, the request side the editor builds markers
// from, the code text the interpreter runs and the answer side with the last
// result. A plain value: every member is implicitly shared, so copies are cheap
// and independent.
class OptionSource
{
public:
    // Reference kinds of the request and answer sides.
    static constexpr qint32 kReferenceColumnTitles = 2630; // also any unknown title
    static constexpr qint32 kReferenceLibrary = 2631;
    static constexpr qint32 kReferenceUser = 2632;
    static constexpr qint32 kReferenceCommand = 2633;

    struct CharRange
    {
        quint32 location = 0;
        quint32 length = 0;
        friend bool operator==(const CharRange &, const CharRange &) = default;
    };

    // Starts in the reset state (empty texts, manual, both states 2630).
    OptionSource();

    static QString archiveClassName() { return QStringLiteral("OptionSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Resets the texts and the run mode; the containers keep their contents.
    void initializationUserObject();
    // Copies the archived fields; the choice lists and the selection stay.
    bool setTheEnvironmentalAtDecoder(const OptionSource *other);

    // The localised titles of "0013Title" to "0016Title" map to 2630 to 2633;
    // anything else, the empty title included, to 2630.
    static qint32 referenceStateForTitle(const QString &title);

    const QString &sourceTitle() const { return m_sourceTitle; }
    bool registerSourceTitle(const QString &value);
    bool confirmSourceTitle() const { return !m_sourceTitle.isEmpty(); }

    bool practiceState() const { return m_practiceState; }
    void registerPracticeState(bool state) { m_practiceState = state; }

    qint32 referenceRequestState() const { return m_referenceRequestState; }
    void registerReferenceRequestState(qint32 state) { m_referenceRequestState = state; }

    const QString &referenceRequestTitle() const { return m_referenceRequestTitle; }
    // Also sets referenceRequestState from the title.
    bool registerReferenceRequestTitle(const QString &value);
    bool confirmReferenceRequestTitle() const { return !m_referenceRequestTitle.isEmpty(); }

    const QStringList &referenceRequestArray() const { return m_referenceRequestArray; }
    bool registerReferenceRequestArray(const QStringList &value);
    bool confirmReferenceRequestArray() const { return !m_referenceRequestArray.isEmpty(); }

    const QString &requestTitle() const { return m_requestTitle; }
    bool registerRequestTitle(const QString &value);
    bool confirmRequestTitle() const { return !m_requestTitle.isEmpty(); }

    const QStringList &requestTitleArray() const { return m_requestTitleArray; }
    bool registerRequestTitleArray(const QStringList &value);
    bool confirmRequestTitleArray() const { return !m_requestTitleArray.isEmpty(); }

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    bool confirmCodeText() const { return !m_codeText.isEmpty(); }

    CharRange selectedCharRange() const { return m_selectedCharRange; }
    void registerSelectedCharRange(CharRange range) { m_selectedCharRange = range; }

    qint32 selectedCharLocation() const { return m_selectedCharLocation; }
    void registerSelectedCharLocation(qint32 location) { m_selectedCharLocation = location; }

    qint32 selectedCharLength() const { return m_selectedCharLength; }
    void registerSelectedCharLength(qint32 length) { m_selectedCharLength = length; }

    // Library title -> entry ({"makingResultString", "requesMarkertListDictionary"}).
    const QVariantMap &requesLibraryCodeDictionary() const { return m_requesLibraryCodeDictionary; }
    bool registerRequesLibraryCodeDictionary(const QVariantMap &value);
    bool confirmRequesLibraryCodeDictionary() const { return !m_requesLibraryCodeDictionary.isEmpty(); }
    // Stores the entry under the title; false, nothing stored, when either is empty.
    bool addRequesLibraryCodeDictionary(const QVariantMap &entry, const QString &title);

    const QString &answerText() const { return m_answerText; }
    bool registerAnswerText(const QString &value);
    bool confirmAnswerText() const { return !m_answerText.isEmpty(); }

    qint32 referenceAnswerState() const { return m_referenceAnswerState; }
    void registerReferenceAnswerState(qint32 state) { m_referenceAnswerState = state; }

    const QString &referenceAnswerTitle() const { return m_referenceAnswerTitle; }
    // Also sets referenceAnswerState from the title.
    bool registerReferenceAnswerTitle(const QString &value);
    bool confirmReferenceAnswerTitle() const { return !m_referenceAnswerTitle.isEmpty(); }

    const QStringList &referenceAnswerArray() const { return m_referenceAnswerArray; }
    bool registerReferenceAnswerArray(const QStringList &value);
    bool confirmReferenceAnswerArray() const { return !m_referenceAnswerArray.isEmpty(); }

    const QString &answerTitle() const { return m_answerTitle; }
    bool registerAnswerTitle(const QString &value);
    bool confirmAnswerTitle() const { return !m_answerTitle.isEmpty(); }

    const QStringList &answerTitleArray() const { return m_answerTitleArray; }
    bool registerAnswerTitleArray(const QStringList &value);
    bool confirmAnswerTitleArray() const { return !m_answerTitleArray.isEmpty(); }

    // The last answer: {"answerType": int, "answerObject": value}.
    const QVariantMap &answerObjectDictionary() const { return m_answerObjectDictionary; }
    bool registerAnswerObjectDictionary(const QVariantMap &value);
    bool confirmAnswerObjectDictionary() const { return !m_answerObjectDictionary.isEmpty(); }

    // Whether every field but the answer dictionary holds the very data the
    // other's does (shared, not merely equal); false tells nothing.
    bool sharesAllButAnswerWith(const OptionSource &other) const;

    // Diagnostic dump, one "name:value" line per field; for logging only.
    QString logText() const;
    // How logText writes a value: lists as "(a, b)", dictionaries as "{k = v; ...}".
    static QString logValue(const QVariant &value);

private:
    QString m_sourceTitle;
    bool m_practiceState = false;
    qint32 m_referenceRequestState = kReferenceColumnTitles;
    QString m_referenceRequestTitle;
    QStringList m_referenceRequestArray;
    QString m_requestTitle;
    QStringList m_requestTitleArray;
    QString m_codeText;
    CharRange m_selectedCharRange;
    qint32 m_selectedCharLocation = 0;
    qint32 m_selectedCharLength = 0;
    QVariantMap m_requesLibraryCodeDictionary;
    QString m_answerText;
    qint32 m_referenceAnswerState = kReferenceColumnTitles;
    QString m_referenceAnswerTitle;
    QStringList m_referenceAnswerArray;
    QString m_answerTitle;
    QStringList m_answerTitleArray;
    QVariantMap m_answerObjectDictionary;
};

// The sources of one option, in run order.
using OptionSourceArray = QList<OptionSource>;
