#pragma once

#include "OptionObjectSource.h"
#include "ScriptBudget.h"
#include "script/UrlFetcher.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class NotificationCenter;
class ScriptRequestHandler;

// Runs the sources of an option in order, from the first: each source is
// loaded and run once, loops send the run back to their start, and the loop
// counters advance once per pass, after the pass's end text. Automatic
// sources run by themselves; a manual one runs only with the caller's
// go-ahead. The first failing source ends the run.
//
// The document's data is reached through the interpreter's requests, so the
// responding document must observe them on the thread that calls run(), or
// be handed to run() to answer them directly.
class OptionRunDriver
{
public:
    struct Options
    {
        // Asked before each manual source; when unset, runManualSources decides.
        std::function<bool(qint32 index, const OptionSource &source)> manualSourceGoAhead;
        bool runManualSources = false;
        // Only the document with this number answers; 0 lets any answer.
        qint32 cachesFolderID = 0;
        ScriptBudget::Limits limits;
        UrlFetcher::Limits urlLimits;
        // Null means the default centre.
        NotificationCenter *center = nullptr;
    };

    // One run of one source (a source inside a loop is reported per pass).
    struct SourceAnswer
    {
        qint32 index = 0;
        QString sourceTitle;
        bool skipped = false; // a manual source without go-ahead
        qint32 answerType = 0;
        QVariant answerObject;
    };

    struct Result
    {
        bool success = false;
        QString errorText;
        // The failing source and the innermost piece of its code that failed.
        qint32 failedSourceIndex = -1;
        QString failedSourceTitle;
        QString failedCodeText;
        QList<SourceAnswer> answers;
        qint64 stepsUsed = 0;
        // The option set as the run left it (user references stored by it).
        OptionObjectSource optionObjectSource;
    };

    OptionRunDriver();
    explicit OptionRunDriver(Options options);

    // `handler`, when given, answers every request (not owned).
    Result run(const OptionObjectSource &options, ScriptRequestHandler *handler = nullptr);

    // Safe from any thread; ends the current run at its next step, and every
    // later run at once.
    void cancel() { m_budget.cancel(); }

private:
    bool goAhead(qint32 index, const OptionSource &source) const;

    Options m_options;
    ScriptBudget m_budget;
};

// A loop reports every pass, so a run may answer millions of these.
Q_DECLARE_TYPEINFO(OptionRunDriver::SourceAnswer, Q_RELOCATABLE_TYPE);
