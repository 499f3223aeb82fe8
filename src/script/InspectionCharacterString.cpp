#include "InspectionCharacterString.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"

#include <cmath>
#include <limits>
#include <stdexcept>

InspectionCharacterString::InspectionCharacterString()
    : m_sourceString(QStringLiteral(""))
    , m_targetedString(QStringLiteral(""))
    , m_substitutionString(QStringLiteral(""))
{
}

bool InspectionCharacterString::includedInCharacterString(const QString &text, const QString &target)
{
    return !text.isEmpty() && !target.isEmpty() && text.contains(target);
}

bool InspectionCharacterString::topIncludedInCharacterString(const QString &text, const QString &target)
{
    return !text.isEmpty() && !target.isEmpty() && text.startsWith(target);
}

QString InspectionCharacterString::extractCommandWithCharacterString(const QString &text, const QString &label)
{
    if (text.isEmpty() || label.isEmpty())
        return {};
    const qsizetype found = text.indexOf(label);
    if (found < 0)
        return {};
    QString result = QStringLiteral("");
    qsizetype opening = 0;
    qsizetype closing = 0;
    for (qsizetype i = found + label.size() + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'[') {
            ++opening;
            result.append(c);
        } else if (c == u']') {
            ++closing;
            if (closing > opening)
                return result;
            result.append(c);
            if (closing == opening)
                return result;
        } else if (c != u' ') {
            result.append(c);
        }
    }
    return {};
}

QString InspectionCharacterString::extractLoopWithCharacterString(const QString &text, const QString &label)
{
    if (text.isEmpty() || label.isEmpty())
        return {};
    const qsizetype found = text.indexOf(label);
    if (found < 0)
        return {};
    const qsizetype start = found + label.size() + 1;
    qsizetype end = start;
    while (end < text.size() && kNumberCharacters.contains(text.at(end)))
        ++end;
    if (end == start)
        return {};
    return text.mid(start, end - start);
}

QStringList InspectionCharacterString::extractCommandArrayWithCharacterString(const QString &text)
{
    QStringList groups;
    QString collected;
    qsizetype opening = 0;
    qsizetype closing = 0;
    for (const QChar c : text) {
        if (c == u'[') {
            ++opening;
        } else if (c == u']') {
            // A "]" with nothing open belongs to no group.
            if (opening == closing)
                continue;
            ++closing;
        }
        if (opening > closing || c == u']')
            collected.append(c);
        if (c == u']' && opening == closing) {
            groups.append(collected);
            collected.clear();
            opening = closing = 0;
        }
    }
    return groups;
}

bool InspectionCharacterString::confirmCalculatingFormulaAtString(const QString &text)
{
    return !text.isEmpty() && kNumberCharacters.contains(text);
}

bool InspectionCharacterString::confirmCalculatingFormulaAtMultiString(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!kNumberCharacters.contains(c))
            return false;
    }
    return true;
}

QString InspectionCharacterString::makingResultAtString(const QString &text, const QString &marker,
                                                        const QString &value)
{
    if (text.isEmpty() || marker.isEmpty())
        return {};
    const qsizetype found = text.indexOf(marker);
    if (found < 0)
        return {};
    QString result = text.left(found);
    result += value;
    result += QStringView(text).mid(found + marker.size());
    return result;
}

qint32 InspectionCharacterString::integerValueOfString(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            value = qint64(std::numeric_limits<qint32>::max()) + 1;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    return qint32(value);
}

qint32 InspectionCharacterString::integerValueOfObject(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return integerValueOfString(value.toString());
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || std::isnan(number))
        return 0;
    if (number >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (number <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(number);
}

float InspectionCharacterString::floatValueOfString(const QString &text)
{
    // The longest leading piece that reads as a number: sign, digits, one
    // point, digits, and an exponent only when digits follow it.
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    const auto isDigit = [&text](qsizetype at) {
        return at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9';
    };
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        ++i;
    bool digits = false;
    while (isDigit(i)) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text.at(i) == u'.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0f;
    if (i < text.size() && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype e = i + 1;
        if (e < text.size() && (text.at(e) == u'-' || text.at(e) == u'+'))
            ++e;
        if (isDigit(e)) {
            while (isDigit(e))
                ++e;
            i = e;
        }
    }
    // Out-of-range values come back as infinity, as the platform parse does.
    const double value = QStringView(text).mid(start, i - start).toDouble();
    if (value > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return float(value);
}

bool InspectionCharacterString::registerSourceString(const QString &value)
{
    return ModelText::registerString(m_sourceString, value);
}

bool InspectionCharacterString::registerMarkerListArray(const QVariantList &value)
{
    return ModelText::registerContainer(m_markerListArray, value);
}

bool InspectionCharacterString::makingInspectionCharacter()
{
    if (m_sourceString.isEmpty() || m_markerListArray.isEmpty())
        return false;
    bool replaced = false;
    try {
        for (const QVariant &entry : std::as_const(m_markerListArray)) {
            if (entry.typeId() != QMetaType::QVariantMap)
                throw std::invalid_argument("substitution entry is not a dictionary");
            m_editCellDic = entry.toMap();
            if (!m_editCellDic.value(QStringLiteral("Show")).toBool())
                continue;
            if (makingAnswerAtTargeted(m_editCellDic.value(QStringLiteral("Targeted")).toString(),
                                       m_editCellDic.value(QStringLiteral("Substitution")).toString()))
                replaced = true;
        }
    } catch (...) {
        qCWarning(lcScript).noquote() << QStringLiteral("InspectionCharacterString:makingInspectionCharacter:Err");
    }
    return replaced;
}

bool InspectionCharacterString::makingAnswerAtTargeted(const QString &target, const QString &substitution)
{
    ModelText::registerString(m_targetedString, target);
    ModelText::registerString(m_substitutionString, substitution);
    m_targetedCount = 0;
    if (m_sourceString.isEmpty() || target.isEmpty())
        return false;
    QString result;
    qsizetype from = 0;
    for (qsizetype found = m_sourceString.indexOf(target); found >= 0;
         found = m_sourceString.indexOf(target, from)) {
        result += QStringView(m_sourceString).mid(from, found - from);
        result += substitution;
        from = found + target.size();
        ++m_targetedCount;
    }
    if (m_targetedCount == 0)
        return false;
    result += QStringView(m_sourceString).mid(from);
    ModelText::registerString(m_sourceString, result);
    return true;
}
