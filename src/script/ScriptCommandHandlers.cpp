#include "ScriptCommandHandlers.h"

#include "FunctionCommand.h"
#include "InspectionCharacterString.h"
#include "script/ImportURLWorkFormula.h"
#include "script/ScriptRequestHandler.h"
#include "script/UrlFetcher.h"
#include "platform/RequestKey.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qint32 kAnswerInteger = FunctionCommand::kAnswerInteger;
constexpr qint32 kAnswerString = FunctionCommand::kAnswerString;
constexpr qint32 kAnswerArray = FunctionCommand::kAnswerArray;
constexpr qint32 kAnswerDictionary = FunctionCommand::kAnswerDictionary;

const QString kAnswerTarget = u"answerTarget"_s;
const QString kEncodingType = u"encodingType"_s;

qint32 answerTypeOf(const QVariantMap &answer)
{
    return answer.value(RequestKey::answerType).toInt();
}

} // namespace

bool ScriptCommandHandlers::run(ParsedCode &piece)
{
    using Command = ParsedCode::Command;
    bool done = false;
    switch (piece.command()) {
    case Command::ItemsRow: done = itemsRow(piece); break;
    case Command::WriteRow: done = writeRow(piece); break;
    case Command::WriteTitle: done = writeTitle(piece); break;
    case Command::ReadURL: done = readURL(piece); break;
    case Command::ReadUTF8XML: done = readUTF8XML(piece); break;
    case Command::Object: done = object(piece); break;
    case Command::None: break;
    }
    if (done)
        return true;
    if (m_f.m_budget->stopped())
        return false;
    return readFormula(piece);
}

bool ScriptCommandHandlers::rowArgument(ParsedCode &piece, qint32 *row)
{
    if (const std::optional<qint32> digits = piece.rowDigits()) {
        *row = *digits;
        return true;
    }
    QVariant object;
    qint32 type = 0;
    if (!m_f.evaluateArgumentObject(piece, Label::Row, &object, &type))
        return false;
    if (type != kAnswerInteger && type != kAnswerString)
        return false;
    *row = InspectionCharacterString::integerValueOfObject(object);
    return true;
}

bool ScriptCommandHandlers::pathArgument(ParsedCode &piece, QString *path)
{
    QVariantMap answer;
    if (!m_f.evaluateArgument(piece, Label::Path, &answer) || answerTypeOf(answer) != kAnswerString)
        return false;
    *path = answer.value(RequestKey::answerObject).toString();
    return !path->isEmpty();
}

template<class Make>
QVariantMap &ScriptCommandHandlers::reusedRequest(ParsedCode &piece, qint32 type, bool perRun, Make &&make)
{
    m_f.clearAnswer();
    ParsedCode::Request &memo = piece.request();
    const QString &code = m_f.m_optionSource.codeText();
    if (memo.map.isEmpty() || memo.type != type || memo.cachesFolderID != m_f.m_cachesFolderID || memo.codeText != code
        || (perRun && (memo.runCount != m_f.m_runCount || memo.sourceTitle != m_f.m_optionSource.sourceTitle()))) {
        memo.map = make();
        if (m_f.m_cachesFolderID != 0)
            memo.map.insert(RequestKey::cachesFolderID, m_f.m_cachesFolderID);
        memo.type = type;
        memo.cachesFolderID = m_f.m_cachesFolderID;
        memo.codeText = code;
        memo.runCount = m_f.m_runCount;
        memo.sourceTitle = m_f.m_optionSource.sourceTitle();
    }
    return memo.map;
}

bool ScriptCommandHandlers::itemsRow(ParsedCode &piece)
{
    qint32 row = 0;
    if (!rowArgument(piece, &row))
        return false;
    const QString &title = piece.titleChildren();
    if (title.isEmpty())
        return false;
    QVariantMap &request = reusedRequest(piece, 240, false, [&] {
        return QVariantMap{{RequestKey::codeText, m_f.m_optionSource.codeText()}, {RequestKey::commandNumber, 240}, {RequestKey::title, title}};
    });
    request.insert(RequestKey::row, row);
    return m_f.sendRequest(request, false);
}

