#pragma once

#include "tasks/IndicatorSource.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

class NotificationCenter;
struct Notification;
class ProgressPanel;
class TaskRunner;

// The shared progress controller: hands tasks to the model, drives the
// progress panel from the reported steps, and turns Cancel into the import's
// cancel notification. Lives on the main thread; worker reports reach it
// queued onto that thread, in the order they were posted.
class IndicatorController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSheetReturnCode = 129;
    static constexpr int kImportTask = 240;

    // Made on first use, on the main thread, with the default notification
    // centre; the GUI gives it its panel through setProgressPanel().
    static IndicatorController &sharedController();

    explicit IndicatorController(NotificationCenter &center, ProgressPanel *panel = nullptr,
                                 QObject *parent = nullptr);
    ~IndicatorController() override;

    // The eight step notifications the controller observes.
    static const QStringList &stepNotificationNames();

    void initializationUserObject();
    // Resets the model and starts the task; true when the caller is to open
    // the panel.
    bool selfIndicator(const QVariantMap &task);
    // With a window: attached to it as a sheet; without: a free panel.
    void openPanel(QObject *windowOrNull);
    void closeCommand();
    void cancelButtonAction();
    void sheetDidEnd(int returnCode);
    void indicatorStepNotif(const Notification &notification);
    void indicatorStep(const QVariantMap &report);
    void reloadObject();

    bool panelState() const { return m_panelState; }
    IndicatorSource &indicatorSource() { return m_indicatorSource; }
    TaskRunner &taskRunner();
    ProgressPanel *progressPanel() const { return m_panel; }
    // Not owned; the panel must outlive its use here or be replaced first.
    void setProgressPanel(ProgressPanel *panel);

    // "42.5 %": one decimal, a blank and a percent sign.
    static QString percentText(double count);

private:
    NotificationCenter &m_center;
    ProgressPanel *m_panel = nullptr;
    bool m_panelState = false;
    bool m_sheetShown = false;
    IndicatorSource m_indicatorSource;
};
