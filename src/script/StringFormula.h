#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QVariantMap>

#include <functional>

// Turns a finished text template into an answer: an image (type 5) when the
// text names an image by URL and the image loads, else the text itself
// (type 4). Only texts holding "http://" are accepted.
//
// Images cross the core as their encoded bytes (the core has no image
// decoder); the header is checked for a known format and a non-zero size.
class StringFormula
{
public:
    // Image kinds, in the order the extensions are tested.
    static constexpr qint32 kImageNone = 0;
    static constexpr qint32 kImageJpeg = 1;
    static constexpr qint32 kImageGif = 2;
    static constexpr qint32 kImagePng = 3;
    static constexpr qint32 kImageTiff = 4;
    static constexpr qint32 kImageBmp = 5;
    static constexpr qint32 kImagePict = 6;

    // Fetches the bytes at a URL; false when it cannot (refused, failed,
    // over the run's limits). Without a loader no image is ever loaded.
    using ImageLoader = std::function<bool(const QString &url, QByteArray *body)>;

    StringFormula();

    void initializationUserObject();
    void setImageLoader(ImageLoader loader) { m_imageLoader = std::move(loader); }

    // False for an empty text or one without "http://"; otherwise the answer
    // is in answerObjectDictionary.
    bool analysisCharacterString();
    // Not supported: always false.
    bool analysisRequestHTML();
    bool analysisRequestXML();
    bool analysisRequestImage();
    // Sets requestImageType from the extension the text contains.
    bool analysisRequestImageString();
    // The image bytes when they load and their header holds a known format of
    // non-zero size; an empty array otherwise.
    QByteArray makingImageWithContentsOfURLString(const QString &urlText);

    // Width and height from the header of a PNG, GIF, JPEG, BMP or TIFF
    // image; an invalid size for anything else or a damaged header.
    static QSize imageSizeOfData(const QByteArray &data);

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    qint32 answerType() const { return m_answerType; }
    qint32 requestImageType() const { return m_requestImageType; }
    const QVariantMap &answerObjectDictionary() const { return m_answerObjectDictionary; }
    bool registerAnswerObjectDictionary(const QVariantMap &value);
    bool confirmAnswerObjectDictionary() const { return !m_answerObjectDictionary.isEmpty(); }

private:
    ImageLoader m_imageLoader;
    QString m_codeText;
    qint32 m_answerType = 0;
    qint32 m_requestImageType = kImageNone;
    QVariantMap m_answerObjectDictionary;
};
