#include "platform/ImportFilePath.h"
#include "platform/OpenPanelPresenter.h"
#include "document/RootCachesFolder.h"
#include "platform/WorkOfCachesFolder.h"
#include "prefs/GeneralObject.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using W = WorkOfCachesFolder;

struct ScriptedOpenPanel : OpenPanelPresenter
{
    QString runOpenPanel(const ImportFilePath::PanelRequest &) override { return answer; }
    QString answer;
};

static bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

static bool isDir(const QString &path) { return QFileInfo(path).isDir(); }

class tst_CachesFolder : public QObject
{
    Q_OBJECT

private:
    static RootCachesFolder builtTree(const QString &rootDomain)
    {
        RootCachesFolder tree;
        tree.registerRootDomainPath(rootDomain);
        tree.makingRootCachesFolder();
        return tree;
    }
    static bool builds(const QString &rootDomain)
    {
        RootCachesFolder tree;
        tree.registerRootDomainPath(rootDomain);
        return tree.makingRootCachesFolder();
    }

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void standardTree()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        RootCachesFolder tree;
        QVERIFY(!tree.rootDomainPath().isNull()); // refusals and defaults are "" not null
        QVERIFY(tree.registerRootDomainPath(dir.path()));
        QVERIFY(tree.makingRootCachesFolder());
        const QString root = dir.filePath(u"PagecraftCSV"_s);
        QCOMPARE(tree.rootCachesFolderPath(), root);
        const QStringList paths{tree.libraryCachesFolderPath(), tree.objectCachesFolderPath(),
                                tree.workCachesFolderPath()};
        QCOMPARE(paths, (QStringList{root + u"/FabrikLibrary"_s, root + u"/FabrikObject"_s, root + u"/FabrikWork"_s}));
        for (const QString &path : paths)
            QVERIFY2(isDir(path), qPrintable(path));

        // A second build creates only what is missing and keeps what is there.
        QVERIFY(writeFile(tree.objectCachesFolderPath() + u"/kept"_s, "x"));
        QVERIFY(QDir(tree.libraryCachesFolderPath()).removeRecursively());
        RootCachesFolder again = builtTree(dir.path());
        QVERIFY(isDir(again.libraryCachesFolderPath()));
        QVERIFY(QFile::exists(again.objectCachesFolderPath() + u"/kept"_s));

        // A missing root domain or a file where the root belongs fails the build.
        QVERIFY(!builds(dir.filePath(u"absent"_s)));
        QTemporaryDir blocked;
        QVERIFY(writeFile(blocked.filePath(u"PagecraftCSV"_s), "file"));
        QVERIFY(!builds(blocked.path()));

        // "~/" is the home folder.
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const bool built = builds(u"~/"_s);
        qputenv("HOME", oldHome);
        QVERIFY(built);
        QVERIFY(isDir(home.filePath(u"PagecraftCSV/FabrikObject"_s)));
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

        QCOMPARE(tree.rootCachesFolderPath(), user.filePath(u"PagecraftCSV"_s));
        QCOMPARE(tree.objectCachesFolderPath(), user.filePath(u"PagecraftCSV/FabrikObject"_s));
        QCOMPARE(tree.libraryCachesFolderPath(), domain.filePath(u"PagecraftCSV/FabrikLibrary"_s));
        QCOMPARE(tree.workCachesFolderPath(), domain.filePath(u"PagecraftCSV/FabrikWork"_s));
        QVERIFY(!QFileInfo::exists(domain.filePath(u"PagecraftCSV/FabrikObject"_s)));
        QVERIFY(tree.makingFileCachesFolderTitle(u"cachesID"_s, 4));
        QVERIFY(isDir(user.filePath(u"PagecraftCSV/FabrikObject/cachesID4"_s)));
        QVERIFY(isDir(domain.filePath(u"PagecraftCSV/FabrikWork/cachesID4"_s)));

