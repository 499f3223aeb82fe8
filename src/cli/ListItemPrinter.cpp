#include "ListItemPrinter.h"

#include "list/ListItem.h"

#include <QLocale>
#include <QTextStream>

#include <iterator>

namespace {

constexpr qsizetype kMaxCellWidth = 24;

QString clipped(QStringView text)
{
    QString line = text.toString();
    line.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    if (line.size() > kMaxCellWidth)
        line = line.left(kMaxCellWidth - 1) + QChar(0x2026);
    return line;
}

// Columns a terminal gives the text: East Asian wide and full-width
// characters take two.
qsizetype displayWidth(QStringView text)
{
    qsizetype width = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115f) || (u >= 0x2e80 && u <= 0xa4cf)
            || (u >= 0xac00 && u <= 0xd7a3) || (u >= 0xf900 && u <= 0xfaff)
            || (u >= 0xfe30 && u <= 0xfe4f) || (u >= 0xff00 && u <= 0xff60)
            || (u >= 0xffe0 && u <= 0xffe6);
        width += ch.isLowSurrogate() ? 0 : (wide ? 2 : 1);
    }
    return width;
}

QString padded(const QString &text, qsizetype width)
{
    return text + QString(qMax<qsizetype>(0, width - displayWidth(text)), u' ');
}

} // namespace

void ListItemPrinter::printSummary(QTextStream &out, const ListItem &list, const ImportReport &report)
{
    const QStringList titles = list.selectColumnTitlesArray();
    out << "file:      " << report.sourcePath << '\n'
        << "encoding:  " << report.encodingName << '\n'
        << "line ends: " << (report.crLf ? "CR-LF" : "LF") << '\n'
        << "titles:    " << titles.size() << " (" << titles.join(QStringLiteral(", ")) << ")\n"
        << "rows:      " << list.rowCount() << '\n'
        << "rejected:  " << report.rejectedRows << '\n';
}

void ListItemPrinter::printTable(QTextStream &out, const ListItem &list, qsizetype maxRows)
{
    const QStringList titles = list.selectColumnTitlesArray();
    const RowList rows = list.tableItemObjectArray();
    const qsizetype shown = maxRows < 0 ? rows.size() : qMin(maxRows, rows.size());

    QList<qsizetype> widths;
    for (const QString &title : titles)
        widths.append(displayWidth(clipped(title)));
    for (qsizetype r = 0; r < shown; ++r)
        for (qsizetype c = 0; c < titles.size(); ++c)
            widths[c] = qMax(widths[c], displayWidth(clipped(rows.at(r).cellText(titles.at(c)))));

    qsizetype lineWidth = 1;
    const auto line = [&](const QString &mark, const auto &cellAt) {
        out << mark;
        for (qsizetype c = 0; c < titles.size(); ++c)
            out << " | " << padded(cellAt(c), widths[c]);
        out << '\n';
    };
    for (qsizetype w : std::as_const(widths))
        lineWidth += w + 3;
    line(QStringLiteral(" "), [&](qsizetype c) { return clipped(titles.at(c)); });
    out << QString(lineWidth, u'-') << '\n';
    for (qsizetype r = 0; r < shown; ++r) {
        const Row &row = rows.at(r);
        line(row.indication() ? QStringLiteral("*") : QStringLiteral(" "),
             [&](qsizetype c) { return clipped(row.cellText(titles.at(c))); });
    }
    if (shown < rows.size())
        out << "... " << (rows.size() - shown) << " more rows\n";
}

// Written as it goes, in the layout QJsonDocument's indented form has (keys
// sorted), so that a million rows never stand in memory twice.
void ListItemPrinter::printJson(QTextStream &out, const ListItem &list, const ImportReport &report)
{
    const QStringList allTitles = list.columnTitlesArray();
    QStringList titles = list.selectColumnTitlesArray();
    titles.sort();
    titles.removeDuplicates();
    const QString lineEnds = report.crLf ? QStringLiteral("CR-LF") : QStringLiteral("LF");

    out << "{\n";
    out << "    \"encoding\": " << jsonString(report.encodingName) << ",\n";
    out << "    \"errorText\": " << jsonString(report.errorText) << ",\n";
    out << "    \"file\": " << jsonString(report.sourcePath) << ",\n";
    out << "    \"lineEnds\": " << jsonString(lineEnds) << ",\n";
    out << "    \"rejectedRows\": " << qint64(report.rejectedRows) << ",\n";
    out << "    \"rows\": [\n";
    const RowList rows = list.tableItemObjectArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        out << "        {\n            \"cells\": {\n";
        for (qsizetype c = 0; c < titles.size(); ++c) {
            out << "                " << jsonString(titles.at(c)) << ": " << jsonString(row.cellText(titles.at(c)))
                << (c + 1 < titles.size() ? ",\n" : "\n");
        }
        out << "            },\n"
            << "            \"mark\": " << qint64(row.indication()) << ",\n"
            << "            \"option\": " << jsonString(row.cellText(Row::kOptionKey)) << "\n"
            << (r + 1 < rows.size() ? "        },\n" : "        }\n");
    }
    out << "    ],\n";
    out << "    \"titles\": [\n";
    for (qsizetype t = 0; t < allTitles.size(); ++t)
        out << "        " << jsonString(allTitles.at(t)) << (t + 1 < allTitles.size() ? ",\n" : "\n");
    out << "    ],\n";
    out << "    \"widths\": {\n";
    const QVariantMap widthMap = list.columnTitlesWidthDic();
    for (auto it = widthMap.cbegin(); it != widthMap.cend(); ++it) {
        out << "        " << jsonString(it.key()) << ": "
            << QString::number(it.value().toDouble(), 'g', QLocale::FloatingPointShortest)
            << (std::next(it) != widthMap.cend() ? ",\n" : "\n");
    }
    out << "    }\n}\n";
}

QString ListItemPrinter::jsonString(QStringView text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'"';
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'"': quoted += u"\\\""; break;
        case u'\\': quoted += u"\\\\"; break;
        case u'\b': quoted += u"\\b"; break;
        case u'\f': quoted += u"\\f"; break;
        case u'\n': quoted += u"\\n"; break;
        case u'\r': quoted += u"\\r"; break;
        case u'\t': quoted += u"\\t"; break;
        default:
            if (ch.unicode() < 0x20)
                quoted += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
            else
                quoted += ch;
        }
    }
    quoted += u'"';
    return quoted;
}
