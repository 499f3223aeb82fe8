#pragma once

#include <QtGlobal>

class TaskRunner;

// Plugs the workers of the list and conversion subsystems into a task
// runner: import (240), search (244), column retitling (264), export (715).
class TaskWorkers
{
public:
    // Registers each code only once per runner; later calls leave the
    // registrations as they are.
    static void registerListWorkers(TaskRunner &runner);
    static void registerConvertWorkers(TaskRunner &runner);
    static void registerStorageWorkers(TaskRunner &runner);
    static void registerAll(TaskRunner &runner)
    {
        registerListWorkers(runner);
        registerConvertWorkers(runner);
        registerStorageWorkers(runner);
    }

    // Search shows the panel only for lists of more than this many rows.
    static constexpr qsizetype kSearchPanelRows = 1000;
    // Export shows the panel only for more than this many rows.
    static constexpr qsizetype kExportPanelRows = 1000;
};
