#include "ViewsSession.h"

#include "ExportPanel.h"
#include "PreviewTableModel.h"
#include "SearchCriteriaModel.h"

#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"
#include "platform/AlertSheetModal.h"
#include "platform/PolicyAlertPresenter.h"

#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFruitCsv = "ID,Name,Price\n1,pear,80\n2,apple pie,120\n3,plum,95\n4,Apple,60\n";

// Types the name into an open file dialog and presses Return, as a user would.
void answerFileDialog(QFileDialog *dialog, const QString &path)
{
    QVERIFY(dialog);
    auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
    QVERIFY(name);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

// The four views of one document window, wired as the window wires them.
struct Views
{
    explicit Views(ViewsSession &session, MyDocument *document)
        : preview(document)
        , lists(document)
        , search(document)
        , info(document)
    {
        session.window.preview = &preview;
        session.window.lists = &lists;
        session.window.search = &search;
        session.window.info = &info;
        QObject::connect(&search, &SearchView::previewChanged, &preview, &PreviewPane::makeTableColumns);
        QObject::connect(&lists, &ListItemsView::previewChanged, &preview, &PreviewPane::makeTableColumns);
        QObject::connect(&lists, &ListItemsView::searchRecalled, &search, &SearchView::reloadToolView);
        QObject::connect(&lists, &ListItemsView::searchRequested, &search, &SearchView::selectSearchTitle);
        QObject::connect(&lists, &ListItemsView::listsChanged, &info, &InfoOutlineView::reloadToolView);
        QObject::connect(&info, &InfoOutlineView::itemActivated, &lists, &ListItemsView::putItemInfoTitleAtRoot);
    }

    PreviewPane preview;
    ListItemsView lists;
    SearchView search;
    InfoOutlineView info;
};

} // namespace

class tst_ToolViews : public QObject
{
    Q_OBJECT

private:
    PolicyAlertPresenter m_alerts;
    AlertPresenter *m_previous = nullptr;

    // Imports the fruit list through the list items view's open panel.
    static void importFruit(ViewsSession &session, Views &views, MyDocument *document)
    {
        const QString csv = session.writeFile(u"fruit.csv"_s, kFruitCsv);
        views.lists.show();
        QTest::mouseClick(views.lists.importButton(), Qt::LeftButton);
        answerFileDialog(views.lists.importPanel(), csv);
        QTRY_COMPARE(document->listItem()->tableItemObjectArray().size(), 4);
        QTRY_COMPARE(views.preview.model()->rowCount(), 4);
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
        m_alerts.setFallback(AlertButton::Default);
    }

    void listsAreImportedStoredAndRemoved()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        Views views(session, document);
        ListItemsSource *lists = document->documentSource()->listItemsSource();
        importFruit(session, views, document);
        QVERIFY(views.preview.commentText().startsWith(u"titles:5 items:4 fruit.csv UTF-8(LF)"_s));
        QVERIFY(views.lists.listsUpdated());

        // The proposed title is the file's name; storing it lists it.
        QCOMPARE(views.lists.listTitles()->currentText(), u"fruit"_s);
        views.lists.listTitles()->setEditText(u"Fruit"_s);
        QTest::mouseClick(views.lists.storeButton(), Qt::LeftButton);
        QTRY_VERIFY(lists->titlelist().contains(u"Fruit"_s));
        QVERIFY(!views.lists.listsUpdated());
        QCOMPARE(views.lists.listTitles()->findText(u"Fruit"_s), 1);
        QCOMPARE(views.info.model()->rowCount(), 1);

        // A second import asks first; declining keeps the list.
        m_alerts.enqueue(AlertButton::Default);
        QTest::mouseClick(views.lists.importButton(), Qt::LeftButton);
        QCOMPARE(m_alerts.shownCount(), 1);
        QCOMPARE(m_alerts.shownAlerts().constLast().number, 240);
        QVERIFY(!views.lists.importPanel() || !views.lists.importPanel()->isVisible());

        // Removing asks too; declining keeps everything.
        m_alerts.enqueue(AlertButton::Default);
        QTest::mouseClick(views.lists.removeButton(), Qt::LeftButton);
        QCOMPARE(m_alerts.shownAlerts().constLast().number, 241);
        QVERIFY(lists->titlelist().contains(u"Fruit"_s));
        m_alerts.enqueue(AlertButton::Alternate);
        QTest::mouseClick(views.lists.removeButton(), Qt::LeftButton);
        QVERIFY(lists->titlelist().isEmpty());
        QCOMPARE(views.lists.listTitles()->count(), 1);
        QCOMPARE(views.info.model()->rowCount(), 0);
        QVERIFY(document->isDocumentEdited());

