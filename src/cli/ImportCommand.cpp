#include "ImportCommand.h"

#include "CliExit.h"
#include "TerminalProgress.h"
#include "convert/CSVtoLMSConversion.h"
#include "convert/CsvSource.h"
#include "list/ListItem.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

std::shared_ptr<ListItem> ImportCommand::importFile(const QString &path, bool quoted,
                                                    ImportReport *report, QString *error,
                                                    QStringList *renamedTitles)
{
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("%1: no such file").arg(path);
        return nullptr;
    }
    if (const QString refusal = CsvSource::kindRefusal(path); !refusal.isEmpty()) {
        *error = QStringLiteral("%1 %2").arg(path, refusal);
        return nullptr;
    }
    CSVtoLMSConversion conversion;
    std::shared_ptr<ListItem> list;
    {
        TerminalProgress progress(QStringLiteral("importing"));
        list = conversion.importFile(path, quoted, error);
    }
    if (!list)
        return nullptr;
    report->sourcePath = path;
    report->encodingName = CSVtoLMSConversion::encodingName(list->encodingType());
    report->crLf = list->crState();
    report->rejectedRows = conversion.errCount();
    report->errorText = conversion.errString();
    if (renamedTitles)
        *renamedTitles = conversion.renamedTitles();
    return list;
}

int ImportCommand::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Imports a CSV file (UTF-8, Shift-JIS or ISO-2022-JP) or a list file (.pgcl) "
        "and prints what was found."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to import."));
    const QCommandLineOption quoted(
        QStringLiteral("quoted"),
        QStringLiteral("Read quoted fields (RFC 4180): commas, doubled quotes and line "
                       "breaks inside double quotes belong to the field."));
    const QCommandLineOption print(QStringLiteral("print"), QStringLiteral("Also print the rows as a table."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the whole list as JSON, for scripts."));
    parser.addOptions({quoted, print, json});

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(arguments))
        return CliExit::usage(err, parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1)
        return CliExit::usage(err, QStringLiteral("import takes exactly one FILE"));
    if (parser.isSet(print) && parser.isSet(json))
        return CliExit::usage(err, QStringLiteral("--print and --json exclude each other"));

    ImportReport report;
    QString error;
    QStringList renamed;
    const auto list = importFile(parser.positionalArguments().constFirst(), parser.isSet(quoted),
                                 &report, &error, &renamed);
    if (!list)
        return CliExit::failure(err, error);
    if (parser.isSet(json)) {
        ListItemPrinter::printJson(out, *list, report);
        return CliExit::kSuccess;
    }
    ListItemPrinter::printSummary(out, *list, report);
    for (const QString &line : std::as_const(renamed))
        out << "renamed:   " << line << '\n';
    if (parser.isSet(print)) {
        out << '\n';
        ListItemPrinter::printTable(out, *list);
    }
    if (report.rejectedRows > 0)
        out << "\nrejected rows:\n" << report.errorText;
    return CliExit::kSuccess;
}
