#pragma once

#include <vector>

#include "AttributedText.h"

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QCborStreamWriter;
class QIODevice;

// Writes keyed values into a CBOR stream as they come; nothing is buffered
// beyond the writer's table of shared values (keys, class names, short
// strings and attribute sets are written once and then referenced).
//
// Inside an object or a dictionary every value needs a key; inside an array
// the key is ignored and may be left empty.
//
// An archivable class T provides
//   static QString archiveClassName();
//   void encodeWithCoder(ArchiveEncoder &coder) const;
//   bool initWithCoder(const ArchiveDecoder &coder);   // default-constructed T
class ArchiveEncoder
{
public:
    ~ArchiveEncoder();
    ArchiveEncoder(const ArchiveEncoder &) = delete;
    ArchiveEncoder &operator=(const ArchiveEncoder &) = delete;

    void encodeBool(bool value, QStringView key);
    void encodeInt32(qint32 value, QStringView key);
    void encodeFloat(float value, QStringView key);
    void encodeDouble(double value, QStringView key);
    void encodeString(const QString &value, QStringView key);
    void encodeData(const QByteArray &value, QStringView key);
    void encodeAttributedText(const AttributedText &value, QStringView key);
    void encodeRect(const QRectF &value, QStringView key);
    void encodePoint(const QPointF &value, QStringView key);
    void encodeSize(const QSizeF &value, QStringView key);
    void encodeStringArray(const QStringList &value, QStringView key);

    // bool, int (32-bit range), float, double, QString, QByteArray,
    // AttributedText, QRectF, QPointF, QSizeF, QStringList, QVariantList,
    // QVariantMap. Anything else marks the archive failed.
    void encodeValue(const QVariant &value, QStringView key);

    template<class T>
    void encodeObject(const T &object, QStringView key)
    {
        beginObject(T::archiveClassName(), key);
        object.encodeWithCoder(*this);
        endObject();
    }

    // Streaming containers for large collections: begin with the exact count,
    // write that many values, end.
    void beginArray(qsizetype count, QStringView key);
    void endArray();
    void beginDictionary(qsizetype count, QStringView key);
    void endDictionary();
    void beginObject(const QString &className, QStringView key);
    void endObject();
    // An array of rows as one ArchiveRowTable block, given as the pieces it
    // is written from in order; then exactly styledValues values (cell
    // index, attributed text, ...) and endRowTable.
    void beginRowTable(qsizetype rows, const std::vector<QByteArray> &block, qsizetype styledValues,
                       QStringView key);
    void endRowTable();
    // Bytes of row table blocks written so far; their rows are packed
    // already, so packing the whole archive again gains little.
    qint64 rowTableBytes() const;

    // A class may refuse to encode; the archiver then reports failure.
    void fail(const QString &reason);
    bool failed() const;
    QString errorString() const;

private:
    friend class KeyedArchiver;
    explicit ArchiveEncoder(QCborStreamWriter *writer);

    // The prelude and root dictionary around the one top-level value.
    void beginArchive();
    bool finishArchive();
    bool beginValue(QStringView key);
    bool writeKey(QStringView key);
    void writeString(QStringView value, bool share);
    void appendText(QStringView text);
    void writeAttributes(const TextAttributes::Ptr &attributes);
    bool openContainer(QStringView key);
    bool closeContainer(int type, const char *what);

    struct Private;
    std::unique_ptr<Private> d;
};
