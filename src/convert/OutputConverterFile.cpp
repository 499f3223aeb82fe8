#include "OutputConverterFile.h"

#include "CsvUtf8Writer.h"
#include "list/ListItem.h"
#include "list/ProgressThrottle.h"
#include "platform/AlertSheetModal.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "platform/NotificationCenter.h"
#include "platform/TextCodec.h"
#include "tasks/ProgressReport.h"

#include <QSaveFile>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Output Converter File"_s;
static const QString kCsvMessage = u"csv"_s;
static const QString kListMessage = u"pgcl"_s;

enum : int {
    kStepStart = 71501,
    kStepBuilding = 71502,
    kStepWriting = 71503,
    kStepEnd = 71504,
    kAlertFailed = 71505,
};

// CSV text is encoded and written in pieces of about 1 MiB of UTF-16, so a
// list of millions of rows never exists as one text or one byte array.
constexpr qsizetype kChunkCharacters = 512 * 1024;

OutputConverterFile::OutputConverterFile()
{
    initializationUserObject();
}

OutputConverterFile::~OutputConverterFile() = default;

void OutputConverterFile::run(const QVariantMap &task)
{
    initializationUserObject();
    outputConverterFileWorkDictionary(task);
}

NotificationCenter &OutputConverterFile::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

void OutputConverterFile::initializationUserObject()
{
    m_filePath = QLatin1String("");
    m_fileType = CsvFile;
    m_encoding = 0;
    m_lineFeedCode = false;
    m_columnTitlesArray.clear();
    m_itemObjectArray.clear();
    m_columnTitlesWidthDic.clear();
    m_converterText.clear();
    m_output.reset();
    m_replacedCellCount = 0;
    m_exportAllRows = false;
    m_errorString = QLatin1String("");
}

bool OutputConverterFile::registerFilePath(const QString &value)
{
    return ModelText::registerString(m_filePath, value);
}

bool OutputConverterFile::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray.clear();
    switch (m_fileType) {
    case CsvFile:
        for (const QString &title : titles) {
            if (title != Row::kIndicationKey && title != Row::kOptionKey)
                m_columnTitlesArray.append(title);
        }
        break;
    case ListFile:
        m_columnTitlesArray = titles;
        break;
    default:
        break;
    }
    return !m_columnTitlesArray.isEmpty();
}

bool OutputConverterFile::registerItemObjectArray(const RowList &rows)
{
    m_itemObjectArray = rows;
    return !m_itemObjectArray.isEmpty();
}

bool OutputConverterFile::registerColumnTitlesWidthDic(const QVariantMap &dictionary)
{
    m_columnTitlesWidthDic = dictionary;
    return !m_columnTitlesWidthDic.isEmpty();
}

bool OutputConverterFile::registerConverterText(const QString &text)
{
    m_converterText.clear();
    return addConverterText(text);
}

bool OutputConverterFile::addConverterText(const QString &text)
{
    if (text.isEmpty())
        return false;
    m_converterText.appendText(text);
    return true;
}

std::optional<TextEncoding> OutputConverterFile::textEncodingForNumber(qint32 number)
{
    switch (number) {
    case 0:
        return TextEncoding::Utf8;
    case 1:
        return TextEncoding::ShiftJis;
    case 2:
        return TextEncoding::EucJp;
    default:
        return std::nullopt;
    }
}

void OutputConverterFile::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcConvert(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), NotificationName::notifIndicatorStepOfOutput, step, count, message);
    });
}

void OutputConverterFile::outputConverterFileWorkDictionary(const QVariantMap &request)
{
    const Result result = exportWorkDictionary(request);
    if (!result.success)
        AlertSheetModal::openAlert(kAlertFailed, u""_s);
}

OutputConverterFile::Result OutputConverterFile::exportWorkDictionary(const QVariantMap &request)
{
    m_replacedCellCount = 0;
    m_errorString = QLatin1String("");
    const bool written = ErrorLog::guarded(
        lcConvert(), kClassWords, u"outputConverterFileWorkDictionary", false, [&] {
            if (!storeRequest(request))
                return false;
            switch (m_fileType) {
            case CsvFile:
                return writeCsvFile();
            case ListFile:
                return writeListFile();
            default:
                return fail(u"unknown file type %1"_s.arg(m_fileType));
            }
        });
    // An uncommitted save file discards its temporary copy: the path keeps
    // whatever stood there before.
    m_output.reset();
    // Only the unwritten rest is worth keeping, and after a failure not even that.
    m_converterText.clear();

    Result result;
    result.success = written;
    if (written) {
        result.replacedCells = m_replacedCellCount;
        center().post(NotificationName::outputConverterNotif, m_filePath);
        if (m_replacedCellCount > 0) {
            const QVariantMap replaced = {
                {u"filePath"_s, m_filePath},
                {u"replacedCells"_s, qint64(m_replacedCellCount)},
            };
            center().post(NotificationName::outputConverterReplacedCharactersNotif, replaced);
        }
    } else {
        m_replacedCellCount = 0;
        if (m_errorString.isEmpty())
            m_errorString = u"the export failed unexpectedly"_s;
        result.errorString = m_errorString;
    }
    indicatorAtStep(kStepEnd, 100.0, u""_s);
    return result;
}

