#include "ArchiveCompression.h"

#include "HugePageMemory.h"

#include <zstd.h>

#include <limits>
#include <memory>

namespace {

constexpr unsigned char kMagic[] = {0x28, 0xB5, 0x2F, 0xFD};
// Level 1 with two threads: most of what a list archive repeats goes at
// several hundred MB/s; higher levels cost seconds for little gain.
constexpr int kLevel = 1;
constexpr int kWorkers = 2;
constexpr qsizetype kGrowStep = qsizetype(16) << 20;

struct ContextDeleter
{
    void operator()(ZSTD_CCtx *context) const { ZSTD_freeCCtx(context); }
    void operator()(ZSTD_DCtx *context) const { ZSTD_freeDCtx(context); }
};

// A context for unpacking `frame`, or null (with the reason) unless it is
// one frame and nothing after it: concatenated frames would otherwise
// decode as one.
std::unique_ptr<ZSTD_DCtx, ContextDeleter> contextForOneFrame(QByteArrayView frame, QString *error)
{
    const size_t frameSize = ZSTD_findFrameCompressedSize(frame.data(), size_t(frame.size()));
    if (ZSTD_isError(frameSize) || frameSize != size_t(frame.size())) {
        *error = QStringLiteral("is not one whole compressed frame");
        return nullptr;
    }
    std::unique_ptr<ZSTD_DCtx, ContextDeleter> context(ZSTD_createDCtx());
    if (!context)
        *error = QStringLiteral("out of memory");
    return context;
}

} // namespace

bool ArchiveCompression::isCompressed(QByteArrayView data)
{
    return data.size() >= qsizetype(sizeof kMagic)
        && std::equal(std::begin(kMagic), std::end(kMagic), reinterpret_cast<const unsigned char *>(data.data()));
}

QByteArray ArchiveCompression::compress(QByteArrayView data)
{
    std::unique_ptr<ZSTD_CCtx, ContextDeleter> context(ZSTD_createCCtx());
    if (!context)
        return {};
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, kLevel);
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_nbWorkers, kWorkers); // ignored without thread support
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
    ZSTD_CCtx_setPledgedSrcSize(context.get(), quint64(data.size()));
    QByteArray out;
    out.resize(qsizetype(ZSTD_compressBound(size_t(data.size()))));
    HugePageMemory::advise(out);
    const size_t written = ZSTD_compress2(context.get(), out.data(), size_t(out.size()), data.data(),
                                          size_t(data.size()));
    if (ZSTD_isError(written))
        return {};
    out.resize(qsizetype(written));
    out.squeeze();
    return out;
}

bool ArchiveCompression::decompress(QByteArrayView data, qint64 maxBytes, QByteArray *out, QString *error)
{
    std::unique_ptr<ZSTD_DCtx, ContextDeleter> context(ZSTD_createDCtx());
    if (!context) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    // A declared size is only a hint: it is trusted up to the limit and the
    // output still grows only as bytes really come.
    const unsigned long long declared = ZSTD_getFrameContentSize(data.data(), size_t(data.size()));
    qsizetype capacity = kGrowStep;
    if (declared != ZSTD_CONTENTSIZE_UNKNOWN && declared != ZSTD_CONTENTSIZE_ERROR
        && declared <= quint64(maxBytes)) {
        // A tiny frame may claim gigabytes; believe it only as far as real
        // archives compress.
        const quint64 plausible = qMax<quint64>(quint64(kGrowStep) * 4, quint64(data.size()) * 32);
        capacity = qsizetype(qMax<quint64>(qMin(declared, plausible), 1));
    }
    out->clear();
    out->resize(capacity);
    HugePageMemory::advise(*out);
    ZSTD_inBuffer input{data.data(), size_t(data.size()), 0};
    ZSTD_outBuffer output{out->data(), size_t(out->size()), 0};
    size_t result = 1;
    while (true) {
        result = ZSTD_decompressStream(context.get(), &output, &input);
        if (ZSTD_isError(result)) {
            *error = QStringLiteral("the compressed archive is damaged (%1)")
                         .arg(QString::fromLatin1(ZSTD_getErrorName(result)));
            return false;
        }
        if (result == 0 && input.pos == input.size)
            break;
        if (output.pos == output.size) {
            if (qint64(out->size()) >= maxBytes) {
                *error = QStringLiteral("the compressed archive unpacks to more than %1 bytes").arg(maxBytes);
                return false;
            }
            const qint64 current = out->size();
            const qsizetype grown = qsizetype(qMin<qint64>(maxBytes, qMax(current + kGrowStep, current + current / 2)));
            out->resize(grown);
            HugePageMemory::advise(*out);
            output.dst = out->data();
            output.size = size_t(out->size());
        } else if (input.pos == input.size) {
            // Nothing left to read, yet the frame is not complete.
            *error = QStringLiteral("the compressed archive is truncated");
            return false;
        }
    }
    out->resize(qsizetype(output.pos));
    return true;
}

