#pragma once

#include "ArchiveEncoder.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// Writes one keyed archive: a single top-level key holding one value.
//
//   QByteArray bytes = KeyedArchiver::archivedData(listItem, u"ListItem");
//
// or, streaming into a device (a QSaveFile for large lists):
//
//   KeyedArchiver archiver(&file);
//   archiver.encoder().encodeObject(listItem, u"ListItem");
//   if (!archiver.finish()) ... archiver.errorString()
class KeyedArchiver
{
public:
    explicit KeyedArchiver(QIODevice *device);
    explicit KeyedArchiver(QByteArray *buffer);
    ~KeyedArchiver();

    // Write exactly one top-level value through this encoder.
    ArchiveEncoder &encoder();
    bool finish();
    QString errorString() const;

    template<class T>
    static QByteArray archivedData(const T &object, QStringView key, QString *error = nullptr)
    {
        return archived(object, key, error, nullptr);
    }

    // The archive as a file stores it: one compressed frame, or plain when
    // its row tables, packed segment by segment, make up most of it.
    template<class T>
    static QByteArray packedData(const T &object, QStringView key, QString *error = nullptr)
    {
        qint64 rowTableBytes = 0;
        QByteArray bytes = archived(object, key, error, &rowTableBytes);
        return bytes.isEmpty() ? bytes : packed(std::move(bytes), rowTableBytes, error);
    }

private:
    template<class T>
    static QByteArray archived(const T &object, QStringView key, QString *error, qint64 *rowTableBytes)
    {
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeObject(object, key);
        if (!archiver.finish()) {
            if (error)
                *error = archiver.errorString();
            return {};
        }
        if (rowTableBytes)
            *rowTableBytes = archiver.encoder().rowTableBytes();
        return bytes;
    }
    static QByteArray packed(QByteArray archive, qint64 rowTableBytes, QString *error);

    struct Private;
    std::unique_ptr<Private> d;
};
