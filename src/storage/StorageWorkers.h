#pragma once

#include <QtGlobal>

class TaskRunner;

// Plugs the storage workers into a task runner: open a package (101), save
// a package (202), write a list file (242), read a list file (243).
class StorageWorkers
{
public:
    // Registers each code only once per runner; later calls leave the
    // registrations as they are.
    static void registerAll(TaskRunner &runner);

    // The panel is shown only above these limits.
    static constexpr qint64 kLoadPanelBytes = 1048576;
    static constexpr qsizetype kSavePanelRows = 1000;
    static constexpr qsizetype kWritePanelRows = 1000;
    static constexpr qint64 kReadPanelBytes = 10485760;
};
