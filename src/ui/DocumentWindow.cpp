#include "DocumentWindow.h"

#include "DesktopApplication.h"
#include "DocumentToolBar.h"
#include "ExportPanel.h"
#include "FilePanels.h"
#include "InfoOutlineView.h"
#include "ListItemsView.h"
#include "MainSplitter.h"
#include "MessageBoxAlertPresenter.h"
#include "PasswordPanelDialog.h"
#include "ProgressPanelDialog.h"
#include "PreviewPane.h"
#include "SearchView.h"

#include "app/AppController.h"
#include "app/MyDocument.h"
#include "document/DocumentSource.h"
#include "document/MainSplitSource.h"

#include <QCloseEvent>
#include <QLabel>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QGuiApplication>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTabIdentifiers{u"id_info"_s, u"id_edit"_s, u"id_search"_s};

} // namespace

DocumentWindow::DocumentWindow(DesktopApplication *application, MyDocumentController *controller,
                               const QString &displayName, QWidget *parent)
    : QMainWindow(parent)
    , m_application(application)
    , m_document(std::make_unique<MyDocument>(controller, displayName, this))
    , m_toolBar(new DocumentToolBar(this))
    , m_toolTabs(new QTabWidget)
    , m_toolScroll(new QScrollArea)
{
    setObjectName(u"MainWindow"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setMinimumSize(640, 420);
    resize(1000, 720);

    MyDocument *document = m_document.get();
    m_preview = new PreviewPane(document);
    m_listItems = new ListItemsView(document);
    m_search = new SearchView(document);
    m_info = new InfoOutlineView(document);

    auto *editTab = new QWidget;
    auto *editLayout = new QVBoxLayout(editTab);
    editLayout->setContentsMargins(0, 0, 0, 0);
    editLayout->addWidget(m_listItems);
    // The item and option editors take this place.
    auto *editorPlace = new QLabel(tr("Double-click a row to edit it here (the item editor is coming)."), editTab);
    editorPlace->setObjectName(u"itemEditorPlace"_s);
    editorPlace->setAlignment(Qt::AlignCenter);
    editorPlace->setEnabled(false);
    editLayout->addWidget(editorPlace, 1);
    m_toolTabs->setObjectName(u"toolTabView"_s);
    m_toolTabs->addTab(m_info, m_toolBar->item(u"id_info"_s)->text());
    m_toolTabs->addTab(editTab, m_toolBar->item(u"id_edit"_s)->text());
    m_toolTabs->addTab(m_search, m_toolBar->item(u"id_search"_s)->text());
    for (int i = 0; i < kTabIdentifiers.size(); ++i)
        m_toolTabs->widget(i)->setProperty("identifier", kTabIdentifiers.at(i));
    // The toolbar carries the tab switching; the tab bar would repeat it.
    m_toolTabs->tabBar()->hide();
    m_toolTabs->setDocumentMode(true);

    m_toolScroll->setObjectName(u"ToolScrolView"_s);
    m_toolScroll->setWidget(m_toolTabs);
    m_toolScroll->setWidgetResizable(true);
    m_toolScroll->setFrameShape(QFrame::NoFrame);
    m_toolTabs->setMinimumHeight(300);
    connect(m_toolScroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        MainSplitSource *source = m_document->documentSource()->mainSplitSource();
        source->registerClipBounds(QRectF(m_toolScroll->viewport()->rect()));
        source->registerVerticalPoint(QPointF(0, value));
    });

    m_splitter = new MainSplitter(document->documentSource()->mainSplitSource(), m_toolScroll, m_preview, this);
    m_splitter->setObjectName(u"MainSplitView"_s);
    setCentralWidget(m_splitter);

    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &DocumentToolBar::itemTriggered, this, &DocumentWindow::showTab);
    m_toolBar->selectItem(u"id_info"_s);
    m_toolBar->setSplitState(document->documentSource()->splitState());

    connectViews();
    buildMenus();
    setDisplayName(document->documentFileName());
}

