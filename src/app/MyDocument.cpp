#include "MyDocument.h"

#include "DocumentLists.h"
#include "DocumentResultRouter.h"
#include "DocumentSaveFlow.h"
#include "DocumentWorkLog.h"
#include "MyDocumentController.h"

#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "document/FileAttribute.h"
#include "document/MainSplitSource.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"
#include "tasks/IndicatorController.h"
#include "tasks/ProgressReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

namespace {
const QString kCachesFolderTitle = u"cachesID"_s;
const QString kProtectKey = u"protectFileByPasswordWithState"_s;
} // namespace

MyDocument::MyDocument(MyDocumentController *controller, const QString &displayName,
                       MyDocumentWindow *window, NotificationCenter *center, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_window(window)
    , m_center(center ? center : &NotificationCenter::defaultCenter())
    , m_displayName(displayName.isEmpty() ? Localization::textOrKey(Localization::kMainTable, u"0001Title"_s)
                                          : displayName)
    , m_workLog(std::make_unique<DocumentWorkLog>(*this))
    , m_lists(std::make_unique<DocumentLists>(*this))
    , m_saveFlow(std::make_unique<DocumentSaveFlow>(*this))
    , m_router(std::make_unique<DocumentResultRouter>(*this, m_center))
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
    // Results stop arriving before the number is given back.
    m_router.reset();
    if (m_numberHeld && m_controller)
        m_controller->releaseNumberForDocumentPath(m_filePath.isEmpty() ? m_displayName : m_filePath);
}

void MyDocument::setWindow(MyDocumentWindow *window)
{
    m_window = window;
}

void MyDocument::registerTimerIntervals(int saveMs, int passwordMs)
{
    m_saveFlow->registerTimerIntervals(saveMs, passwordMs);
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

void MyDocument::awakeFromNib()
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"awakeFromNib", [&] {
        m_saveFlow->registerSaveSituationWithState(true);
        m_router->registerNotificationHandlers();
        m_saveFlow->clearCloseAfterSave();

        if (readCachesFolderForListObject()) {
            m_saveFlow->registerSaveSituationWithState(false);
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
        m_workLog->workLogWithState(m_workLog->nicknameIsCreator() ? 2 : 3);
    });
}

void MyDocument::windowControllerDidLoadNib()
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"windowControllerDidLoadNib", [&] {
        CreatorInformation *creator = documentSource()->creatorInformation();
        if (!creator->setUpCreator()) {
            if (!creator->confirm_creatorName())
                m_workLog->workLogWithState(1);
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

void MyDocument::registerSavedFilePath(const QString &saved)
{
    const QString oldKey = m_filePath.isEmpty() ? m_displayName : m_filePath;
    const QString newPath = QFileInfo(saved).absoluteFilePath();
    if (oldKey != newPath && m_controller)
        m_controller->transferNumberForDocumentPath(oldKey, newPath);
    m_filePath = newPath;
    window()->setDisplayName(documentFileName());
}

void MyDocument::registerSaveSituationWithState(bool state)
{
    m_saveFlow->registerSaveSituationWithState(state);
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

bool MyDocument::readCurrentListItemFile(bool state)
{
    return m_lists->readCurrentListItemFile(state);
}

bool MyDocument::storeCurrentListItem(const QString &title, bool askBeforeReplacing)
{
    return m_lists->storeCurrentListItem(title, askBeforeReplacing);
}

bool MyDocument::openStoredListItem(const QString &title)
{
    return m_lists->openStoredListItem(title);
}

OptionRun *MyDocument::makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings)
{
    return m_lists->makeOptionRun(options, std::move(settings));
}

CellEditList MyDocument::applyOptionRun(const OptionRun::Outcome &outcome)
{
    return m_lists->applyOptionRun(outcome);
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

void MyDocument::saveDocument()
{
    m_saveFlow->saveDocument();
}

void MyDocument::saveDocumentAs()
{
    m_saveFlow->saveDocumentAs();
}

void MyDocument::saveWorkFilePath(const QString &path)
{
    m_saveFlow->saveWorkFilePath(path);
}

bool MyDocument::shouldCloseWindow()
{
    return m_saveFlow->shouldCloseWindow();
}

bool MyDocument::terminate()
{
    return m_saveFlow->terminate();
}

bool MyDocument::saveSituation() const
{
    return m_saveFlow->saveSituation();
}

bool MyDocument::terminateState() const
{
    return m_saveFlow->terminateState();
}
