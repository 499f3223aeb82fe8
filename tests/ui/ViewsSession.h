#pragma once

// One application without windows for the view tests: its caches and
// preferences in a temporary folder, documents that run their workers in
// place, and a document window that forwards the document's calls to the
// views under test.

#include "app/AppController.h"
#include "app/HeadlessAppPlatform.h"
#include "app/MyDocument.h"
#include "app/MyDocumentController.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "prefs/DomainObject.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"
#include "tasks/TaskWorker.h"

#include "InfoOutlineView.h"
#include "ListItemsView.h"
#include "PreviewPane.h"
#include "SearchView.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

struct ForwardingWindow : MyDocumentWindow
{
    void reloadObject() override
    {
        if (preview)
            preview->reloadObject();
        if (lists)
            lists->reloadToolView();
    }
    void makeTableColumns() override
    {
        if (preview)
            preview->makeTableColumns();
    }
    void resetTable() override
    {
        if (preview)
            preview->resetTable();
    }
    void reloadToolView() override
    {
        if (lists)
            lists->reloadToolView();
        if (info)
            info->reloadToolView();
    }
    void setListsUpdated(bool updated) override
    {
        if (lists)
            lists->setListsUpdated(updated);
    }
    void commentOfCSVtoLMSConversion() override
    {
        if (preview)
            preview->commentOfCSVtoLMSConversion();
    }
    void selectSearchTitle(const QString &title) override
    {
        if (search)
            search->selectSearchTitle(title);
    }
    void showInfoText(const QString &text) override
    {
        if (info)
            info->showInfoText(text);
    }

    QPointer<PreviewPane> preview;
    QPointer<ListItemsView> lists;
    QPointer<SearchView> search;
    QPointer<InfoOutlineView> info;
};

struct ViewsSession
{
    ViewsSession()
    {
        app = std::make_unique<AppController>(&platform);
        platform.setDocumentController(app->documentController());
        platform.setDocumentSetup([this](MyDocument *document) {
            document->registerTimerIntervals(0, 0);
            document->setTaskHandler(&runInPlace);
            document->setWindow(&window);
        });
        app->registerOpenTimerInterval(0);
        app->domainObject()->registerSettingsFilePath(home.filePath(QStringLiteral("settings.ini")));
        app->domainObject()->registerRootDomainPath(home.filePath(QStringLiteral("caches")));
        app->makingUserDefaultsDictionary();
        app->awakeFromNib();
    }
    ~ViewsSession()
    {
        IndicatorController::sharedController().taskRunner().waitForAll();
        while (platform.documentCount() > 0)
            platform.closeDocument(platform.currentDocument());
        app->applicationWillTerminate();
    }

    static bool runInPlace(const QVariantMap &task)
    {
        auto worker = IndicatorController::sharedController().taskRunner().makeWorker(
            task.value(QStringLiteral("targeted")).toInt());
        if (!worker)
            return false;
        worker->run(task);
        return true;
    }

    MyDocument *newDocument()
    {
        return static_cast<MyDocument *>(app->documentController()->newDocument());
    }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(home.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

    ForwardingWindow window;
    QTemporaryDir home;
    HeadlessAppPlatform platform;
    std::unique_ptr<AppController> app;
};

// A list of the given rows under "ID", "Name", "Price", with the mark and
// option columns first, as an import makes it.
inline void fillList(ListItem *list, const QList<QStringList> &cells)
{
    const QStringList titles{QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Price")};
    const RowSchema::Ptr schema = RowSchema::make(QStringList{Row::kOptionKey} + titles);
    RowList rows;
    for (const QStringList &line : cells) {
        QList<QStringView> texts{QStringView()};
        for (const QString &cell : line)
            texts.append(cell);
        rows.append(Row::fromTexts(schema, texts));
    }
    list->registerColumnTitlesArray(QStringList{Row::kIndicationKey, Row::kOptionKey} + titles);
    list->makingColumnTitlesDic();
    list->registerTableItemObjectArray(rows);
}
