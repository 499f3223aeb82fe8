#include "ListItemsView.h"

#include "app/MyDocument.h"
#include "document/DocumentSource.h"
#include "document/RootCachesFolder.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/StoredSearches.h"
#include "platform/AlertSheetModal.h"
#include "platform/Localization.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

namespace {

QString noneTitle()
{
    return Localization::textOrKey(Localization::kMainTable, u"0010Title"_s);
}

ListItemsSource *listsOf(MyDocument *document)
{
    return document->documentSource()->listItemsSource();
}

} // namespace

ListItemsView::ListItemsView(MyDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    m_listTitles = new QComboBox;
    m_listTitles->setEditable(true);
    m_listTitles->setInsertPolicy(QComboBox::NoInsert);
    m_listTitles->lineEdit()->setPlaceholderText(tr("List title"));
    m_listTitles->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_listTitles->setMinimumContentsLength(10);
    m_searchTitles = new QComboBox;
    m_searchTitles->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_searchTitles->setMinimumContentsLength(10);
    m_import = new QPushButton(tr("Import…"));
    m_store = new QPushButton(tr("Store"));
    m_store->setToolTip(tr("Store the open list under the title"));
    m_remove = new QPushButton(Localization::textOrKey(Localization::kMainTable, u"1031Title"_s));
    m_remove->setToolTip(tr("Remove the open list from the document"));

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(new QLabel(tr("List:")), 0, 0);
    layout->addWidget(m_listTitles, 0, 1);
    layout->addWidget(m_store, 0, 2);
    layout->addWidget(m_remove, 0, 3);
    layout->addWidget(new QLabel(tr("Search:")), 1, 0);
    layout->addWidget(m_searchTitles, 1, 1);
    layout->addWidget(m_import, 1, 2, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(m_listTitles, &QComboBox::activated, this, [this](int index) {
        if (index == 0) {
            // The first entry stands for no list: the title is cleared, the rows stay.
            if (m_document)
                listsOf(m_document)->registerListItemTitle(QString());
            reloadToolView();
        } else {
            chooseListTitle(m_listTitles->itemText(index));
        }
    });
    connect(m_searchTitles, &QComboBox::activated, this,
            [this](int index) { chooseSearchTitle(index == 0 ? QString() : m_searchTitles->itemText(index)); });
    connect(m_import, &QPushButton::clicked, this, &ListItemsView::importListItemsFilePath);
    connect(m_store, &QPushButton::clicked, this, &ListItemsView::storeCurrentList);
    connect(m_remove, &QPushButton::clicked, this, &ListItemsView::removeCurrentList);
    reloadToolView();
}

QString ListItemsView::currentTitle() const
{
    const QString title = m_listTitles->currentText().trimmed();
    return title == noneTitle() ? QString() : title;
}

void ListItemsView::initializeToolView()
{
    setListsUpdated(false);
    reloadToolView();
}

void ListItemsView::reloadToolView()
{
    if (!m_document)
        return;
    const ListItemsSource *lists = listsOf(m_document);
    {
        // A title typed for a list not stored yet survives the reload.
        const QString typed = currentTitle();
        const QSignalBlocker block(m_listTitles);
        m_listTitles->clear();
        m_listTitles->addItem(noneTitle());
        m_listTitles->addItems(lists->titlelist());
        const int index = m_listTitles->findText(lists->listItemTitle());
        if (index > 0)
            m_listTitles->setCurrentIndex(index);
        else
            m_listTitles->setEditText(lists->confirmListItemTitle() ? lists->listItemTitle() : typed);
    }
    {
        const QSignalBlocker block(m_searchTitles);
        m_searchTitles->clear();
        m_searchTitles->addItem(noneTitle());
        m_searchTitles->addItems(StoredSearches::titles(*lists));
        m_searchTitles->setCurrentIndex(qMax(0, m_searchTitles->findText(lists->searchObjectTitle())));
    }
    const bool rows = m_document->listItem()->rowCount() > 0;
    m_store->setEnabled(rows);
    m_remove->setEnabled(lists->titlelist().contains(lists->listItemTitle()));
    m_searchTitles->setEnabled(m_searchTitles->count() > 1);
}

void ListItemsView::setListsUpdated(bool updated)
{
    m_updateListItems = updated;
    m_store->setText(updated ? tr("Store*") : tr("Store"));
    if (updated && m_document)
        m_document->updateChangeCountAs(true);
}

void ListItemsView::importListItemsFilePath()
{
    if (!m_document || (m_panel && m_panel->isVisible()))
        return;
    ListItemsSource *lists = listsOf(m_document);
    if ((lists->confirmImportListItemsFilePass() || m_document->listItem()->rowCount() > 0)
        && !AlertSheetModal::openAlert(240, lists->listItemTitle()))
        return;
    m_panel = new QFileDialog(window(), tr("Import"), QDir::homePath());
    m_panel->setAttribute(Qt::WA_DeleteOnClose);
    m_panel->setOption(QFileDialog::DontUseNativeDialog);
    m_panel->setFileMode(QFileDialog::ExistingFile);
    m_panel->setAcceptMode(QFileDialog::AcceptOpen);
    m_panel->setNameFilters({tr("CSV and list files (*.csv *.pgcl)"), tr("All files (*)")});
    m_panel->setWindowModality(Qt::WindowModal);
    connect(m_panel, &QFileDialog::fileSelected, this, [this](const QString &path) { importFile(path); });
    connect(m_panel, &QFileDialog::finished, m_panel, &QObject::deleteLater);
    m_panel->open();
}

bool ListItemsView::importFile(const QString &path)
{
    if (!m_document || !QFileInfo(path).isFile())
        return false;
    ListItemsSource *lists = listsOf(m_document);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    lists->registerImportListItemsFilePass(absolute);
    // The import becomes a list of its own unless stored under an existing title.
    lists->registerListItemTitle(QString());
    reloadToolView();
    m_listTitles->setEditText(QFileInfo(path).completeBaseName());
    return m_document->selfIndicator(QVariantMap{
        {RequestKey::targeted, TaskCode::importFile},
        {RequestKey::cachesFolderID, m_document->cachesFolderID()},
        {RequestKey::startSwitch, 241},
        {RequestKey::filePass, absolute},
        {u"fileCachesFolderPathOfWork"_s, m_document->rootCachesFolder()->fileCachesFolderPathOfWork()},
        {u"documentFileName"_s, m_document->documentFileName()},
    });
}

bool ListItemsView::storeCurrentList()
{
    const QString title = currentTitle();
    if (!m_document || title.isEmpty() || m_document->listItem()->rowCount() == 0)
        return false;
    if (!m_document->storeCurrentListItem(title))
        return false;
    setListsUpdated(false);
    reloadToolView();
    Q_EMIT listsChanged();
    return true;
}

bool ListItemsView::removeCurrentList()
{
    if (!m_document)
        return false;
    ListItemsSource *lists = listsOf(m_document);
    if (!lists->titlelist().contains(lists->listItemTitle()) || !AlertSheetModal::openAlert(241, QString()))
        return false;
    if (!lists->removeListItemOfCachesFolderName(m_document->workingFolder(),
                                                 m_document->rootCachesFolder()->fileCachesFolderPathOfWork()))
        return false;
    lists->initializationUserObject();
    m_document->updateChangeCountAs(true);
    m_updateListItems = false;
    m_store->setText(tr("Store"));
    reloadToolView();
    Q_EMIT previewChanged();
    Q_EMIT listsChanged();
    return true;
}

bool ListItemsView::chooseListTitle(const QString &title)
{
    if (!m_document)
        return false;
    ListItemsSource *lists = listsOf(m_document);
    if (title == lists->listItemTitle() && m_document->listItem()->rowCount() > 0)
        return true;
    if (!lists->titlelist().contains(title)
        || (m_updateListItems && !AlertSheetModal::openAlert(240, lists->listItemTitle()))) {
        reloadToolView();
        return false;
    }
    if (!lists->inspectionListItemTitle(title) || !m_document->readCurrentListItemFile(true)) {
        reloadToolView();
        return false;
    }
    setListsUpdated(false);
    reloadToolView();
    return true;
}

void ListItemsView::chooseSearchTitle(const QString &title)
{
    if (!m_document)
        return;
    ListItemsSource *lists = listsOf(m_document);
    if (title.isEmpty()) {
        lists->registerSearchObjectTitle(QString());
    } else if (StoredSearches::recall(*lists, title, *lists->searchEditingSource())) {
        lists->registerSearchObjectTitle(title);
        Q_EMIT searchRecalled(title);
    }
    m_document->listItem()->registerIndicationMode(false);
    reloadToolView();
    Q_EMIT previewChanged();
}

void ListItemsView::setingToolWihtState(int state)
{
    Q_EMIT toolTabRequested(state == 1 || state == 2 ? state : 0);
}

void ListItemsView::putItemInfoTitleAtRoot(const QString &listTitle, const QString &searchTitle)
{
    if (!m_document || listTitle.isEmpty())
        return;
    ListItemsSource *lists = listsOf(m_document);
    const bool current = listTitle == lists->listItemTitle() && m_document->listItem()->rowCount() > 0;
    // Once the list has been read, the document hands the search title on itself.
    m_document->register_searchTitle(searchTitle);
    if (!current) {
        chooseListTitle(listTitle);
        return;
    }
    if (!searchTitle.isEmpty())
        Q_EMIT searchRequested(searchTitle);
}
