#include "FunctionCommand.h"

#include "InspectionCharacterString.h"
#include "MakingConversionMarker.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "script/ImportURLWorkFormula.h"
#include "script/ScriptRequestHandler.h"
#include "platform/RequestKey.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"FunctionCommand"_s;

const QString kMarkerList = u"requesMarkertListDictionary"_s;

qint32 answerTypeOf(const QVariantMap &answer)
{
    return answer.value(RequestKey::answerType).toInt();
}

QString yesNo(bool state)
{
    return state ? u"YES"_s : u"NO"_s;
}

} // namespace

FunctionCommand::FunctionCommand(NotificationCenter *center)
    : m_channel(center, kDevelopNotification, kAnswerNotification,
                [this](const QVariant &object) { answerFunctionSourceDictionaryOfTheNotification(object); })
{
    m_stringFormula.setImageLoader([this](const QString &url, QByteArray *body) { return m_commands.loadImage(url, body); });
}

FunctionFormula *FunctionCommand::functionFormula()
{
    if (m_functionFormulaPiece) {
        m_functionFormula = m_functionFormulaPiece->functionFormula();
        m_functionFormulaPiece = nullptr;
    }
    return &m_functionFormula;
}

FunctionCommand::~FunctionCommand() = default;

void FunctionCommand::initializationUserObject()
{
    m_commandCount = 0;
    m_runCount = 0;
    m_practiceState = false;
    m_middleOfProcessing = false;
    m_answerType = 0;
    m_mainLoopFunction.initializationUserObject();
    m_calculatingFormula.initializationUserObject();
    m_functionFormulaPiece = nullptr;
    m_functionFormula.initializationUserObject();
    m_libraryFormula.initializationUserObject();
}

QStringList FunctionCommand::requestReferenceListArray() const
{
    return {u"indicator: count: step: "_s, u"indicator:end:"_s, u"for: count: step: "_s, u"for:count: "_s,
            u"for:end:"_s, u"items:row: title: "_s, u"items:editing:title: "_s, u"object:count: "_s,
            u"object:array: index: "_s, u"object:dictionary: key: "_s, u"write:row: title: object: "_s,
            u"write:title: object: "_s, u"readURL:path: "_s, u"readUTF8XML:path: "_s};
}

QStringList FunctionCommand::answerReferenceListArray() const
{
    return {u"items:option:title:object:"_s, u"items:editing:title:object:"_s, u"items:editing:image:"_s};
}

ImportURLWorkFormula *FunctionCommand::importURLWorkFormula()
{
    if (!m_importURLWorkFormula)
        m_importURLWorkFormula = std::make_unique<ImportURLWorkFormula>(m_urlLimits);
    return m_importURLWorkFormula.get();
}

bool FunctionCommand::registerAnswerObjectDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_answerObjectDictionary, value);
}

void FunctionCommand::register_commandCount()
{
    m_commandCount = qint32(m_optionObjectSource.optionSourceArray().size());
}

void FunctionCommand::register_runCount()
{
    if (m_runCount < std::numeric_limits<qint32>::max())
        ++m_runCount;
}

void FunctionCommand::setBudget(ScriptBudget *budget)
{
    m_budget = budget ? budget : &m_ownBudget;
}

bool FunctionCommand::getDevelopSourceAtRow(qint32 row)
{
    register_commandCount();
    const OptionSource *source = m_optionObjectSource.getDevelopSourceAtRow(row);
    if (!source || row >= m_commandCount)
        return false;
    adoptWorkingSource(row, *source);
    m_practiceState = source->practiceState();
    return true;
}

void FunctionCommand::adoptWorkingSource(qint32 row, const OptionSource &source)
{
    // A loop runs the same sources pass after pass: each keeps its working
    // copy, parked here between its runs, so taking it up again copies only
    // the answer a run changes instead of every field.
    if (m_workingIndex >= 0)
        std::swap(m_optionSource, m_workingCopies[size_t(m_workingIndex)]);
    m_workingIndex = -1;
    if (row < 0 || row >= kMaxWorkingCopies) {
        m_optionSource = source;
        return;
    }
    if (size_t(row) >= m_workingCopies.size())
        m_workingCopies.resize(size_t(row) + 1);
    std::swap(m_optionSource, m_workingCopies[size_t(row)]);
    m_workingIndex = row;
    if (m_optionSource.sharesAllButAnswerWith(source))
        m_optionSource.registerAnswerObjectDictionary(source.answerObjectDictionary());
    else
        m_optionSource = source;
}

