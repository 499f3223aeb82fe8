#include "DocumentSaveFlow.h"

#include "MyDocument.h"

#include "document/DocumentSource.h"
#include "document/FileAttribute.h"
#include "list/ListItem.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "platform/Paths.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SaveController.h"
#include "platform/AtomicFileWriter.h"

#include <QDir>
#include <QTimer>

using namespace Qt::StringLiterals;

DocumentSaveFlow::DocumentSaveFlow(MyDocument &document)
    : QObject(&document)
    , m_document(document)
{
}

void DocumentSaveFlow::registerTimerIntervals(int saveMs, int passwordMs)
{
    m_saveDelayMs = qMax(0, saveMs);
    m_passwordDelayMs = qMax(0, passwordMs);
}

void DocumentSaveFlow::clearCloseAfterSave()
{
    m_terminateState = false;
    m_closeWindowState = false;
}

void DocumentSaveFlow::saveDocument()
{
    selectedSaveFileWork(false);
}

void DocumentSaveFlow::saveDocumentAs()
{
    selectedSaveFileWork(true);
}

void DocumentSaveFlow::selectedSaveFileWork(bool askForPath)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, askForPath ? u"saveAsFileWork" : u"saveFileWork", [&] {
        m_document.documentSource()->registerContentWindowRect(m_document.window()->windowFrame());
        if (!askForPath && !m_saveSituation && m_document.fileAttribute()->confirmWrapperFilePath()) {
            privatePasswordWithState(m_document.fileAttribute()->wrapperFilePath(), false);
            return;
        }
        const QString proposed = m_saveSituation
            ? Localization::textOrKey(Localization::kMainTable, u"0001Title"_s)
            : m_document.documentFileName();
        QString path;
        if (m_document.window()->runSavePanel(proposed, &path) && !path.isEmpty())
            saveWorkFilePath(path);
    });
}

void DocumentSaveFlow::saveWorkFilePath(const QString &path)
{
    QString target = Paths::expandTilde(path);
    if (!target.endsWith(u".pgcd"_s, Qt::CaseInsensitive))
        target += u".pgcd"_s;
    privatePasswordWithState(target, true);
}

bool DocumentSaveFlow::protectionWanted() const
{
    const PrivatePasswordObject *security = m_document.securityObject();
    return security && security->privatePasswordWithState() && security->protectFileByPasswordWithState();
}

void DocumentSaveFlow::rebuildProtection(bool protect)
{
    const PrivatePasswordObject *security = m_document.securityObject();
    m_document.documentSource()->registerUpdateSituationDic(DocumentSource::protectionDictionary(
        protect && security, security ? security->privatePasswordTitleString() : QString(),
        security ? security->privatePasswordString() : QString()));
}

void DocumentSaveFlow::privatePasswordWithState(const QString &path, bool confirmAllowed)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"privatePasswordWithState", [&] {
        const bool protect = protectionWanted();
        // Only the save panel's answer may drop the protection a document
        // was opened with.
        const bool keep = !protect && m_document.documentSource()->privatePasswordWithState();
        if (!keep)
            rebuildProtection(protect);
        const PrivatePasswordObject *security = m_document.securityObject();
        if (protect && confirmAllowed && security->saveItNewlyConfirmWithState()) {
            const QString title = security->privatePasswordTitleString();
            const QString password = security->privatePasswordString();
            const int number = m_document.cachesFolderID();
            QTimer::singleShot(m_passwordDelayMs, this, [this, title, password, path, number] {
                SaveController &panel = SaveController::sharedController();
                if (panel.requestSavePanelForPasswordWithTitle(title, password, path)) {
                    panel.registerCachesFolderID(number);
                    panel.openPanel(m_document.window()->windowHandle());
                }
            });
            return;
        }
        if (writeProtectionFile(protect || keep))
            startSaveAtPath(path);
    });
}

