#include "CSVtoLMSConversion.h"

#include "CsvLineSplitter.h"

#include "platform/WorkOfCachesFolder.h"
#include "list/ProgressThrottle.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/TextCodec.h"
#include "tasks/ProgressReport.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kClassWords = u"CSVtoLMSConversion"_s;
const QString kStepNotification = u"notifIndicatorStepOfConversion"_s;
const QString kCancelNotification = u"notifCancelStepOfConversion"_s;
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

constexpr qsizetype kMaxReservedRows = qsizetype(1) << 24;

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

bool CSVtoLMSConversion::registerImportEncodingString(const QString &text)
{
    m_importEncodingString = text.isEmpty() ? u""_s : text;
    return !text.isEmpty();
}

bool CSVtoLMSConversion::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray = titles;
    return !m_columnTitlesArray.isEmpty();
}

bool CSVtoLMSConversion::registerImportHandlePath(const QString &path)
{
    m_importHandle.close();
    // Only regular files: a directory cannot be read and a pipe could block.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    m_importHandle.setFileName(path);
    return m_importHandle.open(QIODevice::ReadOnly);
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
        ProgressReport::post(center(), kStepNotification, step, count, message);
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
        m_cachesFolderID = task.value(u"cachesFolderID"_s).toInt();
        if (task.value(u"startSwitch"_s).toInt() != kStartSwitch) {
            fail(u"import refused: \"startSwitch\" is not 241"_s);
            return false;
        }
        if (!registerFileCachesFolderPathOfWork(task.value(u"fileCachesFolderPathOfWork"_s).toString())) {
            fail(u"import refused: no work folder"_s);
            return false;
        }
        if (!registerConversionRelevantFilePath(task.value(u"filePass"_s).toString())) {
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

bool CSVtoLMSConversion::readWholeFile(QByteArray *bytes)
{
    *bytes = QByteArray(qsizetype(m_fileSize), Qt::Uninitialized);
    qint64 done = 0;
    while (done < m_fileSize) {
        const qint64 got = m_importHandle.read(bytes->data() + done, m_fileSize - done);
        if (got < 0)
            return false;
        if (got == 0)
            break; // the file shrank since its size was read
        done += got;
    }
    bytes->truncate(qsizetype(done));
    return true;
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
        m_columnTitlesArray.clear();
        m_columnTitlesWidthArray.clear();
        m_columnTitlesWidthDic.clear();
        m_tableItemObjectArray.clear();
        m_listItem.reset();

        // The flag, not this object, is captured: the centre may call the
        // handler on another thread while this converter is being destroyed.
        const NotificationCenter::Token token = center().addObserver(
            kCancelNotification, nullptr,
            [flag = m_runThread](const Notification &) { flag->store(false, std::memory_order_relaxed); });
        const auto cleanup = qScopeGuard([&] {
            center().removeObserver(token);
            m_importEncodingString = QString();
            m_fileBytes = QByteArray();
            m_testedText = QString();
            m_importHandle.close();
        });

        const QString &path = m_conversionRelevantFilePath;
        const QFileInfo info(path);
        m_fileSize = info.isFile() ? info.size() : 0;
        indicatorAtStep(kStepReading, 0.0, fileSizeString());
        if (m_fileSize > kMaxFileSize) {
            fail(u"\"%1\" is larger than 1 GiB (%2 bytes) and is not imported"_s.arg(path).arg(m_fileSize));
            return false;
        }
        if (!registerImportHandlePath(path)) {
            fail(u"\"%1\" cannot be opened for reading"_s.arg(path));
            return false;
        }
        if (!readWholeFile(&m_fileBytes)) {
            fail(u"\"%1\" cannot be read: %2"_s.arg(path, m_importHandle.errorString()));
            return false;
        }

        // Each encoding tried decodes the bytes once; the text that passed is
        // kept for reading instead of being decoded again.
        indicatorAtStep(kStepReading, 20.0, fileSizeString());
        bool decoded = false;
        m_testedText = TextCodec::decode(m_fileBytes, TextEncoding::Utf8, &decoded);
        indicatorAtStep(kStepReading, 30.0, fileSizeString());
        if (decoded) {
            m_encodingType = kUtf8Type;
            indicatorAtStep(kStepReading, 50.0, fileSizeString());
        } else {
            m_testedText = TextCodec::decode(m_fileBytes, TextEncoding::ShiftJis, &decoded);
            indicatorAtStep(kStepReading, 50.0, fileSizeString());
            // ISO-2022-JP is taken untested; reading finds out whether it fits.
            m_encodingType = decoded ? kShiftJisType : kIso2022JpType;
        }
        m_testedEncoding = decoded ? m_encodingType : 0;
        indicatorAtStep(kStepReading, 60.0, fileSizeString());

        const QString text = readCSVFileDataOfLengthAtHandlePath(m_encodingType);
        if (!registerImportEncodingString(text)) {
            fail(text.isNull() ? u"\"%1\" is not text in UTF-8, Shift-JIS or ISO-2022-JP"_s.arg(path)
                               : u"\"%1\" holds no text"_s.arg(path));
            return false;
        }
        indicatorAtStep(kStepReading, 100.0, fileSizeString());

        if (!loopWhichConvertsOfTheEncodingString())
            return false;
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

QString CSVtoLMSConversion::readCSVFileDataOfLengthAtHandlePath(int encoding)
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"readCSVFileDataOfLengthAtHandlePath", QString(), [&] {
        indicatorAtStep(kStepReading, 70.0, fileSizeString());
        QString text;
        if (encoding == m_testedEncoding && !m_testedText.isNull()) {
            text = std::move(m_testedText);
        } else if (const std::optional<TextEncoding> chosen = encodingOfType(encoding)) {
            bool decoded = false;
            text = TextCodec::decode(m_fileBytes, *chosen, &decoded);
        }
        // The bytes are not needed once they are text (or are not text at all).
        m_fileBytes = QByteArray();
        m_testedText = QString();
        indicatorAtStep(kStepReading, 80.0, fileSizeString());
        indicatorAtStep(kStepReading, 90.0, fileSizeString());
        return text;
    });
}

bool CSVtoLMSConversion::loopWhichConvertsOfTheEncodingString()
{
    return ErrorLog::guarded(lcConvert(), kClassWords, u"loopWhichConvertsOfTheEncodingString", false, [&] {
        if (!confirmImportEncodingString()) {
            indicatorAtStep(kStepFailed, 0.0, kBlank);
            fail(u"there is no text to convert"_s);
            return false;
        }
        indicatorAtStep(kStepLines, 0.0, fileSizeString());
        m_columnTitlesArray = {Row::kIndicationKey, Row::kOptionKey};

        const QStringView text(m_importEncodingString);
        m_crState = text.contains(u'\r');
        const qsizetype plannedLines = CsvLineSplitter::estimateLineCount(text);
        // A file of nothing but line breaks must not reserve eight bytes per
        // byte up front; beyond the cap the list grows as rows arrive.
        m_tableItemObjectArray.reserve(std::min(plannedLines - 1, kMaxReservedRows));
        // A million lines report about a thousand times: every report is
        // queued to the main thread.
        ProgressThrottle throttle(plannedLines);

        CsvLineSplitter splitter(text, m_quotedFields);
        const double size = m_fileSize > 0 ? double(m_fileSize) : 1.0;
        qsizetype lineNumber = 0;
        qint64 bytesRead = 0;
        double progress = 0.0;
        while (splitter.next()) {
            try {
                const qint32 errorsBefore = m_errCount;
                m_readingLength = float(splitter.readingLength());
                bytesRead += splitter.readingLength();
                if (splitter.unterminatedQuote())
                    rejectRow(splitter.fields(), splitter.record());
                else if (lineNumber == 0)
                    makeTitles(splitter.fields());
                else
                    makeTableCSVItemAtlengthArray(splitter.fields());
                const bool report = throttle.visit();
                if (m_errCount > errorsBefore && (m_errCount == 1 || report))
                    indicatorAtStep(kStepRowRefused, 0.0, kBlank);
                if (report)
                    indicatorAtStep(kStepLines, progress * 100.0, fileSizeString());
            } catch (...) {
                ErrorLog::err(lcConvert(), kClassWords, u"loopWhichConvertsOfTheEncodingString while",
                              ErrorLog::currentExceptionName());
            }
            if (!runThread()) {
                indicatorAtStep(kStepFailed, 0.0, kBlank);
                m_tableItemObjectArray.clear();
                fail(u"the import was cancelled"_s);
                return false;
            }
            ++lineNumber;
            progress = double(bytesRead) / size;
        }
        // The rows hold their own copies; the text is the largest thing left.
        m_importEncodingString = QString();
        if (m_tableItemObjectArray.capacity() > 2 * m_tableItemObjectArray.size() + 1024)
            m_tableItemObjectArray.squeeze();
        return true;
    });
}

void CSVtoLMSConversion::makeTitles(const QList<QStringView> &fields)
{
    QStringList titles;
    titles.reserve(fields.size() + 2);
    titles << Row::kIndicationKey << Row::kOptionKey;
    for (const QStringView field : fields)
        titles.append(field.toString());
    registerColumnTitlesArray(titles);

    // A row is a dictionary by title: a title that occurs twice is one cell,
    // filled from its later column. A column titled "NSRIndication" cannot
    // take the place of the row's mark and is left out of the rows.
    QStringList schemaTitles{Row::kOptionKey};
    m_schemaColumn = {-1};
    QHash<QString, qsizetype> position{{Row::kOptionKey, 0}};
    for (qsizetype column = 0; column < fields.size(); ++column) {
        const QString &title = titles.at(column + 2);
        if (title == Row::kIndicationKey)
            continue;
        const auto found = position.constFind(title);
        if (found != position.cend()) {
            m_schemaColumn[found.value()] = column;
        } else {
            position.insert(title, schemaTitles.size());
            schemaTitles.append(title);
            m_schemaColumn.append(column);
        }
    }
    m_schema = RowSchema::make(schemaTitles);
    m_rowTexts.resize(schemaTitles.size());
}

bool CSVtoLMSConversion::makeTableCSVItemAtlengthArray(const QList<QStringView> &fields)
{
    const qsizetype titleCount = m_columnTitlesArray.size();
    if (!m_schema || titleCount <= 2)
        return false;
    // Values are ("", "") followed by the fields; the first two columns never
    // grow beyond their initial width, so only the fields are measured. A
    // short row widens the columns it does fill before it is refused.
    const qsizetype valueCount = fields.size() + 2;
    if (m_columnTitlesWidthArray.isEmpty())
        m_columnTitlesWidthArray.fill(kInitialWidth, titleCount);
    const qsizetype filled = std::min(titleCount, valueCount);
    for (qsizetype column = 2; column < filled; ++column)
        makeTableCSVTitleWidthAtLength(fields.at(column - 2).size() * 8 + 8, column);
    if (valueCount < titleCount) {
        rejectRow(fields, QStringView());
        return false;
    }
    for (qsizetype i = 0; i < m_schemaColumn.size(); ++i) {
        const qsizetype column = m_schemaColumn.at(i);
        m_rowTexts[i] = column < 0 ? QStringView() : fields.at(column);
    }
    m_tableItemObjectArray.append(Row::fromTexts(m_schema, m_rowTexts, 0, true));
    return true;
}

void CSVtoLMSConversion::rejectRow(const QList<QStringView> &fields, QStringView rawRecord)
{
    ++m_errCount;
    m_errString += u"*** err:%1 ***\n"_s.arg(m_errCount);
    if (!rawRecord.isNull()) {
        // An unterminated quote: the text as it stands, commas included.
        m_errString += rawRecord;
    } else {
        for (const QStringView field : fields)
            m_errString += field;
    }
    m_errString += u'\n';

    if (m_errCount <= kLoggedRejections) {
        const QString reason = rawRecord.isNull()
            ? u"rejected row %1 has %2 of %3 fields"_s.arg(m_errCount).arg(fields.size()).arg(m_columnTitlesArray.size() - 2)
            : u"rejected row %1 has an unterminated quote"_s.arg(m_errCount);
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
    // A title that occurs twice keeps the width of its later column.
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
                    {u"cachesFolderID"_s, m_cachesFolderID},
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
        const auto cleanup = qScopeGuard([&] { m_importHandle.close(); });
        const QString &path = m_conversionRelevantFilePath;
        if (!registerImportHandlePath(path)) {
            fail(u"\"%1\" cannot be opened for reading"_s.arg(path));
            return false;
        }
        m_fileSize = QFileInfo(path).size();
        if (m_fileSize > kMaxFileSize) {
            fail(u"\"%1\" is larger than 1 GiB (%2 bytes) and is not imported"_s.arg(path).arg(m_fileSize));
            return false;
        }

        QByteArray buffer;
        buffer.reserve(qsizetype(m_fileSize + kListFileChunk));
        qint64 total = 0;
        for (;;) {
            const qsizetype before = buffer.size();
            buffer.resize(before + kListFileChunk);
            const qint64 got = m_importHandle.read(buffer.data() + before, kListFileChunk);
            buffer.resize(before + std::max<qint64>(got, 0));
            if (got < 0) {
                fail(u"\"%1\" cannot be read: %2"_s.arg(path, m_importHandle.errorString()));
                return false;
            }
            if (got == 0)
                break;
            total += got;
            if (total > kMaxFileSize) {
                fail(u"\"%1\" grew beyond 1 GiB while it was read and is not imported"_s.arg(path));
                return false;
            }
            indicatorAtStep(kStepChunk, m_fileSize > 0 ? double(total) / double(m_fileSize) * 100.0 : 100.0,
                            kReading);
        }
        m_importHandle.close();
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
                {u"cachesFolderID"_s, m_cachesFolderID},
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
