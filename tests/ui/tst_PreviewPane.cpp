#include "ViewsSession.h"

#include "PreviewTableModel.h"

#include "platform/AlertSheetModal.h"
#include "platform/NotificationCenter.h"
#include "platform/PolicyAlertPresenter.h"

#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QList<QStringList> kRows{
    {u"1"_s, u"pear"_s, u"80"_s},
    {u"2"_s, u"apple"_s, u"120"_s},
    {u"3"_s, u"plum"_s, u"95"_s},
    {u"4"_s, u"fig"_s, u"60"_s},
};

QStringList namesOf(const ListItem *list)
{
    QStringList names;
    for (const Row &row : list->previewRows())
        names.append(row.cellText(u"Name").toString());
    return names;
}

QPoint cellCenter(QTableView *view, int row, int column)
{
    return view->visualRect(view->model()->index(row, column)).center();
}

constexpr int kMark = 0;
constexpr int kName = 3;

} // namespace

class tst_PreviewPane : public QObject
{
    Q_OBJECT

private:
    PolicyAlertPresenter m_alerts;
    AlertPresenter *m_previous = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_previous = AlertSheetModal::setPresenter(&m_alerts);
    }
    void cleanupTestCase() { AlertSheetModal::setPresenter(m_previous); }

    void marksAndEditsGoToTheList()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        fillList(document->listItem(), kRows);
        PreviewPane pane(document);
        QAbstractItemModelTester tester(pane.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        pane.makeTableColumns();
        pane.resize(640, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QTableView *table = pane.tableView();
        QCOMPARE(pane.model()->rowCount(), 4);
        QCOMPARE(pane.model()->columnCount(), 5);
        QCOMPARE(pane.model()->index(1, kName).data().toString(), u"apple"_s);
        QVERIFY(pane.model()->headerData(kMark, Qt::Horizontal).toString() != Row::kIndicationKey);

        // Space marks the current row, whichever cell is current.
        table->setFocus();
        table->setCurrentIndex(pane.model()->index(2, kName));
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(document->listItem()->previewRows().at(2).indication(), 1u);
        QVERIFY(document->isDocumentEdited());
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(document->listItem()->previewRows().at(2).indication(), 0u);

        // Leaving a cell as it was changes nothing.
        document->updateChangeCountAs(false);
        table->setCurrentIndex(pane.model()->index(0, kName));
        QTest::keyClick(table, Qt::Key_F2);
        QTRY_VERIFY(QApplication::focusWidget() != table);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(QApplication::focusWidget() == table);
        QVERIFY(!document->isDocumentEdited());

        // A changed cell is written into the list row where it stands.
        QTest::keyClick(table, Qt::Key_F2);
        QTRY_VERIFY(QApplication::focusWidget() != table);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), u"quince"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(namesOf(document->listItem()).at(0), u"quince"_s);
        QVERIFY(document->isDocumentEdited());
        QCOMPARE(document->listItem()->tableItemObjectArray().size(), 4);

        // A double click on a cell asks for the row's editor.
        QSignalSpy activated(&pane, &PreviewPane::itemActivated);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellCenter(table, 3, kName));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cellCenter(table, 3, kName));
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.constFirst().constFirst().value<qsizetype>(), 3);
    }

    void rowsMoveByDragAndDrop()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        fillList(document->listItem(), kRows);
        PreviewTableModel model(document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QPersistentModelIndex followed = model.index(3, kName);
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(3, kName), model.index(1, 2), model.index(3, 1)}));
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
        QCOMPARE(namesOf(document->listItem()), (QStringList{u"apple"_s, u"fig"_s, u"pear"_s, u"plum"_s}));
        QCOMPARE(followed.row(), 1);
        QCOMPARE(model.index(1, kName).data().toString(), u"fig"_s);
        QVERIFY(document->isDocumentEdited());

        // Rows dragged from another table are not positions in this one.
        PreviewTableModel other(document);
        std::unique_ptr<QMimeData> foreign(other.mimeData({other.index(0, kName)}));
        QVERIFY(!model.dropMimeData(foreign.get(), Qt::MoveAction, 3, 0, {}));
        QCOMPARE(namesOf(document->listItem()).at(0), u"apple"_s);
    }

    void headerClicksSortBothWays()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        fillList(document->listItem(), kRows);
        PreviewPane pane(document);
        QAbstractItemModelTester tester(pane.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        pane.makeTableColumns();
        pane.resize(640, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QHeaderView *header = pane.tableView()->horizontalHeader();
        QSignalSpy finished(pane.model(), &PreviewTableModel::sortFinished);
        const QPoint nameHeader(header->sectionViewportPosition(kName) + 5, header->height() / 2);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(namesOf(document->listItem()), (QStringList{u"apple"_s, u"fig"_s, u"pear"_s, u"plum"_s}));
        QCOMPARE(pane.model()->index(0, kName).data().toString(), u"apple"_s);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(namesOf(document->listItem()), (QStringList{u"plum"_s, u"pear"_s, u"fig"_s, u"apple"_s}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

        // An edit made while the sort runs wins: the sorted copy is dropped.
        QVERIFY(pane.model()->sortByColumn(1 + 1 + 1, Qt::AscendingOrder)); // "Price"
        QVERIFY(pane.model()->setData(pane.model()->index(0, kName), u"zucchini"_s));
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(finished.constLast().constFirst().toBool(), false);
        QCOMPARE(namesOf(document->listItem()), (QStringList{u"zucchini"_s, u"pear"_s, u"fig"_s, u"apple"_s}));

        // The mark column does not sort.
        QVERIFY(!pane.model()->sortByColumn(kMark, Qt::AscendingOrder));
    }

    void commentLineAndShowBox()
    {
        QCOMPARE(PreviewPane::commentLine(5, 3, u"/data/shop.csv"_s, 8, true, true),
                 u"titles:5 items:3 shop.csv Shift-JIS(CR-LF)"_s);
        QCOMPARE(PreviewPane::commentLine(5, 3, u"/data/shop.csv"_s, 4, false, true),
                 u"titles:5 items:3 shop.csv UTF-8(LF)"_s);
        QCOMPARE(PreviewPane::commentLine(5, 3, u"/data/shop.csv"_s, 99, false, true), u"titles:5 items:3 "_s);
        QCOMPARE(PreviewPane::commentLine(5, 3, QString(), 4, false, true), u"titles:5 items:3 "_s);

        ViewsSession session;
        MyDocument *document = session.newDocument();
        PreviewPane pane(document);
        // A list without titles: one placeholder column and nothing to mark.
        QCOMPARE(pane.model()->columnCount(), 1);
        QCOMPARE(pane.model()->rowCount(), 0);
        QCOMPARE(pane.commentText(), u"titles:0 items:0 "_s);
        QVERIFY(!pane.showBox()->isEnabled());
        QCOMPARE(pane.showBox()->checkState(), Qt::PartiallyChecked);

        fillList(document->listItem(), kRows);
        pane.makeTableColumns();
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QVERIFY(pane.showBox()->isEnabled());
        QList<int> posted;
        const auto token = NotificationCenter::defaultCenter().addObserver(
            u"showItemsPreTableViewNotif"_s, nullptr, [&](const Notification &n) { posted.append(n.object.toInt()); });

        m_alerts.clearShownAlerts();
        m_alerts.enqueue(AlertButton::Default); // declines
        QTest::mouseClick(pane.showBox(), Qt::LeftButton);
        QCOMPARE(m_alerts.shownAlerts().constLast().number, 711);
        QCOMPARE(posted, QList<int>{-1});
        QCOMPARE(pane.showBox()->checkState(), Qt::PartiallyChecked);
        for (const Row &row : document->listItem()->tableItemObjectArray())
            QCOMPARE(row.indication(), 0u);

        m_alerts.enqueue(AlertButton::Alternate); // agrees
        QTest::mouseClick(pane.showBox(), Qt::LeftButton);
        QCOMPARE(posted.constLast(), 1);
        QCOMPARE(pane.showBox()->checkState(), Qt::Checked);
        for (const Row &row : document->listItem()->tableItemObjectArray())
            QCOMPARE(row.indication(), 1u);
        QCOMPARE(pane.model()->index(3, kMark).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

        m_alerts.enqueue(AlertButton::Alternate);
        QTest::mouseClick(pane.showBox(), Qt::LeftButton);
        QCOMPARE(m_alerts.shownAlerts().constLast().number, 710);
        QCOMPARE(posted.constLast(), 0);
        for (const Row &row : document->listItem()->tableItemObjectArray())
            QCOMPARE(row.indication(), 0u);
        NotificationCenter::defaultCenter().removeObserver(token);
    }

    void copyTextAndWebViews()
    {
        QCOMPARE(PreviewPane::tabSeparated({{u"a"_s, u"b\tc"_s}, {u"say \"hi\""_s, u"two\nlines"_s}}),
                 u"a\t\"b\tc\"\n\"say \"\"hi\"\"\"\t\"two\nlines\"\n"_s);

        ViewsSession session;
        MyDocument *document = session.newDocument();
        QList<QStringList> many;
        for (int n = 0; n < PreviewPane::kTextRowLimit + 3; ++n)
            many.append({QString::number(n), n == 0 ? u"<b>bold</b>"_s : u"x,y"_s,
                         n == 0 ? u"https://example.org/a?b=1"_s : u"javascript:alert(1)"_s});
        fillList(document->listItem(), many);
        PreviewPane pane(document);
        pane.makeTableColumns();
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));

        QTableView *table = pane.tableView();
        table->selectionModel()->select(QItemSelection(pane.model()->index(0, kName), pane.model()->index(1, kName + 1)),
                                        QItemSelectionModel::Select);
        pane.copySelection();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied);
        QCOMPARE(copied->text(), u"<b>bold</b>\thttps://example.org/a?b=1\nx,y\tjavascript:alert(1)\n"_s);
        QCOMPARE(QString::fromUtf8(copied->data(u"text/csv"_s)),
                 u"<b>bold</b>,https://example.org/a?b=1\r\n\"x,y\",javascript:alert(1)\r\n"_s);

        pane.selectTabWithState(1);
        const QStringList lines = pane.textTabText().split(u'\n');
        QCOMPARE(lines.constFirst(), u"ID,Name,Price"_s);
        QCOMPARE(lines.at(2), u"1,\"x,y\",javascript:alert(1)"_s);
        QCOMPARE(lines.size(), 1 + PreviewPane::kTextRowLimit + 1);
        QVERIFY(lines.constLast().contains(u"3"_s));

        // The page escapes cell text and links only web addresses.
        table->setCurrentIndex(pane.model()->index(0, kName));
        pane.selectTabWithState(2);
        QString html = pane.webTabHtml();
        QVERIFY(!html.contains(u"<b>bold"_s));
        QVERIFY(html.contains(u"href=\"https://example.org/a?b=1\""_s));
        table->setCurrentIndex(pane.model()->index(1, kName));
        html = pane.webTabHtml();
        QVERIFY(!html.contains(u"href"_s));
    }

    void columnMovesAndWidthsAreStored()
    {
        ViewsSession session;
        MyDocument *document = session.newDocument();
        fillList(document->listItem(), kRows);
        PreviewPane pane(document);
        pane.makeTableColumns();
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QHeaderView *header = pane.tableView()->horizontalHeader();

        document->updateChangeCountAs(false);
        header->resizeSection(kName, 155);
        QCOMPARE(document->listItem()->columnTitlesWidthDic().value(u"Name"_s).toFloat(), 155.0f);
        QVERIFY(document->isDocumentEdited());

        header->moveSection(kName, 2);
        const QStringList moved{Row::kIndicationKey, Row::kOptionKey, u"Name"_s, u"ID"_s, u"Price"_s};
        QTRY_COMPARE(document->listItem()->columnTitlesArray(), moved);
        // Rebuilt in the new order, with the width going along with its title.
        QCOMPARE(header->visualIndex(2), 2);
        QCOMPARE(pane.model()->headerData(2, Qt::Horizontal).toString(), u"Name"_s);
        QCOMPARE(header->sectionSize(2), 155);
        QCOMPARE(pane.model()->index(0, 2).data().toString(), u"pear"_s);
        pane.zoomIn();
        const double bigger = pane.textPointSize();
        pane.zoomOut();
        QVERIFY(pane.textPointSize() < bigger);
    }
};

QTEST_MAIN(tst_PreviewPane)
#include "tst_PreviewPane.moc"
