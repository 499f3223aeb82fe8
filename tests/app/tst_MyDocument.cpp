#include "app/AppController.h"
#include "app/HeadlessAppPlatform.h"
#include "app/MyDocument.h"
#include "app/MyDocumentController.h"
#include "app/OptionRun.h"
#include "app/ScriptRequestResponder.h"
#include "script/OptionObjectSource.h"
#include "script/OptionSource.h"
#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"
#include "platform/AlertSheetModal.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"
#include "platform/PasswordVerifier.h"
#include "platform/PolicyAlertPresenter.h"
#include "prefs/DomainObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/PasswordController.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"
#include "tasks/TaskWorker.h"
#include "storage/LoadingForEncod.h"

#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct RecordingWindow : MyDocumentWindow
{
    SaveOption runSaveOptionAlert(const QString &, const QString &, const QString &, const QString &,
                                  const QString &) override
    {
        ++saveOptionAlerts;
        return answer;
    }
    bool runSavePanel(const QString &proposed, QString *path) override
    {
        proposedNames.append(proposed);
        *path = savePath;
        return !savePath.isEmpty();
    }
    void closeWindow() override { ++closes; }
    void quitApplication() override { ++quits; }
    bool selectedEditingItem(Row *row) const override
    {
        if (!selected)
            return false;
        *row = *selected;
        return true;
    }

    SaveOption answer = SaveOption::Cancel;
    QString savePath;
    QStringList proposedNames;
    std::optional<Row> selected;
    int saveOptionAlerts = 0, closes = 0, quits = 0;
};

// Runs a worker once the test opens the gate.
struct GatedWorker : TaskWorker
{
    GatedWorker(std::shared_ptr<TaskWorker> worker, QSemaphore *opened) : inner(std::move(worker)), gate(opened) {}
    void run(const QVariantMap &task) override
    {
        gate->acquire();
        inner->run(task);
    }
    std::shared_ptr<TaskWorker> inner;
    QSemaphore *gate;
};

bool runInPlace(const QVariantMap &task)
{
    auto worker = IndicatorController::sharedController().taskRunner().makeWorker(task.value(u"targeted"_s).toInt());
    if (!worker)
        return false;
    worker->run(task);
    return true;
}

