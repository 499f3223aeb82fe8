#include "OptionRunDriver.h"

#include "FunctionCommand.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

OptionRunDriver::OptionRunDriver() = default;

OptionRunDriver::OptionRunDriver(Options options)
    : m_options(std::move(options))
{
}

bool OptionRunDriver::goAhead(qint32 index, const OptionSource &source) const
{
    if (m_options.manualSourceGoAhead)
        return m_options.manualSourceGoAhead(index, source);
    return m_options.runManualSources;
}

OptionRunDriver::Result OptionRunDriver::run(const OptionObjectSource &options, ScriptRequestHandler *handler)
{
    Result result;
    const bool ran = ErrorLog::guarded(lcScript(), u"OptionRunDriver", u"run", false, [&] {
        m_budget.setLimits(m_options.limits);
        m_budget.reset();
        // A fresh interpreter per run: no loop or command state carries over.
        FunctionCommand command(m_options.center);
        command.setBudget(&m_budget);
        command.registerCachesFolderID(m_options.cachesFolderID);
        command.setUrlLimits(m_options.urlLimits);
        command.setRequestHandler(handler);
        command.optionObjectSource()->setTheEnvironmentalAtDecoder(&options);
        command.setRegister_runCount(0);
        command.register_commandCount();

        const auto fail = [&](qint32 index, const QString &title, const QString &reason) {
            result.failedSourceIndex = index;
            result.failedSourceTitle = title;
            result.optionObjectSource = *command.optionObjectSource();
            result.errorText = index < 0 ? reason : u"source %1 \"%2\": %3"_s.arg(index).arg(title, reason);
            return false;
        };

        while (command._runCount() < command._commandCount()) {
            const qint32 index = command._runCount();
            // Every source run costs a step, so a loop's back-edge is checked here.
            if (!m_budget.spendStep())
                return fail(index, options.optionSourceArray().value(index).sourceTitle(), m_budget.stopText());
            if (!command.getDevelopSourceAtRow(index))
                break;
            const QString title = command.optionSource()->sourceTitle();
            if (!command.practiceState() && !goAhead(index, *command.optionSource())) {
                result.answers.append({index, title, true, 0, {}});
                command.register_runCount();
                continue;
            }
            const bool ok = command.loadingForFunctionCommand();
            if (m_budget.stopped())
                return fail(index, title, m_budget.stopText());
            if (!ok) {
                result.failedCodeText = command.failedCodeText();
                const QString piece = result.failedCodeText.isEmpty() ? command.optionSource()->codeText()
                                                                       : result.failedCodeText;
                const QString why = command.failureReason();
                return fail(index, title, why.isEmpty() ? u"the code \"%1\" failed"_s.arg(piece)
                                                        : u"the code \"%1\" failed: %2"_s.arg(piece, why));
            }
            const QVariantMap &answer = command.optionSource()->answerObjectDictionary();
            result.answers.append({index, title, false, command.workingAnswerType(), answer.value(RequestKey::answerObject)});
            if (command.loopPassEnded()) {
                command.mainLoopFunction()->register_loopRunCount();
                command.mainLoopFunction()->stepWorkLoopCount();
            }
            command.register_runCount();
        }
        result.optionObjectSource = *command.optionObjectSource();
        return true;
    });
    if (!ran && result.errorText.isEmpty())
        result.errorText = u"the run stopped on an internal error"_s;
    result.success = ran;
    result.stepsUsed = m_budget.stepsUsed();
    return result;
}
