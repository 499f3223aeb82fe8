#include "UrlFetcher.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"UrlFetcher"_s;

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// Refuses every scheme but http and https even should a URL slip past the
// checks in front of it: the stock manager also serves file:, qrc: and data:.
class HttpOnlyAccessManager : public QNetworkAccessManager
{
protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override
    {
        if (UrlFetcher::isAllowedUrl(request.url()))
            return QNetworkAccessManager::createRequest(op, request, outgoingData);
        // No backend takes an empty scheme, so the reply fails as an unknown protocol.
        QNetworkRequest refused(request);
        refused.setUrl(QUrl());
        return QNetworkAccessManager::createRequest(op, refused, outgoingData);
    }
};

// Collects a response body, inflating gzip or deflate as it arrives. Both
// the bytes received and the bytes kept are held to the cap, so a small
// compressed body cannot grow without bound.
class BodySink
{
public:
    explicit BodySink(qint64 cap) : m_cap(cap) {}
    ~BodySink()
    {
        if (m_inflating)
            inflateEnd(&m_stream);
    }
    BodySink(const BodySink &) = delete;
    BodySink &operator=(const BodySink &) = delete;

    bool setContentEncoding(QByteArrayView value)
    {
        const QByteArray coding = value.toByteArray().trimmed().toLower();
        if (coding.isEmpty() || coding == "identity")
            m_coding = Coding::Identity;
        else if (coding == "gzip" || coding == "x-gzip")
            m_coding = Coding::Gzip;
        else if (coding == "deflate")
            m_coding = Coding::Deflate;
        else
            return fail(u"unsupported content encoding \"%1\""_s.arg(QString::fromLatin1(coding)));
        return true;
    }

    bool append(QByteArrayView chunk)
    {
        if (chunk.isEmpty())
            return true;
        m_received += chunk.size();
        if (m_received > m_cap)
            return fail(u"over the size cap: the response is larger than %1 bytes"_s.arg(m_cap));
        switch (m_coding) {
        case Coding::Identity:
            m_body.append(chunk);
            return true;
        case Coding::Gzip:
            if (!m_inflating && !startInflating(16 + MAX_WBITS))
                return false;
            return inflateChunk(chunk);
        case Coding::Deflate:
            if (m_inflating)
                return inflateChunk(chunk);
            // Servers send "deflate" both with and without the zlib wrapping;
            // its two header bytes tell which.
            m_pending.append(chunk);
            if (m_pending.size() < 2)
                return true;
            {
                const uchar b0 = uchar(m_pending.at(0));
                const uchar b1 = uchar(m_pending.at(1));
                const bool wrapped = (b0 & 0x0F) == Z_DEFLATED && ((b0 << 8) | b1) % 31 == 0;
                if (!startInflating(wrapped ? MAX_WBITS : -MAX_WBITS))
                    return false;
            }
            return inflateChunk(std::exchange(m_pending, QByteArray()));
        }
        return false;
    }

    bool finish()
    {
        if (!m_pending.isEmpty() || (m_inflating && !m_ended))
            return fail(u"the compressed response ends early"_s);
        return true;
    }

    const QString &error() const { return m_error; }
    QByteArray takeBody() { return std::exchange(m_body, QByteArray()); }

private:
    enum class Coding { Identity, Gzip, Deflate };
    static constexpr qsizetype kSlice = 1 << 20;
    static constexpr uInt kBlock = 16 * 1024;

    bool fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    bool startInflating(int windowBits)
    {
        if (inflateInit2(&m_stream, windowBits) != Z_OK)
            return fail(u"cannot start inflating the response"_s);
        m_inflating = true;
        return true;
    }

    bool inflateChunk(QByteArrayView chunk)
    {
        // Bytes after the end of the compressed stream are ignored.
        for (qsizetype offset = 0; offset < chunk.size() && !m_ended; offset += kSlice) {
            const qsizetype length = std::min(kSlice, chunk.size() - offset);
            // zlib's input pointer is not const but inflate() never writes through it.
            m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.data() + offset));
            m_stream.avail_in = uInt(length);
            do {
                Bytef out[kBlock];
                m_stream.next_out = out;
                m_stream.avail_out = kBlock;
                const int rc = inflate(&m_stream, Z_NO_FLUSH);
                const qsizetype produced = qsizetype(kBlock - m_stream.avail_out);
                if (m_body.size() + produced > m_cap)
                    return fail(u"over the size cap: the inflated response is larger than %1 bytes"_s.arg(m_cap));
                m_body.append(reinterpret_cast<const char *>(out), produced);
                if (rc == Z_STREAM_END) {
                    m_ended = true;
                    break;
                }
                if (rc == Z_BUF_ERROR)
                    break;
                if (rc != Z_OK)
                    return fail(u"the compressed response is damaged"_s);
            } while (m_stream.avail_in > 0 || m_stream.avail_out == 0);
        }
        return true;
    }

    qint64 m_cap;
    qint64 m_received = 0;
    Coding m_coding = Coding::Identity;
    QByteArray m_pending;
    QByteArray m_body;
    z_stream m_stream{};
    bool m_inflating = false;
    bool m_ended = false;
    QString m_error;
};

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString shownUrl(const QUrl &url)
{
    return url.toDisplayString(QUrl::RemoveUserInfo);
}

