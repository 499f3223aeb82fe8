#include "OptionObjectSource.h"

#include "platform/AlertSheetModal.h"
#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/Localization.h"
#include "platform/ModelText.h"

#include <utility>

namespace {

const QString kOptionObjectSourceDictionary = QStringLiteral("optionObjectSourceDictionary");
const QString kOptionTitle = QStringLiteral("optionTitle");
const QString kOptionSourceArray = QStringLiteral("optionSourceArray");
const QString kReferenceUserDictionary = QStringLiteral("referenceUserDictionary");
const QString kReferenceListDictionary = QStringLiteral("referenceListDictionary");
const QString kRequesLibraryCodeDictionary = QStringLiteral("requesLibraryCodeDictionary");

constexpr int kAlertReplace = 263002;
constexpr int kAlertRemove = 263004;

// Null, or a string, data or collection without contents.
bool isEmptyValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return true;
    case QMetaType::QString:
        return value.toString().isEmpty();
    case QMetaType::QByteArray:
        return value.toByteArray().isEmpty();
    case QMetaType::QStringList:
        return value.toStringList().isEmpty();
    case QMetaType::QVariantList:
        return value.toList().isEmpty();
    case QMetaType::QVariantMap:
        return value.toMap().isEmpty();
    default:
        return value.isNull();
    }
}

void encodeSources(ArchiveEncoder &coder, const OptionSourceArray &sources, QStringView key)
{
    coder.beginArray(sources.size(), key);
    for (const OptionSource &source : sources)
        coder.encodeObject(source, u"");
    coder.endArray();
}

// An absent array decodes to none; a damaged element fails the whole archive.
bool decodeSources(const ArchiveArray &array, OptionSourceArray &sources)
{
    const qsizetype count = array.size();
    sources.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const auto source = array.objectAt<OptionSource>(i);
        if (!source) {
            array.fail(QStringLiteral("element %1 of an option is not an OptionSource").arg(i));
            return false;
        }
        sources.append(*source);
    }
    return true;
}

QString mainText(const char *key)
{
    return Localization::textOrKey(Localization::kMainTable, QString::fromLatin1(key));
}

} // namespace

OptionObjectSource::OptionObjectSource()
    : m_optionTitle(QStringLiteral(""))
{
}

OptionObjectSource::~OptionObjectSource() = default;

OptionObjectSource::OptionObjectSource(const OptionObjectSource &other)
    : m_optionSource(other.m_optionSource ? std::make_unique<OptionSource>(*other.m_optionSource) : nullptr)
    , m_optionObjectSourceDictionary(other.m_optionObjectSourceDictionary)
    , m_optionTitle(other.m_optionTitle)
    , m_optionSourceArray(other.m_optionSourceArray)
    , m_optionSourceRow(other.m_optionSourceRow)
    , m_referenceListDictionary(other.m_referenceListDictionary)
    , m_referenceListArray(other.m_referenceListArray)
    , m_referenceUserDictionary(other.m_referenceUserDictionary)
    , m_requesLibraryCodeDictionary(other.m_requesLibraryCodeDictionary)
{
}

