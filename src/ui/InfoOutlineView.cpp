#include "InfoOutlineView.h"

#include "app/MyDocument.h"
#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "list/ListItemsSource.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTreeView>

using namespace Qt::StringLiterals;

InfoOutlineView::InfoOutlineView(MyDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    m_model = new QStandardItemModel(this);
    m_outline = new QTreeView;
    m_outline->setModel(m_model);
    m_outline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outline->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_outline->setUniformRowHeights(true);
    m_outline->header()->setStretchLastSection(true);
    m_text = new QPlainTextEdit;
    m_text->setReadOnly(true);

    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(m_outline);
    split->addWidget(m_text);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    connect(m_outline->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { showLogOf(titlesAt(current).first); });
    connect(m_outline, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) {
        const auto [list, search] = titlesAt(index);
        if (!list.isEmpty())
            Q_EMIT itemActivated(list, search);
    });
    reloadToolView();
}

QString InfoOutlineView::infoText() const
{
    return m_text->toPlainText();
}

std::pair<QString, QString> InfoOutlineView::titlesAt(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    const QModelIndex title = index.siblingAtColumn(TitleColumn);
    if (title.parent().isValid())
        return {title.parent().data().toString(), title.data().toString()};
    return {title.data().toString(), QString()};
}

void InfoOutlineView::reloadToolView()
{
    if (!m_document)
        return;
    const ListItemsSource *lists = m_document->documentSource()->listItemsSource();
    const QString selected = titlesAt(m_outline->currentIndex()).first;
    m_model->clear();
    m_model->setHorizontalHeaderLabels({tr("Title"), tr("Comment")});
    const QVariantMap directory = lists->originalOfTheListItemsDic();
    for (const QString &id : lists->listItemIDStrings()) {
        const QVariantMap entry = directory.value(id).toMap();
        auto *root = new QStandardItem(entry.value(u"listItemTitle"_s).toString());
        auto *comment = new QStandardItem(u"item count:%1 , item file pass:%2"_s.arg(
            entry.value(u"itemCount"_s).toLongLong()).arg(entry.value(u"importListItemsFilePass"_s).toString()));
        const QVariantMap searches = entry.value(u"searchObjectDic"_s).toMap();
        for (auto it = searches.cbegin(); it != searches.cend(); ++it)
            root->appendRow({new QStandardItem(it.key()), new QStandardItem(u"Search Object"_s)});
        m_model->appendRow({root, comment});
    }
    m_outline->expandAll();
    m_outline->resizeColumnToContents(TitleColumn);
    const QList<QStandardItem *> again = m_model->findItems(selected);
    if (!again.isEmpty())
        m_outline->setCurrentIndex(again.constFirst()->index());
    showLogOf(titlesAt(m_outline->currentIndex()).first);
}

void InfoOutlineView::showLogOf(const QString &listTitle)
{
    if (!m_document)
        return;
    ListItemsSource *lists = m_document->documentSource()->listItemsSource();
    const ItemLogDictionary &logs = lists->itemLogListDictionary();
    // A search row shows its list's log: searches have none of their own.
    lists->registerInfoText(listTitle.isEmpty() || !logs.contains(listTitle) ? QString()
                                                                             : logs.value(listTitle).logText());
    showInfoText(lists->infoText());
}

void InfoOutlineView::showInfoText(const QString &text)
{
    m_text->setPlainText(text);
}