bool FunctionCommand::loadingForFunctionCommand()
{
    return ErrorLog::guarded(lcScript(), kClassWords, u"loadingForFunctionCommand", false, [&] {
        m_loopPassEnded = false;
        m_failedCodeText.clear();
        m_failureReason.clear();
        const OptionSource *source = m_optionObjectSource.getDevelopSourceAtRow(m_runCount);
        if (!source)
            return false;
        const ParsedCode::Ptr piece = m_parsed.sourcePiece(m_runCount, source->codeText());
        const QString &text = piece->text();
        if (!m_mainLoopFunction._functionLoopWithState()) {
            if (!loadingCodeDivideInTwo(piece->kind(), *piece))
                return false;
            if (m_commandFormula._commandLoopWithState())
                confirmMainLoopFunctionAtCode(text);
            return !m_budget->stopped();
        }
        if (!loadingCodeDivideInTwo(piece->kind(), *piece))
            return false;
        // A counter read names the loop command and "count:" too, but neither
        // starts nor ends a pass: handing it over would restart the pass.
        if (!m_commandFormula._commandLoopWithState() && !piece->counterRead()) {
            m_mainLoopFunction.registerCodeText(text);
            if (m_mainLoopFunction.confirmMainLoopFunction(piece->loopFacts())) {
                m_loopPassEnded = true;
                if (m_mainLoopFunction._loopRunCount() < m_mainLoopFunction.loopCount())
                    m_runCount = m_mainLoopFunction._loopStartCount();
            }
        }
        return !m_budget->stopped();
    });
}

qint32 FunctionCommand::codeDivideInTwoAtSource(const QString &text)
{
    if (text.isEmpty())
        return kCodeNone;
    if (text.front() == u'=')
        return kCodeCalculation;
    if (text.front() == u'[')
        return kCodeFunction;
    return kCodeTemplate;
}

bool FunctionCommand::loadingCodeDivideInTwo(qint32 kind, const QString &text)
{
    return loadingCodeDivideInTwo(kind, *m_parsed.piece(text, true));
}

bool FunctionCommand::loadingCodeDivideInTwo(qint32 kind, ParsedCode &piece)
{
    const bool ok = ErrorLog::guarded(lcScript(), kClassWords, u"loadingCodeDivideInTwo", false, [&] {
        const ScriptDepthGuard depth(*m_budget);
        if (!depth.entered() || !m_budget->spendStep())
            return false;
        switch (kind) {
        case kCodeCalculation: return loadingCodeCalculatingFormulaAtSource(piece.text());
        case kCodeFunction: return loadingCodeFunctionFormulaAtSource(piece);
        case kCodeTemplate: return loadingStringFunctionFormulaAtSource(piece);
        default: return false;
        }
    });
    m_middleOfProcessing = !ok;
    if (ok)
        m_failedCodeText.clear();
    else if (m_failedCodeText.isEmpty())
        m_failedCodeText = piece.text();
    return ok;
}

bool FunctionCommand::evaluateExpression(const QString &text, QVariantMap *answer)
{
    return evaluateExpression(*m_parsed.piece(text, true), answer);
}

bool FunctionCommand::evaluateExpression(ParsedCode &piece, QVariantMap *answer)
{
    if (!loadingCodeDivideInTwo(piece.kind(), piece))
        return false;
    *answer = m_optionSource.answerObjectDictionary();
    return true;
}

bool FunctionCommand::runArgument(ParsedCode &piece, Label label)
{
    if (piece.argument(label).isEmpty())
        return false;
    const ParsedCode::Ptr argument = m_parsed.argumentPiece(piece, label);
    return loadingCodeDivideInTwo(argument->kind(), *argument);
}

bool FunctionCommand::evaluateArgumentObject(ParsedCode &piece, Label label, QVariant *object, qint32 *type)
{
    if (!runArgument(piece, label))
        return false;
    *object = m_optionSource.answerObjectDictionary().value(RequestKey::answerObject);
    *type = m_workingAnswerType;
    return true;
}

