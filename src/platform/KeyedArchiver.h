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
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        archiver.encoder().encodeObject(object, key);
        if (!archiver.finish()) {
            if (error)
                *error = archiver.errorString();
            return {};
        }
        return bytes;
    }

private:
    struct Private;
    std::unique_ptr<Private> d;
};