DocumentWindow::~DocumentWindow()
{
    m_application->forget(this);
    // The shared panels are shown on whichever window needs them; they
    // outlive this one.
    for (QWidget *panel : {static_cast<QWidget *>(m_application->progressPanel()),
                           static_cast<QWidget *>(m_application->unlockPanel()),
                           static_cast<QWidget *>(m_application->saveConfirmationPanel())}) {
        if (panel && panel->parentWidget() == this) {
            panel->hide();
            panel->setParent(nullptr, panel->windowFlags());
        }
    }
    // The views read the document while they go; let them go first.
    delete m_splitter;
    m_splitter = nullptr;
    m_document.reset();
}

void DocumentWindow::connectViews()
{
    connect(m_preview, &PreviewPane::itemActivated, this, [this] { showTab(u"id_edit"_s); });
    connect(m_listItems, &ListItemsView::toolTabRequested, this, &DocumentWindow::setingToolWihtState);
    connect(m_listItems, &ListItemsView::previewChanged, this, &DocumentWindow::remakePreview);
    connect(m_listItems, &ListItemsView::searchRecalled, m_search, &SearchView::reloadToolView);
    connect(m_listItems, &ListItemsView::searchRequested, m_search, &SearchView::selectSearchTitle);
    connect(m_listItems, &ListItemsView::listsChanged, m_info, &InfoOutlineView::reloadToolView);
    connect(m_search, &SearchView::previewChanged, this, &DocumentWindow::remakePreview);
    connect(m_search, &SearchView::searchesChanged, m_info, &InfoOutlineView::reloadToolView);
    connect(m_search, &SearchView::searchesChanged, m_listItems, &ListItemsView::reloadToolView);
    connect(m_info, &InfoOutlineView::itemActivated, m_listItems, &ListItemsView::putItemInfoTitleAtRoot);
    connect(m_preview, &PreviewPane::listEdited, this, [this] { setWindowModified(m_document->isDocumentEdited()); });
}

void DocumentWindow::remakePreview()
{
    m_preview->makeTableColumns();
    m_preview->reloadObject();
}

void DocumentWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New"), QKeySequence::New, m_application, &DesktopApplication::newDocument);
    file->addAction(tr("&Open…"), QKeySequence::Open, m_application, &DesktopApplication::openDocument);
    QMenu *recent = file->addMenu(tr("Open &Recent"));
    recent->setObjectName(u"recentMenu"_s);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList paths = m_application->recentFiles();
        for (const QString &path : paths)
            recent->addAction(QFileInfo(path).fileName(), this, [this, path] { m_application->openPath(path); })
                ->setToolTip(path);
        recent->setEnabled(true);
        if (paths.isEmpty())
            recent->addAction(tr("No Recent Documents"))->setEnabled(false);
    });
    file->addSeparator();
    file->addAction(tr("&Import…"), QKeySequence(Qt::CTRL | Qt::Key_I), this, [this] { showTab(u"id_import"_s); });
    file->addAction(tr("&Export…"), QKeySequence(Qt::CTRL | Qt::Key_E), this, [this] { showTab(u"id_export"_s); });
    file->addSeparator();
    file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { m_document->saveDocument(); });
    file->addAction(tr("Save &As…"), QKeySequence::SaveAs, this, [this] { m_document->saveDocumentAs(); });
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"), QKeySequence::Quit, m_application, &DesktopApplication::quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Copy"), QKeySequence::Copy, this, [this] { m_preview->copySelection(); });
    edit->addAction(tr("Select &All"), QKeySequence::SelectAll, this, [this] { m_preview->selectAllRows(); });
    edit->addSeparator();
    edit->addAction(tr("&Find…"), QKeySequence::Find, this, [this] {
        showTab(u"id_search"_s);
        m_search->focusSearch();
    });

    QMenu *view = menuBar()->addMenu(tr("&View"));
    const QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_0), QKeySequence(Qt::CTRL | Qt::Key_1),
                                   QKeySequence(Qt::CTRL | Qt::Key_2), QKeySequence(Qt::CTRL | Qt::Key_3)};
    const QStringList tools{u"id_split"_s, u"id_info"_s, u"id_edit"_s, u"id_search"_s};
    for (int i = 0; i < tools.size(); ++i) {
        const QString identifier = tools.at(i);
        view->addAction(m_toolBar->item(identifier)->icon(), m_toolBar->item(identifier)->text(), keys.at(i), this,
                        [this, identifier] { showTab(identifier); });
    }
    view->addSeparator();
    view->addAction(tr("Zoom &In"), QKeySequence::ZoomIn, this, [this] { m_preview->zoomIn(); });
    view->addAction(tr("Zoom &Out"), QKeySequence::ZoomOut, this, [this] { m_preview->zoomOut(); });

    QMenu *format = menuBar()->addMenu(tr("F&ormat"));
    format->addAction(m_toolBar->item(u"id_font"_s)->icon(), tr("Show &Fonts"), QKeySequence(Qt::CTRL | Qt::Key_T),
                      this, [this] { showTab(u"id_font"_s); });
    format->addAction(m_toolBar->item(u"id_color"_s)->icon(), tr("Show &Colours"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this, [this] { showTab(u"id_color"_s); });

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About Rowsmith"), m_application, &DesktopApplication::about)
        ->setMenuRole(QAction::AboutRole);
}