bool FunctionCommand::evaluateArgument(ParsedCode &piece, Label label, QVariantMap *answer)
{
    if (!runArgument(piece, label))
        return false;
    *answer = m_optionSource.answerObjectDictionary();
    return true;
}

bool FunctionCommand::evaluateFloatText(const QString &text, QString *value)
{
    QVariantMap answer;
    if (!evaluateExpression(text, &answer) || answerTypeOf(answer) != kAnswerFloat)
        return false;
    *value = QString::asprintf("%g", double(answer.value(RequestKey::answerObject).toFloat()));
    return true;
}

void FunctionCommand::setAnswer(const QVariantMap &answer)
{
    registerAnswerObjectDictionary(answer);
    m_optionSource.registerAnswerObjectDictionary(answer);
    m_answerType = answerTypeOf(answer);
    m_workingAnswerType = m_answerType;
}

bool FunctionCommand::loadingCodeCalculatingFormulaAtSource(const QString &text)
{
    m_calculatingFormula.initializationUserObject();
    if (!m_calculatingFormula.calculatingFormulaAtFunction(text))
        return false;
    // Nested evaluation reuses the evaluator, so the parse is kept aside.
    const QString first = m_calculatingFormula.firstStr();
    const QString firstCom = m_calculatingFormula.firstCom();
    const QString bottom = m_calculatingFormula.bottomStr();
    const QString bottomCom = m_calculatingFormula.bottomCom();
    if (first.isEmpty()) {
        QString value;
        if (firstCom.isEmpty() || !evaluateFloatText(firstCom, &value))
            return false;
        const QString next = MakingConversionMarker::answerCodeText(text, firstCom, value);
        // The filled-in text changes with every value: parsed for this use only.
        return !next.isNull() && loadingCodeDivideInTwo(kCodeCalculation, *m_parsed.piece(next, false));
    }
    QString second = bottom;
    if (bottom.isEmpty() && (bottomCom.isEmpty() || !evaluateFloatText(bottomCom, &second)))
        return false;
    m_calculatingFormula.initializationUserObject();
    m_calculatingFormula.calculatingFormulaAtFunction(text);
    m_calculatingFormula.registerBottomStr(second);
    setAnswer({{RequestKey::answerType, kAnswerFloat},
               {RequestKey::answerObject, QVariant::fromValue(m_calculatingFormula.answerCalculatingFormula())}});
    putObjectReferenceAnswerState(m_optionSource.referenceAnswerState());
    return true;
}

bool FunctionCommand::loadingCodeFunctionFormulaAtSource(const QString &text)
{
    return loadingCodeFunctionFormulaAtSource(*m_parsed.piece(text, true));
}

bool FunctionCommand::loadingCodeFunctionFormulaAtSource(ParsedCode &piece)
{
    // The formula stands for the piece's parse (what a reset and a parse of
    // the text leave). A kept piece outlives the run, so its parse is copied
    // over only when someone looks at the formula.
    if (piece.kept()) {
        m_functionFormulaPiece = &piece;
    } else {
        m_functionFormulaPiece = nullptr;
        m_functionFormula = piece.functionFormula();
    }
    if (!piece.functionAccepted())
        return false;
    const QString &text = piece.text();
    const FunctionFormula &formula = piece.functionFormula();
    const QString &children = formula.children();
    switch (formula.commandNumber()) {
    case FunctionFormula::kColumnTitle:
        return postRequest({{RequestKey::runCount, m_runCount}, {RequestKey::sourceTitle, m_optionSource.sourceTitle()},
                            {RequestKey::codeText, text}, {RequestKey::commandNumber, 1}, {RequestKey::answerType, kAnswerArray},
                            {RequestKey::answerObject, children}},
                           false);
    case FunctionFormula::kLibrary:
        return libraryFormulaAtFunction();
    case FunctionFormula::kUser: {
        if (!m_optionObjectSource.confirmReferenceUserDictionary())
            return false;
        const QVariant stored = m_optionObjectSource.referenceUserDictionary().value(children);
        if (stored.typeId() != QMetaType::QVariantMap || stored.toMap().isEmpty())
            return false;
        setAnswer(stored.toMap());
        return true;
    }
    case FunctionFormula::kCommand:
        return m_commands.run(piece);
    default:
        return false;
    }
}

