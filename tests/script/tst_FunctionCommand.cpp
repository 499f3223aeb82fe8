#include "support/TestSupport.h"

#include "list/ListItem.h"
#include "platform/Localization.h"
#include "platform/NotificationCenter.h"
#include "script/FunctionCommand.h"
#include "script/OptionRunDriver.h"
#include "support/ScriptOptions.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString kDevelop = u"developFunctionSourceDictionaryNotif"_s;
const QString kAnswer = u"answerFunctionSourceDictionaryNotif"_s;

ListItem makeList()
{
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s, u"Price"_s});
    ListItem list;
    list.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s, u"Price"_s});
    list.registerTableItemObjectArray(RowList{
        Row::fromTexts(schema, {QStringView(), u"1", u"Ann", u"10"}),
        Row::fromTexts(schema, {QStringView(), u"2", u"Bob", u"25"}),
        Row::fromTexts(schema, {QStringView(), u"3", u"Cid", u""}),
    });
    return list;
}

// Answers script requests from a list item the way a document does.
class FakeDocument
{
public:
    explicit FakeDocument(qint32 cachesFolderID = 0)
        : m_cachesFolderID(cachesFolderID)
        , list(makeList())
    {
        m_token = NotificationCenter::defaultCenter().addObserver(
            kDevelop, nullptr, [this](const Notification &notification) { handle(notification.object.toMap()); });
    }
    ~FakeDocument() { NotificationCenter::defaultCenter().removeObserver(m_token); }

    QList<int> commandNumbers() const
    {
        QList<int> numbers;
        for (const QVariantMap &request : requests)
            numbers << request.value(u"commandNumber"_s, 0).toInt();
        return numbers;
    }
    QString cell(int row, const QString &title) const
    {
        return list.tableItemObjectArray().at(row).cellText(title).toString();
    }

    std::function<void(const QVariantMap &)> beforeAnswer;

private:
    static void answer(const QVariant &object) { NotificationCenter::defaultCenter().post(kAnswer, object); }

    void handle(const QVariantMap &request)
    {
        if (request.isEmpty())
            return;
        if (request.contains(u"cachesFolderID"_s) && request.value(u"cachesFolderID"_s).toInt() != m_cachesFolderID)
            return;
        if (requests.size() < 1000)
            requests << request;
        if (beforeAnswer)
            beforeAnswer(request);
        QVariantMap reply = request;
        const RowList rows = list.tableItemObjectArray();
        const qint32 row = request.value(u"row"_s).toInt();
        const QString title = request.value(u"title"_s).toString();
        switch (request.value(u"commandNumber"_s, 0).toInt()) {
        case 1: {
            QVariantList column;
            for (const Row &each : rows)
                column << each.cellText(request.value(u"answerObject"_s).toString()).toString();
            reply.insert(u"answerType"_s, 7);
            reply.insert(u"answerObject"_s, column);
            break;
        }
        case 4:
            if (request.value(u"commandText"_s).toString().contains(u"items:editing:title:"_s)) {
                if (!editingItem) {
                    ++alerts219;
                    answer(QVariant());
                    return;
                }
                const QString text = editingItem->cellText(request.value(u"answerObject"_s).toString()).toString();
                if (!text.isEmpty()) {
                    reply.insert(u"answerType"_s, 4);
                    reply.insert(u"answerObject"_s, text);
                }
            }
            break;
        case 240:
            if (row >= 0 && row < rows.size() && !rows.at(row).cellText(title).isEmpty()) {
                reply.insert(u"answerType"_s, 4);
                reply.insert(u"answerObject"_s, rows.at(row).cellText(title).toString());
            }
            break;
        case 250: {
            const QVariant item = request.value(u"itemObject"_s);
            if (row < 0 || row >= rows.size() || title.isEmpty() || item.typeId() != QMetaType::QString
                || item.toString().isEmpty())
                return;
            RowList changed = rows;
            changed[row].setCell(title, AttributedText(item.toString()));
            list.registerTableItemObjectArray(changed);
            break;
        }
        default:
            break;
        }
        answer(reply);
    }

    qint32 m_cachesFolderID;
    NotificationCenter::Token m_token = 0;

public:
    ListItem list;
    std::optional<Row> editingItem;
    QList<QVariantMap> requests;
    int alerts219 = 0;
};

QString userReferences()
{
    return Localization::textOrKey(Localization::kMainTable, u"0015Title"_s);
}

