#include "DocumentResultRouter.h"

#include "DocumentLists.h"
#include "DocumentSaveFlow.h"
#include "DocumentWorkLog.h"
#include "MyDocument.h"

#include "document/DocumentSource.h"
#include "list/CreatorInformation.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"
#include "script/OptionObjectSourcePtr.h"

using namespace Qt::StringLiterals;

namespace {
const QString kDocumentMessage = u"Document"_s;
constexpr int kMarkPanelRows = 99;
} // namespace

DocumentResultRouter::DocumentResultRouter(MyDocument &document, NotificationCenter *center)
    : QObject(&document)
    , m_document(document)
    , m_center(center)
{
}

DocumentResultRouter::~DocumentResultRouter()
{
    if (m_observing)
        m_center->removeObserver(this);
}

void DocumentResultRouter::registerNotificationHandlers()
{
    if (m_observing)
        return;
    m_observing = true;
    const auto observe = [this](const QString &name, void (DocumentResultRouter::*handler)(const Notification &)) {
        m_center->addObserver(name, this, [this, handler](const Notification &n) { (this->*handler)(n); });
    };
    using R = DocumentResultRouter;
    observe(NotificationName::notifPasswordForSave, &R::answerPasswordWithFilePathNotification);
    observe(NotificationName::notifSaveWrapperDirectory, &R::saveWrapperDirectoryOfTheNotification);
    observe(u"deliverConversionFileOfTheFileEncoding"_s, &R::deliverConversionFileOfTheNotification);
    observe(NotificationName::finishWriteListItemNotif, &R::finishWriteListItemOfTheNotification);
    observe(NotificationName::developExistingFileUnfoldNotif, &R::developUnfoldOfTheNotification);
    observe(NotificationName::developItemsSearchNotif, &R::developItemsSearchOfTheNotification);
    observe(NotificationName::developOptionObjectSourceNotif, &R::developOptionObjectSourceOfTheNotification);
    observe(NotificationName::showItemsPreTableViewNotif, &R::showItemsPreTableViewOfTheNotification);
    observe(NotificationName::outputConverterNotif, &R::outputConverterOfTheNotification);
}

bool DocumentResultRouter::isForThisDocument(const QVariant &number)
{
    bool ok = false;
    const int value = number.toInt(&ok);
    return ok && value == m_document.cachesFolderID();
}

void DocumentResultRouter::answerPasswordWithFilePathNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"answerPasswordWithFilePathNotification", [&] {
        const QVariantMap answer = notification.object.toMap();
        if (!isForThisDocument(answer.value(RequestKey::cachesFolderID)))
            return;
        m_document.saveFlow().answerPasswordForPath(answer.value(u"FilePath"_s).toString(),
                                                    answer.value(u"Protect"_s).toBool());
    });
}

void DocumentResultRouter::saveWrapperDirectoryOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"saveWrapperDirectoryOfTheNotification", [&] {
        if (isForThisDocument(notification.object))
            m_document.saveFlow().finishSave();
    });
}

void DocumentResultRouter::deliverConversionFileOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"deliverConversionFileOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID)))
            return;
        MyDocumentWindow *window = m_document.window();
        const ListItemPtr delivered = result.value(u"ListItem"_s).value<ListItemPtr>();
        if (result.value(RequestKey::documentFileName).toString() == m_document.documentFileName() && delivered
            && m_document.listItem()->setTheEnvironmentalAtDecoder(delivered.get())) {
            m_document.indicatorAtStep(24009, 70, kDocumentMessage);
            window->makeTableColumns();
            window->reloadObject();
            window->setListsUpdated(true);
            window->commentOfCSVtoLMSConversion();
            m_document.indicatorAtStep(24009, 90, kDocumentMessage);
            m_document.updateChangeCountAs(true);
        }
        m_document.indicatorAtStep(24010, 100, kDocumentMessage);
        ListItem *list = m_document.listItem();
        const QString source = list->conversionRelevantFilePath();
        m_document.documentSource()->creatorInformation()->register_logComment(source);
        list->creatorInformation()->register_logComment(source);
        DocumentWorkLog &log = m_document.workLog();
        log.workLogWithState(log.nicknameIsCreator() ? 4 : 5);
        window->reloadObject();
    });
}