bool OutputConverterFile::storeRequest(const QVariantMap &request)
{
    if (request.isEmpty())
        return fail(u"empty export request"_s);
    registerFilePath(request.value(u"filePath"_s).toString());
    registerFileType(request.value(u"fileType"_s).toInt());
    registerEncoding(request.value(u"encoding"_s).toInt());
    registerLineFeedCode(request.value(u"lineFeedCode"_s).toBool());
    const bool titles = registerColumnTitlesArray(request.value(u"columnTitles"_s).toStringList());

    const QVariant rows = request.value(RequestKey::itemObject);
    if (rows.metaType() == QMetaType::fromType<RowList>()) {
        registerItemObjectArray(rows.value<RowList>());
    } else {
        // Callers outside the list model may hand dictionaries.
        RowList converted;
        const QVariantList maps = rows.toList();
        converted.reserve(maps.size());
        for (const QVariant &map : maps)
            converted.append(Row::fromVariantMap(map.toMap()));
        registerItemObjectArray(converted);
    }
    registerColumnTitlesWidthDic(request.value(u"columnTitlesWidthDic"_s).toMap());
    m_exportAllRows = request.value(u"exportAllRows"_s).toBool();

    if (!confirmFilePath())
        return fail(u"no file path to write"_s);
    if (!titles)
        return fail(u"no column titles to write for file type %1"_s.arg(m_fileType));
    return true;
}

bool OutputConverterFile::writeCsvFile()
{
    const std::optional<TextEncoding> encoding = textEncodingForNumber(m_encoding);
    if (!encoding)
        return fail(u"unsupported encoding %1"_s.arg(m_encoding));

    indicatorAtStep(kStepStart, 0.0, kCsvMessage);
    if (*encoding == TextEncoding::Utf8)
        return writeUtf8CsvFile();
    m_converterText.clear();
    m_converterText.reserve(kChunkCharacters + kChunkCharacters / 4);
    for (qsizetype column = 0; column < m_columnTitlesArray.size(); ++column)
        m_converterText.appendField(m_columnTitlesArray.at(column), column == 0);

    bool anyRowWritten = false;
    if (!appendMarkedRows(*encoding, &anyRowWritten))
        return false;
    if (!anyRowWritten)
        return fail(u"no marked row to export"_s);

    indicatorAtStep(kStepWriting, 0.0, kCsvMessage);
    if (!flushConverterText(*encoding))
        return false;
    return commitOutput();
}

bool OutputConverterFile::isExported(const Row &row) const
{
    return m_exportAllRows || row.indication() != 0;
}

template<class AppendRow>
bool OutputConverterFile::forEachExportedRow(AppendRow appendRow, bool *anyRowWritten)
{
    const RowList &rows = m_itemObjectArray;
    const qsizetype rowCount = rows.size();
    qint64 marked = 0;
    for (const Row &row : rows) {
        if (isExported(row))
            ++marked;
    }
    ProgressThrottle throttle(marked);

    const qsizetype columnCount = m_columnTitlesArray.size();
    // Cell positions by column, looked up again only when the schema changes
    // (rows of one list nearly always share a single schema).
    QList<qsizetype> positions(columnCount, -1);
    const RowSchema *schema = nullptr;

    qint64 written = 0;
    for (qsizetype r = 0; r < rowCount; ++r) {
        const Row &row = rows.at(r);
        if (!isExported(row))
            continue;
        ++written;
        if (throttle.visit(written == marked))
            indicatorAtStep(kStepBuilding, double(r) / double(rowCount) * 100.0, kCsvMessage);

        const RowSchema *rowSchema = row.schema().data();
        if (rowSchema != schema) {
            schema = rowSchema;
            for (qsizetype c = 0; c < columnCount; ++c)
                positions[c] = schema->indexOf(m_columnTitlesArray.at(c));
        }
        if (!appendRow(row, positions))
            return false;
    }
    *anyRowWritten = written > 0;
    return true;
}

bool OutputConverterFile::appendMarkedRows(TextEncoding encoding, bool *anyRowWritten)
{
    const QStringView lineBreak = m_lineFeedCode ? QStringView(u"\r\n") : QStringView(u"\n");
    return forEachExportedRow(
        [&](const Row &row, const QList<qsizetype> &positions) {
            m_converterText.appendText(lineBreak);
            for (qsizetype c = 0; c < positions.size(); ++c)
                m_converterText.appendField(row.cellTextAt(positions.at(c)), c == 0);
            return m_converterText.size() < kChunkCharacters || flushConverterText(encoding);
        },
        anyRowWritten);
}

