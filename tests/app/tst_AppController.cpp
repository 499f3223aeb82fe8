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

class FakeDocument : public DocumentHandle
{
public:
    explicit FakeDocument(const QString &documentPath = QString(), bool documentEdited = false)
        : path(documentPath), edited(documentEdited) {}

    QString filePath() const override { return path; }
    QString lastComponentOfFileName() const override { return QFileInfo(path).fileName(); }
    bool isDocumentEdited() const override { return edited; }
    void registerSaveSituationWithState(bool state) override { saveSituation = state; }
    void importListItemsFilePath() override { ++imports; }
    void exportListItemsFile() override { ++exports; }
    void setingToolWihtState(int state) override { toolState = state; }

    QString path;
    bool edited = false;
    bool saveSituation = false;
    int imports = 0;
    int exports = 0;
    int toolState = -1;
};

class FakePlatform : public AppPlatform
{
public:
    bool fontPanelExists() const override { return fontExists; }
    bool fontPanelVisible() const override { return fontVisible; }
    void closeFontPanel() override { fontVisible = false; ++fontCloses; }
    void bringFontPanelToFront() override { fontVisible = true; ++fontFronts; }
    bool colorPanelExists() const override { return colorExists; }
    bool colorPanelVisible() const override { return colorVisible; }
    void closeColorPanel() override { colorVisible = false; }
    void bringColorPanelToFront() override { colorVisible = true; }
    void openPreferencesPanel() override { ++preferencesOpened; }
    void showHelp() override { ++helpShown; }

    DocumentHandle *newDocument() override
    {
        documents.push_back(std::make_unique<FakeDocument>());
        return documents.back().get();
    }
    QList<DocumentHandle *> openDocuments() const override
    {
        QList<DocumentHandle *> list;
        for (const auto &document : documents)
            list.append(document.get());
        return list;
    }
    DocumentHandle *currentDocument() const override
    {
        return documents.empty() ? nullptr : documents.back().get();
    }
    void closeDocument(DocumentHandle *document) override
    {
        std::erase_if(documents, [document](const auto &d) { return d.get() == document; });
    }
    bool openDocumentWithContentsOfFile(const QString &path, bool) override
    {
        opened.append(path);
        return true;
    }

    FakeDocument *add(const QString &path, bool edited)
    {
        documents.push_back(std::make_unique<FakeDocument>(path, edited));
        return documents.back().get();
    }

    bool fontExists = false, fontVisible = false, colorExists = false, colorVisible = false;
    int fontCloses = 0, fontFronts = 0, preferencesOpened = 0, helpShown = 0;
    std::vector<std::unique_ptr<FakeDocument>> documents;
    QStringList opened;
};

