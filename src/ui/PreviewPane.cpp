#include "PreviewPane.h"

#include "PreviewTableModel.h"

#include "app/MyDocument.h"
#include "convert/CsvFieldWriter.h"
#include "list/ListItem.h"
#include "platform/AlertSheetModal.h"
#include "platform/NotificationCenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include <map>
#include "platform/NotificationName.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kMinPointSize = 6.0;
constexpr double kMaxPointSize = 36.0;
constexpr int kRowPadding = 6;
constexpr int kWidestTitleWidth = 200;

// The box shows "mixed" until the user picks a side, and never cycles back to it.
class ShowBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

    Qt::CheckState previousState() const { return m_previous; }

protected:
    void nextCheckState() override
    {
        m_previous = checkState();
        setCheckState(m_previous == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }

private:
    Qt::CheckState m_previous = Qt::PartiallyChecked;
};

QString encodingLabel(int encodingType)
{
    switch (encodingType) {
    case 4:
        return u"UTF-8"_s;
    case 8:
        return u"Shift-JIS"_s;
    case 21:
        return u"ISO2022JP"_s;
    default:
        return {};
    }
}

bool isWebLink(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == "http"_L1 || url.scheme() == "https"_L1);
}

} // namespace

PreviewPane::PreviewPane(MyDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    m_model = new PreviewTableModel(document, this);

    m_table = new QTableView;
    m_table->setObjectName(u"id_TableView"_s);
    m_table->setModel(m_model);
    m_table->setWordWrap(false);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_table->setDragEnabled(true);
    m_table->setAcceptDrops(true);
    m_table->setDropIndicatorShown(true);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDefaultDropAction(Qt::MoveAction);
    // A move must never blank the dragged cells afterwards.
    m_table->setDragDropOverwriteMode(false);
    QHeaderView *vertical = m_table->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = m_table->horizontalHeader();
    header->setResizeContentsPrecision(0);
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    m_table->installEventFilter(this);

    m_text = new QPlainTextEdit;
    m_text->setObjectName(u"id_TextView"_s);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_web = new QTextBrowser;
    m_web->setObjectName(u"id_WebView"_s);
    m_web->setOpenLinks(false);
    connect(m_web, &QTextBrowser::anchorClicked, this, [](const QUrl &url) {
        // Only web pages leave the application; a cell cannot open files or run anything.
        if (url.scheme() == "http"_L1 || url.scheme() == "https"_L1)
            QDesktopServices::openUrl(url);
    });

    m_tabs = new QTabWidget;
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_table, tr("Table"));
    m_tabs->addTab(m_text, tr("Text"));
    m_tabs->addTab(m_web, tr("Web"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == TextTab)
            refreshTextTab();
        else if (tab == WebTab)
            refreshWebTab();
    });

    m_showBox = new ShowBox(tr("show"));
    m_showBox->setObjectName(u"showCheckBoxButton"_s);
    m_showBox->setTristate(true);
    m_showBox->setCheckState(Qt::PartiallyChecked);
    connect(m_showBox, &QCheckBox::clicked, this, &PreviewPane::showBoxClicked);

    m_comment = new QLabel;
    m_comment->setObjectName(u"tableCommentField"_s);
    m_comment->setTextFormat(Qt::PlainText);
    m_comment->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_comment->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_zoomOut = new QToolButton;
    m_zoomOut->setText(u"\u2212"_s);
    m_zoomOut->setToolTip(tr("Smaller text"));
    m_zoomIn = new QToolButton;
    m_zoomIn->setText(u"+"_s);
    m_zoomIn->setToolTip(tr("Larger text"));
    connect(m_zoomOut, &QToolButton::clicked, this, &PreviewPane::zoomOut);
    connect(m_zoomIn, &QToolButton::clicked, this, &PreviewPane::zoomIn);
    for (auto [keys, slot] : {std::pair{QKeySequence::ZoomIn, &PreviewPane::zoomIn},
                              std::pair{QKeySequence::ZoomOut, &PreviewPane::zoomOut}}) {
        auto *shortcut = new QShortcut(keys, this, this, slot);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    }

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(m_showBox);
    bar->addWidget(m_comment, 1);
    bar->addWidget(m_zoomOut);
    bar->addWidget(m_zoomIn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bar);

    connect(header, &QHeaderView::sectionMoved, this, [this] {
        // Rebuilt once the header has finished its own move.
        if (!m_columnMovePending) {
            m_columnMovePending = true;
            QMetaObject::invokeMethod(this, &PreviewPane::columnMoved, Qt::QueuedConnection);
        }
    });
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { columnResized(column, newSize); });
    connect(header, &QHeaderView::sectionClicked, this, &PreviewPane::headerClicked);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && index.flags().testFlag(Qt::ItemIsUserCheckable) == false)
            Q_EMIT itemActivated(index.row());
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (m_tabs->currentIndex() == WebTab)
            refreshWebTab();
    });
    connect(m_model, &PreviewTableModel::edited, this, [this] {
        updateComment();
        Q_EMIT listEdited();
    });
    connect(m_model, &PreviewTableModel::sortFinished, this, [this] {
        m_table->horizontalHeader()->setSectionsClickable(true);
        updateComment();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &PreviewPane::applyColumnWidths);

    m_pointSize = font().pointSizeF() > 0 ? font().pointSizeF() : 10.0;
    applyZoom();
    applyColumnWidths();
    updateShowBox();
    updateComment();
}