OptionObjectSource &OptionObjectSource::operator=(const OptionObjectSource &other)
{
    if (this != &other) {
        OptionObjectSource copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OptionObjectSource::OptionObjectSource(OptionObjectSource &&other) noexcept = default;
OptionObjectSource &OptionObjectSource::operator=(OptionObjectSource &&other) noexcept = default;

void OptionObjectSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.beginDictionary(m_optionObjectSourceDictionary.size(), kOptionObjectSourceDictionary);
    for (auto it = m_optionObjectSourceDictionary.cbegin(); it != m_optionObjectSourceDictionary.cend(); ++it)
        encodeSources(coder, it.value(), it.key());
    coder.endDictionary();
    coder.encodeString(m_optionTitle, kOptionTitle);
    encodeSources(coder, m_optionSourceArray, kOptionSourceArray);
    coder.encodeValue(m_referenceUserDictionary, kReferenceUserDictionary);
    coder.encodeValue(m_referenceListDictionary, kReferenceListDictionary);
    coder.encodeValue(m_requesLibraryCodeDictionary, kRequesLibraryCodeDictionary);
}

bool OptionObjectSource::initWithCoder(const ArchiveDecoder &coder)
{
    OptionSourceDictionary options;
    const ArchiveDecoder stored = coder.decodeDictionary(kOptionObjectSourceDictionary);
    if (stored.isValid()) {
        const QStringList titles = stored.allKeys();
        for (const QString &title : titles) {
            OptionSourceArray sources;
            if (!decodeSources(stored.decodeArray(title), sources))
                return false;
            options.insert(title, sources);
        }
    }
    registerOptionObjectSourceDictionary(options);
    registerOptionTitle(coder.decodeString(kOptionTitle));

    OptionSourceArray sources;
    if (!decodeSources(coder.decodeArray(kOptionSourceArray), sources))
        return false;
    registerOptionSourceArray(sources);

    registerReferenceUserDictionary(coder.decodeVariantMap(kReferenceUserDictionary));
    registerReferenceListDictionary(coder.decodeVariantMap(kReferenceListDictionary));
    registerRequesLibraryCodeDictionary(coder.decodeVariantMap(kRequesLibraryCodeDictionary));
    return !coder.failed();
}

void OptionObjectSource::initializationUserObject()
{
    registerOptionTitle(QString());
    m_optionSourceArray.clear();
    optionSource()->initializationUserObject();
}

bool OptionObjectSource::setTheEnvironmentalAtDecoder(const OptionObjectSource *other)
{
    if (!other)
        return false;
    if (other == this)
        return true;
    registerOptionObjectSourceDictionary(other->m_optionObjectSourceDictionary);
    registerOptionTitle(other->m_optionTitle);
    registerOptionSourceArray(other->m_optionSourceArray);
    registerReferenceUserDictionary(other->m_referenceUserDictionary);
    registerReferenceListDictionary(other->m_referenceListDictionary);
    registerRequesLibraryCodeDictionary(other->m_requesLibraryCodeDictionary);
    return true;
}

OptionSource *OptionObjectSource::optionSource()
{
    return const_cast<OptionSource *>(std::as_const(*this).optionSource());
}

const OptionSource *OptionObjectSource::optionSource() const
{
    if (!m_optionSource) {
        m_optionSource = std::make_unique<OptionSource>();
        m_optionSource->initializationUserObject();
    }
    return m_optionSource.get();
}

bool OptionObjectSource::registerOptionObjectSourceDictionary(const OptionSourceDictionary &value)
{
    return ModelText::registerContainer(m_optionObjectSourceDictionary, value);
}

bool OptionObjectSource::registerOptionTitle(const QString &value)
{
    return ModelText::registerString(m_optionTitle, value);
}

bool OptionObjectSource::registerOptionSourceArray(const OptionSourceArray &value)
{
    return ModelText::registerContainer(m_optionSourceArray, value);
}

bool OptionObjectSource::registerReferenceListDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_referenceListDictionary, value);
}

bool OptionObjectSource::registerReferenceListArray(const QStringList &value)
{
    return ModelText::registerContainer(m_referenceListArray, value);
}

bool OptionObjectSource::registerReferenceUserDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_referenceUserDictionary, value);
}

bool OptionObjectSource::registerRequesLibraryCodeDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_requesLibraryCodeDictionary, value);
}

bool OptionObjectSource::inspectOptionObjectSourceDictionaryAtTitle(const QString &title) const
{
    return !title.isEmpty() && m_optionObjectSourceDictionary.contains(title);
}

bool OptionObjectSource::inspectReferenceUserDictionaryAtTitle(const QString &title) const
{
    return !title.isEmpty() && m_referenceUserDictionary.contains(title);
}

bool OptionObjectSource::inspectRequesLibraryCodeDictionaryAtTitle(const QString &title) const
{
    return !title.isEmpty() && m_requesLibraryCodeDictionary.contains(title);
}

bool OptionObjectSource::inspectOptionSourceArrayAtTitle(const QString &title)
{
    if (title.isEmpty())
        return false;
    for (qsizetype row = 0; row < m_optionSourceArray.size(); ++row) {
        if (m_optionSourceArray.at(row).sourceTitle() == title) {
            m_optionSourceRow = qint32(row);
            return true;
        }
    }
    return false;
}

bool OptionObjectSource::readDevelopOptionTitle(const QString &title)
{
    if (m_optionObjectSourceDictionary.isEmpty() || title.isEmpty())
        return false;
    registerOptionTitle(title);
    const auto stored = m_optionObjectSourceDictionary.constFind(title);
    if (stored == m_optionObjectSourceDictionary.cend())
        return false;
    registerOptionSourceArray(stored.value());
    return true;
}

bool OptionObjectSource::addOptionTitle(const QString &title)
{
    if (title.isEmpty() || m_optionSourceArray.isEmpty())
        return false;
    if (inspectOptionObjectSourceDictionaryAtTitle(title) && !AlertSheetModal::openAlert(kAlertReplace, title))
        return false;
    return setOptionObject(m_optionSourceArray, title);
}

bool OptionObjectSource::setOptionObject(const OptionSourceArray &sources, const QString &title)
{
    if (title.isEmpty() || sources.isEmpty())
        return false;
    // Copy first: the sources may be this object's own current array.
    const OptionSourceArray copy = sources;
    registerOptionTitle(title);
    m_optionObjectSourceDictionary.insert(title, copy);
    return true;
}

bool OptionObjectSource::removeOptionObjectOptionTitle(const QString &title)
{
    if (!inspectOptionObjectSourceDictionaryAtTitle(title))
        return false;
    m_optionObjectSourceDictionary.remove(title);
    return true;
}

