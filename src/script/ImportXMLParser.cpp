#include "ImportXMLParser.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"

#include <QXmlStreamReader>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"ImportXMLParser"_s;
constexpr QStringView kArticle = u"Article";

} // namespace

void ImportXMLParser::initializationUserObject()
{
    m_parserXMLDictionary.clear();
    m_building.clear();
    m_textBuffer.clear();
    m_collecting = false;
}

bool ImportXMLParser::registerParserXMLDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_parserXMLDictionary, value);
}

bool ImportXMLParser::parserDictionaryToXNLData(const QByteArray &data)
{
    return ErrorLog::guarded(lcScript(), kClassWords, u"parserDictionaryToXNLData", false, [&] {
        if (data.isEmpty() || data.size() > kMaxDocumentBytes)
            return false;
        m_building.clear();
        m_textBuffer.clear();
        QXmlStreamReader reader(data);
        // Element names are compared as written, prefix included.
        reader.setNamespaceProcessing(false);
        int depth = 0;
        while (!reader.atEnd()) {
            switch (reader.readNext()) {
            case QXmlStreamReader::StartDocument:
                parserDidStartDocument();
                break;
            case QXmlStreamReader::DTD:
                // Declared entities are the road to expansion bombs; no feed needs them.
                if (!reader.entityDeclarations().isEmpty() || reader.text().contains(u"<!ENTITY"))
                    reader.raiseError(u"entity declarations are refused"_s);
                break;
            case QXmlStreamReader::StartElement:
                if (++depth > kMaxDepth)
                    reader.raiseError(u"elements nested too deeply"_s);
                else
                    parserDidStartElement(reader.qualifiedName());
                break;
            case QXmlStreamReader::Characters:
                parserFoundCharacters(reader.text());
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                parserDidEndElement(reader.qualifiedName());
                break;
            default:
                break;
            }
        }
        const bool parsed = !reader.hasError();
        QVariantMap built = std::exchange(m_building, QVariantMap());
        m_textBuffer.clear();
        m_collecting = false;
        if (!parsed || built.isEmpty())
            return false;
        return registerParserXMLDictionary(built);
    });
}

void ImportXMLParser::parserDidStartDocument()
{
    m_building.clear();
    m_textBuffer.clear();
    m_collecting = true;
}

void ImportXMLParser::parserDidStartElement(QStringView elementName)
{
    if (elementName == kArticle)
        m_collecting = true;
}

void ImportXMLParser::parserFoundCharacters(QStringView characters)
{
    m_textBuffer += characters.trimmed();
}

void ImportXMLParser::parserDidEndElement(QStringView elementName)
{
    if (elementName == kArticle)
        m_collecting = false;
    if (m_collecting)
        m_building.insert(elementName.toString(),
                          m_textBuffer.isNull() ? QString(QLatin1StringView("")) : m_textBuffer);
    m_textBuffer.clear();
}
