#include "MyDocument.h"

#include "MyDocumentController.h"

#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "document/FileAttribute.h"
#include "document/MainSplitSource.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"
#include "platform/AlertSheetModal.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/AttributedText.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "platform/Paths.h"
#include "prefs/AdvancedObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SaveController.h"
#include "prefs/SecurityObject.h"
#include "script/OptionObjectSourcePtr.h"
#include "storage/AtomicFileWriter.h"
#include "tasks/IndicatorController.h"
#include "tasks/ProgressReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

namespace {
const QString kClassWords = u"Document"_s;
const QString kDocumentMessage = u"Document"_s;
const QString kCachesFolderTitle = u"cachesID"_s;
const QString kDocumentFileName = u"documentFileName"_s;
const QString kProtectKey = u"protectFileByPasswordWithState"_s;
constexpr int kMarkPanelRows = 99;

} // namespace

MyDocument::MyDocument(MyDocumentController *controller, const QString &displayName,
                       MyDocumentWindow *window, NotificationCenter *center, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_window(window)
    , m_center(center ? center : &NotificationCenter::defaultCenter())
    , m_displayName(displayName.isEmpty() ? Localization::textOrKey(Localization::kMainTable, u"0001Title"_s)
                                          : displayName)
{
    m_taskHandler = [this](const QVariantMap &task) {
        IndicatorController &indicator = IndicatorController::sharedController();
        // The answer tells whether the task is worth the panel; it runs either way.
        if (indicator.selfIndicator(task))
            indicator.openPanel(this->window()->windowHandle());
        return true;
    };
}

MyDocument::~MyDocument()
{
    if (m_observing) {
        m_center->removeObserver(this);
    }
    if (m_numberHeld && m_controller)
        m_controller->releaseNumberForDocumentPath(m_filePath.isEmpty() ? m_displayName : m_filePath);
}

void MyDocument::setWindow(MyDocumentWindow *window)
{
    m_window = window;
}

void MyDocument::registerTimerIntervals(int saveMs, int passwordMs)
{
    m_saveDelayMs = qMax(0, saveMs);
    m_passwordDelayMs = qMax(0, passwordMs);
}

MyDocumentWindow *MyDocument::window() const
{
    static MyDocumentWindow headless;
    return m_window ? m_window : &headless;
}

DocumentSource *MyDocument::documentSource()
{
    if (!m_documentSource) {
        m_documentSource = std::make_unique<DocumentSource>();
        m_documentSource->initializationUserObject();
        makingFileCachesFolderPath();
    }
    return m_documentSource.get();
}

RootCachesFolder *MyDocument::rootCachesFolder()
{
    if (!m_rootCachesFolder) {
        m_rootCachesFolder = std::make_unique<RootCachesFolder>();
        m_rootCachesFolder->initializationUserObject();
        if (m_controller && m_controller->rootCachesFolder())
            m_rootCachesFolder->setTheEnvironmentalAtDecoder(m_controller->rootCachesFolder());
    }
    return m_rootCachesFolder.get();
}

FileAttribute *MyDocument::fileAttribute()
{
    if (!m_fileAttribute) {
        m_fileAttribute = std::make_unique<FileAttribute>();
        m_fileAttribute->registerFileCachesFolderPath(rootCachesFolder()->fileCachesFolderPath());
    }
    return m_fileAttribute.get();
}

ListItem *MyDocument::listItem()
{
    return documentSource()->listItemsSource()->listItem();
}

int MyDocument::cachesFolderID()
{
    return rootCachesFolder()->cachesFolderID();
}

QString MyDocument::documentFileName() const
{
    return m_filePath.isEmpty() ? m_displayName : ModelText::lastPathComponent(m_filePath);
}

QString MyDocument::workingFolder()
{
    return rootCachesFolder()->fileCachesFolderPath();
}

GeneralObject *MyDocument::generalObject() const
{
    PreferencesSource *preferences = m_controller ? m_controller->preferencesSource() : nullptr;
    return preferences ? preferences->generalObject() : nullptr;
}

PrivatePasswordObject *MyDocument::securityObject() const
{
    PreferencesSource *preferences = m_controller ? m_controller->preferencesSource() : nullptr;
    return preferences ? preferences->securityObject()->privatePasswordObject() : nullptr;
}

QString MyDocument::nickname() const
{
    const GeneralObject *general = generalObject();
    return general ? general->userNicknameString() : QString();
}

bool MyDocument::nicknameIsCreator()
{
    return nickname() == documentSource()->creatorInformation()->creatorName();
}

bool MyDocument::makingFileCachesFolderPath()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingFileCachesFolderPath", false, [&] {
        const QString key = m_filePath.isEmpty() ? m_displayName : m_filePath;
        int number = 0;
        if (m_controller) {
            number = m_controller->acquireNumberForDocumentPath(key);
            m_numberHeld = number > 0;
        }
        RootCachesFolder *tree = rootCachesFolder();
        tree->registerCachesFolderID(number);
        const bool made = tree->makingFileCachesFolderTitle(kCachesFolderTitle, number);
        if (m_fileAttribute)
            m_fileAttribute->registerFileCachesFolderPath(tree->fileCachesFolderPath());
        return made && tree->confirmFileCachesFolderPath();
    });
}

