#pragma once

#include "app/MyDocumentWindow.h"

#include <QMainWindow>

#include <memory>

class DesktopApplication;
class DocumentToolBar;
class InfoOutlineView;
class ListItemsView;
class MainSplitter;
class MyDocument;
class MyDocumentController;
class PreviewPane;
class QScrollArea;
class SearchView;
class QTabWidget;

// One document's window: the toolbar, the tool tabs above (or below) the
// preview in the split view, the menus, and what the document asks of its
// window. It owns its document; closing asks about unsaved changes first.
class DocumentWindow : public QMainWindow, public MyDocumentWindow
{
    Q_OBJECT
public:
    DocumentWindow(DesktopApplication *application, MyDocumentController *controller,
                   const QString &displayName, QWidget *parent = nullptr);
    ~DocumentWindow() override;

    MyDocument *document() const { return m_document.get(); }
    MainSplitter *splitter() const { return m_splitter; }
    DocumentToolBar *toolBar() const { return m_toolBar; }
    QTabWidget *toolTabs() const { return m_toolTabs; }
    PreviewPane *previewPane() const { return m_preview; }
    ListItemsView *listItemsView() const { return m_listItems; }
    SearchView *searchView() const { return m_search; }
    InfoOutlineView *infoOutlineView() const { return m_info; }

    // The toolbar's commands by identifier ("id_split", "id_info", ...).
    void showTab(const QString &identifier);
    // Imports a CSV or list file into the current list.
    bool importFile(const QString &path);
    // Closes without asking again: the document has said yes.
    void closeApproved();
    // The application is quitting and has asked this document already.
    bool quitting() const { return m_quitting; }
    void setQuitting(bool quitting) { m_quitting = quitting; }

    // MyDocumentWindow
    QRectF windowFrame() const override;
    void setWindowFrame(const QRectF &frame) override;
    void setDisplayName(const QString &name) override;
    void setDocumentEdited(bool edited) override;
    void closeWindow() override;
    void quitApplication() override;
    QObject *windowHandle() const override;
    void reloadObject() override;
    void makeTableColumns() override;
    void reviseSplitLayout() override;
    void reloadToolView() override;
    void initializeToolView() override;
    void setListsUpdated(bool updated) override;
    void commentOfCSVtoLMSConversion() override;
    void selectSearchTitle(const QString &title) override;
    void resetTable() override;
    void showInfoText(const QString &text) override;
    void importListItemsFilePath() override;
    void exportListItemsFile() override;
    void setingToolWihtState(int state) override;
    bool runSavePanel(const QString &proposedName, QString *path) override;
    SaveOption runSaveOptionAlert(const QString &title, const QString &message, const QString &saveText,
                                  const QString &dontSaveText, const QString &cancelText) override;

    // The frame a restored window takes: its size held between the window's
    // own limits and the available area, its origin moved so it stays inside.
    static QRect clampedFrame(const QRect &frame, const QSize &minimum, const QSize &maximum,
                              const QRect &available);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void connectViews();
    void flipSplit();
    void remakePreview();

    DesktopApplication *m_application;
    std::unique_ptr<MyDocument> m_document;
    DocumentToolBar *m_toolBar;
    QTabWidget *m_toolTabs;
    QScrollArea *m_toolScroll;
    PreviewPane *m_preview;
    ListItemsView *m_listItems;
    SearchView *m_search;
    InfoOutlineView *m_info;
    MainSplitter *m_splitter;
    bool m_closeApproved = false;
    bool m_quitting = false;
    bool m_laidOut = false;
    bool m_layoutStored = false;
};
