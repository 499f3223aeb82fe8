#include "CSVtoLMSConversion.h"

#include "CsvSource.h"

#include "platform/AvailableMemory.h"
#include "platform/WorkOfCachesFolder.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/TextCodec.h"
#include "tasks/ProgressReport.h"

#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>

#include <algorithm>
#include <optional>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"CSVtoLMSConversion"_s;
const QString kDeliverNotification = u"deliverConversionFileOfTheFileEncoding"_s;
const QString kListItemKey = u"ListItem"_s;
const QString kErrorFileName = u"errString.text"_s;
const QString kSavedFileName = u"CSVtoLMSConversionFiles.itemlist"_s;
const QString kReading = u"Reading"_s;
const QString kBlank = u" "_s;

constexpr int kStartSwitch = 241;
enum : int {
    kStepStart = 24001,
    kStepReading = 24002,
    kStepLines = 24003,
    kStepNewItem = 24006,
    kStepTitles = 24007,
    kStepFilling = 24008,
    kStepDelivered = 24009,
    kStepDone = 24010,
    kStepRowRefused = 24098,
    kStepFailed = 24099,
    kStepChunk = 93202,
    kStepChunksDone = 93203,
};

constexpr int kUtf8Type = 4;
constexpr int kShiftJisType = 8;
constexpr int kIso2022JpType = 21;

// A file of many short rows can reject millions of them; all are listed in
// the error text, only the first ones in the log.
constexpr qint32 kLoggedRejections = 100;

std::optional<TextEncoding> encodingOfType(int type)
{
    switch (type) {
    case kUtf8Type:
        return TextEncoding::Utf8;
    case kShiftJisType:
        return TextEncoding::ShiftJis;
    case kIso2022JpType:
        return TextEncoding::Iso2022Jp;
    default:
        return std::nullopt;
    }
}

} // namespace

CSVtoLMSConversion::CSVtoLMSConversion() : m_runThread(std::make_shared<std::atomic_bool>(true)) {}

CSVtoLMSConversion::~CSVtoLMSConversion() = default;

NotificationCenter &CSVtoLMSConversion::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

QString CSVtoLMSConversion::encodingName(int encodingType)
{
    const std::optional<TextEncoding> encoding = encodingOfType(encodingType);
    return encoding ? TextCodec::encodingName(*encoding) : QString();
}

bool CSVtoLMSConversion::registerFileCachesFolderPathOfWork(const QString &value)
{
    m_fileCachesFolderPathOfWork = value.isEmpty() ? u""_s : value;
    return !value.isEmpty();
}

bool CSVtoLMSConversion::registerConversionRelevantFilePath(const QString &value)
{
    m_conversionRelevantFilePath = value.isEmpty() ? u""_s : value;
    return !value.isEmpty();
}

bool CSVtoLMSConversion::registerDocumentFileName(const QString &value)
{
    m_documentFileName = value.isEmpty() ? u""_s : value;
    return !value.isEmpty();
}

bool CSVtoLMSConversion::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray = titles;
    return !m_columnTitlesArray.isEmpty();
}

void CSVtoLMSConversion::fail(const QString &reason)
{
    m_failureReason = reason;
    qCWarning(lcConvert).noquote() << u"CSVtoLMSConversion: %1"_s.arg(reason);
}

void CSVtoLMSConversion::cancelStep()
{
    m_runThread->store(false, std::memory_order_relaxed);
}

void CSVtoLMSConversion::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcConvert(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), NotificationName::notifIndicatorStepOfConversion, step, count, message);
    });
}

QString CSVtoLMSConversion::fileSizeString() const
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"fileSizeString", QString(), [&] {
        const qsizetype rows = m_tableItemObjectArray.size();
        QString suffix;
        if (rows > 0) {
            suffix = m_errCount == 0 ? u": %1 items"_s.arg(rows)
                                     : u": %1 items err : %2"_s.arg(rows).arg(m_errCount);
        }
        const double size = double(fileSize());
        if (size > 1024.0) {
            const qint64 kilobytes = qint64(size / 1024.0);
            if (size > 1048576.0)
                return u"file size:%1 MB %2"_s.arg(QString::number(kilobytes / 1024), suffix);
            return u"file size:%1 KB %2"_s.arg(QString::number(kilobytes), suffix);
        }
        return u"file size:%1 byte %2"_s.arg(QString::number(qint64(size)), suffix);
    });
}

