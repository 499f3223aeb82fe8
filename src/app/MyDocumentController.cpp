#include "MyDocumentController.h"

#include "AppController.h"
#include "AppPlatform.h"
#include "DocumentHandle.h"

#include "platform/AlertSheetModal.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

static const QString kClassWords = QStringLiteral("Document Controller");

static MyDocumentController *s_sharedDocumentController = nullptr;

MyDocumentController::MyDocumentController(AppPlatform *platform, AppController *appController)
    : m_platform(platform)
    , m_connectAppController(appController)
{
    s_sharedDocumentController = this;
}

MyDocumentController::~MyDocumentController()
{
    if (s_sharedDocumentController == this)
        s_sharedDocumentController = nullptr;
}

MyDocumentController *MyDocumentController::sharedDocumentController()
{
    return s_sharedDocumentController;
}

DocumentHandle *MyDocumentController::newDocument()
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"newDocument", static_cast<DocumentHandle *>(nullptr), [&] {
        if (!m_platform)
            return static_cast<DocumentHandle *>(nullptr);
        DocumentHandle *document = m_platform->newDocument();
        if (!document)
            document = m_platform->currentDocument();
        if (document)
            document->registerSaveSituationWithState(true);
        return document;
    });
}

bool MyDocumentController::openDocumentWithContentsOfFile(const QString &path, bool display)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"openDocumentWithContentsOfFile", false, [&] {
        if (!m_platform)
            return false;
        if (display)
            inspectionOpenUserDocumentFileName(path);
        return m_platform->openDocumentWithContentsOfFile(path, display);
    });
}

bool MyDocumentController::inspectionOpenUserDocumentFileName(const QString &path)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"inspectionOpenUserDocumentFileName", false, [&] {
        if (!m_platform || path.isEmpty())
            return false;
        const QString wanted = QDir::cleanPath(path);
        const QList<DocumentHandle *> documents = m_platform->openDocuments();
        for (DocumentHandle *document : documents) {
            if (!document || document->filePath().isEmpty() || QDir::cleanPath(document->filePath()) != wanted)
                continue;
            if (document->isDocumentEdited()
                && !AlertSheetModal::openAlert(211, document->lastComponentOfFileName()))
                return false;
            m_platform->closeDocument(document);
            return true;
        }
        return false;
    });
}

bool MyDocumentController::inspectionDocumentFileName(const QString &name) const
{
    return !name.isEmpty() && m_fileListDictionary.contains(name);
}

bool MyDocumentController::addDocumentFileName(const QString &name)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"addDocumentFileName", false, [&] {
        if (name.isEmpty() || m_fileListDictionary.contains(name))
            return false;
        const int number = nextFreeNumber(m_fileListDictionary.size() + 1);
        if (number == 0)
            return false;
        m_fileListDictionary.insert(name, number);
        return true;
    });
}

bool MyDocumentController::setFileName(const QString &name, int idNumber)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"setFileName", false, [&] {
        if (name.isEmpty())
            return false;
        m_fileListDictionary.insert(name, idNumber);
        return true;
    });
}

bool MyDocumentController::addFileName(const QString &oldName, int, const QString &newName, int newIdNumber)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"addFileName", false, [&] {
        if (oldName.isEmpty())
            return false;
        if (m_fileListDictionary.contains(oldName) && !removeFileName(oldName))
            return false;
        if (m_fileListDictionary.contains(newName))
            return false;
        return setFileName(newName, newIdNumber);
    });
}

bool MyDocumentController::removeFileName(const QString &name)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"removeFileName", false, [&] {
        if (name.isEmpty() || !m_fileListDictionary.contains(name))
            return false;
        m_fileListDictionary.remove(name);
        m_nameHolders.remove(name);
        return true;
    });
}

int MyDocumentController::answerDocumentFileName(const QString &name) const
{
    return m_fileListDictionary.value(name, 0);
}

bool MyDocumentController::registerFileListDictionary(const QVariantMap &dictionary)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"registerFileListDictionary", false, [&] {
        m_fileListDictionary.clear();
        m_nameHolders.clear();
        for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
            bool ok = false;
            const int number = it.value().toInt(&ok);
            if (!it.key().isEmpty() && ok)
                m_fileListDictionary.insert(it.key(), number);
        }
        return !m_fileListDictionary.isEmpty();
    });
}

QVariantMap MyDocumentController::fileListDictionary() const
{
    QVariantMap dictionary;
    for (auto it = m_fileListDictionary.cbegin(); it != m_fileListDictionary.cend(); ++it)
        dictionary.insert(it.key(), it.value());
    return dictionary;
}

QString MyDocumentController::fileNameOfPath(const QString &fullPath)
{
    const QString name = QFileInfo(QDir::cleanPath(fullPath)).fileName();
    return name.isEmpty() ? fullPath : name;
}

