#pragma once

#include <QStringList>

// The commands that work on document packages:
//   new DOC.pgcd --import FILE [--title T] [--quoted] [--protect]
//   info DOC.pgcd [--json]
//   show DOC.pgcd --list T [--print | --json]
//   export DOC.pgcd --list T -o OUT [export options]
class DocumentCommands
{
public:
    static int runNew(const QStringList &arguments);
    static int runInfo(const QStringList &arguments);
    static int runShow(const QStringList &arguments);
    static int runExport(const QStringList &arguments);
};
