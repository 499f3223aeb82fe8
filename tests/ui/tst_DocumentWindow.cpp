#include "DesktopApplication.h"
#include "DocumentToolBar.h"
#include "DocumentWindow.h"
#include "ExportPanel.h"
#include "ListItemsView.h"
#include "MainSplitter.h"
#include "PasswordPanelDialog.h"
#include "PreviewPane.h"
#include "PreviewTableModel.h"
#include "ProgressPanelDialog.h"
#include "SearchCriteriaModel.h"
#include "SearchView.h"

#include "app/AppController.h"
#include "app/MyDocument.h"
#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"
#include "ui/ModalAnswerer.h"
#include "storage/PackageLock.h"

#include <QMessageBox>
#include <QTimer>

#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_DocumentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void importSaveCloseAndReopen();
    void quitAsksEveryEditedDocument();
    void protectedPackageTakesThePassword();

private:
    // A new untitled window with the sample imported through File > Import.
    DocumentWindow *importedWindow(DesktopApplication &app, ModalAnswerer &answers);
    void saveAs(DocumentWindow *window, ModalAnswerer &answers, const QString &path);
    static DocumentWindow *waitForPackageWindow(DesktopApplication &app, const QString &path);

    QTemporaryDir m_dir;
    QString m_sample;
};

void tst_DocumentWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_sample = QStringLiteral(ROWSMITH_SAMPLES "/products-sjis.csv");
    QVERIFY(QFileInfo::exists(m_sample));
}

DocumentWindow *tst_DocumentWindow::importedWindow(DesktopApplication &app, ModalAnswerer &answers)
{
    DocumentWindow *window = app.newDocumentWindow();
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    answers.typeIntoFilePanel(m_sample);
    window->toolBar()->item(u"id_import"_s)->trigger();
    MyDocument *document = window->document();
    if (!QTest::qWaitFor([&] { return document->isDocumentEdited() && !document->listItem()->tableItemObjectArray().isEmpty(); }, 20000))
        return nullptr;
    return window;
}

void tst_DocumentWindow::saveAs(DocumentWindow *window, ModalAnswerer &answers, const QString &path)
{
    answers.typeIntoFilePanel(path);
    window->document()->saveDocumentAs();
    QTRY_VERIFY_WITH_TIMEOUT(window->document()->filePath() == QFileInfo(path).absoluteFilePath(), 20000);
    QTRY_VERIFY(!window->document()->isDocumentEdited());
}

DocumentWindow *tst_DocumentWindow::waitForPackageWindow(DesktopApplication &app, const QString &path)
{
    DocumentWindow *found = nullptr;
    if (!QTest::qWaitFor([&] { return (found = app.windowForPackage(path)) != nullptr; }, 20000))
        return nullptr;
    return found;
}

