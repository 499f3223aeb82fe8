#include "CreatorInformation.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/DateText.h"
#include "platform/Localization.h"
#include "platform/ModelText.h"

#include <QSysInfo>

#include <iterator>

namespace {
const QString kSetUpCreator = QStringLiteral("setUpCreator");
const QString kCreatorName = QStringLiteral("creatorName");
const QString kCreatorApplication = QStringLiteral("creatorApplication");
const QString kApplicationVersion = QStringLiteral("applicationVersion");
const QString kOsVersion = QStringLiteral("osVersion");
const QString kDayOfProduction = QStringLiteral("dayOfProduction");
const QString kDayOfRevision = QStringLiteral("dayOfRevision");
const QString kDayOfUpdate = QStringLiteral("dayOfUpdate");
const QString kPrivatePasswordWithState = QStringLiteral("privatePasswordWithState");
const QString kPrivatePasswordTitleString = QStringLiteral("privatePasswordTitleString");
const QString kPrivatePasswordString = QStringLiteral("privatePasswordString");
const QString kProtectFileByPasswordWithState = QStringLiteral("protectFileByPasswordWithState");
const QString kFileType = QStringLiteral("fileType");
const QString kTableComment = QStringLiteral("_tableComment");
const QString kWorkLogArray = QStringLiteral("workLogArray");

QString word(const char *key)
{
    return Localization::textOrEmpty(Localization::kCreatorTable, QString::fromLatin1(key));
}

enum class EntryShape { Plain, File, Search };

struct LogRow
{
    bool testsCreatorName;  // else updateCreator decides the format
    bool printsCreatorName; // else updateCreator is printed
    EntryShape shape;
    const char *verbKey;
    const char *tailKey; // Search rows only
};

// Indexed by state - 1.
constexpr LogRow kLogRows[] = {
    {true, true, EntryShape::Plain, "011Creator", nullptr},
    {true, true, EntryShape::Plain, "012Creator", nullptr},
    {false, false, EntryShape::Plain, "012Creator", nullptr},
    {true, true, EntryShape::File, "013Creator", nullptr},
    {false, false, EntryShape::File, "013Creator", nullptr},
    {true, true, EntryShape::File, "014Creator", nullptr},
    {false, false, EntryShape::File, "014Creator", nullptr},
    {false, true, EntryShape::Search, "015Creator", "016Creator"},
    {false, false, EntryShape::Search, "015Creator", "016Creator"},
    {false, true, EntryShape::Search, "015Creator", "017Creator"},
    {false, false, EntryShape::Search, "015Creator", "017Creator"},
};
} // namespace

CreatorInformation::CreatorInformation()
    : m_creatorName(QStringLiteral(""))
    , m_creatorApplication(QStringLiteral(""))
    , m_osVersion(QStringLiteral(""))
    , m_dayOfProduction(QStringLiteral(""))
    , m_dayOfRevision(QStringLiteral(""))
    , m_dayOfUpdate(QStringLiteral(""))
    , m_updateCreator(QStringLiteral(""))
    , m_privatePasswordTitleString(QStringLiteral(""))
    , m_privatePasswordString(QStringLiteral(""))
    , m_logComment(QStringLiteral(""))
    , m_tableComment(QStringLiteral(""))
{
}

void CreatorInformation::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeBool(m_setUpCreator, kSetUpCreator);
    coder.encodeString(m_creatorName, kCreatorName);
    coder.encodeString(m_creatorApplication, kCreatorApplication);
    coder.encodeFloat(m_applicationVersion, kApplicationVersion);
    coder.encodeString(m_osVersion, kOsVersion);
    coder.encodeString(m_dayOfProduction, kDayOfProduction);
    coder.encodeString(m_dayOfRevision, kDayOfRevision);
    coder.encodeString(m_dayOfUpdate, kDayOfUpdate);
    coder.encodeBool(m_privatePasswordWithState, kPrivatePasswordWithState);
    coder.encodeString(m_privatePasswordTitleString, kPrivatePasswordTitleString);
    coder.encodeString(m_privatePasswordString, kPrivatePasswordString);
    coder.encodeBool(m_protectFileByPasswordWithState, kProtectFileByPasswordWithState);
    coder.encodeInt32(m_fileType, kFileType);
    coder.encodeString(m_tableComment, kTableComment);
    coder.encodeStringArray(m_workLogArray, kWorkLogArray);
}

bool CreatorInformation::initWithCoder(const ArchiveDecoder &coder)
{
    register_setUpCreator(coder.decodeBool(kSetUpCreator));
    register_creatorName(coder.decodeString(kCreatorName));
    register_creatorApplication(coder.decodeString(kCreatorApplication));
    register_applicationVersion(coder.decodeFloat(kApplicationVersion));
    register_osVersion(coder.decodeString(kOsVersion));
    register_dayOfProduction(coder.decodeString(kDayOfProduction));
    register_dayOfRevision(coder.decodeString(kDayOfRevision));
    register_dayOfUpdate(coder.decodeString(kDayOfUpdate));
    register_privatePasswordWithState(coder.decodeBool(kPrivatePasswordWithState));
    register_privatePasswordTitleString(coder.decodeString(kPrivatePasswordTitleString));
    register_privatePasswordString(coder.decodeString(kPrivatePasswordString));
    register_protectFileByPasswordWithState(coder.decodeBool(kProtectFileByPasswordWithState));
    register_fileType(coder.decodeInt32(kFileType));
    setTableComment(coder.decodeString(kTableComment));
    register_workLogArray(coder.decodeStringArray(kWorkLogArray));
    return !coder.failed();
}

