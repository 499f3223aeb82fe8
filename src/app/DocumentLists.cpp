#include "DocumentLists.h"

#include "DocumentWorkLog.h"
#include "MyDocument.h"
#include "MyDocumentController.h"

#include "document/DocumentSource.h"
#include "list/CreatorInformation.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/AlertSheetModal.h"
#include "platform/ErrorLog.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"
#include "prefs/AdvancedObject.h"
#include "prefs/PreferencesSource.h"

using namespace Qt::StringLiterals;

DocumentLists::DocumentLists(MyDocument &document)
    : QObject(&document)
    , m_document(document)
{
}

bool DocumentLists::readCurrentListItemFile(bool state)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"readCurrentListItemFile", false, [&] {
        const QString fileName = ListItemsSource::listItemsFileName(
            m_document.documentSource()->listItemsSource()->listItemIDString());
        if (fileName.isEmpty())
            return false;
        return m_document.runTask(QVariantMap{
            {RequestKey::cachesFolderID, m_document.cachesFolderID()},
            {RequestKey::targeted, TaskCode::readListFile},
            {u"folderPath"_s, m_document.workingFolder()},
            {RequestKey::filePass, fileName},
            {RequestKey::documentFileName, m_document.documentFileName()},
            {u"state"_s, state},
        });
    });
}

bool DocumentLists::storeCurrentListItem(const QString &title, bool askBeforeReplacing)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"storeCurrentListItem", false, [&] {
        ListItem *list = m_document.listItem();
        ListItemsSource *lists = m_document.documentSource()->listItemsSource();
        if (list->rowCount() == 0 || !lists->registerListItemTitle(title))
            return false;
        const bool stored = !askBeforeReplacing && lists->inspectionListItemTitle(title)
            ? lists->addListItemIDString()
            : lists->addListItemTitle();
        if (!stored)
            return false;
        m_document.workLog().workLogOfStoredList(list->creatorInformation());
        lists->setLogText();
        const bool sent = m_document.runTask(QVariantMap{
            {RequestKey::cachesFolderID, m_document.cachesFolderID()},
            {RequestKey::targeted, TaskCode::writeListFile},
            {u"folderPath"_s, m_document.workingFolder()},
            {RequestKey::fileName, ListItemsSource::listItemsFileName(lists->listItemIDString())},
            {RequestKey::listItemSource, QVariant::fromValue(ListItemPtr(std::make_shared<ListItem>(*list)))},
            {RequestKey::documentFileName, m_document.documentFileName()},
        });
        if (sent)
            m_document.updateChangeCountAs(true);
        return sent;
    });
}

bool DocumentLists::openStoredListItem(const QString &title)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"openStoredListItem", false, [&] {
        ListItemsSource *lists = m_document.documentSource()->listItemsSource();
        // The selected entry, not listItemTitle(): selecting another list
        // leaves that title behind.
        if (lists->titleOfTheObjectDic().value(u"listItemTitle"_s).toString() == title
            && m_document.listItem()->rowCount() > 0)
            return true;
        if (!lists->inspectionListItemTitle(title))
            return false;
        // Until the read delivers, the previous list must not stand in for
        // this one: storing it would write it over this list's file.
        ListItem empty;
        m_document.listItem()->setTheEnvironmentalAtDecoder(&empty);
        m_document.window()->makeTableColumns();
        m_document.window()->reloadObject();
        return readCurrentListItemFile(false);
    });
}

void DocumentLists::openOptionPanelCommand(const QVariantMap &dictionary)
{
    QVariantMap copy = dictionary;
    copy.insert(u"referenceListDictionary"_s,
                QVariantMap{{Localization::textOrKey(Localization::kMainTable, u"0013Title"_s),
                             m_document.listItem()->selectColumnTitlesArray()}});
    m_document.window()->openOptionPanel(copy);
}

OptionRun *DocumentLists::makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings)
{
    settings.cachesFolderID = m_document.cachesFolderID();
    settings.center = m_document.center();
    MyDocumentController *controller = m_document.controller();
    if (PreferencesSource *preferences = controller ? controller->preferencesSource() : nullptr)
        settings.limits.deadlineMs = qint64(preferences->advancedObject()->scriptRunSeconds()) * 1000;
    std::optional<Row> selected;
    Row item;
    if (m_document.window()->selectedEditingItem(&item))
        selected = item;
    auto *run = new OptionRun(*m_document.listItem(), options, std::move(settings), selected, &m_document);
    // Connected first, so the list has the writes before any other listener
    // of finished() looks at it.
    connect(run, &OptionRun::finished, this, [this, run] { applyOptionRun(run->outcome()); });
    return run;
}

CellEditList DocumentLists::applyOptionRun(const OptionRun::Outcome &outcome)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"applyOptionRun", CellEditList(), [&] {
        if (outcome.missedSelectedItem)
            AlertSheetModal::openAlert(219, QString());
        if (outcome.writes.isEmpty())
            return CellEditList();
        const CellEditList undo = m_document.listItem()->applyCellEdits(outcome.writes);
        m_document.updateChangeCountAs(true);
        m_document.window()->reloadObject();
        return undo;
    });
}

void DocumentLists::threadShowItemsAllAtState(bool state)
{
    // Marking runs in place as one change: it touches the rows the views
    // show, and a million rows take a few milliseconds.
    ListItem *list = m_document.listItem();
    const qsizetype count = list->rowCount();
    list->setAllIndications(state ? 1 : 0);
    m_document.indicatorAtStep(71002, 100.0, u"%1 / %2"_s.arg(count).arg(count));
    m_document.updateChangeCountAs(true);
    m_document.indicatorAtStep(71003, 100, QString());
}
