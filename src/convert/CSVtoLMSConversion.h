#pragma once

#include "CsvChunkImport.h"
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

    // The memory an import may use; a file whose rows would need more is
    // refused before they are built. Unset (0): what the machine has free
    // when the import starts.
    void setMemoryBudget(qint64 bytes) { m_memoryBudget = bytes; }
    qint64 memoryBudget() const;

    // The stages, in the order the CSV conversion runs them.
    bool encodingThreadOfTheCSVtoLMSConversion();
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
    // 4 UTF-8, 8 Shift-JIS, 21 ISO-2022-JP.
    qint32 encodingType() const { return m_encodingType; }
    void registerEncodingType(qint32 type) { m_encodingType = type; }
    bool crState() const { return m_crState; }
    void registerCrState(bool state) { m_crState = state; }
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
    // Columns whose titles were taken, empty or reserved, and what they are
    // called instead; one line each.
    const QStringList &renamedTitles() const { return m_renamedTitles; }
    qint32 errCount() const { return m_errCount; }

    // The list item made or read by the last conversion; null before one.
    std::shared_ptr<ListItem> listItem() const { return m_listItem; }
    // Why the last conversion delivered nothing; "" after a success.
    const QString &failureReason() const { return m_failureReason; }

private:
    NotificationCenter &center() const;
    bool runConversion();
    void fail(const QString &reason);
    QString memoryRefusal(qint64 needed, qint64 available) const;
    void takePass(CsvChunkImport &pass);
    void rejectRow(const CsvChunkImport::Rejection &rejection);
    void makeTableCSVTitleWidthAtLength(qsizetype width, qsizetype column);
    QVariantMap makeTitleWidthDicWithArray() const;
    QString itemsMessage() const;

    std::shared_ptr<std::atomic_bool> m_runThread;
    qint32 m_cachesFolderID = 0;
    QString m_fileCachesFolderPathOfWork;
    QString m_conversionRelevantFilePath;
    QString m_documentFileName;
    qint64 m_fileSize = 0;
    qint32 m_encodingType = 0;
    bool m_crState = false;
    QStringList m_columnTitlesArray;
    QList<float> m_columnTitlesWidthArray;
    QVariantMap m_columnTitlesWidthDic;
    RowList m_tableItemObjectArray;
    QString m_errString;
    QStringList m_renamedTitles;
    qint64 m_openQuoteLine = 0;
    qint32 m_errCount = 0;
    qint64 m_memoryBudget = 0;
    bool m_quotedFields = false;

    std::shared_ptr<ListItem> m_listItem;
    QString m_failureReason;
    bool m_postResult = true;
    NotificationCenter *m_center = nullptr;
};
