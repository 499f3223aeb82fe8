#pragma once

#include <QStringList>

// The commands that work with a stored list's option scripts:
//   option DOC.pgcd --list T --set FILE.json
//   run DOC.pgcd --list T [--option O] [--manual] [--dry-run]
//   eval DOC.pgcd --list T 'CODE'
class ScriptCommands
{
public:
    static int runOption(const QStringList &arguments);
    static int runRun(const QStringList &arguments);
    static int runEval(const QStringList &arguments);
};
