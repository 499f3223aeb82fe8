#include "IndicatorSource.h"

#include "platform/ErrorLog.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "tasks/TaskRunner.h"

#include <algorithm>
#include <array>
#include <iterator>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

namespace {

// How a step's comment is composed from its keys' texts and the message.
enum class Compose {
    Empty,           // ""
    Text,            // text(key)
    TextLineMessage, // "%@\n%@": text(key), message
    MessageText,     // "%@%@": message, text(key)
    TextMessage,     // "%@%@": text(key), message
    TextMessageText, // "%@%@%@": text(key), message, text(key2)
    Spaced,          // "%@ %@ %@": text(key), message, text(key2)
};

struct StepRule
{
    int step;
    Compose compose;
    QStringView key;
    QStringView key2;
    bool closes;
};

// Sorted by step for the binary search below.
constexpr StepRule kStepRules[] = {
    {10101, Compose::Text, u"10101Uptake", {}, false},
    {10102, Compose::Text, u"10102Uptake", {}, false},
    {10103, Compose::Text, u"10103Uptake", {}, false},
    {10104, Compose::Text, u"10104Uptake", {}, false},
    {10105, Compose::Text, u"10105Uptake", {}, false},
    {10109, Compose::Empty, {}, {}, true},
    {20201, Compose::Text, u"20201Uptake", {}, false},
    {20202, Compose::Text, u"20202Uptake", {}, false},
    {20203, Compose::Text, u"20203Uptake", {}, false},
    {20204, Compose::Text, u"20204Uptake", {}, false},
    {20205, Compose::Text, u"20205Uptake", {}, false},
    {24001, Compose::Text, u"24001Uptake", {}, false},
    {24002, Compose::TextLineMessage, u"24002Uptake", {}, false},
    {24003, Compose::TextLineMessage, u"24003Uptake", {}, false},
    {24006, Compose::Text, u"24006Uptake", {}, false},
    {24007, Compose::Text, u"24007Uptake", {}, false},
    {24008, Compose::Text, u"24008Uptake", {}, false},
    {24009, Compose::Text, u"24009Uptake", {}, false},
    {24010, Compose::Text, u"24010Uptake", {}, true},
    {24098, Compose::Text, u"24098Uptake", {}, false},
    {24099, Compose::Text, u"24099Uptake", {}, false},
    {24401, Compose::MessageText, u"24401Uptake", {}, false},
    {24402, Compose::MessageText, u"24402Uptake", {}, false},
    {24403, Compose::MessageText, u"24403Uptake", {}, false},
    {24404, Compose::TextMessageText, u"24404Uptake01", u"24404Uptake02", false},
    {24405, Compose::MessageText, u"24405Uptake", {}, true},
    {24406, Compose::MessageText, u"24406Uptake", {}, false},
    {71000, Compose::Text, u"71000Uptake", {}, false},
    {71001, Compose::TextMessage, u"71001Uptake", {}, false},
    {71002, Compose::TextMessage, u"71002Uptake", {}, false},
    {71003, Compose::Text, u"71003Uptake", {}, true},
    {71500, Compose::Text, u"71500Uptake", {}, false},
    {71501, Compose::Spaced, u"71501Uptake01", u"71501Uptake02", false},
    {71502, Compose::Spaced, u"71501Uptake01", u"71502Uptake", false},
    {71503, Compose::Spaced, u"71501Uptake01", u"71503Uptake", false},
    {71504, Compose::Empty, {}, {}, true},
    {71505, Compose::Text, u"71505Uptake", {}, false},
    {93201, Compose::Text, u"93201Uptake", {}, false},
    {93202, Compose::Text, u"93202Uptake", {}, false},
    {93203, Compose::Text, u"93203Uptake", {}, false},
    {93204, Compose::Text, u"93204Uptake", {}, true},
    {93301, Compose::Text, u"93301Uptake", {}, false},
    {93302, Compose::Text, u"93302Uptake", {}, false},
    {93303, Compose::Text, u"93303Uptake", {}, false},
    {93304, Compose::Text, u"93304Uptake", {}, true},
    {93305, Compose::Text, u"93305Uptake", {}, false},
    {93401, Compose::Text, u"93401Uptake", {}, false},
    {93402, Compose::Text, u"93402Uptake", {}, false},
    {93403, Compose::Text, u"93403Uptake", {}, false},
    {93404, Compose::Text, u"93404Uptake", {}, true},
    {93405, Compose::Text, u"93405Uptake", {}, false},
    {93601, Compose::Text, u"93601Uptake", {}, false},
    {93602, Compose::Text, u"93602Uptake", {}, false},
    {93603, Compose::Text, u"93603Uptake", {}, false},
    {93604, Compose::Text, u"93604Uptake", {}, true},
    {93605, Compose::Text, u"93605Uptake", {}, false},
};

static_assert(std::is_sorted(std::begin(kStepRules), std::end(kStepRules),
                             [](const StepRule &a, const StepRule &b) { return a.step < b.step; }));

const StepRule *stepRule(int step)
{
    const auto it = std::lower_bound(std::begin(kStepRules), std::end(kStepRules), step,
                                     [](const StepRule &rule, int value) { return rule.step < value; });
    return it != std::end(kStepRules) && it->step == step ? it : nullptr;
}

// The first report's message, taken from the task when it names one.
enum class FirstMessage { None, Source, SearchTitle, Empty };

struct TaskRule
{
    int code;
    int firstStep; // 0: no first step
    FirstMessage firstMessage;
    QStringView titleKey;
    QStringView threadEntry; // empty: the caller does the work itself
};

constexpr TaskRule kTaskRules[] = {
    {101, 10101, FirstMessage::Source, u"0101Title", u"threadOpenWorkWrapperFileObject"},
    {202, 20201, FirstMessage::Source, u"0202Title", u"threadSaveWorkWrapperFileObject"},
    {240, 0, FirstMessage::None, u"0240Title", u"threadImportConverterFileObject"},
    {242, 0, FirstMessage::None, u"0242Title", u"threadWritePanelFileWorkIndicator"},
    {243, 93201, FirstMessage::Source, u"0243Title", u"threadReadingPanelFileWorkIndicator"},
    {244, 24401, FirstMessage::SearchTitle, u"0244Title", u"threadSearchPanelFileWorkIndicator"},
    {264, 0, FirstMessage::None, u"0264Title", u"threadChangeTitleWorkIndicator"},
    {710, 71000, FirstMessage::Empty, u"0710Title", {}},
    {715, 71500, FirstMessage::Empty, u"0715Title", u"threadOutputConverterFileWorkIndicator"},
};

const TaskRule *taskRule(int code)
{
    const auto it = std::find_if(std::begin(kTaskRules), std::end(kTaskRules),
                                 [code](const TaskRule &rule) { return rule.code == code; });
    return it != std::end(kTaskRules) ? it : nullptr;
}

QString stepText(QStringView key)
{
    return Localization::textOrEmpty(Localization::kIndicatorTable, key.toString());
}

} // namespace

