#pragma once

#include "CsvFieldWriter.h"
#include "list/Row.h"
#include "platform/TextEncoding.h"
#include "tasks/TaskWorker.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class NotificationCenter;
class QSaveFile;

// Writes the rows of one list outside the document (task 715): the marked
// rows as CSV text, or every row as a list file ("pgcl"). One object serves
// one request; every file is written atomically, so a failed export leaves
// whatever stood at the path untouched.
class OutputConverterFile : public TaskWorker
{
public:
    enum FileType : qint32 { CsvFile = 0, ListFile = 1 };

    // What a synchronous export reports, for callers without alerts (the CLI).
    struct Result
    {
        bool success = false;
        QString errorString;
        qsizetype replacedCells = 0;
    };

    OutputConverterFile();
    ~OutputConverterFile() override;

    void run(const QVariantMap &task) override;

    // Reports and results go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    void initializationUserObject();

    // Runs the request; a failure shows alert 71505. Posts
    // "outputConverterNotif" (and "outputConverterReplacedCharactersNotif"
    // when characters had to be replaced) on success.
    void outputConverterFileWorkDictionary(const QVariantMap &request);
    // The same without the alert: the caller reports the result itself.
    Result exportWorkDictionary(const QVariantMap &request);

    // Posts "notifIndicatorStepOfOutput".
    void indicatorAtStep(int step, double count, const QString &message);

    const QString &filePath() const { return m_filePath; }
    bool registerFilePath(const QString &value);
    bool confirmFilePath() const { return !m_filePath.isEmpty(); }

    qint32 fileType() const { return m_fileType; }
    void registerFileType(qint32 type) { m_fileType = type; }
    // 0 UTF-8, 1 Shift-JIS, 2 EUC-JP; other values are refused by a CSV export.
    qint32 encoding() const { return m_encoding; }
    void registerEncoding(qint32 encoding) { m_encoding = encoding; }
    // true: CR-LF, false: LF.
    bool lineFeedCode() const { return m_lineFeedCode; }
    void registerLineFeedCode(bool state) { m_lineFeedCode = state; }

    // Set fileType first: a CSV export leaves out "NSRIndication" and
    // "NSROption", a list file keeps every title, another type takes none.
    const QStringList &columnTitlesArray() const { return m_columnTitlesArray; }
    bool registerColumnTitlesArray(const QStringList &titles);
    bool confirmColumnTitlesArray() const { return !m_columnTitlesArray.isEmpty(); }

    const RowList &itemObjectArray() const { return m_itemObjectArray; }
    bool registerItemObjectArray(const RowList &rows);
    bool confirmItemObjectArray() const { return !m_itemObjectArray.isEmpty(); }

    const QVariantMap &columnTitlesWidthDic() const { return m_columnTitlesWidthDic; }
    bool registerColumnTitlesWidthDic(const QVariantMap &dictionary);
    bool confirmColumnTitlesWidthDic() const { return !m_columnTitlesWidthDic.isEmpty(); }

    // The CSV text built but not yet written: a CSV export writes its text in
    // pieces, so after an export this holds at most the last unwritten piece.
    const QString &converterText() const { return m_converterText.text(); }
    bool registerConverterText(const QString &text);
    bool addConverterText(const QString &text);
    bool confirmConverterText() const { return !m_converterText.isEmpty(); }

    // Header titles and cells of the last CSV export in which at least one
    // character the encoding cannot hold was written as "?".
    qsizetype replacedCellCount() const { return m_replacedCellCount; }
    const QString &errorString() const { return m_errorString; }

    // The encoding of a CSV export's encoding number; nullopt for other numbers.
    static std::optional<TextEncoding> textEncodingForNumber(qint32 number);

private:
    bool storeRequest(const QVariantMap &request);
    bool writeCsvFile();
    bool writeListFile();
    bool appendMarkedRows(TextEncoding encoding, bool *anyRowWritten);
    bool writeUtf8CsvFile();
    bool isExported(const Row &row) const;
    // Calls appendRow(row, cell positions by column) for each row to export.
    template<class AppendRow>
    bool forEachExportedRow(AppendRow appendRow, bool *anyRowWritten);
    bool flushConverterText(TextEncoding encoding);
    bool openOutput();
    bool commitOutput();
    qsizetype countReplacedFields(qsizetype firstField, qsizetype endField, qsizetype replaced,
                                  TextEncoding encoding) const;
    bool fail(const QString &reason);
    NotificationCenter &center() const;

    QString m_filePath;
    qint32 m_fileType = CsvFile;
    qint32 m_encoding = 0;
    bool m_lineFeedCode = false;
    QStringList m_columnTitlesArray;
    RowList m_itemObjectArray;
    QVariantMap m_columnTitlesWidthDic;
    CsvFieldWriter m_converterText;

    std::unique_ptr<QSaveFile> m_output;
    qsizetype m_replacedCellCount = 0;
    // Request key "exportAllRows": every row, whatever its mark, without
    // marking (and so copying) each one.
    bool m_exportAllRows = false;
    QString m_errorString;
    NotificationCenter *m_center = nullptr;
};
