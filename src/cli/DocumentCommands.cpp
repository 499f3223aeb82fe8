#include "DocumentCommands.h"

#include "CliExit.h"
#include "DocumentSession.h"
#include "ListExport.h"
#include "ListItemPrinter.h"
#include "PasswordPrompt.h"
#include "storage/PackageEntries.h"
#include "platform/FileDescriptor.h"
#include "storage/PathGuard.h"

#include "app/MyDocument.h"
#include "convert/CSVtoLMSConversion.h"
#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/KeyedUnarchiver.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

namespace {

struct Streams
{
    QTextStream out{stdout};
    QTextStream err{stderr};
};

// Parses; answers -1 to go on, else the exit code to return at once.
int parse(QCommandLineParser &parser, const QStringList &arguments, Streams &io, const QString &command)
{
    if (!parser.parse(arguments))
        return CliExit::usage(io.err, parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(CliExit::kSuccess);
    if (parser.positionalArguments().size() != 1)
        return CliExit::usage(io.err, u"%1 takes exactly one DOC.pgcd"_s.arg(command));
    return -1;
}

ImportReport reportFor(const ListItem &list)
{
    ImportReport report;
    report.sourcePath = list.conversionRelevantFilePath();
    report.encodingName = CSVtoLMSConversion::encodingName(list.encodingType());
    report.crLf = list.crState();
    return report;
}

QStringList searchTitles(const QVariantMap &entry)
{
    return entry.value(u"searchObjectDic"_s).toMap().keys();
}

constexpr qint64 kRootFileLimit = qint64(64) << 20;

// A package file read whole, refused when it is no regular file or too large.
QByteArray readPackageFile(const QString &path, qint64 limit, QString *error)
{
    QByteArray bytes;
    QString reason;
    if (!FileDescriptor::readRegularFile(path, limit, &bytes, &reason)) {
        *error = u"%1 cannot be read: %2"_s.arg(QFileInfo(path).fileName(), reason);
        return {};
    }
    return bytes;
}

// info prints counts, titles and logs, which the root holds: reading it
// alone spares decoding the current list's rows. Null (with no error) when
// the package may be protected, so that the open flow asks for the password.
std::unique_ptr<DocumentSource> readUnprotectedRoot(const QString &package, QString *error)
{
    const QDir folder(package);
    // The same entry rules as a full open: what would not open is not summed up either.
    const std::optional<QList<PackageEntries::Entry>> entries = PackageEntries::regularFiles(package, error);
    if (!entries)
        return nullptr;
    bool hasRoot = false;
    for (const PackageEntries::Entry &entry : *entries) {
        const qint64 cap = PackageEntries::documentEntryCap(entry.name);
        if (cap > 0 && entry.size > cap) {
            *error = u"%1 is larger than %2 bytes"_s.arg(entry.name).arg(cap);
            return nullptr;
        }
        hasRoot = hasRoot || entry.name == PackageEntries::rootFileName();
    }
    if (!hasRoot) {
        *error = u"%1 holds no %2"_s.arg(package, PackageEntries::rootFileName());
        return nullptr;
    }
    if (QFileInfo::exists(folder.filePath(u"conditionOfTheFile.pagestyle"_s))) {
        QString ignored;
        const QByteArray record = readPackageFile(folder.filePath(u"conditionOfTheFile.pagestyle"_s), 1 << 20, &ignored);
        KeyedUnarchiver unarchiver(record);
        const QVariantMap condition = unarchiver.root().decodeVariantMap(u"protectFileByPassword");
        if (!unarchiver.isValid() || condition.value(u"protectFileByPasswordWithState"_s).toBool())
            return nullptr;
    }
    const QString rootPath = folder.filePath(u"documentSource.pagestyle"_s);
    const QByteArray bytes = readPackageFile(rootPath, kRootFileLimit, error);
    if (bytes.isEmpty()) {
        if (error->isEmpty())
            *error = u"documentSource.pagestyle is empty"_s;
        return nullptr;
    }
    QString reason;
    auto root = KeyedUnarchiver::unarchivedObject<DocumentSource>(bytes, u"documentSource", &reason);
    if (!root) {
        *error = u"documentSource.pagestyle cannot be read: %1"_s.arg(reason);
        return nullptr;
    }
    if (root->privatePasswordWithState())
        return nullptr;
    return root;
}

} // namespace

int DocumentCommands::runNew(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Makes a document package holding each FILE as a stored list."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package to make; it must not exist."_s);
    const QCommandLineOption import(u"import"_s, u"A CSV or list file to import; may be repeated."_s, u"FILE"_s);
    const QCommandLineOption title(u"title"_s, u"The list's title (default: FILE's name); one per --import."_s, u"T"_s);
    const QCommandLineOption quoted(u"quoted"_s, u"Read FILE with quoted fields (RFC 4180)."_s);
    const QCommandLineOption protect(
        u"protect"_s, u"Lock the package with a password title and password, read like when "
                      "opening (ROWSMITH_PASSWORD_TITLE / ROWSMITH_PASSWORD, ROWSMITH_PASSWORD_FD, "
                      "or the terminal). This locks opening; it does not encrypt."_s);
    parser.addOptions({import, title, quoted, protect});
    Streams io;
    if (const int code = parse(parser, arguments, io, u"new"_s); code >= 0)
        return code;
    if (!parser.isSet(import))
        return CliExit::usage(io.err, u"new needs --import FILE"_s);
    const QString target = QFileInfo(DocumentSession::packagePath(parser.positionalArguments().constFirst())).absoluteFilePath();
    const QStringList sources = parser.values(import);
    const QStringList titles = parser.values(title);
    if (!titles.isEmpty() && titles.size() != sources.size())
        return CliExit::usage(io.err, u"give one --title per --import, or none"_s);
    for (const QString &source : sources) {
        QString reason;
        if (!FileDescriptor::openRegularFile(source, nullptr, &reason).isValid())
            return CliExit::failure(io.err, u"%1: %2"_s.arg(source, reason));
    }

