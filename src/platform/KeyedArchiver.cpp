// Keyed archive format, version 1
// ================================
//
// A file is one CBOR (RFC 8949) item, written as a stream:
//
//   55799( ["rowsmith-archive", 1, { key: value }] )
//
// Tag 55799 marks self-described CBOR. The array holds the magic string, the
// format version and the root map, which has exactly one entry. Nothing may
// follow the item.
//
// Values by kind:
//   bool            false / true
//   int             CBOR integer (the reader stores 64 bits; 32-bit accessors
//                   refuse wider values)
//   float           single-precision float (0xfa); a half float reads as float
//   double          double-precision float (0xfb)
//   string          text string, or a shared string (below)
//   data            byte string
//   array           definite-length array
//   dictionary      definite-length map; keys are strings, none repeated
//   object          27900([class name, {fields}]); the field map has
//                   indefinite length because fields are counted as they come
//   attributed text 27901(text) when every character has the default
//                   attributes, else 27901([text, length1, set1, length2,
//                   set2, ...]) with run lengths in UTF-16 units covering the
//                   text exactly
//   attribute set   27902([font family, point size, weight, italic,
//                   underline, strike-out, foreground ARGB, background ARGB]);
//                   only inside an attributed text
//   rect            27903([x, y, width, height])
//   point           27904([x, y])
//   size            27905([width, height])
// Geometry and point sizes are written as doubles; the reader takes any number.
//
// Sharing uses the value-sharing tags 28 and 29 with one table for the whole
// file: 28(value) defines the next index (counted when the tag is met, so a
// value's own inner shared strings come after it), 29(n) refers to entry n,
// which must be complete (no forward or self references, hence no cycles).
// Only strings and attribute sets are shared, so references never duplicate
// containers. The writer shares map keys, class names, string values up to
// 64 UTF-16 units and attribute sets; cell texts inside attributed text stay
// inline. The writer's table stops growing at 2^20 entries; later values are
// written inline.
//
// 27906([row count, block, styled cells]) holds an array of same-titled
// dictionaries as one block; ArchiveRowTable describes it.
//
// Private tags 27900-27906 are not registered; they sit in the three-byte tag
// range, where a plain attributed cell keyed by a shared title costs 7 bytes
// beyond its text (3 for the key reference, 3 for the tag, 1 for the string
// head) while the title index is below 24.

#include "KeyedArchiver.h"

#include "ArchiveCompression.h"

#include <QBuffer>
#include <QCborStreamWriter>
#include <QFileDevice>

struct KeyedArchiver::Private
{
    QBuffer buffer;
    QByteArray *target = nullptr; // cleared when the archive fails
    QIODevice *device = nullptr;
    std::unique_ptr<QCborStreamWriter> writer;
    std::unique_ptr<ArchiveEncoder> encoder;
    bool finished = false;
};

KeyedArchiver::KeyedArchiver(QIODevice *device) : d(std::make_unique<Private>())
{
    d->device = device;
    const bool writable = device && device->isOpen() && device->isWritable();
    // A missing or closed device still gets an encoder, so callers need no
    // special path; it writes into the scratch buffer and reports failure.
    if (!writable)
        d->buffer.open(QIODevice::WriteOnly);
    d->writer = std::make_unique<QCborStreamWriter>(writable ? device : &d->buffer);
    d->encoder.reset(new ArchiveEncoder(d->writer.get()));
    if (!writable)
        d->encoder->fail(QStringLiteral("the output device is not open for writing"));
    else
        d->encoder->beginArchive();
}

KeyedArchiver::KeyedArchiver(QByteArray *buffer) : d(std::make_unique<Private>())
{
    if (buffer) {
        buffer->clear();
        d->buffer.setBuffer(buffer);
        d->target = buffer;
    }
    d->buffer.open(QIODevice::WriteOnly);
    d->device = buffer ? &d->buffer : nullptr;
    d->writer = std::make_unique<QCborStreamWriter>(&d->buffer);
    d->encoder.reset(new ArchiveEncoder(d->writer.get()));
    if (!buffer)
        d->encoder->fail(QStringLiteral("no output buffer"));
    else
        d->encoder->beginArchive();
}

KeyedArchiver::~KeyedArchiver() = default;

ArchiveEncoder &KeyedArchiver::encoder()
{
    return *d->encoder;
}

bool KeyedArchiver::finish()
{
    if (d->finished)
        return !d->encoder->failed();
    d->finished = true;
    if (!d->encoder->finishArchive()) {
        // Half an archive must not pass for one.
        if (d->target)
            d->target->clear();
        return false;
    }
    // QCborStreamWriter ignores write errors; files report them here.
    if (const auto *file = qobject_cast<QFileDevice *>(d->device)) {
        if (file->error() != QFileDevice::NoError) {
            d->encoder->fail(QStringLiteral("writing failed: %1").arg(file->errorString()));
            return false;
        }
    }
    return true;
}

QString KeyedArchiver::errorString() const
{
    return d->encoder->errorString();
}

QByteArray KeyedArchiver::packed(QByteArray archive, qint64 rowTableBytes, QString *error)
{
    if (rowTableBytes * 2 >= archive.size())
        return archive;
    QByteArray frame = ArchiveCompression::compress(archive);
    if (frame.isEmpty() && error)
        *error = QStringLiteral("out of memory packing the archive");
    return frame;
}