bool FunctionCommand::loadingStringFunctionFormulaAtSource(const QString &text)
{
    return loadingStringFunctionFormulaAtSource(*m_parsed.piece(text, true));
}

bool FunctionCommand::loadingStringFunctionFormulaAtSource(ParsedCode &piece)
{
    QString result = piece.text();
    const QStringList groups = piece.groups();
    for (const QString &group : groups) {
        QVariantMap answer;
        if (!evaluateExpression(*m_parsed.groupPiece(piece, group), &answer))
            continue;
        QString value;
        const QVariant object = answer.value(RequestKey::answerObject);
        switch (answerTypeOf(answer)) {
        case kAnswerInteger: value = QString::number(InspectionCharacterString::integerValueOfObject(object)); break;
        case kAnswerString: value = object.toString(); break;
        default: continue;
        }
        const QString next = MakingConversionMarker::answerCodeText(result, group, value);
        if (!next.isNull())
            result = next;
    }
    if (m_budget->stopped())
        return false;
    m_stringFormula.initializationUserObject();
    m_stringFormula.registerCodeText(result);
    if (!m_stringFormula.analysisCharacterString())
        return false;
    setAnswer(m_stringFormula.answerObjectDictionary());
    // The groups' own answers went to the user reference as they arrived;
    // the finished text is the source's answer and must be what it keeps.
    putObjectReferenceAnswerState(m_optionSource.referenceAnswerState());
    return true;
}

bool FunctionCommand::libraryFormulaAtFunction()
{
    m_libraryFormula.initializationUserObject();
    if (!m_libraryFormula.registerCodeText(m_optionSource.codeText())
        || !m_libraryFormula.registerRequesLibraryCodeDictionary(m_optionSource.requesLibraryCodeDictionary()))
        return false;
    QVariantMap answer{{RequestKey::answerType, kAnswerString}};
    if (m_libraryFormula.libraryFormulaAtFunction()) {
        // The template is the result.
    } else if (m_libraryFormula.confirmRequesMarkertListDictionary() && libraryFormulaForMarkertList()) {
        answer.insert(RequestKey::answerType, kAnswerDictionary);
        answer.insert(kMarkerList, m_libraryFormula.requesMarkertListDictionary());
    }
    // No library title in the code gives no template: a failure, not an
    // empty answer.
    if (m_libraryFormula.makingResultString().isEmpty())
        return false;
    answer.insert(RequestKey::answerObject, m_libraryFormula.makingResultString());
    setAnswer(answer);
    putObjectReferenceAnswerState(m_optionSource.referenceAnswerState());
    return true;
}

bool FunctionCommand::libraryFormulaForMarkertList()
{
    // Marker texts may use the library again, which resets the evaluator:
    // work on copies and put the filled list back at the end.
    const QString code = m_libraryFormula.codeText();
    const QString result = m_libraryFormula.makingResultString();
    const QVariantMap library = m_libraryFormula.requesLibraryCodeDictionary();
    const QVariantMap markers = m_libraryFormula.requesMarkertListDictionary();
    QVariantMap filled = markers;
    for (auto it = markers.cbegin(); it != markers.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            continue;
        const QString text = it.value().toString();
        QVariantMap answer;
        if (!evaluateExpression(text, &answer))
            continue;
        const QVariant object = answer.value(RequestKey::answerObject);
        if (!object.isValid())
            return false;
        filled.insert(it.key(), object);
    }
    m_libraryFormula.initializationUserObject();
    m_libraryFormula.registerCodeText(code);
    m_libraryFormula.registerRequesLibraryCodeDictionary(library);
    m_libraryFormula.registerMakingResultString(result);
    m_libraryFormula.registerRequesMarkertListDictionary(filled);
    return !m_budget->stopped();
}

bool FunctionCommand::commandReadFormulaAtSource(const QString &text)
{
    return m_commands.readFormula(*m_parsed.piece(text, true));
}

