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
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

void StorageWorkers::registerAll(TaskRunner &runner)
{
    if (!runner.hasWorker(TaskCode::openPackage)) {
        runner.registerWorker(
            TaskCode::openPackage, [] { return std::make_unique<LoadingForEncod>(); },
            [](const QVariantMap &task) {
                const DirectoryWrapperPtr wrapper = task.value(RequestKey::wrapper).value<DirectoryWrapperPtr>();
                return wrapper && wrapper->fileSize() > kLoadPanelBytes;
            });
    }
    if (!runner.hasWorker(TaskCode::savePackage)) {
        runner.registerWorker(
            TaskCode::savePackage, [] { return std::make_unique<SaveForEncod>(); },
            [](const QVariantMap &task) {
                const ArchivableSnapshotPtr root = task.value(RequestKey::documentSource).value<ArchivableSnapshotPtr>();
                return root && root->rowCountHint() > kSavePanelRows;
            });
    }
    if (!runner.hasWorker(TaskCode::writeListFile)) {
        runner.registerWorker(
            TaskCode::writeListFile, [] { return std::make_unique<WritingForEncod>(); },
            [](const QVariantMap &task) {
                const ListItemPtr list = task.value(RequestKey::listItemSource).value<ListItemPtr>();
                return list && list->rowCount() > kWritePanelRows;
            });
    }
    if (!runner.hasWorker(TaskCode::readListFile)) {
        runner.registerWorker(
            TaskCode::readListFile, [] { return std::make_unique<ReadingForEncod>(); },
            [](const QVariantMap &task) {
                if (!task.value(u"state"_s).toBool())
                    return false;
                const QString folder = task.value(u"folderPath"_s).toString();
                const QString name = task.value(RequestKey::filePass).toString();
                if (folder.isEmpty() || !PackageEntries::isSafeName(name))
                    return false;
                const QFileInfo file(folder + u'/' + name);
                return file.isFile() && file.size() > kReadPanelBytes;
            });
    }
}
