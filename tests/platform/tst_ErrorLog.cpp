#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

#include <QTest>

#include <stdexcept>

class tst_ErrorLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineFormats();
    void guardedOperationsLogAndReturnNeutral();
};

void tst_ErrorLog::lineFormats()
{
    QCOMPARE(ErrorLog::errLine(u"CSVtoLMSConversion", u"importFileObject", u"bad"),
             QStringLiteral("Err CSVtoLMSConversion importFileObject : bad"));
    QCOMPARE(ErrorLog::numberedLine(2204, u"get search object at index"),
             QStringLiteral("2204:get search object at index:*** Err ***"));
    QCOMPARE(ErrorLog::numberedLine(924, u"file size at wrapper:wrapper size"),
             QStringLiteral("924:file size at wrapper:wrapper size:*** Err ***"));
}

void tst_ErrorLog::guardedOperationsLogAndReturnNeutral()
{
    QTest::ignoreMessage(QtWarningMsg, "Err List Items addTableItemObject : broken row");
    const bool answer = ErrorLog::guarded(lcList, u"List Items", u"addTableItemObject", false,
                                          []() -> bool { throw std::runtime_error("broken row"); });
    QVERIFY(!answer);

    QTest::ignoreMessage(QtWarningMsg, "Err Document saveDocument : unknown exception");
    ErrorLog::guardedVoid(lcDocument(), u"Document", u"saveDocument", [] { throw 42; });

    QCOMPARE(ErrorLog::guarded(lcList, u"List Items", u"itemCount", 0, [] { return 7; }), 7);
}

QTEST_GUILESS_MAIN(tst_ErrorLog)
#include "tst_ErrorLog.moc"
