#pragma once

#include <QString>
#include <QStringView>

class ListItem;
class QTextStream;

// What an import found, for people (summary, table) and for scripts (JSON).
struct ImportReport
{
    QString sourcePath;
    QString encodingName;
    bool crLf = false;
    qsizetype rejectedRows = 0;
    QString errorText;
};

class ListItemPrinter
{
public:
    static void printSummary(QTextStream &out, const ListItem &list, const ImportReport &report);
    // The rows as an aligned text table (cells cut to a readable width).
    static void printTable(QTextStream &out, const ListItem &list, qsizetype maxRows = -1);
    static void printJson(QTextStream &out, const ListItem &list, const ImportReport &report);
    // A JSON string literal; characters beyond ASCII stay as they are.
    static QString jsonString(QStringView text);
};
