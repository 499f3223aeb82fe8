#pragma once

#include "ItemsEditingTableSource.h"
#include "ItemsEditingTextSource.h"
#include "platform/TextAttributes.h"

#include <QString>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;

// The item editing state of a list items source: the divider position of the
// item editing split, the chosen item ID, and the table and text sub-states.
// Only the divider position, the ID and the text editor's font and colours
// are archived.
class ItemsEditingSource
{
public:
    ItemsEditingSource();
    ~ItemsEditingSource();
    ItemsEditingSource(const ItemsEditingSource &) = delete;
    ItemsEditingSource &operator=(const ItemsEditingSource &) = delete;

    static QString archiveClassName() { return QStringLiteral("ItemsEditingSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const ItemsEditingSource *other);

    static const TextAttributes::Ptr &defaultFontAttributes() { return TextAttributes::defaults(); }

    float proposedPosition() const { return m_proposedPosition; }
    void registerProposedPosition(float position) { m_proposedPosition = position; }

    const QString &selectIDString() const { return m_selectIDString; }
    bool registerSelectIDString(const QString &value);
    bool confirmSelectIDString() const { return !m_selectIDString.isEmpty(); }
    // Tests the argument only; it is not compared with the chosen ID.
    bool inspectSelectIDString(const QString &value) const { return !value.isEmpty(); }

    // The edited item's mark, read from the table source (and cached).
    bool showWithStateSwitch() const;
    void registerShowWithStateSwitch(bool state);

    // Reserved: stays 0.
    int optionWithState() const { return 0; }
    void registerOptionWithState(int) {}

    // Reserved image slot, holding the path of a readable image file.
    const QString &objectForImage() const { return m_objectForImage; }
    bool registerObjectForImage(const QString &path);
    bool confirmObjectForImage() const;

    ItemsEditingTextSource *itemsEditingTextSource();
    const ItemsEditingTextSource *itemsEditingTextSource() const;
    ItemsEditingTableSource *itemsEditingTableSource();
    const ItemsEditingTableSource *itemsEditingTableSource() const;

    // Fresh values for a new item from the table source's column titles: NO
    // mark at position 0, the chosen ID at position 2, empty texts elsewhere.
    bool newMakingItemDic();

private:
    float m_proposedPosition = 0.0f;
    QString m_selectIDString;
    mutable bool m_showWithStateSwitch = false;
    QString m_objectForImage;
    mutable std::unique_ptr<ItemsEditingTextSource> m_itemsEditingTextSource;
    mutable std::unique_ptr<ItemsEditingTableSource> m_itemsEditingTableSource;
};