bool MyDocument::loadFileWrapperRepresentation(const QString &packagePath, const QString &type)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"loadFileWrapperRepresentation", false, [&] {
        const QFileInfo info(packagePath);
        if (type != kDocumentType || !info.isDir())
            return false;
        // The number and working folder follow the path, so set it first.
        m_filePath = info.absoluteFilePath();
        FileAttribute *attribute = fileAttribute();
        if (!attribute->registerWrapperFilePath(m_filePath)
            || !attribute->registerWrapperFileName(info.fileName()))
            return false;
        attribute->registerFileAttributesOfDictionary(FileAttribute::fileAttributesAtPath(m_filePath));
        if (!makingFileCachesFolderPath())
            return false;
        window()->setDisplayName(documentFileName());
        return true;
    });
}

void MyDocument::registerNotificationHandlers()
{
    if (m_observing)
        return;
    m_observing = true;
    const auto observe = [this](const QString &name, void (MyDocument::*handler)(const Notification &)) {
        m_center->addObserver(name, this, [this, handler](const Notification &n) { (this->*handler)(n); });
    };
    observe(NotificationName::notifPasswordForSave, &MyDocument::answerPasswordWithFilePathNotification);
    observe(NotificationName::notifSaveWrapperDirectory, &MyDocument::saveWrapperDirectoryOfTheNotification);
    observe(u"deliverConversionFileOfTheFileEncoding"_s, &MyDocument::deliverConversionFileOfTheNotification);
    observe(NotificationName::finishWriteListItemNotif, &MyDocument::finishWriteListItemOfTheNotification);
    observe(NotificationName::developExistingFileUnfoldNotif, &MyDocument::developUnfoldOfTheNotification);
    observe(NotificationName::developItemsSearchNotif, &MyDocument::developItemsSearchOfTheNotification);
    observe(NotificationName::developOptionObjectSourceNotif, &MyDocument::developOptionObjectSourceOfTheNotification);
    observe(NotificationName::showItemsPreTableViewNotif, &MyDocument::showItemsPreTableViewOfTheNotification);
    observe(NotificationName::outputConverterNotif, &MyDocument::outputConverterOfTheNotification);
}

void MyDocument::awakeFromNib()
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"awakeFromNib", [&] {
        m_saveSituation = true;
        registerNotificationHandlers();
        m_terminateState = false;
        m_closeWindowState = false;

        if (readCachesFolderForListObject()) {
            m_saveSituation = false;
            indicatorAtStep(10104, 0, u"App"_s);
            const GeneralObject *general = generalObject();
            if (general && general->frameUsingWindowWithState())
                window()->setWindowFrame(documentSource()->contentWindowRect());
            window()->reviseSplitLayout();
            window()->reloadToolView();
            if (documentSource()->listItemsSource()->confirmListItemTitle())
                readCurrentListItemFile(false);
        } else {
            window()->initializeToolView();
            documentSource()->mainSplitSource()->registerToolSelectWihtState(1);
        }
        window()->reloadObject();
        indicatorAtStep(10109, 0, u"App"_s);
        workLogWithState(nicknameIsCreator() ? 2 : 3);
    });
}

