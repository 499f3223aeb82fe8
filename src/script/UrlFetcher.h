#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// Every URL the script engine reads goes through here: http and https only,
// each redirect checked again, time-outs, a byte cap and bounded inflation.
// A fetch spins its own local event loop, so it may be called on any thread
// that has a QThread while a QCoreApplication exists; it never hangs.
class UrlFetcher
{
public:
    struct Limits {
        int transferTimeoutMs = 15000;   // no bytes for this long: fail
        int deadlineMs = 30000;          // whole fetch, redirects included
        qint64 maxBytes = 16 * 1024 * 1024;
        int maxRedirects = 5;
    };
    struct Result {
        bool ok = false;
        QByteArray body;
        QByteArray contentType;   // header value, may be empty
        QString errorString;      // clear English text for logs / CLI
    };

    // The numbers readText() answers for the encoding it found.
    static constexpr int kEucJpNumber = 3;
    static constexpr int kUtf8Number = 4;
    static constexpr int kLatin1Number = 5;
    static constexpr int kShiftJisNumber = 8;
    static constexpr int kUtf16Number = 10;
    static constexpr int kIso2022JpNumber = 21;

    UrlFetcher();
    explicit UrlFetcher(const Limits &limits);

    const Limits &limits() const { return m_limits; }

    // http or https, valid, with a host.
    static bool isAllowedUrl(const QUrl &url);

    // GET with the given header fields. Without an "Accept-Encoding" field,
    // gzip and deflate are offered; either is inflated within maxBytes. A
    // status of 400 or more is a failure.
    Result get(const QString &urlText, const QList<QPair<QByteArray, QByteArray>> &headers = {});

    // Reads the URL as text. The encoding is, in this order: the one a
    // byte-order mark shows, the charset of the Content-Type when the body
    // decodes strictly in it, ISO-2022-JP for 7-bit text with its escapes,
    // strict UTF-8, strict EUC-JP or Shift-JIS, and last Latin-1 (a body
    // holding a NUL byte is refused as not text).
    bool readText(const QString &urlText, QString *text, int *encodingNumber, QString *error = nullptr);

    // The decoding readText() applies to a fetched body; a null string when
    // the body is not text.
    static QString decodeText(QByteArrayView body, QByteArrayView contentType, int *encodingNumber);

private:
    Limits m_limits;
};