QString CSVtoLMSConversion::itemsMessage() const
{
    return u": %1 items err : %2"_s.arg(m_tableItemObjectArray.size()).arg(m_errCount);
}

bool CSVtoLMSConversion::importFileObject(const QVariantMap &task)
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"importFileObject", false, [&] {
        m_cachesFolderID = task.value(RequestKey::cachesFolderID).toInt();
        if (task.value(RequestKey::startSwitch).toInt() != kStartSwitch) {
            fail(u"import refused: \"startSwitch\" is not 241"_s);
            return false;
        }
        if (!registerFileCachesFolderPathOfWork(task.value(u"fileCachesFolderPathOfWork"_s).toString())) {
            fail(u"import refused: no work folder"_s);
            return false;
        }
        if (!registerConversionRelevantFilePath(task.value(RequestKey::filePass).toString())) {
            fail(u"import refused: no file path"_s);
            return false;
        }
        if (!registerDocumentFileName(task.value(u"documentFileName"_s).toString())) {
            fail(u"import refused: no document file name"_s);
            return false;
        }
        m_quotedFields = task.value(u"quotedFields"_s).toBool();
        m_crState = false;
        m_postResult = true;
        return runConversion();
    });
}

std::shared_ptr<ListItem> CSVtoLMSConversion::importFile(const QString &path, bool quoted, QString *error)
{
    using Result = std::shared_ptr<ListItem>;
    Result result = ErrorLog::guarded(lcConvert(), kClassWords, u"importFile", Result(), [&] {
        m_failureReason.clear();
        m_listItem.reset();
        if (!registerConversionRelevantFilePath(path)) {
            fail(u"import refused: no file path"_s);
            return Result();
        }
        m_quotedFields = quoted;
        m_crState = false;
        m_postResult = false;
        runConversion();
        return m_failureReason.isEmpty() ? m_listItem : Result();
    });
    if (!result && error)
        *error = m_failureReason.isEmpty() ? u"the import failed"_s : m_failureReason;
    return result;
}

bool CSVtoLMSConversion::runConversion()
{
    m_failureReason.clear();
    // Compared as typed: "Csv" or "pgCL" are not taken.
    const QString extension = QFileInfo(m_conversionRelevantFilePath).suffix();
    if (extension == u"csv" || extension == u"CSV") {
        encodingThreadOfTheCSVtoLMSConversion();
        return true;
    }
    if (extension == u"pgcl" || extension == u"PGCL") {
        encodingThreadOfThePGCLtoLMSConversion();
        return true;
    }
    fail(u"import refused: \"%1\" is neither a CSV nor a list file"_s.arg(m_conversionRelevantFilePath));
    return false;
}

qint64 CSVtoLMSConversion::memoryBudget() const
{
    return m_memoryBudget > 0 ? m_memoryBudget : AvailableMemory::bytes();
}

QString CSVtoLMSConversion::memoryRefusal(qint64 needed, qint64 available) const
{
    const QLocale locale = QLocale::c();
    return u"\"%1\" needs about %2 of memory to import, but only %3 is available"_s.arg(
        m_conversionRelevantFilePath, locale.formattedDataSize(needed, 1),
        locale.formattedDataSize(available, 1));
}

