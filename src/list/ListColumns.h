#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class Row;

// The columns of a list: titles in order, "Columns%d" (position from 0) to
// title, and widths by title. Knows nothing of the rows: the list renames
// their cells and announces what changed.
class ListColumns
{
public:
    const QStringList &titles() const { return m_titles; }
    void setTitles(const QStringList &titles) { m_titles = titles; }
    qsizetype count() const { return m_titles.size(); }
    bool contains(qsizetype column) const { return column >= 0 && column < m_titles.size(); }
    // Precondition: contains(column).
    const QString &titleAt(qsizetype column) const { return m_titles.at(column); }

    const QVariantMap &titlesDic() const { return m_titlesDic; }
    void setTitlesDic(const QVariantMap &dictionary) { m_titlesDic = dictionary; }
    // Enters every title under its position; false when there are no titles.
    bool makeTitlesDic();
    bool addTitleToDic(const QString &title, qint32 columnNumber);

    const QVariantMap &widths() const { return m_widths; }
    // Keeps the numbers only, each as a float.
    void setWidths(const QVariantMap &widths);
    void setWidth(float width, const QString &title);
    // Answers the width the title had.
    std::optional<float> replaceWidth(const QString &title, float width);

    void clear();

    // The titles without "NSRIndication" and "NSROption".
    QStringList selectTitles() const;
    QString itemIDTitle() const;
    QStringView itemIDOfRow(const Row &row) const;
    // A "Columns%d" key resolved through the dictionary; any other key is a title.
    QString sortTitle(const QString &key) const;

    // Takes the titles in a new order and renumbers the dictionary; false,
    // changing nothing, when `titles` is not a reordering of the titles.
    bool reorder(const QStringList &titles);
    // Renames the column's title everywhere it is held and answers the old
    // title; nothing, changing nothing, for a title already in use, a mark or
    // option column, or a column out of range.
    std::optional<QString> retitle(qsizetype column, const QString &title);

private:
    QStringList m_titles;
    QVariantMap m_titlesDic;
    QVariantMap m_widths;
};
