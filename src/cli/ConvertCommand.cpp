#include "ConvertCommand.h"

#include "CliExit.h"
#include "ImportCommand.h"
#include "TerminalProgress.h"
#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "list/WritingForSearchObject.h"

#include <QCommandLineParser>
#include <QTextStream>

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

int ConvertCommand::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Imports FILE and exports its marked rows as CSV, or the whole list as a list file "
        "when OUT ends in .pgcl."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The CSV or list file to read."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write."), QStringLiteral("OUT"));
    const QCommandLineOption encoding(QStringLiteral("encoding"),
                                      QStringLiteral("utf-8 (default), shift-jis or euc-jp."),
                                      QStringLiteral("E"), QStringLiteral("utf-8"));
    const QCommandLineOption crlf(QStringLiteral("crlf"), QStringLiteral("End lines with CR-LF instead of LF."));
    const QCommandLineOption quoted(QStringLiteral("quoted"),
                                    QStringLiteral("Read FILE with quoted fields (RFC 4180)."));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("Mark and export every row."));
    const QCommandLineOption where(
        QStringLiteral("where"),
        QStringLiteral("Mark the rows whose TITLE column holds every keyword (blank- or "
                       "comma-separated, any letter case)."),
        QStringLiteral("TITLE:KEYWORDS"));
    parser.addOptions({output, encoding, crlf, quoted, all, where});

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(arguments))
        return CliExit::usage(err, parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1)
        return CliExit::usage(err, QStringLiteral("convert takes exactly one FILE"));
    if (!parser.isSet(output))
        return CliExit::usage(err, QStringLiteral("convert needs -o OUT"));
    if (parser.isSet(all) && parser.isSet(where))
        return CliExit::usage(err, QStringLiteral("--all and --where exclude each other"));
    const int encodingCode = encodingNumber(parser.value(encoding));
    if (encodingCode < 0)
        return CliExit::usage(err, QStringLiteral("unknown encoding \"%1\"").arg(parser.value(encoding)));
    QString whereTitle;
    QString whereKeywords;
    if (parser.isSet(where)) {
        const QString criterion = parser.value(where);
        const qsizetype colon = criterion.indexOf(u':');
        if (colon <= 0)
            return CliExit::usage(err, QStringLiteral("--where takes TITLE:KEYWORDS"));
        whereTitle = criterion.left(colon);
        whereKeywords = criterion.mid(colon + 1);
    }

    ImportReport report;
    QString error;
    const auto list = ImportCommand::importFile(parser.positionalArguments().constFirst(),
                                                parser.isSet(quoted), &report, &error);
    if (!list)
        return CliExit::failure(err, error);
    if (!whereTitle.isEmpty() && !list->columnTitlesArray().contains(whereTitle))
        return CliExit::failure(err, QStringLiteral("no column titled \"%1\"").arg(whereTitle));

    // Marks come from the file (a list file keeps its own) unless asked for.
    RowList rows = list->tableItemObjectArray();
    qsizetype marked = 0;
    for (Row &row : rows) {
        if (parser.isSet(all))
            row.setIndication(1);
        else if (!whereTitle.isEmpty())
            row.setIndication(WritingForSearchObject::targetedString(row.cellText(whereTitle), whereKeywords) ? 1 : 0);
        marked += row.indication() ? 1 : 0;
    }

    const QString target = parser.value(output);
    const bool listFile = target.endsWith(QLatin1String(".pgcl"), Qt::CaseInsensitive);
    const QVariantMap request{
        {QStringLiteral("targeted"), 715},
        {QStringLiteral("filePath"), target},
        {QStringLiteral("fileType"), listFile ? 1 : 0},
        {QStringLiteral("encoding"), encodingCode},
        {QStringLiteral("lineFeedCode"), parser.isSet(crlf)},
        {QStringLiteral("columnTitles"), list->columnTitlesArray()},
        {QStringLiteral("columnTitlesWidthDic"), list->columnTitlesWidthDic()},
        {QStringLiteral("itemObject"), QVariant::fromValue(rows)},
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
    out << "wrote " << target << ": " << (listFile ? rows.size() : marked) << " rows";
    if (report.rejectedRows > 0)
        out << " (" << report.rejectedRows << " rejected on import)";
    out << '\n';
    if (result.replacedCells > 0)
        err << "rowsmith-cli: " << result.replacedCells
            << " cells held characters the target encoding cannot represent; they were "
               "written as \"?\"\n";
    return CliExit::kSuccess;
}
