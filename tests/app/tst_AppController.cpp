#include "app/AppController.h"
#include "app/AppPlatform.h"
#include "app/DocumentHandle.h"
#include "app/MyDocumentController.h"
#include "document/RootCachesFolder.h"
#include "platform/AlertPresenter.h"
#include "platform/AlertSheetModal.h"
#include "prefs/AdvancedObject.h"
#include "prefs/DomainObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

struct FakeDocument : DocumentHandle
{
    FakeDocument(const QString &documentPath, bool documentEdited) : path(documentPath), edited(documentEdited) {}
    QString filePath() const override { return path; }
    QString lastComponentOfFileName() const override { return QFileInfo(path).fileName(); }
    bool isDocumentEdited() const override { return edited; }
    void registerSaveSituationWithState(bool state) override { saveSituation = state; }
    void importListItemsFilePath() override { ++imports; }
    void exportListItemsFile() override { ++exports; }
    void setingToolWihtState(int state) override { toolState = state; }

    QString path;
    bool edited = false, saveSituation = false;
    int imports = 0, exports = 0, toolState = -1;
};

struct FakePlatform : AppPlatform
{
    bool fontPanelExists() const override { return fontExists; }
    bool fontPanelVisible() const override { return fontVisible; }
    void closeFontPanel() override { fontVisible = false; ++fontCloses; }
    void bringFontPanelToFront() override { fontVisible = true; ++fontFronts; }
    bool colorPanelExists() const override { return false; }
    bool colorPanelVisible() const override { return false; }
    void closeColorPanel() override {}
    void bringColorPanelToFront() override {}
    void openPreferencesPanel() override { ++preferencesOpened; }
    void showHelp() override {}
    DocumentHandle *newDocument() override { return add(QString(), false); }
    QList<DocumentHandle *> openDocuments() const override
    {
        QList<DocumentHandle *> list;
        for (const auto &document : documents)
            list.append(document.get());
        return list;
    }
    DocumentHandle *currentDocument() const override { return documents.empty() ? nullptr : documents.back().get(); }
    void closeDocument(DocumentHandle *document) override
    {
        std::erase_if(documents, [document](const auto &d) { return d.get() == document; });
    }
    bool openDocumentWithContentsOfFile(const QString &path, bool) override { opened.append(path); return true; }
    FakeDocument *add(const QString &path, bool edited)
    {
        documents.push_back(std::make_unique<FakeDocument>(path, edited));
        return documents.back().get();
    }

    bool fontExists = false, fontVisible = false;
    int fontCloses = 0, fontFronts = 0, preferencesOpened = 0;
    std::vector<std::unique_ptr<FakeDocument>> documents;
    QStringList opened;
};

// Answers every alert with one button and records the numbers asked.
struct RecordingAlerts : AlertPresenter
{
    AlertButton present(const AlertContent &content) override
    {
        numbers.append(content.number);
        texts.append(content.title + u'\n' + content.message);
        return answer;
    }
    AlertButton answer = AlertButton::Default;
    QList<int> numbers;
    QStringList texts;
};

class tst_AppController : public QObject
{
    Q_OBJECT

private:
    RecordingAlerts m_alerts;
    AlertPresenter *m_previousPresenter = nullptr;