bool DocumentSaveFlow::writeProtectionFile(bool protect)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"writeProtectionFile", false, [&] {
        const QString folder = m_document.workingFolder();
        if (folder.isEmpty())
            return false;
        const QVariantMap record = protect ? m_document.documentSource()->updateSituationDic()
                                           : DocumentSource::protectionDictionary(false, {}, {});
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeValue(record, MyDocument::kProtectionKey);
        if (!archiver.finish())
            return false;
        QString error;
        if (AtomicFileWriter::writeFile(QDir(folder).filePath(MyDocument::kProtectionFileName), bytes, &error,
                                        false))
            return true;
        ErrorLog::err(lcDocument(), MyDocument::kClassWords, u"writeProtectionFile", error);
        return false;
    });
}

QVariantMap DocumentSaveFlow::saveRequestForPath(const QString &path)
{
    FileAttribute *attribute = m_document.fileAttribute();
    attribute->registerTargeted(202);
    attribute->registerWrapperFilePath(path);
    attribute->registerWrapperFileName(ModelText::lastPathComponent(path));
    const qsizetype rows = m_document.listItem()->rowCount();
    const ArchivableSnapshotPtr root =
        std::make_shared<ArchivableSnapshotOf<DocumentSource>>(m_document.documentSource()->snapshot(), rows);
    return {
        {RequestKey::cachesFolderID, m_document.cachesFolderID()},
        {RequestKey::targeted, TaskCode::savePackage},
        {u"folderPath"_s, m_document.workingFolder()},
        {u"filePath"_s, path},
        {RequestKey::documentSource, QVariant::fromValue(root)},
    };
}

void DocumentSaveFlow::startSaveAtPath(const QString &path)
{
    // The request is built when the timer fires, so that it holds the
    // document as it is then.
    QTimer::singleShot(m_saveDelayMs, this, [this, path] {
        ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"saveDocument", [&] {
            m_document.selfIndicator(saveRequestForPath(path));
        });
    });
}

void DocumentSaveFlow::answerPasswordForPath(const QString &path, bool protect)
{
    // The root records what was answered, so that its record and the
    // protection file agree.
    const bool record = protect && protectionWanted();
    rebuildProtection(record);
    if (writeProtectionFile(record))
        startSaveAtPath(path);
}

void DocumentSaveFlow::finishSave()
{
    m_saveSituation = false;
    m_document.registerSavedFilePath(Paths::expandTilde(m_document.fileAttribute()->wrapperFilePath()));
    m_document.updateChangeCountAs(false);
    if (m_terminateState) {
        m_terminateState = false;
        m_document.window()->quitApplication();
    } else if (m_closeWindowState) {
        m_closeWindowState = false;
        m_document.window()->closeWindow();
    }
}

bool DocumentSaveFlow::shouldCloseWindow()
{
    return !m_document.isDocumentEdited() || terminateSaveOption(false);
}

bool DocumentSaveFlow::terminate()
{
    return !m_document.isDocumentEdited() || terminateSaveOption(true);
}

bool DocumentSaveFlow::terminateSaveOption(bool quitting)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"terminateSaveOption", false, [&] {
        const auto alert = [](const QString &key) {
            return Localization::textOrKey(Localization::kAlertTable, key);
        };
        const auto main = [](const QString &key) {
            return Localization::textOrKey(Localization::kMainTable, key);
        };
        const QString title = u"%1 %2 %3"_s.arg(alert(u"00201Uptake01"_s), m_document.documentFileName(),
                                                alert(u"00201Uptake02"_s));
        switch (m_document.window()->runSaveOptionAlert(title, alert(u"00201Canceled"_s), main(u"1009Title"_s),
                                                        main(u"1008Title"_s), main(u"1010Title"_s))) {
        case MyDocumentWindow::SaveOption::Save:
            if (quitting)
                m_terminateState = true;
            else
                m_closeWindowState = true;
            saveDocument();
            return false;
        case MyDocumentWindow::SaveOption::DontSave:
            m_document.updateChangeCountAs(false);
            return true;
        case MyDocumentWindow::SaveOption::Cancel:
            break;
        }
        return false;
    });
}