// One running application without windows, its caches and preferences in a
// temporary folder; documents run their workers in place unless threaded.
struct Session
{
    explicit Session(bool threaded = false)
    {
        app = std::make_unique<AppController>(&platform);
        platform.setDocumentController(app->documentController());
        platform.setDocumentSetup([threaded](MyDocument *document) {
            document->registerTimerIntervals(0, 0);
            if (!threaded)
                document->setTaskHandler(&runInPlace);
        });
        app->registerOpenTimerInterval(0);
        app->domainObject()->registerSettingsFilePath(home.filePath(u"settings.ini"_s));
        app->domainObject()->registerRootDomainPath(home.filePath(u"caches"_s));
        app->makingUserDefaultsDictionary();
        app->awakeFromNib();
    }
    ~Session()
    {
        IndicatorController::sharedController().taskRunner().waitForAll();
        while (platform.documentCount() > 0)
            platform.closeDocument(platform.currentDocument());
        app->applicationWillTerminate();
    }
    MyDocument *newDocument() { return static_cast<MyDocument *>(app->documentController()->newDocument()); }
    PrivatePasswordObject *security() { return app->preferencesSource()->securityObject()->privatePasswordObject(); }
    // Saves protect with the password titled "work" ("s3cret-pass").
    bool protectSaves()
    {
        PrivatePasswordObject *object = security();
        object->registerPrivatePasswordWithState(true);
        object->registerProtectFileByPasswordWithState(true);
        return object->addPrivatePasswordListAtTitle(u"work"_s, u"s3cret-pass"_s)
            && object->workPrivatePasswordTitleAtString(u"work"_s);
    }
    MyDocument *open(const QString &path)
    {
        const qsizetype before = platform.documentCount();
        if (!app->openDocumentWithFilePath(path, true))
            return nullptr;
        if (PasswordController::sharedController().isPanelOpen())
            return nullptr;
        QDeadlineTimer deadline(10000);
        while (!(app->loadingDocumentFilePath().isEmpty() && platform.documentCount() > before)
               && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return platform.documentCount() > before ? platform.document(0) : nullptr;
    }

    QTemporaryDir home;
    HeadlessAppPlatform platform;
    std::unique_ptr<AppController> app;
};

QString writeCsv(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return file.fileName();
}

bool importInto(MyDocument *document, const QString &path)
{
    return document->selfIndicator({
        {u"targeted"_s, 240},
        {u"cachesFolderID"_s, document->cachesFolderID()},
        {u"startSwitch"_s, 241},
        {u"filePass"_s, path},
        {u"fileCachesFolderPathOfWork"_s, document->rootCachesFolder()->fileCachesFolderPathOfWork()},
        {u"documentFileName"_s, document->documentFileName()},
    });
}

bool saveAndWait(MyDocument *document, const QString &path)
{
    document->saveWorkFilePath(path);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    return !document->isDocumentEdited() && !document->saveSituation();
}

QStringList entries(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

const QByteArray kFirstCsv = "ID0,Name,Code,Price\r\n1,apple,A1,120\r\n2,pear,A2,80\r\n3,plum,A3,95\r\n";
const QByteArray kSecondCsv = "ID0,City,Zip\n1,Oslo,0150\n2,Kyoto,600\n";

} // namespace

class tst_MyDocument : public QObject
{
    Q_OBJECT

private:
    PolicyAlertPresenter m_alerts;
    AlertPresenter *m_previous = nullptr;
    QTemporaryDir m_files;

    QList<int> alertNumbers() const
    {
        QList<int> numbers;
        for (const AlertContent &content : m_alerts.shownAlerts())
            numbers.append(content.number);
        return numbers;
    }

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_previous = AlertSheetModal::setPresenter(&m_alerts);
    }
    void cleanupTestCase() { AlertSheetModal::setPresenter(m_previous); }
    void init()
    {
        m_alerts.clearShownAlerts();
        PasswordController::sharedController().resetForTesting();
    }

