// Keyed archive throughput: a list of rows, each a dictionary of ten short
// attributed cells keyed by the column titles, archived inside one object,
// written to memory and to a file, then read back with every cell decoded.
//
//   bench_archive [rows]        (default 1,000,000)

#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QStringList &columnTitles()
{
    static const QStringList titles = {
        QStringLiteral("ID"),       QStringLiteral("Name"),    QStringLiteral("Kana"),
        QStringLiteral("Postcode"), QStringLiteral("Address"), QStringLiteral("Phone"),
        QStringLiteral("Mail"),     QStringLiteral("Company"), QStringLiteral("Section"),
        QStringLiteral("Note"),
    };
    return titles;
}

// The archived list: cells row by row, ten per row.
class BenchList
{
public:
    static QString archiveClassName() { return QStringLiteral("BenchList"); }

    void encodeWithCoder(ArchiveEncoder &coder) const
    {
        const QStringList &titles = columnTitles();
        coder.encodeStringArray(titles, u"columnTitles");
        const qsizetype rows = qsizetype(cells.size()) / titles.size();
        coder.beginArray(rows, u"rows");
        for (qsizetype row = 0; row < rows; ++row) {
            coder.beginDictionary(titles.size(), {});
            for (qsizetype column = 0; column < titles.size(); ++column)
                coder.encodeAttributedText(cells[size_t(row * titles.size() + column)], titles[column]);
            coder.endDictionary();
        }
        coder.endArray();
    }

    // Walks every cell into an AttributedText; keeps only a checksum so the
    // measurement is the decoding, not the storage of a second copy.
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        const QStringList titles = coder.decodeStringArray(u"columnTitles");
        const ArchiveArray rows = coder.decodeArray(u"rows");
        const qsizetype count = rows.size();
        for (qsizetype row = 0; row < count; ++row) {
            const ArchiveDecoder cellsOfRow = rows.dictionaryAt(row);
            for (const QString &title : titles) {
                const AttributedText text = cellsOfRow.decodeAttributedText(title);
                checksum += quint64(text.length()) + text.string().at(0).unicode();
                ++decodedCells;
            }
        }
        return !coder.failed();
    }

    std::vector<AttributedText> cells;
    quint64 checksum = 0;
    qsizetype decodedCells = 0;
};

quint32 nextRandom(quint32 &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Process CPU time, printed beside wall time: on a busy machine it shows how
// much of the wall time was the archive's own work.
double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double megabytesPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return nanoseconds > 0 ? (double(bytes) / (1024.0 * 1024.0)) / (double(nanoseconds) / 1e9) : 0.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qsizetype rows = 1000000;
    if (argc > 1) {
        bool ok = false;
        rows = QByteArray(argv[1]).toLongLong(&ok);
        if (!ok || rows <= 0) {
            std::fprintf(stderr, "usage: bench_archive [rows]\n");
            return 2;
        }
    }
    const qsizetype columns = columnTitles().size();

    BenchList list;
    list.cells.reserve(size_t(rows * columns));
    quint32 state = 20240611u;
    qint64 textBytes = 0;
    quint64 expectedChecksum = 0;
    for (qsizetype i = 0; i < rows * columns; ++i) {
        const int length = 8 + int(nextRandom(state) % 5);
        QString text(length, Qt::Uninitialized);
        for (int c = 0; c < length; ++c)
            text[c] = QChar(u'!' + char16_t(nextRandom(state) % 94));
        textBytes += length;
        expectedChecksum += quint64(length) + text.at(0).unicode();
        list.cells.emplace_back(text);
    }

    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMilliseconds();
    QByteArray bytes;
    {
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeObject(list, u"ListItem");
        if (!archiver.finish()) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(archiver.errorString()));
            return 1;
        }
    }
    const qint64 writeNs = timer.nsecsElapsed();
    const double writeCpu = cpuMilliseconds() - cpu;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.archive"));
    timer.restart();
    cpu = cpuMilliseconds();
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
            return 1;
        }
        KeyedArchiver archiver(&file);
        archiver.encoder().encodeObject(list, u"ListItem");
        if (!archiver.finish() || !file.commit()) {
            std::fprintf(stderr, "file write failed: %s\n", qPrintable(archiver.errorString()));
            return 1;
        }
    }
    const qint64 fileWriteNs = timer.nsecsElapsed();
    const double fileWriteCpu = cpuMilliseconds() - cpu;

    timer.restart();
    cpu = cpuMilliseconds();
    BenchList readBack;
    bool valid = false;
    {
        KeyedUnarchiver unarchiver(bytes);
        if (auto decoded = unarchiver.decodeTopLevelObject<BenchList>(u"ListItem")) {
            readBack.checksum = decoded->checksum;
            readBack.decodedCells = decoded->decodedCells;
            valid = unarchiver.isValid();
        } else {
            std::fprintf(stderr, "read failed: %s\n", qPrintable(unarchiver.errorString()));
        }
    }
    const qint64 readNs = timer.nsecsElapsed();
    const double readCpu = cpuMilliseconds() - cpu;

    timer.restart();
    cpu = cpuMilliseconds();
    qint64 fileReadCells = 0;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray stored = file.readAll();
            if (auto decoded = KeyedUnarchiver::unarchivedObject<BenchList>(stored, u"ListItem"))
                fileReadCells = decoded->decodedCells;
        }
    }
    const qint64 fileReadNs = timer.nsecsElapsed();
    const double fileReadCpu = cpuMilliseconds() - cpu;

    const qint64 cells = rows * columns;
    const bool correct = valid && readBack.decodedCells == cells && readBack.checksum == expectedChecksum
        && fileReadCells == cells;
    std::printf("rows %lld, cells %lld, UTF-8 text %lld bytes\n", qlonglong(rows), qlonglong(cells),
                qlonglong(textBytes));
    std::printf("file size        %lld bytes (%.2f bytes per cell beyond the text)\n",
                qlonglong(bytes.size()), double(bytes.size() - textBytes) / double(cells));
    const auto line = [&bytes](const char *what, qint64 ns, double cpuMs) {
        std::printf("%-17s %8.1f ms wall %8.1f ms cpu %7.1f MB/s\n", what, double(ns) / 1e6, cpuMs,
                    megabytesPerSecond(bytes.size(), ns));
    };
    line("write to memory", writeNs, writeCpu);
    line("write to file", fileWriteNs, fileWriteCpu);
    line("read + walk", readNs, readCpu);
    line("file read + walk", fileReadNs, fileReadCpu);
    std::printf("round trip       %s\n", correct ? "ok" : "MISMATCH");
    return correct ? 0 : 1;
}