// One request of a fetch: either a final answer in result, or where to go next.
struct Hop
{
    bool redirected = false;
    QByteArray location;
};

Hop fetchHop(QNetworkAccessManager &manager, const QUrl &url, const HeaderList &headers,
             const UrlFetcher::Limits &limits, const QDeadlineTimer &deadline,
             UrlFetcher::Result &result)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    bool encodingGiven = false;
    for (const auto &[name, value] : headers) {
        request.setRawHeader(name, value);
        encodingGiven = encodingGiven || name.compare("Accept-Encoding", Qt::CaseInsensitive) == 0;
    }
    // A request that names its own encodings gets raw bodies from Qt, so the
    // inflating is always ours and always capped.
    if (!encodingGiven)
        request.setRawHeader("Accept-Encoding", "gzip, deflate");

    QEventLoop loop;
    QTimer idle;
    QTimer overall;
    idle.setSingleShot(true);
    overall.setSingleShot(true);
    BodySink sink(limits.maxBytes);
    QString failure;
    Hop hop;
    bool headersSeen = false;
    int status = 0;
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    const auto stop = [&](const QString &why) {
        if (failure.isEmpty() && !hop.redirected)
            failure = why;
        idle.stop();
        overall.stop();
        if (!reply->isFinished())
            reply->abort();
    };
    const auto onHeaders = [&] {
        const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (headersSeen || !code.isValid())
            return;
        headersSeen = true;
        status = code.toInt();
        if (isRedirectStatus(status)) {
            // The body of a redirect is of no use; the next hop starts at once.
            hop.redirected = true;
            hop.location = reply->rawHeader("Location");
            return stop(QString());
        }
        bool known = false;
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && announced > limits.maxBytes)
            return stop(u"over the size cap: the response announces %1 bytes, more than the limit of %2"_s
                            .arg(announced)
                            .arg(limits.maxBytes));
        if (!sink.setContentEncoding(reply->rawHeader("Content-Encoding")))
            stop(sink.error());
    };
    const auto onData = [&] {
        idle.start(limits.transferTimeoutMs);
        onHeaders();
        if (!failure.isEmpty() || hop.redirected)
            return;
        if (!sink.append(reply->readAll()))
            stop(sink.error());
    };

    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, onHeaders);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, onData);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop,
                     [&] { idle.start(limits.transferTimeoutMs); });
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        stop(u"timed out: no data arrived for %1 ms"_s.arg(limits.transferTimeoutMs));
    });
    QObject::connect(&overall, &QTimer::timeout, &loop, [&] {
        stop(u"timed out: the fetch did not finish within %1 ms"_s.arg(limits.deadlineMs));
    });
    idle.start(limits.transferTimeoutMs);
    overall.start(int(std::clamp<qint64>(deadline.remainingTime(), 1, limits.deadlineMs)));
    // Input waits so that a click cannot start another script inside this one.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    idle.stop();
    overall.stop();

    if (hop.redirected)
        return hop;
    const auto fail = [&](const QString &why) {
        result.errorString = u"%1: %2"_s.arg(shownUrl(url), why);
        return Hop();
    };
    if (!failure.isEmpty())
        return fail(failure);
    onHeaders();
    if (hop.redirected)
        return hop;
    if (status >= 400) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return fail(u"HTTP status %1 %2"_s.arg(status).arg(reason).trimmed());
    }
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString());
    if (status != 0 && (status < 200 || status >= 300))
        return fail(u"unexpected HTTP status %1"_s.arg(status));
    if (!failure.isEmpty())
        return fail(failure);
    if (!sink.append(reply->readAll()) || !sink.finish())
        return fail(sink.error());
    result.ok = true;
    result.body = sink.takeBody();
    result.contentType = reply->rawHeader("Content-Type");
    return Hop();
}

