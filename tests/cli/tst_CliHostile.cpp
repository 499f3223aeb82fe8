#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "storage/PackageLock.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Every run is bounded: a hostile input must end in a clear failure, not in
// a process that hangs or eats the machine. Sanitizers reserve far more
// address space than they use, so there only time is bounded.
constexpr int kRunLimitMs = 60000;
constexpr rlim_t kAddressSpace = rlim_t(3) << 30;

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

void boundMemory()
{
    if (kSanitized)
        return;
    const rlimit limit{kAddressSpace, kAddressSpace};
    ::setrlimit(RLIMIT_AS, &limit);
}

void startCli(QProcess &process, const QStringList &arguments, const QProcessEnvironment &environment)
{
    process.setProcessEnvironment(environment);
    process.setProgram(QStringLiteral(ROWSMITH_CLI));
    process.setArguments(arguments);
    process.setChildProcessModifier(boundMemory);
    process.start();
}

Run finish(QProcess &process)
{
    if (!process.waitForFinished(kRunLimitMs)) {
        process.kill();
        process.waitForFinished();
        return {-2, {}, "did not finish"};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {-3, {}, process.readAllStandardError()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Run cli(const QStringList &arguments, const QProcessEnvironment &environment, const QByteArray &input = {})
{
    QProcess process;
    startCli(process, arguments, environment);
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

QByteArray linkTarget(const QString &path)
{
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target.data(), size_t(target.size()));
    return length < 0 ? QByteArray() : target.left(length);
}

// Copies a folder as it is: links stay links.
bool copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString target = QDir(to).filePath(entry.fileName());
        const bool copied = entry.isSymLink()
            ? ::symlink(linkTarget(entry.filePath()).constData(), QFile::encodeName(target).constData()) == 0
            : entry.isDir() ? copyTree(entry.filePath(), target) : QFile::copy(entry.filePath(), target);
        if (!copied)
            return false;
    }
    return true;
}

// Names and contents of the folder's entries, to tell that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : infos) {
        QFile file(info.filePath());
        const QByteArray content = info.isSymLink() ? "-> " + linkTarget(info.filePath())
            : info.isFile() && file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                                              : "<folder>";
        entries.insert(info.fileName(), content);
    }
    return entries;
}

