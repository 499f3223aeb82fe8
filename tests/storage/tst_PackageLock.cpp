#include "support/TestSupport.h"

#include "platform/AtomicFileWriter.h"
#include "storage/AtomicPackageWriter.h"
#include "platform/FileDescriptor.h"
#include "storage/PackageLock.h"
#include "storage/PathGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList hiddenEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_PackageLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void oneWriterAtATime()
    {
        QTemporaryDir dir;
        const QString package = dir.filePath(u"Doc.pgcd"_s);
        PackageLock first(package);
        QVERIFY(first.tryLock());
        // Another document of this same process counts as another writer.
        PackageLock second(package);
        QVERIFY(!second.tryLock());
        QVERIFY(second.errorString().contains(u"already open for writing"_s));
        QVERIFY(second.errorString().contains(QString::number(::getpid())));
        // Another spelling of the path, through a link, meets the same lock.
        QVERIFY(QFile::link(dir.path(), dir.filePath(u"alias"_s)));
        PackageLock aliased(dir.filePath(u"alias/Doc.pgcd"_s));
        QVERIFY(!aliased.tryLock());

        first.unlock();
        QVERIFY(hiddenEntries(dir.path()) == QStringList{u"alias"_s});
        QVERIFY(second.tryLock());

        PackageLock nowhere(dir.filePath(u"missing/Doc.pgcd"_s));
        QVERIFY(!nowhere.tryLock());
        QVERIFY(nowhere.errorString().contains(u"missing\" does not exist"_s));
    }

    void newPackageNeverReplacesOne()
    {
        QTemporaryDir dir;
        const QString work = dir.filePath(u"work"_s);
        const QString package = dir.filePath(u"Doc.pgcd"_s);
        QVERIFY(QDir().mkpath(work) && writeFile(work + u"/documentSource.pagestyle"_s, "root"));
        // Another writer makes the package between the check and the rename.
        AtomicPackageWriter writer;
        writer.setFailureHook([&](AtomicPackageWriter::Step step) {
            if (step == AtomicPackageWriter::Step::MoveNewIntoPlace)
                QDir().mkpath(package + u"/theirs"_s);
            return false;
        });
        QVERIFY(!writer.writePackage(work, package));
        QVERIFY(writer.errorString().contains(u"exists already"_s));
        QCOMPARE(hiddenEntries(package), QStringList{u"theirs"_s});
        QCOMPARE(hiddenEntries(dir.path()), (QStringList{u"Doc.pgcd"_s, u"work"_s}));
    }

    void killedSaveIsClearedByTheNext()
    {
        QTemporaryDir dir;
        const QString work = dir.filePath(u"work"_s);
        const QString package = dir.filePath(u"Doc.pgcd"_s);
        QVERIFY(QDir().mkpath(work) && writeFile(work + u"/documentSource.pagestyle"_s, QByteArray(100000, 'r')));

        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // Stops with the whole copy built beside the package, as a kill
            // at that moment leaves it.
            AtomicPackageWriter writer;
            writer.setFailureHook([&](AtomicPackageWriter::Step step) {
                if (step == AtomicPackageWriter::Step::MoveNewIntoPlace) {
                    const char byte = 1;
                    [[maybe_unused]] const auto put = ::write(ready[1], &byte, 1);
                    for (;;)
                        ::pause();
                }
                return false;
            });
            writer.writePackage(work, package);
            ::_exit(3);
        }
        ::close(ready[1]);
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        ::close(ready[0]);

        // While the saver lives its folder is kept.
        const QStringList during = hiddenEntries(dir.path());
        QCOMPARE(during.size(), 2);
        QVERIFY(during.first().startsWith(u".Doc.pgcd.saving-"_s));
        QCOMPARE(AtomicPackageWriter::removeAbandonedTemporaries(dir.path(), u"Doc.pgcd"_s), 0);

        QCOMPARE(::kill(child, SIGKILL), 0);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        // A saving folder of another package is none of this save's business.
        QVERIFY(QDir().mkpath(dir.filePath(u".Other.pgcd.saving-AbC123"_s)));

        AtomicPackageWriter writer;
        QVERIFY(writer.writePackage(work, package));
        QCOMPARE(hiddenEntries(dir.path()), (QStringList{u".Other.pgcd.saving-AbC123"_s, u"Doc.pgcd"_s, u"work"_s}));
    }

    void readsOnlyBoundedRegularFiles()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(u"fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString sparse = dir.filePath(u"sparse"_s);
        QVERIFY(writeFile(sparse, {}));
        QVERIFY(QFile::resize(sparse, qint64(1) << 33));
        const QString small = dir.filePath(u"small"_s);
        QVERIFY(writeFile(small, "12345"));

        const QList<std::pair<QString, QString>> refused{
            {fifo, u"pipe"_s},
            {u"/dev/zero"_s, u"device"_s},
            {dir.path(), u"folder"_s},
            {dir.filePath(u"none"_s), u"no such file"_s},
            {sparse, u"more than 4 bytes"_s},
            {small, u"more than 4 bytes"_s},
        };
        for (const auto &[path, reason] : refused) {
            QByteArray bytes;
            QString error;
            QVERIFY2(!FileDescriptor::readRegularFile(path, 4, &bytes, &error), qPrintable(path));
            QVERIFY2(error.startsWith(path) && error.contains(reason), qPrintable(error));
        }
        QByteArray bytes;
        QString error;
        QVERIFY(FileDescriptor::readRegularFile(small, 5, &bytes, &error));
        QCOMPARE(bytes, QByteArray("12345"));
        // A file that grows past the cap after its size was taken.
        FileDescriptor zero = FileDescriptor(::open("/dev/zero", O_RDONLY | O_CLOEXEC));
        QVERIFY(!zero.readAtMost(1000, &bytes, &error));

        QVERIFY(AtomicFileWriter::writeFile(dir.filePath(u"one"_s), "whole", &error));
        QVERIFY(!AtomicFileWriter::writeFile(dir.filePath(u"missing/one"_s), "x", &error));
        QVERIFY(error.contains(u"missing/one"_s));
    }

    void pathsInsideAFolderHoweverSpelled()
    {
        QTemporaryDir dir;
        const QString package = dir.filePath(u"Doc.pgcd"_s);
        QVERIFY(QDir().mkpath(package));
        QVERIFY(QFile::link(package, dir.filePath(u"link"_s)));
        QVERIFY(PathGuard::isInside(package + u"/id0.listItems"_s, package));
        QVERIFY(PathGuard::isInside(dir.filePath(u"link/new/x.csv"_s), package));
        QVERIFY(PathGuard::isInside(dir.filePath(u"other/../Doc.pgcd/x"_s), package));
        QVERIFY(PathGuard::isInside(package, dir.filePath(u"link"_s)));
        QVERIFY(!PathGuard::isInside(dir.filePath(u"Doc.pgcd.csv"_s), package));
        QVERIFY(!PathGuard::isInside(dir.filePath(u"x.csv"_s), package));
        QVERIFY(!PathGuard::isInside(dir.filePath(u"x.csv"_s), QString()));
    }
};

QTEST_GUILESS_MAIN(tst_PackageLock)
#include "tst_PackageLock.moc"