void CreatorInformation::initializationUserObject()
{
    register_setUpCreator(false);
    register_creatorName(QString());
    register_creatorApplication(QStringLiteral("Rowsmith"));
    register_applicationVersion(1.0f);
    register_osVersion(systemProductVersion());
    register_dayOfProduction(DateText::now());
    register_dayOfRevision(QString());
    register_dayOfUpdate(QString());
    register_updateCreator(QString());
    register_privatePasswordWithState(false);
    register_privatePasswordTitleString(QString());
    register_privatePasswordString(QString());
    register_protectFileByPasswordWithState(false);
    register_fileType(0);
    register_logComment(QString());
    register_workLogArray({});
    setTableComment(QString());
}

bool CreatorInformation::setTheEnvironmentalAtDecoder(const CreatorInformation *other)
{
    if (!other)
        return false;
    register_setUpCreator(other->setUpCreator());
    register_creatorName(other->creatorName());
    register_creatorApplication(other->creatorApplication());
    register_applicationVersion(other->applicationVersion());
    register_osVersion(other->osVersion());
    register_dayOfProduction(other->dayOfProduction());
    register_dayOfRevision(other->dayOfRevision());
    register_dayOfUpdate(other->dayOfUpdate());
    register_privatePasswordWithState(other->privatePasswordWithState());
    register_privatePasswordTitleString(other->privatePasswordTitleString());
    register_privatePasswordString(other->privatePasswordString());
    register_protectFileByPasswordWithState(other->protectFileByPasswordWithState());
    register_fileType(other->fileType());
    setTableComment(other->tableComment());
    register_workLogArray(other->workLogArray());
    return true;
}

QString CreatorInformation::systemProductVersion()
{
    const QString version = QSysInfo::productVersion();
    return version == QLatin1String("unknown") ? QStringLiteral("") : version;
}

bool CreatorInformation::register_creatorName(const QString &value)
{
    return ModelText::registerString(m_creatorName, value);
}

bool CreatorInformation::register_creatorApplication(const QString &value)
{
    return ModelText::registerString(m_creatorApplication, value);
}

bool CreatorInformation::register_osVersion(const QString &value)
{
    return ModelText::registerString(m_osVersion, value);
}

bool CreatorInformation::register_dayOfProduction(const QString &value)
{
    return ModelText::registerString(m_dayOfProduction, value);
}

bool CreatorInformation::register_dayOfRevision(const QString &value)
{
    return ModelText::registerString(m_dayOfRevision, value);
}

bool CreatorInformation::register_dayOfUpdate(const QString &value)
{
    return ModelText::registerString(m_dayOfUpdate, value);
}

void CreatorInformation::set_dayOfUpdate()
{
    register_dayOfUpdate(DateText::now());
}

bool CreatorInformation::register_updateCreator(const QString &value)
{
    return ModelText::registerString(m_updateCreator, value);
}

bool CreatorInformation::register_privatePasswordTitleString(const QString &value)
{
    return ModelText::registerString(m_privatePasswordTitleString, value);
}

bool CreatorInformation::register_privatePasswordString(const QString &value)
{
    return ModelText::registerString(m_privatePasswordString, value);
}

bool CreatorInformation::register_logComment(const QString &value)
{
    return ModelText::registerString(m_logComment, value);
}

bool CreatorInformation::register_workLogArray(const QStringList &log)
{
    if (log.isEmpty()) {
        m_workLogArray.clear();
        return false;
    }
    m_workLogArray = log;
    return true;
}

void CreatorInformation::setTableComment(const QString &value)
{
    ModelText::registerString(m_tableComment, value);
}

bool CreatorInformation::workLogWithState(int state)
{
    if (state < 1 || state > int(std::size(kLogRows)))
        return false;
    const LogRow &row = kLogRows[state - 1];
    const QString &date = state == 1 ? m_dayOfProduction : m_dayOfUpdate;
    const bool named = row.testsCreatorName ? confirm_creatorName() : confirm_updateCreator();
    const QString &name = row.printsCreatorName ? m_creatorName : m_updateCreator;
    const QString verb = word(row.verbKey);

    QString entry;
    switch (row.shape) {
    case EntryShape::Plain:
        entry = named ? QStringLiteral("%1:%2 %3").arg(date, name, verb)
                      : QStringLiteral("%1:%2%3").arg(date, word("008Creator"), verb);
        break;
    case EntryShape::File: {
        const QString file = ModelText::lastPathComponent(m_logComment);
        entry = named ? QStringLiteral("%1:%2 %3 %4.").arg(date, name, verb, file)
                      : QStringLiteral("%1:%2%3 %4.").arg(date, word("008Creator"), verb, file);
        break;
    }
    case EntryShape::Search: {
        const QString file = ModelText::lastPathComponent(m_logComment);
        const QString tail = word(row.tailKey);
        entry = named ? QStringLiteral("%1:%2 %3[%4]%5.").arg(date, name, verb, file, tail)
                      : QStringLiteral("%1:%2%3[%4]%5.").arg(date, word("008Creator"), verb, file, tail);
        break;
    }
    }
    m_workLogArray.prepend(entry);
    return true;
}

QString CreatorInformation::logText() const
{
    const QString line = QStringLiteral("%1:%2\n");
    QString text = line.arg(word("001Creator"), m_creatorName)
        + line.arg(word("002Creator"), m_creatorApplication)
        + line.arg(word("003Creator"), QString::number(double(m_applicationVersion), 'f', 2))
        + line.arg(word("004Creator"), m_osVersion)
        + line.arg(word("005Creator"), m_dayOfProduction)
        + line.arg(word("006Creator"), m_dayOfUpdate) + u'\n';
    if (confirm_tableComment())
        text += line.arg(word("007Creator"), m_tableComment) + u'\n';
    for (const QString &entry : m_workLogArray)
        text += entry + u'\n';
    return text;
}
