#include "StorageWorkers.h"

#include "DirectoryWrapper.h"
#include "LoadingForEncod.h"
#include "PackageEntries.h"
#include "ReadingForEncod.h"
#include "SaveForEncod.h"
#include "WritingForEncod.h"
#include "list/ListItem.h"
#include "platform/ArchivableSnapshot.h"
#include "tasks/TaskRunner.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

void StorageWorkers::registerAll(TaskRunner &runner)
{
    if (!runner.hasWorker(101)) {
        runner.registerWorker(
            101, [] { return std::make_unique<LoadingForEncod>(); },
            [](const QVariantMap &task) {
                const DirectoryWrapperPtr wrapper = task.value(u"wrapper"_s).value<DirectoryWrapperPtr>();
                return wrapper && wrapper->fileSize() > kLoadPanelBytes;
            });
    }
    if (!runner.hasWorker(202)) {
        runner.registerWorker(
            202, [] { return std::make_unique<SaveForEncod>(); },
            [](const QVariantMap &task) {
                const ArchivableSnapshotPtr root = task.value(u"documentSource"_s).value<ArchivableSnapshotPtr>();
                return root && root->rowCountHint() > kSavePanelRows;
            });
    }
    if (!runner.hasWorker(242)) {
        runner.registerWorker(
            242, [] { return std::make_unique<WritingForEncod>(); },
            [](const QVariantMap &task) {
                const ListItemPtr list = task.value(u"listItemSource"_s).value<ListItemPtr>();
                return list && list->tableItemObjectArray().size() > kWritePanelRows;
            });
    }
    if (!runner.hasWorker(243)) {
        runner.registerWorker(
            243, [] { return std::make_unique<ReadingForEncod>(); },
            [](const QVariantMap &task) {
                if (!task.value(u"state"_s).toBool())
                    return false;
                const QString folder = task.value(u"folderPath"_s).toString();
                const QString name = task.value(u"filePass"_s).toString();
                if (folder.isEmpty() || !PackageEntries::isSafeName(name))
                    return false;
                const QFileInfo file(folder + u'/' + name);
                return file.isFile() && file.size() > kReadPanelBytes;
            });
    }
}