void MyDocument::windowControllerDidLoadNib()
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"windowControllerDidLoadNib", [&] {
        CreatorInformation *creator = documentSource()->creatorInformation();
        if (!creator->setUpCreator()) {
            if (!creator->confirm_creatorName())
                workLogWithState(1);
            creator->register_setUpCreator(true);
        }
    });
}

bool MyDocument::readCachesFolderForListObject()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"readCachesFolderForListObject", false, [&] {
        const QString folder = workingFolder();
        if (folder.isEmpty())
            return false;
        QFile file(QDir(folder).filePath(kRootFileName));
        if (!file.exists() || !file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        QString error;
        const auto stored = KeyedUnarchiver::unarchivedObject<DocumentSource>(bytes, kRootKey, &error);
        if (!stored) {
            qCWarning(lcDocument) << "the stored document root cannot be read:" << error;
            return false;
        }
        if (!inspectUpdateSituationDic(stored->updateSituationDic()))
            return false;
        return documentSource()->setTheEnvironmentalAtDecoder(stored.get());
    });
}

bool MyDocument::inspectUpdateSituationDic(const QVariantMap &stored) const
{
    if (stored.isEmpty())
        return false;
    // The open flow asked for the password of whichever record said
    // protected; a root that says protected must be the one it matched.
    if (!stored.value(kProtectKey).toBool())
        return true;
    const QVariantMap opened = m_controller ? m_controller->updateSituationDic() : QVariantMap();
    return opened.value(kProtectKey).toBool()
        && opened.value(u"passwordTitle"_s).toString() == stored.value(u"passwordTitle"_s).toString()
        && opened.value(u"password"_s).toString() == stored.value(u"password"_s).toString();
}

bool MyDocument::readCurrentListItemFile(bool state)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"readCurrentListItemFile", false, [&] {
        const QString fileName = ListItemsSource::listItemsFileName(
            documentSource()->listItemsSource()->listItemIDString());
        if (fileName.isEmpty())
            return false;
        return m_taskHandler(QVariantMap{
            {RequestKey::cachesFolderID, cachesFolderID()},
            {RequestKey::targeted, TaskCode::readListFile},
            {u"folderPath"_s, workingFolder()},
            {RequestKey::filePass, fileName},
            {kDocumentFileName, documentFileName()},
            {u"state"_s, state},
        });
    });
}

bool MyDocument::storeCurrentListItem(const QString &title, bool askBeforeReplacing)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"storeCurrentListItem", false, [&] {
        ListItem *list = listItem();
        ListItemsSource *lists = documentSource()->listItemsSource();
        if (list->tableItemObjectArray().isEmpty() || !lists->registerListItemTitle(title))
            return false;
        const bool stored = !askBeforeReplacing && lists->inspectionListItemTitle(title)
            ? lists->addListItemIDString()
            : lists->addListItemTitle();
        if (!stored)
            return false;
        CreatorInformation *creator = list->creatorInformation();
        const QString name = nickname();
        if (!creator->setUpCreator()) {
            if (!creator->confirm_creatorName()) {
                if (!name.isEmpty())
                    creator->register_creatorName(name);
                creator->workLogWithState(1);
            }
            creator->register_setUpCreator(true);
        } else if (name == creator->creatorName()) {
            creator->set_dayOfUpdate();
            creator->workLogWithState(2);
        } else {
            creator->register_updateCreator(name);
            creator->set_dayOfUpdate();
            creator->workLogWithState(3);
        }
        lists->setLogText();
        const bool sent = m_taskHandler(QVariantMap{
            {RequestKey::cachesFolderID, cachesFolderID()},
            {RequestKey::targeted, TaskCode::writeListFile},
            {u"folderPath"_s, workingFolder()},
            {RequestKey::fileName, ListItemsSource::listItemsFileName(lists->listItemIDString())},
            {RequestKey::listItemSource, QVariant::fromValue(ListItemPtr(std::make_shared<ListItem>(*list)))},
            {kDocumentFileName, documentFileName()},
        });
        if (sent)
            updateChangeCountAs(true);
        return sent;
    });
}

