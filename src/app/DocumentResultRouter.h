#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>
#include <QVariant>

class MyDocument;

// Takes over what background workers deliver for one document: it observes
// the workers' result notifications, drops those meant for another document
// and hands the rest to the document's lists, work log and save flow.
class DocumentResultRouter : public QObject
{
    Q_OBJECT
public:
    DocumentResultRouter(MyDocument &document, NotificationCenter *center);
    ~DocumentResultRouter() override;

    // Starts observing; later calls do nothing.
    void registerNotificationHandlers();
    bool isForThisDocument(const QVariant &cachesFolderID);

    // Public so that they can be driven directly.
    void answerPasswordWithFilePathNotification(const Notification &notification);
    void saveWrapperDirectoryOfTheNotification(const Notification &notification);
    void deliverConversionFileOfTheNotification(const Notification &notification);
    void finishWriteListItemOfTheNotification(const Notification &notification);
    void developUnfoldOfTheNotification(const Notification &notification);
    void developItemsSearchOfTheNotification(const Notification &notification);
    void developOptionObjectSourceOfTheNotification(const Notification &notification);
    void showItemsPreTableViewOfTheNotification(const Notification &notification);
    void outputConverterOfTheNotification(const Notification &notification);

private:
    MyDocument &m_document;
    NotificationCenter *m_center = nullptr;
    bool m_observing = false;
};