void DocumentResultRouter::finishWriteListItemOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"finishWriteListItemOfTheNotification", [&] {
        if (notification.object.toString() != m_document.documentFileName())
            return;
        m_document.window()->reloadObject();
        m_document.window()->setListsUpdated(false);
        m_document.indicatorAtStep(93404, 100, kDocumentMessage);
    });
}

void DocumentResultRouter::developUnfoldOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"developUnfoldOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID))
            || result.value(RequestKey::documentFileName).toString() != m_document.documentFileName())
            return;
        MyDocumentWindow *window = m_document.window();
        m_document.indicatorAtStep(93203, 100, kDocumentMessage);
        const ListItemPtr delivered = result.value(u"ListItem"_s).value<ListItemPtr>();
        if (delivered) {
            ListItem fresh;
            fresh.setTheEnvironmentalAtDecoder(delivered.get());
            m_document.listItem()->setTheEnvironmentalAtDecoder(&fresh);
            window->makeTableColumns();
            window->reloadObject();
        }
        m_document.updateChangeCountAs(result.value(u"state"_s).toBool());
        if (!m_document.searchTitle().isEmpty()) {
            window->selectSearchTitle(m_document.searchTitle());
            window->reloadObject();
        }
        m_document.indicatorAtStep(93204, 100, kDocumentMessage);
    });
}

void DocumentResultRouter::developItemsSearchOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"developItemsSearchOfTheNotification", [&] {
        const QVariantMap result = notification.object.toMap();
        if (!isForThisDocument(result.value(RequestKey::cachesFolderID)))
            return;
        m_document.window()->resetTable();
        ListItem *list = m_document.listItem();
        // Row numbers are good while the rows are the ones the search read;
        // after any edit the result is found again by item ID.
        const RowList searched = result.value(u"listRows"_s).value<RowList>();
        if (!searched.isEmpty() && searched.constData() == list->rowStore().rows().constData())
            list->registerSearchResultRows(result.value(u"objectRows"_s).value<QList<qsizetype>>());
        else
            list->registerTableItemOfTheSearchObjectArray(result.value(RequestKey::objectArray).value<RowList>());
        list->registerIndicationMode(true);
        m_document.indicatorAtStep(24405, 100, m_document.documentSource()->listItemsSource()->searchObjectTitle());
        m_document.window()->reloadObject();
    });
}

void DocumentResultRouter::developOptionObjectSourceOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"developOptionObjectSourceOfTheNotification", [&] {
        const auto delivered = notification.object.toMap().value(u"optionObjectSource"_s)
                                   .value<OptionObjectSourcePtr>();
        if (!delivered)
            return;
        OptionObjectSource fresh;
        fresh.setTheEnvironmentalAtDecoder(delivered.get());
        m_document.listItem()->optionObjectSource()->setTheEnvironmentalAtDecoder(&fresh);
        m_document.window()->reloadOptions();
        m_document.window()->reloadObject();
        m_document.updateChangeCountAs(true);
    });
}

void DocumentResultRouter::showItemsPreTableViewOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"showItemsPreTableViewOfTheNotification", [&] {
        bool ok = false;
        const int value = notification.object.toInt(&ok);
        if (ok && (value == 0 || value == 1)) {
            const qsizetype count = m_document.listItem()->rowCount();
            const QVariantMap request{{u"itemCount"_s, count},
                                      {RequestKey::targeted, TaskCode::markAllRows},
                                      {u"showState"_s, value == 1}};
            m_document.indicatorAtStep(71000, 0, QString());
            if (count > kMarkPanelRows)
                m_document.selfIndicator(request);
            m_document.lists().threadShowItemsAllAtState(value == 1);
        }
        m_document.window()->setListsUpdated(true);
    });
}

void DocumentResultRouter::outputConverterOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcDocument(), MyDocument::kClassWords, u"outputConverterOfTheNotification", [&] {
        const QString path = notification.object.toString();
        if (path.isEmpty())
            return;
        m_document.documentSource()->creatorInformation()->register_logComment(path);
        m_document.listItem()->creatorInformation()->register_logComment(path);
        DocumentWorkLog &log = m_document.workLog();
        log.workLogWithState(log.nicknameIsCreator() ? 6 : 7);
    });
}