QStringList entriesMatching(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_CliHostile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;

    // A private temporary folder, so that the tool's sweeps of abandoned
    // runs see only this test's.
    QString temporaryFolder() const { return m_dir.filePath(u"tmp"_s); }

    QProcessEnvironment environment(const QVariantMap &extra = {}) const
    {
        QProcessEnvironment environment = m_environment;
        for (auto it = extra.cbegin(); it != extra.cend(); ++it)
            environment.insert(it.key(), it.value().toString());
        return environment;
    }

    QVariantMap password(const QString &title = u"keeper"_s, const QString &secret = u"s3cret"_s) const
    {
        return {{u"ROWSMITH_PASSWORD_TITLE"_s, title}, {u"ROWSMITH_PASSWORD"_s, secret}};
    }

    // A fresh two-list package ("Stock" and "Other").
    QString makePackage(const QString &name, const QVariantMap &extra = {}, const QStringList &options = {})
    {
        const QString csv = m_dir.filePath(u"stock.csv"_s);
        const QString other = m_dir.filePath(u"other.csv"_s);
        if (!writeFile(csv, "ID0,Name,Count\n1,bolt,10\n2,nut,25\n") || !writeFile(other, "Code,Price\nA,1\n"))
            return {};
        const QString package = m_dir.filePath(name);
        const Run run = cli(QStringList{u"new"_s, package, u"--import"_s, csv, u"--title"_s, u"Stock"_s,
                                        u"--import"_s, other, u"--title"_s, u"Other"_s} + options,
                            environment(extra));
        return run.code == 0 ? package : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(temporaryFolder()));
        m_environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"ROWSMITH_PASSWORD"_s, u"ROWSMITH_PASSWORD_TITLE"_s, u"ROWSMITH_PASSWORD_FD"_s})
            m_environment.remove(name);
        m_environment.insert(u"TMPDIR"_s, temporaryFolder());
        m_environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    }

    void damagedPackagesFailClearly()
    {
        const QString data = QStringLiteral(ROWSMITH_HOSTILE_DATA "/packages");
        QFile manifest(data + u"/cases.json"_s);
        QVERIFY(manifest.open(QIODevice::ReadOnly));
        const QJsonArray cases = QJsonDocument::fromJson(manifest.readAll()).array();
        QVERIFY(cases.size() >= 15);
        for (const QJsonValue &value : cases) {
            const QJsonObject entry = value.toObject();
            const QString name = entry.value(u"name"_s).toString();
            const QString folder = m_dir.filePath(u"cases/"_s + name);
            QVERIFY2(copyTree(data + u'/' + name, folder), qPrintable(name));
            const QString package = folder + u"/DOC.pgcd"_s;
            int step = 0;
            for (const QJsonValue &checkValue : entry.value(u"checks"_s).toArray()) {
                const QJsonObject check = checkValue.toObject();
                QStringList arguments;
                for (const QJsonValue &argument : check.value(u"args"_s).toArray()) {
                    const QString text = argument.toString();
                    arguments.append(text == u"DOC"_s        ? package
                                     : text == u"OPTION"_s   ? folder + u"/option.json"_s
                                     : text.startsWith(u"OUT/"_s) ? folder + text.mid(3)
                                                                  : text);
                }
                const int code = check.value(u"code"_s).toInt();
                const auto before = snapshot(package);
                const Run run = cli(arguments, environment(check.value(u"env"_s).toObject().toVariantMap()));
                const QByteArray context = name.toUtf8() + " #" + QByteArray::number(step++) + ": " + run.err;
                QVERIFY2(run.code == code, context.constData());
                // Each failure is told once.
                QList<QByteArray> lines = run.err.trimmed().split('\n');
                std::sort(lines.begin(), lines.end());
                QVERIFY2(std::adjacent_find(lines.cbegin(), lines.cend()) == lines.cend(), context.constData());
                if (code != 0) {
                    QVERIFY2(run.err.contains(check.value(u"stderr"_s).toString().toUtf8()), context.constData());
                    QVERIFY2(snapshot(package) == before, context.constData());
                } else {
                    QVERIFY2(run.out.contains(check.value(u"stdout"_s).toString().toUtf8()), context.constData());
                }
            }
        }
        // Opening took only the document's own entries, so the save wrote only those.
        QCOMPARE(QDir(m_dir.filePath(u"cases/extra-entries/DOC.pgcd"_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{u"conditionOfTheFile.pagestyle"_s, u"documentSource.pagestyle"_s,
                              u"id0.listItems"_s, u"id1.listItems"_s}));
    }

    void specialFilesAreRefused()
    {
        const QString package = makePackage(u"Special.pgcd"_s);
        QVERIFY(!package.isEmpty());
        const QString fifo = m_dir.filePath(u"fifo"_s);
        QVERIFY(makeFifo(fifo));
        const auto before = snapshot(package);

        // Files the tool is given: a device, a pipe, a folder.
        for (const auto &[path, reason] : {std::pair{u"/dev/zero"_s, "a device"}, std::pair{fifo, "a pipe"},
                                           std::pair{m_dir.path(), "a folder"}}) {
            const Run run = cli({u"option"_s, package, u"--list"_s, u"Stock"_s, u"--set"_s, path}, environment());
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(reason), run.err.constData());
        }
        // Nothing is written inside the package being read, however the path is spelled.
        QVERIFY(QFile::link(package, m_dir.filePath(u"alias"_s)));
        for (const QString &out : {package + u"/id0.listItems"_s, m_dir.filePath(u"alias/new.csv"_s)}) {
            const Run run = cli({u"export"_s, package, u"--list"_s, u"Stock"_s, u"-o"_s, out, u"--all"_s}, environment());
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains("inside the package"), run.err.constData());
        }
        QCOMPARE(snapshot(package), before);

        // Entries that are no files, or far larger than any real one, fail
        // the open at once instead of being copied.
        const QString copy = m_dir.filePath(u"SpecialCopy.pgcd"_s);
        const QList<std::tuple<QString, qint64, QByteArray>> entries{
            {u"id1.listItems"_s, (qint64(4) << 30) + 1, "id1.listItems is larger than"},
            {u"documentSource.pagestyle"_s, (qint64(64) << 20) + 1, "documentSource.pagestyle is larger than"},
            {u"documentSource.pagestyle"_s, -1, "holds no documentSource.pagestyle"},
        };
        for (const auto &[entry, size, reason] : entries) {
            QVERIFY(QDir(copy).removeRecursively() && copyTree(package, copy));
            const QString path = copy + u'/' + entry;
            QVERIFY(QFile::remove(path));
            QVERIFY(size < 0 ? makeFifo(path) : writeFile(path, {}) && QFile::resize(path, size));
            const Run run = cli({u"info"_s, copy}, environment());
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(reason), run.err.constData());
        }
    }

    void passwordDescriptor()
    {
        // Longer than any fixed buffer, and not ASCII.
        const QString longPassword = QString(3000, u'\u00e9');
        const QString package = makePackage(u"Locked.pgcd"_s, password(u"keeper"_s, longPassword), {u"--protect"_s});
        QVERIFY(!package.isEmpty());
        const QProcessEnvironment fd0 = environment({{u"ROWSMITH_PASSWORD_FD"_s, u"0"_s}});
        Run run = cli({u"info"_s, package}, fd0, "keeper\n" + longPassword.toUtf8() + '\n');
        QVERIFY2(run.code == 0, run.err.constData());

        const QList<std::pair<QByteArray, QByteArray>> refused{
            {"keeper\n" + QByteArray(70000, 'x') + '\n', "more than 65536 bytes"},
            {"keeper\n\xff\xfe\xe9\n", "not UTF-8"},
            {QByteArray(), "closed without giving anything"},
            {"keeper\n", "a title line and a password line"},
        };
        for (const auto &[input, reason] : refused) {
            run = cli({u"info"_s, package}, fd0, input);
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(reason), run.err.constData());
        }
        run = cli({u"info"_s, package}, environment({{u"ROWSMITH_PASSWORD_FD"_s, u"987"_s}}));
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("not an open descriptor"), run.err.constData());
    }

    void writersExcludeEachOther()
    {
        const QString package = makePackage(u"Shared.pgcd"_s);
        QVERIFY(!package.isEmpty());
        const QString option = m_dir.filePath(u"option.json"_s);
        QVERIFY(writeFile(option, R"({"title": "t", "sources": [{"title": "s", "code": "=1"}]})"));
        const QStringList store{u"option"_s, package, u"--list"_s, u"Stock"_s, u"--set"_s, option};
        {
            // Another writer (here: this test) holds the package.
            PackageLock held(package);
            QVERIFY(held.tryLock());
            const auto before = snapshot(package);
            Run run = cli(store, environment());
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains("already open for writing"), run.err.constData());
            QCOMPARE(snapshot(package), before);
            // Readers are not writers.
            QCOMPARE(cli({u"info"_s, package}, environment()).code, 0);
        }
        QCOMPARE(cli(store, environment()).code, 0);

        // Two "new" runs on one path: one makes it, the other is refused.
        const QString csv = m_dir.filePath(u"stock.csv"_s);
        const QString target = m_dir.filePath(u"Race.pgcd"_s);
        QProcess first;
        QProcess second;
        startCli(first, {u"new"_s, target, u"--import"_s, csv}, environment());
        startCli(second, {u"new"_s, target, u"--import"_s, csv}, environment());
        const QList<Run> runs{finish(first), finish(second)};
        int made = 0;
        for (const Run &run : runs) {
            made += run.code == 0 ? 1 : 0;
            QVERIFY2(run.code == 0 || run.err.contains("already open for writing") || run.err.contains("exists already"),
                     run.err.constData());
        }
        QCOMPARE(made, 1);
        QCOMPARE(cli({u"info"_s, target}, environment()).code, 0);

        // Two saves of one package: each saves whole or is refused.
        QProcess left;
        QProcess right;
        startCli(left, store, environment());
        startCli(right, store, environment());
        for (const Run &run : {finish(left), finish(right)})
            QVERIFY2(run.code == 0 || run.err.contains("already open for writing"), run.err.constData());
        QCOMPARE(cli({u"show"_s, package, u"--list"_s, u"Other"_s}, environment()).code, 0);
        QVERIFY(entriesMatching(m_dir.path(), u".Shared.pgcd*"_s).isEmpty());
    }

    void helpExampleWorks()
    {
        const Run help = cli({u"eval"_s, u"--help"_s}, environment());
        QCOMPARE(help.code, 0);
        const QByteArray marker = "e.g. '";
        const qsizetype start = help.out.indexOf(marker) + marker.size();
        const qsizetype end = help.out.indexOf('\'', start);
        QVERIFY(start >= marker.size() && end > start);
        const QString package = m_dir.filePath(u"shop.pgcd"_s);
        QVERIFY(copyTree(QStringLiteral(ROWSMITH_SAMPLES "/shop.pgcd"), package));
        const Run run = cli({u"eval"_s, package, u"--list"_s, u"Shop"_s, QString::fromUtf8(help.out.mid(start, end - start))},
                            environment());
        QVERIFY2(run.code == 0, run.err.constData());
        QCOMPARE(run.out.trimmed(), QByteArray("type 4: 120"));
    }

    void killedRunsAreClearedLater()
    {
        const QString package = makePackage(u"Killed.pgcd"_s, password(), {u"--protect"_s});
        QVERIFY(!package.isEmpty());
        QVERIFY(entriesMatching(temporaryFolder(), u"rowsmith-cli-*"_s).isEmpty());

        // A run that waits for its password forever, holding its working tree.
        QProcess waiting;
        startCli(waiting, {u"info"_s, package}, environment({{u"ROWSMITH_PASSWORD_FD"_s, u"0"_s}}));
        QVERIFY(waiting.waitForStarted());
        bool holding = false;
        for (int i = 0; i < 300 && !holding; ++i) {
            for (const QString &home : entriesMatching(temporaryFolder(), u"rowsmith-cli-*"_s))
                holding = holding || QFileInfo(temporaryFolder() + u'/' + home + u"/caches/rowsmith.lock"_s).size() > 0;
            if (!holding)
                QThread::msleep(50);
        }
        QVERIFY(holding);
        waiting.kill();
        QVERIFY(waiting.waitForFinished());
        QCOMPARE(entriesMatching(temporaryFolder(), u"rowsmith-cli-*"_s).size(), 1);

        // And what a save killed after building its copy leaves beside the package.
        const QString leftover = m_dir.filePath(u".Killed.pgcd.saving-Ab12Cd"_s);
        QVERIFY(copyTree(package, leftover));

        const QString option = m_dir.filePath(u"option.json"_s);
        QVERIFY(writeFile(option, R"({"title": "t", "sources": [{"title": "s", "code": "=1"}]})"));
        const Run run = cli({u"option"_s, package, u"--list"_s, u"Stock"_s, u"--set"_s, option}, environment(password()));
        QVERIFY2(run.code == 0, run.err.constData());
        QVERIFY(entriesMatching(temporaryFolder(), u"rowsmith-cli-*"_s).isEmpty());
        QVERIFY(!QFileInfo::exists(leftover));
    }
};

QTEST_GUILESS_MAIN(tst_CliHostile)
#include "tst_CliHostile.moc"
