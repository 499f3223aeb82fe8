#include "TaskWorkers.h"

#include "convert/CSVtoLMSConversion.h"
#include "convert/OutputConverterFile.h"
#include "list/ChangeTitleOfListItems.h"
#include "list/ListItem.h"
#include "list/WritingForSearchObject.h"
#include "storage/StorageWorkers.h"
#include "tasks/TaskRunner.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

void TaskWorkers::registerListWorkers(TaskRunner &runner)
{
    if (!runner.hasWorker(TaskCode::search)) {
        runner.registerWorker(
            TaskCode::search, [] { return std::make_unique<WritingForSearchObject>(); },
            [](const QVariantMap &task) {
                const ListItemPtr list = task.value(RequestKey::listItemSource).value<ListItemPtr>();
                return list && list->rowCount() > kSearchPanelRows;
            });
    }
    // The runner's own rule shows the panel for every retitling.
    if (!runner.hasWorker(TaskCode::retitleColumns))
        runner.registerWorker(TaskCode::retitleColumns, [] { return std::make_unique<ChangeTitleOfListItems>(); });
}

void TaskWorkers::registerConvertWorkers(TaskRunner &runner)
{
    // The runner's own rule decides an import's panel by the source file's size.
    if (!runner.hasWorker(TaskCode::importFile))
        runner.registerWorker(TaskCode::importFile, [] { return std::make_unique<CSVtoLMSConversion>(); });
    // Export requests carry their rows as a RowList, which the runner's
    // generic entry count does not know.
    if (!runner.hasWorker(TaskCode::exportRows)) {
        runner.registerWorker(
            TaskCode::exportRows, [] { return std::make_unique<OutputConverterFile>(); },
            [](const QVariantMap &task) {
                const QVariant rows = task.value(RequestKey::itemObject);
                const qsizetype count = rows.metaType() == QMetaType::fromType<RowList>()
                    ? rows.value<RowList>().size()
                    : rows.toList().size();
                return count > kExportPanelRows;
            });
    }
}

void TaskWorkers::registerStorageWorkers(TaskRunner &runner)
{
    StorageWorkers::registerAll(runner);
}
