#pragma once

#include "CalculatingFormula.h"
#include "CommandFormula.h"
#include "FunctionFormula.h"
#include "LibraryFormula.h"
#include "MainLoopFunction.h"
#include "OptionObjectSource.h"
#include "OptionSource.h"
#include "ParsedCodeCache.h"
#include "ScriptBudget.h"
#include "ScriptCommandHandlers.h"
#include "ScriptRequestChannel.h"
#include "StringFormula.h"
#include "script/UrlFetcher.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <vector>
#include "platform/NotificationName.h"

class ImportURLWorkFormula;
class NotificationCenter;
class ScriptRequestHandler;

// Runs the code text of an option's sources, one piece at a time: "=" starts
// a calculation, "[" a function marker, anything else a text template. The
// answer of the last piece is left in the working source.
//
// The document's data is reached only through a synchronous request: the
// interpreter posts "developFunctionSourceDictionaryNotif" with a request
// dictionary and takes the answer the document posts back as
// "answerFunctionSourceDictionaryNotif" while its own post is still running,
// on its own thread. Answers meant for other interpreters, or posted on other
// threads, are ignored. A request names the document's cachesFolderID when
// one was registered.
//
// A run that owns its responder hands it the requests directly instead
// (setRequestHandler()); the dictionaries are the same.
//
// Every evaluation spends a step of the budget and holds a level of nesting
// for its duration; once the budget stops (steps, depth, URL reads, cancel)
// every evaluation fails and the run unwinds.
class FunctionCommand
{
public:
    static inline const QString kDevelopNotification = NotificationName::developFunctionSourceDictionaryNotif;
    static inline const QString kAnswerNotification = NotificationName::answerFunctionSourceDictionaryNotif;

    // Answer type codes.
    static constexpr qint32 kAnswerInteger = 1;
    static constexpr qint32 kAnswerFloat = 2;
    static constexpr qint32 kAnswerString = 4;
    static constexpr qint32 kAnswerImage = 5;
    static constexpr qint32 kAnswerArray = 7;
    static constexpr qint32 kAnswerDictionary = 8;

    // Kinds of a piece of code.
    static constexpr qint32 kCodeNone = 0;
    static constexpr qint32 kCodeCalculation = 1;
    static constexpr qint32 kCodeFunction = 2;
    static constexpr qint32 kCodeTemplate = 3;

    // Observes answers from the moment it exists; null means the default centre.
    explicit FunctionCommand(NotificationCenter *center = nullptr);
    ~FunctionCommand();
    FunctionCommand(const FunctionCommand &) = delete;
    FunctionCommand &operator=(const FunctionCommand &) = delete;

    // Counters, flags and the answer type back to zero; the loop state and
    // the calculating, function and library evaluators reset.
    void initializationUserObject();

    // The signatures the editor offers; rebuilt on every read.
    QStringList requestReferenceListArray() const;
    QStringList answerReferenceListArray() const;

    OptionObjectSource *optionObjectSource() { return &m_optionObjectSource; }
    OptionSource *optionSource() { return &m_optionSource; }
    bool practiceState() const { return m_practiceState; }
    void registerPracticeState(bool state) { m_practiceState = state; }
    MainLoopFunction *mainLoopFunction() { return &m_mainLoopFunction; }
    FunctionFormula *functionFormula();
    CalculatingFormula *calculatingFormula() { return &m_calculatingFormula; }
    LibraryFormula *libraryFormula() { return &m_libraryFormula; }
    CommandFormula *commandFormula() { return &m_commandFormula; }
    StringFormula *stringFormula() { return &m_stringFormula; }
    ImportURLWorkFormula *importURLWorkFormula();

    bool middleOfProcessing() const { return m_middleOfProcessing; }
    void registerMiddleOfProcessing(bool state) { m_middleOfProcessing = state; }
    qint32 answerType() const { return m_answerType; }
    void registerAnswerType(qint32 type) { m_answerType = type; }
    const QVariantMap &answerObjectDictionary() const { return m_answerObjectDictionary; }
    // The "answerType" of the working source's answer after a piece of code
    // ran, without looking it up in the dictionary.
    qint32 workingAnswerType() const { return m_workingAnswerType; }
    bool registerAnswerObjectDictionary(const QVariantMap &value);
    bool confirmAnswerObjectDictionary() const { return !m_answerObjectDictionary.isEmpty(); }

    qint32 _commandCount() const { return m_commandCount; }
    void register_commandCount();
    qint32 _runCount() const { return m_runCount; }
    void register_runCount();
    void setRegister_runCount(qint32 value) { m_runCount = value; }

    // Run limits and routing.
    ScriptBudget *budget() { return m_budget; }
    // Not owned; null goes back to the interpreter's own budget.
    void setBudget(ScriptBudget *budget);
    qint32 cachesFolderID() const { return m_cachesFolderID; }
    // 0 sends requests to every document.
    void registerCachesFolderID(qint32 identifier) { m_cachesFolderID = identifier; }
    void setUrlLimits(const UrlFetcher::Limits &limits) { m_urlLimits = limits; }
    // Not owned; null posts the requests as notifications.
    void setRequestHandler(ScriptRequestHandler *handler) { m_requestHandler = handler; }