IndicatorSource::IndicatorSource() = default;

IndicatorSource::~IndicatorSource() = default;

void IndicatorSource::initializationUserObject()
{
    // The title and message go too, so that a new task never shows the
    // previous task's leftovers.
    m_panelTitle.clear();
    m_indicatorTargeted = 0;
    m_indicatorStep = 0;
    m_indicatorCount = 0.0;
    m_indicatorMessage.clear();
    m_commentText.clear();
    m_closeState = false;
}

bool IndicatorSource::registerPanelTitle(const QString &title)
{
    m_panelTitle = title.isEmpty() ? QString() : title;
    return !m_panelTitle.isEmpty();
}

void IndicatorSource::registerIndicatorTargeted(int code)
{
    m_indicatorTargeted = code;
}

void IndicatorSource::registerIndicatorStep(int step)
{
    m_indicatorStep = step;
}

void IndicatorSource::registerIndicatorCount(double count)
{
    m_indicatorCount = count;
}

bool IndicatorSource::registerIndicatorMessage(const QString &message)
{
    m_indicatorMessage = message.isEmpty() ? QString() : message;
    return !m_indicatorMessage.isEmpty();
}

bool IndicatorSource::registerCommentText(const QString &comment)
{
    m_commentText = comment.isEmpty() ? QString() : comment;
    return !m_commentText.isEmpty();
}