bool MyDocumentController::isNumberHeld(int number) const
{
    if (m_retiredNumbers.contains(number))
        return true;
    for (const int held : m_fileListDictionary) {
        if (held == number)
            return true;
    }
    for (const int held : m_pathNumbers) {
        if (held == number)
            return true;
    }
    return false;
}

int MyDocumentController::nextFreeNumber(qsizetype start) const
{
    for (qsizetype number = qMax<qsizetype>(start, 1); number <= std::numeric_limits<int>::max(); ++number) {
        if (!isNumberHeld(int(number)))
            return int(number);
    }
    return 0;
}

int MyDocumentController::acquireNumberForDocumentPath(const QString &fullPath)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"acquireNumberForDocumentPath", 0, [&] {
        if (fullPath.isEmpty())
            return 0;
        if (const auto it = m_pathNumbers.constFind(fullPath); it != m_pathNumbers.cend())
            return it.value();

        const QString name = fileNameOfPath(fullPath);
        const QString holder = m_nameHolders.value(name);
        int number = 0;
        if (!m_fileListDictionary.contains(name)) {
            if (!addDocumentFileName(name))
                return 0;
            number = m_fileListDictionary.value(name);
            m_nameHolders.insert(name, fullPath);
        } else if (holder.isEmpty() && !m_pathNumbers.values().contains(m_fileListDictionary.value(name))) {
            number = m_fileListDictionary.value(name);
            m_nameHolders.insert(name, fullPath);
        } else {
            number = nextFreeNumber(m_fileListDictionary.size() + 1);
            if (number == 0)
                return 0;
        }
        m_pathNumbers.insert(fullPath, number);
        return number;
    });
}

void MyDocumentController::releaseNumberForDocumentPath(const QString &fullPath)
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"releaseNumberForDocumentPath", [&] {
        const auto it = m_pathNumbers.constFind(fullPath);
        if (it == m_pathNumbers.cend())
            return;
        const int number = it.value();
        m_pathNumbers.erase(it);
        const QString name = fileNameOfPath(fullPath);
        if (m_nameHolders.value(name) == fullPath)
            m_nameHolders.remove(name);
        else if (!m_fileListDictionary.values().contains(number))
            m_retiredNumbers.insert(number);
    });
}

int MyDocumentController::transferNumberForDocumentPath(const QString &oldFullPath, const QString &newFullPath)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"transferNumberForDocumentPath", 0, [&] {
        if (newFullPath.isEmpty())
            return 0;
        if (!m_pathNumbers.contains(oldFullPath))
            return acquireNumberForDocumentPath(newFullPath);
        if (oldFullPath == newFullPath)
            return m_pathNumbers.value(oldFullPath);
        if (m_pathNumbers.contains(newFullPath))
            return 0; // another open document already stands at that path

        const int number = m_pathNumbers.take(oldFullPath);
        const QString oldName = fileNameOfPath(oldFullPath);
        const QString newName = fileNameOfPath(newFullPath);
        if (m_nameHolders.value(oldName) == oldFullPath) {
            m_nameHolders.remove(oldName);
            addFileName(oldName, number, newName, number);
        } else if (!m_fileListDictionary.contains(newName)) {
            setFileName(newName, number);
        }
        if (m_fileListDictionary.value(newName) == number && !m_nameHolders.contains(newName))
            m_nameHolders.insert(newName, newFullPath);
        m_pathNumbers.insert(newFullPath, number);
        return number;
    });
}

void MyDocumentController::importListItemsFilePath()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"importListItemsFilePath", [&] {
        if (DocumentHandle *document = m_platform ? m_platform->currentDocument() : nullptr)
            document->importListItemsFilePath();
    });
}

void MyDocumentController::exportListItemsFile()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"exportListItemsFile", [&] {
        if (DocumentHandle *document = m_platform ? m_platform->currentDocument() : nullptr)
            document->exportListItemsFile();
    });
}

void MyDocumentController::setingToolWihtState(int state)
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"setingToolWihtState", [&] {
        if (DocumentHandle *document = m_platform ? m_platform->currentDocument() : nullptr)
            document->setingToolWihtState(state);
    });
}

void MyDocumentController::showFontPanel()
{
    if (m_connectAppController)
        m_connectAppController->showFontPanel();
}

void MyDocumentController::showFontColorPanel()
{
    if (m_connectAppController)
        m_connectAppController->showFontColorPanel();
}

RootCachesFolder *MyDocumentController::rootCachesFolder() const
{
    return m_connectAppController ? m_connectAppController->rootCachesFolder() : nullptr;
}

PreferencesSource *MyDocumentController::preferencesSource() const
{
    return m_connectAppController ? m_connectAppController->preferencesSource() : nullptr;
}

QVariantMap MyDocumentController::updateSituationDic() const
{
    return m_connectAppController ? m_connectAppController->updateSituationDic() : QVariantMap();
}

QString MyDocumentController::userDocumentFilePath() const
{
    return m_connectAppController ? m_connectAppController->userDocumentFilePath() : QString();
}
