#pragma once

#include "list/ListItem.h"
#include "list/Row.h"
#include "tasks/TaskWorker.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <memory>

class NotificationCenter;

// Turns one CSV text file or list file into a list item (task 240) and
// delivers it to the requesting document as "deliverConversionFileOfTheFileEncoding".
// Made for one import, on the worker thread; importFile() runs the same
// conversion for a caller that wants the list item back directly.
//
// Task keys: "cachesFolderID", "startSwitch" (241), "filePass",
// "fileCachesFolderPathOfWork", "documentFileName", and "quotedFields" (bool,
// default false): read quoted fields as RFC 4180 does instead of cutting at
// every comma.
class CSVtoLMSConversion : public TaskWorker
{
public:
    // Files are read whole into memory; anything larger is refused.
    static constexpr qint64 kMaxFileSize = qint64(1) << 30;
    static constexpr qint64 kListFileChunk = 1048576;
    static constexpr float kInitialWidth = 40.0f;
    static constexpr float kMaximumWidth = 800.0f;

    CSVtoLMSConversion();
    ~CSVtoLMSConversion() override;

    void run(const QVariantMap &task) override { importFileObject(task); }

    // Reports, the result and the cancel request go through this centre
    // instead of the default one; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // The task's entry point: true once a conversion ran, whatever its outcome.
    bool importFileObject(const QVariantMap &task);

    // The whole conversion on the calling thread, answering the list item
    // instead of posting it. Progress is still reported and the error text is
    // kept in errString() but not written anywhere. Null on failure, with the
    // reason in *error.
    std::shared_ptr<ListItem> importFile(const QString &path, bool quoted, QString *error = nullptr);

    // "UTF-8", "Shift_JIS", "ISO-2022-JP"; "" for any other code.
    static QString encodingName(int encodingType);

    // Handler of "notifCancelStepOfConversion": the line loop stops at its next line.
    void cancelStep();
    // Posts "notifIndicatorStepOfConversion".
    void indicatorAtStep(int step, double count, const QString &message);
    QString fileSizeString() const;
    // Archives the produced list item into the work folder as
    // "CSVtoLMSConversionFiles.itemlist" (key "ListItem").
    bool saveCSVtoLMSConversionFiles();

    // The stages, in the order the CSV conversion runs them.
    bool encodingThreadOfTheCSVtoLMSConversion();
    QString readCSVFileDataOfLengthAtHandlePath(int encoding);
    bool loopWhichConvertsOfTheEncodingString();
    bool deliverCSVtoLMSConversionFile();
    bool encodingThreadOfThePGCLtoLMSConversion();

    bool runThread() const { return m_runThread->load(std::memory_order_relaxed); }
    qint32 cachesFolderID() const { return m_cachesFolderID; }
    void registerCachesFolderID(qint32 identifier) { m_cachesFolderID = identifier; }
    const QString &fileCachesFolderPathOfWork() const { return m_fileCachesFolderPathOfWork; }
    bool registerFileCachesFolderPathOfWork(const QString &value);
    const QString &conversionRelevantFilePath() const { return m_conversionRelevantFilePath; }
    bool registerConversionRelevantFilePath(const QString &value);
    const QString &documentFileName() const { return m_documentFileName; }
    bool registerDocumentFileName(const QString &value);
    // The exact byte count; fileSize() is the float the progress texts use.
    qint64 fileByteCount() const { return m_fileSize; }
    float fileSize() const { return float(m_fileSize); }
    // Opens the file for reading; false for a missing file or a directory.
    bool registerImportHandlePath(const QString &path);
    const QString &importEncodingString() const { return m_importEncodingString; }
    bool registerImportEncodingString(const QString &text);
    bool confirmImportEncodingString() const { return !m_importEncodingString.isEmpty(); }
    // 4 UTF-8, 8 Shift-JIS, 21 ISO-2022-JP.
    qint32 encodingType() const { return m_encodingType; }
    void registerEncodingType(qint32 type) { m_encodingType = type; }
    bool crState() const { return m_crState; }
    void registerCrState(bool state) { m_crState = state; }
    float readingLength() const { return m_readingLength; }
    bool quotedFields() const { return m_quotedFields; }
    void registerQuotedFields(bool quoted) { m_quotedFields = quoted; }
    // "NSRIndication", "NSROption" and the titles of the first line.
    const QStringList &columnTitlesArray() const { return m_columnTitlesArray; }
    bool registerColumnTitlesArray(const QStringList &titles);
    bool confirmColumnTitlesArray() const { return !m_columnTitlesArray.isEmpty(); }
    const QList<float> &columnTitlesWidthArray() const { return m_columnTitlesWidthArray; }
    const QVariantMap &columnTitlesWidthDic() const { return m_columnTitlesWidthDic; }
    bool confirmColumnTitlesWidthDic() const { return !m_columnTitlesWidthDic.isEmpty(); }
    const RowList &tableItemObjectArray() const { return m_tableItemObjectArray; }
    bool confirmTableItemObjectArray() const { return !m_tableItemObjectArray.isEmpty(); }
    const QString &errString() const { return m_errString; }
    qint32 errCount() const { return m_errCount; }

    // The list item made or read by the last conversion; null before one.
    std::shared_ptr<ListItem> listItem() const { return m_listItem; }
    // Why the last conversion delivered nothing; "" after a success.
    const QString &failureReason() const { return m_failureReason; }

private:
    NotificationCenter &center() const;
    bool runConversion();
    void fail(const QString &reason);
    bool readWholeFile(QByteArray *bytes);
    // Handles one split record: the title line or a data row.
    void takeRecord(qsizetype recordNumber, const QList<QStringView> &fields, bool unterminated);
    void makeTitles(const QList<QStringView> &fields);
    bool makeTableCSVItemAtlengthArray(const QList<QStringView> &fields);
    void rejectRow(const QList<QStringView> &fields, QStringView rawRecord);
    void makeTableCSVTitleWidthAtLength(qsizetype width, qsizetype column);
    QVariantMap makeTitleWidthDicWithArray() const;
    QString itemsMessage() const;

    std::shared_ptr<std::atomic_bool> m_runThread;
    qint32 m_cachesFolderID = 0;
    QString m_fileCachesFolderPathOfWork;
    QString m_conversionRelevantFilePath;
    QString m_documentFileName;
    qint64 m_fileSize = 0;
    QFile m_importHandle;
    QString m_importEncodingString;
    qint32 m_encodingType = 0;
    bool m_crState = false;
    float m_readingLength = 0.0f;
    QStringList m_columnTitlesArray;
    QList<float> m_columnTitlesWidthArray;
    QVariantMap m_columnTitlesWidthDic;
    RowList m_tableItemObjectArray;
    QString m_errString;
    qint32 m_errCount = 0;
    bool m_quotedFields = false;

    // The raw bytes and the text that decoded them, between the encoding
    // test and the reading stage.
    QByteArray m_fileBytes;
    QString m_testedText;
    qint32 m_testedEncoding = 0;

    // Rows share one schema: "NSROption" then each title once. m_schemaColumn
    // gives, per schema position, the field it is filled from (-1: empty).
    RowSchema::Ptr m_schema;
    QList<qsizetype> m_schemaColumn;
    QList<QStringView> m_rowTexts; // reused for every row

    std::shared_ptr<ListItem> m_listItem;
    QString m_failureReason;
    bool m_postResult = true;
    NotificationCenter *m_center = nullptr;
};