        // Flag on without a folder: the user's part cannot be made.
        RootCachesFolder noFolder;
        noFolder.registerRootDomainPath(domain.path());
        noFolder.registerUserFileCachesFolderWithState(true);
        QVERIFY(!noFolder.registerUserFileCachesFolderPath(QString()));
        QVERIFY(!noFolder.makingRootCachesFolder());
    }

    void documentFoldersAndFreshNumber()
    {
        QTemporaryDir dir;
        RootCachesFolder tree = builtTree(dir.path());
        QVERIFY(tree.makingFileCachesFolderTitle(u"cachesID"_s, 10));
        QCOMPARE(tree.cachesFolderID(), 10);
        QCOMPARE(tree.fileCachesFolderPath(), tree.objectCachesFolderPath() + u"/cachesID10"_s);
        QCOMPARE(tree.fileCachesFolderPathOfWork(), tree.workCachesFolderPath() + u"/cachesID10"_s);
        QVERIFY(isDir(tree.fileCachesFolderPath()) && isDir(tree.fileCachesFolderPathOfWork()));

        // Selecting the number again takes the folders over with their contents.
        QVERIFY(writeFile(tree.fileCachesFolderPathOfWork() + u"/a.listItems"_s, "data"));
        QVERIFY(tree.makingFileCachesFolderTitle(u"cachesID"_s, 3));
        QVERIFY(tree.makingFileCachesFolderTitle(u"cachesID"_s, 10));
        QVERIFY(QFile::exists(tree.fileCachesFolderPathOfWork() + u"/a.listItems"_s));
        QVERIFY(!tree.makingFileCachesFolderTitle(QString(), 1));

        // A fresh number skips those in use, only while no number is set.
        QTemporaryDir freshDir;
        RootCachesFolder fresh = builtTree(freshDir.path());
        QVERIFY(QDir(fresh.objectCachesFolderPath()).mkdir(u"cachesID1"_s));
        QVERIFY(QDir(fresh.objectCachesFolderPath()).mkdir(u"cachesID2"_s));
        fresh.registerFileCachesFolderTitle(u"cachesID"_s);
        fresh.registerFileCachesFolderTitleOfWork(u"cachesID"_s);
        QVERIFY(fresh.makingFileCachesFolderIDTitle());
        QCOMPARE(fresh.cachesFolderID(), 3);
        QCOMPARE(fresh.fileCachesFolderPathOfWork(), fresh.workCachesFolderPath() + u"/cachesID3"_s);
        QVERIFY(isDir(fresh.fileCachesFolderPath()) && isDir(fresh.fileCachesFolderPathOfWork()));
        QVERIFY(!fresh.makingFileCachesFolderIDTitle());
    }

    void initializationKeepsRootAndLibrary()
    {
        QTemporaryDir dir;
        RootCachesFolder tree = builtTree(dir.path());
        tree.makingFileCachesFolderTitle(u"cachesID"_s, 1);
        QVERIFY(writeFile(tree.fileCachesFolderPath() + u"/f"_s, "x"));
        QVERIFY(writeFile(tree.libraryCachesFolderPath() + u"/lib"_s, "x"));

        tree.cachesFolderInitialization();
        QVERIFY(!QFileInfo::exists(tree.objectCachesFolderPath()));
        QVERIFY(!QFileInfo::exists(tree.workCachesFolderPath()));
        QVERIFY(QFile::exists(tree.libraryCachesFolderPath() + u"/lib"_s));

        // A tree never built has empty paths: document folders land nowhere
        // and initialization removes nothing, not even in the current directory.
        QTemporaryDir cwdDir;
        QVERIFY(writeFile(cwdDir.filePath(u"keep"_s), "x"));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(cwdDir.path());
        RootCachesFolder unbuilt;
        unbuilt.makingFileCachesFolderTitle(u"cachesID"_s, 1);
        unbuilt.cachesFolderInitialization();
        QDir::setCurrent(cwd);
        QVERIFY(unbuilt.fileCachesFolderPath().isEmpty());
        QCOMPARE(QDir(cwdDir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{u"keep"_s});

        // An object folder that is the root itself is never removed.
        RootCachesFolder odd;
        odd.registerRootCachesFolderPath(dir.filePath(u"PagecraftCSV"_s));
        odd.registerObjectCachesFolderPath(dir.filePath(u"PagecraftCSV"_s));
        odd.cachesFolderInitialization();
        QVERIFY(isDir(tree.libraryCachesFolderPath()));
    }

    void writeReadAndObjectRoundTrip()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QString text = u"Zeile \u00e4\u3042"_s;
        QVERIFY(W::writeCachesFolderForString(text, folder, u"t.text"_s));
        QCOMPARE(W::readDataForCachesFolderPath(folder, u"t.text"_s), text.toUtf8());

        QVERIFY(!W::writeCachesFolderForString(QString(), folder, u"e"_s));
        QVERIFY(!W::writeCachesFolderForData("x", dir.filePath(u"nofolder"_s), u"e"_s));
        // Empty but present data writes an empty file, read back as empty, not null.
        QVERIFY(W::writeCachesFolderForData(QByteArray(""), folder, u"empty"_s));
        const QByteArray emptyRead = W::readDataForCachesFolderPath(folder, u"empty"_s);
        QVERIFY(!emptyRead.isNull() && emptyRead.isEmpty());
        QVERIFY(W::readDataForCachesFolderPath(folder, u"missing"_s).isNull());

        GeneralObject record;
        record.registerUserNicknameString(u"alpha"_s);
        record.registerFrameUsingWindowWithState(true);
        QVERIFY(W::writeCachesFolderForEncodObject(record, u"Record"_s, folder, u"r.obj"_s));
        auto back = W::readObjectForCachesFolderPath<GeneralObject>(folder, u"r.obj"_s, u"Record"_s);
        QVERIFY(back);
        QCOMPARE(back->userNicknameString(), u"alpha"_s);
        QVERIFY(back->frameUsingWindowWithState());

        // Atomic writes leave nothing but the files themselves.
        QStringList names = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
        names.sort();
        QCOMPARE(names, (QStringList{u"empty"_s, u"r.obj"_s, u"t.text"_s}));

        // Wrong key, missing file, garbage and truncated data are refused.
        QVERIFY(!W::readObjectForCachesFolderPath<GeneralObject>(folder, u"r.obj"_s, u"OtherKey"_s));
        QVERIFY(!W::readObjectForCachesFolderPath<GeneralObject>(folder, u"missing"_s, u"Record"_s));
        QVERIFY(W::dataEncodWithObject(record, QString()).isEmpty());
        const QByteArray data = W::dataEncodWithObject(record, u"Record"_s);
        QVERIFY(!W::objectWithDataEncod<GeneralObject>(data, QString()));
        for (const QByteArray &bad : {QByteArray(), QByteArray("not an archive"), data.left(data.size() / 2)})
            QVERIFY(!W::objectWithDataEncod<GeneralObject>(bad, u"Record"_s));
    }

    void refusedNames()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"inner"_s);
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(writeFile(dir.filePath(u"outside"_s), "secret"));

        const QStringList bad = {QString(), u"."_s, u".."_s, u"../outside"_s, u"a/b"_s, u"a\\b"_s,
                                 u"tab\there"_s, u"del\x7f"_s, QString(QChar(0)) + u"nul"_s};
        for (const QString &name : bad) {
            QVERIFY2(!W::isAcceptableFileName(name), qPrintable(name));
            if (!name.isEmpty()) {
                for (const char *operation : {"writeCachesFolderForData", "readDataForCachesFolderPath",
                                              "removeCachesFolderForFolderPath", "moveDifferentCashFolderAtName"})
                    QTest::ignoreMessage(QtWarningMsg, QByteArray("Err WorkOfCachesFolder ") + operation
                                                           + " : refused file name");
            }
            QVERIFY(!W::writeCachesFolderForData("x", folder, name));
            QVERIFY(W::readDataForCachesFolderPath(folder, name).isNull());
            QVERIFY(!W::removeCachesFolderForFolderPath(folder, name));
            QVERIFY(!W::moveDifferentCashFolderAtName(name, folder, dir.path()));
        }
        QVERIFY(QFile::exists(dir.filePath(u"outside"_s)));
        QVERIFY(QDir(folder).isEmpty());
        QVERIFY(W::isAcceptableFileName(u"..hidden"_s));
        QVERIFY(W::isAcceptableFileName(u"list \u3042.listItems"_s));
    }

    void writesReplaceWholeAndNeverFollowLinks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"inner"_s);
        QVERIFY(QDir().mkdir(folder));
        const QString outside = dir.filePath(u"outside"_s);
        QVERIFY(writeFile(outside, "secret"));

        // A link planted in the folder is replaced; what it points at stays.
        QVERIFY(QFile::link(outside, QDir(folder).filePath(u"list"_s)));
        QVERIFY(W::writeCachesFolderForData("new", folder, u"list"_s));
        QVERIFY(!QFileInfo(QDir(folder).filePath(u"list"_s)).isSymLink());
        QCOMPARE(W::readDataForCachesFolderPath(folder, u"list"_s), QByteArray("new"));
        QFile kept(outside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("secret"));

        // A write that cannot land says why and leaves no temporary behind.
        QVERIFY(QDir(folder).mkdir(u"taken"_s));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Err WorkOfCachesFolder writeCachesFolderForData : .*taken"_s));
        QVERIFY(!W::writeCachesFolderForData("x", folder, u"taken"_s));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({u"list"_s, u"taken"_s}));

        // C1 control characters are as unsafe in a name as C0 ones.
        QVERIFY(!W::isAcceptableFileName(u"a\u0085b"_s));
    }

    void removeAndMove()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        const auto at = [&dir](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
        QVERIFY(QDir(folder).mkpath(u"cachesID1/deep/deeper"_s));
        QVERIFY(writeFile(at("cachesID1/deep/deeper/f"), "x"));
        QVERIFY(W::removeCachesFolderForFolderPath(folder, u"cachesID1"_s));
        QVERIFY(!QFileInfo::exists(at("cachesID1")));
        QVERIFY(!W::removeCachesFolderForFolderPath(folder, u"cachesID1"_s));

        // A link to a folder is removed itself; what it points at stays.
        QVERIFY(QDir(folder).mkdir(u"target"_s));
        QVERIFY(writeFile(at("target/f"), "x"));
        QVERIFY(QFile::link(at("target"), at("link")));
        QVERIFY(W::removeCachesFolderForFolderPath(folder, u"link"_s));
        QVERIFY(QFile::exists(at("target/f")));

        QVERIFY(QDir(folder).mkdir(u"from"_s) && QDir(folder).mkdir(u"to"_s));
        QVERIFY(writeFile(at("from/item"), "moved"));
        QVERIFY(W::moveDifferentCashFolderAtName(u"item"_s, at("from"), at("to")));
        QCOMPARE(W::readDataForCachesFolderPath(at("to"), u"item"_s), QByteArray("moved"));
        QVERIFY(!QFile::exists(at("from/item")));
        // An existing entry at the target is never replaced.
        QVERIFY(writeFile(at("from/item"), "second"));
        QVERIFY(!W::moveDifferentCashFolderAtName(u"item"_s, at("from"), at("to")));
        QCOMPARE(W::readDataForCachesFolderPath(at("to"), u"item"_s), QByteArray("moved"));
    }

    void panelsAndSourceReaders()
    {
        ScriptedOpenPanel panel;
        panel.answer = u"/data/list.csv"_s;
        QCOMPARE(ImportFilePath::chooseSourceFilePathOfCSV(panel), u"/data/list.csv"_s);
        QVERIFY(ImportFilePath::panelRequestForWriteFolder().foldersOnly);
        panel.answer = QString();
        QVERIFY(ImportFilePath::chooseWriteFolderPath(panel).isNull());
        panel.answer = u""_s; // cancelled: null, not empty
        QVERIFY(ImportFilePath::chooseSourceFilePathAtTypes(panel, 2).isNull());

        QTemporaryDir dir;
        const QString png = dir.filePath(u"a.png"_s);
        const QString text = dir.filePath(u"a.txt"_s);
        const QString tiny = dir.filePath(u"tiny"_s);
        QVERIFY(writeFile(png, QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR")));
        QVERIFY(writeFile(text, "hello, world"));
        QVERIFY(writeFile(tiny, "G"));
        QCOMPARE(ImportFilePath::getSourceDataAtFilePath(text), QByteArray("hello, world"));
        for (const QString &none : {QString(), dir.filePath(u"none"_s), dir.path()})
            QVERIFY(ImportFilePath::getSourceDataAtFilePath(none).isNull());
        QCOMPARE(ImportFilePath::getImageFilesAtPath(png), png);
        for (const QString &none : {text, tiny, QString(), dir.filePath(u"none"_s)})
            QVERIFY(ImportFilePath::getImageFilesAtPath(none).isNull());
        QVERIFY(writeFile(png, QByteArrayLiteral("\xff\xd8\xff\xe0")));
        QCOMPARE(ImportFilePath::getImageFilesAtPath(png), png);
    }
};

QTEST_GUILESS_MAIN(tst_CachesFolder)
#include "tst_CachesFolder.moc"
