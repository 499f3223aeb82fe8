#include "platform/TextCodec.h"
#include "script/ImportURLWorkFormula.h"
#include "script/ImportXMLParser.h"
#include "script/UrlFetcher.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A plain HTTP/1.1 server on 127.0.0.1 that answers each path with a canned
// response; it runs on the test's thread, inside the fetcher's local loop.
class CannedServer
{
public:
    using Handler = std::function<void(QTcpSocket *)>;

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }

    QString url(const char *path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(m_server.serverPort()).arg(QLatin1StringView(path));
    }

    void route(const QByteArray &path, Handler handler) { m_routes.insert(path, std::move(handler)); }

    int hits(const QByteArray &path) const { return m_hits.value(path); }
    QByteArray lastRequest() const { return m_lastRequest; }

    static void respond(QTcpSocket *socket, const QByteArray &status, const QByteArray &headers,
                        const QByteArray &body)
    {
        socket->write("HTTP/1.1 " + status + "\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" + body);
        socket->disconnectFromHost();
    }

    CannedServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        m_lastRequest = m_pending.take(socket);
        const QByteArray path = m_lastRequest.split(' ').value(1);
        ++m_hits[path];
        if (const auto it = m_routes.constFind(path); it != m_routes.cend())
            it.value()(socket);
        else
            respond(socket, "404 Not Found", {}, "no such page");
    }

    QTcpServer m_server;
    QHash<QByteArray, Handler> m_routes;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QHash<QByteArray, int> m_hits;
    QByteArray m_lastRequest;
};

const QByteArray kFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<feed><head> Feed </head>
  <Article><title>First</title><body>one</body></Article>
  <Article><title>Second</title><empty/></Article>
  <after>not stored</after>
</feed>)";

QVariantMap feedResult()
{
    return {{u"head"_s, u"Feed"_s}, {u"title"_s, u"Second"_s}, {u"body"_s, u"one"_s}, {u"empty"_s, u""_s}};
}

// The zlib stream qCompress() wraps in its four-byte length, and the bare
// deflate stream inside that.
QByteArray zlibWrapped(const QByteArray &data)
{
    return qCompress(data).mid(4);
}

QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray wrapped = zlibWrapped(data);
    return wrapped.mid(2, wrapped.size() - 6);
}

UrlFetcher::Limits shortLimits()
{
    UrlFetcher::Limits limits;
    limits.transferTimeoutMs = 300;
    limits.deadlineMs = 700;
    limits.maxBytes = 64 * 1024;
    return limits;
}

const QString kJapanese = u"日本語のテキスト、かなとカナ。"_s;

} // namespace

class tst_UrlAndXml : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void xmlEventRules_data();
    void xmlEventRules();
    void refusedUrls();
    void xmlDownload();
    void redirects();
    void timeOutsAndCaps();
    void textEncodings();
    void fetchOnWorkerThread();

private:
    CannedServer m_server;
};