void DocumentWindow::showTab(const QString &identifier)
{
    const qsizetype tab = kTabIdentifiers.indexOf(identifier);
    if (identifier == u"id_split"_s) {
        flipSplit();
    } else if (tab >= 0) {
        m_toolTabs->setCurrentIndex(int(tab));
        m_toolBar->selectItem(identifier);
        m_document->documentSource()->mainSplitSource()->registerToolSelectWihtState(qint32(tab));
    } else {
        // The commands leave the visible tab's item selected.
        m_toolBar->selectItem(kTabIdentifiers.value(m_toolTabs->currentIndex()));
        if (identifier == u"id_import"_s)
            importListItemsFilePath();
        else if (identifier == u"id_export"_s)
            exportListItemsFile();
        else if (identifier == u"id_font"_s)
            m_application->showFontPanel();
        else if (identifier == u"id_color"_s)
            m_application->showColorPanel();
    }
    reloadObject();
}

void DocumentWindow::flipSplit()
{
    DocumentSource *source = m_document->documentSource();
    const bool toolAtBottom = !source->splitState();
    source->register_splitState(toolAtBottom);
    m_toolBar->setSplitState(toolAtBottom);
    m_splitter->applySplitState(toolAtBottom);
    m_document->updateChangeCountAs(true);
}

bool DocumentWindow::importFile(const QString &path)
{
    return m_listItems->importFile(path);
}

void DocumentWindow::closeApproved()
{
    m_closeApproved = true;
    close();
}

// --- What the document asks of its window -------------------------------------

QRectF DocumentWindow::windowFrame() const
{
    return QRectF(geometry());
}

QRect DocumentWindow::clampedFrame(const QRect &frame, const QSize &minimum, const QSize &maximum,
                                   const QRect &available)
{
    QSize size = frame.size().expandedTo(minimum).boundedTo(maximum);
    if (available.isValid())
        size = size.boundedTo(available.size()).expandedTo(minimum);
    QRect clamped(frame.topLeft(), size);
    if (available.isValid()) {
        clamped.moveLeft(qBound(available.left(), clamped.left(), qMax(available.left(), available.right() - size.width() + 1)));
        clamped.moveTop(qBound(available.top(), clamped.top(), qMax(available.top(), available.bottom() - size.height() + 1)));
    }
    return clamped;
}

void DocumentWindow::setWindowFrame(const QRectF &frame)
{
    if (!frame.isValid())
        return;
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    setGeometry(clampedFrame(frame.toAlignedRect(), minimumSize(), maximumSize(), available));
}

void DocumentWindow::setDisplayName(const QString &name)
{
    setWindowTitle(name + u"[*]"_s);
    // The name changes as a package is opened or saved under a new path.
    if (m_document && !m_document->filePath().isEmpty())
        m_application->notePackage(m_document->filePath());
}

void DocumentWindow::setDocumentEdited(bool edited)
{
    setWindowModified(edited);
}

void DocumentWindow::closeWindow()
{
    closeApproved();
}

void DocumentWindow::quitApplication()
{
    m_application->continueQuit();
}

