#include "ScriptCommands.h"

#include "CliExit.h"
#include "DocumentSession.h"
#include "platform/FileDescriptor.h"

#include "app/MyDocument.h"
#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/Localization.h"
#include "script/OptionObjectSource.h"
#include "app/OptionRun.h"
#include "script/OptionRunDriver.h"

#include <QEventLoop>

#include <memory>
#include "script/OptionSource.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMaxOptionFile = 1 << 20;
constexpr qint32 kUserReferenceState = 2632;

struct Streams
{
    QTextStream out{stdout};
    QTextStream err{stderr};
};

QString answerText(qint32 type, const QVariant &value)
{
    switch (type) {
    case 2:
        return QString::number(value.toFloat());
    case 5:
        return u"<image, %1 bytes>"_s.arg(value.toByteArray().size());
    case 7:
        return QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(value.toList())).toJson(QJsonDocument::Compact));
    case 8:
        return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(value.toMap())).toJson(QJsonDocument::Compact));
    default:
        return value.toString();
    }
}

void printAnswers(const OptionRunDriver::Result &result, Streams &io)
{
    for (const OptionRunDriver::SourceAnswer &answer : result.answers) {
        io.out << '[' << answer.index << "] " << answer.sourceTitle << ": ";
        if (answer.skipped)
            io.out << "skipped (manual; use --manual)\n";
        else
            io.out << "type " << answer.answerType << ": " << answerText(answer.answerType, answer.answerObject) << '\n';
    }
}

OptionRunDriver::Result runOptions(MyDocument *document, const OptionObjectSource &options, bool manual)
{
    OptionRunDriver::Options settings;
    settings.runManualSources = manual;
    std::unique_ptr<OptionRun> run(document->makeOptionRun(options, settings));
    QEventLoop loop;
    QObject::connect(run.get(), &OptionRun::finished, &loop, &QEventLoop::quit);
    run->start();
    loop.exec();
    return run->outcome().result;
}

} // namespace

int ScriptCommands::runOption(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Stores an option (a titled set of script sources) with a stored list. FILE.json holds\n"
        "{\"title\": O, \"sources\": [{\"title\": S, \"code\": CODE, \"automatic\": true,\n"
        "  \"userReference\": NAME}, ...]}; \"automatic\" defaults to true and \"userReference\",\n"
        "when given, keeps the source's answer for \"[User:NAME]\" in later sources."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package to change."_s);
    const QCommandLineOption listOption(u"list"_s, u"The list's title."_s, u"T"_s);
    const QCommandLineOption set(u"set"_s, u"The option to store, as JSON."_s, u"FILE.json"_s);
    parser.addOptions({listOption, set});
    Streams io;
    if (!parser.parse(arguments))
        return CliExit::usage(io.err, parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1 || !parser.isSet(listOption) || !parser.isSet(set))
        return CliExit::usage(io.err, u"option takes DOC.pgcd --list T --set FILE.json"_s);

    const QString optionFile = parser.value(set);
    QByteArray optionBytes;
    QString readError;
    if (!FileDescriptor::readRegularFile(optionFile, kMaxOptionFile, &optionBytes, &readError))
        return CliExit::failure(io.err, readError);
    QJsonParseError parseError;
    const QJsonObject json = QJsonDocument::fromJson(optionBytes, &parseError).object();
    if (parseError.error != QJsonParseError::NoError)
        return CliExit::failure(io.err, u"%1: %2"_s.arg(optionFile, parseError.errorString()));
    const QString optionTitle = json.value(u"title"_s).toString();
    const QJsonArray sourceArray = json.value(u"sources"_s).toArray();
    if (optionTitle.isEmpty() || sourceArray.isEmpty())
        return CliExit::failure(io.err, u"%1: needs a \"title\" and at least one source"_s.arg(optionFile));
    OptionSourceArray sources;
    for (const QJsonValue &value : sourceArray) {
        const QJsonObject object = value.toObject();
        OptionSource source;
        source.initializationUserObject();
        if (!source.registerSourceTitle(object.value(u"title"_s).toString())
            || !source.registerCodeText(object.value(u"code"_s).toString()))
            return CliExit::failure(io.err, u"every source needs a \"title\" and a \"code\""_s);
        source.registerPracticeState(object.value(u"automatic"_s).toBool(true));
        const QString reference = object.value(u"userReference"_s).toString();
        if (!reference.isEmpty()) {
            // The state is stored through its title, as the option editor does.
            source.registerReferenceAnswerTitle(
                Localization::textOrKey(Localization::kMainTable, u"0015Title"_s));
            if (source.referenceAnswerState() != kUserReferenceState)
                return CliExit::failure(io.err, u"user references are not available"_s);
            source.registerAnswerTitle(reference);
        }
        sources.append(source);
    }

    DocumentSession session;
    const QString title = parser.value(listOption);
    MyDocument *document = session.openList(parser.positionalArguments().constFirst(), title, true);
    if (!document)
        return CliExit::failure(io.err, session.errorString());
    OptionObjectSource *stored = document->listItem()->optionObjectSource();
    if (!stored->setOptionObject(sources, optionTitle) || !stored->readDevelopOptionTitle(optionTitle)
        || !document->storeCurrentListItem(title, false) || !session.save(document))
        return CliExit::failure(io.err, session.errorString());
    io.out << "stored option \"" << optionTitle << "\" (" << sources.size() << " sources) with list \""
           << title << "\"\n";
    return CliExit::kSuccess;
}

