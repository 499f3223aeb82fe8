#include "document/ImportFilePath.h"
#include "document/OpenPanelPresenter.h"
#include "document/RootCachesFolder.h"
#include "document/WorkOfCachesFolder.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/Localization.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A small archivable value for the object round trips.
class SampleRecord
{
public:
    static QString archiveClassName() { return QStringLiteral("SampleRecord"); }
    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        coder.encodeString(name, u"name");
        coder.encodeInt32(count, u"count");
    }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        name = coder.decodeString(u"name");
        count = coder.decodeInt32(u"count");
        return true;
    }

    QString name;
    qint32 count = 0;
};

class ScriptedOpenPanel : public OpenPanelPresenter
{
public:
    QString runOpenPanel(const ImportFilePath::PanelRequest &request) override
    {
        lastRequest = request;
        ++runs;
        return answer;
    }

    QString answer;
    ImportFilePath::PanelRequest lastRequest;
    int runs = 0;
};

static bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class tst_CachesFolder : public QObject
{
    Q_OBJECT

private:
    // A tree rooted in dir, already built.
    static RootCachesFolder builtTree(const QString &rootDomain)
    {
        RootCachesFolder tree;
        tree.registerRootDomainPath(rootDomain);
        tree.makingRootCachesFolder();
        return tree;
    }

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void standardTree()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cwd = QDir::currentPath();

        RootCachesFolder tree;
        QVERIFY(!tree.rootDomainPath().isNull()); // refusals and defaults are "" not null
        QVERIFY(tree.registerRootDomainPath(dir.path()));
        QVERIFY(tree.makingRootCachesFolder());
        const QString root = dir.filePath(QStringLiteral("PagecraftCSV"));
        QCOMPARE(tree.rootCachesFolderPath(), root);
        QCOMPARE(tree.libraryCachesFolderPath(), root + QStringLiteral("/FabrikLibrary"));
        QCOMPARE(tree.objectCachesFolderPath(), root + QStringLiteral("/FabrikObject"));
        QCOMPARE(tree.workCachesFolderPath(), root + QStringLiteral("/FabrikWork"));
        for (const QString &path : {tree.libraryCachesFolderPath(), tree.objectCachesFolderPath(),
                                    tree.workCachesFolderPath()})
            QVERIFY2(QFileInfo(path).isDir(), qPrintable(path));
        QCOMPARE(QDir::currentPath(), cwd);

        // A second build creates only what is missing and keeps what is there.
        QVERIFY(writeFile(tree.objectCachesFolderPath() + QStringLiteral("/kept"), "x"));
        QVERIFY(QDir(tree.libraryCachesFolderPath()).removeRecursively());
        RootCachesFolder again = builtTree(dir.path());
        QVERIFY(QFileInfo(again.libraryCachesFolderPath()).isDir());
        QVERIFY(QFile::exists(again.objectCachesFolderPath() + QStringLiteral("/kept")));

        // A missing root domain, or a file where the root belongs, fails the build.
        RootCachesFolder missing;
        missing.registerRootDomainPath(dir.filePath(QStringLiteral("absent")));
        QVERIFY(!missing.makingRootCachesFolder());
        QTemporaryDir blocked;
        QVERIFY(writeFile(blocked.filePath(QStringLiteral("PagecraftCSV")), "file"));
        RootCachesFolder blockedTree;
        blockedTree.registerRootDomainPath(blocked.path());
        QVERIFY(!blockedTree.makingRootCachesFolder());
        RootCachesFolder empty;
        empty.registerRootCachesFolderTitle(QString());
        QVERIFY(!empty.makingRootCachesFolder());
    }

    void tildeIsExpanded()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        RootCachesFolder tree;
        tree.registerRootDomainPath(QStringLiteral("~/"));
        const bool built = tree.makingRootCachesFolder();
        qputenv("HOME", oldHome);
        QVERIFY(built);
        QVERIFY(QFileInfo(home.filePath(QStringLiteral("PagecraftCSV/FabrikObject"))).isDir());
    }

    void userFolderTree()
    {
        QTemporaryDir domain;
        QTemporaryDir user;
        RootCachesFolder tree;
        tree.registerRootDomainPath(domain.path());
        tree.registerUserFileCachesFolderWithState(true);
        QVERIFY(tree.registerUserFileCachesFolderPath(user.path()));
        QVERIFY(tree.makingRootCachesFolder());

        QCOMPARE(tree.rootCachesFolderPath(), user.filePath(QStringLiteral("PagecraftCSV")));
        QCOMPARE(tree.objectCachesFolderPath(), user.filePath(QStringLiteral("PagecraftCSV/FabrikObject")));
        QCOMPARE(tree.libraryCachesFolderPath(), domain.filePath(QStringLiteral("PagecraftCSV/FabrikLibrary")));
        QCOMPARE(tree.workCachesFolderPath(), domain.filePath(QStringLiteral("PagecraftCSV/FabrikWork")));
        QVERIFY(!QFileInfo::exists(domain.filePath(QStringLiteral("PagecraftCSV/FabrikObject"))));
        QVERIFY(QFileInfo(tree.objectCachesFolderPath()).isDir());

        QVERIFY(tree.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 4));
        QVERIFY(QFileInfo(user.filePath(QStringLiteral("PagecraftCSV/FabrikObject/cachesID4"))).isDir());
        QVERIFY(QFileInfo(domain.filePath(QStringLiteral("PagecraftCSV/FabrikWork/cachesID4"))).isDir());

        // Flag on without a folder: the user's part cannot be made.
        RootCachesFolder noFolder;
        noFolder.registerRootDomainPath(domain.path());
        noFolder.registerUserFileCachesFolderWithState(true);
        QVERIFY(!noFolder.registerUserFileCachesFolderPath(QString()));
        QVERIFY(!noFolder.makingRootCachesFolder());
    }

    void documentFolders()
    {
        QTemporaryDir dir;
        RootCachesFolder tree = builtTree(dir.path());

        QVERIFY(tree.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 10));
        QCOMPARE(tree.cachesFolderID(), 10);
        QCOMPARE(tree.fileCachesFolderPath(), tree.objectCachesFolderPath() + QStringLiteral("/cachesID10"));
        QCOMPARE(tree.fileCachesFolderPathOfWork(), tree.workCachesFolderPath() + QStringLiteral("/cachesID10"));
        QVERIFY(QFileInfo(tree.fileCachesFolderPath()).isDir());
        QVERIFY(QFileInfo(tree.fileCachesFolderPathOfWork()).isDir());

        // Selecting the number again takes the folders over with their contents.
        QVERIFY(writeFile(tree.fileCachesFolderPathOfWork() + QStringLiteral("/a.listItems"), "data"));
        QVERIFY(tree.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 3));
        QVERIFY(tree.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 10));
        QVERIFY(QFile::exists(tree.fileCachesFolderPathOfWork() + QStringLiteral("/a.listItems")));

        QVERIFY(!tree.makingFileCachesFolderTitle(QString(), 1));

        // A tree never built has nowhere to put them; nothing lands in the
        // current directory.
        QTemporaryDir cwdDir;
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwdDir.path()));
        RootCachesFolder unbuilt;
        unbuilt.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 1);
        QDir::setCurrent(cwd);
        QVERIFY(unbuilt.fileCachesFolderPath().isEmpty());
        QVERIFY(QDir(cwdDir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void freshNumber()
    {
        QTemporaryDir dir;
        RootCachesFolder tree = builtTree(dir.path());
        QVERIFY(QDir(tree.objectCachesFolderPath()).mkdir(QStringLiteral("cachesID1")));
        QVERIFY(QDir(tree.objectCachesFolderPath()).mkdir(QStringLiteral("cachesID2")));
        tree.registerFileCachesFolderTitle(QStringLiteral("cachesID"));
        tree.registerFileCachesFolderTitleOfWork(QStringLiteral("cachesID"));

        QVERIFY(tree.makingFileCachesFolderIDTitle());
        QCOMPARE(tree.cachesFolderID(), 3);
        QVERIFY(QFileInfo(tree.fileCachesFolderPath()).isDir());
        QCOMPARE(tree.fileCachesFolderPathOfWork(), tree.workCachesFolderPath() + QStringLiteral("/cachesID3"));
        QVERIFY(QFileInfo(tree.fileCachesFolderPathOfWork()).isDir());
        QVERIFY(!tree.makingFileCachesFolderIDTitle()); // only while no number is set
    }

    void initializationKeepsRootAndLibrary()
    {
        QTemporaryDir dir;
        RootCachesFolder tree = builtTree(dir.path());
        tree.makingFileCachesFolderTitle(QStringLiteral("cachesID"), 1);
        QVERIFY(writeFile(tree.fileCachesFolderPath() + QStringLiteral("/f"), "x"));
        QVERIFY(writeFile(tree.libraryCachesFolderPath() + QStringLiteral("/lib"), "x"));

        tree.cachesFolderInitialization();
        QVERIFY(!QFileInfo::exists(tree.objectCachesFolderPath()));
        QVERIFY(!QFileInfo::exists(tree.workCachesFolderPath()));
        QVERIFY(QFile::exists(tree.libraryCachesFolderPath() + QStringLiteral("/lib")));

        // Before the tree is built its paths are empty; nothing is removed.
        QTemporaryDir cwdDir;
        QVERIFY(writeFile(cwdDir.filePath(QStringLiteral("keep")), "x"));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(cwdDir.path());
        RootCachesFolder().cachesFolderInitialization();
        QDir::setCurrent(cwd);
        QVERIFY(QFile::exists(cwdDir.filePath(QStringLiteral("keep"))));

        // An object folder that is the root itself is never removed.
        RootCachesFolder odd;
        odd.registerRootCachesFolderPath(dir.filePath(QStringLiteral("PagecraftCSV")));
        odd.registerObjectCachesFolderPath(dir.filePath(QStringLiteral("PagecraftCSV")));
        odd.cachesFolderInitialization();
        QVERIFY(QFileInfo(tree.libraryCachesFolderPath()).isDir());
    }

    void writeAndReadFiles()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QString text = QStringLiteral("Zeile \u00e4\u3042");
        QVERIFY(WorkOfCachesFolder::writeCachesFolderForString(text, folder, QStringLiteral("t.text")));
        QCOMPARE(WorkOfCachesFolder::readDataForCachesFolderPath(folder, QStringLiteral("t.text")), text.toUtf8());
        QVERIFY(WorkOfCachesFolder::writeCachesFolderForString(QStringLiteral("new"), folder, QStringLiteral("t.text")));
        QCOMPARE(WorkOfCachesFolder::readDataForCachesFolderPath(folder, QStringLiteral("t.text")), QByteArray("new"));

        QVERIFY(!WorkOfCachesFolder::writeCachesFolderForString(QString(), folder, QStringLiteral("e")));
        QVERIFY(!WorkOfCachesFolder::writeCachesFolderForData(QByteArray(), folder, QStringLiteral("e")));
        QVERIFY(!WorkOfCachesFolder::writeCachesFolderForData("x", QString(), QStringLiteral("e")));
        QVERIFY(!WorkOfCachesFolder::writeCachesFolderForData("x", dir.filePath(QStringLiteral("nofolder")),
                                                              QStringLiteral("e")));
        // Empty but present data writes an empty file, read back as empty, not null.
        QVERIFY(WorkOfCachesFolder::writeCachesFolderForData(QByteArray(""), folder, QStringLiteral("empty")));
        const QByteArray emptyRead = WorkOfCachesFolder::readDataForCachesFolderPath(folder, QStringLiteral("empty"));
        QVERIFY(!emptyRead.isNull());
        QVERIFY(emptyRead.isEmpty());
        QVERIFY(WorkOfCachesFolder::readDataForCachesFolderPath(folder, QStringLiteral("missing")).isNull());
        QVERIFY(WorkOfCachesFolder::readDataForCachesFolderPath(folder, QStringLiteral("")).isNull());

        // Atomic writes leave nothing but the files themselves.
        QStringList names = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
        names.sort();
        QCOMPARE(names, QStringList({QStringLiteral("empty"), QStringLiteral("t.text")}));
    }

    void objectRoundTrip()
    {
        QTemporaryDir dir;
        SampleRecord record;
        record.name = QStringLiteral("alpha");
        record.count = 42;
        QVERIFY(WorkOfCachesFolder::writeCachesFolderForEncodObject(record, QStringLiteral("SampleRecord"),
                                                                     dir.path(), QStringLiteral("r.obj")));
        auto back = WorkOfCachesFolder::readObjectForCachesFolderPath<SampleRecord>(
            dir.path(), QStringLiteral("r.obj"), QStringLiteral("SampleRecord"));
        QVERIFY(back);
        QCOMPARE(back->name, record.name);
        QCOMPARE(back->count, 42);

        QVERIFY(!WorkOfCachesFolder::readObjectForCachesFolderPath<SampleRecord>(
            dir.path(), QStringLiteral("r.obj"), QStringLiteral("OtherKey")));
        QVERIFY(!WorkOfCachesFolder::readObjectForCachesFolderPath<SampleRecord>(
            dir.path(), QStringLiteral("missing"), QStringLiteral("SampleRecord")));
        QVERIFY(WorkOfCachesFolder::dataEncodWithObject(record, QString()).isEmpty());
        QVERIFY(!WorkOfCachesFolder::objectWithDataEncod<SampleRecord>(QByteArray(), QStringLiteral("SampleRecord")));
        QVERIFY(!WorkOfCachesFolder::objectWithDataEncod<SampleRecord>("not an archive", QStringLiteral("SampleRecord")));
        const QByteArray data = WorkOfCachesFolder::dataEncodWithObject(record, QStringLiteral("SampleRecord"));
        QVERIFY(!WorkOfCachesFolder::objectWithDataEncod<SampleRecord>(data, QString()));
        QVERIFY(!WorkOfCachesFolder::objectWithDataEncod<SampleRecord>(data.left(data.size() / 2),
                                                                       QStringLiteral("SampleRecord")));
    }

    void refusedNames()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("inner"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("outside")), "secret"));

        const QStringList bad = {QString(), QStringLiteral("."), QStringLiteral(".."),
                                 QStringLiteral("../outside"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                                 QStringLiteral("tab\there"), QStringLiteral("del\x7f"),
                                 QString(QChar(0)) + QStringLiteral("nul")};
        for (const QString &name : bad) {
            QVERIFY2(!WorkOfCachesFolder::isAcceptableFileName(name), qPrintable(name));
            if (!name.isEmpty()) {
                for (const char *operation : {"writeCachesFolderForData", "readDataForCachesFolderPath",
                                              "removeCachesFolderForFolderPath", "moveDifferentCashFolderAtName"})
                    QTest::ignoreMessage(QtWarningMsg, QByteArray("Err WorkOfCachesFolder ") + operation
                                                           + " : refused file name");
            }
            QVERIFY(!WorkOfCachesFolder::writeCachesFolderForData("x", folder, name));
            QVERIFY(WorkOfCachesFolder::readDataForCachesFolderPath(folder, name).isNull());
            QVERIFY(!WorkOfCachesFolder::removeCachesFolderForFolderPath(folder, name));
            QVERIFY(!WorkOfCachesFolder::moveDifferentCashFolderAtName(name, folder, dir.path()));
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("outside"))));
        QVERIFY(QDir(folder).isEmpty());
        QVERIFY(WorkOfCachesFolder::isAcceptableFileName(QStringLiteral("..hidden")));
        QVERIFY(WorkOfCachesFolder::isAcceptableFileName(QStringLiteral("list \u3042.listItems")));
    }

    void removeAndMove()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        QVERIFY(QDir(folder).mkpath(QStringLiteral("cachesID1/deep/deeper")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("cachesID1/deep/deeper/f")), "x"));
        QVERIFY(WorkOfCachesFolder::removeCachesFolderForFolderPath(folder, QStringLiteral("cachesID1")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("cachesID1"))));
        QVERIFY(!WorkOfCachesFolder::removeCachesFolderForFolderPath(folder, QStringLiteral("cachesID1")));

        // A link to a folder is removed itself; what it points at stays.
        QVERIFY(QDir(folder).mkdir(QStringLiteral("target")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("target/f")), "x"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("target")), dir.filePath(QStringLiteral("link"))));
        QVERIFY(WorkOfCachesFolder::removeCachesFolderForFolderPath(folder, QStringLiteral("link")));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("target/f"))));

        QVERIFY(QDir(folder).mkdir(QStringLiteral("from")));
        QVERIFY(QDir(folder).mkdir(QStringLiteral("to")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("from/item")), "moved"));
        QVERIFY(WorkOfCachesFolder::moveDifferentCashFolderAtName(QStringLiteral("item"), dir.filePath(QStringLiteral("from")),
                                                                 dir.filePath(QStringLiteral("to"))));
        QCOMPARE(WorkOfCachesFolder::readDataForCachesFolderPath(dir.filePath(QStringLiteral("to")), QStringLiteral("item")),
                 QByteArray("moved"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("from/item"))));
        // An existing entry at the target is never replaced.
        QVERIFY(writeFile(dir.filePath(QStringLiteral("from/item")), "second"));
        QVERIFY(!WorkOfCachesFolder::moveDifferentCashFolderAtName(QStringLiteral("item"), dir.filePath(QStringLiteral("from")),
                                                                  dir.filePath(QStringLiteral("to"))));
        QCOMPARE(WorkOfCachesFolder::readDataForCachesFolderPath(dir.filePath(QStringLiteral("to")), QStringLiteral("item")),
                 QByteArray("moved"));
        QVERIFY(!WorkOfCachesFolder::moveDifferentCashFolderAtName(QStringLiteral("none"), dir.filePath(QStringLiteral("from")),
                                                                  dir.filePath(QStringLiteral("to"))));
    }

    void panelRequests()
    {
        const ImportFilePath::PanelRequest csv = ImportFilePath::panelRequestForTypes(6);
        QCOMPARE(csv.allowedExtensions, QStringList({QStringLiteral("csv"), QStringLiteral("CSV"),
                                                     QStringLiteral("pgcl"), QStringLiteral("PGCL")}));
        QCOMPARE(csv.title, Localization::textOrKey(Localization::kMainTable,
                                                    QStringLiteral("acquire a pass of the CSV file")));
        QVERIFY(csv.filesOnly && !csv.foldersOnly && !csv.mayCreateFolders);
        QCOMPARE(csv.startFolder, QDir::homePath());
        QCOMPARE(csv.startName, QStringLiteral("Documents"));

        for (int code : {0, 7, 9, -1}) {
            const ImportFilePath::PanelRequest any = ImportFilePath::panelRequestForTypes(code);
            QVERIFY(any.allowedExtensions.isEmpty());
            QVERIFY(any.title.isEmpty());
            QVERIFY(any.filesOnly);
        }
        QCOMPARE(ImportFilePath::panelRequestForTypes(4).allowedExtensions.size(), 10);
        QCOMPARE(ImportFilePath::panelRequestForTypes(5).allowedExtensions,
                 ImportFilePath::panelRequestForTypes(4).allowedExtensions);
        QVERIFY(ImportFilePath::panelRequestForTypes(4).title != ImportFilePath::panelRequestForTypes(5).title);

        const ImportFilePath::PanelRequest folder = ImportFilePath::panelRequestForWriteFolder();
        QVERIFY(!folder.filesOnly && folder.foldersOnly && folder.mayCreateFolders);

        ScriptedOpenPanel panel;
        panel.answer = QStringLiteral("/data/list.csv");
        QCOMPARE(ImportFilePath::chooseSourceFilePathOfCSV(panel), QStringLiteral("/data/list.csv"));
        QCOMPARE(panel.lastRequest.allowedExtensions, csv.allowedExtensions);
        ImportFilePath::chooseSourceFilePathOfHTML(panel);
        QCOMPARE(panel.lastRequest.allowedExtensions, QStringList{QStringLiteral("html")});
        panel.answer = QString();
        QVERIFY(ImportFilePath::chooseWriteFolderPath(panel).isNull());
        QVERIFY(panel.lastRequest.foldersOnly);
        panel.answer = QStringLiteral("");
        QVERIFY(ImportFilePath::chooseSourceFilePathAtTypes(panel, 2).isNull());
        QCOMPARE(panel.runs, 4);
    }

    void sourceReaders()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("a.png"));
        const QString text = dir.filePath(QStringLiteral("a.txt"));
        const QString tiny = dir.filePath(QStringLiteral("tiny"));
        QVERIFY(writeFile(png, QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR")));
        QVERIFY(writeFile(text, "hello, world"));
        QVERIFY(writeFile(tiny, "G"));

        QCOMPARE(ImportFilePath::getSourceDataAtFilePath(text), QByteArray("hello, world"));
        QVERIFY(ImportFilePath::getSourceDataAtFilePath(QString()).isNull());
        QVERIFY(ImportFilePath::getSourceDataAtFilePath(dir.filePath(QStringLiteral("none"))).isNull());
        QVERIFY(ImportFilePath::getSourceDataAtFilePath(dir.path()).isNull());

        QCOMPARE(ImportFilePath::getImageFilesAtPath(png), png);
        QVERIFY(ImportFilePath::getImageFilesAtPath(text).isNull());
        QVERIFY(ImportFilePath::getImageFilesAtPath(tiny).isNull());
        QVERIFY(ImportFilePath::getImageFilesAtPath(QString()).isNull());
        QVERIFY(ImportFilePath::getImageFilesAtPath(dir.filePath(QStringLiteral("none"))).isNull());
        QVERIFY(writeFile(png, QByteArrayLiteral("\xff\xd8\xff\xe0")));
        QCOMPARE(ImportFilePath::getImageFilesAtPath(png), png);
    }
};

QTEST_GUILESS_MAIN(tst_CachesFolder)
#include "tst_CachesFolder.moc"
