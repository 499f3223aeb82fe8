// Import and export throughput on large CSV files; compared with pandas by
// bench/convert_vs_pandas.sh, which runs every measurement in its own process
// so that peak memory (VmHWM) belongs to that measurement alone.
//
//   bench_convert generate UTF8_OUT SJIS_OUT MEGABYTES
//   bench_convert import FILE
//   bench_convert export FILE OUT ENCODING(0 utf-8, 1 shift-jis, 2 euc-jp)

#include "convert/CSVtoLMSConversion.h"
#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace {

qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

int generate(const QString &utf8Path, const QString &sjisPath, qint64 megabytes)
{
    static const char16_t *words[] = {u"東京", u"大阪", u"りんご", u"みかん", u"緑茶", u"食パン",
                                      u"キャベツ", u"株式会社", u"営業部", u"山田太郎", u"佐藤花子",
                                      u"ﾃｽﾄ", u"北海道", u"名古屋", u"研究所"};
    QRandomGenerator random(42);
    QString text = QStringLiteral("id,name,city,code,price,stock,dept,note,date,flag\n");
    const qint64 target = megabytes * 1024 * 1024;
    qint64 bytes = 0;
    QByteArray utf8;
    utf8.reserve(target + 4096);
    qint64 row = 0;
    while (bytes < target) {
        QString line = QString::number(++row);
        const auto word = [&] { return QString::fromUtf16(words[random.bounded(15)]); };
        line += u',' + word() + word();
        line += u',' + word();
        line += u',' + QStringLiteral("C%1").arg(random.bounded(100000), 6, 10, QLatin1Char('0'));
        line += u',' + QString::number(random.bounded(100000));
        line += u',' + QString::number(random.bounded(1000));
        line += u',' + word();
        line += u',' + QStringLiteral("note-%1").arg(random.bounded(1000000));
        line += u',' + QStringLiteral("2026-%1-%2").arg(1 + random.bounded(12)).arg(1 + random.bounded(28));
        line += u',' + QString::number(random.bounded(2));
        line += u'\n';
        text += line;
        bytes += line.toUtf8().size();
        if (text.size() > (1 << 20)) {
            utf8 += text.toUtf8();
            text.clear();
        }
    }
    utf8 += text.toUtf8();
    QFile out(utf8Path);
    if (!out.open(QIODevice::WriteOnly) || out.write(utf8) != utf8.size())
        return 1;
    out.close();
    qsizetype unmappable = 0;
    const QByteArray sjis = TextCodec::encode(QString::fromUtf8(utf8), TextEncoding::ShiftJis, &unmappable);
    QFile twin(sjisPath);
    if (!twin.open(QIODevice::WriteOnly) || twin.write(sjis) != sjis.size())
        return 1;
    std::printf("generated %lld rows: %s (%lld bytes), %s (%lld bytes)\n", row,
                qPrintable(utf8Path), qint64(utf8.size()), qPrintable(sjisPath), qint64(sjis.size()));
    return 0;
}

int importFile(const QString &path)
{
    const double megabytes = QFileInfo(path).size() / (1024.0 * 1024.0);
    QElapsedTimer timer;
    timer.start();
    CSVtoLMSConversion conversion;
    QString error;
    const auto list = conversion.importFile(path, false, &error);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!list) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("rowsmith import %-28s rows %9lld  %6.2f s  %7.1f MB/s  peak %7.1f MB\n",
                qPrintable(QFileInfo(path).fileName()), qint64(list->tableItemObjectArray().size()),
                seconds, megabytes / seconds, peakResidentBytes() / 1048576.0);
    return 0;
}

int exportFile(const QString &path, const QString &outPath, int encoding)
{
    CSVtoLMSConversion conversion;
    QString error;
    const auto list = conversion.importFile(path, false, &error);
    if (!list) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
        return 1;
    }
    RowList rows = list->tableItemObjectArray();
    for (Row &row : rows)
        row.setIndication(1);
    const QVariantMap request{
        {QStringLiteral("filePath"), outPath},
        {QStringLiteral("fileType"), 0},
        {QStringLiteral("encoding"), encoding},
        {QStringLiteral("lineFeedCode"), false},
        {QStringLiteral("columnTitles"), list->columnTitlesArray()},
        {QStringLiteral("columnTitlesWidthDic"), list->columnTitlesWidthDic()},
        {QStringLiteral("itemObject"), QVariant::fromValue(rows)},
    };
    OutputConverterFile exporter;
    exporter.initializationUserObject();
    QElapsedTimer timer;
    timer.start();
    const OutputConverterFile::Result result = exporter.exportWorkDictionary(request);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!result.success) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(result.errorString));
        return 1;
    }
    const double megabytes = QFileInfo(outPath).size() / (1024.0 * 1024.0);
    std::printf("rowsmith export %-28s rows %9lld  %6.2f s  %7.1f MB/s\n",
                qPrintable(QFileInfo(outPath).fileName()), qint64(rows.size()), seconds,
                megabytes / seconds);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("generate"))
        return generate(args.at(2), args.at(3), args.at(4).toLongLong());
    if (args.size() == 3 && args.at(1) == QLatin1String("import"))
        return importFile(args.at(2));
    if (args.size() == 5 && args.at(1) == QLatin1String("export"))
        return exportFile(args.at(2), args.at(3), args.at(4).toInt());
    std::fprintf(stderr, "usage: bench_convert generate UTF8 SJIS MB | import FILE | "
                         "export FILE OUT ENCODING\n");
    return 2;
}
