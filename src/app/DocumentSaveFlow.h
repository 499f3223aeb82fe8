#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class MyDocument;

// Saving a document and asking about unsaved changes on close and quit:
// the save panel, the protection a save writes, the password confirmation,
// the delayed request to the save worker, and what a finished save lets the
// window do next.
class DocumentSaveFlow : public QObject
{
    Q_OBJECT
public:
    explicit DocumentSaveFlow(MyDocument &document);

    // One-shot timer delays: before a save starts and before the save-time
    // password confirmation.
    void registerTimerIntervals(int saveMs, int passwordMs);

    void saveDocument();
    void saveDocumentAs();
    void selectedSaveFileWork(bool askForPath);
    void saveWorkFilePath(const QString &path);
    // Records the protection for a save to path and starts it, or first asks
    // for the password confirmation when that is wanted and allowed.
    void privatePasswordWithState(const QString &path, bool confirmAllowed);
    bool writeProtectionFile(bool protect);
    void startSaveAtPath(const QString &path);
    // The save request as handed to the save worker.
    QVariantMap saveRequestForPath(const QString &path);

    // The password confirmation answered for a save to path.
    void answerPasswordForPath(const QString &path, bool protect);
    // The save worker has replaced the package.
    void finishSave();

    // Closing and quitting; true means go ahead now.
    bool shouldCloseWindow();
    bool terminate();
    bool terminateSaveOption(bool quitting);

    // YES while the document has no package of its own.
    bool saveSituation() const { return m_saveSituation; }
    void registerSaveSituationWithState(bool state) { m_saveSituation = state; }
    bool terminateState() const { return m_terminateState; }
    bool closeWindowState() const { return m_closeWindowState; }
    // Forgets a close or quit that was waiting for a save.
    void clearCloseAfterSave();

private:
    bool protectionWanted() const;
    void rebuildProtection(bool protect);

    MyDocument &m_document;
    bool m_saveSituation = true;
    bool m_terminateState = false;
    bool m_closeWindowState = false;
    int m_saveDelayMs = 1000;
    int m_passwordDelayMs = 2000;
};