void tst_DocumentWindow::importSaveCloseAndReopen()
{
    ModalAnswerer answers;
    // A fresh profile's first start says no preferences were stored.
    answers.alwaysDismiss(u"alert100"_s);
    DesktopApplication app;
    app.setTimerIntervals(0, 0, 0);
    QCOMPARE(app.start({}), DesktopApplication::Start::Running);

    DocumentWindow *window = importedWindow(app, answers);
    QVERIFY(window);
    MyDocument *document = window->document();
    const qsizetype rows = document->listItem()->tableItemObjectArray().size();
    QVERIFY(rows > 0);
    QVERIFY(window->isWindowModified());
    QVERIFY(window->windowTitle().endsWith(u"[*]"_s));
    QTRY_VERIFY(!app.progressPanel()->isVisible());
    const QString kName = u"商品名"_s;

    // Mark the second row and rename the first item, from the keyboard.
    PreviewPane *preview = window->previewPane();
    QTableView *table = preview->tableView();
    int nameColumn = -1;
    for (int column = 0; column < preview->model()->columnCount(); ++column)
        if (preview->model()->headerData(column, Qt::Horizontal).toString() == kName)
            nameColumn = column;
    QVERIFY(nameColumn > 0);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    table->setFocus();
    table->setCurrentIndex(preview->model()->index(1, nameColumn));
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(document->listItem()->tableItemObjectArray().at(1).indication(), 1u);
    table->setCurrentIndex(preview->model()->index(0, nameColumn));
    QTest::keyClick(table, Qt::Key_F2);
    QTRY_VERIFY(QApplication::focusWidget() != table);
    // Typed text outside ASCII goes in as an input method would put it.
    auto *cellEditor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(cellEditor);
    cellEditor->setText(u"ふじりんご"_s);
    QTest::keyClick(cellEditor, Qt::Key_Return);
    QTRY_COMPARE(document->listItem()->tableItemObjectArray().at(0).cellText(kName).toString(), u"ふじりんご"_s);

    // Find... opens the search tab; a search for tea shows two rows and is stored.
    SearchView *search = window->searchView();
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(window->toolTabs()->currentIndex(), 2);
    SearchCriteriaModel *criteria = search->model();
    QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::CategoryColumn), kName));
    QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::KeywordColumn), u"茶"_s));
    QTest::mouseClick(search->runButton(), Qt::LeftButton);
    QTRY_COMPARE(preview->model()->rowCount(), 2);
    search->titleEdit()->setText(u"お茶"_s);
    QTest::mouseClick(search->storeButton(), Qt::LeftButton);
    QVERIFY(document->listItem()->inspectionSearchObjectAtTitle(u"お茶"_s));
    QTest::mouseClick(search->showAllButton(), Qt::LeftButton);
    QCOMPARE(preview->model()->rowCount(), int(rows));

    // The list is stored under the title the import proposed.
    ListItemsView *lists = window->listItemsView();
    QCOMPARE(lists->listTitles()->currentText(), u"products-sjis"_s);
    QTest::mouseClick(lists->storeButton(), Qt::LeftButton);

    // Export through the toolbar, the export panel and its file panel.
    window->toolBar()->item(u"id_export"_s)->trigger();
    auto *exportPanel = window->findChild<ExportPanel *>();
    QVERIFY(exportPanel);
    QTRY_VERIFY(exportPanel->isVisible());
    const QString exported = m_dir.filePath(u"marked.csv"_s);
    QTRY_VERIFY(exportPanel->fileDialog());
    auto *exportName = exportPanel->fileDialog()->findChild<QLineEdit *>(u"fileNameEdit"_s);
    QVERIFY(exportName);
    exportName->setText(exported);
    QTest::keyClick(exportName, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(exported).size() > 0, 20000);
    QTRY_VERIFY(!app.progressPanel()->isVisible());

    // The tab items switch the tool tabs; the checked item names the visible tab.
    window->toolBar()->item(u"id_search"_s)->trigger();
    QCOMPARE(window->toolTabs()->currentIndex(), 2);
    QVERIFY(window->toolBar()->item(u"id_search"_s)->isChecked());
    window->toolBar()->item(u"id_font"_s)->trigger();
    QVERIFY(window->toolBar()->item(u"id_search"_s)->isChecked());

    const QString package = m_dir.filePath(u"products.pgcd"_s);
    saveAs(window, answers, package);
    QVERIFY(!window->isWindowModified());
    QCOMPARE(window->windowTitle(), u"products.pgcd[*]"_s);
    QCOMPARE(app.recentFiles().value(0), package);

    // An edit, then Close: Cancel keeps the window, Don't Save closes it.
    window->toolBar()->item(u"id_split"_s)->trigger();
    QVERIFY(document->isDocumentEdited());
    QPointer<DocumentWindow> guard(window);
    answers.clickInBox(u"saveOptionAlert"_s, u"Cancel"_s);
    QVERIFY(!window->close());
    QVERIFY(answers.done());
    answers.clickInBox(u"saveOptionAlert"_s, u"Don't Save"_s);
    window->close();
    QTRY_VERIFY(guard.isNull());
    // The shared progress panel was shown on that window and outlives it.
    QVERIFY(app.progressPanel()->parentWidget() == nullptr);

    // Reopened: the list as saved, the unsaved flip gone.
    app.openPath(package);
    window = waitForPackageWindow(app, package);
    QVERIFY(window);
    document = window->document();
    QTRY_COMPARE(document->listItem()->tableItemObjectArray().size(), rows);
    QVERIFY(!document->documentSource()->splitState());
    QVERIFY(!window->isWindowModified());
    QCOMPARE(document->listItem()->tableItemObjectArray().at(0).cellText(kName).toString(), u"ふじりんご"_s);
    QCOMPARE(document->listItem()->tableItemObjectArray().at(1).indication(), 1u);
    QVERIFY(document->listItem()->inspectionSearchObjectAtTitle(u"お茶"_s));
    QTRY_COMPARE(window->previewPane()->model()->rowCount(), int(rows));

    // Opening it again brings the same window forward.
    app.openPath(package);
    QTest::qWait(50);
    QCOMPARE(app.windows().size(), 1);

    // Flip, drag the divider, and close with Save: the layout is kept.
    window->resize(1000, 800);
    QTRY_VERIFY(window->splitter()->height() > 400);
    window->toolBar()->item(u"id_split"_s)->trigger();
    QCOMPARE(window->splitter()->widget(1), window->splitter()->findChild<QWidget *>(u"ToolScrolView"_s));
    const int bottomBefore = window->splitter()->sizes().at(1);
    QVERIFY(bottomBefore <= 326);
    guard = window;
    answers.clickInBox(u"saveOptionAlert"_s, u"Save"_s);
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 20000);

    // Another writer (a second copy, the command-line tool) holds the package: refused.
    {
        PackageLock other(package);
        QVERIFY(other.tryLock());
        bool refused = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&refused] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible() && box->objectName() == u"packageLockedAlert"_s) {
                    refused = true;
                    box->accept();
                }
            }
        });
        poll.start(20);
        app.openPath(package);
        QVERIFY(refused);
        QCOMPARE(app.windows().size(), 0);
    }

    app.openPath(package);
    window = waitForPackageWindow(app, package);
    QVERIFY(window);
    QVERIFY(window->document()->documentSource()->splitState());
    QTRY_COMPARE(window->document()->listItem()->tableItemObjectArray().size(), rows);
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(window->splitter()->widget(1)->objectName(), u"ToolScrolView"_s);
    window->closeApproved();
    QVERIFY(answers.done());
}

