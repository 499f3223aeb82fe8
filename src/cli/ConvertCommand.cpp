#include "ConvertCommand.h"

#include "CliExit.h"
#include "ImportCommand.h"
#include "ListExport.h"
#include "ListItemPrinter.h"
#include "list/ListItem.h"

#include <QCommandLineParser>
#include <QTextStream>

int ConvertCommand::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Imports FILE and exports its marked rows as CSV, or the whole list as a list file "
        "when OUT ends in .pgcl."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The CSV or list file to read."));
    const QCommandLineOption quoted(QStringLiteral("quoted"),
                                    QStringLiteral("Read FILE with quoted fields (RFC 4180)."));
    parser.addOption(quoted);
    ListExport exporter;
    exporter.addOptions(parser);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(arguments))
        return CliExit::usage(err, parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1)
        return CliExit::usage(err, QStringLiteral("convert takes exactly one FILE"));
    QString usageError;
    if (!exporter.readOptions(parser, &usageError))
        return CliExit::usage(err, usageError);

    ImportReport report;
    QString error;
    QStringList renamed;
    const auto list = ImportCommand::importFile(parser.positionalArguments().constFirst(),
                                                parser.isSet(quoted), &report, &error, &renamed);
    if (!list)
        return CliExit::failure(err, error);
    for (const QString &line : std::as_const(renamed))
        err << "rowsmith-cli: " << line << '\n';
    return exporter.run(*list, report.rejectedRows, out, err);
}
