#include "support/TestSupport.h"

#include "document/DocumentSource.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "storage/AtomicPackageWriter.h"
#include "storage/DirectoryWrapper.h"
#include "storage/LoadingForEncod.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Step = AtomicPackageWriter::Step;
using Files = QMap<QString, QByteArray>;

// Contents as size and digest, so that a failed comparison prints short lines.
Files summary(const Files &files)
{
    Files summarised;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        summarised.insert(it.key(), QByteArray::number(it.value().size()) + ' '
                                        + QCryptographicHash::hash(it.value(), QCryptographicHash::Sha1).toHex());
    return summarised;
}

// A root that opening accepts; the two packages differ in their other entries.
QByteArray rootBytes()
{
    DocumentSource root;
    return KeyedArchiver::archivedData(root, u"documentSource");
}

const Files &oldContents()
{
    static const Files files = {{u"documentSource.pagestyle"_s, rootBytes()},
                                {u"id7.listItems"_s, QByteArray(3000, 'o')}};
    return files;
}

const Files &newContents()
{
    static const Files files = {{u"documentSource.pagestyle"_s, rootBytes()},
                                {u"conditionOfTheFile.pagestyle"_s, "protection"},
                                {u"id1.listItems"_s, QByteArray(2 * 1048576 + 5, 'n')},
                                {u"id2.listItems"_s, ""}};
    return files;
}

Files oldFiles()
{
    return summary(oldContents());
}

Files newFiles()
{
    return summary(newContents());
}

bool makeFolder(const QString &path, const Files &files)
{
    if (!QDir().mkpath(path))
        return false;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(path + u'/' + it.key());
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return false;
    }
    return true;
}

// Every entry of the folder, summarised; anything but a regular file shows as a marker.
Files filesIn(const QString &folder)
{
    Files files;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : infos) {
        QFile file(info.absoluteFilePath());
        files.insert(info.fileName(), info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : "<other>");
    }
    return summary(files);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A working folder with the new files and, optionally, an old package beside it.
struct Scene
{
    explicit Scene(bool withOld)
    {
        work = dir.filePath(u"work"_s);
        package = dir.filePath(u"Doc.pgcd"_s);
        ok = dir.isValid() && makeFolder(work, newContents()) && (!withOld || makeFolder(package, oldContents()));
    }
    QTemporaryDir dir;
    QString work;
    QString package;
    bool ok = false;
};

QList<Step> stepsOfSuccessfulWrite(bool exchange, bool withOld)
{
    Scene scene(withOld);
    QList<Step> steps;
    AtomicPackageWriter writer;
    writer.setExchangeAllowed(exchange);
    writer.setFailureHook([&](Step step) {
        steps.append(step);
        return false;
    });
    if (!scene.ok || !writer.writePackage(scene.work, scene.package) || filesIn(scene.package) != newFiles())
        return {};
    return steps;
}

} // namespace