void FunctionCommand::clearAnswer()
{
    m_answerObjectDictionary.clear();
    m_optionSource.registerAnswerObjectDictionary({});
    m_answerType = 0;
    m_workingAnswerType = 0;
}

bool FunctionCommand::confirmMainLoopFunctionAtCode(const QString &text)
{
    if (text.isEmpty())
        return false;
    m_mainLoopFunction.initializationUserObject();
    m_mainLoopFunction.setRegister_loopStartCount(m_runCount);
    if (!m_mainLoopFunction.registerCodeText(text) || !m_mainLoopFunction.confirmMainLoopFunction())
        return false;
    struct Value
    {
        QString command;
        void (MainLoopFunction::*store)(qint32);
    };
    const Value values[] = {{m_mainLoopFunction.loopStartCommand(), &MainLoopFunction::registerLoopStart},
                            {m_mainLoopFunction.loopCountCommand(), &MainLoopFunction::registerLoopCount},
                            {m_mainLoopFunction.loopStepCommand(), &MainLoopFunction::registerLoopStep}};
    for (const Value &value : values) {
        QVariantMap answer;
        if (value.command.isEmpty() || !evaluateExpression(value.command, &answer))
            continue;
        const qint32 type = answerTypeOf(answer);
        if (type == kAnswerInteger || type == kAnswerString)
            (m_mainLoopFunction.*value.store)(InspectionCharacterString::integerValueOfObject(answer.value(RequestKey::answerObject)));
    }
    // Passes are counted from the loop's own start value.
    m_mainLoopFunction.setRegister_loopRunCount(0);
    return true;
}

bool FunctionCommand::postRequest(QVariantMap &request, bool comesBackUnchanged)
{
    // A request nobody answers must not leave the previous piece's answer
    // looking like this one's.
    if (m_cachesFolderID != 0)
        request.insert(RequestKey::cachesFolderID, m_cachesFolderID);
    return sendRequest(request, comesBackUnchanged);
}

bool FunctionCommand::sendRequest(const QVariantMap &request, bool comesBackUnchanged)
{
    clearAnswer();
    if (m_requestHandler) {
        if (const std::optional<QVariantMap> answer = m_requestHandler->answerScriptRequest(request)) {
            answerFunctionSourceDictionary(*answer);
            return true;
        }
    } else if (m_channel.post(request)) {
        return true;
    }
    if (!comesBackUnchanged)
        return false;
    answerFunctionSourceDictionary(request);
    return true;
}

void FunctionCommand::answerFunctionSourceDictionaryOfTheNotification(const QVariant &object)
{
    answerFunctionSourceDictionary(object.typeId() == QMetaType::QVariantMap ? object.toMap() : QVariantMap());
}

void FunctionCommand::answerFunctionSourceDictionary(const QVariantMap &answer, std::optional<qint32> type)
{
    ErrorLog::guardedVoid(lcScript(), kClassWords, u"answerFunctionSourceDictionaryOfTheNotification", [&] {
        registerAnswerObjectDictionary(answer);
        if (m_optionSource.registerAnswerObjectDictionary(answer)) {
            m_answerType = type ? *type : answerTypeOf(answer);
            m_workingAnswerType = m_answerType;
            putObjectReferenceAnswerState(m_optionSource.referenceAnswerState());
        } else {
            m_workingAnswerType = 0;
            putObjectReferenceAnswerState(0);
        }
    });
}

bool FunctionCommand::putObjectReferenceAnswerState(qint32 state)
{
    if (state != OptionSource::kReferenceUser)
        return true;
    return m_optionObjectSource.setReferenceUserObject(m_optionSource.answerObjectDictionary(),
                                                       m_optionSource.answerTitle());
}

QString FunctionCommand::logText() const
{
    QStringList lines;
    lines << u"** FunctionCommand logText START **"_s
          << (m_practiceState ? u"** automatic **"_s : u"** manual **"_s)
          << u"** middleOfProcessing %1 **"_s.arg(yesNo(m_middleOfProcessing))
          << u"answerType:%1"_s.arg(m_answerType)
          << u"answerObjectDictionary:"_s + OptionSource::logValue(m_answerObjectDictionary)
          << u"** FunctionCommand logText END **"_s;
    return lines.join(u'\n');
}