bool CSVtoLMSConversion::encodingThreadOfTheCSVtoLMSConversion()
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"encodingThreadOfTheCSVtoLMSConversion", false, [&] {
        // Set before listening, not at the line loop, so that a cancel made
        // while the file is still being read is not forgotten.
        m_runThread->store(true);
        indicatorAtStep(kStepStart, 0.0, u""_s);
        m_errCount = 0;
        m_errString.clear();
        m_renamedTitles.clear();
        m_openQuoteLine = 0;
        m_columnTitlesArray.clear();
        m_columnTitlesWidthArray.clear();
        m_columnTitlesWidthDic.clear();
        m_tableItemObjectArray.clear();
        m_listItem.reset();

        // The flag, not this object, is captured: the centre may call the
        // handler on another thread while this converter is being destroyed.
        const NotificationCenter::Token token = center().addObserver(
            NotificationName::notifCancelStepOfConversion, nullptr,
            [flag = m_runThread](const Notification &) { flag->store(false, std::memory_order_relaxed); });
        const auto cleanup = qScopeGuard([&] { center().removeObserver(token); });

        const QString &path = m_conversionRelevantFilePath;
        CsvSource source;
        const QString refusal = source.open(path);
        m_fileSize = refusal.isEmpty() ? source.size() : 0;
        indicatorAtStep(kStepReading, 0.0, fileSizeString());
        if (!refusal.isEmpty()) {
            fail(u"\"%1\" %2"_s.arg(path, refusal));
            return false;
        }
        if (m_fileSize == 0) {
            m_encodingType = kUtf8Type;
            fail(u"\"%1\" holds no text"_s.arg(path));
            return false;
        }
        const qint64 budget = memoryBudget();

        std::optional<CsvChunkImport> pass;
        bool linesReported = false;
        const auto runPass = [&](TextEncoding encoding) {
            pass.reset();
            if (!source.rewind())
                return CsvChunkImport::Outcome::ReadError;
            CsvChunkImport::Settings settings;
            settings.encoding = encoding;
            settings.quoted = m_quotedFields;
            settings.memoryBudget = budget;
            settings.keepGoing = m_runThread.get();
            settings.progress = [&](qint64 consumed) {
                if (!linesReported) {
                    linesReported = true;
                    indicatorAtStep(kStepReading, 100.0, fileSizeString());
                    indicatorAtStep(kStepLines, 0.0, fileSizeString());
                }
                indicatorAtStep(kStepLines, double(consumed) / double(m_fileSize) * 100.0, fileSizeString());
            };
            pass.emplace(source, settings);
            return pass->run();
        };

        // Each encoding is tried in turn; a piece that fails to decode ends
        // that encoding's pass early.
        indicatorAtStep(kStepReading, 20.0, fileSizeString());
        using Outcome = CsvChunkImport::Outcome;
        Outcome outcome = Outcome::WrongEncoding;
        for (const int type : {kUtf8Type, kShiftJisType, kIso2022JpType}) {
            m_encodingType = type;
            outcome = runPass(*encodingOfType(type));
            if (outcome != Outcome::WrongEncoding)
                break;
        }
        if (outcome == Outcome::Done && m_encodingType == kUtf8Type && pass->sawEscapeSequence()
            && !pass->sawEightBitByte()) {
            // 7-bit ISO-2022-JP is valid UTF-8 as well; its escapes decide.
            m_encodingType = kIso2022JpType;
            outcome = runPass(TextEncoding::Iso2022Jp);
            if (outcome == Outcome::WrongEncoding) {
                m_encodingType = kUtf8Type;
                outcome = runPass(TextEncoding::Utf8);
            }
        }
        switch (outcome) {
        case Outcome::Done:
            break;
        case Outcome::WrongEncoding:
            fail(u"\"%1\" is not text in UTF-8, Shift-JIS or ISO-2022-JP"_s.arg(path));
            return false;
        case Outcome::Cancelled:
            indicatorAtStep(kStepFailed, 0.0, kBlank);
            fail(u"the import was cancelled"_s);
            return false;
        case Outcome::OverBudget:
            indicatorAtStep(kStepFailed, 0.0, kBlank);
            fail(memoryRefusal(pass->neededMemory(), budget));
            return false;
        case Outcome::ReadError:
            fail(u"\"%1\" cannot be read: %2"_s.arg(path, pass ? pass->errorString() : source.errorString()));
            return false;
        }
        if (!linesReported)
            indicatorAtStep(kStepReading, 100.0, fileSizeString());
        takePass(*pass);
        pass.reset();

        if (!deliverCSVtoLMSConversionFile())
            return false;
        if (!m_errString.isEmpty() && !m_fileCachesFolderPathOfWork.isEmpty()
            && !WorkOfCachesFolder::writeCachesFolderForString(m_errString, m_fileCachesFolderPathOfWork,
                                                               kErrorFileName)) {
            qCWarning(lcConvert).noquote()
                << u"CSVtoLMSConversion: \"%1\" could not be written into \"%2\""_s.arg(
                       kErrorFileName, m_fileCachesFolderPathOfWork);
        }
        indicatorAtStep(kStepDone, 0.0, kBlank);
        return true;
    });
}

