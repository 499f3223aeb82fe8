#pragma once

#include <QPointer>
#include <QWidget>

class MyDocument;
class QPlainTextEdit;
class QStandardItemModel;
class QTreeView;

// The info tab: the document's stored lists with their stored searches as
// an outline, and the selected list's work log beside it.
class InfoOutlineView : public QWidget
{
    Q_OBJECT
public:
    enum Column { TitleColumn = 0, CommentColumn = 1 };

    InfoOutlineView(MyDocument *document, QWidget *parent = nullptr);

    QTreeView *outline() const { return m_outline; }
    QStandardItemModel *model() const { return m_model; }
    QString infoText() const;

public Q_SLOTS:
    void showInfoText(const QString &text);
    void reloadToolView();

Q_SIGNALS:
    // A double click: the list to open and, for a search row, the search.
    void itemActivated(const QString &listTitle, const QString &searchTitle);

private:
    // The list and search titles of an outline row.
    std::pair<QString, QString> titlesAt(const QModelIndex &index) const;
    void showLogOf(const QString &listTitle);

    QPointer<MyDocument> m_document;
    QStandardItemModel *m_model = nullptr;
    QTreeView *m_outline = nullptr;
    QPlainTextEdit *m_text = nullptr;
};