QString PreviewPane::commentText() const
{
    return m_comment->text();
}

QString PreviewPane::textTabText() const
{
    return m_text->toPlainText();
}

QString PreviewPane::webTabHtml() const
{
    return m_web->toHtml();
}

void PreviewPane::selectTabWithState(int state)
{
    m_tabs->setCurrentIndex(state == 1 ? TextTab : state == 2 ? WebTab : TableTab);
}

void PreviewPane::reloadObject()
{
    m_model->reloadRows();
    updateShowBox();
    updateComment();
    if (m_tabs->currentIndex() == TextTab)
        refreshTextTab();
    else if (m_tabs->currentIndex() == WebTab)
        refreshWebTab();
}

void PreviewPane::makeTableColumns()
{
    m_sortColumn = -1;
    m_table->horizontalHeader()->setSortIndicatorShown(false);
    m_model->rebuildColumns();
    reloadObject();
}

void PreviewPane::resetTable()
{
    m_table->clearSelection();
    m_model->rebuildColumns();
}

void PreviewPane::commentOfCSVtoLMSConversion()
{
    m_commentOfCSV = true;
    updateComment();
}

void PreviewPane::applyColumnWidths()
{
    m_applyingWidths = true;
    QHeaderView *header = m_table->horizontalHeader();
    const QList<TableColumnDescription> &columns = m_model->columns();
    for (int column = 0; column < columns.size(); ++column) {
        const TableColumnDescription &description = columns.at(column);
        // A stored width never hides the column's own title.
        const int titleWidth = qMin(header->sectionSizeHint(column), kWidestTitleWidth);
        int width = qRound(description.width);
        if (description.sizeToFit || width < titleWidth)
            width = titleWidth;
        header->resizeSection(column, width);
    }
    header->setStretchLastSection(columns.size() == 1);
    m_applyingWidths = false;
}

void PreviewPane::columnResized(int column, int newSize)
{
    if (m_applyingWidths || !m_document)
        return;
    const QString title = m_model->titleOfColumn(column);
    ListItem *list = m_document->listItem();
    if (title.isEmpty() || newSize <= 0)
        return;
    const float width = float(newSize);
    if (list->columnTitlesWidthDic().value(title).toFloat() == width)
        return;
    list->setColumnWidth(title, width);
    m_document->updateChangeCountAs(true);
    Q_EMIT listEdited();
}

void PreviewPane::columnMoved()
{
    m_columnMovePending = false;
    if (!m_document)
        return;
    QHeaderView *header = m_table->horizontalHeader();
    QStringList order;
    for (int visual = 0; visual < header->count(); ++visual)
        order.append(m_model->titleOfColumn(header->logicalIndex(visual)));
    ListItem *list = m_document->listItem();
    if (order.contains(QString()) || order == list->columnTitlesArray())
        return;
    {
        // The model takes the new order, so the header goes back to showing it as is.
        const QSignalBlocker block(header);
        for (int logical = 0; logical < header->count(); ++logical)
            header->moveSection(header->visualIndex(logical), logical);
    }
    list->setColumnOrder(order);
    m_document->updateChangeCountAs(true);
    Q_EMIT listEdited();
}