QObject *DocumentWindow::windowHandle() const
{
    return const_cast<DocumentWindow *>(this);
}

void DocumentWindow::reloadObject()
{
    m_preview->reloadObject();
    m_listItems->reloadToolView();
    setWindowModified(m_document->isDocumentEdited());
}

void DocumentWindow::makeTableColumns()
{
    m_preview->makeTableColumns();
}

void DocumentWindow::reviseSplitLayout()
{
    m_layoutStored = true;
    const bool toolAtBottom = m_document->documentSource()->splitState();
    m_toolBar->setSplitState(toolAtBottom);
    if (m_laidOut)
        m_splitter->applySplitState(toolAtBottom);
}

void DocumentWindow::reloadToolView()
{
    m_listItems->reloadToolView();
    m_info->reloadToolView();
    m_search->reloadToolView();
    const QPointF point = m_document->documentSource()->mainSplitSource()->verticalPoint();
    m_toolScroll->verticalScrollBar()->setValue(int(point.y()));
}

void DocumentWindow::initializeToolView()
{
    m_listItems->initializeToolView();
}

void DocumentWindow::setListsUpdated(bool updated)
{
    m_listItems->setListsUpdated(updated);
    m_info->reloadToolView();
}

void DocumentWindow::commentOfCSVtoLMSConversion()
{
    m_preview->commentOfCSVtoLMSConversion();
}

void DocumentWindow::selectSearchTitle(const QString &title)
{
    m_search->selectSearchTitle(title);
}

void DocumentWindow::resetTable()
{
    m_preview->resetTable();
}

void DocumentWindow::showInfoText(const QString &text)
{
    m_info->showInfoText(text);
}

void DocumentWindow::importListItemsFilePath()
{
    m_listItems->importListItemsFilePath();
}

void DocumentWindow::exportListItemsFile()
{
    ExportPanel::openFor(this, m_document.get());
}

void DocumentWindow::setingToolWihtState(int state)
{
    if (state >= 0 && state < kTabIdentifiers.size())
        showTab(kTabIdentifiers.at(state));
}

bool DocumentWindow::runSavePanel(const QString &proposedName, QString *path)
{
    return FilePanels::runSavePanel(this, proposedName, path);
}

MyDocumentWindow::SaveOption DocumentWindow::runSaveOptionAlert(const QString &title, const QString &message,
                                                                const QString &saveText,
                                                                const QString &dontSaveText,
                                                                const QString &cancelText)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), title, QMessageBox::NoButton, this);
    box.setObjectName(u"saveOptionAlert"_s);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(message);
    QPushButton *save = box.addButton(saveText, QMessageBox::AcceptRole);
    QPushButton *dontSave = box.addButton(dontSaveText, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(cancelText, QMessageBox::RejectRole);
    save->setObjectName(u"save"_s);
    dontSave->setObjectName(u"dontSave"_s);
    cancel->setObjectName(u"cancel"_s);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    MessageBoxAlertPresenter::openAndWait(box);
    if (box.clickedButton() == save)
        return SaveOption::Save;
    if (box.clickedButton() == dontSave)
        return SaveOption::DontSave;
    return SaveOption::Cancel;
}

// --- Events ------------------------------------------------------------------

void DocumentWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeApproved || m_quitting || m_document->shouldCloseWindow()) {
        event->accept();
        return;
    }
    event->ignore();
}

void DocumentWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && FilePanels::kindOf(url.toLocalFile()) != FilePanels::Kind::Other) {
            event->acceptProposedAction();
            return;
        }
    }
}

void DocumentWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        const QString path = url.toLocalFile();
        switch (FilePanels::kindOf(path)) {
        case FilePanels::Kind::Package:
            m_application->openPath(path);
            break;
        case FilePanels::Kind::Importable:
            importFile(path);
            break;
        case FilePanels::Kind::Other:
            break;
        }
    }
    event->acceptProposedAction();
}

void DocumentWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_laidOut)
        return;
    m_laidOut = true;
    if (m_layoutStored)
        m_splitter->applySplitState(m_document->documentSource()->splitState());
    else
        m_splitter->startLayout();
}