    void saveAndReopenKeepsEverything()
    {
        const QString packagePath = m_files.filePath(u"Round.pgcd"_s);
        CreatorInformation savedLog;
        QString savedListLog;
        {
            Session session;
            MyDocument *document = session.newDocument();
            QVERIFY(document);
            QVERIFY(importInto(document, writeCsv(m_files, u"second.csv"_s, kSecondCsv)));
            QVERIFY(document->storeCurrentListItem(u"Cities"_s));
            QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
            ListItem *list = document->listItem();
            QCOMPARE(list->tableItemObjectArray().size(), 3);
            QVERIFY(list->registerIndication(1, 1));
            list->setColumnTitlesWidth(77.0f, u"Name"_s);
            SearchEditingSource search;
            search.initializationUserObject();
            QVERIFY(list->addSearchObject(&search, u"cheap"_s));
            QVERIFY(document->storeCurrentListItem(u"Fruit"_s));
            QVERIFY(document->isDocumentEdited());

            QVERIFY(saveAndWait(document, packagePath));
            // Two lists: the root, the protection record and one file per list.
            QCOMPARE(entries(packagePath),
                     QStringList({u"conditionOfTheFile.pagestyle"_s, u"documentSource.pagestyle"_s,
                                  u"id0.listItems"_s, u"id1.listItems"_s}));
            QCOMPARE(document->documentFileName(), u"Round.pgcd"_s);
            savedLog = *document->documentSource()->creatorInformation();
            savedListLog = document->listItem()->creatorInformation()->logText();
        }
        // Files the platform leaves in packages, and folders, never travel.
        QFile(QDir(packagePath).filePath(u".DS_Store"_s)).open(QIODevice::WriteOnly);
        QDir(packagePath).mkdir(u"stray"_s);

        Session session;
        MyDocument *document = session.open(packagePath);
        QVERIFY(document);
        QCOMPARE(entries(document->workingFolder()),
                 QStringList({u"conditionOfTheFile.pagestyle"_s, u"documentSource.pagestyle"_s,
                              u"id0.listItems"_s, u"id1.listItems"_s}));
        QVERIFY(!document->saveSituation());
        QVERIFY(!document->isDocumentEdited());
        ListItemsSource *lists = document->documentSource()->listItemsSource();
        QCOMPARE(lists->titlelist(), QStringList({u"Cities"_s, u"Fruit"_s}));
        QCOMPARE(lists->listItemTitle(), u"Fruit"_s);
        const ListItem *list = document->listItem();
        QCOMPARE(list->columnTitlesArray().mid(2), QStringList({u"ID0"_s, u"Name"_s, u"Code"_s, u"Price"_s}));
        const RowList rows = list->tableItemObjectArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(1).cellText(u"Name"), u"pear");
        QCOMPARE(rows.at(1).indication(), 1u);
        QCOMPARE(rows.at(0).indication(), 0u);
        QCOMPARE(list->columnTitlesWidthDic().value(u"Name"_s).toFloat(), 77.0f);
        QVERIFY(list->inspectionSearchObjectAtTitle(u"cheap"_s));
        QCOMPARE(list->creatorInformation()->logText(), savedListLog);
        // The root's log gains today's entry on opening; what was saved stays.
        QCOMPARE(document->documentSource()->creatorInformation()->workLogArray().mid(1), savedLog.workLogArray());

        QVERIFY(document->openStoredListItem(u"Cities"_s));
        QCOMPARE(document->listItem()->tableItemObjectArray().at(1).cellText(u"City"), u"Kyoto");

