#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// One search criterion: which column to search, the keywords, and whether
// matching rows are collected (true) or dropped from the result (false).
// A default-constructed criterion is the blank one: number 0, collecting,
// no category and no keyword.
class ItemsSearch
{
public:
    ItemsSearch();

    static QString archiveClassName() { return QStringLiteral("ItemsSearch"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Back to the blank criterion.
    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const ItemsSearch *other);

    qint32 itemsSearchNo() const { return m_itemsSearchNo; }
    void registerItemsSearchNo(qint32 number) { m_itemsSearchNo = number; }

    bool beginningSwitch() const { return m_beginningSwitch; }
    void registerBeginningSwitch(bool state) { m_beginningSwitch = state; }

    const QString &categoryString() const { return m_categoryString; }
    bool registerCategoryString(const QString &value);
    bool confirmCategoryString() const { return !m_categoryString.isEmpty(); }

    const QString &keywordString() const { return m_keywordString; }
    bool registerKeywordString(const QString &value);
    bool confirmKeywordString() const { return !m_keywordString.isEmpty(); }

    friend bool operator==(const ItemsSearch &, const ItemsSearch &) = default;

private:
    qint32 m_itemsSearchNo = 0;
    bool m_beginningSwitch = true;
    QString m_categoryString;
    QString m_keywordString;
};