// Answers every alert with one button and records the numbers asked.
class RecordingAlerts : public AlertPresenter
{
public:
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
    static std::unique_ptr<AppController> makeApp(FakePlatform &platform, NotificationCenter &center,
                                                  const QTemporaryDir &dir)
    {
        auto app = std::make_unique<AppController>(&platform, &center);
        app->domainObject()->registerSettingsFilePath(dir.filePath(QStringLiteral("settings.conf")));
        app->domainObject()->registerRootDomainPath(dir.filePath(QStringLiteral("domain")));
        QDir(dir.path()).mkpath(QStringLiteral("domain"));
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
        QCOMPARE(MyDocumentController::sharedDocumentController(), &controller);
        QVERIFY(controller.addDocumentFileName(QStringLiteral("A.pgcd")));
        QVERIFY(controller.addDocumentFileName(QStringLiteral("B.pgcd")));
        QVERIFY(controller.addDocumentFileName(QStringLiteral("C.pgcd")));
        QVERIFY(!controller.addDocumentFileName(QStringLiteral("A.pgcd")));
        QVERIFY(!controller.addDocumentFileName(QString()));
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("A.pgcd")), 1);
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("C.pgcd")), 3);
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("unknown")), 0);
        QVERIFY(controller.inspectionDocumentFileName(QStringLiteral("B.pgcd")));
        QVERIFY(!controller.inspectionDocumentFileName(QString()));
        QVERIFY(!controller.removeFileName(QStringLiteral("unknown")));

        // A rename keeps the number and frees the old name, which a later
        // document gets under a new number.
        QVERIFY(controller.addFileName(QStringLiteral("A.pgcd"), 1, QStringLiteral("A2.pgcd"), 1));
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("A2.pgcd")), 1);
        QVERIFY(!controller.inspectionDocumentFileName(QStringLiteral("A.pgcd")));
        QVERIFY(controller.addDocumentFileName(QStringLiteral("A.pgcd")));
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("A.pgcd")), 4);

        QVERIFY(controller.registerFileListDictionary({{QStringLiteral("P"), 5}, {QStringLiteral("Q"), 7},
                                                       {QStringLiteral("bad"), QStringLiteral("x")}}));
        QCOMPARE(controller.fileListDictionary(), QVariantMap({{QStringLiteral("P"), 5}, {QStringLiteral("Q"), 7}}));
        QVERIFY(!controller.registerFileListDictionary({}));
        QVERIFY(controller.fileListDictionary().isEmpty());
        QVERIFY(controller.addDocumentFileName(QStringLiteral("first")));
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("first")), 1);
    }

    void numbersAreNeverShared()
    {
        FakePlatform platform;
        MyDocumentController controller(&platform, nullptr);

        // Renaming onto a name that has an entry drops the old entry; the next
        // new name must not repeat the number that entry still holds.
        controller.addDocumentFileName(QStringLiteral("A"));
        controller.addDocumentFileName(QStringLiteral("B"));
        QVERIFY(!controller.addFileName(QStringLiteral("A"), 1, QStringLiteral("B"), 1));
        QVERIFY(controller.addDocumentFileName(QStringLiteral("C")));
        QCOMPARE(controller.answerDocumentFileName(QStringLiteral("C")), 3);

        // The same file name in two folders: two documents, two numbers.
        MyDocumentController paths(&platform, nullptr);
        const int first = paths.acquireNumberForDocumentPath(QStringLiteral("/one/Doc.pgcd"));
        const int second = paths.acquireNumberForDocumentPath(QStringLiteral("/two/Doc.pgcd"));
        QCOMPARE(first, 1);
        QVERIFY(second != first && second > 0);
        QCOMPARE(paths.acquireNumberForDocumentPath(QStringLiteral("/one/Doc.pgcd")), first);
        QCOMPARE(paths.answerDocumentFileName(QStringLiteral("Doc.pgcd")), first);
        QCOMPARE(paths.acquireNumberForDocumentPath(QString()), 0);

        // A number held by an open document survives the table being emptied.
        paths.registerFileListDictionary({});
        QVERIFY(paths.addDocumentFileName(QStringLiteral("E")));
        const int e = paths.answerDocumentFileName(QStringLiteral("E"));
        QVERIFY(e != first && e != second);

        // Released: the name's entry returns to the next document of that
        // name; a fresh number is never handed out again.
        paths.releaseNumberForDocumentPath(QStringLiteral("/two/Doc.pgcd"));
        paths.releaseNumberForDocumentPath(QStringLiteral("/one/Doc.pgcd"));
        paths.setFileName(QStringLiteral("Doc.pgcd"), first);
        QCOMPARE(paths.acquireNumberForDocumentPath(QStringLiteral("/three/Doc.pgcd")), first);
        QVERIFY(paths.addDocumentFileName(QStringLiteral("F")));
        QVERIFY(paths.answerDocumentFileName(QStringLiteral("F")) != second);

        // Saving under a new path keeps the number and moves the entry.
        MyDocumentController moving(&platform, nullptr);
        QCOMPARE(moving.acquireNumberForDocumentPath(QStringLiteral("/a/X.pgcd")), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(QStringLiteral("/a/Y.pgcd")), 2);
        QCOMPARE(moving.transferNumberForDocumentPath(QStringLiteral("/a/X.pgcd"), QStringLiteral("/b/Z.pgcd")), 1);
        QCOMPARE(moving.answerDocumentFileName(QStringLiteral("Z.pgcd")), 1);
        QVERIFY(!moving.inspectionDocumentFileName(QStringLiteral("X.pgcd")));
        // Onto the name another document holds: the number still stays.
        QCOMPARE(moving.transferNumberForDocumentPath(QStringLiteral("/b/Z.pgcd"), QStringLiteral("/c/Y.pgcd")), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(QStringLiteral("/c/Y.pgcd")), 1);
        QCOMPARE(moving.acquireNumberForDocumentPath(QStringLiteral("/a/Y.pgcd")), 2);
        const int fresh = moving.acquireNumberForDocumentPath(QStringLiteral("/d/Y.pgcd"));
        QVERIFY(fresh != 1 && fresh != 2);
    }

    void closingAnOpenCopy()
    {
        FakePlatform platform;
        MyDocumentController controller(&platform, nullptr);
        platform.add(QStringLiteral("/p/Other.pgcd"), false);
        platform.add(QStringLiteral("/p/List.pgcd"), true);

        m_alerts.answer = AlertButton::Default; // NO
        QVERIFY(!controller.inspectionOpenUserDocumentFileName(QStringLiteral("/p/List.pgcd")));
        QCOMPARE(m_alerts.numbers, QList<int>{211});
        QVERIFY(m_alerts.texts.constFirst().contains(QStringLiteral("List.pgcd")));
        QCOMPARE(platform.documents.size(), size_t(2));

        m_alerts.answer = AlertButton::Alternate; // YES
        QVERIFY(controller.openDocumentWithContentsOfFile(QStringLiteral("/p/List.pgcd"), true));
        QCOMPARE(platform.documents.size(), size_t(1));
        QCOMPARE(platform.opened, QStringList{QStringLiteral("/p/List.pgcd")});

        // Unedited copies close without asking; without display nothing closes.
        m_alerts.numbers.clear();
        controller.openDocumentWithContentsOfFile(QStringLiteral("/p/Other.pgcd"), false);
        QCOMPARE(platform.documents.size(), size_t(1));
        QVERIFY(controller.inspectionOpenUserDocumentFileName(QStringLiteral("/p/Other.pgcd")));
        QVERIFY(platform.documents.empty());
        QVERIFY(m_alerts.numbers.isEmpty());
    }

    void commands()
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
        QCOMPARE(document->imports, 1);
        QCOMPARE(document->exports, 1);
        QCOMPARE(document->toolState, 2);
        app->setingToolShow_edit();
        QCOMPARE(document->toolState, 1);

        // The font panel toggles only once it exists.
        app->showFontPanel();
        QCOMPARE(platform.fontFronts + platform.fontCloses, 0);
        platform.fontExists = true;
        app->documentController()->showFontPanel();
        QVERIFY(platform.fontVisible);
        app->showFontPanel();
        QVERIFY(!platform.fontVisible);
        platform.colorExists = true;
        app->showFontColorPanel();
        QVERIFY(platform.colorVisible);
        app->showSharedHelp();
        QCOMPARE(platform.helpShown, 1);
        QCOMPARE(app->documentController()->rootCachesFolder(), app->rootCachesFolder());
    }

    void firstAndSecondLaunch()
    {
        QTemporaryDir dir;
        FakePlatform platform;
        NotificationCenter center;
        const QString cwd = QDir::currentPath();
        const QString root = dir.filePath(QStringLiteral("domain/PagecraftCSV"));
        {
            auto app = makeApp(platform, center, dir);
            app->awakeFromNib();
            QCOMPARE(m_alerts.numbers, QList<int>{100});
            QVERIFY(QFile::exists(dir.filePath(QStringLiteral("settings.conf"))));
            QCOMPARE(platform.preferencesOpened, 1);
            for (const char *sub : {"FabrikObject", "FabrikLibrary", "FabrikWork"})
                QVERIFY(QFileInfo(root + QLatin1Char('/') + QLatin1String(sub)).isDir());
            QVERIFY(!app->applicationShouldOpenUntitledFile());
            // The open flow's handlers are registered and harmless for now.
            center.post(QStringLiteral("requestOpenFileEvent"), QVariant());
            center.post(QStringLiteral("notifLoadingWrapperDirectory"), QVariant());

            app->preferencesSource()->generalObject()->registerOpenTheNewWindowWithState(true);
            QVERIFY(app->makingUserDefaultsDictionary());

            // Termination removes the working folders, not the root or library.
            QVERIFY(app->rootCachesFolder()->makingFileCachesFolderTitle(QStringLiteral("cachesID"), 1));
            app->applicationWillTerminate();
            QVERIFY(!QFileInfo::exists(root + QStringLiteral("/FabrikObject")));
            QVERIFY(!QFileInfo::exists(root + QStringLiteral("/FabrikWork")));
            QVERIFY(QFileInfo(root + QStringLiteral("/FabrikLibrary")).isDir());
        }
        m_alerts.numbers.clear();
        auto second = makeApp(platform, center, dir);
        second->awakeFromNib();
        QVERIFY(m_alerts.numbers.isEmpty());
        QCOMPARE(platform.preferencesOpened, 1);
        QVERIFY(second->applicationShouldOpenUntitledFile());
        QVERIFY(QFileInfo(root + QStringLiteral("/FabrikObject")).isDir());
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
        QVERIFY(first->rootCachesFolder()->makingFileCachesFolderTitle(QStringLiteral("cachesID"), 1));
        const QString working = first->rootCachesFolder()->fileCachesFolderPathOfWork()
            + QStringLiteral("/unsaved.listItems");
        QFile file(working);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        // A second copy on the same tree must neither clear nor own it.
        auto second = makeApp(platform, center, dir);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("acquireInstanceLock")));
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
        QVERIFY(tree->userFileCachesFolderWithState());
        QCOMPARE(tree->objectCachesFolderPath(), userFolder.filePath(QStringLiteral("PagecraftCSV/FabrikObject")));
        QVERIFY(QFileInfo(tree->objectCachesFolderPath()).isDir());
        QCOMPARE(tree->workCachesFolderPath(), dir.filePath(QStringLiteral("domain/PagecraftCSV/FabrikWork")));

        // The flag without a folder leaves the standard tree.
        app->preferencesSource()->advancedObject()->registerUserFileCachesFolderPathString(QString());
        QVERIFY(app->makingUserDefaultsDictionary());
        app.reset(); // one running copy at a time
        auto plain = makeApp(platform, center, dir);
        plain->awakeFromNib();
        QVERIFY(!plain->rootCachesFolder()->userFileCachesFolderWithState());
        QCOMPARE(plain->rootCachesFolder()->objectCachesFolderPath(),
                 dir.filePath(QStringLiteral("domain/PagecraftCSV/FabrikObject")));
    }
};

QTEST_GUILESS_MAIN(tst_AppController)
#include "tst_AppController.moc"
