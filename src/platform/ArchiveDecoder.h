#pragma once

#include "ArchiveKind.h"
#include "AttributedText.h"

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class ArchiveArray;
class ArchiveRowTable;
class ArchiveDocument;

// A read-only view on one object or dictionary of a decoded archive. Cheap to
// copy. A missing key decodes to the neutral value (false, 0, empty, null)
// without failing; a key holding another kind marks the whole archive failed
// and decodes to the neutral value.
class ArchiveDecoder
{
public:
    ArchiveDecoder() = default;

    bool isValid() const { return m_document != nullptr; }
    QString className() const;                 // empty for a dictionary
    QStringList allKeys() const;               // in stored order
    bool containsValueForKey(QStringView key) const;
    ArchiveKind kindForKey(QStringView key) const;

    bool decodeBool(QStringView key) const;
    qint32 decodeInt32(QStringView key) const;
    float decodeFloat(QStringView key) const;   // accepts float or double
    double decodeDouble(QStringView key) const; // accepts float or double
    QString decodeString(QStringView key) const;
    QByteArray decodeData(QStringView key) const;
    AttributedText decodeAttributedText(QStringView key) const;
    // By position in allKeys() order, for callers walking every entry: a
    // lookup by key costs a scan of the keys.
    AttributedText decodeAttributedTextAt(qsizetype index) const;
    QRectF decodeRect(QStringView key) const;
    QPointF decodePoint(QStringView key) const;
    QSizeF decodeSize(QStringView key) const;
    QStringList decodeStringArray(QStringView key) const;
    QVariant decodeValue(QStringView key) const; // any kind but Object
    // A dictionary stored as a plain value: empty when absent; another kind
    // under the key fails the archive (it is damaged, not empty).
    QVariantMap decodeVariantMap(QStringView key) const;
    ArchiveArray decodeArray(QStringView key) const;
    // The array under the key when it was stored as a row table, else an
    // invalid view (read it with decodeArray then).
    ArchiveRowTable decodeRowTable(QStringView key) const;
    ArchiveDecoder decodeDictionary(QStringView key) const;

    // Null when the key is absent; a stored object of another class, or an
    // initWithCoder that answers false, fails the archive and yields null.
    template<class T>
    std::unique_ptr<T> decodeObject(QStringView key) const
    {
        ArchiveDecoder fields = objectForKey(key, T::archiveClassName());
        if (!fields.isValid())
            return nullptr;
        auto object = std::make_unique<T>();
        if (!object->initWithCoder(fields)) {
            fail(QStringLiteral("object of class %1 refused its fields").arg(T::archiveClassName()));
            return nullptr;
        }
        return object;
    }

    void fail(const QString &reason) const;
    bool failed() const;

private:
    friend class ArchiveArray;
    friend class ArchiveDocument;
    friend class KeyedUnarchiver;
    ArchiveDecoder(std::shared_ptr<ArchiveDocument> document, quint32 node)
        : m_document(std::move(document)), m_node(node) {}

    ArchiveDecoder objectForKey(QStringView key, const QString &className) const;
    quint32 valueNode(QStringView key) const; // 0 means absent

    std::shared_ptr<ArchiveDocument> m_document;
    quint32 m_node = 0;
};
