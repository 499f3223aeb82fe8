#pragma once

#include <QPointer>
#include <QWidget>

class MyDocument;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class SearchCriteriaModel;

// The search tab: the criteria table, running the search in the background,
// and storing, recalling and removing named searches of the open list.
class SearchView : public QWidget
{
    Q_OBJECT
public:
    SearchView(MyDocument *document, QWidget *parent = nullptr);

    SearchCriteriaModel *model() const { return m_model; }
    QTableView *criteriaView() const { return m_criteria; }
    QLineEdit *titleEdit() const { return m_title; }
    QComboBox *storedSearches() const { return m_stored; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *runButton() const { return m_run; }
    QPushButton *storeButton() const { return m_store; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *showAllButton() const { return m_showAll; }

    // The request that runs the current search over a snapshot of the list.
    static QVariantMap searchRequest(MyDocument *document);

public Q_SLOTS:
    // Recalls the stored search and runs it.
    void selectSearchTitle(const QString &title);
    void focusSearch();
    void reloadToolView();
    bool runSearch();
    bool storeSearch();
    bool removeStoredSearch();
    void showAllRows();

Q_SIGNALS:
    // The preview is to show the list again (search mode left).
    void previewChanged();
    // The stored searches or the list's work log changed.
    void searchesChanged();

private:
    void recall(const QString &title);
    void updateButtons();
    QString nickname() const;

    QPointer<MyDocument> m_document;
    SearchCriteriaModel *m_model = nullptr;
    QTableView *m_criteria = nullptr;
    QLineEdit *m_title = nullptr;
    QComboBox *m_stored = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_removeRow = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_store = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_showAll = nullptr;
};
