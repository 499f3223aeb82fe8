#pragma once

#include "ArchiveDecoder.h"

// A read-only view on one array of a decoded archive; elements are read by
// index with the same kind rules as ArchiveDecoder's keys.
class ArchiveArray
{
public:
    ArchiveArray() = default;

    bool isValid() const { return m_document != nullptr; }
    qsizetype size() const;
    ArchiveKind kindAt(qsizetype index) const;

    bool boolAt(qsizetype index) const;
    qint32 int32At(qsizetype index) const;
    float floatAt(qsizetype index) const;
    double doubleAt(qsizetype index) const;
    QString stringAt(qsizetype index) const;
    QByteArray dataAt(qsizetype index) const;
    AttributedText attributedTextAt(qsizetype index) const;
    QVariant valueAt(qsizetype index) const;
    ArchiveArray arrayAt(qsizetype index) const;
    ArchiveDecoder dictionaryAt(qsizetype index) const;

    template<class T>
    std::unique_ptr<T> objectAt(qsizetype index) const
    {
        ArchiveDecoder fields = objectAtIndex(index, T::archiveClassName());
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
    friend class ArchiveDecoder;
    friend class ArchiveDocument;
    friend class ArchiveRowTable;
    ArchiveArray(std::shared_ptr<ArchiveDocument> document, quint32 node)
        : m_document(std::move(document)), m_node(node) {}
    // A view on an array node; a row table is read through its expansion.
    static ArchiveArray over(const std::shared_ptr<ArchiveDocument> &document, quint32 node);

    ArchiveDecoder objectAtIndex(qsizetype index, const QString &className) const;
    quint32 elementNode(qsizetype index) const; // 0 means absent

    std::shared_ptr<ArchiveDocument> m_document;
    quint32 m_node = 0;
};