void tst_UrlAndXml::initTestCase()
{
    QVERIFY(m_server.listen());
    const auto fixed = [](QByteArray status, QByteArray headers, QByteArray body) {
        return [=](QTcpSocket *socket) { CannedServer::respond(socket, status, headers, body); };
    };
    m_server.route("/xml", fixed("200 OK", "Content-Type: text/xml\r\n", kFeed));
    m_server.route("/xml-deflate", fixed("200 OK", "Content-Encoding: deflate\r\n", zlibWrapped(kFeed)));
    m_server.route("/xml-raw-deflate", fixed("200 OK", "Content-Encoding: deflate\r\n", rawDeflate(kFeed)));
    m_server.route("/xml-br", fixed("200 OK", "Content-Encoding: br\r\n", kFeed));
    m_server.route("/malformed", fixed("200 OK", {}, "<feed><title>x</feed>"));
    m_server.route("/empty", fixed("200 OK", {}, {}));
    m_server.route("/to-xml", fixed("301 Moved", "Location: /xml\r\n", {}));
    m_server.route("/to-file", fixed("302 Found", "Location: file:///etc/passwd\r\n", {}));
    m_server.route("/to-data", fixed("302 Found", "Location: data:text/xml,<a>b</a>\r\n", {}));
    m_server.route("/to-qrc", fixed("307 Temporary", "Location: qrc:/i18n\r\n", {}));
    m_server.route("/loop", fixed("302 Found", "Location: /loop\r\n", {}));
    m_server.route("/bomb", fixed("200 OK", "Content-Encoding: deflate\r\n",
                                  zlibWrapped(QByteArray(4 * 1024 * 1024, 'a'))));
    m_server.route("/huge-streamed", [](QTcpSocket *socket) {
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + QByteArray(256 * 1024, 'x'));
        socket->disconnectFromHost();
    });
    // These never finish on their own; the fetcher has to give up.
    m_server.route("/huge-announced", [](QTcpSocket *socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\nxxxx");
    });
    m_server.route("/silent", [](QTcpSocket *) {});
    m_server.route("/stall", [](QTcpSocket *socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nxxxx");
    });
    m_server.route("/trickle", [](QTcpSocket *socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(50);
    });
    const QByteArray sjis = TextCodec::encode(kJapanese, TextEncoding::ShiftJis);
    m_server.route("/sjis-charset", fixed("200 OK", "Content-Type: text/plain; charset=Shift_JIS\r\n", sjis));
    m_server.route("/sjis", fixed("200 OK", "Content-Type: text/plain\r\n", sjis));
    m_server.route("/binary", fixed("200 OK", {}, QByteArray("GIF89a\0\0\1\0", 10)));
}

void tst_UrlAndXml::xmlEventRules_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QVariantMap>("expected");   // empty: the parse fails

    QTest::newRow("articles") << kFeed << feedResult();
    QTest::newRow("text since the previous element end")
        << QByteArray("<r><p>before<c>child</c>after</p></r>")
        << QVariantMap{{u"c"_s, u"beforechild"_s}, {u"p"_s, u"after"_s}, {u"r"_s, u""_s}};
    QTest::newRow("each chunk trimmed by itself")
        << QByteArray("<r><t> a <![CDATA[ b c ]]> d </t></r>")
        << QVariantMap{{u"t"_s, u"ab cd"_s}, {u"r"_s, u""_s}};
    QTest::newRow("names as written, attributes ignored")
        << QByteArray("<x:r xmlns:x='urn:a'><x:t k='v'>1</x:t><article>2</article></x:r>")
        << QVariantMap{{u"x:t"_s, u"1"_s}, {u"article"_s, u"2"_s}, {u"x:r"_s, u""_s}};
    QTest::newRow("only an article") << QByteArray("<Article>text</Article>") << QVariantMap();
    QTest::newRow("malformed") << QByteArray("<r><t>x</r>") << QVariantMap();
    QTest::newRow("truncated") << kFeed.left(kFeed.size() - 4) << QVariantMap();
    QTest::newRow("empty document") << QByteArray() << QVariantMap();
    QTest::newRow("declaration only") << QByteArray("<?xml version='1.0'?>") << QVariantMap();
    QTest::newRow("entity declarations") << QByteArray(
        "<!DOCTYPE r [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;'>]><r><t>&b;</t></r>")
                                         << QVariantMap();
    QTest::newRow("too deep") << QByteArray("<a>").repeated(ImportXMLParser::kMaxDepth + 1) + "x"
                                     + QByteArray("</a>").repeated(ImportXMLParser::kMaxDepth + 1)
                              << QVariantMap();
}

