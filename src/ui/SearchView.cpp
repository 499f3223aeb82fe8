#include "SearchView.h"

#include "SearchCriteriaModel.h"

#include "app/MyDocument.h"
#include "app/MyDocumentController.h"
#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "list/SearchEditingSource.h"
#include "list/StoredSearches.h"
#include "platform/Localization.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <memory>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

namespace {

// The column of a criterion is picked from the list's titles.
class CategoryDelegate : public QStyledItemDelegate
{
public:
    CategoryDelegate(SearchCriteriaModel *model, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *box = new QComboBox(parent);
        box->addItems(m_model->categories());
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *box = static_cast<QComboBox *>(editor);
        box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText(), Qt::EditRole);
    }

private:
    SearchCriteriaModel *m_model;
};

ListItemsSource *listsOf(MyDocument *document)
{
    return document->documentSource()->listItemsSource();
}

} // namespace

SearchView::SearchView(MyDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    m_model = new SearchCriteriaModel(document, this);
    m_criteria = new QTableView;
    m_criteria->setModel(m_model);
    m_criteria->setItemDelegateForColumn(SearchCriteriaModel::CategoryColumn, new CategoryDelegate(m_model, this));
    m_criteria->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_criteria->setSelectionMode(QAbstractItemView::SingleSelection);
    m_criteria->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_criteria->horizontalHeader()->setStretchLastSection(true);
    m_criteria->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    m_title = new QLineEdit;
    m_title->setPlaceholderText(tr("Search title"));
    m_stored = new QComboBox;
    m_stored->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_stored->setMinimumContentsLength(8);
    m_add = new QPushButton(tr("Add"));
    m_removeRow = new QPushButton(tr("Delete"));
    m_run = new QPushButton(tr("Search"));
    m_run->setDefault(true);
    m_store = new QPushButton(tr("Store"));
    m_remove = new QPushButton(tr("Remove"));
    m_showAll = new QPushButton(tr("Show All Rows"));

    auto *titles = new QGridLayout;
    titles->addWidget(new QLabel(tr("Title:")), 0, 0);
    titles->addWidget(m_title, 0, 1);
    titles->addWidget(m_store, 0, 2);
    titles->addWidget(new QLabel(tr("Stored:")), 1, 0);
    titles->addWidget(m_stored, 1, 1);
    titles->addWidget(m_remove, 1, 2);
    titles->setColumnStretch(1, 1);
    auto *rows = new QHBoxLayout;
    rows->addWidget(m_add);
    rows->addWidget(m_removeRow);
    rows->addStretch(1);
    rows->addWidget(m_showAll);
    rows->addWidget(m_run);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(titles);
    layout->addWidget(m_criteria, 1);
    layout->addLayout(rows);

    connect(m_add, &QPushButton::clicked, this, [this] {
        m_model->addCriterion(m_criteria->currentIndex().isValid() ? m_criteria->currentIndex().row() : -1);
        updateButtons();
    });
    connect(m_removeRow, &QPushButton::clicked, this, [this] {
        m_model->removeCriterion(m_criteria->currentIndex().row());
        updateButtons();
    });
    connect(m_run, &QPushButton::clicked, this, &SearchView::runSearch);
    connect(m_store, &QPushButton::clicked, this, &SearchView::storeSearch);
    connect(m_remove, &QPushButton::clicked, this, &SearchView::removeStoredSearch);
    connect(m_showAll, &QPushButton::clicked, this, &SearchView::showAllRows);
    connect(m_stored, &QComboBox::activated, this, [this](int index) {
        if (index > 0)
            recall(m_stored->itemText(index));
    });
    connect(m_title, &QLineEdit::textChanged, this, &SearchView::updateButtons);
    connect(m_model, &SearchCriteriaModel::edited, this, &SearchView::updateButtons);
    connect(m_criteria->selectionModel(), &QItemSelectionModel::currentChanged, this, &SearchView::updateButtons);
    reloadToolView();
}

QString SearchView::nickname() const
{
    const MyDocumentController *controller = MyDocumentController::sharedDocumentController();
    const PreferencesSource *preferences = controller ? controller->preferencesSource() : nullptr;
    return preferences ? preferences->generalObject()->userNicknameString() : QString();
}

