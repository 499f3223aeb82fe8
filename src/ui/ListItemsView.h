#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

class MyDocument;
class QComboBox;

class QPushButton;

// The top of the tool pane: which stored list is open, importing a file as
// a new list, storing and removing the open list, and its stored searches.
class ListItemsView : public QWidget
{
    Q_OBJECT
public:
    ListItemsView(MyDocument *document, QWidget *parent = nullptr);

    QComboBox *listTitles() const { return m_listTitles; }
    QComboBox *searchTitles() const { return m_searchTitles; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *storeButton() const { return m_store; }
    QPushButton *removeButton() const { return m_remove; }
    // The open panel while it is shown.
    QFileDialog *importPanel() const { return m_panel; }
    bool listsUpdated() const { return m_updateListItems; }

public Q_SLOTS:
    void reloadToolView();
    void initializeToolView();
    // Asks before replacing a list with unstored rows, then offers an open panel.
    void importListItemsFilePath();
    // Sends the import of the file; false when nothing was sent.
    bool importFile(const QString &path);
    bool storeCurrentList();
    bool removeCurrentList();
    // Opens the stored list of that title; false when declined or unknown.
    bool chooseListTitle(const QString &title);
    void chooseSearchTitle(const QString &title);
    void setListsUpdated(bool updated);
    void setingToolWihtState(int state);
    // A list (and one of its searches) chosen in the info outline.
    void putItemInfoTitleAtRoot(const QString &listTitle, const QString &searchTitle);

Q_SIGNALS:
    void toolTabRequested(int state);
    // The preview's columns and rows are to be made again.
    void previewChanged();
    // The stored search was copied into the search tab.
    void searchRecalled(const QString &title);
    // The stored search is to be recalled and run.
    void searchRequested(const QString &title);
    // Stored lists changed (the info outline shows them).
    void listsChanged();

private:
    QString currentTitle() const;

    QPointer<MyDocument> m_document;
    QComboBox *m_listTitles = nullptr;
    QComboBox *m_searchTitles = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_store = nullptr;
    QPushButton *m_remove = nullptr;
    QPointer<QFileDialog> m_panel;
    bool m_updateListItems = false;
};
