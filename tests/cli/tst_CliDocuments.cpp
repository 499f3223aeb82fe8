#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
        const QByteArray &input = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ROWSMITH_CLI), arguments);
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QProcessEnvironment withPassword(const QString &title, const QString &password)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ROWSMITH_PASSWORD_TITLE"_s, title);
    environment.insert(u"ROWSMITH_PASSWORD"_s, password);
    return environment;
}

} // namespace

class tst_CliDocuments : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeCsv()
    {
        QFile file(m_dir.filePath(u"stock.csv"_s));
        file.open(QIODevice::WriteOnly);
        file.write("ID0,Name,Count\n1,bolt,10\n2,nut,25\n3,washer,7\n");
        return file.fileName();
    }

private Q_SLOTS:
    void documentRoundTrip()
    {
        const QString csv = writeCsv();
        const QString package = m_dir.filePath(u"Stock.pgcd"_s);
        Run run = cli({u"new"_s, package, u"--import"_s, csv, u"--title"_s, u"Stock"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        QVERIFY(QFileInfo(package).isDir());
        // A package is never replaced by "new".
        QCOMPARE(cli({u"new"_s, package, u"--import"_s, csv}).code, 1);

        run = cli({u"info"_s, package, u"--json"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value(u"currentList"_s).toString(), u"Stock"_s);
        const QJsonArray lists = info.value(u"lists"_s).toArray();
        QCOMPARE(lists.size(), 1);
        QCOMPARE(lists.at(0).toObject().value(u"rows"_s).toInt(), 3);
        QVERIFY(info.value(u"workLog"_s).toString().contains(u"stock.csv"_s));

        run = cli({u"show"_s, package, u"--list"_s, u"Stock"_s, u"--json"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        QVERIFY(run.out.contains("washer"));
        QCOMPARE(cli({u"show"_s, package, u"--list"_s, u"Nope"_s}).code, 1);

        const QString out = m_dir.filePath(u"stock-out.csv"_s);
        run = cli({u"export"_s, package, u"--list"_s, u"Stock"_s, u"-o"_s, out, u"--where"_s, u"Name:nut"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        QFile exported(out);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), QByteArray("ID0,Name,Count\n2,nut,25"));

        QCOMPARE(cli({u"info"_s}).code, 2);
        QCOMPARE(cli({u"export"_s, package, u"--list"_s, u"Stock"_s}).code, 2);
        QCOMPARE(cli({u"info"_s, m_dir.filePath(u"missing.pgcd"_s)}).code, 1);
    }

    void protectedDocuments()
    {
        const QString csv = writeCsv();
        const QString package = m_dir.filePath(u"Locked.pgcd"_s);
        Run run = cli({u"new"_s, package, u"--import"_s, csv, u"--protect"_s}, withPassword(u"me"_s, u"pa55word"_s));
        QVERIFY2(run.code == 0, run.err.constData());
        for (const QString &name : QDir(package).entryList(QDir::Files)) {
            QFile file(QDir(package).filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!file.readAll().contains("pa55word"));
        }

        QVERIFY(cli({u"info"_s, package}, withPassword(u"me"_s, u"pa55word"_s)).code == 0);
        run = cli({u"info"_s, package}, withPassword(u"me"_s, u"wrong"_s));
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains("wrong password"));
        QCOMPARE(cli({u"info"_s, package}, withPassword(u"you"_s, u"pa55word"_s)).code, 1);

        // Without any source of a password and no terminal, it says how to give one.
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.remove(u"ROWSMITH_PASSWORD"_s);
        bare.remove(u"ROWSMITH_PASSWORD_TITLE"_s);
        QProcess process;
        process.setProcessEnvironment(bare);
        process.setProgram(QStringLiteral(ROWSMITH_CLI));
        process.setArguments({u"info"_s, package});
        process.setChildProcessModifier([] { ::setsid(); });
        process.start();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains("ROWSMITH_PASSWORD"));

        // A descriptor carries the two lines.
        QProcessEnvironment fd = bare;
        fd.insert(u"ROWSMITH_PASSWORD_FD"_s, u"0"_s);
        QCOMPARE(cli({u"show"_s, package, u"--list"_s, u"stock"_s}, fd, "me\npa55word\n").code, 0);
    }

    void scriptsRunOverAStoredList()
    {
        // The bundled sample, on a copy: its option templates a link per row
        // and writes it into the Link column.
        const QString package = m_dir.filePath(u"shop.pgcd"_s);
        QDir().mkpath(package);
        const QDir sample(QStringLiteral(ROWSMITH_SAMPLES "/shop.pgcd"));
        for (const QString &name : sample.entryList(QDir::Files))
            QVERIFY(QFile::copy(sample.filePath(name), QDir(package).filePath(name)));

        Run run = cli({u"eval"_s, package, u"--list"_s, u"Shop"_s, u"[Command:object:count:[ColumnTitle:Name]]"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        QCOMPARE(run.out.trimmed(), QByteArray("type 1: 5"));
        run = cli({u"eval"_s, package, u"--list"_s, u"Shop"_s, u"[ColumnTitle:]"_s});
        QCOMPARE(run.code, 1);

        run = cli({u"run"_s, package, u"--list"_s, u"Shop"_s, u"--dry-run"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        QVERIFY(run.out.contains("link: type 4: http://shop.example/item?code=B2&name=chestnut"));
        QVERIFY(run.out.contains("not saved"));
        run = cli({u"show"_s, package, u"--list"_s, u"Shop"_s, u"--json"_s});
        QVERIFY(!run.out.contains("http://shop.example"));

        run = cli({u"run"_s, package, u"--list"_s, u"Shop"_s});
        QVERIFY2(run.code == 0, run.err.constData());
        const QString out = m_dir.filePath(u"shop-out.csv"_s);
        QCOMPARE(cli({u"export"_s, package, u"--list"_s, u"Shop"_s, u"-o"_s, out, u"--all"_s}).code, 0);
        QFile exported(out);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = exported.readAll().split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(1), QByteArray("A1,apple,120,http://shop.example/item?code=A1&name=apple"));
        QCOMPARE(lines.at(5), QByteArray("B2,chestnut,240,http://shop.example/item?code=B2&name=chestnut"));

        // A failing source stops the run and names itself.
        QFile bad(m_dir.filePath(u"bad.json"_s));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(R"({"title": "Broken", "sources": [{"title": "ok", "code": "=1+1"},
                   {"title": "bad", "code": "=[User:missing]*2"}]})");
        bad.close();
        QCOMPARE(cli({u"option"_s, package, u"--list"_s, u"Shop"_s, u"--set"_s, bad.fileName()}).code, 0);
        run = cli({u"run"_s, package, u"--list"_s, u"Shop"_s, u"--option"_s, u"Broken"_s});
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains("source 1 \"bad\""));
        QCOMPARE(cli({u"run"_s, package, u"--list"_s, u"Shop"_s, u"--option"_s, u"Nope"_s}).code, 1);
    }
};

QTEST_GUILESS_MAIN(tst_CliDocuments)
#include "tst_CliDocuments.moc"
