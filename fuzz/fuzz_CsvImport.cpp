// Feeds arbitrary bytes to the CSV and list-file import. The first byte picks
// the mode (bit 0: quoted fields, bit 1: list file); the rest is the file.
// Checks beyond "no crash":
//  - the splitter always advances and its fields lie inside the text or are
//    unescaped copies no longer than the record;
//  - an imported list has one title per field of its first line, all
//    different and none reserved, every row carries the shared schema with a
//    cell for each, and every width lies between 40 and 800;
//  - accepted plus rejected rows never exceed the number of records.
// Seeds: fuzz/corpus/CsvImport (the first byte of each is the mode).

#include "convert/CSVtoLMSConversion.h"
#include "convert/CsvLineSplitter.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSet>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

qsizetype checkSplitter(QStringView text, bool quoted)
{
    CsvLineSplitter splitter(text, quoted);
    const QChar *const begin = text.data();
    const QChar *const end = begin + text.size();
    qsizetype records = 0;
    qsizetype position = 0;
    while (splitter.next()) {
        ++records;
        if (splitter.position() <= position || splitter.position() > text.size())
            std::abort();
        position = splitter.position();
        if (splitter.fields().isEmpty() || splitter.readingLength() < 0)
            std::abort();
        for (const QStringView field : splitter.fields()) {
            const bool inside = field.data() >= begin && field.data() + field.size() <= end;
            if (!inside && (quoted ? field.size() > splitter.record().size() : true))
                std::abort();
        }
    }
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("rowsmith.*=false"));
        return true;
    }();
    Q_UNUSED(quiet);
    static QTemporaryDir dir;

    const bool quoted = data[0] & 1;
    const bool listFile = data[0] & 2;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::ShiftJis}) {
        bool ok = false;
        const QString text = TextCodec::decode(bytes, encoding, &ok);
        if (ok) {
            checkSplitter(text, quoted);
            break;
        }
    }

    const QString path = dir.filePath(listFile ? QStringLiteral("input.pgcl") : QStringLiteral("input.csv"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }
    CSVtoLMSConversion converter;
    QString error;
    const std::shared_ptr<ListItem> list = converter.importFile(path, quoted, &error);
    if (!list) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (listFile)
        return 0;

    // Records as the encoding the import settled on splits them.
    qsizetype records = -1;
    if (const auto encoding = textEncodingFromName(CSVtoLMSConversion::encodingName(list->encodingType()))) {
        bool ok = false;
        const QString text = TextCodec::decode(bytes, *encoding, &ok);
        if (ok)
            records = checkSplitter(text, quoted);
    }

    const QStringList titles = list->columnTitlesArray();
    if (titles.size() < 3 || titles.at(0) != QStringLiteral("NSRIndication"))
        std::abort();
    const QStringList own = titles.mid(2);
    if (QSet<QString>(own.cbegin(), own.cend()).size() != own.size() || own.contains(QStringLiteral("NSRIndication"))
        || own.contains(QStringLiteral("NSROption")) || own.contains(QString()))
        std::abort();
    const RowList rows = list->tableItemObjectArray();
    if (records >= 0 && rows.size() + converter.errCount() > records)
        std::abort();
    for (const Row &row : rows) {
        if (row.schema() != rows.first().schema() || row.indication() != 0
            || row.schema()->size() != titles.size() - 1)
            std::abort();
    }
    const QVariantMap widths = list->columnTitlesWidthDic();
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        const float width = it.value().toFloat();
        if (width < 40.0f || width > 800.0f)
            std::abort();
    }
    return 0;
}
