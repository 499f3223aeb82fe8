#include "OptionRun.h"

#include "ScriptRequestResponder.h"

#include <limits>

namespace {
// Steps one source spends on one row: a loop pass with a read, a write and
// their nested markers uses about six.
constexpr qint64 kStepsPerRowAndSource = 64;
} // namespace

OptionRun::OptionRun(const ListItem &snapshot, const OptionObjectSource &options,
                     OptionRunDriver::Options settings, std::optional<Row> selectedItem, QObject *parent)
    : QObject(parent),
      m_snapshot(snapshot),
      m_options(options),
      m_settings(std::move(settings)),
      m_selectedItem(std::move(selectedItem))
{
    const qsizetype sources = std::max<qsizetype>(1, m_options.optionSourceArray().size());
    m_settings.limits.maxSteps = stepBudgetFor(m_snapshot.rowCount(), sources, m_settings.limits.maxSteps);
    m_driver = std::make_unique<OptionRunDriver>(m_settings);
}

OptionRun::~OptionRun()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
    }
}

qint64 OptionRun::stepBudgetFor(qsizetype rows, qsizetype sources, qint64 minimum)
{
    const qint64 cap = std::numeric_limits<qint64>::max() / 4;
    const qint64 perSource = std::min<qint64>(cap / kStepsPerRowAndSource, qint64(rows)) * kStepsPerRowAndSource;
    const qint64 scaled = perSource > cap / std::max<qint64>(1, sources) ? cap : perSource * sources;
    return std::max(minimum, scaled);
}

void OptionRun::start()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] { work(); }));
    // finished() is emitted from the worker; Qt queues it to this object's thread.
    m_thread->start();
}

void OptionRun::cancel()
{
    m_driver->cancel();
}

bool OptionRun::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void OptionRun::wait()
{
    if (m_thread)
        m_thread->wait();
}

void OptionRun::work()
{
    Outcome outcome;
    {
        ScriptRequestResponder responder(m_snapshot, m_settings.cachesFolderID, m_settings.center, m_selectedItem);
        outcome.result = m_driver->run(m_options, &responder);
        outcome.missedSelectedItem = responder.missedSelectedItem();
        // A cancelled or failed run hands nothing back.
        if (outcome.result.success)
            outcome.writes = responder.writes();
    }
    // Nothing reads the snapshot again. Letting it go before the writes are
    // applied leaves the document the only owner of its rows, so they are
    // changed in place instead of copied first.
    m_snapshot = ListItem();
    m_outcome = std::move(outcome);
    Q_EMIT finished();
}