void CSVtoLMSConversion::takePass(CsvChunkImport &pass)
{
    m_crState = pass.sawCarriageReturn();
    m_columnTitlesArray = {Row::kIndicationKey, Row::kOptionKey};
    if (pass.titles()) {
        m_columnTitlesArray += pass.titles()->titles();
        m_renamedTitles = pass.titles()->renamingLines();
    }
    for (const QString &line : std::as_const(m_renamedTitles))
        m_errString += u"*** renamed: %1 ***\n"_s.arg(line);

    // The first two columns never grow beyond their initial width, so only
    // the fields are measured; a short row widens the columns it fills.
    const QList<qsizetype> &longest = pass.longestFields();
    if (!longest.isEmpty()) {
        m_columnTitlesWidthArray.fill(kInitialWidth, m_columnTitlesArray.size());
        for (qsizetype c = 0; c < longest.size(); ++c)
            makeTableCSVTitleWidthAtLength(longest.at(c) * 8 + 8, c + 2);
    }
    m_tableItemObjectArray = pass.takeRows();
    for (const CsvChunkImport::Rejection &rejection : pass.takeRejections())
        rejectRow(rejection);
}

void CSVtoLMSConversion::rejectRow(const CsvChunkImport::Rejection &rejection)
{
    ++m_errCount;
    m_errString += u"*** err:%1 ***\n"_s.arg(m_errCount);
    m_errString += rejection.text;
    m_errString += u'\n';
    if (rejection.unterminated)
        m_openQuoteLine = rejection.line;

    if (m_errCount <= kLoggedRejections) {
        indicatorAtStep(kStepRowRefused, 0.0, kBlank);
        const QString reason = rejection.unterminated
            ? u"rejected row %1 has a quote opened on line %2 that is never closed"_s.arg(m_errCount).arg(rejection.line)
            : u"rejected row %1 (line %2) has %3 of %4 fields"_s.arg(m_errCount).arg(rejection.line).arg(rejection.fields).arg(m_columnTitlesArray.size() - 2);
        ErrorLog::err(lcConvert(), kClassWords, u"makeTableCSVItemAtlengthArray", reason);
    } else if (m_errCount == kLoggedRejections + 1) {
        qCWarning(lcConvert).noquote() << u"CSVtoLMSConversion: further rejected rows are listed in \"%1\" only"_s.arg(kErrorFileName);
    }
}

void CSVtoLMSConversion::makeTableCSVTitleWidthAtLength(qsizetype width, qsizetype column)
{
    if (width <= 0 || column < 0 || column >= m_columnTitlesWidthArray.size())
        return;
    float &current = m_columnTitlesWidthArray[column];
    if (double(width) > double(current))
        current = width >= qsizetype(kMaximumWidth) ? kMaximumWidth : float(width);
}

QVariantMap CSVtoLMSConversion::makeTitleWidthDicWithArray() const
{
    QVariantMap widths;
    const qsizetype count = std::min(m_columnTitlesArray.size(), m_columnTitlesWidthArray.size());
    for (qsizetype i = 0; i < count; ++i)
        widths.insert(m_columnTitlesArray.at(i), QVariant(m_columnTitlesWidthArray.at(i)));
    return widths;
}

bool CSVtoLMSConversion::deliverCSVtoLMSConversionFile()
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"deliverCSVtoLMSConversionFile", false, [&] {
        const QString message = itemsMessage();
        auto item = std::make_shared<ListItem>();
        indicatorAtStep(kStepNewItem, 0.0, message);

        QString refusal;
        if (!item->registerColumnTitlesArray(m_columnTitlesArray)) {
            refusal = u"the file has no title line"_s;
        } else {
            indicatorAtStep(kStepTitles, 1.0, message);
            m_columnTitlesWidthDic = makeTitleWidthDicWithArray();
            if (!item->registerColumnTitlesWidthDic(m_columnTitlesWidthDic)) {
                refusal = u"the file has no data line"_s;
            } else {
                indicatorAtStep(kStepFilling, 10.0, message);
                if (!item->registerTableItemObjectArray(m_tableItemObjectArray))
                    refusal = u"no data line of the file was accepted (%1 rejected)"_s.arg(m_errCount);
            }
        }
        if (!refusal.isEmpty()) {
            if (m_openQuoteLine > 0)
                refusal = u"the quote opened on line %1 is never closed, so %2"_s.arg(m_openQuoteLine).arg(refusal);
            indicatorAtStep(kStepFailed, 0.0, fileSizeString());
            fail(u"\"%1\": %2"_s.arg(m_conversionRelevantFilePath, refusal));
            return false;
        }
        indicatorAtStep(kStepFilling, 20.0, message);
        item->registerConversionRelevantFilePath(m_conversionRelevantFilePath);
        item->registerEncodingType(m_encodingType);
        item->registerCrState(m_crState);

        if (m_postResult) {
            try {
                const QVariantMap result = {
                    {RequestKey::cachesFolderID, m_cachesFolderID},
                    {u"documentFileName"_s, m_documentFileName},
                    {kListItemKey, QVariant::fromValue(ListItemPtr(item))},
                };
                center().post(kDeliverNotification, result);
            } catch (...) {
                ErrorLog::err(lcConvert(), kClassWords, u"deliverCSVtoLMSConversionFile",
                              ErrorLog::currentExceptionName());
                indicatorAtStep(kStepRowRefused, 0.0, fileSizeString());
                m_failureReason = u"the list could not be delivered"_s;
                return false;
            }
        }
        m_listItem = std::move(item);
        indicatorAtStep(kStepDelivered, 100.0, fileSizeString());
        return true;
    });
}

