#include "StringFormula.h"

#include "platform/ModelText.h"

#include <cstdlib>
#include "platform/RequestKey.h"

namespace {

quint32 readBig(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(data.at(at + i));
    return value;
}

quint32 readLittle(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | quint8(data.at(at + i));
    return value;
}

QSize jpegSize(const QByteArray &data)
{
    qsizetype at = 2;
    while (at + 4 <= data.size()) {
        if (quint8(data.at(at)) != 0xFF)
            return {};
        const quint8 marker = quint8(data.at(at + 1));
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            at += 2;
            continue;
        }
        const quint32 length = readBig(data, at + 2, 2);
        if (length < 2)
            return {};
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > data.size() || length < 7)
                return {};
            return QSize(int(readBig(data, at + 7, 2)), int(readBig(data, at + 5, 2)));
        }
        at += 2 + qsizetype(length);
    }
    return {};
}

QSize tiffSize(const QByteArray &data)
{
    const bool little = data.startsWith("II*");
    const auto read = [&](qsizetype at, int bytes) {
        return little ? readLittle(data, at, bytes) : readBig(data, at, bytes);
    };
    if (data.size() < 8)
        return {};
    const qsizetype directory = qsizetype(read(4, 4));
    if (directory < 8 || directory + 2 > data.size())
        return {};
    const qsizetype entries = qsizetype(read(directory, 2));
    int width = 0;
    int height = 0;
    for (qsizetype i = 0; i < entries; ++i) {
        const qsizetype entry = directory + 2 + i * 12;
        if (entry + 12 > data.size())
            return {};
        const quint32 tag = read(entry, 2);
        const quint32 type = read(entry + 2, 2);
        if (tag != 256 && tag != 257)
            continue;
        const quint32 value = type == 3 ? read(entry + 8, 2) : type == 4 ? read(entry + 8, 4) : 0;
        (tag == 256 ? width : height) = int(qMin<quint32>(value, 1u << 30));
    }
    return QSize(width, height);
}

} // namespace

StringFormula::StringFormula()
{
    initializationUserObject();
}

void StringFormula::initializationUserObject()
{
    registerCodeText(QString());
    m_answerType = 0;
    m_requestImageType = kImageNone;
    m_answerObjectDictionary.clear();
}

bool StringFormula::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool StringFormula::registerAnswerObjectDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_answerObjectDictionary, value);
}

bool StringFormula::analysisCharacterString()
{
    if (m_codeText.isEmpty() || !m_codeText.contains(QStringLiteral("http://")))
        return false;
    if (analysisRequestHTML() || analysisRequestXML() || analysisRequestImage())
        return true;
    m_answerType = 4;
    registerAnswerObjectDictionary({{RequestKey::codeText, m_codeText},
                                    {RequestKey::answerType, 4},
                                    {RequestKey::answerObject, m_codeText}});
    return true;
}

bool StringFormula::analysisRequestHTML()
{
    return false;
}

bool StringFormula::analysisRequestXML()
{
    return false;
}

bool StringFormula::analysisRequestImage()
{
    if (!analysisRequestImageString())
        return false;
    const QByteArray image = makingImageWithContentsOfURLString(m_codeText);
    if (image.isEmpty())
        return false;
    m_answerType = 5;
    registerAnswerObjectDictionary({{RequestKey::codeText, m_codeText},
                                    {RequestKey::answerType, 5},
                                    {RequestKey::answerObject, image}});
    return true;
}

bool StringFormula::analysisRequestImageString()
{
    const auto has = [this](const char *extension) {
        return m_codeText.contains(QLatin1String(extension));
    };
    if (has(".jpg") || has(".jpeg"))
        m_requestImageType = kImageJpeg;
    else if (has(".gif"))
        m_requestImageType = kImageGif;
    else if (has(".png"))
        m_requestImageType = kImagePng;
    else if (has(".tiff"))
        m_requestImageType = kImageTiff;
    else if (has(".bmp"))
        m_requestImageType = kImageBmp;
    else if (has(".pct"))
        m_requestImageType = kImagePict;
    else
        m_requestImageType = kImageNone;
    return m_requestImageType != kImageNone;
}

QByteArray StringFormula::makingImageWithContentsOfURLString(const QString &urlText)
{
    QByteArray body;
    if (!m_imageLoader || urlText.isEmpty() || !m_imageLoader(urlText, &body))
        return {};
    const QSize size = imageSizeOfData(body);
    if (!size.isValid() || size.isEmpty())
        return {};
    return body;
}

QSize StringFormula::imageSizeOfData(const QByteArray &data)
{
    if (data.startsWith("\x89PNG\r\n\x1a\n")) {
        if (data.size() < 24 || data.mid(12, 4) != "IHDR")
            return {};
        return QSize(int(qMin<quint32>(readBig(data, 16, 4), 1u << 30)),
                     int(qMin<quint32>(readBig(data, 20, 4), 1u << 30)));
    }
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a")) {
        if (data.size() < 10)
            return {};
        return QSize(int(readLittle(data, 6, 2)), int(readLittle(data, 8, 2)));
    }
    if (data.startsWith("\xFF\xD8"))
        return jpegSize(data);
    if (data.startsWith("BM")) {
        if (data.size() < 26)
            return {};
        if (readLittle(data, 14, 4) == 12)
            return QSize(int(readLittle(data, 18, 2)), int(readLittle(data, 20, 2)));
        const qint64 width = qint32(readLittle(data, 18, 4));
        const qint64 height = qint32(readLittle(data, 22, 4));
        return QSize(int(qBound(qint64(-1), width, qint64(1) << 30)), int(qMin(qint64(std::llabs(height)), qint64(1) << 30)));
    }
    if (data.startsWith("II*") || data.startsWith(QByteArray("MM\0*", 4)))
        return tiffSize(data);
    return {};
}
