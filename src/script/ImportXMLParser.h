#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVariantMap>

// Turns an XML document into a flat dictionary of element names to texts for
// the script command that reads XML. Collecting stops at the end of an
// "Article" element and starts again at the next one; each element that ends
// while collecting keeps the trimmed text that arrived since the previous end.
class ImportXMLParser
{
public:
    // Documents larger than this, or nested deeper, are refused.
    static constexpr qsizetype kMaxDocumentBytes = 64 * 1024 * 1024;
    static constexpr int kMaxDepth = 256;

    ImportXMLParser() = default;

    void initializationUserObject();

    // The result of the last successful parse; values are QStrings.
    const QVariantMap &parserXMLDictionary() const { return m_parserXMLDictionary; }
    bool registerParserXMLDictionary(const QVariantMap &value);
    bool confirmParserXMLDictionary() const { return !m_parserXMLDictionary.isEmpty(); }

    // Parses the bytes; true when they are well-formed and gave a non-empty
    // result, which then replaces parserXMLDictionary. A DTD that declares
    // entities is refused. On false the previous result stays.
    bool parserDictionaryToXNLData(const QByteArray &data);

private:
    void parserDidStartDocument();
    void parserDidStartElement(QStringView elementName);
    void parserFoundCharacters(QStringView characters);
    void parserDidEndElement(QStringView elementName);

    QVariantMap m_parserXMLDictionary;
    // Parse state of the document being read.
    QVariantMap m_building;
    QString m_textBuffer;
    bool m_collecting = false;
};
