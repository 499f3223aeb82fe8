#pragma once

#include "CliDiagnostics.h"

#include <QString>
#include <QTextStream>

// The tool's exit codes and how errors reach stderr.
class CliExit
{
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    static int failure(QTextStream &err, const QString &message)
    {
        err.flush();
        CliDiagnostics::flush(message);
        err << "rowsmith-cli: " << message << '\n';
        return kFailure;
    }
    static int usage(QTextStream &err, const QString &message)
    {
        err.flush();
        CliDiagnostics::flush();
        err << "rowsmith-cli: " << message << "\n(see rowsmith-cli --help)\n";
        return kUsage;
    }
};
