#include "ListItemArchive.h"

#include "ListItem.h"
#include "RowTableCodec.h"
#include "list/CreatorInformation.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "script/OptionObjectSource.h"

namespace {
const QString kCreatorInformation = QStringLiteral("creatorInformation");
const QString kColumnTitlesArray = QStringLiteral("columnTitlesArray");
const QString kColumnTitlesDic = QStringLiteral("columnTitlesDic");
const QString kColumnTitlesWidthDic = QStringLiteral("columnTitlesWidthDic");
const QString kTableItemObjectArray = QStringLiteral("tableItemObjectArray");
const QString kOptionObjectSource = QStringLiteral("optionObjectSource");
const QString kSearchObjectDic = QStringLiteral("searchObjectDic");
const QString kConversionRelevantFilePath = QStringLiteral("conversionRelevantFilePath");
const QString kEncodingType = QStringLiteral("encodingType");
const QString kCrState = QStringLiteral("crState");

QVariantMap stringValuesOnly(const QVariantMap &map)
{
    QVariantMap result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() == QMetaType::QString)
            result.insert(it.key(), it.value());
    }
    return result;
}
} // namespace

void ListItemArchive::encode(const ListItem &list, ArchiveEncoder &coder)
{
    coder.encodeObject(*list.creatorInformation(), kCreatorInformation);
    coder.encodeStringArray(list.columnTitlesArray(), kColumnTitlesArray);
    coder.encodeValue(list.columnTitlesDic(), kColumnTitlesDic);
    coder.encodeValue(list.columnTitlesWidthDic(), kColumnTitlesWidthDic);

    RowTableCodec::encode(list.rowStore().rows(), coder, kTableItemObjectArray);

    coder.encodeObject(*list.optionObjectSource(), kOptionObjectSource);

    const SearchObjectDictionary &searches = list.searchObjectDic();
    coder.beginDictionary(searches.size(), kSearchObjectDic);
    for (auto it = searches.cbegin(); it != searches.cend(); ++it)
        coder.encodeObject(it.value(), it.key());
    coder.endDictionary();

    coder.encodeString(list.conversionRelevantFilePath(), kConversionRelevantFilePath);
    coder.encodeInt32(list.encodingType(), kEncodingType);
    coder.encodeBool(list.crState(), kCrState);
}

bool ListItemArchive::decode(ListItem &list, const ArchiveDecoder &coder)
{
    if (const auto creator = coder.decodeObject<CreatorInformation>(kCreatorInformation))
        list.creatorInformation()->setTheEnvironmentalAtDecoder(creator.get());

    list.registerColumnTitlesArray(coder.decodeStringArray(kColumnTitlesArray));
    if (coder.kindForKey(kColumnTitlesDic) == ArchiveKind::Dictionary)
        list.registerColumnTitlesDic(stringValuesOnly(coder.decodeValue(kColumnTitlesDic).toMap()));
    // The list keeps the numbers among the widths only.
    if (coder.kindForKey(kColumnTitlesWidthDic) == ArchiveKind::Dictionary)
        list.registerColumnTitlesWidthDic(coder.decodeValue(kColumnTitlesWidthDic).toMap());

    RowList rows;
    std::unique_ptr<DeferredRows> deferred;
    if (!RowTableCodec::decode(coder, kTableItemObjectArray, &rows, &deferred))
        return false;
    list.registerTableItemObjectArray(std::move(rows), std::move(deferred));

    if (const auto options = coder.decodeObject<OptionObjectSource>(kOptionObjectSource))
        list.optionObjectSource()->setTheEnvironmentalAtDecoder(options.get());

    if (coder.kindForKey(kSearchObjectDic) == ArchiveKind::Dictionary) {
        const ArchiveDecoder searches = coder.decodeDictionary(kSearchObjectDic);
        SearchObjectDictionary dictionary;
        const QStringList titles = searches.allKeys();
        for (const QString &title : titles) {
            if (const auto search = searches.decodeObject<SearchEditingSource>(title))
                dictionary.insert(title, *search);
        }
        list.registerSearchObjectDic(dictionary);
    }

    list.registerConversionRelevantFilePath(coder.decodeString(kConversionRelevantFilePath));
    list.registerEncodingType(coder.decodeInt32(kEncodingType));
    list.registerCrState(coder.decodeBool(kCrState));
    return !coder.failed();
}

bool ListItemArchive::copy(ListItem &list, const ListItem &other)
{
    list.creatorInformation()->setTheEnvironmentalAtDecoder(other.creatorInformation());
    list.initializationUserObject();
    if (!other.confirmColumnTitlesArray())
        return false;
    if (!list.registerColumnTitlesArray(other.columnTitlesArray()))
        return false;
    if (other.confirmColumnTitlesDic())
        list.registerColumnTitlesDic(other.columnTitlesDic());
    else
        list.makingColumnTitlesDic();
    list.registerColumnTitlesWidthDic(other.columnTitlesWidthDic());
    if (other.confirmTableItemObjectArray())
        list.registerTableItemObjectArray(other.rowStore());
    list.registerConversionRelevantFilePath(other.conversionRelevantFilePath());
    list.registerEncodingType(other.encodingType());
    list.registerCrState(other.crState());
    list.optionObjectSource()->setTheEnvironmentalAtDecoder(other.optionObjectSource());
    list.registerSearchObjectDic(other.searchObjectDic());
    return true;
}
