#include "OptionSource.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/Localization.h"
#include "platform/ModelText.h"
#include "platform/RequestKey.h"

namespace {

const QString kSourceTitle = QStringLiteral("sourceTitle");
const QString kPracticeState = QStringLiteral("practiceState");
const QString kReferenceRequestState = QStringLiteral("referenceRequestState");
const QString kReferenceRequestTitle = QStringLiteral("referenceRequestTitle");
const QString kReferenceRequestArray = QStringLiteral("referenceRequestArray");
const QString kRequestTitle = QStringLiteral("requestTitle");
const QString kAnswerText = QStringLiteral("answerText");
const QString kRequesLibraryCodeDictionary = QStringLiteral("requesLibraryCodeDictionary");
const QString kReferenceAnswerState = QStringLiteral("referenceAnswerState");
const QString kReferenceAnswerTitle = QStringLiteral("referenceAnswerTitle");
const QString kReferenceAnswerArray = QStringLiteral("referenceAnswerArray");
const QString kAnswerTitle = QStringLiteral("answerTitle");
const QString kAnswerObjectDictionary = QStringLiteral("answerObjectDictionary");

QString yesNo(bool state)
{
    return state ? QStringLiteral("YES") : QStringLiteral("NO");
}

} // namespace

OptionSource::OptionSource()
    : m_sourceTitle(QStringLiteral(""))
    , m_referenceRequestTitle(QStringLiteral(""))
    , m_requestTitle(QStringLiteral(""))
    , m_codeText(QStringLiteral(""))
    , m_answerText(QStringLiteral(""))
    , m_referenceAnswerTitle(QStringLiteral(""))
    , m_answerTitle(QStringLiteral(""))
{
}

void OptionSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeString(m_sourceTitle, kSourceTitle);
    coder.encodeBool(m_practiceState, kPracticeState);
    coder.encodeInt32(m_referenceRequestState, kReferenceRequestState);
    coder.encodeString(m_referenceRequestTitle, kReferenceRequestTitle);
    coder.encodeStringArray(m_referenceRequestArray, kReferenceRequestArray);
    coder.encodeString(m_requestTitle, kRequestTitle);
    coder.encodeString(m_codeText, RequestKey::codeText);
    coder.encodeString(m_answerText, kAnswerText);
    coder.encodeValue(m_requesLibraryCodeDictionary, kRequesLibraryCodeDictionary);
    coder.encodeInt32(m_referenceAnswerState, kReferenceAnswerState);
    coder.encodeString(m_referenceAnswerTitle, kReferenceAnswerTitle);
    coder.encodeStringArray(m_referenceAnswerArray, kReferenceAnswerArray);
    coder.encodeString(m_answerTitle, kAnswerTitle);
    coder.encodeValue(m_answerObjectDictionary, kAnswerObjectDictionary);
}

bool OptionSource::initWithCoder(const ArchiveDecoder &coder)
{
    // Through the setters, so a stored state never outlives a title that
    // no longer names it.
    registerSourceTitle(coder.decodeString(kSourceTitle));
    registerPracticeState(coder.decodeBool(kPracticeState));
    registerReferenceRequestState(coder.decodeInt32(kReferenceRequestState));
    registerReferenceRequestTitle(coder.decodeString(kReferenceRequestTitle));
    registerReferenceRequestArray(coder.decodeStringArray(kReferenceRequestArray));
    registerRequestTitle(coder.decodeString(kRequestTitle));
    registerCodeText(coder.decodeString(RequestKey::codeText));
    registerRequesLibraryCodeDictionary(coder.decodeVariantMap(kRequesLibraryCodeDictionary));
    registerAnswerText(coder.decodeString(kAnswerText));
    registerReferenceAnswerState(coder.decodeInt32(kReferenceAnswerState));
    registerReferenceAnswerTitle(coder.decodeString(kReferenceAnswerTitle));
    registerReferenceAnswerArray(coder.decodeStringArray(kReferenceAnswerArray));
    registerAnswerTitle(coder.decodeString(kAnswerTitle));
    registerAnswerObjectDictionary(coder.decodeVariantMap(kAnswerObjectDictionary));
    return !coder.failed();
}