        // Storing without rows sends nothing.
        ViewsSession other;
        MyDocument *empty = other.newDocument();
        ListItemsView view(empty);
        view.listTitles()->setEditText(u"Nothing"_s);
        QVERIFY(!view.storeCurrentList());
        QVERIFY(empty->documentSource()->listItemsSource()->titlelist().isEmpty());
    }

    void searchesRunAndAreStored()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        Views views(session, document);
        importFruit(session, views, document);
        ListItemsSource *lists = document->documentSource()->listItemsSource();
        SearchCriteriaModel *criteria = views.search.model();
        QAbstractItemModelTester tester(criteria, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(criteria->rowCount(), 1);
        QCOMPARE(criteria->categories(), (QStringList{u"ID"_s, u"Name"_s, u"Price"_s}));

        views.search.show();
        QVERIFY(QTest::qWaitForWindowExposed(&views.search));
        QTableView *table = views.search.criteriaView();
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::CategoryColumn), u"Name"_s));
        table->setFocus();
        table->setCurrentIndex(criteria->index(0, SearchCriteriaModel::KeywordColumn));
        QTest::keyClick(table, Qt::Key_F2);
        QTRY_VERIFY(QApplication::focusWidget() != table);
        QTest::keyClicks(QApplication::focusWidget(), u"apple"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(lists->searchEditingSource()->itemsSearchArray().at(0).keywordString(), u"apple"_s);

        // The final criterion stays; a new blank one goes after the current row.
        QVERIFY(!criteria->canRemoveCriterion(0));
        QTest::mouseClick(views.search.addButton(), Qt::LeftButton);
        QCOMPARE(criteria->rowCount(), 2);
        QVERIFY(criteria->canRemoveCriterion(0));
        QVERIFY(!criteria->canRemoveCriterion(1));
        QVERIFY(criteria->removeCriterion(0));
        QVERIFY(criteria->index(0, SearchCriteriaModel::KeywordColumn).data().toString().isEmpty());
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::CategoryColumn), u"Name"_s));
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::KeywordColumn), u"apple"_s));

        QTest::mouseClick(views.search.runButton(), Qt::LeftButton);
        QTRY_VERIFY(document->listItem()->indicationMode());
        QTRY_COMPARE(views.preview.model()->rowCount(), 2);
        QCOMPARE(views.preview.model()->index(1, 3).data().toString(), u"Apple"_s);

        // An edit in search mode reaches the list's own row as well.
        QVERIFY(views.preview.model()->setData(views.preview.model()->index(1, 4), u"65"_s));
        QCOMPARE(document->listItem()->tableItemObjectArray().at(3).cellText(u"Price").toString(), u"65"_s);
        QCOMPARE(document->listItem()->tableItemObjectArray().size(), 4);

        // Storing logs the search in the list's work log.
        views.search.titleEdit()->setText(u"Apples"_s);
        QTest::mouseClick(views.search.storeButton(), Qt::LeftButton);
        QVERIFY(document->listItem()->inspectionSearchObjectAtTitle(u"Apples"_s));
        const QString log = document->listItem()->creatorInformation()->logText();
        QVERIFY2(log.contains(u"Apples"_s), qPrintable(log));
        QCOMPARE(views.search.storedSearches()->findText(u"Apples"_s), 1);

        // Recalling puts the stored criteria back, leaving the shown rows alone.
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::KeywordColumn), u"plum"_s));
        views.search.storedSearches()->setCurrentIndex(1);
        Q_EMIT views.search.storedSearches()->activated(1);
        QCOMPARE(criteria->index(0, SearchCriteriaModel::KeywordColumn).data().toString(), u"apple"_s);

        QTest::mouseClick(views.search.showAllButton(), Qt::LeftButton);
        QVERIFY(!document->listItem()->indicationMode());
        QCOMPARE(views.preview.model()->rowCount(), 4);

        QTest::mouseClick(views.search.removeButton(), Qt::LeftButton);
        QVERIFY(!document->listItem()->inspectionSearchObjectAtTitle(u"Apples"_s));
        QCOMPARE(views.search.storedSearches()->count(), 1);
        QVERIFY(document->listItem()->creatorInformation()->logText().size() > log.size());
    }

    void outlineShowsListsSearchesAndLogs()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        Views views(session, document);
        QAbstractItemModelTester tester(views.info.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(views.info.model()->rowCount(), 0);
        QVERIFY(views.info.infoText().isEmpty());

        importFruit(session, views, document);
        views.lists.listTitles()->setEditText(u"Fruit"_s);
        QVERIFY(views.lists.storeCurrentList());
        QTRY_COMPARE(views.info.model()->rowCount(), 1);
        QStandardItem *root = views.info.model()->item(0);
        QCOMPARE(root->text(), u"Fruit"_s);
        QVERIFY(!root->hasChildren());
        QVERIFY(views.info.model()->item(0, 1)->text().startsWith(u"item count:4 , item file pass:fruit.csv"_s));

        // A stored search shows below its list once the list is stored again.
        SearchCriteriaModel *criteria = views.search.model();
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::CategoryColumn), u"Name"_s));
        QVERIFY(criteria->setData(criteria->index(0, SearchCriteriaModel::KeywordColumn), u"pear"_s));
        views.search.titleEdit()->setText(u"Pears"_s);
        QVERIFY(views.search.storeSearch());
        m_alerts.enqueue(AlertButton::Alternate); // replaces the stored list
        QVERIFY(views.lists.storeCurrentList());
        QCOMPARE(m_alerts.shownAlerts().constLast().number, 202201);
        QTRY_VERIFY(views.info.model()->item(0) && views.info.model()->item(0)->hasChildren());
        root = views.info.model()->item(0);
        QCOMPARE(root->child(0)->text(), u"Pears"_s);
        QCOMPARE(root->child(0, 1)->text(), u"Search Object"_s);

        QTreeView *outline = views.info.outline();
        outline->setCurrentIndex(root->index());
        const QString listLog = views.info.infoText();
        QVERIFY(!listLog.isEmpty());
        outline->setCurrentIndex(root->child(0)->index());
        QCOMPARE(views.info.infoText(), listLog);

        views.info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&views.info));
        QSignalSpy activated(&views.info, &InfoOutlineView::itemActivated);
        const QPoint child = outline->visualRect(root->child(0)->index()).center();
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, child);
        QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, child);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.constFirst(), (QVariantList{u"Fruit"_s, u"Pears"_s}));
        // The list is open already, so the search runs at once.
        QTRY_VERIFY(document->listItem()->indicationMode());
        QCOMPARE(views.preview.model()->rowCount(), 1);
    }

    void exportPanelWritesTheChosenFile()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        Views views(session, document);
        importFruit(session, views, document);
        for (qsizetype row = 0; row < 4; ++row)
            document->listItem()->registerIndication(1, row);

        QWidget host;
        host.resize(800, 600);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        ExportPanel::openFor(&host, document);
        auto *panel = host.findChild<ExportPanel *>();
        QVERIFY(panel);
        QTRY_VERIFY(panel->isVisible());
        QCOMPARE(panel->encodingBox()->itemText(2), u"EUC-JP"_s);

        // A list file is UTF-8 with fixed line ends; the choices say so.
        panel->encodingBox()->setCurrentIndex(1);
        panel->fileTypeBox()->setCurrentIndex(ExportPanel::ListFile);
        QCOMPARE(panel->encodingBox()->currentIndex(), 0);
        QVERIFY(!panel->encodingBox()->isEnabled());
        QVERIFY(!panel->lineFeedBox()->isEnabled());
        QCOMPARE(ExportPanel::exportRequest(document, u"x"_s, ExportPanel::ListFile, 2, true)
                     .value(u"encoding"_s).toInt(), 0);
        panel->fileTypeBox()->setCurrentIndex(ExportPanel::CsvFile);
        QVERIFY(panel->encodingBox()->isEnabled());
        panel->lineFeedBox()->setChecked(true);

        const QString target = session.home.filePath(u"out.csv"_s);
        answerFileDialog(panel->fileDialog(), target);
        QTRY_VERIFY(QFileInfo::exists(target));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY2(bytes.startsWith("ID,Name,Price\r\n"), bytes.constData());
        QVERIFY(bytes.contains("apple pie"));
    }
};

QTEST_MAIN(tst_ToolViews)
#include "tst_ToolViews.moc"