bool MyDocument::openStoredListItem(const QString &title)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"openStoredListItem", false, [&] {
        ListItemsSource *lists = documentSource()->listItemsSource();
        // The selected entry, not listItemTitle(): selecting another list
        // leaves that title behind.
        if (lists->titleOfTheObjectDic().value(u"listItemTitle"_s).toString() == title
            && !listItem()->tableItemObjectArray().isEmpty())
            return true;
        if (!lists->inspectionListItemTitle(title))
            return false;
        // Until the read delivers, the previous list must not stand in for
        // this one: storing it would write it over this list's file.
        ListItem empty;
        listItem()->setTheEnvironmentalAtDecoder(&empty);
        window()->makeTableColumns();
        window()->reloadObject();
        return readCurrentListItemFile(false);
    });
}

void MyDocument::updateChangeCountAs(bool changed)
{
    m_updateDocument = changed;
    window()->setDocumentEdited(changed);
}

bool MyDocument::register_searchTitle(const QString &title)
{
    return ModelText::registerString(m_searchTitle, title);
}

void MyDocument::indicatorAtStep(int step, double count, const QString &message)
{
    // The progress model listens for the workers' step names only, so the
    // document reports on it directly.
    IndicatorController::sharedController().indicatorStep(ProgressReport::payload(step, count, message));
}

bool MyDocument::selfIndicator(const QVariantMap &request)
{
    if (request.isEmpty())
        return false;
    return m_taskHandler(request);
}

void MyDocument::openOptionPanelCommand(const QVariantMap &dictionary)
{
    QVariantMap copy = dictionary;
    copy.insert(u"referenceListDictionary"_s,
                QVariantMap{{Localization::textOrKey(Localization::kMainTable, u"0013Title"_s),
                             listItem()->selectColumnTitlesArray()}});
    window()->openOptionPanel(copy);
}

bool MyDocument::workLogWithState(int state)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"workLogWithState", false, [&] {
        ListItem *list = listItem();
        list->setTableComment();
        const QString name = nickname();
        CreatorInformation *root = documentSource()->creatorInformation();
        CreatorInformation *current = list->creatorInformation();
        switch (state) {
        case 1:
            if (!name.isEmpty())
                root->register_creatorName(name);
            root->workLogWithState(1);
            return true;
        case 2:
            root->set_dayOfUpdate();
            root->workLogWithState(2);
            return true;
        case 3:
            root->register_updateCreator(name);
            root->set_dayOfUpdate();
            root->workLogWithState(3);
            return true;
        case 4:
        case 6:
            root->set_dayOfUpdate();
            root->workLogWithState(state);
            if (state == 4 && !current->confirm_creatorName())
                current->register_creatorName(name);
            current->set_dayOfUpdate();
            current->workLogWithState(state);
            break;
        case 5:
        case 7:
            for (CreatorInformation *creator : {root, current}) {
                creator->register_updateCreator(name);
                creator->set_dayOfUpdate();
                creator->workLogWithState(state);
            }
            break;
        default:
            return false;
        }
        ListItemsSource *lists = documentSource()->listItemsSource();
        lists->registerInfoText(current->logText());
        window()->showInfoText(lists->infoText());
        return true;
    });
}

void MyDocument::importListItemsFilePath()
{
    window()->importListItemsFilePath();
}

void MyDocument::exportListItemsFile()
{
    window()->exportListItemsFile();
}

void MyDocument::setingToolWihtState(int state)
{
    window()->setingToolWihtState(state);
}

void MyDocument::saveDocument()
{
    selectedSaveFileWork(false);
}

void MyDocument::saveDocumentAs()
{
    selectedSaveFileWork(true);
}

void MyDocument::selectedSaveFileWork(bool askForPath)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, askForPath ? u"saveAsFileWork" : u"saveFileWork", [&] {
        documentSource()->registerContentWindowRect(window()->windowFrame());
        if (!askForPath && !m_saveSituation && fileAttribute()->confirmWrapperFilePath()) {
            privatePasswordWithState(fileAttribute()->wrapperFilePath(), false);
            return;
        }
        const QString proposed = m_saveSituation
            ? Localization::textOrKey(Localization::kMainTable, u"0001Title"_s)
            : documentFileName();
        QString path;
        if (window()->runSavePanel(proposed, &path) && !path.isEmpty())
            saveWorkFilePath(path);
    });
}

void MyDocument::saveWorkFilePath(const QString &path)
{
    QString target = Paths::expandTilde(path);
    if (!target.endsWith(u".pgcd"_s, Qt::CaseInsensitive))
        target += u".pgcd"_s;
    privatePasswordWithState(target, true);
}