    // A controller whose preferences and caches live in dir.
    static std::unique_ptr<AppController> makeApp(FakePlatform &platform, NotificationCenter &center, const QTemporaryDir &dir)
    {
        auto app = std::make_unique<AppController>(&platform, &center);
        app->domainObject()->registerSettingsFilePath(dir.filePath(u"settings.conf"_s));
        app->domainObject()->registerRootDomainPath(dir.filePath(u"domain"_s));
        QDir(dir.path()).mkpath(u"domain"_s);
        return app;
    }

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_previousPresenter = AlertSheetModal::setPresenter(&m_alerts);
    }
    void cleanupTestCase() { AlertSheetModal::setPresenter(m_previousPresenter); }
    void init()
    {
        m_alerts.numbers.clear();
        m_alerts.texts.clear();
        m_alerts.answer = AlertButton::Default;
    }

    void fileNumbering()
    {
        FakePlatform platform;
        MyDocumentController controller(&platform, nullptr);
        for (const QString &name : {u"A.pgcd"_s, u"B.pgcd"_s, u"C.pgcd"_s})
            QVERIFY(controller.addDocumentFileName(name));
        QVERIFY(!controller.addDocumentFileName(u"A.pgcd"_s));
        QVERIFY(!controller.addDocumentFileName(QString()));
        QCOMPARE(controller.answerDocumentFileName(u"A.pgcd"_s), 1);
        QCOMPARE(controller.answerDocumentFileName(u"C.pgcd"_s), 3);
        QCOMPARE(controller.answerDocumentFileName(u"unknown"_s), 0);

        // A rename keeps the number and frees the old name, which a later
        // document gets under a new number.
        QVERIFY(controller.addFileName(u"A.pgcd"_s, 1, u"A2.pgcd"_s, 1));
        QCOMPARE(controller.answerDocumentFileName(u"A2.pgcd"_s), 1);
        QVERIFY(!controller.inspectionDocumentFileName(u"A.pgcd"_s));
        QVERIFY(controller.addDocumentFileName(u"A.pgcd"_s));
        QCOMPARE(controller.answerDocumentFileName(u"A.pgcd"_s), 4);

        QVERIFY(controller.registerFileListDictionary({{u"P"_s, 5}, {u"Q"_s, 7}, {u"bad"_s, u"x"_s}}));
        QCOMPARE(controller.fileListDictionary(), QVariantMap({{u"P"_s, 5}, {u"Q"_s, 7}}));
        QVERIFY(!controller.registerFileListDictionary({}));
        QVERIFY(controller.fileListDictionary().isEmpty());
        QVERIFY(controller.addDocumentFileName(u"first"_s));
        QCOMPARE(controller.answerDocumentFileName(u"first"_s), 1);
    }

    void numbersAreNeverShared()
    {
        FakePlatform platform;
        MyDocumentController controller(&platform, nullptr);

        // Renaming onto a name that has an entry drops the old entry; the next
        // new name must not repeat the number that entry still holds.
        controller.addDocumentFileName(u"A"_s);
        controller.addDocumentFileName(u"B"_s);
        QVERIFY(!controller.addFileName(u"A"_s, 1, u"B"_s, 1));
        QVERIFY(controller.addDocumentFileName(u"C"_s));
        QCOMPARE(controller.answerDocumentFileName(u"C"_s), 3);

        // The same file name in two folders: two documents, two numbers.
        MyDocumentController paths(&platform, nullptr);
        const int first = paths.acquireNumberForDocumentPath(u"/one/Doc.pgcd"_s);
        const int second = paths.acquireNumberForDocumentPath(u"/two/Doc.pgcd"_s);
        QCOMPARE(first, 1);
        QVERIFY(second != first && second > 0);
        QCOMPARE(paths.acquireNumberForDocumentPath(u"/one/Doc.pgcd"_s), first);
        QCOMPARE(paths.answerDocumentFileName(u"Doc.pgcd"_s), first);
        QCOMPARE(paths.acquireNumberForDocumentPath(QString()), 0);

        // A number held by an open document survives the table being emptied.
        paths.registerFileListDictionary({});
        QVERIFY(paths.addDocumentFileName(u"E"_s));
        const int e = paths.answerDocumentFileName(u"E"_s);
        QVERIFY(e != first && e != second);

        // Released: the name's entry returns to the next document of that
        // name; a fresh number is never handed out again.
        paths.releaseNumberForDocumentPath(u"/two/Doc.pgcd"_s);
        paths.releaseNumberForDocumentPath(u"/one/Doc.pgcd"_s);
        paths.setFileName(u"Doc.pgcd"_s, first);
        QCOMPARE(paths.acquireNumberForDocumentPath(u"/three/Doc.pgcd"_s), first);
        QVERIFY(paths.addDocumentFileName(u"F"_s));
        QVERIFY(paths.answerDocumentFileName(u"F"_s) != second);

        // Saving under a new path keeps the number and moves the entry.
        MyDocumentController moving(&platform, nullptr);
        QCOMPARE(moving.acquireNumberForDocumentPath(u"/a/X.pgcd"_s), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(u"/a/Y.pgcd"_s), 2);
        QCOMPARE(moving.transferNumberForDocumentPath(u"/a/X.pgcd"_s, u"/b/Z.pgcd"_s), 1);
        QCOMPARE(moving.answerDocumentFileName(u"Z.pgcd"_s), 1);
        QVERIFY(!moving.inspectionDocumentFileName(u"X.pgcd"_s));
        // Onto the name another document holds: the number still stays.
        QCOMPARE(moving.transferNumberForDocumentPath(u"/b/Z.pgcd"_s, u"/c/Y.pgcd"_s), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(u"/c/Y.pgcd"_s), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(u"/a/Y.pgcd"_s), 2);
        const int fresh = moving.acquireNumberForDocumentPath(u"/d/Y.pgcd"_s);
        QVERIFY(fresh != 1 && fresh != 2);
    }

    void closingAnOpenCopy()
    {
        FakePlatform platform;
        MyDocumentController controller(&platform, nullptr);
        platform.add(u"/p/Other.pgcd"_s, false);
        platform.add(u"/p/List.pgcd"_s, true);

        m_alerts.answer = AlertButton::Default; // NO
        QVERIFY(!controller.inspectionOpenUserDocumentFileName(u"/p/List.pgcd"_s));
        QCOMPARE(m_alerts.numbers, QList<int>{211});
        QVERIFY(m_alerts.texts.constFirst().contains(u"List.pgcd"_s));
        QCOMPARE(platform.documents.size(), size_t(2));

        m_alerts.answer = AlertButton::Alternate; // YES
        QVERIFY(controller.openDocumentWithContentsOfFile(u"/p/List.pgcd"_s, true));
        QCOMPARE(platform.documents.size(), size_t(1));
        QCOMPARE(platform.opened, QStringList{u"/p/List.pgcd"_s});

        // Unedited copies close without asking; without display nothing closes.
        m_alerts.numbers.clear();
        controller.openDocumentWithContentsOfFile(u"/p/Other.pgcd"_s, false);
        QCOMPARE(platform.documents.size(), size_t(1));
        QVERIFY(controller.inspectionOpenUserDocumentFileName(u"/p/Other.pgcd"_s));
        QVERIFY(platform.documents.empty());
        QVERIFY(m_alerts.numbers.isEmpty());
    }

    void commandsReachTheCurrentDocumentAndPanels()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        NotificationCenter center;
        auto app = makeApp(platform, center, dir);
        QCOMPARE(MyDocumentController::sharedDocumentController(), app->documentController());

        app->newDocument();
        auto *document = static_cast<FakeDocument *>(platform.currentDocument());
        QVERIFY(document && document->saveSituation);
        app->importListItemsFilePath();
        app->exportListItemsFile();
        app->setingToolShow_search();
        QCOMPARE(document->imports + document->exports, 2);
        QCOMPARE(document->toolState, 2);

        // The font panel toggles only once it exists.
        app->showFontPanel();
        QCOMPARE(platform.fontFronts + platform.fontCloses, 0);
        platform.fontExists = true;
        app->showFontPanel();
        QVERIFY(platform.fontVisible);
        app->showFontPanel();
        QVERIFY(!platform.fontVisible);
    }

    void firstAndSecondLaunch()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        NotificationCenter center;
        const QString cwd = QDir::currentPath();
        const QString root = dir.filePath(u"domain/PagecraftCSV"_s);
        {
            auto app = makeApp(platform, center, dir);
            app->awakeFromNib();
            QCOMPARE(m_alerts.numbers, QList<int>{100});
            QVERIFY(QFile::exists(dir.filePath(u"settings.conf"_s)));
            QCOMPARE(platform.preferencesOpened, 1);
            QVERIFY(QFileInfo(root + u"/FabrikLibrary"_s).isDir());
            QVERIFY(!app->applicationShouldOpenUntitledFile());
            app->preferencesSource()->generalObject()->registerOpenTheNewWindowWithState(true);
            QVERIFY(app->makingUserDefaultsDictionary());

            // Termination removes the working folders, not the root or library.
            QVERIFY(app->rootCachesFolder()->makingFileCachesFolderTitle(u"cachesID"_s, 1));
            app->applicationWillTerminate();
            QVERIFY(!QFileInfo::exists(root + u"/FabrikObject"_s));
            QVERIFY(!QFileInfo::exists(root + u"/FabrikWork"_s));
            QVERIFY(QFileInfo(root + u"/FabrikLibrary"_s).isDir());
        }
        m_alerts.numbers.clear();
        auto second = makeApp(platform, center, dir);
        second->awakeFromNib();
        QVERIFY(m_alerts.numbers.isEmpty());
        QCOMPARE(platform.preferencesOpened, 1);
        QVERIFY(second->applicationShouldOpenUntitledFile());
        QVERIFY(QFileInfo(root + u"/FabrikObject"_s).isDir());
        QCOMPARE(QDir::currentPath(), cwd);
    }

    void secondRunningCopyLeavesTheTreeAlone()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        NotificationCenter center;
        auto first = makeApp(platform, center, dir);
        first->awakeFromNib();
        QVERIFY(first->holdsInstanceLock());
        QVERIFY(first->rootCachesFolder()->makingFileCachesFolderTitle(u"cachesID"_s, 1));
        const QString working = first->rootCachesFolder()->fileCachesFolderPathOfWork() + u"/unsaved.listItems"_s;
        QVERIFY(QFile(working).open(QIODevice::WriteOnly));

        // A second copy on the same tree must neither clear nor own it.
        auto second = makeApp(platform, center, dir);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"acquireInstanceLock"_s));
        second->awakeFromNib();
        QVERIFY(!second->holdsInstanceLock());
        second->applicationWillTerminate();
        QVERIFY(QFile::exists(working));

        // Once the first copy ends, the next start owns the tree again.
        first->applicationWillTerminate();
        QVERIFY(!QFile::exists(working));
        auto third = makeApp(platform, center, dir);
        third->awakeFromNib();
        QVERIFY(third->holdsInstanceLock());
    }

    void userCachesFolderPreference()
    {
        QTemporaryDir dir;
        QTemporaryDir userFolder;
        FakePlatform platform;
        NotificationCenter center;
        {
            auto first = makeApp(platform, center, dir);
            first->awakeFromNib();
            AdvancedObject *advanced = first->preferencesSource()->advancedObject();
            advanced->registerUserFileCachesFolderWithState(true);
            advanced->registerUserFileCachesFolderPathString(userFolder.path());
            QVERIFY(first->makingUserDefaultsDictionary());
        }
        auto app = makeApp(platform, center, dir);
        app->awakeFromNib();
        const RootCachesFolder *tree = app->rootCachesFolder();
        QCOMPARE(tree->objectCachesFolderPath(), userFolder.filePath(u"PagecraftCSV/FabrikObject"_s));
        QVERIFY(QFileInfo(tree->objectCachesFolderPath()).isDir());
        QCOMPARE(tree->workCachesFolderPath(), dir.filePath(u"domain/PagecraftCSV/FabrikWork"_s));

        // The flag without a folder leaves the standard tree.
        app->preferencesSource()->advancedObject()->registerUserFileCachesFolderPathString(QString());
        QVERIFY(app->makingUserDefaultsDictionary());
        app.reset(); // one running copy at a time
        auto plain = makeApp(platform, center, dir);
        plain->awakeFromNib();
        QVERIFY(!plain->rootCachesFolder()->userFileCachesFolderWithState());
        QCOMPARE(plain->rootCachesFolder()->objectCachesFolderPath(),
                 dir.filePath(u"domain/PagecraftCSV/FabrikObject"_s));
    }
};

QTEST_GUILESS_MAIN(tst_AppController)
#include "tst_AppController.moc"