using ScriptOptions::optionOf;
using ScriptOptions::source;

QVariantMap answerOf(qint32 type, const QVariant &object)
{
    return {{u"answerType"_s, type}, {u"answerObject"_s, object}};
}

// An interpreter holding one source with the given user references, ready
// to evaluate pieces of code.
struct Interpreter
{
    explicit Interpreter(const QVariantMap &users = {}, const OptionSource &working = source(u"s"_s, u"[User:x]"_s))
    {
        command.optionObjectSource()->registerOptionSourceArray({working});
        command.optionObjectSource()->registerReferenceUserDictionary(users);
        command.getDevelopSourceAtRow(0);
    }
    bool eval(const QString &text)
    {
        return command.loadingCodeDivideInTwo(FunctionCommand::codeDivideInTwoAtSource(text), text);
    }
    QVariantMap answer() { return command.optionSource()->answerObjectDictionary(); }
    QVariant object() { return answer().value(u"answerObject"_s); }
    int type() { return answer().value(u"answerType"_s).toInt(); }

    FunctionCommand command;
};

QStringList answeredTexts(const OptionRunDriver::Result &result, qint32 index)
{
    QStringList texts;
    for (const OptionRunDriver::SourceAnswer &answer : result.answers) {
        if (answer.index == index)
            texts << answer.answerObject.toString();
    }
    return texts;
}

// Serves fixed pages over HTTP on the loopback; the fetch's own event loop
// drives it.
class PageServer : public QObject
{
public:
    PageServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString &path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(m_server.serverPort()).arg(path);
    }
    QHash<QByteArray, QPair<QByteArray, QByteArray>> pages; // path -> content type, body

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        const auto page = pages.value(path);
        socket->write((page.second.isEmpty() ? QByteArray("HTTP/1.1 404 Not Found\r\n") : QByteArray("HTTP/1.1 200 OK\r\n"))
                      + "Content-Type: " + page.first + "\r\nContent-Length: " + QByteArray::number(page.second.size())
                      + "\r\nConnection: close\r\n\r\n" + page.second);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

QByteArray pngBytes()
{
    QByteArray data("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x02\0\0\0\x03", 24);
    return data + QByteArray(13, '\0');
}

} // namespace