    DocumentSession session;
    if (!session.isReady())
        return CliExit::failure(io.err, session.errorString());
    // Held from here to the end, so that a second "new" waits for nothing
    // and is refused; the save itself refuses a name taken meanwhile.
    if (!session.lockForWriting(target))
        return CliExit::failure(io.err, session.errorString());
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return CliExit::failure(io.err, u"%1 exists already"_s.arg(target));
    if (parser.isSet(protect)) {
        PasswordPrompt::Credentials credentials;
        QString error;
        if (!PasswordPrompt::read(QFileInfo(target).fileName(), &credentials, &error))
            return CliExit::failure(io.err, error);
        if (!session.protectWith(credentials.title, credentials.password))
            return CliExit::failure(io.err, u"the password cannot be set"_s);
    }
    MyDocument *document = session.newDocument();
    if (!document)
        return CliExit::failure(io.err, u"cannot make a document"_s);
    QStringList made;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString &source = sources.at(i);
        const bool imported = document->selfIndicator(QVariantMap{
            {RequestKey::targeted, TaskCode::importFile},
            {RequestKey::cachesFolderID, document->cachesFolderID()},
            {RequestKey::startSwitch, 241},
            {RequestKey::filePass, QFileInfo(source).absoluteFilePath()},
            {u"fileCachesFolderPathOfWork"_s, document->rootCachesFolder()->fileCachesFolderPathOfWork()},
            {u"documentFileName"_s, document->documentFileName()},
            {u"quotedFields"_s, parser.isSet(quoted)},
        });
        const ListItem *list = document->listItem();
        if (!imported || list->rowCount() == 0)
            return CliExit::failure(io.err, u"%1 gave no rows"_s.arg(source));
        const QString listTitle = titles.isEmpty() ? QFileInfo(source).completeBaseName() : titles.at(i);
        if (listTitle.isEmpty() || !document->storeCurrentListItem(listTitle))
            return CliExit::failure(io.err, u"the list cannot be stored under \"%1\""_s.arg(listTitle));
        made << u"list \"%1\", %2 rows, %3 columns"_s.arg(listTitle)
                    .arg(list->rowCount())
                    .arg(list->columnTitlesArray().size());
    }
    if (!session.save(document, target))
        return CliExit::failure(io.err, session.errorString());
    io.out << "made " << target << ": " << made.join(u"; "_s) << '\n';
    return CliExit::kSuccess;
}