bool CSVtoLMSConversion::encodingThreadOfThePGCLtoLMSConversion()
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"encodingThreadOfThePGCLtoLMSConversion", false, [&] {
        m_listItem.reset();
        const QString &path = m_conversionRelevantFilePath;
        CsvSource source;
        if (const QString refusal = source.open(path); !refusal.isEmpty()) {
            fail(u"\"%1\" %2"_s.arg(path, refusal));
            return false;
        }
        m_fileSize = source.size();
        // The bytes are held whole while they are decoded; how far the list
        // they hold may expand is bounded by the archive reader.
        const qint64 budget = memoryBudget();
        if (m_fileSize > budget) {
            fail(memoryRefusal(m_fileSize, budget));
            return false;
        }

        QByteArray buffer;
        buffer.reserve(qsizetype(m_fileSize));
        while (!source.atEnd()) {
            if (!source.read(buffer, kListFileChunk)) {
                fail(u"\"%1\" cannot be read: %2"_s.arg(path, source.errorString()));
                return false;
            }
            indicatorAtStep(kStepChunk, m_fileSize > 0 ? double(buffer.size()) / double(m_fileSize) * 100.0 : 100.0,
                            kReading);
        }
        source.close();
        indicatorAtStep(kStepChunksDone, 100.0, kReading);

        QString error;
        std::unique_ptr<ListItem> decoded
            = KeyedUnarchiver::unarchivedObject<ListItem>(std::as_const(buffer), kListItemKey, &error);
        buffer = QByteArray();
        if (!decoded) {
            fail(u"\"%1\" is not a readable list file: %2"_s.arg(path, error));
            return false;
        }
        m_listItem = std::shared_ptr<ListItem>(std::move(decoded));
        m_encodingType = m_listItem->encodingType();
        m_crState = m_listItem->crState();

        indicatorAtStep(kStepFilling, 0.0, u""_s);
        if (m_postResult) {
            const QVariantMap result = {
                {RequestKey::cachesFolderID, m_cachesFolderID},
                {u"documentFileName"_s, m_documentFileName},
                {kListItemKey, QVariant::fromValue(ListItemPtr(m_listItem))},
            };
            center().post(kDeliverNotification, result);
        }
        return true;
    });
}

bool CSVtoLMSConversion::saveCSVtoLMSConversionFiles()
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"saveCSVtoLMSConversionFiles", false, [&] {
        if (!m_listItem || m_fileCachesFolderPathOfWork.isEmpty())
            return false;
        indicatorAtStep(kStepNewItem, 0.0, kBlank);
        const QByteArray data = WorkOfCachesFolder::dataEncodWithObject(*m_listItem, kListItemKey);
        indicatorAtStep(kStepTitles, 50.0, kBlank);
        if (data.isEmpty())
            return false;
        indicatorAtStep(kStepFilling, 80.0, kBlank);
        if (!WorkOfCachesFolder::writeCachesFolderForData(data, m_fileCachesFolderPathOfWork, kSavedFileName))
            return false;
        indicatorAtStep(kStepDelivered, 100.0, kBlank);
        return true;
    });
}