void PreviewPane::headerClicked(int column)
{
    if (m_model->isSorting())
        return;
    const Qt::SortOrder order = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                           : Qt::AscendingOrder;
    if (!m_model->sortByColumn(column, order))
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    QHeaderView *header = m_table->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    header->setSectionsClickable(false);
    m_comment->setText(tr("Sorting %1 rows…").arg(m_model->rowCount()));
}

void PreviewPane::showBoxClicked()
{
    if (!m_document)
        return;
    const bool on = m_showBox->checkState() == Qt::Checked;
    int answer = -1;
    if (m_model->rowCount() > 0 && AlertSheetModal::openAlert(on ? 711 : 710, QString()))
        answer = on ? 1 : 0;
    NotificationCenter::defaultCenter().post(NotificationName::showItemsPreTableViewNotif, answer);
    if (answer < 0) {
        // Declined: the box goes back to what it showed, as nothing changed.
        const QSignalBlocker block(m_showBox);
        m_showBox->setCheckState(static_cast<ShowBox *>(m_showBox)->previousState());
        return;
    }
    reloadObject();
    Q_EMIT listEdited();
}

void PreviewPane::updateShowBox()
{
    const bool rows = m_model->rowCount() > 0;
    m_showBox->setEnabled(rows);
    if (!rows) {
        const QSignalBlocker block(m_showBox);
        m_showBox->setCheckState(Qt::PartiallyChecked);
    }
}

QString PreviewPane::commentLine(qsizetype titles, qsizetype items, const QString &sourcePath, int encodingType,
                                 bool crLf, bool withDetails)
{
    QString details;
    const QString encoding = encodingLabel(encodingType);
    if (withDetails && !sourcePath.isEmpty() && !encoding.isEmpty())
        details = u"%1 %2%3"_s.arg(QFileInfo(sourcePath).fileName(), encoding, crLf ? u"(CR-LF)"_s : u"(LF)"_s);
    return u"titles:%1 items:%2 %3"_s.arg(titles).arg(items).arg(details);
}

void PreviewPane::updateComment()
{
    if (!m_document)
        return;
    const ListItem *list = m_document->listItem();
    m_comment->setText(commentLine(list->columnTitlesArray().size(), list->itemCount(),
                                   list->conversionRelevantFilePath(), list->encodingType(), list->crState(),
                                   m_commentOfCSV));
}

void PreviewPane::refreshTextTab()
{
    if (!m_document)
        return;
    const ListItem *list = m_document->listItem();
    const QStringList titles = list->selectColumnTitlesArray();
    QList<qsizetype> columns;
    for (const QString &title : titles)
        columns.append(list->columnTitlesArray().indexOf(title));
    const qsizetype count = list->previewCount();
    const qsizetype shown = qMin(count, kTextRowLimit);
    CsvFieldWriter writer;
    for (qsizetype n = 0; n < titles.size(); ++n)
        writer.appendField(titles.at(n), n == 0);
    for (qsizetype position = 0; position < shown && !titles.isEmpty(); ++position) {
        writer.appendText(u"\n");
        const qsizetype row = list->previewRowAt(position);
        for (qsizetype n = 0; n < columns.size(); ++n)
            writer.appendField(list->cellText(row, columns.at(n)), n == 0);
    }
    QString text = writer.text();
    if (count > shown)
        text += u"\n"_s + tr("… %n more rows not shown", nullptr, int(qMin<qsizetype>(count - shown, INT_MAX)));
    m_text->setPlainText(text);
}

