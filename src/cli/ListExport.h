#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

class ListItem;
class QCommandLineParser;
class QTextStream;

// The export options shared by "convert" and "export": -o OUT, --encoding,
// --crlf, --all, --where "TITLE:KEYWORDS"; and the export itself.
class ListExport
{
public:
    ListExport();
    void addOptions(QCommandLineParser &parser) const;
    // Reads the options; a usage error is reported and answers false.
    bool readOptions(const QCommandLineParser &parser, QString *usageError);
    // Marks (for --all / --where) and writes the list; returns an exit code.
    int run(const ListItem &list, qsizetype rejectedOnImport, QTextStream &out, QTextStream &err) const;
    QString outputPath() const { return m_target; }

private:
    QCommandLineOption m_output;
    QCommandLineOption m_encoding;
    QCommandLineOption m_crlf;
    QCommandLineOption m_all;
    QCommandLineOption m_where;
    QString m_target;
    int m_encodingCode = 0;
    bool m_crlfSet = false;
    bool m_allSet = false;
    QString m_whereTitle;
    QString m_whereKeywords;
};