void SearchView::reloadToolView()
{
    if (!m_document)
        return;
    ListItemsSource *lists = listsOf(m_document);
    m_model->reload();
    const QSignalBlocker block(m_stored);
    m_stored->clear();
    m_stored->addItem(Localization::textOrKey(Localization::kMainTable, u"0010Title"_s));
    m_stored->addItems(StoredSearches::titles(*lists));
    const QString title = lists->searchEditingSource()->searchObjectTitle();
    m_stored->setCurrentIndex(qMax(0, m_stored->findText(title)));
    if (m_title->text() != title)
        m_title->setText(title);
    updateButtons();
}

void SearchView::updateButtons()
{
    if (!m_document)
        return;
    const ListItem *list = m_document->listItem();
    const bool rows = list->rowCount() > 0;
    m_run->setEnabled(rows);
    m_store->setEnabled(rows && !m_title->text().trimmed().isEmpty());
    m_remove->setEnabled(list->inspectionSearchObjectAtTitle(m_title->text()));
    m_removeRow->setEnabled(m_model->canRemoveCriterion(m_criteria->currentIndex().row()));
    m_showAll->setEnabled(list->indicationMode());
}

QVariantMap SearchView::searchRequest(MyDocument *document)
{
    const SearchEditingSource search = *listsOf(document)->searchEditingSource();
    return {
        {RequestKey::targeted, TaskCode::search},
        {RequestKey::searchEditingSource, QVariant::fromValue(search)},
        {RequestKey::listItemSource, QVariant::fromValue(ListItemPtr(std::make_shared<ListItem>(*document->listItem())))},
        {RequestKey::cachesFolderID, document->cachesFolderID()},
    };
}

bool SearchView::runSearch()
{
    if (!m_document || m_document->listItem()->rowCount() == 0)
        return false;
    // An edit still open in the table belongs to the search being run.
    if (QWidget *editor = QApplication::focusWidget(); editor && m_criteria->viewport()->isAncestorOf(editor))
        QMetaObject::invokeMethod(m_criteria, "commitData", Q_ARG(QWidget *, editor));
    ListItemsSource *lists = listsOf(m_document);
    lists->searchEditingSource()->registerSearchObjectTitle(m_title->text().trimmed());
    lists->registerSearchObjectTitle(m_title->text().trimmed());
    return m_document->selfIndicator(searchRequest(m_document));
}

bool SearchView::storeSearch()
{
    const QString title = m_title->text().trimmed();
    if (!m_document || title.isEmpty())
        return false;
    ListItemsSource *lists = listsOf(m_document);
    if (!StoredSearches::store(*lists, *lists->searchEditingSource(), title, nickname()))
        return false;
    lists->searchEditingSource()->registerSearchObjectTitle(title);
    m_document->updateChangeCountAs(true);
    reloadToolView();
    Q_EMIT searchesChanged();
    return true;
}

bool SearchView::removeStoredSearch()
{
    const QString title = m_title->text().trimmed();
    if (!m_document)
        return false;
    ListItemsSource *lists = listsOf(m_document);
    if (!StoredSearches::remove(*lists, title, nickname(), *lists->searchEditingSource()))
        return false;
    m_document->updateChangeCountAs(true);
    m_title->clear();
    reloadToolView();
    Q_EMIT searchesChanged();
    return true;
}

void SearchView::recall(const QString &title)
{
    ListItemsSource *lists = listsOf(m_document);
    if (!StoredSearches::recall(*lists, title, *lists->searchEditingSource()))
        return;
    lists->registerSearchObjectTitle(title);
    m_title->setText(title);
    reloadToolView();
}

void SearchView::selectSearchTitle(const QString &title)
{
    if (!m_document || title.isEmpty())
        return;
    recall(title);
    runSearch();
}

void SearchView::focusSearch()
{
    m_criteria->setFocus();
    const QModelIndex keyword = m_model->index(0, SearchCriteriaModel::KeywordColumn);
    if (keyword.isValid())
        m_criteria->setCurrentIndex(keyword);
}

void SearchView::showAllRows()
{
    if (!m_document)
        return;
    m_document->listItem()->registerIndicationMode(false);
    updateButtons();
    Q_EMIT previewChanged();
}
