#include "list/ListColumns.h"
#include "list/Row.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class tst_ListColumns : public QObject
{
    Q_OBJECT

    static ListColumns sample()
    {
        ListColumns columns;
        columns.setTitles({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s});
        columns.makeTitlesDic();
        columns.setWidth(80.5f, u"Name"_s);
        return columns;
    }

private Q_SLOTS:
    void retitleMovesEveryTraceOfTheTitle()
    {
        ListColumns columns = sample();
        QCOMPARE(columns.retitle(3, u"Label"_s), std::optional<QString>(u"Name"_s));
        QCOMPARE(columns.titles(), QStringList({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Label"_s}));
        QCOMPARE(columns.titlesDic().value(u"Columns3"_s).toString(), u"Label"_s);
        QVERIFY(!columns.widths().contains(u"Name"_s));
        QCOMPARE(columns.widths().value(u"Label"_s).toFloat(), 80.5f);
        QCOMPARE(columns.sortTitle(u"Columns3"_s), u"Label"_s);
        QCOMPARE(columns.sortTitle(u"Name"_s), u"Name"_s);

        // Refused renames leave all three untouched.
        const ListColumns before = columns;
        QVERIFY(!columns.retitle(2, u"Label"_s));
        QVERIFY(!columns.retitle(2, u"ID"_s));
        QVERIFY(!columns.retitle(0, u"Mark"_s));
        QVERIFY(!columns.retitle(2, Row::kOptionKey));
        QVERIFY(!columns.retitle(4, u"Other"_s));
        QVERIFY(!columns.retitle(2, QString()));
        QCOMPARE(columns.titles(), before.titles());
        QCOMPARE(columns.titlesDic(), before.titlesDic());
        QCOMPARE(columns.widths(), before.widths());
    }

    void reorderRenumbersAndWidthsStayNumbers()
    {
        ListColumns columns = sample();
        QVERIFY(!columns.reorder({u"ID"_s, u"Name"_s}));
        QVERIFY(columns.reorder({u"Name"_s, u"ID"_s, u"NSRIndication"_s, u"NSROption"_s}));
        QCOMPARE(columns.titlesDic().value(u"Columns0"_s).toString(), u"Name"_s);
        QCOMPARE(columns.titlesDic().size(), 4);
        QCOMPARE(columns.itemIDTitle(), u"NSRIndication"_s);
        QCOMPARE(columns.selectTitles(), QStringList({u"Name"_s, u"ID"_s}));

        columns.setWidths({{u"A"_s, 12}, {u"B"_s, 2.5}, {u"C"_s, u"wide"_s}});
        QCOMPARE(columns.widths().keys(), QStringList({u"A"_s, u"B"_s}));
        QCOMPARE(columns.widths().value(u"A"_s).typeId(), int(QMetaType::Float));
        QCOMPARE(columns.replaceWidth(u"B"_s, 4.0f), std::optional<float>(2.5f));
        QCOMPARE(columns.replaceWidth(u"D"_s, 4.0f), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_ListColumns)
#include "tst_ListColumns.moc"
