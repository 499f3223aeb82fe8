#include "TaskWorkers.h"

#include "list/ChangeTitleOfListItems.h"
#include "list/ListItem.h"
#include "list/WritingForSearchObject.h"
#include "tasks/TaskRunner.h"

using namespace Qt::StringLiterals;

void TaskWorkers::registerListWorkers(TaskRunner &runner)
{
    if (!runner.hasWorker(244)) {
        runner.registerWorker(
            244, [] { return std::make_unique<WritingForSearchObject>(); },
            [](const QVariantMap &task) {
                const ListItemPtr list = task.value(u"listItemSource"_s).value<ListItemPtr>();
                return list && list->tableItemObjectArray().size() > kSearchPanelRows;
            });
    }
    // The runner's own rule shows the panel for every retitling.
    if (!runner.hasWorker(264))
        runner.registerWorker(264, [] { return std::make_unique<ChangeTitleOfListItems>(); });
}