bool MyDocument::protectionWanted() const
{
    const PrivatePasswordObject *security = securityObject();
    return security && security->privatePasswordWithState() && security->protectFileByPasswordWithState();
}

void MyDocument::rebuildProtection(bool protect)
{
    const PrivatePasswordObject *security = securityObject();
    documentSource()->registerUpdateSituationDic(DocumentSource::protectionDictionary(
        protect && security, security ? security->privatePasswordTitleString() : QString(),
        security ? security->privatePasswordString() : QString()));
}

void MyDocument::privatePasswordWithState(const QString &path, bool confirmAllowed)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"privatePasswordWithState", [&] {
        const bool protect = protectionWanted();
        // Only the save panel's answer may drop the protection a document
        // was opened with.
        const bool keep = !protect && documentSource()->privatePasswordWithState();
        if (!keep)
            rebuildProtection(protect);
        const PrivatePasswordObject *security = securityObject();
        if (protect && confirmAllowed && security->saveItNewlyConfirmWithState()) {
            const QString title = security->privatePasswordTitleString();
            const QString password = security->privatePasswordString();
            const int number = cachesFolderID();
            QTimer::singleShot(m_passwordDelayMs, this, [this, title, password, path, number] {
                SaveController &panel = SaveController::sharedController();
                if (panel.requestSavePanelForPasswordWithTitle(title, password, path)) {
                    panel.registerCachesFolderID(number);
                    panel.openPanel(window()->windowHandle());
                }
            });
            return;
        }
        if (writeProtectionFile(protect || keep))
            startSaveAtPath(path);
    });
}

bool MyDocument::writeProtectionFile(bool protect)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"writeProtectionFile", false, [&] {
        const QString folder = workingFolder();
        if (folder.isEmpty())
            return false;
        const QVariantMap record = protect ? documentSource()->updateSituationDic()
                                           : DocumentSource::protectionDictionary(false, {}, {});
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeValue(record, kProtectionKey);
        if (!archiver.finish())
            return false;
        QString error;
        if (AtomicFileWriter::writeFile(QDir(folder).filePath(kProtectionFileName), bytes, &error, false))
            return true;
        ErrorLog::err(lcDocument(), kClassWords, u"writeProtectionFile", error);
        return false;
    });
}

QVariantMap MyDocument::saveRequestForPath(const QString &path)
{
    FileAttribute *attribute = fileAttribute();
    attribute->registerTargeted(202);
    attribute->registerWrapperFilePath(path);
    attribute->registerWrapperFileName(ModelText::lastPathComponent(path));
    const qsizetype rows = listItem()->tableItemObjectArray().size();
    const ArchivableSnapshotPtr root =
        std::make_shared<ArchivableSnapshotOf<DocumentSource>>(documentSource()->snapshot(), rows);
    return {
        {RequestKey::cachesFolderID, cachesFolderID()},
        {RequestKey::targeted, TaskCode::savePackage},
        {u"folderPath"_s, workingFolder()},
        {u"filePath"_s, path},
        {RequestKey::documentSource, QVariant::fromValue(root)},
    };
}

void MyDocument::startSaveAtPath(const QString &path)
{
    // The request is built when the timer fires, so that it holds the
    // document as it is then.
    QTimer::singleShot(m_saveDelayMs, this, [this, path] {
        ErrorLog::guardedVoid(lcDocument(), kClassWords, u"saveDocument", [&] {
            selfIndicator(saveRequestForPath(path));
        });
    });
}

void MyDocument::answerPasswordWithFilePathNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"answerPasswordWithFilePathNotification", [&] {
        const QVariantMap answer = notification.object.toMap();
        if (!isForThisDocument(answer.value(RequestKey::cachesFolderID)))
            return;
        const bool protect = answer.value(u"Protect"_s).toBool();
        // The root records what was answered, so that its record and the
        // protection file agree.
        rebuildProtection(protect && protectionWanted());
        if (writeProtectionFile(protect && protectionWanted()))
            startSaveAtPath(answer.value(u"FilePath"_s).toString());
    });
}