bool ScriptCommandHandlers::writeRow(ParsedCode &piece)
{
    qint32 row = 0;
    if (!rowArgument(piece, &row))
        return false;
    const QString &title = piece.titleChildren();
    QVariant object;
    qint32 type = 0;
    if (title.isEmpty() || !m_f.evaluateArgumentObject(piece, Label::Object, &object, &type))
        return false;
    if (object.typeId() != QMetaType::QString)
        return false;
    QVariantMap &request = reusedRequest(piece, 250, false, [&] {
        return QVariantMap{{RequestKey::codeText, m_f.m_optionSource.codeText()}, {RequestKey::commandNumber, 250}, {RequestKey::title, title}};
    });
    request.insert(RequestKey::row, row);
    request.insert(RequestKey::itemObject, object);
    if (m_f.m_requestHandler) {
        if (const std::optional<bool> written = m_f.m_requestHandler->writeScriptCell(m_f.m_cachesFolderID, row, title, object)) {
            // The answers the dictionary form gives: nothing, or the request itself.
            if (*written)
                m_f.answerFunctionSourceDictionary(request, 0);
            else
                m_f.answerFunctionSourceDictionary({}, 0);
            return true;
        }
        return false;
    }
    return m_f.sendRequest(request, false);
}

bool ScriptCommandHandlers::writeTitle(ParsedCode &piece)
{
    QVariantMap titleAnswer;
    if (!m_f.evaluateArgument(piece, Label::Title, &titleAnswer) || answerTypeOf(titleAnswer) != kAnswerString)
        return false;
    QVariantMap objectAnswer;
    if (!m_f.evaluateArgument(piece, Label::Object, &objectAnswer))
        return false;
    return m_f.postRequest({{RequestKey::codeText, m_f.m_optionSource.codeText()},
                        {RequestKey::title, titleAnswer.value(RequestKey::answerObject)},
                        {RequestKey::answerType, answerTypeOf(objectAnswer)},
                        {kAnswerTarget, m_f.m_commandFormula.children()},
                        {RequestKey::answerObject, objectAnswer.value(RequestKey::answerObject)}},
                       true);
}

bool ScriptCommandHandlers::readURL(ParsedCode &piece)
{
    QString path;
    if (!pathArgument(piece, &path) || !allowedUrl(path) || !m_f.m_budget->spendFetch())
        return false;
    QString body;
    int encoding = 0;
    UrlFetcher fetcher(fetchLimits());
    if (!fetcher.readText(path, &body, &encoding, &m_f.m_failureReason))
        return false;
    return m_f.postRequest({{RequestKey::codeText, m_f.m_optionSource.codeText()}, {RequestKey::answerType, kAnswerString},
                        {RequestKey::answerObject, body}, {kEncodingType, encoding}},
                       true);
}

bool ScriptCommandHandlers::readUTF8XML(ParsedCode &piece)
{
    QString path;
    if (!pathArgument(piece, &path) || !allowedUrl(path) || !m_f.m_budget->spendFetch())
        return false;
    // A fresh reader each time: its limits carry the run's remaining time.
    m_f.m_importURLWorkFormula = std::make_unique<ImportURLWorkFormula>(fetchLimits());
    ImportURLWorkFormula *reader = m_f.m_importURLWorkFormula.get();
    if (!reader->connectionURLConnectionOfXMLToPath(path))
        return false;
    return m_f.postRequest({{RequestKey::codeText, m_f.m_optionSource.codeText()}, {RequestKey::answerType, kAnswerDictionary},
                        {RequestKey::answerObject, reader->parserXMLDictionary()}},
                       true);
}

