#include "convert/CSVtoLMSConversion.h"
#include "convert/CsvChunkImport.h"
#include "convert/CsvSource.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct PassResult
{
    CsvChunkImport::Outcome outcome = CsvChunkImport::Outcome::ReadError;
    QStringList titles;
    QList<QStringList> rows;
    QList<std::pair<QString, qint64>> rejections;
    QList<qsizetype> longest;
    bool cr = false;
};

PassResult runPass(const QString &path, TextEncoding encoding, bool quoted, qint64 pieceBytes, int threads,
                   qint64 budget = qint64(1) << 40)
{
    CsvSource source;
    if (!source.open(path).isEmpty())
        qFatal("cannot open the test file");
    CsvChunkImport::Settings settings;
    settings.encoding = encoding;
    settings.quoted = quoted;
    settings.memoryBudget = budget;
    settings.pieceBytes = pieceBytes;
    settings.threads = threads;
    CsvChunkImport pass(source, settings);
    PassResult result;
    result.outcome = pass.run();
    if (result.outcome != CsvChunkImport::Outcome::Done)
        return result;
    if (pass.titles())
        result.titles = pass.titles()->titles();
    for (const Row &row : pass.takeRows()) {
        result.rows.append(QStringList());
        for (qsizetype i = 0; i < row.schema()->size(); ++i)
            result.rows.last().append(row.cellTextAt(i).toString());
    }
    for (const CsvChunkImport::Rejection &r : pass.takeRejections())
        result.rejections.append({r.text, r.line});
    result.longest = pass.longestFields();
    result.cr = pass.sawCarriageReturn();
    return result;
}

// Rows of three fields with everything that could go wrong at a piece
// boundary: every line ending, quoted commas and line breaks, empty and
// short lines, wide characters, a byte-order mark inside the text.
QString hostileText(quint32 seed, bool quoted)
{
    QRandomGenerator random(seed);
    const QStringList pieces{u"x"_s, u"東京"_s, u"ｱｲ"_s, u" pad "_s, u""_s, u"\uFEFF"_s, u"1234567"_s};
    const QStringList ends{u"\n"_s, u"\r\n"_s, u"\r"_s, u"\u2028"_s};
    QString text = u"a,b,c\n"_s;
    for (int line = 0; line < 300; ++line) {
        const int fields = line % 17 == 0 ? 2 : 3;
        for (int f = 0; f < fields; ++f) {
            if (f > 0)
                text += u',';
            if (quoted && random.bounded(4) == 0)
                text += u"\"q,\n\"\"r\""_s;
            else
                text += pieces.at(random.bounded(pieces.size()));
        }
        text += line % 29 == 0 ? u"\n\n"_s : ends.at(random.bounded(ends.size()));
    }
    return text;
}

} // namespace

class tst_CsvChunkImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(u"in%1.csv"_s.arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return path;
    }

private Q_SLOTS:
    void piecesAndThreadsGiveWhatOneWholeTextGives()
    {
        for (const bool quoted : {false, true}) {
            for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::ShiftJis}) {
                QString text = hostileText(quoted ? 7 : 3, quoted);
                if (encoding == TextEncoding::ShiftJis) // neither exists in Shift-JIS
                    text.remove(QChar(0xFEFF)).replace(QChar(0x2028), u'\n');
                const QByteArray bytes = encoding == TextEncoding::Utf8
                    ? "\xEF\xBB\xBF" + text.toUtf8()
                    : TextCodec::encode(text, encoding);
                const QString path = write(bytes);
                const PassResult whole = runPass(path, encoding, quoted, bytes.size() + 1, 1);
                QCOMPARE(whole.outcome, CsvChunkImport::Outcome::Done);
                QCOMPARE(whole.titles, (QStringList{u"a"_s, u"b"_s, u"c"_s}));
                QVERIFY(whole.rows.size() > 250);
                QVERIFY(!whole.rejections.isEmpty());
                QVERIFY(whole.cr);
                for (const qint64 pieceBytes : {1, 5, 64, 700}) {
                    for (const int threads : {1, 2, 3}) {
                        const PassResult cut = runPass(path, encoding, quoted, pieceBytes, threads);
                        const QByteArray where = u"quoted %1 piece %2 threads %3"_s.arg(quoted).arg(pieceBytes).arg(threads).toUtf8();
                        QCOMPARE(cut.outcome, CsvChunkImport::Outcome::Done);
                        QVERIFY2(cut.rows == whole.rows, where);
                        QVERIFY2(cut.rejections == whole.rejections, where);
                        QVERIFY2(cut.longest == whole.longest, where);
                    }
                }
            }
        }
    }

    void linesAndOpenQuotesAreLocated()
    {
        // A quoted line break moves the line count; the rejected short row
        // and the quote left open are found on the lines they start on.
        const QString path = write("a,b\n\"1\n2\",x\nshort\n\"y\",\"open\nz\nw\n");
        for (const qint64 pieceBytes : {3, 1000}) {
            const PassResult result = runPass(path, TextEncoding::Utf8, true, pieceBytes, 2);
            QCOMPARE(result.rows, (QList<QStringList>{{u""_s, u"1\n2"_s, u"x"_s}}));
            QCOMPARE(result.rejections,
                     (QList<std::pair<QString, qint64>>{{u"short"_s, 4}, {u"\"y\",\"open\nz\nw"_s, 5}}));
        }
    }

    void aPieceThatDoesNotDecodeEndsThePass()
    {
        QByteArray bytes = "t\n";
        for (int i = 0; i < 200; ++i)
            bytes += "line\n";
        bytes += "\xFF\n";
        const QString path = write(bytes);
        for (const int threads : {1, 2})
            QCOMPARE(runPass(path, TextEncoding::Utf8, false, 16, threads).outcome,
                     CsvChunkImport::Outcome::WrongEncoding);
        // The import then reads it as Shift-JIS, where 0xFF is no character
        // either, and refuses it.
        CSVtoLMSConversion conversion;
        QString error;
        QVERIFY(!conversion.importFile(path, false, &error));
        QVERIFY2(error.contains(u"not text in UTF-8, Shift-JIS or ISO-2022-JP"_s), qPrintable(error));
    }

    void filesThatWillNotFitAreRefusedWithBothFigures()
    {
        QByteArray tiny = "a,b\n";
        for (int i = 0; i < 20000; ++i)
            tiny += "1,2\n";
        const QString path = write(tiny);

        CSVtoLMSConversion conversion;
        conversion.setMemoryBudget(1024 * 1024);
        QString error;
        QVERIFY(!conversion.importFile(path, false, &error));
        QVERIFY2(error.contains(u"needs about"_s) && error.contains(u"but only 1.0 MiB is available"_s),
                 qPrintable(error));
        // Tiny rows cost far more than their bytes: the estimate says so.
        const PassResult refused = runPass(path, TextEncoding::Utf8, false, 4096, 2, 2 * tiny.size());
        QCOMPARE(refused.outcome, CsvChunkImport::Outcome::OverBudget);

        conversion.setMemoryBudget(512 * 1024 * 1024);
        const auto list = conversion.importFile(path, false, &error);
        QVERIFY2(list, qPrintable(error));
        QCOMPARE(list->tableItemObjectArray().size(), 20000);

        // A list file larger than the budget is refused before it is read.
        const QString listPath = m_dir.filePath(u"big.pgcl"_s);
        QFile::copy(path, listPath);
        conversion.setMemoryBudget(1000);
        QVERIFY(!conversion.importFile(listPath, false, &error));
        QVERIFY2(error.contains(u"needs about"_s), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(tst_CsvChunkImport)
#include "tst_CsvChunkImport.moc"
