// Feeds arbitrary bytes to the script engine's XML reader and to the text
// decoding of URL reads. Checks beyond "no crash":
//  - a refused document leaves the previous result exactly as it was;
//  - an accepted one gives a non-empty result with no "Article" entry, no
//    empty name, and string values without outer white space (each piece of
//    text is trimmed before it is joined);
//  - parsing the same bytes again gives the same answer and result;
//  - decoded text is null exactly when no encoding number is answered.
// Seeds: fuzz/corpus/XmlParser.

#include "script/ImportXMLParser.h"
#include "script/UrlFetcher.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

void checkResult(const QVariantMap &result)
{
    if (result.isEmpty() || result.contains(u"Article"_s))
        std::abort();
    for (auto it = result.cbegin(); it != result.cend(); ++it) {
        if (it.key().isEmpty() || it.value().typeId() != QMetaType::QString)
            std::abort();
        const QString value = it.value().toString();
        if (value != value.trimmed())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(u"rowsmith.*=false"_s);
        return true;
    }();
    Q_UNUSED(quiet);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QVariantMap previous{{u"previous"_s, u"kept"_s}};
    ImportXMLParser parser;
    parser.registerParserXMLDictionary(previous);
    const bool accepted = parser.parserDictionaryToXNLData(bytes);
    const QVariantMap result = parser.parserXMLDictionary();
    if (accepted)
        checkResult(result);
    else if (result != previous)
        std::abort();
    if (parser.parserDictionaryToXNLData(bytes) != accepted || parser.parserXMLDictionary() != result)
        std::abort();

    static const QByteArray contentTypes[] = {"", "text/plain; charset=Shift_JIS",
                                              "text/plain;charset=\"euc-jp\"", "text/xml; charset=utf-8",
                                              "text/plain; charset=iso-2022-jp"};
    const QByteArray &contentType = contentTypes[size % std::size(contentTypes)];
    int number = -1;
    const QString text = UrlFetcher::decodeText(bytes, contentType, &number);
    if (text.isNull() != (number == 0))
        std::abort();
    return 0;
}
