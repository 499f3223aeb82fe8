#include "support/TestSupport.h"

#include "list/TableSourceData.h"
#include "platform/Localization.h"

#include <QTest>

#include <limits>

using Kind = TableColumnDescription::Kind;

class TestTableSourceData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void columnKinds()
    {
        TableSourceData data;
        data.registerColumnMinWidth(10.0f);
        data.registerOptionTitle(QStringLiteral("Opt"));
        data.initializationUserObject();
        QCOMPARE(data.columnMaxWidth(), 1000.0f);
        QCOMPARE(data.columnMinWidth(), 50.0f);
        QVERIFY(!data.columnsizeToFit());
        QVERIFY(!data.confirmOptionTitle() && !data.optionTitle().isNull());

        const TableColumnDescription ordinary = data.setAddColumn(QStringLiteral("Customer"), 120.0f, 3);
        QCOMPARE(ordinary.kind, Kind::Ordinary);
        QCOMPARE(ordinary.identifier, QStringLiteral("Columns3"));
        QCOMPARE(ordinary.sortKey, ordinary.identifier);
        QVERIFY(ordinary.ascending && ordinary.editable && ordinary.wraps);
        QCOMPARE(ordinary.headerText, QStringLiteral("Customer")); // no text: the title itself
        QCOMPARE(ordinary.width, 120.0f);

        // A title that is a key of the main table shows its text.
        const TableColumnDescription keyed = data.setAddColumn(QStringLiteral("0010Title"), 60.0f, 4);
        QCOMPARE(keyed.headerText, Localization::textOrKey(Localization::kMainTable, QStringLiteral("0010Title")));
        QVERIFY(keyed.headerText != keyed.headerKey);

        const TableColumnDescription mark = data.setAddColumn(QStringLiteral("NSRIndication"), 300.0f, 0);
        QCOMPARE(mark.kind, Kind::Indication);
        QCOMPARE(mark.headerText, Localization::textOrKey(Localization::kMainTable, QStringLiteral("2002Title")));
        QVERIFY(!mark.editable);
        QCOMPARE(mark.width, 40.0f);
        QCOMPARE(mark.sortKey, QStringLiteral("Columns0"));

        // Without an option title the option column is an ordinary one keyed by its title.
        const TableColumnDescription plainOption = data.setAddColumn(QStringLiteral("NSROption"), 70.0f, 1);
        QCOMPARE(plainOption.kind, Kind::Ordinary);
        QVERIFY(plainOption.editable);
        QCOMPARE(plainOption.headerKey, QStringLiteral("NSROption"));

        QVERIFY(data.registerOptionTitle(QStringLiteral("Script")));
        const TableColumnDescription option = data.setAddColumn(QStringLiteral("NSROption"), 300.0f, 1);
        QCOMPARE(option.kind, Kind::Option);
        QCOMPARE(option.headerText, QStringLiteral("Script"));
        QCOMPARE(option.width, 40.0f);

        const TableColumnDescription placeholder = data.setNewColumn();
        QCOMPARE(placeholder.kind, Kind::Placeholder);
        QCOMPARE(placeholder.identifier, QStringLiteral("Columns0"));
        QVERIFY(!placeholder.sorts());
        QCOMPARE(placeholder.headerText, Localization::textOrKey(Localization::kMainTable, QStringLiteral("0010Title")));
    }

    void widthLimits()
    {
        TableSourceData data;
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), 20.0f, 0).width, 50.0f);
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), 20.0f, 0).minWidth, 50.0f);
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), 5000.0f, 0).width, 1000.0f);
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), std::numeric_limits<float>::quiet_NaN(), 0).width, 50.0f);
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), std::numeric_limits<float>::infinity(), 0).width, 50.0f);

        data.registerColumnsizeToFit(true);
        QVERIFY(data.makeAddColumn(QStringLiteral("A"), 60.0f, 0).sizeToFit);
        QVERIFY(!data.makeAddIndicationColumnAtID(0).sizeToFit);

        // Crossed limits: the minimum wins, as a table column would have it.
        data.registerColumnMinWidth(300.0f);
        data.registerColumnMaxWidth(100.0f);
        QCOMPARE(data.makeAddColumn(QStringLiteral("A"), 200.0f, 0).width, 300.0f);
    }
};

QTEST_GUILESS_MAIN(TestTableSourceData)
#include "tst_TableSourceData.moc"