void MyDocument::saveWrapperDirectoryOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"saveWrapperDirectoryOfTheNotification", [&] {
        if (!isForThisDocument(notification.object))
            return;
        m_saveSituation = false;
        const QString saved = Paths::expandTilde(fileAttribute()->wrapperFilePath());
        const QString oldKey = m_filePath.isEmpty() ? m_displayName : m_filePath;
        const QString newPath = QFileInfo(saved).absoluteFilePath();
        if (oldKey != newPath && m_controller)
            m_controller->transferNumberForDocumentPath(oldKey, newPath);
        m_filePath = newPath;
        window()->setDisplayName(documentFileName());
        updateChangeCountAs(false);
        if (m_terminateState) {
            m_terminateState = false;
            window()->quitApplication();
        } else if (m_closeWindowState) {
            m_closeWindowState = false;
            window()->closeWindow();
        }
    });
}

bool MyDocument::shouldCloseWindow()
{
    return !m_updateDocument || terminateSaveOption(false);
}

bool MyDocument::terminate()
{
    return !m_updateDocument || terminateSaveOption(true);
}

bool MyDocument::terminateSaveOption(bool quitting)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"terminateSaveOption", false, [&] {
        const auto alert = [](const QString &key) {
            return Localization::textOrKey(Localization::kAlertTable, key);
        };
        const auto main = [](const QString &key) {
            return Localization::textOrKey(Localization::kMainTable, key);
        };
        const QString title = u"%1 %2 %3"_s.arg(alert(u"00201Uptake01"_s), documentFileName(),
                                                alert(u"00201Uptake02"_s));
        switch (window()->runSaveOptionAlert(title, alert(u"00201Canceled"_s), main(u"1009Title"_s),
                                             main(u"1008Title"_s), main(u"1010Title"_s))) {
        case MyDocumentWindow::SaveOption::Save:
            if (quitting)
                m_terminateState = true;
            else
                m_closeWindowState = true;
            saveDocument();
            return false;
        case MyDocumentWindow::SaveOption::DontSave:
            updateChangeCountAs(false);
            return true;
        case MyDocumentWindow::SaveOption::Cancel:
            break;
        }
        return false;
    });
}

bool MyDocument::isForThisDocument(const QVariant &number)
{
    bool ok = false;
    const int value = number.toInt(&ok);
    return ok && value == cachesFolderID();
}

void MyDocument::deliverConversionFileOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"deliverConversionFileOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID)))
            return;
        const ListItemPtr delivered = result.value(u"ListItem"_s).value<ListItemPtr>();
        if (result.value(kDocumentFileName).toString() == documentFileName() && delivered
            && listItem()->setTheEnvironmentalAtDecoder(delivered.get())) {
            indicatorAtStep(24009, 70, kDocumentMessage);
            window()->makeTableColumns();
            window()->reloadObject();
            window()->setListsUpdated(true);
            window()->commentOfCSVtoLMSConversion();
            indicatorAtStep(24009, 90, kDocumentMessage);
            updateChangeCountAs(true);
        }
        indicatorAtStep(24010, 100, kDocumentMessage);
        const QString source = listItem()->conversionRelevantFilePath();
        documentSource()->creatorInformation()->register_logComment(source);
        listItem()->creatorInformation()->register_logComment(source);
        workLogWithState(nicknameIsCreator() ? 4 : 5);
        window()->reloadObject();
    });
}

void MyDocument::finishWriteListItemOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"finishWriteListItemOfTheNotification", [&] {
        if (notification.object.toString() != documentFileName())
            return;
        window()->reloadObject();
        window()->setListsUpdated(false);
        indicatorAtStep(93404, 100, kDocumentMessage);
    });
}

void MyDocument::developUnfoldOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"developUnfoldOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID))
            || result.value(kDocumentFileName).toString() != documentFileName())
            return;
        indicatorAtStep(93203, 100, kDocumentMessage);
        const ListItemPtr delivered = result.value(u"ListItem"_s).value<ListItemPtr>();
        if (delivered) {
            ListItem fresh;
            fresh.setTheEnvironmentalAtDecoder(delivered.get());
            listItem()->setTheEnvironmentalAtDecoder(&fresh);
            window()->makeTableColumns();
            window()->reloadObject();
        }
        updateChangeCountAs(result.value(u"state"_s).toBool());
        if (!m_searchTitle.isEmpty()) {
            window()->selectSearchTitle(m_searchTitle);
            window()->reloadObject();
        }
        indicatorAtStep(93204, 100, kDocumentMessage);
    });
}