void tst_UrlAndXml::xmlEventRules()
{
    QFETCH(QByteArray, xml);
    QFETCH(QVariantMap, expected);

    ImportXMLParser parser;
    const QVariantMap previous{{u"earlier"_s, u"result"_s}};
    QVERIFY(parser.registerParserXMLDictionary(previous));
    QCOMPARE(parser.parserDictionaryToXNLData(xml), !expected.isEmpty());
    QCOMPARE(parser.parserXMLDictionary(), expected.isEmpty() ? previous : expected);
    for (const QVariant &value : parser.parserXMLDictionary())
        QCOMPARE(value.typeId(), QMetaType::QString);

    // A failed parse leaves no state behind for the next one.
    QVERIFY(parser.parserDictionaryToXNLData("<r><t>again</t></r>"));
    QCOMPARE(parser.parserXMLDictionary(), (QVariantMap{{u"t"_s, u"again"_s}, {u"r"_s, u""_s}}));
}

void tst_UrlAndXml::refusedUrls()
{
    for (const char *text : {"file:///etc/passwd", "data:text/xml,<a>b</a>", "ftp://127.0.0.1/x.xml",
                             "qrc:/i18n", "http:///no-host", "/etc/passwd", "", "javascript:alert(1)"}) {
        const QString url = QString::fromLatin1(text);
        QVERIFY2(!UrlFetcher::isAllowedUrl(QUrl(url)), text);
        const UrlFetcher::Result result = UrlFetcher().get(url);
        QVERIFY2(!result.ok && result.body.isEmpty() && result.errorString.contains(u"scheme not allowed"_s), text);
        ImportURLWorkFormula formula;
        QVERIFY2(!formula.connectionURLConnectionOfXMLToPath(url), text);
    }
    QVERIFY(UrlFetcher::isAllowedUrl(QUrl(u"HTTPS://example.org/feed.xml"_s)));
}

void tst_UrlAndXml::xmlDownload()
{
    ImportURLWorkFormula formula;
    QVERIFY(formula.connectionURLConnectionOfXMLToPath(m_server.url("/xml")));
    QCOMPARE(formula.parserXMLDictionary(), feedResult());
    QCOMPARE(formula.connectionData(), kFeed);
    const QByteArray request = m_server.lastRequest().toLower();
    QVERIFY(request.contains("\r\naccept: text/xml\r\n"));
    QVERIFY(request.contains("\r\naccept-charset: utf-8\r\n"));
    QVERIFY(request.contains("\r\naccept-encoding: deflate\r\n"));

    for (const char *path : {"/xml-deflate", "/xml-raw-deflate", "/to-xml"}) {
        formula.initializationUserObject();
        QVERIFY2(formula.connectionURLConnectionOfXMLToPath(m_server.url(path)), path);
        QCOMPARE(formula.parserXMLDictionary(), feedResult());
        QCOMPARE(formula.connectionData(), kFeed);
    }

    for (const char *path : {"/malformed", "/empty", "/missing", "/xml-br"}) {
        QVERIFY2(!formula.connectionURLConnectionOfXMLToPath(m_server.url(path)), path);
        QVERIFY2(!formula.errorString().isEmpty(), path);
        QCOMPARE(formula.parserXMLDictionary(), feedResult());
    }
    QVERIFY(formula.errorString().contains(u"br"_s));
}

void tst_UrlAndXml::redirects()
{
    for (const char *path : {"/to-file", "/to-data", "/to-qrc"}) {
        const UrlFetcher::Result result = UrlFetcher().get(m_server.url(path));
        QVERIFY2(!result.ok && result.body.isEmpty(), path);
        QVERIFY2(result.errorString.contains(u"refused"_s), qPrintable(result.errorString));
    }

    const UrlFetcher::Result loop = UrlFetcher().get(m_server.url("/loop"));
    QVERIFY(!loop.ok);
    QVERIFY2(loop.errorString.contains(u"too many redirects"_s), qPrintable(loop.errorString));
    QCOMPARE(m_server.hits("/loop"), 6);
}