        // A list whose file went bad is not replaced by the one shown before,
        // so storing "it" cannot write that list over the damaged file.
        const QString damaged = QDir(document->workingFolder()).filePath(u"id1.listItems"_s);
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("damaged") == 7);
        file.close();
        document->openStoredListItem(u"Fruit"_s);
        QVERIFY(document->listItem()->tableItemObjectArray().isEmpty());
        QVERIFY(!document->storeCurrentListItem(u"Fruit"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("damaged"));
    }

    void protectedPackages()
    {
        const QString packagePath = m_files.filePath(u"Locked.pgcd"_s);
        {
            Session session;
            QVERIFY(session.protectSaves());
            MyDocument *document = session.newDocument();
            QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
            QVERIFY(saveAndWait(document, packagePath));
        }
        // Neither file holds the password; both hold the same verifier.
        for (const QString &name : {u"conditionOfTheFile.pagestyle"_s, u"documentSource.pagestyle"_s}) {
            QFile file(QDir(packagePath).filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!file.readAll().contains("s3cret-pass"));
        }
        QFile condition(QDir(packagePath).filePath(u"conditionOfTheFile.pagestyle"_s));
        QVERIFY(condition.open(QIODevice::ReadOnly));
        KeyedUnarchiver record(condition.readAll());
        const QVariantMap protection = record.root().decodeVariantMap(u"protectFileByPassword");
        QVERIFY(protection.value(u"protectFileByPasswordWithState"_s).toBool());
        QCOMPARE(protection.value(u"passwordTitle"_s).toString(), u"work"_s);
        QVERIFY(PasswordVerifier::isVerifier(protection.value(u"password"_s).toString()));
        QVERIFY(PasswordVerifier::verify(protection.value(u"password"_s).toString(), u"s3cret-pass"_s));

        PasswordController &panel = PasswordController::sharedController();
        {
            // Three wrong entries cancel: nothing loads.
            Session session;
            QVERIFY(session.app->openDocumentWithFilePath(packagePath, true));
            QVERIFY(panel.isPanelOpen());
            panel.accountTextFieldAction(u"work"_s);
            for (int i = 0; i < 3; ++i)
                panel.passwordSecreTextFieldAction(u"guess"_s);
            QVERIFY(!panel.isPanelOpen());
            QTest::qWait(20);
            QCOMPARE(session.platform.documentCount(), qsizetype(0));
            QVERIFY(session.app->loadingDocumentFilePath().isEmpty());
        }
        {
            Session session;
            QVERIFY(session.app->openDocumentWithFilePath(packagePath, true));
            panel.accountTextFieldAction(u"work"_s);
            panel.passwordSecreTextFieldAction(u"s3cret-pass"_s);
            panel.answerSegmentedControlAction(1);
            QTRY_COMPARE_WITH_TIMEOUT(session.platform.documentCount(), qsizetype(1), 10000);
            QCOMPARE(session.platform.document(0)->listItem()->tableItemObjectArray().size(), 3);
        }

        // A protection record that names another password than the root's
        // unlocks nothing: the root's record is the one asked for.
        QFile forged(QDir(packagePath).filePath(u"conditionOfTheFile.pagestyle"_s));
        QVERIFY(forged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeValue(DocumentSource::protectionDictionary(true, u"other"_s,
                                                                            PasswordVerifier::makeVerifier(u"x"_s)),
                                       u"protectFileByPassword");
        QVERIFY(archiver.finish());
        forged.write(bytes);
        forged.close();
        {
            Session session;
            QVERIFY(session.app->openDocumentWithFilePath(packagePath, true));
            panel.accountTextFieldAction(u"other"_s);
            QVERIFY(!panel.workPasswordSource().confirmPasswordTitle());
            panel.answerSegmentedControlAction(0);
            QTest::qWait(20);
            QCOMPARE(session.platform.documentCount(), qsizetype(0));
        }
        Session session;
        QVERIFY(session.app->openDocumentWithFilePath(packagePath, true));
        panel.accountTextFieldAction(u"work"_s);
        panel.passwordSecreTextFieldAction(u"s3cret-pass"_s);
        panel.answerSegmentedControlAction(1);
        QTRY_COMPARE_WITH_TIMEOUT(session.platform.documentCount(), qsizetype(1), 10000);
        MyDocument *document = session.platform.document(0);
        QCOMPARE(document->listItem()->tableItemObjectArray().size(), 3);
    }

    void closeAndQuitAskAboutChanges()
    {
        for (const bool quitting : {false, true}) {
            Session session;
            RecordingWindow window;
            MyDocument *document = session.newDocument();
            document->setWindow(&window);
            const auto ask = [&] { return quitting ? document->terminate() : document->shouldCloseWindow(); };

            QVERIFY(ask()); // nothing changed: no question
            QCOMPARE(window.saveOptionAlerts, 0);
            QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
            QVERIFY(document->isDocumentEdited());

            window.answer = MyDocumentWindow::SaveOption::Cancel;
            QVERIFY(!ask());
            QVERIFY(document->isDocumentEdited());

            // Saving to a place that cannot be written keeps the document open.
            window.answer = MyDocumentWindow::SaveOption::Save;
            window.savePath = u"/proc/no-such-dir/Doc.pgcd"_s;
            QVERIFY(!ask());
            QTest::qWait(10);
            QVERIFY(document->isDocumentEdited());
            QCOMPARE(window.closes + window.quits, 0);

            window.savePath = m_files.filePath(quitting ? u"Quit.pgcd"_s : u"Close.pgcd"_s);
            QVERIFY(!ask());
            QTRY_COMPARE(quitting ? window.quits : window.closes, 1);
            QCOMPARE(window.proposedNames.constFirst(),
                     Localization::textOrKey(Localization::kMainTable, u"0001Title"_s));
            QVERIFY(!document->isDocumentEdited());
            QVERIFY(QFileInfo(window.savePath + u"/documentSource.pagestyle"_s).isFile());

            QVERIFY(importInto(document, writeCsv(m_files, u"second.csv"_s, kSecondCsv)));
            window.answer = MyDocumentWindow::SaveOption::DontSave;
            QVERIFY(ask());
            QVERIFY(!document->isDocumentEdited());
            QCOMPARE(window.saveOptionAlerts, 4);
        }
    }

    void resultsGoOnlyToTheirDocument()
    {
        Session session;
        MyDocument *first = session.newDocument();
        MyDocument *second = session.newDocument();
        QVERIFY(first->cachesFolderID() != second->cachesFolderID());
        QVERIFY(importInto(second, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
        QVERIFY(first->listItem()->tableItemObjectArray().isEmpty());
        QCOMPARE(second->listItem()->tableItemObjectArray().size(), 3);

        NotificationCenter &center = NotificationCenter::defaultCenter();
        second->updateChangeCountAs(false);
        center.post(u"notifSaveWrapperDirectory"_s, first->cachesFolderID());
        center.post(u"developItemsSearchNotif"_s,
                    QVariantMap{{u"cachesFolderID"_s, first->cachesFolderID()},
                                {u"objectArray"_s, QVariant::fromValue(RowList())}});
        QVERIFY(!second->listItem()->indicationMode());
        QVERIFY(first->listItem()->indicationMode());
        center.post(u"developExistingFileUnfoldNotif"_s,
                    QVariantMap{{u"cachesFolderID"_s, first->cachesFolderID()},
                                {u"documentFileName"_s, second->documentFileName()},
                                {u"state"_s, true}});
        QVERIFY(!second->isDocumentEdited());
        QVERIFY(!first->isDocumentEdited()); // the name is the other's

        // A list read marks its own document as its "state" says.
        center.post(u"developExistingFileUnfoldNotif"_s,
                    QVariantMap{{u"cachesFolderID"_s, second->cachesFolderID()},
                                {u"documentFileName"_s, second->documentFileName()},
                                {u"state"_s, true}});
        QVERIFY(second->isDocumentEdited());
        center.post(u"developExistingFileUnfoldNotif"_s,
                    QVariantMap{{u"cachesFolderID"_s, second->cachesFolderID()},
                                {u"documentFileName"_s, second->documentFileName()},
                                {u"state"_s, false}});
        QVERIFY(!second->isDocumentEdited());

        // Marking all rows.
        center.post(u"showItemsPreTableViewNotif"_s, 1);
        for (const Row &row : second->listItem()->tableItemObjectArray())
            QCOMPARE(row.indication(), 1u);
    }

    void scriptRequestsAreAnswered()
    {
        Session session;
        RecordingWindow window;
        MyDocument *document = session.newDocument();
        document->setWindow(&window);
        QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
        NotificationCenter &center = NotificationCenter::defaultCenter();
        QList<QVariant> answers;
        const auto token = center.addObserver(u"answerFunctionSourceDictionaryNotif"_s, nullptr,
                                              [&](const Notification &n) { answers.append(n.object); });
        const auto ask = [&](const QVariantMap &request) {
            answers.clear();
            center.post(u"developFunctionSourceDictionaryNotif"_s, request);
            return answers.size() == 1 ? answers.constFirst().toMap() : QVariantMap{{u"count"_s, answers.size()}};
        };
        // The document itself no longer answers: a run's responder does, over a snapshot.
        QCOMPARE(ask({{u"commandNumber"_s, 1}, {u"answerObject"_s, u"Name"_s}}).value(u"count"_s).toInt(), 0);

        OptionRun::Outcome outcome;
        {
            ScriptRequestResponder responder(*document->listItem(), document->cachesFolderID(), &center);
            QVariantMap answer = ask({{u"commandNumber"_s, 1}, {u"answerObject"_s, u"Name"_s}});
            QCOMPARE(answer.value(u"answerType"_s).toInt(), 7);
            QCOMPARE(answer.value(u"answerObject"_s).toList(), QVariantList({u"apple"_s, u"pear"_s, u"plum"_s}));
            answer = ask({{u"commandNumber"_s, 240}, {u"row"_s, 2}, {u"title"_s, u"Price"_s}});
            QCOMPARE(answer.value(u"answerObject"_s).toString(), u"95"_s);
            answer = ask({{u"commandNumber"_s, 240}, {u"row"_s, 9}, {u"title"_s, u"Price"_s}});
            QVERIFY(!answer.contains(u"answerType"_s));

            answer = ask({{u"commandNumber"_s, 250}, {u"row"_s, 0}, {u"title"_s, u"Price"_s}, {u"itemObject"_s, u"130"_s}});
            // The run reads its own write; the document's list waits for the run's end.
            answer = ask({{u"commandNumber"_s, 240}, {u"row"_s, 0}, {u"title"_s, u"Price"_s}});
            QCOMPARE(answer.value(u"answerObject"_s).toString(), u"130"_s);
            QCOMPARE(document->listItem()->rowAt(0).cellText(u"Price"), u"120");
            // A number where a string belongs is refused: no answer at all.
            QVERIFY(ask({{u"commandNumber"_s, 250}, {u"row"_s, 0}, {u"title"_s, u"Price"_s}, {u"itemObject"_s, 5}}).isEmpty());
            // Without an item open in the editor, the editing request fails.
            QVERIFY(ask({{u"commandNumber"_s, 4}, {u"commandText"_s, u"items:editing:title: Name"_s},
                         {u"answerObject"_s, u"Name"_s}}).isEmpty());
            answer = ask({{u"commandNumber"_s, 77}, {u"codeText"_s, u"x"_s}});
            QCOMPARE(answer, QVariantMap({{u"commandNumber"_s, 77}, {u"codeText"_s, u"x"_s}}));
            // Requests tied to another document, or posted on another thread,
            // are not this responder's to answer.
            answer = ask({{u"commandNumber"_s, 1}, {u"answerObject"_s, u"Name"_s}, {u"cachesFolderID"_s, 999}});
            QCOMPARE(answer.value(u"count"_s).toInt(), 0);
            QThread *thread = QThread::create([&] {
                center.post(u"developFunctionSourceDictionaryNotif"_s,
                            QVariantMap{{u"commandNumber"_s, 1}, {u"answerObject"_s, u"Name"_s}});
            });
            answers.clear();
            thread->start();
            thread->wait();
            delete thread;
            QVERIFY(answers.isEmpty());
            outcome.writes = responder.writes();
            outcome.missedSelectedItem = responder.missedSelectedItem();
        }
        center.removeObserver(token);

        // The writes arrive as one change, and alert 219 is shown on the document's thread.
        document->updateChangeCountAs(false);
        const CellEditList undo = document->applyOptionRun(outcome);
        QCOMPARE(document->listItem()->rowAt(0).cellText(u"Price"), u"130");
        QVERIFY(document->isDocumentEdited());
        QVERIFY(alertNumbers().contains(219));
        document->listItem()->applyCellEdits(undo);
        QCOMPARE(document->listItem()->rowAt(0).cellText(u"Price"), u"120");

        // With an item open in the editor, a run answers from it.
        window.selected = document->listItem()->rowAt(1);
        OptionObjectSource options;
        OptionSource reading;
        reading.registerSourceTitle(u"read"_s);
        reading.registerCodeText(u"[Command:items:editing:title:[ColumnTitle:Name]]"_s);
        reading.registerPracticeState(true);
        options.registerOptionSourceArray({reading});
        std::unique_ptr<OptionRun> run(document->makeOptionRun(options));
        QSignalSpy finished(run.get(), &OptionRun::finished);
        run->start();
        // The run may end before a wait() could start, which would then wait for a second end.
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QVERIFY2(run->outcome().result.success, qPrintable(run->outcome().result.errorText));
    }

    void secondOpenWhileLoadingIsRefused()
    {
        const QString packagePath = m_files.filePath(u"Busy.pgcd"_s);
        {
            Session session;
            MyDocument *document = session.newDocument();
            QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
            QVERIFY(saveAndWait(document, packagePath));
        }
        Session session(true);
        // The load waits for the test, so the window in which a second open
        // must be refused is always there to be tried.
        TaskRunner &runner = IndicatorController::sharedController().taskRunner();
        std::shared_ptr<TaskWorker> load(runner.makeWorker(101));
        QVERIFY(load);
        QSemaphore gate;
        runner.registerWorker(101, [load, &gate] { return std::make_unique<GatedWorker>(load, &gate); });
        QVERIFY(session.app->openDocumentWithFilePath(packagePath, true));
        QTRY_VERIFY(!session.app->loadingDocumentFilePath().isEmpty());
        QCOMPARE(session.platform.documentCount(), 0);
        QVERIFY(!session.app->openDocumentWithFilePath(packagePath, true));
        QVERIFY(alertNumbers().contains(101));
        gate.release();
        QTRY_COMPARE_WITH_TIMEOUT(session.platform.documentCount(), qsizetype(1), 10000);
        runner.registerWorker(101, [] { return std::make_unique<LoadingForEncod>(); });
        QVERIFY(session.app->loadingDocumentFilePath().isEmpty());
        QCOMPARE(session.platform.document(0)->listItem()->tableItemObjectArray().size(), 3);

        // Something that is not a package opens nothing.
        QVERIFY(!session.app->openDocumentWithFilePath(m_files.filePath(u"first.csv"_s), true));
        QVERIFY(!session.app->openDocumentWithFilePath(m_files.filePath(u"missing.pgcd"_s), true));
    }

    void passwordAnswersSaveTheirOwnDocument()
    {
        Session session;
        QVERIFY(session.protectSaves());
        MyDocument *first = session.newDocument();
        MyDocument *second = session.newDocument();
        QVERIFY(importInto(first, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
        const auto protectionAt = [](const QString &package) {
            QFile file(QDir(package).filePath(u"conditionOfTheFile.pagestyle"_s));
            if (!file.open(QIODevice::ReadOnly))
                return QVariantMap();
            return KeyedUnarchiver(file.readAll()).root().decodeVariantMap(u"protectFileByPassword");
        };
        const auto answer = [](MyDocument *document, const QString &path, bool protect) {
            NotificationCenter::defaultCenter().post(
                u"notifPasswordForSave"_s,
                QVariantMap{{u"cachesFolderID"_s, document->cachesFolderID()}, {u"FilePath"_s, path},
                            {u"Protect"_s, protect}});
        };

        // An answer for the other document saves that one only.
        const QString other = m_files.filePath(u"Other.pgcd"_s);
        const QString mine = m_files.filePath(u"Answered.pgcd"_s);
        answer(second, other, true);
        QTRY_VERIFY(!second->saveSituation());
        QVERIFY(first->isDocumentEdited());
        QVERIFY(!QFileInfo::exists(mine));
        QCOMPARE(second->filePath(), other);

        // "Don't protect" drops the protection from both records.
        answer(first, mine, false);
        QTRY_VERIFY(!first->isDocumentEdited());
        QCOMPARE(first->filePath(), mine);
        QVERIFY(!protectionAt(mine).value(u"protectFileByPasswordWithState"_s).toBool());
        QVERIFY(!first->documentSource()->privatePasswordWithState());

        QVERIFY(importInto(first, writeCsv(m_files, u"second.csv"_s, kSecondCsv)));
        answer(first, mine, true);
        QTRY_VERIFY(!first->isDocumentEdited());
        const QVariantMap protection = protectionAt(mine);
        QVERIFY(protection.value(u"protectFileByPasswordWithState"_s).toBool());
        QCOMPARE(protection.value(u"passwordTitle"_s).toString(), u"work"_s);
        QVERIFY(first->documentSource()->privatePasswordWithState());
    }

    void closedDocumentHearsNothing()
    {
        Session session;
        MyDocument *document = session.newDocument();
        MyDocument *kept = session.newDocument();
        QVERIFY(importInto(document, writeCsv(m_files, u"first.csv"_s, kFirstCsv)));
        QVERIFY(importInto(kept, writeCsv(m_files, u"second.csv"_s, kSecondCsv)));
        const int number = document->cachesFolderID();
        const QString path = m_files.filePath(u"Never.pgcd"_s);
        // A save still waiting for its timer dies with the document.
        document->registerTimerIntervals(30, 0);
        document->saveWorkFilePath(path);
        session.platform.closeDocument(document);

        NotificationCenter &center = NotificationCenter::defaultCenter();
        center.post(u"notifSaveWrapperDirectory"_s, number);
        center.post(u"developItemsSearchNotif"_s,
                    QVariantMap{{u"cachesFolderID"_s, number}, {u"objectArray"_s, QVariant::fromValue(RowList())}});
        center.post(u"showItemsPreTableViewNotif"_s, 1);
        QTest::qWait(80);
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(session.platform.documentCount(), qsizetype(1));
        // The one left still takes what is meant for every document.
        for (const Row &row : kept->listItem()->tableItemObjectArray())
            QCOMPARE(row.indication(), 1u);
        QVERIFY(!kept->listItem()->indicationMode());
    }

    void workLogsNameWhoChangedWhat()
    {
        Session session;
        GeneralObject *general = session.app->preferencesSource()->generalObject();
        QVERIFY(general->registerUserNicknameString(u"Ann"_s));
        MyDocument *document = session.newDocument();
        CreatorInformation *root = document->documentSource()->creatorInformation();
        QCOMPARE(root->creatorName(), u"Ann"_s);

        const QString csv = writeCsv(m_files, u"first.csv"_s, kFirstCsv);
        QVERIFY(importInto(document, csv));
        CreatorInformation *list = document->listItem()->creatorInformation();
        QCOMPARE(list->creatorName(), u"Ann"_s);
        QVERIFY(!list->confirm_updateCreator());
        QCOMPARE(list->logComment(), csv);
        ListItemsSource *lists = document->documentSource()->listItemsSource();
        QCOMPARE(lists->infoText(), list->logText());

        // Someone else's export is logged on both records as theirs.
        QVERIFY(general->registerUserNicknameString(u"Bob"_s));
        NotificationCenter::defaultCenter().post(u"outputConverterNotif"_s, u"/tmp/out.csv"_s);
        for (const CreatorInformation *creator : {root, list}) {
            QCOMPARE(creator->creatorName(), u"Ann"_s);
            QCOMPARE(creator->updateCreator(), u"Bob"_s);
            QCOMPARE(creator->logComment(), u"/tmp/out.csv"_s);
        }
        QCOMPARE(lists->infoText(), list->logText());

        // Storing the list again logs who stored it on the list's own record.
        QVERIFY(document->storeCurrentListItem(u"Fruit"_s));
        QVERIFY(list->setUpCreator());
        QVERIFY(general->registerUserNicknameString(u"Cy"_s));
        const qsizetype entries = list->workLogArray().size();
        QVERIFY(document->storeCurrentListItem(u"Fruit"_s, false));
        QCOMPARE(list->workLogArray().size(), entries + 1);
        QCOMPARE(list->updateCreator(), u"Cy"_s);
        QCOMPARE(root->updateCreator(), u"Bob"_s);
    }
};

QTEST_GUILESS_MAIN(tst_MyDocument)
#include "tst_MyDocument.moc"
