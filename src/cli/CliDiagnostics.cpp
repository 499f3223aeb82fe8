#include "CliDiagnostics.h"

#include <QMutexLocker>
#include <QSet>

#include <cstdio>

namespace {
// The handler's only way back to its instance; set and cleared by it.
CliDiagnostics *s_instance = nullptr;
} // namespace

CliDiagnostics::CliDiagnostics()
{
    s_instance = this;
    m_previous = qInstallMessageHandler(&CliDiagnostics::handle);
}

CliDiagnostics::~CliDiagnostics()
{
    print(QString());
    qInstallMessageHandler(m_previous);
    s_instance = nullptr;
}

void CliDiagnostics::flush(const QString &message)
{
    if (s_instance)
        s_instance->print(message);
}

void CliDiagnostics::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!s_instance || type == QtFatalMsg) {
        const QString line = qFormatLogMessage(type, context, message);
        std::fprintf(stderr, "%s\n", qPrintable(line));
        return;
    }
    QMutexLocker locker(&s_instance->m_mutex);
    s_instance->m_lines.append(qFormatLogMessage(type, context, message));
    // "Err <class words> <operation> : <reason>": the reason is what a
    // failure message may repeat.
    const qsizetype separator = message.indexOf(QLatin1String(" : "));
    s_instance->m_reasons.append(separator < 0 ? message : message.mid(separator + 3));
}

void CliDiagnostics::print(const QString &reported)
{
    QMutexLocker locker(&m_mutex);
    QSet<QString> printed;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const bool repeated = printed.contains(m_lines.at(i));
        const bool reportedAnyway = !reported.isEmpty() && !m_reasons.at(i).isEmpty() && reported.contains(m_reasons.at(i));
        if (!repeated && !reportedAnyway) {
            std::fprintf(stderr, "%s\n", qPrintable(m_lines.at(i)));
            printed.insert(m_lines.at(i));
        }
    }
    std::fflush(stderr);
    m_lines.clear();
    m_reasons.clear();
}