enum class Charset { Utf8, ShiftJis, Iso2022Jp, EucJp, Latin1 };

// The charset parameter of a Content-Type value, when it names one we read.
std::optional<Charset> declaredCharset(QByteArrayView contentType)
{
    const QList<QByteArray> parts = contentType.toByteArray().split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts.at(i).trimmed();
        if (!part.toLower().startsWith("charset="))
            continue;
        QByteArray name = part.mid(8).trimmed();
        if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
            name = name.mid(1, name.size() - 2);
        name = name.toLower();
        name.replace('-', QByteArray()).replace('_', QByteArray());
        if (const std::optional<TextEncoding> known = textEncodingFromName(QString::fromLatin1(name))) {
            switch (*known) {
            case TextEncoding::Utf8:
                return Charset::Utf8;
            case TextEncoding::ShiftJis:
                return Charset::ShiftJis;
            case TextEncoding::Iso2022Jp:
                return Charset::Iso2022Jp;
            case TextEncoding::EucJp:
                return Charset::EucJp;
            }
        }
        if (name == "xsjis" || name == "windows31j" || name == "cp932" || name == "mskanji")
            return Charset::ShiftJis;
        if (name == "xeucjp")
            return Charset::EucJp;
        if (name == "iso88591" || name == "latin1" || name == "l1")
            return Charset::Latin1;
        return std::nullopt;
    }
    return std::nullopt;
}

QString decodeAs(QByteArrayView body, Charset charset, int *number)
{
    bool ok = false;
    QString text;
    switch (charset) {
    case Charset::Latin1:
        *number = UrlFetcher::kLatin1Number;
        return QString::fromLatin1(body);
    case Charset::Utf8:
        text = TextCodec::decode(body, TextEncoding::Utf8, &ok);
        *number = UrlFetcher::kUtf8Number;
        break;
    case Charset::ShiftJis:
        text = TextCodec::decode(body, TextEncoding::ShiftJis, &ok);
        *number = UrlFetcher::kShiftJisNumber;
        break;
    case Charset::Iso2022Jp:
        text = TextCodec::decode(body, TextEncoding::Iso2022Jp, &ok);
        *number = UrlFetcher::kIso2022JpNumber;
        break;
    case Charset::EucJp:
        text = TextCodec::decode(body, TextEncoding::EucJp, &ok);
        *number = UrlFetcher::kEucJpNumber;
        break;
    }
    return ok ? text : QString();
}

QString decodeUtf16(QByteArrayView body, QStringConverter::Encoding encoding, int *number)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(body.sliced(2));
    if (decoder.hasError())
        return {};
    *number = UrlFetcher::kUtf16Number;
    return text.isNull() ? QString(QLatin1StringView("")) : text;
}

qsizetype halfWidthKatakana(QStringView text)
{
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F; });
}

QString detectText(QByteArrayView body, QByteArrayView contentType, int *number)
{
    if (body.startsWith("\xEF\xBB\xBF")) {
        const QString text = decodeAs(body, Charset::Utf8, number);
        if (!text.isNull())
            return text;
    } else if (body.startsWith("\xFF\xFE")) {
        return decodeUtf16(body, QStringConverter::Utf16LE, number);
    } else if (body.startsWith("\xFE\xFF")) {
        return decodeUtf16(body, QStringConverter::Utf16BE, number);
    }
    if (body.contains('\0'))
        return {};
    if (const std::optional<Charset> declared = declaredCharset(contentType)) {
        const QString text = decodeAs(body, *declared, number);
        if (!text.isNull())
            return text;
    }
    // Every ISO-2022-JP text is also valid UTF-8; only its escapes tell it apart.
    const bool sevenBit = std::all_of(body.begin(), body.end(), [](char c) { return uchar(c) < 0x80; });
    if (sevenBit && body.contains('\x1B')) {
        const QString text = decodeAs(body, Charset::Iso2022Jp, number);
        if (!text.isNull())
            return text;
    }
    QString text = decodeAs(body, Charset::Utf8, number);
    if (!text.isNull())
        return text;
    // EUC-JP bytes usually also pass as Shift-JIS, read as runs of half-width
    // katakana; Shift-JIS text rarely passes as EUC-JP. Fewer such runs win.
    int eucNumber = 0;
    int sjisNumber = 0;
    const QString euc = decodeAs(body, Charset::EucJp, &eucNumber);
    const QString sjis = decodeAs(body, Charset::ShiftJis, &sjisNumber);
    if (!euc.isNull() && (sjis.isNull() || halfWidthKatakana(euc) < halfWidthKatakana(sjis))) {
        *number = eucNumber;
        return euc;
    }
    if (!sjis.isNull()) {
        *number = sjisNumber;
        return sjis;
    }
    return decodeAs(body, Charset::Latin1, number);
}

} // namespace

