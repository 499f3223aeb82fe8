#pragma once

#include "ImportXMLParser.h"
#include "UrlFetcher.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>

// Downloads an XML document for the script command that reads XML and keeps
// the flat dictionary its parser builds (see ImportXMLParser).
class ImportURLWorkFormula
{
public:
    ImportURLWorkFormula();
    explicit ImportURLWorkFormula(const UrlFetcher::Limits &limits);
    ~ImportURLWorkFormula();
    ImportURLWorkFormula(const ImportURLWorkFormula &) = delete;
    ImportURLWorkFormula &operator=(const ImportURLWorkFormula &) = delete;

    // Empties the body and the dictionaries.
    void initializationUserObject();

    // Created on first use, never null.
    ImportXMLParser *importXMLParser();

    // Body of the last response; empty after a failed download.
    const QByteArray &connectionData() const { return m_connectionData; }

    // The result of the last successful read; values are QStrings.
    const QVariantMap &parserXMLDictionary() const { return m_parserXMLDictionary; }
    bool registerParserXMLDictionary(const QVariantMap &value);
    bool confirmParserXMLDictionary() const { return !m_parserXMLDictionary.isEmpty(); }

    // Downloads the URL (http or https) as XML and parses it. False for an
    // empty path, a failed download or parse, or an empty result; the
    // previous dictionary then stays.
    bool connectionURLConnectionOfXMLToPath(const QString &path);

    // Why the last read failed, in English for logs; empty after a success.
    const QString &errorString() const { return m_errorString; }

private:
    UrlFetcher m_fetcher;
    std::unique_ptr<ImportXMLParser> m_importXMLParser;
    QByteArray m_connectionData;
    QVariantMap m_parserXMLDictionary;
    QString m_errorString;
};