class tst_AtomicPackageWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void replacesThePackageWhole()
    {
        Scene scene(true);
        QVERIFY(scene.ok);
        QVERIFY(QFile::setPermissions(scene.work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadGroup | QFile::ExeGroup));
        // Junk that is never part of a package.
        QVERIFY(makeFolder(scene.work + u"/sub"_s, {{u"inner"_s, "x"}}));
        QVERIFY(makeFolder(scene.work, {{u".DS_Store"_s, "x"}, {u".id2.listItems.writing-a1B2c3"_s, "partial"}}));

        QList<qint64> progress;
        AtomicPackageWriter writer;
        // The root as written: a root made again may differ in length (two
        // of its dates are one shared text only within the same second).
        const qint64 root = newContents().value(u"documentSource.pagestyle"_s).size();
        writer.setProgressHandler([&](qint64 copied, qint64 total) {
            QCOMPARE(total, 2 * 1048576 + 5 + 10 + root);
            progress.append(copied);
        });
        QVERIFY(writer.writePackage(scene.work, scene.package));
        QCOMPARE(filesIn(scene.package), newFiles());
        QCOMPARE(entriesOf(scene.dir.path()), (QStringList{u"Doc.pgcd"_s, u"work"_s}));
        // Name order; 1 MiB chunks.
        QCOMPARE(progress, (QList<qint64>{10, 10 + root, 1048576 + 10 + root, 2 * 1048576 + 10 + root,
                                          2 * 1048576 + 15 + root}));
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(scene.package).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0750));
        // The working folder keeps its files.
        QCOMPARE(filesIn(scene.work).value(u"id1.listItems"_s), newFiles().value(u"id1.listItems"_s));

        // The same over a file system without the one-step exchange.
        QVERIFY(makeFolder(scene.work, {{u"id1.listItems"_s, "changed"}}));
        writer.setExchangeAllowed(false);
        writer.setProgressHandler({});
        QVERIFY(writer.writePackage(scene.work, scene.package));
        QCOMPARE(filesIn(scene.package).value(u"id1.listItems"_s), summary({{u"x"_s, "changed"}}).value(u"x"_s));
        QCOMPARE(entriesOf(scene.dir.path()), (QStringList{u"Doc.pgcd"_s, u"work"_s}));

        QVERIFY(!writer.writePackage(scene.dir.filePath(u"missing"_s), scene.package));
        QVERIFY(!writer.writePackage(scene.work, QString()));
        QCOMPARE(filesIn(scene.package).value(u"id1.listItems"_s), summary({{u"x"_s, "changed"}}).value(u"x"_s));
    }

    void injectedFailureLeavesTheOldPackage()
    {
        for (const bool exchange : {true, false}) {
            for (const bool withOld : {true, false}) {
                const QList<Step> steps = stepsOfSuccessfulWrite(exchange, withOld);
                QVERIFY(!steps.isEmpty());
                QList<Step> ending = withOld ? QList<Step>{Step::SyncTemporary, Step::Exchange, Step::SyncParent, Step::RemoveOld}
                                             : QList<Step>{Step::SyncTemporary, Step::MoveNewIntoPlace, Step::SyncParent};
                if (withOld && !exchange)
                    ending = {Step::SyncTemporary, Step::MoveOldAside, Step::MoveNewIntoPlace, Step::SyncParent, Step::RemoveOld};
                QCOMPARE(steps.mid(steps.size() - ending.size()), ending);

                for (qsizetype failing = 0; failing < steps.size(); ++failing) {
                    const QByteArray context = QByteArray::number(failing) + (exchange ? " exchange" : " renames")
                                               + (withOld ? " over old" : " new");
                    Scene scene(withOld);
                    QVERIFY(scene.ok);
                    AtomicPackageWriter writer;
                    writer.setExchangeAllowed(exchange);
                    qsizetype call = 0;
                    writer.setFailureHook([&](Step) { return call++ == failing; });
                    const bool written = writer.writePackage(scene.work, scene.package);

                    QCOMPARE(filesIn(scene.work), newFiles());
                    if (steps.at(failing) == Step::RemoveOld) {
                        // The new package is in place; only the old copy lingers.
                        QVERIFY2(written, context.constData());
                        QCOMPARE(filesIn(scene.package), newFiles());
                        continue;
                    }
                    QVERIFY2(!written, context.constData());
                    QVERIFY2(!writer.errorString().isEmpty(), context.constData());
                    if (withOld) {
                        QCOMPARE(filesIn(scene.package), oldFiles());
                        QCOMPARE(entriesOf(scene.dir.path()), (QStringList{u"Doc.pgcd"_s, u"work"_s}));
                    } else {
                        QCOMPARE(entriesOf(scene.dir.path()), QStringList{u"work"_s});
                    }
                }
            }
        }
    }

    void cutOffSaveLeavesAWholePackage()
    {
        for (const bool exchange : {true, false}) {
            const QList<Step> steps = stepsOfSuccessfulWrite(exchange, true);
            QVERIFY(!steps.isEmpty());
            bool sawLoneBackup = false;
            for (qsizetype cut = 0; cut < steps.size(); ++cut) {
                const QByteArray context = QByteArray::number(cut) + (exchange ? " exchange" : " renames");
                Scene scene(true);
                QVERIFY(scene.ok);
                const pid_t child = ::fork();
                QVERIFY(child >= 0);
                if (child == 0) {
                    AtomicPackageWriter writer;
                    writer.setExchangeAllowed(exchange);
                    qsizetype call = 0;
                    writer.setFailureHook([&](Step) {
                        if (call++ == cut) {
                            if (cut % 2)
                                ::kill(::getpid(), SIGKILL);
                            ::_exit(0);
                        }
                        return false;
                    });
                    writer.writePackage(scene.work, scene.package);
                    ::_exit(3);
                }
                int status = 0;
                QCOMPARE(::waitpid(child, &status, 0), child);
                QVERIFY2((WIFEXITED(status) && WEXITSTATUS(status) == 0)
                             || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL),
                         context.constData());

                if (!QFileInfo::exists(scene.package)) {
                    QVERIFY2(QFileInfo(AtomicPackageWriter::backupPath(scene.package)).isDir(), context.constData());
                    sawLoneBackup = true;
                }
                // The next open sees one whole package, old or new.
                const QString opened = scene.dir.filePath(u"opened"_s);
                QVERIFY(QDir().mkpath(opened));
                NotificationCenter center;
                LoadingForEncod loader;
                loader.setNotificationCenter(&center);
                QVERIFY2(loader.openWorkWrapperFileObject(
                             {{u"folderPath"_s, opened},
                              {u"wrapper"_s, QVariant::fromValue(DirectoryWrapper::wrapperAtPath(scene.package))}}),
                         context.constData());
                const Files loaded = filesIn(opened);
                QVERIFY2(loaded == oldFiles() || loaded == newFiles(), context.constData());
                QCOMPARE(filesIn(scene.package), loaded);
            }
            QCOMPARE(sawLoneBackup, !exchange);
        }
    }

    void restoresOnlyALoneBackup()
    {
        QTemporaryDir dir;
        const QString package = dir.filePath(u"B.pgcd"_s);
        const QString backup = AtomicPackageWriter::backupPath(package);
        QVERIFY(makeFolder(backup, {{u"a"_s, "backup"}}));
        QVERIFY(makeFolder(package, {{u"a"_s, "current"}}));
        QVERIFY(!AtomicPackageWriter::restoreLoneBackup(package));
        QCOMPARE(filesIn(package), summary({{u"a"_s, "current"}}));

        QVERIFY(QDir(package).removeRecursively());
        QVERIFY(AtomicPackageWriter::restoreLoneBackup(package));
        QCOMPARE(filesIn(package), summary({{u"a"_s, "backup"}}));
        QVERIFY(!QFileInfo::exists(backup));
    }
};

QTEST_GUILESS_MAIN(tst_AtomicPackageWriter)
#include "tst_AtomicPackageWriter.moc"