void PreviewPane::refreshWebTab()
{
    if (!m_document)
        return;
    const int row = m_table->currentIndex().isValid() ? m_table->currentIndex().row() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        m_web->setHtml(u"<p>%1</p>"_s.arg(tr("Select a row to see it here.").toHtmlEscaped()));
        return;
    }
    QString html = u"<table cellspacing='0' cellpadding='4'>"_s;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString title = m_model->titleOfColumn(column);
        if (title == Row::kIndicationKey || title.isEmpty())
            continue;
        const QString text = m_model->cellText(row, column);
        const QString escaped = text.toHtmlEscaped().replace(u'\n', u"<br>"_s);
        const QString value = isWebLink(text)
            ? u"<a href=\"%1\">%2</a>"_s.arg(QUrl(text.trimmed()).toString(QUrl::FullyEncoded).toHtmlEscaped(), escaped)
            : escaped;
        html += u"<tr><th align='right' valign='top'>%1</th><td>%2</td></tr>"_s.arg(
            m_model->headerData(column, Qt::Horizontal).toString().toHtmlEscaped(), value);
    }
    html += u"</table>"_s;
    m_web->setHtml(html);
}

QString PreviewPane::tabSeparated(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines) {
        for (qsizetype n = 0; n < line.size(); ++n) {
            if (n > 0)
                text += u'\t';
            const QString &field = line.at(n);
            if (field.contains(u'\t') || field.contains(u'\n') || field.contains(u'\r') || field.contains(u'"'))
                text += u'"' + QString(field).replace(u"\""_s, u"\"\""_s) + u'"';
            else
                text += field;
        }
        text += u'\n';
    }
    return text;
}

void PreviewPane::copySelection()
{
    const QModelIndexList selected = m_table->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    // Rows in table order, columns in the order the header shows them.
    std::map<int, std::map<int, int>> cells;
    QHeaderView *header = m_table->horizontalHeader();
    for (const QModelIndex &index : selected)
        if (m_model->titleOfColumn(index.column()) != Row::kIndicationKey)
            cells[index.row()][header->visualIndex(index.column())] = index.column();
    QList<QStringList> lines;
    CsvFieldWriter csv;
    for (const auto &[row, columns] : cells) {
        QStringList line;
        bool first = true;
        for (const auto &[visual, column] : columns) {
            line.append(m_model->cellText(row, column));
            csv.appendField(line.constLast(), first);
            first = false;
        }
        csv.appendText(u"\r\n");
        lines.append(line);
    }
    if (lines.isEmpty())
        return;
    auto *mime = new QMimeData;
    mime->setText(tabSeparated(lines));
    mime->setData(u"text/csv"_s, csv.text().toUtf8());
    QApplication::clipboard()->setMimeData(mime);
}

void PreviewPane::selectAllRows()
{
    m_tabs->setCurrentIndex(TableTab);
    m_table->selectAll();
}

void PreviewPane::zoomIn()
{
    m_pointSize = qMin(kMaxPointSize, m_pointSize + 1.0);
    applyZoom();
}

void PreviewPane::zoomOut()
{
    m_pointSize = qMax(kMinPointSize, m_pointSize - 1.0);
    applyZoom();
}

void PreviewPane::applyZoom()
{
    QFont tableFont = m_table->font();
    tableFont.setPointSizeF(m_pointSize);
    m_table->setFont(tableFont);
    m_table->verticalHeader()->setDefaultSectionSize(QFontMetrics(tableFont).height() + kRowPadding);
    QFont textFont = m_text->font();
    textFont.setPointSizeF(m_pointSize);
    m_text->setFont(textFont);
    QFont webFont = m_web->font();
    webFont.setPointSizeF(m_pointSize);
    m_web->setFont(webFont);
    m_zoomOut->setEnabled(m_pointSize > kMinPointSize);
    m_zoomIn->setEnabled(m_pointSize < kMaxPointSize);
}

void PreviewPane::toggleCurrentMark()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return;
    int markColumn = 0;
    while (markColumn < m_model->columnCount() && m_model->titleOfColumn(markColumn) != Row::kIndicationKey)
        ++markColumn;
    if (markColumn == m_model->columnCount())
        return;
    const QModelIndex mark = m_model->index(current.row(), markColumn);
    const bool checked = mark.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    m_model->setData(mark, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

bool PreviewPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            toggleCurrentMark();
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            copySelection();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
