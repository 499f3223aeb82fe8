#include "TerminalProgress.h"

#include <QVariantMap>

#include <cstdio>
#include <unistd.h>
#include "platform/NotificationName.h"

namespace {
constexpr qint64 kQuietMsecs = 400;
constexpr int kBarWidth = 30;
} // namespace

TerminalProgress::TerminalProgress(const QString &label) : m_label(label)
{
    m_enabled = isatty(STDERR_FILENO) == 1;
    if (!m_enabled)
        return;
    m_timer.start();
    const QStringList names{NotificationName::notifIndicatorStepOfConversion,
                            NotificationName::notifIndicatorStepOfOutput,
                            NotificationName::notifIndicatorStepOfSearch,
                            NotificationName::notifIndicatorStepOfReading,
                            NotificationName::notifIndicatorStepOfWriting};
    // No receiver: the CLI runs its work on the main thread, so reports are
    // delivered synchronously while the work runs.
    for (const QString &name : names) {
        m_tokens.append(NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const Notification &n) {
                draw(n.object.toMap().value(QStringLiteral("count")).toDouble());
            }));
    }
}

TerminalProgress::~TerminalProgress()
{
    finish();
}

void TerminalProgress::finish()
{
    for (NotificationCenter::Token token : std::as_const(m_tokens))
        NotificationCenter::defaultCenter().removeObserver(token);
    m_tokens.clear();
    if (m_drawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_drawn = false;
    }
}

void TerminalProgress::draw(double percent)
{
    if (!m_enabled || m_timer.elapsed() < kQuietMsecs)
        return;
    const int permille = int(qBound(0.0, percent, 100.0) * 10);
    if (permille == m_lastPermille)
        return;
    m_lastPermille = permille;
    const int filled = permille * kBarWidth / 1000;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(kBarWidth - filled, '.');
    std::fprintf(stderr, "\r%s [%s] %5.1f %%", m_label.toLocal8Bit().constData(),
                 bar.constData(), permille / 10.0);
    std::fflush(stderr);
    m_drawn = true;
}