bool OptionObjectSource::readDevelopSourceTitle(const QString &title)
{
    if (m_optionSourceArray.isEmpty())
        return false;
    OptionSource *working = optionSource();
    if (!working->registerSourceTitle(title))
        return false;
    if (!inspectOptionSourceArrayAtTitle(title))
        return false;
    *working = m_optionSourceArray.at(m_optionSourceRow);
    return true;
}

const OptionSource *OptionObjectSource::getDevelopSourceAtRow(qint32 row) const
{
    // Out-of-range rows answer null rather than reading past the array.
    if (row < 0 || row >= m_optionSourceArray.size())
        return nullptr;
    return &m_optionSourceArray.at(row);
}

bool OptionObjectSource::addOptionSourceTitle(const QString &title)
{
    OptionSource *working = optionSource();
    if (!working->registerSourceTitle(title))
        return false;
    if (inspectOptionSourceArrayAtTitle(title)) {
        if (!AlertSheetModal::openAlert(kAlertReplace, title))
            return false;
        m_optionSourceArray.replace(m_optionSourceRow, *working);
    } else {
        m_optionSourceArray.append(*working);
    }
    return true;
}

bool OptionObjectSource::setSourceObject(const OptionSource &source, const QString &title)
{
    if (title.isEmpty())
        return false;
    OptionSource copy = source;
    copy.registerSourceTitle(title);
    if (inspectOptionSourceArrayAtTitle(title))
        m_optionSourceArray.replace(m_optionSourceRow, copy);
    else
        m_optionSourceArray.append(copy);
    return true;
}

bool OptionObjectSource::removeOptionSourceTitle(const QString &title)
{
    // Only a source that exists is worth a confirmation.
    if (!inspectOptionSourceArrayAtTitle(title))
        return false;
    if (!AlertSheetModal::openAlert(kAlertRemove, title))
        return false;
    m_optionSourceArray.removeAt(m_optionSourceRow);
    return true;
}

bool OptionObjectSource::addReferenceUserObject(const QVariant &object, const QString &title)
{
    if (title.isEmpty() || !object.isValid())
        return false;
    if (inspectReferenceUserDictionaryAtTitle(title) && !AlertSheetModal::openAlert(kAlertReplace, title))
        return false;
    m_referenceUserDictionary.insert(title, object);
    return true;
}

bool OptionObjectSource::setReferenceUserObject(const QVariant &object, const QString &title)
{
    if (title.isEmpty() || isEmptyValue(object))
        return false;
    m_referenceUserDictionary.insert(title, object);
    return true;
}

bool OptionObjectSource::removeReferenceUserTitle(const QString &title)
{
    if (!inspectReferenceUserDictionaryAtTitle(title))
        return false;
    m_referenceUserDictionary.remove(title);
    return true;
}

bool OptionObjectSource::addRequesLibraryCode(const QString &code, const QString &title)
{
    if (code.isEmpty() || title.isEmpty())
        return false;
    m_requesLibraryCodeDictionary.insert(title, code);
    return true;
}

QStringList OptionObjectSource::getTegistrationListAtState(qint32 state)
{
    QStringList choices;
    switch (state) {
    case OptionSource::kReferenceColumnTitles: {
        choices = m_referenceListDictionary.value(mainText("0013Title")).toStringList();
        choices.removeAll(QStringLiteral("NSRIndication"));
        choices.removeAll(QStringLiteral("NSROption"));
        break;
    }
    case OptionSource::kReferenceLibrary:
        choices = m_referenceListDictionary.value(mainText("0014Title")).toMap().keys();
        break;
    case OptionSource::kReferenceUser:
        choices = m_referenceUserDictionary.keys();
        break;
    default:
        break;
    }
    registerReferenceListArray(choices);
    return choices;
}

QString OptionObjectSource::logText() const
{
    const auto line = [](const QString &name, const QString &value) {
        return name + QLatin1Char(':') + value;
    };
    QStringList lines;
    lines << QStringLiteral("** OptionObjectSource logText START **")
          << line(kOptionObjectSourceDictionary,
                  OptionSource::logValue(QStringList(m_optionObjectSourceDictionary.keys())))
          << line(kOptionTitle, m_optionTitle);
    for (const OptionSource &source : m_optionSourceArray)
        lines << line(QStringLiteral("optionSource"), source.logText());
    lines << line(QStringLiteral("optionSourceRow"), QString::number(m_optionSourceRow))
          << line(kReferenceListDictionary, OptionSource::logValue(m_referenceListDictionary))
          << line(QStringLiteral("referenceListArray"), OptionSource::logValue(m_referenceListArray))
          << line(kReferenceUserDictionary, OptionSource::logValue(m_referenceUserDictionary))
          << line(kRequesLibraryCodeDictionary, OptionSource::logValue(m_requesLibraryCodeDictionary))
          << QStringLiteral("** OptionObjectSource logText END **");
    return lines.join(QLatin1Char('\n'));
}