void OptionSource::initializationUserObject()
{
    registerSourceTitle(QString());
    registerReferenceRequestTitle(QString());
    registerRequestTitle(QString());
    registerCodeText(QString());
    registerAnswerText(QString());
    registerReferenceAnswerTitle(QString());
    registerAnswerTitle(QString());
    registerPracticeState(false);
}

bool OptionSource::setTheEnvironmentalAtDecoder(const OptionSource *other)
{
    if (!other)
        return false;
    if (other == this)
        return true;
    registerSourceTitle(other->m_sourceTitle);
    registerPracticeState(other->m_practiceState);
    registerReferenceRequestState(other->m_referenceRequestState);
    registerReferenceRequestTitle(other->m_referenceRequestTitle);
    registerReferenceRequestArray(other->m_referenceRequestArray);
    registerRequestTitle(other->m_requestTitle);
    registerCodeText(other->m_codeText);
    registerAnswerText(other->m_answerText);
    registerRequesLibraryCodeDictionary(other->m_requesLibraryCodeDictionary);
    registerReferenceAnswerState(other->m_referenceAnswerState);
    registerReferenceAnswerTitle(other->m_referenceAnswerTitle);
    registerReferenceAnswerArray(other->m_referenceAnswerArray);
    registerAnswerTitle(other->m_answerTitle);
    registerAnswerObjectDictionary(other->m_answerObjectDictionary);
    return true;
}

namespace {

bool sameData(const QString &a, const QString &b)
{
    return a.constData() == b.constData() && a.size() == b.size();
}

bool sameData(const QStringList &a, const QStringList &b)
{
    return a.constData() == b.constData() && a.size() == b.size();
}

} // namespace

bool OptionSource::sharesAllButAnswerWith(const OptionSource &other) const
{
    return sameData(m_sourceTitle, other.m_sourceTitle) && m_practiceState == other.m_practiceState
        && m_referenceRequestState == other.m_referenceRequestState
        && sameData(m_referenceRequestTitle, other.m_referenceRequestTitle)
        && sameData(m_referenceRequestArray, other.m_referenceRequestArray)
        && sameData(m_requestTitle, other.m_requestTitle) && sameData(m_requestTitleArray, other.m_requestTitleArray)
        && sameData(m_codeText, other.m_codeText) && m_selectedCharRange == other.m_selectedCharRange
        && m_selectedCharLocation == other.m_selectedCharLocation
        && m_selectedCharLength == other.m_selectedCharLength
        && m_requesLibraryCodeDictionary.isSharedWith(other.m_requesLibraryCodeDictionary)
        && sameData(m_answerText, other.m_answerText) && m_referenceAnswerState == other.m_referenceAnswerState
        && sameData(m_referenceAnswerTitle, other.m_referenceAnswerTitle)
        && sameData(m_referenceAnswerArray, other.m_referenceAnswerArray)
        && sameData(m_answerTitle, other.m_answerTitle) && sameData(m_answerTitleArray, other.m_answerTitleArray);
}

qint32 OptionSource::referenceStateForTitle(const QString &title)
{
    // The localised texts are never empty (a missing text falls back to its
    // key), so an empty title needs no lookup.
    if (title.isEmpty())
        return kReferenceColumnTitles;
    static const char *const keys[] = {"0013Title", "0014Title", "0015Title", "0016Title"};
    qint32 state = kReferenceColumnTitles;
    for (const char *key : keys) {
        if (title == Localization::textOrKey(Localization::kMainTable, QString::fromLatin1(key)))
            return state;
        ++state;
    }
    return kReferenceColumnTitles;
}

bool OptionSource::registerSourceTitle(const QString &value)
{
    return ModelText::registerString(m_sourceTitle, value);
}

bool OptionSource::registerReferenceRequestTitle(const QString &value)
{
    m_referenceRequestState = referenceStateForTitle(value);
    return ModelText::registerString(m_referenceRequestTitle, value);
}

bool OptionSource::registerReferenceRequestArray(const QStringList &value)
{
    return ModelText::registerContainer(m_referenceRequestArray, value);
}

