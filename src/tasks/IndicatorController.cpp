#include "IndicatorController.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "tasks/ProgressPanel.h"
#include "tasks/TaskRunner.h"

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include "platform/NotificationName.h"

IndicatorController &IndicatorController::sharedController()
{
    // Kept for the whole run and never destroyed, so that exit never blocks
    // on a stuck worker; the application waits for its tasks at shutdown
    // through taskRunner().waitForAll().
    static IndicatorController *const controller = [] {
        auto *made = new IndicatorController(NotificationCenter::defaultCenter());
        // Its reports must be queued to the main thread whoever asks first.
        if (QCoreApplication *app = QCoreApplication::instance(); app && made->thread() != app->thread())
            made->moveToThread(app->thread());
        return made;
    }();
    return *controller;
}

IndicatorController::IndicatorController(NotificationCenter &center, ProgressPanel *panel,
                                         QObject *parent)
    : QObject(parent)
    , m_center(center)
    , m_panel(panel)
{
    for (const QString &name : stepNotificationNames())
        m_center.addObserver(name, this, [this](const Notification &n) { indicatorStepNotif(n); });
}

IndicatorController::~IndicatorController()
{
    m_center.removeObserver(this);
    // Running workers may still post; they are waited for before the model
    // goes, and their reports are no longer delivered here.
    m_indicatorSource.taskRunner().waitForAll(-1);
}

const QStringList &IndicatorController::stepNotificationNames()
{
    static const QStringList names = {
        NotificationName::notifIndicatorStepOfSave,
        NotificationName::notifIndicatorStepOfLoading,
        NotificationName::notifIndicatorStepOfConversion,
        NotificationName::notifIndicatorStepOfWriting,
        NotificationName::notifIndicatorStepOfReading,
        NotificationName::notifIndicatorStepOfSearch,
        NotificationName::notifIndicatorStepOfOutput,
        NotificationName::notifIndicatorStepOfChangeTitle,
    };
    return names;
}

TaskRunner &IndicatorController::taskRunner()
{
    return m_indicatorSource.taskRunner();
}

void IndicatorController::setProgressPanel(ProgressPanel *panel)
{
    m_panel = panel;
}

QString IndicatorController::percentText(double count)
{
    return QString::asprintf("%.1f %%", count);
}

void IndicatorController::initializationUserObject()
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"initializationUserObject", [&] {
        m_indicatorSource.initializationUserObject();
        if (m_panel)
            m_panel->setIndeterminate(true);
    });
}

bool IndicatorController::selfIndicator(const QVariantMap &task)
{
    return ErrorLog::guarded(lcTasks(), u"Indicator Controller", u"selfIndicator", false, [&] {
        initializationUserObject();
        if (!m_indicatorSource.targetedWorkAtObject(task))
            return false;
        if (m_panel)
            m_panel->setTitle(m_indicatorSource.panelTitle());
        return true;
    });
}

void IndicatorController::openPanel(QObject *windowOrNull)
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"openPanel", [&] {
        m_panelState = windowOrNull != nullptr;
        m_sheetShown = m_panelState;
        if (m_panel) {
            if (windowOrNull)
                m_panel->showAsSheet(windowOrNull);
            else
                m_panel->showFree();
        }
        reloadObject();
    });
}

void IndicatorController::closeCommand()
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"closeCommand", [&] {
        // Only a sheet still on screen is ended, so one Cancel (or one
        // closing step) ends it once.
        if (m_panelState && m_sheetShown) {
            sheetDidEnd(kSheetReturnCode);
            return;
        }
        if (m_panel)
            m_panel->close();
    });
}

void IndicatorController::cancelButtonAction()
{
    closeCommand();
}

void IndicatorController::sheetDidEnd(int returnCode)
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"sheetDidEnd", [&] {
        m_sheetShown = false;
        if (m_panel)
            m_panel->close();
        if (returnCode == kSheetReturnCode && m_indicatorSource.indicatorTargeted() == kImportTask)
            m_center.post(NotificationName::notifCancelStepOfConversion);
    });
}

void IndicatorController::indicatorStepNotif(const Notification &notification)
{
    // The payload is the object; anything but a report dictionary is ignored.
    if (!notification.object.canConvert<QVariantMap>())
        return;
    indicatorStep(notification.object.toMap());
}

void IndicatorController::indicatorStep(const QVariantMap &report)
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"indicatorStep", [&] {
        m_indicatorSource.indicatorAtStep(report.value(QStringLiteral("step")).toInt(),
                                          report.value(QStringLiteral("count")).toDouble(),
                                          report.value(QStringLiteral("message")).toString());
        reloadObject();
    });
}

void IndicatorController::reloadObject()
{
    ErrorLog::guardedVoid(lcTasks(), u"Indicator Controller", u"reloadObject", [&] {
        m_indicatorSource.indicatorAtStep();
        double count = m_indicatorSource.indicatorCount();
        // Reports come from other subsystems; keep the bar in its range.
        if (!std::isfinite(count) || count < 0.0)
            count = 0.0;
        else if (count > 100.0)
            count = 100.0;
        if (m_panel) {
            m_panel->setIndeterminate(count == 0.0);
            m_panel->setValue(count);
            m_panel->setPercentText(percentText(count));
            m_panel->setComment(m_indicatorSource.commentText());
        }
        if (m_indicatorSource.closeState())
            closeCommand();
    });
}