void MyDocument::developItemsSearchOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"developItemsSearchOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID)))
            return;
        window()->resetTable();
        // Row numbers are good while the rows are the ones the search read;
        // after any edit the result is found again by item ID.
        const RowList searched = result.value(u"listRows"_s).value<RowList>();
        if (!searched.isEmpty() && searched.constData() == listItem()->rowStore().rows().constData())
            listItem()->registerSearchResultRows(result.value(u"objectRows"_s).value<QList<qsizetype>>());
        else
            listItem()->registerTableItemOfTheSearchObjectArray(result.value(RequestKey::objectArray).value<RowList>());
        listItem()->registerIndicationMode(true);
        indicatorAtStep(24405, 100, documentSource()->listItemsSource()->searchObjectTitle());
        window()->reloadObject();
    });
}

void MyDocument::developOptionObjectSourceOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"developOptionObjectSourceOfTheNotification", [&] {
        const auto delivered = notification.object.toMap().value(u"optionObjectSource"_s)
                                   .value<OptionObjectSourcePtr>();
        if (!delivered)
            return;
        OptionObjectSource fresh;
        fresh.setTheEnvironmentalAtDecoder(delivered.get());
        listItem()->optionObjectSource()->setTheEnvironmentalAtDecoder(&fresh);
        window()->reloadOptions();
        window()->reloadObject();
        updateChangeCountAs(true);
    });
}

void MyDocument::outputConverterOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"outputConverterOfTheNotification", [&] {
        const QString path = notification.object.toString();
        if (path.isEmpty())
            return;
        documentSource()->creatorInformation()->register_logComment(path);
        listItem()->creatorInformation()->register_logComment(path);
        workLogWithState(nicknameIsCreator() ? 6 : 7);
    });
}

OptionRun *MyDocument::makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings)
{
    settings.cachesFolderID = cachesFolderID();
    settings.center = m_center;
    if (PreferencesSource *preferences = m_controller ? m_controller->preferencesSource() : nullptr)
        settings.limits.deadlineMs = qint64(preferences->advancedObject()->scriptRunSeconds()) * 1000;
    std::optional<Row> selected;
    Row item;
    if (window()->selectedEditingItem(&item))
        selected = item;
    auto *run = new OptionRun(*listItem(), options, std::move(settings), selected, this);
    // Connected first, so the list has the writes before any other listener
    // of finished() looks at it.
    connect(run, &OptionRun::finished, this, [this, run] { applyOptionRun(run->outcome()); });
    return run;
}

CellEditList MyDocument::applyOptionRun(const OptionRun::Outcome &outcome)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"applyOptionRun", CellEditList(), [&] {
        if (outcome.missedSelectedItem)
            AlertSheetModal::openAlert(219, QString());
        if (outcome.writes.isEmpty())
            return CellEditList();
        const CellEditList undo = listItem()->applyCellEdits(outcome.writes);
        updateChangeCountAs(true);
        window()->reloadObject();
        return undo;
    });
}

void MyDocument::showItemsPreTableViewOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"showItemsPreTableViewOfTheNotification", [&] {
        bool ok = false;
        const int value = notification.object.toInt(&ok);
        if (ok && (value == 0 || value == 1)) {
            const qsizetype count = listItem()->tableItemObjectArray().size();
            const QVariantMap request{{u"itemCount"_s, count}, {RequestKey::targeted, TaskCode::markAllRows}, {u"showState"_s, value == 1}};
            indicatorAtStep(71000, 0, QString());
            if (count > kMarkPanelRows)
                selfIndicator(request);
            threadShowItemsAllAtState(value == 1);
        }
        window()->setListsUpdated(true);
    });
}

void MyDocument::threadShowItemsAllAtState(bool state)
{
    // Marking runs in place as one change: it touches the rows the views
    // show, and a million rows take a few milliseconds.
    const qsizetype count = listItem()->rowCount();
    listItem()->setAllIndications(state ? 1 : 0);
    indicatorAtStep(71002, 100.0, u"%1 / %2"_s.arg(count).arg(count));
    updateChangeCountAs(true);
    indicatorAtStep(71003, 100, QString());
}
