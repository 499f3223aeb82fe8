#pragma once

#include "FontDescription.h"
#include "platform/AttributedText.h"
#include "platform/TextAttributes.h"

#include <QSizeF>
#include <QString>
#include <QVariantMap>

class ArchiveDecoder;
class ArchiveEncoder;

// The state of the rich-text editor that edits one cell value: which column
// it shows, the text, and the editor's font and selected-text colours. Only
// the font and the selected-text colours are archived.
class ItemsEditingTextSource
{
public:
    // Keys of editTextAttributes; values are ARGB numbers (quint32).
    static inline const QString kColorKey = QStringLiteral("NSColor");
    static inline const QString kBackgroundColorKey = QStringLiteral("NSBackgroundColor");
    // The selected-text defaults: white on a blue highlight.
    static constexpr quint32 kSelectedTextColour = 0xffffffffu;
    static constexpr quint32 kSelectedTextBackgroundColour = 0xff3875d7u;

    ItemsEditingTextSource();

    static QString archiveClassName() { return QStringLiteral("ItemsEditingTextSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    // Takes over the font and the selected-text colours only.
    bool setTheEnvironmentalAtDecoder(const ItemsEditingTextSource *other);

    static const TextAttributes::Ptr &defaultFontAttributes() { return TextAttributes::defaults(); }

    const QString &columnTitle() const { return m_columnTitle; }
    bool registerColumnTitle(const QString &value);
    bool confirmColumnTitle() const { return !m_columnTitle.isEmpty(); }

    float columnWidth() const { return m_columnWidth; }
    void registerColumnWidth(float width) { m_columnWidth = width; }

    QSizeF viewContainerInset() const { return m_viewContainerInset; }
    void registerViewContainerInset(const QSizeF &inset) { m_viewContainerInset = inset; }
    void makingViewContainerInsetAtWidth(float width, float height) { m_viewContainerInset = QSizeF(width, height); }

    const QString &editText() const { return m_editText; }
    bool registerEditText(const QString &value);
    bool confirmEditText() const { return !m_editText.isEmpty(); }

    const AttributedText &attributesText() const { return m_attributesText; }
    // An empty text stores an empty text with the default attributes.
    bool registerEditAttributedText(const AttributedText &text);
    bool confirmAttributesText() const { return !m_attributesText.isEmpty(); }

    const FontDescription &editTextFont() const { return m_editTextFont; }
    void registerEditTextFont(const FontDescription &font) { m_editTextFont = font; }

    const QVariantMap &editTextAttributes() const { return m_editTextAttributes; }
    // An empty map is refused and the previous colours stay.
    bool registerEditTextAttributesDic(const QVariantMap &attributes);
    void initializationEditTextAttributes();
    static QVariantMap defaultEditTextAttributes();
    // The two colours, falling back to the defaults when a key is missing.
    quint32 selectedTextColour() const;
    quint32 selectedTextBackgroundColour() const;

private:
    QString m_columnTitle;
    float m_columnWidth = 0.0f;
    QSizeF m_viewContainerInset;
    QString m_editText;
    AttributedText m_attributesText;
    FontDescription m_editTextFont;
    QVariantMap m_editTextAttributes;
};
