#pragma once

#include <QtGlobal>

class TaskRunner;

// Plugs the workers of the list subsystem into a task runner: search (244)
// and column retitling (264).
class TaskWorkers
{
public:
    // Registers each code only once per runner; later calls leave the
    // registrations as they are.
    static void registerListWorkers(TaskRunner &runner);

    // Search shows the panel only for lists of more than this many rows.
    static constexpr qsizetype kSearchPanelRows = 1000;
};