bool ScriptCommandHandlers::object(ParsedCode &piece)
{
    const QString &text = piece.text();
    const QString code = m_f.m_optionSource.codeText();
    if (text.startsWith(u"[Command:object:count:")) {
        QVariantMap answer;
        if (!m_f.evaluateArgument(piece, Label::Count, &answer))
            return false;
        qsizetype count = 0;
        if (answerTypeOf(answer) == kAnswerArray)
            count = answer.value(RequestKey::answerObject).toList().size();
        else if (answerTypeOf(answer) == kAnswerDictionary)
            count = answer.value(RequestKey::answerObject).toMap().size();
        return m_f.postRequest({{RequestKey::codeText, code}, {RequestKey::answerType, kAnswerInteger}, {RequestKey::answerObject, qint32(count)}}, true);
    }
    if (text.startsWith(u"[Command:object:array:")) {
        QVariantMap answer;
        if (!m_f.evaluateArgument(piece, Label::Array, &answer) || answerTypeOf(answer) != kAnswerArray)
            return false;
        const QVariantList array = answer.value(RequestKey::answerObject).toList();
        const QString &indexText = piece.argument(Label::Index);
        qint32 index = 0;
        if (InspectionCharacterString::confirmCalculatingFormulaAtString(indexText)) {
            index = InspectionCharacterString::integerValueOfString(indexText);
        } else {
            QVariantMap indexAnswer;
            if (!m_f.evaluateArgument(piece, Label::Index, &indexAnswer))
                return false;
            const qint32 type = answerTypeOf(indexAnswer);
            if (type != kAnswerInteger && type != kAnswerString)
                return false;
            index = InspectionCharacterString::integerValueOfObject(indexAnswer.value(RequestKey::answerObject));
        }
        if (index < 0 || index >= array.size())
            return false;
        return m_f.postRequest({{RequestKey::codeText, code}, {RequestKey::answerType, kAnswerString},
                            {RequestKey::answerObject, array.at(index).toString()}},
                           true);
    }
    if (text.startsWith(u"[Command:object:dictionary:")) {
        QVariantMap answer;
        if (!m_f.evaluateArgument(piece, Label::Dictionary, &answer) || answerTypeOf(answer) != kAnswerDictionary)
            return false;
        const QVariantMap dictionary = answer.value(RequestKey::answerObject).toMap();
        if (dictionary.isEmpty())
            return false;
        const QString &key = piece.argument(Label::Key);
        return m_f.postRequest({{RequestKey::codeText, code}, {RequestKey::answerType, kAnswerString},
                            {RequestKey::answerObject, dictionary.value(key).toString()}},
                           true);
    }
    return m_f.postRequest({{RequestKey::codeText, code}}, true);
}

bool ScriptCommandHandlers::readFormula(ParsedCode &piece)
{
    const CommandFormula::Parse &parse = piece.commandParse();
    if (!m_f.m_commandFormula.applyParse(parse))
        return false;
    QVariantMap &request = reusedRequest(piece, 4, true, [&] {
        QVariantMap made{{RequestKey::runCount, m_f.m_runCount},
                         {RequestKey::sourceTitle, m_f.m_optionSource.sourceTitle()},
                         {RequestKey::codeText, m_f.m_optionSource.codeText()},
                         {RequestKey::commandNumber, 4},
                         {RequestKey::commandText, parse.commandText}};
        if (parse.forCountState) {
            made.insert(RequestKey::answerType, kAnswerInteger);
        } else {
            made.insert(RequestKey::answerType, kAnswerString);
            made.insert(RequestKey::answerObject, parse.children);
        }
        return made;
    });
    if (parse.forCountState)
        request.insert(RequestKey::answerObject, m_f.m_mainLoopFunction.workLoopCount());
    // Only the editing-item read needs the document; with no item selected
    // it answers with nothing, which fails the command. Every other read
    // comes back unchanged, so a run's own responder need not be asked.
    if (!parse.readsItem && m_f.m_requestHandler) {
        m_f.answerFunctionSourceDictionary(request, parse.forCountState ? kAnswerInteger : kAnswerString);
        return true;
    }
    if (!m_f.sendRequest(request, !parse.readsItem))
        return false;
    return !parse.readsItem || m_f.m_optionSource.confirmAnswerObjectDictionary();
}

bool ScriptCommandHandlers::allowedUrl(const QString &url)
{
    if (UrlFetcher::isAllowedUrl(QUrl(url)))
        return true;
    m_f.m_failureReason = u"scheme not allowed (only http and https): %1"_s.arg(url);
    return false;
}

UrlFetcher::Limits ScriptCommandHandlers::fetchLimits() const
{
    // No single read may outlast the run's own deadline.
    UrlFetcher::Limits limits = m_f.m_urlLimits;
    const qint64 remaining = m_f.m_budget->remainingMs();
    if (remaining >= 0)
        limits.deadlineMs = int(std::clamp<qint64>(remaining, 1, limits.deadlineMs));
    return limits;
}

bool ScriptCommandHandlers::loadImage(const QString &url, QByteArray *body)
{
    if (!allowedUrl(url) || !m_f.m_budget->spendFetch())
        return false;
    UrlFetcher fetcher(fetchLimits());
    const UrlFetcher::Result result = fetcher.get(url);
    if (!result.ok) {
        m_f.m_failureReason = result.errorString;
        return false;
    }
    *body = result.body;
    return true;
}
