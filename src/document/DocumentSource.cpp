#include "DocumentSource.h"

#include "list/CreatorInformation.h"
#include "MainSplitSource.h"

#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ModelText.h"

using namespace Qt::StringLiterals;

namespace {
constexpr auto kCreatorInformation = u"creatorInformation";
constexpr auto kUpdateSituationDic = u"updateSituationDic";
constexpr auto kSplitState = u"splitState";
constexpr auto kContentWindowRect = u"contentWindowRect";
constexpr auto kMainSplitSource = u"mainSplitSource";
constexpr auto kListItemsSource = u"listItemsSource";

const QString kProtectKey = u"protectFileByPasswordWithState"_s;
const QString kTitleKey = u"passwordTitle"_s;
const QString kPasswordKey = u"password"_s;
} // namespace

DocumentSource::DocumentSource() = default;
DocumentSource::~DocumentSource() = default;

CreatorInformation *DocumentSource::creatorInformation()
{
    return const_cast<CreatorInformation *>(std::as_const(*this).creatorInformation());
}

const CreatorInformation *DocumentSource::creatorInformation() const
{
    if (!m_creatorInformation) {
        m_creatorInformation = std::make_unique<CreatorInformation>();
        m_creatorInformation->initializationUserObject();
    }
    return m_creatorInformation.get();
}

MainSplitSource *DocumentSource::mainSplitSource()
{
    return const_cast<MainSplitSource *>(std::as_const(*this).mainSplitSource());
}

const MainSplitSource *DocumentSource::mainSplitSource() const
{
    if (!m_mainSplitSource) {
        m_mainSplitSource = std::make_unique<MainSplitSource>();
        m_mainSplitSource->initializationUserObject();
    }
    return m_mainSplitSource.get();
}

ListItemsSource *DocumentSource::listItemsSource()
{
    return const_cast<ListItemsSource *>(std::as_const(*this).listItemsSource());
}

const ListItemsSource *DocumentSource::listItemsSource() const
{
    if (!m_listItemsSource) {
        m_listItemsSource = std::make_unique<ListItemsSource>();
        m_listItemsSource->initializationUserObject();
    }
    return m_listItemsSource.get();
}

void DocumentSource::initializationUserObject()
{
    creatorInformation();
    register_splitState(false);
}

QVariantMap DocumentSource::protectionDictionary(bool state, const QString &title, const QString &password)
{
    if (!state)
        return {{kProtectKey, false}, {kTitleKey, u""_s}, {kPasswordKey, u""_s}};
    return {{kProtectKey, true}, {kTitleKey, title}, {kPasswordKey, password}};
}

void DocumentSource::clearPassword()
{
    m_privatePasswordWithState = false;
    m_passwordTitle = u""_s;
    m_passwordString = u""_s;
}

bool DocumentSource::registerUpdateSituationDic(const QVariantMap &dictionary)
{
    if (dictionary.isEmpty()) {
        clearPassword();
        return false;
    }
    m_updateSituationDic = dictionary;
    if (dictionary.value(kProtectKey).toBool()) {
        m_privatePasswordWithState = true;
        registerPasswordTitle(dictionary.value(kTitleKey).toString());
        registerPasswordString(dictionary.value(kPasswordKey).toString());
    } else {
        clearPassword();
    }
    return true;
}

bool DocumentSource::registerPasswordTitle(const QString &value)
{
    return ModelText::registerString(m_passwordTitle, value);
}

bool DocumentSource::registerPasswordString(const QString &value)
{
    return ModelText::registerString(m_passwordString, value);
}

bool DocumentSource::splitState() const
{
    return mainSplitSource()->controlViewWithState();
}

void DocumentSource::register_splitState(bool state)
{
    mainSplitSource()->registerControlViewWithState(state);
}

void DocumentSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(*creatorInformation(), kCreatorInformation);
    coder.encodeValue(m_updateSituationDic, kUpdateSituationDic);
    coder.encodeBool(splitState(), kSplitState);
    coder.encodeRect(m_contentWindowRect, kContentWindowRect);
    coder.encodeObject(*mainSplitSource(), kMainSplitSource);
    coder.encodeObject(*listItemsSource(), kListItemsSource);
}

bool DocumentSource::initWithCoder(const ArchiveDecoder &coder)
{
    if (const auto creator = coder.decodeObject<CreatorInformation>(kCreatorInformation))
        creatorInformation()->setTheEnvironmentalAtDecoder(creator.get());
    registerUpdateSituationDic(coder.kindForKey(kUpdateSituationDic) == ArchiveKind::Dictionary
                                   ? coder.decodeVariantMap(kUpdateSituationDic)
                                   : QVariantMap());
    register_splitState(coder.decodeBool(kSplitState));
    registerContentWindowRect(coder.decodeRect(kContentWindowRect));
    if (const auto split = coder.decodeObject<MainSplitSource>(kMainSplitSource))
        mainSplitSource()->setTheEnvironmentalAtDecoder(split.get());
    if (const auto lists = coder.decodeObject<ListItemsSource>(kListItemsSource))
        listItemsSource()->setTheEnvironmentalAtDecoder(lists.get());
    return !coder.failed();
}

bool DocumentSource::setTheEnvironmentalAtDecoder(const DocumentSource *other)
{
    if (!other)
        return false;
    creatorInformation()->setTheEnvironmentalAtDecoder(other->creatorInformation());
    registerUpdateSituationDic(other->m_updateSituationDic);
    register_splitState(other->splitState());
    registerContentWindowRect(other->m_contentWindowRect);
    mainSplitSource()->setTheEnvironmentalAtDecoder(other->mainSplitSource());
    listItemsSource()->setTheEnvironmentalAtDecoder(other->listItemsSource());
    return true;
}

std::shared_ptr<const DocumentSource> DocumentSource::snapshot() const
{
    auto copy = std::make_shared<DocumentSource>();
    *copy->creatorInformation() = *creatorInformation();
    copy->m_updateSituationDic = m_updateSituationDic;
    copy->m_privatePasswordWithState = m_privatePasswordWithState;
    copy->m_passwordTitle = m_passwordTitle;
    copy->m_passwordString = m_passwordString;
    copy->m_contentWindowRect = m_contentWindowRect;
    *copy->mainSplitSource() = *mainSplitSource();
    copy->listItemsSource()->copyArchivedState(*listItemsSource());
    // With a directory of stored lists, a reopened root never takes its open
    // list from here (it is read back from the list's own file), so its rows
    // would only double the package.
    if (listItemsSource()->confirmOriginalOfTheListItemsDic())
        copy->listItemsSource()->listItem()->registerTableItemObjectArray(RowList());
    return copy;
}

QString DocumentSource::logText() const
{
    return creatorInformation()->logText();
}
