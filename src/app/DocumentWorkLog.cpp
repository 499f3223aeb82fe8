#include "DocumentWorkLog.h"

#include "MyDocument.h"

#include "document/DocumentSource.h"
#include "list/CreatorInformation.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "prefs/GeneralObject.h"

QString DocumentWorkLog::nickname() const
{
    const GeneralObject *general = m_document.generalObject();
    return general ? general->userNicknameString() : QString();
}

bool DocumentWorkLog::nicknameIsCreator()
{
    return nickname() == m_document.documentSource()->creatorInformation()->creatorName();
}

void DocumentWorkLog::workLogOfStoredList(CreatorInformation *creator)
{
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
}

bool DocumentWorkLog::workLogWithState(int state)
{
    return ErrorLog::guarded(lcDocument(), MyDocument::kClassWords, u"workLogWithState", false, [&] {
        ListItem *list = m_document.listItem();
        list->setTableComment();
        const QString name = nickname();
        CreatorInformation *root = m_document.documentSource()->creatorInformation();
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
        ListItemsSource *lists = m_document.documentSource()->listItemsSource();
        lists->registerInfoText(current->logText());
        m_document.window()->showInfoText(lists->infoText());
        return true;
    });
}