void tst_DocumentWindow::quitAsksEveryEditedDocument()
{
    ModalAnswerer answers;
    // A fresh profile's first start says no preferences were stored.
    answers.alwaysDismiss(u"alert100"_s);
    DesktopApplication app;
    app.setTimerIntervals(0, 0, 0);
    QCOMPARE(app.start({}), DesktopApplication::Start::Running);
    DocumentWindow *edited = importedWindow(app, answers);
    QVERIFY(edited);
    QSignalSpy ready(&app, &DesktopApplication::quitReady);

    // Cancel stops the whole quit: nothing closes.
    answers.clickInBox(u"saveOptionAlert"_s, u"Cancel"_s);
    app.quit();
    QTRY_VERIFY(answers.done());
    QTest::qWait(20);
    QVERIFY(ready.isEmpty());
    QVERIFY(app.windows().contains(edited));
    QVERIFY(!app.quitRequested());

    // Don't Save lets it go, and every other window with it.
    answers.clickInBox(u"saveOptionAlert"_s, u"Don't Save"_s);
    app.quit();
    QTRY_COMPARE(ready.size(), 1);
    QVERIFY(app.windows().isEmpty());
}

void tst_DocumentWindow::protectedPackageTakesThePassword()
{
    ModalAnswerer answers;
    // A fresh profile's first start says no preferences were stored.
    answers.alwaysDismiss(u"alert100"_s);
    DesktopApplication app;
    app.setTimerIntervals(0, 0, 0);
    QCOMPARE(app.start({}), DesktopApplication::Start::Running);
    PrivatePasswordObject *security =
        app.controller()->preferencesSource()->securityObject()->privatePasswordObject();
    security->registerPrivatePasswordWithState(true);
    security->registerProtectFileByPasswordWithState(true);
    security->registerSaveItNewlyConfirmWithState(false);
    QVERIFY(security->addPrivatePasswordListAtTitle(u"shop"_s, u"right horse"_s));
    QVERIFY(security->workPrivatePasswordTitleAtString(u"shop"_s));

    DocumentWindow *window = importedWindow(app, answers);
    QVERIFY(window);
    const QString package = m_dir.filePath(u"locked.pgcd"_s);
    saveAs(window, answers, package);
    QPointer<DocumentWindow> guard(window);
    window->close();
    QTRY_VERIFY(guard.isNull());

    app.openPath(package);
    PasswordPanelDialog *panel = app.unlockPanel();
    QTRY_VERIFY(panel->isVisible());
    // The panel never shows a stored password.
    QVERIFY(panel->passwordField()->text().isEmpty());
    panel->accountField()->setText(u"shop"_s);
    QTest::keyClick(panel->accountField(), Qt::Key_Return);
    QTRY_VERIFY(panel->passwordField()->isEnabled());
    panel->passwordField()->setText(u"wrong horse"_s);
    QTest::keyClick(panel->passwordField(), Qt::Key_Return);
    QVERIFY(!panel->applyButton()->isEnabled());
    QVERIFY(panel->isVisible());
    QVERIFY(panel->commentText().contains(u"not correct"_s));
    QVERIFY(app.windowForPackage(package) == nullptr);
    panel->passwordField()->setText(u"right horse"_s);
    QTest::keyClick(panel->passwordField(), Qt::Key_Return);
    // Return in the field both checks the password and applies.
    QTRY_VERIFY(!panel->isVisible());
    QVERIFY(panel->passwordField()->text().isEmpty());
    window = waitForPackageWindow(app, package);
    QVERIFY(window);
    QTRY_VERIFY(!window->document()->listItem()->tableItemObjectArray().isEmpty());
    window->closeApproved();
}

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "60000");
    // A profile of its own: the instance lock, caches and settings of other
    // test runs (or of a running desktop copy) never meet this one.
    QTemporaryDir profile;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(profile.filePath(QStringLiteral("cache"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(profile.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    tst_DocumentWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DocumentWindow.moc"