int ScriptCommands::runRun(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Runs a stored list's option scripts against the list, prints each source's answer and "
        "saves the document when cells changed."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package."_s);
    const QCommandLineOption listOption(u"list"_s, u"The list's title."_s, u"T"_s);
    const QCommandLineOption option(u"option"_s, u"The option to run (default: the list's current one)."_s, u"O"_s);
    const QCommandLineOption manual(u"manual"_s, u"Also run the sources marked manual."_s);
    const QCommandLineOption dryRun(u"dry-run"_s, u"Leave the document unchanged."_s);
    parser.addOptions({listOption, option, manual, dryRun});
    Streams io;
    if (!parser.parse(arguments))
        return CliExit::usage(io.err, parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1 || !parser.isSet(listOption))
        return CliExit::usage(io.err, u"run takes DOC.pgcd --list T"_s);

    DocumentSession session;
    const QString title = parser.value(listOption);
    MyDocument *document = session.openList(parser.positionalArguments().constFirst(), title, true);
    if (!document)
        return CliExit::failure(io.err, session.errorString());
    OptionObjectSource options(*document->listItem()->optionObjectSource());
    const QString optionTitle = parser.isSet(option) ? parser.value(option) : options.optionTitle();
    if (!optionTitle.isEmpty() && !options.readDevelopOptionTitle(optionTitle))
        return CliExit::failure(io.err, u"the list holds no option titled \"%1\""_s.arg(optionTitle));
    if (options.optionSourceArray().isEmpty())
        return CliExit::failure(io.err, u"the option has no sources to run"_s);

    const OptionRunDriver::Result result = runOptions(document, options, parser.isSet(manual));
    printAnswers(result, io);
    if (!result.success)
        return CliExit::failure(io.err, result.errorText);
    if (!document->isDocumentEdited()) {
        io.out << "no cell changed\n";
        return CliExit::kSuccess;
    }
    if (parser.isSet(dryRun)) {
        io.out << "cells changed; not saved (--dry-run)\n";
        return CliExit::kSuccess;
    }
    if (!document->storeCurrentListItem(title, false) || !session.save(document))
        return CliExit::failure(io.err, session.errorString());
    io.out << "cells changed; saved " << QFileInfo(document->filePath()).fileName() << '\n';
    return CliExit::kSuccess;
}

int ScriptCommands::runEval(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Evaluates one piece of script code against a stored list and prints the answer; "
        "the document is never changed."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package."_s);
    parser.addPositionalArgument(u"CODE"_s, u"The code, e.g. '[Command:items:row:0 title:[ColumnTitle:Price]]' (the first row's Price)."_s);
    const QCommandLineOption listOption(u"list"_s, u"The list's title."_s, u"T"_s);
    parser.addOption(listOption);
    Streams io;
    if (!parser.parse(arguments))
        return CliExit::usage(io.err, parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 2 || !parser.isSet(listOption))
        return CliExit::usage(io.err, u"eval takes DOC.pgcd --list T 'CODE'"_s);

    DocumentSession session;
    MyDocument *document = session.openList(parser.positionalArguments().constFirst(), parser.value(listOption));
    if (!document)
        return CliExit::failure(io.err, session.errorString());
    OptionSource source;
    source.initializationUserObject();
    source.registerSourceTitle(u"eval"_s);
    source.registerCodeText(parser.positionalArguments().at(1));
    source.registerPracticeState(true);
    OptionObjectSource options(*document->listItem()->optionObjectSource());
    options.setOptionObject({source}, u"eval"_s);
    options.readDevelopOptionTitle(u"eval"_s);

    const OptionRunDriver::Result result = runOptions(document, options, true);
    if (!result.success)
        return CliExit::failure(io.err, result.errorText);
    const OptionRunDriver::SourceAnswer answer = result.answers.isEmpty() ? OptionRunDriver::SourceAnswer()
                                                                          : result.answers.constLast();
    io.out << "type " << answer.answerType << ": " << answerText(answer.answerType, answer.answerObject) << '\n';
    if (document->isDocumentEdited())
        io.out << "(cells written by the code are not saved)\n";
    return CliExit::kSuccess;
}
