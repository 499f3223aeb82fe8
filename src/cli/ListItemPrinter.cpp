#include "ListItemPrinter.h"

#include "list/ListItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

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
        << "rows:      " << list.tableItemObjectArray().size() << '\n'
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

void ListItemPrinter::printJson(QTextStream &out, const ListItem &list, const ImportReport &report)
{
    const QStringList allTitles = list.columnTitlesArray();
    const QStringList titles = list.selectColumnTitlesArray();
    QJsonObject widths;
    const QVariantMap widthMap = list.columnTitlesWidthDic();
    for (auto it = widthMap.cbegin(); it != widthMap.cend(); ++it)
        widths.insert(it.key(), it.value().toDouble());

    QJsonArray rows;
    for (const Row &row : list.tableItemObjectArray()) {
        QJsonObject cells;
        for (const QString &title : titles)
            cells.insert(title, row.cellText(title).toString());
        rows.append(QJsonObject{{QStringLiteral("mark"), qint64(row.indication())},
                                {QStringLiteral("option"), row.option().string()},
                                {QStringLiteral("cells"), cells}});
    }
    const QJsonObject document{
        {QStringLiteral("file"), report.sourcePath},
        {QStringLiteral("titles"), QJsonArray::fromStringList(allTitles)},
        {QStringLiteral("widths"), widths},
        {QStringLiteral("rows"), rows},
        {QStringLiteral("encoding"), report.encodingName},
        {QStringLiteral("lineEnds"), report.crLf ? QStringLiteral("CR-LF") : QStringLiteral("LF")},
        {QStringLiteral("rejectedRows"), qint64(report.rejectedRows)},
        {QStringLiteral("errorText"), report.errorText},
    };
    out << QJsonDocument(document).toJson(QJsonDocument::Indented);
}