class tst_FunctionCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void markersAndDocumentCommands()
    {
        FakeDocument document;
        Interpreter run({{u"r"_s, answerOf(4, u"2"_s)}, {u"plain"_s, u"text"_s}});

        QVERIFY(run.eval(u"[ColumnTitle:Name]"_s));
        QCOMPARE(run.type(), 7);
        QCOMPARE(run.object().toStringList(), (QStringList{u"Ann"_s, u"Bob"_s, u"Cid"_s}));
        QCOMPARE(document.requests.last().value(u"codeText"_s), QVariant(u"[ColumnTitle:Name]"_s));
        QVERIFY(!run.command.middleOfProcessing());

        // No argument: fails before anything is posted.
        const qsizetype posted = document.requests.size();
        QVERIFY(!run.eval(u"[ColumnTitle:]"_s));
        QVERIFY(run.command.middleOfProcessing());
        QCOMPARE(document.requests.size(), posted);

        QVERIFY(run.eval(u"[Command:items:row:1 title:[ColumnTitle:Name]]"_s));
        QCOMPARE(run.answer().value(u"answerObject"_s), QVariant(u"Bob"_s));
        QCOMPARE(document.requests.last().value(u"row"_s), QVariant(1));
        QCOMPARE(document.requests.last().value(u"title"_s), QVariant(u"Name"_s));
        QVERIFY(run.eval(u"[Command:items:row:[User:r] title:[ColumnTitle:Name]]"_s));
        QCOMPARE(run.object(), QVariant(u"Cid"_s));
        QVERIFY(!run.eval(u"[Command:items:row:abc title:[ColumnTitle:Name]]"_s));

        // A write whose object reads another row: the outer command is the one run.
        QVERIFY(run.eval(u"[Command:write:row:0 title:[ColumnTitle:Name] object:[Command:items:row:2 title:[ColumnTitle:Name]]]"_s));
        QCOMPARE(document.cell(0, u"Name"_s), u"Cid"_s);
        QCOMPARE(document.commandNumbers().last(), 250);
        // An object that answers a number is refused and nothing is written.
        QVERIFY(!run.eval(u"[Command:write:row:1 title:[ColumnTitle:Name] object:[Command:object:count:[ColumnTitle:Name]]]"_s));
        QVERIFY(document.commandNumbers().last() != 250);
        QCOMPARE(document.cell(1, u"Name"_s), u"Bob"_s);

        // The user references: only answer dictionaries qualify.
        QVERIFY(run.eval(u"[User:r]"_s));
        QCOMPARE(run.answer(), answerOf(4, u"2"_s));
        QVERIFY(!run.eval(u"[User:plain]"_s));
        QVERIFY(!run.eval(u"[User:none]"_s));

        // Item editing: without a selected item the document answers nothing.
        QVERIFY(!run.eval(u"[Command:items:editing:title:[ColumnTitle:Name]]"_s));
        QCOMPARE(document.alerts219, 1);
        QVERIFY(run.answer().isEmpty() && run.command.answerObjectDictionary().isEmpty());
        document.editingItem = document.list.tableItemObjectArray().at(1);
        QVERIFY(run.eval(u"[Command:items:editing:title:[ColumnTitle:Price]]"_s));
        QCOMPARE(run.answer().value(u"answerObject"_s), QVariant(u"25"_s));
        QCOMPARE(document.requests.last().value(u"commandNumber"_s), QVariant(4));

        QVERIFY(!run.eval(u"[Command:unknown:thing]"_s));
        QVERIFY(!run.eval(u"[Other:x]"_s));
        QVERIFY(!run.eval(QString()));
    }

    void objectCommands()
    {
        FakeDocument document;
        Interpreter run({{u"d"_s, answerOf(8, QVariantMap{{u"a"_s, u"x"_s}, {u"b"_s, 2}})},
                         {u"empty"_s, answerOf(8, QVariantMap())},
                         {u"i"_s, answerOf(1, 2)},
                         {u"t"_s, answerOf(4, u"Price"_s)}});

        QVERIFY(run.eval(u"[Command:object:count:[ColumnTitle:Name]]"_s));
        QCOMPARE(run.type(), 1);
        QCOMPARE(run.object(), QVariant(3));
        QVERIFY(run.eval(u"[Command:object:count:[User:d]]"_s));
        QCOMPARE(run.object(), QVariant(2));
        QVERIFY(run.eval(u"[Command:object:count:[User:t]]"_s));
        QCOMPARE(run.object(), QVariant(0));

        QVERIFY(run.eval(u"[Command:object:array:[ColumnTitle:Name] index:1]"_s));
        QCOMPARE(run.type(), 4);
        QCOMPARE(run.object(), QVariant(u"Bob"_s));
        QVERIFY(run.eval(u"[Command:object:array:[ColumnTitle:Name] index:[User:i]]"_s));
        QCOMPARE(run.object(), QVariant(u"Cid"_s));
        // "10" is no run of "0123456789.": evaluated as a template, which is refused.
        QVERIFY(!run.eval(u"[Command:object:array:[ColumnTitle:Name] index:10]"_s));
        QVERIFY(!run.eval(u"[Command:object:array:[ColumnTitle:Name] index:5]"_s));
        QVERIFY(!run.eval(u"[Command:object:array:[User:d] index:0]"_s));

        QVERIFY(run.eval(u"[Command:object:dictionary:[User:d] key:a]"_s));
        QCOMPARE(run.object(), QVariant(u"x"_s));
        QVERIFY(run.eval(u"[Command:object:dictionary:[User:d] key:zz]"_s));
        QCOMPARE(run.object(), QVariant(u""_s));
        QVERIFY(!run.eval(u"[Command:object:dictionary:[User:empty] key:a]"_s));

        QVERIFY(run.eval(u"[Command:object:other]"_s));
        QCOMPARE(run.answer(), (QVariantMap{{u"codeText"_s, u"[User:x]"_s}}));

        // The object's value comes back as the answer.
        QVERIFY(run.eval(u"[Command:write:title:[User:t] object:[ColumnTitle:Price]]"_s));
        QCOMPARE(run.type(), 7);
        QCOMPARE(run.answer().value(u"title"_s), QVariant(u"Price"_s));
        QVERIFY(!run.eval(u"[Command:write:title:[User:i] object:[ColumnTitle:Price]]"_s));
    }

    void calculationsTemplatesAndLibraries()
    {
        FakeDocument document;
        OptionSource working = source(u"calc"_s, u"[Library:shop] item:[Command:items:row:1 title:[ColumnTitle:Name]]"_s);
        working.registerReferenceAnswerTitle(userReferences());
        working.registerAnswerTitle(u"kept"_s);
        working.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"http://shop/[item]"_s},
                                                {u"requesMarkertListDictionary"_s, QVariantMap{{u"item"_s, u""_s}}}},
                                               u"shop"_s);
        working.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"http://plain"_s}}, u"calc"_s);
        Interpreter run({{u"half"_s, answerOf(2, QVariant::fromValue(2.5f))}, {u"s"_s, answerOf(4, u"2"_s)}},
                        working);
        QCOMPARE(run.command.optionSource()->referenceAnswerState(), OptionSource::kReferenceUser);
        const auto kept = [&run] { return run.command.optionObjectSource()->referenceUserDictionary().value(u"kept"_s).toMap(); };

        QVERIFY(run.eval(u"=2*3"_s));
        QCOMPARE(run.type(), 2);
        QCOMPARE(run.object().typeId(), int(QMetaType::Float));
        QCOMPARE(run.object().toFloat(), 6.0f);
        QCOMPARE(kept(), run.answer()); // answer state 2632 keeps it as a user reference
        QVERIFY(run.eval(u"=1+2+3"_s));
        QCOMPARE(run.object().toFloat(), 24.0f);
        QVERIFY(run.eval(u"=[User:half]*2"_s));
        QCOMPARE(run.object().toFloat(), 5.0f);
        QVERIFY(run.eval(u"=4-[User:half]"_s));
        QCOMPARE(run.object().toFloat(), 1.5f);
        QVERIFY(run.eval(u"=[User:half]/[User:half]"_s));
        QCOMPARE(run.object().toFloat(), 1.0f);
        QVERIFY(!run.eval(u"=[User:s]+1"_s)); // a string is no operand
        QVERIFY(!run.eval(u"=-3"_s));
        QVERIFY(!run.eval(u"=5"_s));

        QVERIFY(run.eval(u"http://h/?n=[Command:items:row:0 title:[ColumnTitle:Name]]&c=[Command:object:count:[ColumnTitle:Name]]&x=[ColumnTitle:Name]"_s));
        QCOMPARE(run.type(), 4);
        QCOMPARE(run.object(), QVariant(u"http://h/?n=Ann&c=3&x=[ColumnTitle:Name]"_s));
        QVERIFY(!run.eval(u"no address [Command:object:count:[ColumnTitle:Name]]"_s));
        QVERIFY(!run.eval(u"plain words"_s));

        // The library is looked up in the source's code text, not the marker.
        QVERIFY(run.eval(u"[Library:shop]"_s));
        QCOMPARE(run.type(), 8);
        QCOMPARE(run.object(), QVariant(u"http://shop/[item]"_s));
        QCOMPARE(run.answer().value(u"requesMarkertListDictionary"_s).toMap(), (QVariantMap{{u"item"_s, u"Bob"_s}}));
        QCOMPARE(kept().value(u"answerType"_s), QVariant(8));

        Interpreter plain({}, [] {
            OptionSource s = source(u"p"_s, u"[Library:calc]"_s);
            s.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"http://plain"_s}}, u"calc"_s);
            return s;
        }());
        QVERIFY(plain.eval(u"[Library:calc]"_s));
        QCOMPARE(plain.answer(), answerOf(4, u"http://plain"_s));
        Interpreter none({}, [] {
            OptionSource s = source(u"p"_s, u"[Library:nothing]"_s);
            s.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"http://plain"_s}}, u"calc"_s);
            return s;
        }());
        QVERIFY(!none.eval(u"[Library:nothing]"_s));
        QVERIFY(!Interpreter().eval(u"[Library:calc]"_s)); // no library at all
    }

    void answerRouting()
    {
        FakeDocument document;
        Interpreter first;
        Interpreter second;
        QVERIFY(first.eval(u"[ColumnTitle:Price]"_s));
        QVERIFY(second.answer().isEmpty()); // another interpreter's answer

        // An answer posted on another thread during our request is not ours.
        document.beforeAnswer = [](const QVariantMap &) {
            std::thread([] { NotificationCenter::defaultCenter().post(kAnswer, answerOf(4, u"foreign"_s)); }).join();
        };
        QVERIFY(first.eval(u"[ColumnTitle:Name]"_s));
        QCOMPARE(first.type(), 7);
        document.beforeAnswer = nullptr;

        // Answers outside one's own request change nothing.
        NotificationCenter::defaultCenter().post(kAnswer, answerOf(4, u"stray"_s));
        QCOMPARE(first.type(), 7);

        // With a caches folder ID only that document answers.
        FakeDocument other(2);
        first.command.registerCachesFolderID(2);
        const qsizetype before = document.requests.size();
        QVERIFY(first.eval(u"[ColumnTitle:ID]"_s));
        QCOMPARE(document.requests.size(), before);
        QCOMPARE(other.requests.size(), 1);
        QCOMPARE(other.requests.first().value(u"cachesFolderID"_s), QVariant(2));
        // Nobody answering a request that needs the document is a failure,
        // and the previous answer does not stand in for it.
        first.command.registerCachesFolderID(3);
        QVERIFY(!first.eval(u"[ColumnTitle:ID]"_s));
        QVERIFY(first.answer().isEmpty());
        // A request that would come back unchanged answers itself.
        QVERIFY(first.eval(u"[Command:object:other]"_s));
        QCOMPARE(first.answer().value(u"cachesFolderID"_s), QVariant(3));
    }

    void loops()
    {
        FakeDocument document;
        const auto runLoop = [](const QString &start, const QVariantMap &users = {}) {
            OptionRunDriver driver;
            return driver.run(optionOf({source(u"start"_s, start),
                                        source(u"read"_s, u"[Command:items:row:[Command:for:count:] title:[ColumnTitle:Name]]"_s),
                                        source(u"body"_s, u"=2*2"_s),
                                        source(u"end"_s, u"[Command:for:end:]"_s),
                                        source(u"after"_s, u"=1+1"_s)},
                                       users));
        };
        OptionRunDriver::Result result = runLoop(u"[Command:for:0 count:2 step:1]"_s);
        QVERIFY2(result.success, qPrintable(result.errorText));
        // The counter read inside the body neither ends nor restarts a pass.
        QCOMPARE(answeredTexts(result, 1), (QStringList{u"Ann"_s, u"Bob"_s, u"Cid"_s}));
        QCOMPARE(answeredTexts(result, 2).size(), 3);
        QCOMPARE(answeredTexts(result, 3).size(), 3);
        QCOMPARE(answeredTexts(result, 4).size(), 1);

        result = runLoop(u"[Command:for:1 count:[User:n] step:1]"_s, {{u"n"_s, answerOf(4, u"2"_s)}});
        QVERIFY2(result.success, qPrintable(result.errorText));
        QCOMPARE(answeredTexts(result, 1), (QStringList{u"Bob"_s, u"Cid"_s}));

        result = runLoop(u"[Command:indicator:0 count:0 step:1]"_s);
        QCOMPARE(answeredTexts(result, 1), QStringList{u"Ann"_s});

        // A blank after the colon: the start is an expression that fails, so 0.
        result = runLoop(u"[Command:for: 1 count:1 step:1]"_s);
        QCOMPARE(answeredTexts(result, 1), (QStringList{u"Ann"_s, u"Bob"_s}));

        // An end outside a loop is a plain command and sets nothing up.
        result = OptionRunDriver().run(optionOf({source(u"end"_s, u"[Command:for:end:]"_s), source(u"end"_s, u"=1+1"_s)}));
        QVERIFY(result.success);
        QCOMPARE(result.answers.size(), 2);

        // A step of 0 never reaches the count: the step budget ends it.
        OptionRunDriver::Options options;
        options.limits.maxSteps = 300;
        OptionRunDriver bounded(options);
        result = bounded.run(optionOf({source(u"start"_s, u"[Command:for:0 count:5 step:0]"_s),
                                       source(u"end"_s, u"[Command:for:end:]"_s)}));
        QVERIFY(!result.success);
        QVERIFY2(result.errorText.contains(u"300 steps"_s), qPrintable(result.errorText));
        QCOMPARE(result.stepsUsed, 300);
    }

    void runDriver()
    {
        FakeDocument document(7);
        OptionSource keep = source(u"total"_s, u"=[Command:object:count:[ColumnTitle:Name]]+1"_s);
        OptionSource sum = source(u"sum"_s, u"=2*3"_s);
        sum.registerReferenceAnswerTitle(userReferences());
        sum.registerAnswerTitle(u"six"_s);
        const OptionObjectSource options = optionOf({source(u"names"_s, u"[ColumnTitle:Name]"_s), sum,
                                                     source(u"manual"_s, u"[ColumnTitle:Price]"_s, false),
                                                     source(u"again"_s, u"=[User:six]/4"_s), keep});
        OptionRunDriver::Options settings;
        settings.cachesFolderID = 7;
        OptionRunDriver driver(settings);
        OptionRunDriver::Result result = driver.run(options);
        QVERIFY(!result.success);
        // The sources up to the failing one ran; the manual one was skipped.
        QCOMPARE(result.answers.size(), 4);
        QCOMPARE(result.answers.at(0).sourceTitle, u"names"_s);
        QCOMPARE(result.answers.at(0).answerType, 7);
        QCOMPARE(result.answers.at(1).answerObject.toFloat(), 6.0f);
        QVERIFY(result.answers.at(2).skipped);
        QCOMPARE(result.answers.at(3).answerObject.toFloat(), 1.5f);
        for (const QVariantMap &request : std::as_const(document.requests))
            QVERIFY(request.value(u"answerObject"_s) != QVariant(u"Price"_s));
        // A count answers type 1, not the float a calculation needs.
        QCOMPARE(result.failedSourceIndex, 4);
        QCOMPARE(result.failedSourceTitle, u"total"_s);
        QCOMPARE(result.failedCodeText, keep.codeText());
        QVERIFY2(result.errorText.startsWith(u"source 4 \"total\""_s), qPrintable(result.errorText));
        QCOMPARE(result.optionObjectSource.referenceUserDictionary().value(u"six"_s).toMap().value(u"answerType"_s),
                 QVariant(2));
        QVERIFY(!options.confirmReferenceUserDictionary()); // the caller's copy is untouched

        settings.manualSourceGoAhead = [](qint32 index, const OptionSource &s) {
            return index == 2 && s.sourceTitle() == u"manual"_s;
        };
        OptionRunDriver asking(settings);
        result = asking.run(optionOf(options.optionSourceArray().mid(0, 4)));
        QVERIFY2(result.success, qPrintable(result.errorText));
        QCOMPARE(result.answers.at(2).answerObject.toStringList(), (QStringList{u"10"_s, u"25"_s, u""_s}));

        QVERIFY(OptionRunDriver().run(OptionObjectSource()).success);
    }

    void limitsAndCancel()
    {
        FakeDocument document;
        // A library whose marker text uses the library again recurses without end.
        OptionSource looping = source(u"deep"_s, u"[Library:again] x:[Library:again]"_s);
        looping.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"http://r"_s},
                                                {u"requesMarkertListDictionary"_s, QVariantMap{{u"x"_s, u""_s}}}},
                                               u"again"_s);
        OptionRunDriver::Result result = OptionRunDriver().run(optionOf({looping}));
        QVERIFY(!result.success);
        QVERIFY2(result.errorText.contains(u"nested deeper than 48"_s), qPrintable(result.errorText));
        QCOMPARE(result.failedSourceIndex, 0);

        OptionRunDriver::Options options;
        options.limits.maxSteps = std::numeric_limits<qint64>::max();
        OptionRunDriver endless(options);
        OptionRunDriver::Result cancelled;
        std::thread runner([&] {
            cancelled = endless.run(optionOf({source(u"start"_s, u"[Command:for:0 count:1 step:0]"_s),
                                              source(u"body"_s, u"=1+1"_s), source(u"end"_s, u"[Command:for:end:]"_s)}));
        });
        QTest::qWait(100);
        endless.cancel();
        runner.join();
        QVERIFY(!cancelled.success);
        QVERIFY2(cancelled.errorText.contains(u"cancelled"_s), qPrintable(cancelled.errorText));
        QVERIFY(cancelled.stepsUsed > 0);
        // A cancelled driver stays cancelled.
        QVERIFY(!endless.run(optionOf({source(u"one"_s, u"=1+1"_s)})).success);
    }

    void urlReading()
    {
        FakeDocument document;
        Interpreter run({{u"file"_s, answerOf(4, u"file:///etc/passwd"_s)}, {u"ftp"_s, answerOf(4, u"ftp://h/x"_s)}});
        const qsizetype before = document.requests.size();
        QVERIFY(!run.eval(u"[Command:readURL:path:file:///etc/passwd]"_s));
        QVERIFY(!run.eval(u"[Command:readURL:path:[User:file]]"_s));
        QVERIFY(!run.eval(u"[Command:readUTF8XML:path:[User:ftp]]"_s));
        QCOMPARE(document.requests.size(), before);
        QCOMPARE(run.command.budget()->fetchesUsed(), 0); // refused before any fetch
        // A run that fails on such a read says why.
        const OptionRunDriver::Result refused =
            OptionRunDriver().run(optionOf({source(u"read"_s, u"[Command:readURL:path:[User:file]]"_s)},
                                           {{u"file"_s, answerOf(4, u"file:///etc/passwd"_s)}}));
        QVERIFY(!refused.success);
        QVERIFY2(refused.errorText.contains(u"scheme not allowed"_s), qPrintable(refused.errorText));

        // Each URL read counts, images included; past the cap the run ends.
        OptionRunDriver::Options options;
        options.limits.maxFetches = 1;
        options.urlLimits.deadlineMs = 2000;
        OptionRunDriver driver(options);
        const OptionRunDriver::Result result = driver.run(
            optionOf({source(u"image"_s, u"http://127.0.0.1:9/a.png"_s), source(u"again"_s, u"http://127.0.0.1:9/b.png"_s)}));
        QVERIFY(!result.success);
        QCOMPARE(result.answers.size(), 1);
        QCOMPARE(result.answers.first().answerType, 4); // the image did not load: plain text
        QCOMPARE(result.failedSourceIndex, 1);
        QVERIFY2(result.errorText.contains(u"at most 1 URLs"_s), qPrintable(result.errorText));
    }

    void urlReadingFromServer()
    {
        FakeDocument document;
        PageServer server;
        server.pages.insert("/t.txt", {"text/plain; charset=utf-8", "caf\xc3\xa9"});
        server.pages.insert("/a.xml", {"text/xml", "<r><Article><title>A</title></Article>"
                                                   "<Article><title>B</title></Article></r>"});
        server.pages.insert("/p.png", {"image/png", pngBytes()});
        Interpreter run;

        QVERIFY(run.eval(u"[Command:readURL:path:%1]"_s.arg(server.url(u"/t.txt"_s))));
        QCOMPARE(run.type(), 4);
        QCOMPARE(run.object(), QVariant(u"caf\u00e9"_s));
        QCOMPARE(document.requests.last().value(u"encodingType"_s), QVariant(4));

        // The parsed XML is read with the dictionary object command.
        QVERIFY(run.eval(u"[Command:object:dictionary:[Command:readUTF8XML:path:%1] key:title]"_s.arg(server.url(u"/a.xml"_s))));
        QCOMPARE(run.object(), QVariant(u"B"_s));

        QVERIFY(run.eval(server.url(u"/p.png"_s)));
        QCOMPARE(run.type(), 5);
        QCOMPARE(run.object().toByteArray(), pngBytes());
        QVERIFY(!run.eval(u"[Command:readURL:path:%1]"_s.arg(server.url(u"/missing.txt"_s))));
        QCOMPARE(run.command.budget()->fetchesUsed(), 4);
    }

    void workingSourcesComeBackAsStored()
    {
        // A source taken up again is the stored one, whatever its last run or
        // a caller did to the working copy in between.
        OptionSource first = source(u"first"_s, u"[User:a]"_s);
        first.registerAnswerObjectDictionary({{u"answerType"_s, 4}, {u"answerObject"_s, u"stored"_s}});
        FunctionCommand command;
        command.optionObjectSource()->registerOptionSourceArray({first, source(u"second"_s, u"[User:b]"_s, false)});
        for (int round = 0; round < 3; ++round) {
            QVERIFY(command.getDevelopSourceAtRow(0));
            QCOMPARE(command.optionSource()->logText(), first.logText());
            QVERIFY(command.practiceState());
            command.optionSource()->registerAnswerObjectDictionary({{u"answerType"_s, 4}, {u"answerObject"_s, u"run"_s}});
            if (round == 1)
                command.optionSource()->registerAnswerTitle(u"changed by a caller"_s);
            QVERIFY(command.getDevelopSourceAtRow(1));
            QCOMPARE(command.optionSource()->sourceTitle(), u"second"_s);
            QVERIFY(!command.practiceState());
            QVERIFY(!command.optionSource()->confirmAnswerObjectDictionary());
        }
        QVERIFY(!command.getDevelopSourceAtRow(2));
    }
};

QTEST_GUILESS_MAIN(tst_FunctionCommand)
#include "tst_FunctionCommand.moc"
