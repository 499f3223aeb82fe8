#include "app/TaskWorkers.h"
#include "list/ListItem.h"
#include "tasks/TaskRunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_TaskWorkers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyWorkerIsPluggedInWithItsPanelRule();
};

void tst_TaskWorkers::everyWorkerIsPluggedInWithItsPanelRule()
{
    TaskRunner runner;
    TaskWorkers::registerAll(runner);
    TaskWorkers::registerAll(runner); // a second start-up changes nothing
    for (int code : {240, 244, 264, 715})
        QVERIFY2(runner.hasWorker(code), qPrintable(QString::number(code)));

    const auto schema = RowSchema::make({Row::kOptionKey, u"ID"_s});
    RowList rows;
    for (int i = 0; i < 1000; ++i)
        rows.append(Row::fromTexts(schema, {QStringView(), QStringView(u"x")}));
    QVariantMap export_{{u"itemObject"_s, QVariant::fromValue(rows)}};
    QVERIFY(!runner.showsPanel(715, export_));
    rows.append(rows.first());
    export_[u"itemObject"_s] = QVariant::fromValue(rows);
    QVERIFY(runner.showsPanel(715, export_));

    auto list = std::make_shared<ListItem>();
    list->registerTableItemObjectArray(rows);
    QVERIFY(runner.showsPanel(244, {{u"listItemSource"_s, QVariant::fromValue(ListItemPtr(list))}}));
    QVERIFY(!runner.showsPanel(244, {}));
    QVERIFY(runner.showsPanel(264, {}));
}

QTEST_GUILESS_MAIN(tst_TaskWorkers)
#include "tst_TaskWorkers.moc"
