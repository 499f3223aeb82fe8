#include "ImportURLWorkFormula.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"ImportURLWorkFormula"_s;

} // namespace

ImportURLWorkFormula::ImportURLWorkFormula() = default;

ImportURLWorkFormula::ImportURLWorkFormula(const UrlFetcher::Limits &limits) : m_fetcher(limits) {}

ImportURLWorkFormula::~ImportURLWorkFormula() = default;

void ImportURLWorkFormula::initializationUserObject()
{
    m_connectionData.clear();
    m_parserXMLDictionary.clear();
    m_errorString.clear();
    importXMLParser()->initializationUserObject();
}

ImportXMLParser *ImportURLWorkFormula::importXMLParser()
{
    if (!m_importXMLParser) {
        m_importXMLParser = std::make_unique<ImportXMLParser>();
        m_importXMLParser->initializationUserObject();
    }
    return m_importXMLParser.get();
}

bool ImportURLWorkFormula::registerParserXMLDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_parserXMLDictionary, value);
}

bool ImportURLWorkFormula::connectionURLConnectionOfXMLToPath(const QString &path)
{
    const bool read = ErrorLog::guarded(lcScript(), kClassWords, u"connectionURLConnectionOfXMLToPath", false, [&] {
        m_errorString.clear();
        if (path.isEmpty()) {
            m_errorString = u"no URL to read"_s;
            return false;
        }
        const UrlFetcher::Result fetched = m_fetcher.get(path, {
            {"Accept", "text/xml"},
            {"Accept-Charset", "UTF-8"},
            {"Accept-Encoding", "deflate"},
        });
        m_connectionData = fetched.body;
        if (!fetched.ok) {
            m_errorString = fetched.errorString;
            return false;
        }
        if (!importXMLParser()->parserDictionaryToXNLData(m_connectionData)) {
            m_errorString = u"%1: not a well-formed XML document with elements to read"_s.arg(path);
            return false;
        }
        return registerParserXMLDictionary(importXMLParser()->parserXMLDictionary());
    });
    // The script reports only that its code failed; this line says why.
    if (!read && !m_errorString.isEmpty())
        ErrorLog::err(lcScript(), kClassWords, u"connectionURLConnectionOfXMLToPath", m_errorString);
    return read;
}