bool OptionSource::registerRequestTitle(const QString &value)
{
    return ModelText::registerString(m_requestTitle, value);
}

bool OptionSource::registerRequestTitleArray(const QStringList &value)
{
    return ModelText::registerContainer(m_requestTitleArray, value);
}

bool OptionSource::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool OptionSource::registerRequesLibraryCodeDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_requesLibraryCodeDictionary, value);
}

bool OptionSource::addRequesLibraryCodeDictionary(const QVariantMap &entry, const QString &title)
{
    if (entry.isEmpty() || title.isEmpty())
        return false;
    m_requesLibraryCodeDictionary.insert(title, entry);
    return true;
}

bool OptionSource::registerAnswerText(const QString &value)
{
    return ModelText::registerString(m_answerText, value);
}

bool OptionSource::registerReferenceAnswerTitle(const QString &value)
{
    m_referenceAnswerState = referenceStateForTitle(value);
    return ModelText::registerString(m_referenceAnswerTitle, value);
}

bool OptionSource::registerReferenceAnswerArray(const QStringList &value)
{
    return ModelText::registerContainer(m_referenceAnswerArray, value);
}

bool OptionSource::registerAnswerTitle(const QString &value)
{
    return ModelText::registerString(m_answerTitle, value);
}

bool OptionSource::registerAnswerTitleArray(const QStringList &value)
{
    return ModelText::registerContainer(m_answerTitleArray, value);
}

bool OptionSource::registerAnswerObjectDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_answerObjectDictionary, value);
}

QString OptionSource::logValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("(null)");
    case QMetaType::Bool:
        return yesNo(value.toBool());
    case QMetaType::QByteArray:
        return QStringLiteral("<%1 bytes>").arg(value.toByteArray().size());
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QStringList parts;
        for (const QVariant &element : value.toList())
            parts.append(logValue(element));
        return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QStringList parts;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            parts.append(it.key() + QStringLiteral(" = ") + logValue(it.value()));
        return QLatin1Char('{') + parts.join(QStringLiteral("; ")) + QLatin1Char('}');
    }
    default:
        break;
    }
    const QString text = value.toString();
    if (text.isEmpty() && value.typeId() != QMetaType::QString)
        return QLatin1Char('<') + QString::fromLatin1(value.typeName()) + QLatin1Char('>');
    return text;
}

QString OptionSource::logText() const
{
    const auto line = [](const QString &name, const QString &value) {
        return name + QLatin1Char(':') + value;
    };
    QStringList lines;
    lines << QStringLiteral("** OptionSource logText START **")
          << line(kSourceTitle, m_sourceTitle)
          << line(kPracticeState, yesNo(m_practiceState))
          << line(kReferenceRequestState, QString::number(m_referenceRequestState))
          << line(kReferenceRequestTitle, m_referenceRequestTitle)
          << line(kReferenceRequestArray, logValue(m_referenceRequestArray))
          << line(kRequestTitle, m_requestTitle)
          << line(QStringLiteral("requestTitleArray"), logValue(m_requestTitleArray))
          << line(RequestKey::codeText, m_codeText)
          << line(QStringLiteral("selectedCharRange"),
                  QStringLiteral("{%1, %2}").arg(m_selectedCharRange.location).arg(m_selectedCharRange.length))
          << line(QStringLiteral("selectedCharLocation"), QString::number(m_selectedCharLocation))
          << line(QStringLiteral("selectedCharLength"), QString::number(m_selectedCharLength))
          << line(kRequesLibraryCodeDictionary, logValue(m_requesLibraryCodeDictionary))
          << line(kAnswerText, m_answerText)
          << line(kReferenceAnswerState, QString::number(m_referenceAnswerState))
          << line(kReferenceAnswerTitle, m_referenceAnswerTitle)
          << line(kReferenceAnswerArray, logValue(m_referenceAnswerArray))
          << line(kAnswerTitle, m_answerTitle)
          << line(QStringLiteral("answerTitleArray"), logValue(m_answerTitleArray))
          << line(kAnswerObjectDictionary, logValue(m_answerObjectDictionary))
          << QStringLiteral("** OptionSource logText END **");
    return lines.join(QLatin1Char('\n'));
}