bool ArchiveCompression::packFrame(QByteArrayView data, QByteArray *frame)
{
    std::unique_ptr<ZSTD_CCtx, ContextDeleter> context(ZSTD_createCCtx());
    if (!context)
        return false;
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, kLevel);
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
    frame->resize(qsizetype(ZSTD_compressBound(size_t(data.size()))));
    HugePageMemory::advise(*frame);
    const size_t written = ZSTD_compress2(context.get(), frame->data(), size_t(frame->size()), data.data(),
                                          size_t(data.size()));
    if (ZSTD_isError(written)) {
        frame->clear();
        return false;
    }
    frame->resize(qsizetype(written));
    return true;
}

bool ArchiveCompression::unpackFrame(QByteArrayView frame, QByteArray *out, QString *error)
{
    return unpackFrame(frame, out->data(), out->size(), error);
}

bool ArchiveCompression::unpackFrameInPieces(QByteArrayView frame, qint64 size,
                                             const std::function<bool(QByteArrayView)> &piece, QString *error)
{
    const auto context = contextForOneFrame(frame, error);
    if (!context)
        return false;
    char buffer[64 * 1024];
    ZSTD_inBuffer input{frame.data(), size_t(frame.size()), 0};
    qint64 written = 0;
    for (;;) {
        ZSTD_outBuffer output{buffer, sizeof buffer, 0};
        const size_t result = ZSTD_decompressStream(context.get(), &output, &input);
        if (ZSTD_isError(result)) {
            *error = QStringLiteral("is damaged (%1)").arg(QString::fromLatin1(ZSTD_getErrorName(result)));
            return false;
        }
        written += qint64(output.pos);
        if (written > size) {
            *error = QStringLiteral("unpacks to more than the %1 bytes declared").arg(size);
            return false;
        }
        if (output.pos > 0 && !piece(QByteArrayView(buffer, qsizetype(output.pos))))
            return false;
        if (result == 0)
            break;
        if (input.pos == input.size && output.pos < output.size) {
            *error = QStringLiteral("is truncated");
            return false;
        }
    }
    if (written != size) {
        *error = QStringLiteral("unpacks to %1 bytes where %2 are declared").arg(written).arg(size);
        return false;
    }
    return true;
}

qint64 ArchiveCompression::frameContentSize(QByteArrayView frame)
{
    const size_t frameSize = ZSTD_findFrameCompressedSize(frame.data(), size_t(frame.size()));
    if (ZSTD_isError(frameSize) || frameSize != size_t(frame.size()))
        return -1;
    const unsigned long long size = ZSTD_getFrameContentSize(frame.data(), size_t(frame.size()));
    if (size == ZSTD_CONTENTSIZE_UNKNOWN || size == ZSTD_CONTENTSIZE_ERROR
        || size > quint64(std::numeric_limits<qint64>::max()))
        return -1;
    return qint64(size);
}

bool ArchiveCompression::unpackFrame(QByteArrayView frame, char *out, qsizetype size, QString *error)
{
    const auto context = contextForOneFrame(frame, error);
    if (!context)
        return false;
    const size_t written = ZSTD_decompressDCtx(context.get(), out, size_t(size), frame.data(),
                                               size_t(frame.size()));
    if (ZSTD_isError(written)) {
        *error = QStringLiteral("is damaged (%1)").arg(QString::fromLatin1(ZSTD_getErrorName(written)));
        return false;
    }
    if (written != size_t(size)) {
        *error = QStringLiteral("unpacks to %1 bytes where %2 are declared").arg(written).arg(size);
        return false;
    }
    return true;
}
