#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class MyDocument;
class SearchEditingSource;

// The criteria of the document's search as a table: whether matches are
// collected, the column searched and the keywords. Edits go through the
// search's working criterion and mark the document changed.
class SearchCriteriaModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ConditionColumn = 0, CategoryColumn = 1, KeywordColumn = 2, ColumnCount };

    SearchCriteriaModel(MyDocument *document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The columns a criterion may search: the list's cell titles.
    QStringList categories() const;
    // A blank criterion after the row (appended for -1).
    void addCriterion(int row);
    // Refused for the final criterion and for a criterion without keywords.
    bool canRemoveCriterion(int row) const;
    bool removeCriterion(int row);
    // The search changed outside the table.
    void reload();

Q_SIGNALS:
    void edited();

private:
    SearchEditingSource *search() const;

    QPointer<MyDocument> m_document;
};