bool OutputConverterFile::writeUtf8CsvFile()
{
    CsvUtf8Writer writer;
    writer.reserve(2 * kChunkCharacters + kChunkCharacters / 2);
    for (qsizetype column = 0; column < m_columnTitlesArray.size(); ++column)
        writer.appendField(m_columnTitlesArray.at(column), column == 0);
    const auto flush = [&] {
        if (!m_output && !openOutput())
            return false;
        if (m_output->write(writer.bytes()) != writer.size())
            return fail(m_output->errorString());
        writer.clear();
        return true;
    };
    bool anyRowWritten = false;
    const bool written = forEachExportedRow(
        [&](const Row &row, const QList<qsizetype> &positions) {
            if (m_lineFeedCode)
                writer.appendAscii("\r\n", 2);
            else
                writer.appendAscii("\n", 1);
            for (qsizetype c = 0; c < positions.size(); ++c)
                writer.appendField(row.cellTextAt(positions.at(c)), c == 0);
            return writer.size() < 2 * kChunkCharacters || flush();
        },
        &anyRowWritten);
    if (!written)
        return false;
    if (!anyRowWritten)
        return fail(u"no marked row to export"_s);
    indicatorAtStep(kStepWriting, 0.0, kCsvMessage);
    if (!flush())
        return false;
    m_replacedCellCount = writer.replacedFields();
    return commitOutput();
}

bool OutputConverterFile::flushConverterText(TextEncoding encoding)
{
    if (m_converterText.isEmpty())
        return true;
    if (!m_output && !openOutput())
        return false;
    qsizetype replaced = 0;
    const QByteArray bytes = TextCodec::encode(m_converterText.text(), encoding, &replaced);
    if (replaced > 0) {
        m_replacedCellCount +=
            countReplacedFields(0, m_converterText.fieldStarts().size(), replaced, encoding);
    }
    if (m_output->write(bytes) != bytes.size())
        return fail(m_output->errorString());
    m_converterText.clear();
    return true;
}

// The fields in [firstField, endField) of the unwritten text hold `replaced`
// unmappable characters; the fields holding any are found by halving, so a
// piece with a few bad cells costs a few encodes, not one per cell.
qsizetype OutputConverterFile::countReplacedFields(qsizetype firstField, qsizetype endField,
                                                   qsizetype replaced,
                                                   TextEncoding encoding) const
{
    if (replaced <= 0 || endField <= firstField)
        return 0;
    if (endField - firstField == 1)
        return 1;
    const QList<qsizetype> &starts = m_converterText.fieldStarts();
    const qsizetype middle = firstField + (endField - firstField) / 2;
    const QStringView text(m_converterText.text());
    qsizetype left = 0;
    TextCodec::encode(text.sliced(starts.at(firstField), starts.at(middle) - starts.at(firstField)),
                      encoding, &left);
    return countReplacedFields(firstField, middle, left, encoding)
           + countReplacedFields(middle, endField, replaced - left, encoding);
}

bool OutputConverterFile::writeListFile()
{
    indicatorAtStep(kStepStart, 0.0, kListMessage);
    ListItem item;
    item.initializationUserObject();
    const bool titles = item.registerColumnTitlesArray(m_columnTitlesArray);
    const bool widths = item.registerColumnTitlesWidthDic(m_columnTitlesWidthDic);
    const bool rows = item.registerTableItemObjectArray(m_itemObjectArray);
    if (!titles || !widths || !rows)
        return fail(u"a list file needs column titles, column widths and rows"_s);

    indicatorAtStep(kStepBuilding, 0.0, kListMessage);
    if (!openOutput())
        return false;
    KeyedArchiver archiver(m_output.get());
    archiver.encoder().encodeObject(item, u"ListItem");
    if (!archiver.finish())
        return fail(archiver.errorString());
    indicatorAtStep(kStepWriting, 0.0, kListMessage);
    return commitOutput();
}

bool OutputConverterFile::openOutput()
{
    m_output = std::make_unique<QSaveFile>(m_filePath);
    if (!m_output->open(QIODevice::WriteOnly))
        return fail(u"cannot write %1: %2"_s.arg(m_filePath, m_output->errorString()));
    return true;
}

bool OutputConverterFile::commitOutput()
{
    if (!m_output && !openOutput())
        return false;
    if (!m_output->commit())
        return fail(u"cannot write %1: %2"_s.arg(m_filePath, m_output->errorString()));
    m_output.reset();
    return true;
}

bool OutputConverterFile::fail(const QString &reason)
{
    if (m_errorString.isEmpty())
        m_errorString = reason;
    qCDebug(lcConvert) << "export failed:" << reason;
    return false;
}
