#pragma once

#include "list/CellEdit.h"
#include "list/ListItem.h"
#include "script/OptionRunDriver.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <memory>
#include <optional>

// One run of a list's option scripts on a worker thread, over a snapshot of
// the list. The window's thread stays free: URL reads, loops and the
// interpreter's requests all happen on the worker, and finished() arrives
// queued on the thread that made the run. The writes come back as one list
// of cell edits for the document to apply as one change.
class OptionRun : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        OptionRunDriver::Result result;
        CellEditList writes;
        bool missedSelectedItem = false;
    };

    OptionRun(const ListItem &snapshot, const OptionObjectSource &options, OptionRunDriver::Options settings,
              std::optional<Row> selectedItem = std::nullopt, QObject *parent = nullptr);
    ~OptionRun() override;

    void start();
    // Safe from any thread; the run stops at its next step and writes nothing back.
    void cancel();
    bool isRunning() const;
    // Blocks until the worker ends; for callers without an event loop to return to.
    void wait();

    // Valid after finished().
    const Outcome &outcome() const { return m_outcome; }

    // Steps a run may spend: enough for every row to be visited by every
    // source many times over, and never fewer than the fixed minimum.
    static qint64 stepBudgetFor(qsizetype rows, qsizetype sources, qint64 minimum);

Q_SIGNALS:
    void finished();

private:
    void work();

    ListItem m_snapshot;
    OptionObjectSource m_options;
    OptionRunDriver::Options m_settings;
    std::optional<Row> m_selectedItem;
    std::unique_ptr<OptionRunDriver> m_driver;
    std::unique_ptr<QThread> m_thread;
    Outcome m_outcome;
};