void tst_UrlAndXml::timeOutsAndCaps()
{
    struct Case {
        const char *path;
        const char *reason;
    };
    for (const Case &c : {Case{"/silent", "timed out: no data arrived"}, Case{"/stall", "timed out: no data arrived"},
                          Case{"/trickle", "timed out: the fetch did not finish within 700 ms"},
                          Case{"/huge-announced", "over the size cap: the response announces 1000000000 bytes"},
                          Case{"/huge-streamed", "over the size cap: the response is larger than 65536 bytes"},
                          Case{"/bomb", "over the size cap: the inflated response is larger than 65536"}}) {
        QElapsedTimer clock;
        clock.start();
        const UrlFetcher::Result result = UrlFetcher(shortLimits()).get(m_server.url(c.path));
        QVERIFY2(!result.ok, c.path);
        QVERIFY2(result.errorString.contains(QLatin1StringView(c.reason)), qPrintable(result.errorString));
        QVERIFY2(clock.elapsed() < 2000, c.path);
    }
}

void tst_UrlAndXml::textEncodings()
{
    UrlFetcher fetcher;
    for (const char *path : {"/sjis-charset", "/sjis"}) {
        QString text;
        int number = 0;
        QVERIFY2(fetcher.readText(m_server.url(path), &text, &number), path);
        QCOMPARE(text, kJapanese);
        QCOMPARE(number, UrlFetcher::kShiftJisNumber);
    }
    QString text = u"stale"_s;
    int number = -1;
    QString error;
    QVERIFY(!fetcher.readText(m_server.url("/binary"), &text, &number, &error));
    QVERIFY(text.isEmpty() && number == 0 && error.contains(u"not text"_s));
    QVERIFY(!fetcher.readText(m_server.url("/missing"), &text, &number, &error));
    QVERIFY2(error.contains(u"404"_s), qPrintable(error));

    struct Case {
        QByteArray body;
        QByteArray contentType;
        QString text;
        int number;
    };
    const QByteArray sjis = TextCodec::encode(kJapanese, TextEncoding::ShiftJis);
    const QByteArray utf8 = kJapanese.toUtf8();
    const Case cases[] = {
        {utf8, "text/plain", kJapanese, UrlFetcher::kUtf8Number},
        {"\xEF\xBB\xBF" + utf8, "text/plain; charset=Shift_JIS", kJapanese, UrlFetcher::kUtf8Number},
        {TextCodec::encode(kJapanese, TextEncoding::EucJp), {}, kJapanese, UrlFetcher::kEucJpNumber},
        {TextCodec::encode(kJapanese, TextEncoding::Iso2022Jp), {}, kJapanese, UrlFetcher::kIso2022JpNumber},
        {sjis, "text/plain;charset=\"EUC-JP\"", kJapanese, UrlFetcher::kShiftJisNumber},
        {"caf\xE9", "text/plain; charset=ISO-8859-1", u"café"_s, UrlFetcher::kLatin1Number},
        {"caf\xE9", {}, u"café"_s, UrlFetcher::kLatin1Number},
        {QByteArray("\xFF\xFEh\0i\0", 6), {}, u"hi"_s, UrlFetcher::kUtf16Number},
        {"plain", {}, u"plain"_s, UrlFetcher::kUtf8Number},
    };
    for (const Case &c : cases) {
        int found = 0;
        QCOMPARE(UrlFetcher::decodeText(c.body, c.contentType, &found), c.text);
        QCOMPARE(found, c.number);
    }
}

void tst_UrlAndXml::fetchOnWorkerThread()
{
    bool read = false;
    QVariantMap result;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        ImportURLWorkFormula formula(shortLimits());
        read = formula.connectionURLConnectionOfXMLToPath(m_server.url("/xml-deflate"));
        result = formula.parserXMLDictionary();
    }));
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 5000);
    QVERIFY(read);
    QCOMPARE(result, feedResult());
}

QTEST_GUILESS_MAIN(tst_UrlAndXml)
#include "tst_UrlAndXml.moc"