void IndicatorSource::registerCloseState(bool state)
{
    m_closeState = state;
}

bool IndicatorSource::confirmPanelTitle() const
{
    return !m_panelTitle.isEmpty();
}

bool IndicatorSource::confirmIndicatorMessage() const
{
    return !m_indicatorMessage.isEmpty();
}

bool IndicatorSource::confirmCommentText() const
{
    return !m_commentText.isEmpty();
}

void IndicatorSource::indicatorAtStep(int step, double count, const QString &message)
{
    registerIndicatorStep(step);
    registerIndicatorCount(count);
    registerIndicatorMessage(message);
}

void IndicatorSource::indicatorAtStep()
{
    const StepRule *rule = stepRule(m_indicatorStep);
    if (!rule)
        return;
    const QString &message = m_indicatorMessage;
    QString comment;
    switch (rule->compose) {
    case Compose::Empty:
        break;
    case Compose::Text:
        comment = stepText(rule->key);
        break;
    case Compose::TextLineMessage:
        comment = stepText(rule->key) + QLatin1Char('\n') + message;
        break;
    case Compose::MessageText:
        comment = message + stepText(rule->key);
        break;
    case Compose::TextMessage:
        comment = stepText(rule->key) + message;
        break;
    case Compose::TextMessageText:
        comment = stepText(rule->key) + message + stepText(rule->key2);
        break;
    case Compose::Spaced:
        comment = stepText(rule->key) + QLatin1Char(' ') + message + QLatin1Char(' ')
                  + stepText(rule->key2);
        break;
    }
    registerCommentText(comment);
    registerCloseState(rule->closes);
}

bool IndicatorSource::targetedWorkAtObject(const QVariantMap &task)
{
    if (task.isEmpty())
        return false;
    const int code = task.value(RequestKey::targeted).toInt();
    try {
        registerIndicatorTargeted(code);
        const TaskRule *rule = taskRule(code);
        if (!rule)
            return true;

        // Decided before the worker can change what the rule looks at.
        const bool showPanel = taskRunner().showsPanel(code, task);

        switch (rule->firstMessage) {
        case FirstMessage::None:
            break;
        case FirstMessage::Source:
            indicatorAtStep(rule->firstStep, 0.0, QStringLiteral("Source"));
            break;
        case FirstMessage::SearchTitle:
            indicatorAtStep(rule->firstStep, 0.0,
                            task.value(QStringLiteral("searchObjectTitle")).toString());
            break;
        case FirstMessage::Empty:
            indicatorAtStep(rule->firstStep, 0.0, QString());
            break;
        }
        registerPanelTitle(Localization::textOrKey(Localization::kMainTable, rule->titleKey.toString()));

        if (!rule->threadEntry.isEmpty())
            taskRunner().start(code, rule->threadEntry.toString(), task);
        return showPanel;
    } catch (...) {
        if (code == TaskCode::savePackage)
            ErrorLog::err(lcTasks(), u"IndicatorSource", u"targetedWorkAtObject:202",
                          ErrorLog::currentExceptionName());
        else
            ErrorLog::err(lcTasks(), u"Indicator Source", u"targetedWorkAtObject",
                          ErrorLog::currentExceptionName());
        return false;
    }
}

TaskRunner &IndicatorSource::taskRunner()
{
    if (!m_taskRunner)
        m_taskRunner = std::make_unique<TaskRunner>();
    return *m_taskRunner;
}
