#include "ListExport.h"

#include "CliExit.h"
#include "TerminalProgress.h"
#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "list/WritingForSearchObject.h"

#include <QCommandLineParser>
#include <QTextStream>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

namespace {

// "utf-8" | "shift-jis" | "euc-jp" -> the export's encoding number.
int encodingNumber(const QString &name)
{
    const QString key = name.toLower().remove(u'_').remove(u'-');
    if (key == QLatin1String("utf8"))
        return 0;
    if (key == QLatin1String("shiftjis") || key == QLatin1String("sjis"))
        return 1;
    if (key == QLatin1String("eucjp"))
        return 2;
    return -1;
}

} // namespace

ListExport::ListExport()
    : m_output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The file to write."),
               QStringLiteral("OUT"))
    , m_encoding(QStringLiteral("encoding"), QStringLiteral("utf-8 (default), shift-jis or euc-jp."),
                 QStringLiteral("E"), QStringLiteral("utf-8"))
    , m_crlf(QStringLiteral("crlf"), QStringLiteral("End lines with CR-LF instead of LF."))
    , m_all(QStringLiteral("all"), QStringLiteral("Mark and export every row."))
    , m_where(QStringLiteral("where"),
              QStringLiteral("Mark the rows whose TITLE column holds every keyword (blank- or "
                             "comma-separated, any letter case)."),
              QStringLiteral("TITLE:KEYWORDS"))
{
}

void ListExport::addOptions(QCommandLineParser &parser) const
{
    parser.addOptions({m_output, m_encoding, m_crlf, m_all, m_where});
}

bool ListExport::readOptions(const QCommandLineParser &parser, QString *usageError)
{
    if (!parser.isSet(m_output)) {
        *usageError = QStringLiteral("-o OUT is needed");
        return false;
    }
    if (parser.isSet(m_all) && parser.isSet(m_where)) {
        *usageError = QStringLiteral("--all and --where exclude each other");
        return false;
    }
    m_encodingCode = encodingNumber(parser.value(m_encoding));
    if (m_encodingCode < 0) {
        *usageError = QStringLiteral("unknown encoding \"%1\"").arg(parser.value(m_encoding));
        return false;
    }
    if (parser.isSet(m_where)) {
        const QString criterion = parser.value(m_where);
        const qsizetype colon = criterion.indexOf(u':');
        if (colon <= 0) {
            *usageError = QStringLiteral("--where takes TITLE:KEYWORDS");
            return false;
        }
        m_whereTitle = criterion.left(colon);
        m_whereKeywords = criterion.mid(colon + 1);
    }
    m_target = parser.value(m_output);
    m_crlfSet = parser.isSet(m_crlf);
    m_allSet = parser.isSet(m_all);
    return true;
}

int ListExport::run(const ListItem &list, qsizetype rejectedOnImport, QTextStream &out, QTextStream &err) const
{
    if (!m_whereTitle.isEmpty() && !list.columnTitlesArray().contains(m_whereTitle))
        return CliExit::failure(err, QStringLiteral("no column titled \"%1\"").arg(m_whereTitle));

    // Marks come from the list itself unless asked for. A CSV of --all
    // leaves the rows as they are and asks the exporter for every one; a
    // list file stores the marks, so there every row is marked.
    const bool listFile = m_target.endsWith(QLatin1String(".pgcl"), Qt::CaseInsensitive);
    RowList rows = list.tableItemObjectArray();
    const bool allUnmarked = m_allSet && !listFile;
    qsizetype marked = allUnmarked ? rows.size() : 0;
    if (!allUnmarked) {
        for (Row &row : rows) {
            if (m_allSet)
                row.setIndication(1);
            else if (!m_whereTitle.isEmpty())
                row.setIndication(WritingForSearchObject::targetedString(row.cellText(m_whereTitle), m_whereKeywords) ? 1 : 0);
            marked += row.indication() ? 1 : 0;
        }
    }

    const QVariantMap request{
        {RequestKey::targeted, TaskCode::exportRows},
        {QStringLiteral("filePath"), m_target},
        {QStringLiteral("fileType"), listFile ? 1 : 0},
        {QStringLiteral("encoding"), m_encodingCode},
        {QStringLiteral("lineFeedCode"), m_crlfSet},
        {QStringLiteral("columnTitles"), list.columnTitlesArray()},
        {QStringLiteral("columnTitlesWidthDic"), list.columnTitlesWidthDic()},
        {RequestKey::itemObject, QVariant::fromValue(rows)},
        {QStringLiteral("exportAllRows"), allUnmarked},
    };
    OutputConverterFile exporter;
    exporter.initializationUserObject();
    OutputConverterFile::Result result;
    {
        TerminalProgress progress(QStringLiteral("exporting"));
        result = exporter.exportWorkDictionary(request);
    }
    if (!result.success) {
        if (!listFile && marked == 0)
            return CliExit::failure(err, QStringLiteral("no row is marked: nothing to export "
                                                        "(use --all or --where)"));
        return CliExit::failure(err, result.errorString);
    }
    out << "wrote " << m_target << ": " << (listFile ? rows.size() : marked) << " rows";
    if (rejectedOnImport > 0)
        out << " (" << rejectedOnImport << " rejected on import)";
    out << '\n';
    if (result.replacedCells > 0)
        err << "rowsmith-cli: " << result.replacedCells
            << " cells held characters the target encoding cannot represent; they were "
               "written as \"?\"\n";
    return CliExit::kSuccess;
}
