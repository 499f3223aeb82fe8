#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtMessageHandler>

// Holds the core's log lines while a command runs, so that a failure the
// tool reports itself reaches the user once: a line whose reason the final
// message already carries is dropped, every other line is still shown.
// One per process (Qt's message handler has no context), made by main().
class CliDiagnostics
{
public:
    CliDiagnostics();
    ~CliDiagnostics();
    CliDiagnostics(const CliDiagnostics &) = delete;
    CliDiagnostics &operator=(const CliDiagnostics &) = delete;

    // Prints the held lines that say more than message; without a running
    // instance it does nothing.
    static void flush(const QString &message = QString());

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void print(const QString &reported);

    QMutex m_mutex;
    QStringList m_lines;
    QStringList m_reasons;
    QtMessageHandler m_previous = nullptr;
};