UrlFetcher::UrlFetcher() : UrlFetcher(Limits()) {}

UrlFetcher::UrlFetcher(const Limits &limits) : m_limits(limits)
{
    // A zero or negative time would mean "forever" to Qt's timers.
    m_limits.transferTimeoutMs = std::max(1, m_limits.transferTimeoutMs);
    m_limits.deadlineMs = std::max(1, m_limits.deadlineMs);
    m_limits.maxBytes = std::max<qint64>(0, m_limits.maxBytes);
    m_limits.maxRedirects = std::max(0, m_limits.maxRedirects);
}

bool UrlFetcher::isAllowedUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme();
    return scheme.compare(u"http", Qt::CaseInsensitive) == 0
        || scheme.compare(u"https", Qt::CaseInsensitive) == 0;
}

UrlFetcher::Result UrlFetcher::get(const QString &urlText, const HeaderList &headers)
{
    Result neutral;
    neutral.errorString = u"%1: the fetch failed unexpectedly"_s.arg(urlText);
    return ErrorLog::guarded(lcScript(), kClassWords, u"get", neutral, [&] {
        Result result;
        QUrl url(urlText.trimmed());
        if (!isAllowedUrl(url)) {
            result.errorString = u"%1: scheme not allowed: only http and https URLs with a host are read"_s.arg(urlText);
            return result;
        }
        if (!QCoreApplication::instance()) {
            result.errorString = u"%1: no application object to run the fetch"_s.arg(shownUrl(url));
            return result;
        }
        HttpOnlyAccessManager manager;
        manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        const QDeadlineTimer deadline(m_limits.deadlineMs);
        for (int redirects = 0;; ++redirects) {
            if (deadline.hasExpired()) {
                result.errorString = u"%1: timed out: the fetch did not finish within %2 ms"_s.arg(
                    shownUrl(url)).arg(m_limits.deadlineMs);
                return result;
            }
            const Hop hop = fetchHop(manager, url, headers, m_limits, deadline, result);
            if (!hop.redirected)
                return result;
            const auto refuse = [&](const QString &why) {
                result.errorString = u"%1: %2"_s.arg(shownUrl(url), why);
                return result;
            };
            if (redirects >= m_limits.maxRedirects)
                return refuse(u"too many redirects: more than %1 redirects"_s.arg(m_limits.maxRedirects));
            if (hop.location.trimmed().isEmpty())
                return refuse(u"a redirect without a target"_s);
            const QUrl target = url.resolved(QUrl::fromEncoded(hop.location.trimmed()));
            if (!isAllowedUrl(target))
                return refuse(u"redirect to %1 refused: only http and https URLs with a host are read"_s
                                  .arg(target.toDisplayString(QUrl::RemoveUserInfo)));
            if (url.scheme().compare(u"https", Qt::CaseInsensitive) == 0
                && target.scheme().compare(u"http", Qt::CaseInsensitive) == 0)
                return refuse(u"redirect from https to http refused"_s);
            url = target;
        }
    });
}

bool UrlFetcher::readText(const QString &urlText, QString *text, int *encodingNumber, QString *error)
{
    const Result fetched = get(urlText);
    QString problem = fetched.errorString;
    QString decoded;
    int number = 0;
    if (fetched.ok) {
        decoded = decodeText(fetched.body, fetched.contentType, &number);
        if (decoded.isNull())
            problem = u"%1: the response is not text"_s.arg(urlText);
    }
    const bool ok = fetched.ok && !decoded.isNull();
    if (text)
        *text = ok ? decoded : QString();
    if (encodingNumber)
        *encodingNumber = ok ? number : 0;
    if (error)
        *error = ok ? QString() : problem;
    // Callers that answer only "failed" leave the reason to this one line.
    if (!ok)
        ErrorLog::err(lcScript(), kClassWords, u"readText", problem);
    return ok;
}

QString UrlFetcher::decodeText(QByteArrayView body, QByteArrayView contentType, int *encodingNumber)
{
    int number = 0;
    const QString text = detectText(body, contentType, &number);
    if (encodingNumber)
        *encodingNumber = text.isNull() ? 0 : number;
    return text;
}