    // Copies the source at the row into the working source; false past the end.
    bool getDevelopSourceAtRow(qint32 row);
    // Runs the code text of the source at _runCount once; inside a loop, an
    // end text sends _runCount back to the loop's start while passes remain.
    bool loadingForFunctionCommand();
    // Whether the last loadingForFunctionCommand() handled a loop's end text
    // (the run driver advances the loop counters then).
    bool loopPassEnded() const { return m_loopPassEnded; }
    // The innermost piece of code of the last failure, "" after a success.
    const QString &failedCodeText() const { return m_failedCodeText; }
    // Why a URL read of the failing piece failed (refused, timed out, HTTP
    // status, scheme not allowed, over the size cap, ...); empty otherwise.
    const QString &failureReason() const { return m_failureReason; }

    static qint32 codeDivideInTwoAtSource(const QString &text);
    bool loadingCodeDivideInTwo(qint32 kind, const QString &text);
    bool loadingCodeCalculatingFormulaAtSource(const QString &text);
    bool loadingCodeFunctionFormulaAtSource(const QString &text);
    bool loadingStringFunctionFormulaAtSource(const QString &text);
    bool libraryFormulaAtFunction();
    bool libraryFormulaForMarkertList();
    bool commandReadFormulaAtSource(const QString &text);
    bool confirmMainLoopFunctionAtCode(const QString &text);

    // What the answer observer does with a notification's object.
    void answerFunctionSourceDictionaryOfTheNotification(const QVariant &object);
    // Answer state 2632 stores the working source's answer as a user reference.
    bool putObjectReferenceAnswerState(qint32 state);

    QString logText() const;

private:
    friend class ScriptCommandHandlers;
    using Label = ParsedCode::Label;

    bool loadingCodeDivideInTwo(qint32 kind, ParsedCode &piece);
    bool loadingCodeFunctionFormulaAtSource(ParsedCode &piece);
    bool loadingStringFunctionFormulaAtSource(ParsedCode &piece);

    bool evaluateExpression(const QString &text, QVariantMap *answer);
    bool evaluateExpression(ParsedCode &piece, QVariantMap *answer);
    // Evaluates the command's argument under `label`; false when it is empty.
    bool evaluateArgument(ParsedCode &piece, Label label, QVariantMap *answer);
    // Runs the command's argument under `label`; false when it is empty.
    bool runArgument(ParsedCode &piece, Label label);
    // The same for a caller that wants only the answer's object and type.
    bool evaluateArgumentObject(ParsedCode &piece, Label label, QVariant *object, qint32 *type);
    bool evaluateFloatText(const QString &text, QString *value);
    void clearAnswer();
    // Posts the request; true when an answer arrived. A request the document
    // would hand back unchanged is taken as its own answer when nobody answers.
    bool postRequest(QVariantMap &request, bool comesBackUnchanged);
    bool postRequest(QVariantMap &&request, bool comesBackUnchanged) { return postRequest(request, comesBackUnchanged); }
    // postRequest() for a request that already names the document.
    bool sendRequest(const QVariantMap &request, bool comesBackUnchanged);
    // `type` is the answer's "answerType" when the caller knows it.
    void answerFunctionSourceDictionary(const QVariantMap &answer, std::optional<qint32> type = std::nullopt);
    void setAnswer(const QVariantMap &answer);
    // m_optionSource := source, for the source at `row`.
    void adoptWorkingSource(qint32 row, const OptionSource &source);

    ScriptRequestChannel m_channel;

    OptionObjectSource m_optionObjectSource;
    OptionSource m_optionSource;
    bool m_practiceState = false;
    MainLoopFunction m_mainLoopFunction;
    FunctionFormula m_functionFormula;
    // The kept piece whose parse m_functionFormula stands for, until read.
    ParsedCode *m_functionFormulaPiece = nullptr;
    CalculatingFormula m_calculatingFormula;
    LibraryFormula m_libraryFormula;
    CommandFormula m_commandFormula;
    StringFormula m_stringFormula;
    std::unique_ptr<ImportURLWorkFormula> m_importURLWorkFormula;
    bool m_middleOfProcessing = false;
    qint32 m_answerType = 0;
    QVariantMap m_answerObjectDictionary;
    // The type of the working source's answer as last registered here, so
    // a caller need not look it up again.
    qint32 m_workingAnswerType = 0;
    qint32 m_commandCount = 0;
    qint32 m_runCount = 0;

    static constexpr qint32 kMaxWorkingCopies = 1024;
    std::vector<OptionSource> m_workingCopies;
    // The source whose parked copy m_optionSource is; -1 for none.
    qint32 m_workingIndex = -1;
    ParsedCodeCache m_parsed;
    ScriptRequestHandler *m_requestHandler = nullptr;
    ScriptBudget m_ownBudget;
    ScriptBudget *m_budget = &m_ownBudget;
    qint32 m_cachesFolderID = 0;
    UrlFetcher::Limits m_urlLimits;
    bool m_loopPassEnded = false;
    QString m_failedCodeText;
    QString m_failureReason;
    ScriptCommandHandlers m_commands{*this};
};