int DocumentCommands::runInfo(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Prints a document's lists, their rows, searches and work logs."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package to read."_s);
    const QCommandLineOption json(u"json"_s, u"Print JSON, for scripts."_s);
    parser.addOption(json);
    Streams io;
    if (const int code = parse(parser, arguments, io, u"info"_s); code >= 0)
        return code;
    const QString package = DocumentSession::packagePath(parser.positionalArguments().constFirst());
    if (!QFileInfo(package).isDir())
        return CliExit::failure(io.err, u"%1: not a document package"_s.arg(package));
    QString error;
    std::unique_ptr<DocumentSource> unprotected = readUnprotectedRoot(package, &error);
    if (!error.isEmpty())
        return CliExit::failure(io.err, u"%1: %2"_s.arg(package, error));
    DocumentSession session;
    MyDocument *document = nullptr;
    if (!unprotected) {
        document = session.openPackage(package);
        if (!document)
            return CliExit::failure(io.err, session.errorString());
    }
    const DocumentSource *root = document ? document->documentSource() : unprotected.get();
    const QString fileName = document ? document->documentFileName() : QFileInfo(package).fileName();
    const ListItemsSource *lists = root->listItemsSource();
    const QVariantMap directory = lists->originalOfTheListItemsDic();
    const QStringList ids = lists->listItemIDStrings();
    if (parser.isSet(json)) {
        QJsonArray listArray;
        for (const QString &id : ids) {
            const QVariantMap entry = directory.value(id).toMap();
            const QString title = entry.value(u"listItemTitle"_s).toString();
            QJsonObject object{
                {u"id"_s, id},
                {u"title"_s, title},
                {u"rows"_s, entry.value(u"itemCount"_s).toLongLong()},
                {u"searches"_s, QJsonArray::fromStringList(searchTitles(entry))},
            };
            if (lists->itemLogListDictionary().contains(title))
                object.insert(u"workLog"_s, lists->itemLogListDictionary().value(title).logText());
            listArray.append(object);
        }
        const QJsonObject top{
            {u"document"_s, fileName},
            {u"protected"_s, root->privatePasswordWithState()},
            {u"currentList"_s, lists->listItemTitle()},
            {u"lists"_s, listArray},
            {u"workLog"_s, root->logText()},
        };
        io.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
        return CliExit::kSuccess;
    }
    io.out << fileName << (root->privatePasswordWithState() ? " (protected)" : "")
           << '\n';
    io.out << "lists: " << ids.size() << '\n';
    for (const QString &id : ids) {
        const QVariantMap entry = directory.value(id).toMap();
        io.out << "  \"" << entry.value(u"listItemTitle"_s).toString() << "\" (" << id << "): "
               << entry.value(u"itemCount"_s).toLongLong() << " rows";
        const QStringList searches = searchTitles(entry);
        if (!searches.isEmpty())
            io.out << "; searches: " << searches.join(u", "_s);
        io.out << '\n';
    }
    if (lists->confirmListItemTitle())
        io.out << "current list: \"" << lists->listItemTitle() << "\"\n";
    io.out << "\nwork log:\n" << root->logText();
    const ItemLogDictionary &logs = lists->itemLogListDictionary();
    for (auto it = logs.cbegin(); it != logs.cend(); ++it)
        io.out << "\nwork log of \"" << it.key() << "\":\n" << it.value().logText();
    return CliExit::kSuccess;
}

int DocumentCommands::runShow(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Prints one stored list of a document."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package to read."_s);
    const QCommandLineOption listOption(u"list"_s, u"The list's title."_s, u"T"_s);
    const QCommandLineOption print(u"print"_s, u"Also print the rows as a table."_s);
    const QCommandLineOption json(u"json"_s, u"Print the whole list as JSON, for scripts."_s);
    parser.addOptions({listOption, print, json});
    Streams io;
    if (const int code = parse(parser, arguments, io, u"show"_s); code >= 0)
        return code;
    if (!parser.isSet(listOption))
        return CliExit::usage(io.err, u"show needs --list T"_s);
    if (parser.isSet(print) && parser.isSet(json))
        return CliExit::usage(io.err, u"--print and --json exclude each other"_s);
    DocumentSession session;
    MyDocument *document = session.openList(parser.positionalArguments().constFirst(), parser.value(listOption));
    if (!document)
        return CliExit::failure(io.err, session.errorString());
    const ListItem &list = *document->listItem();
    if (parser.isSet(json)) {
        ListItemPrinter::printJson(io.out, list, reportFor(list));
        return CliExit::kSuccess;
    }
    ListItemPrinter::printSummary(io.out, list, reportFor(list));
    if (parser.isSet(print)) {
        io.out << '\n';
        ListItemPrinter::printTable(io.out, list);
    }
    return CliExit::kSuccess;
}

int DocumentCommands::runExport(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Exports a stored list of a document: its marked rows as CSV, "
                                     "or the whole list as a list file when OUT ends in .pgcl."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DOC.pgcd"_s, u"The package to read."_s);
    const QCommandLineOption listOption(u"list"_s, u"The list's title."_s, u"T"_s);
    parser.addOption(listOption);
    ListExport exporter;
    exporter.addOptions(parser);
    Streams io;
    if (const int code = parse(parser, arguments, io, u"export"_s); code >= 0)
        return code;
    if (!parser.isSet(listOption))
        return CliExit::usage(io.err, u"export needs --list T"_s);
    QString usageError;
    if (!exporter.readOptions(parser, &usageError))
        return CliExit::usage(io.err, usageError);
    DocumentSession session;
    MyDocument *document = session.openList(parser.positionalArguments().constFirst(), parser.value(listOption));
    if (!document)
        return CliExit::failure(io.err, session.errorString());
    if (PathGuard::isInside(exporter.outputPath(), session.openPackagePath()))
        return CliExit::failure(io.err, u"%1 is inside the package being read; choose a path outside it"_s.arg(
                                            exporter.outputPath()));
    return exporter.run(*document->listItem(), 0, io.out, io.err);
}
