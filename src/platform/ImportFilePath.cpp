#include "ImportFilePath.h"

#include "OpenPanelPresenter.h"

#include "platform/ErrorLog.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

static const QString kClassWords = QStringLiteral("ImportFilePath");

static QStringList imageExtensions()
{
    return {QStringLiteral("TIFF"), QStringLiteral("tiff"), QStringLiteral("GIF"), QStringLiteral("gif"),
            QStringLiteral("JPG"), QStringLiteral("jpg"), QStringLiteral("JPEG"), QStringLiteral("jpeg"),
            QStringLiteral("pict"), QStringLiteral("eps")};
}

static ImportFilePath::PanelRequest basicRequest(const QString &titleKey)
{
    ImportFilePath::PanelRequest request;
    if (!titleKey.isEmpty())
        request.title = Localization::textOrKey(Localization::kMainTable, titleKey);
    request.startFolder = QDir::homePath();
    request.startName = QStringLiteral("Documents");
    return request;
}

ImportFilePath::PanelRequest ImportFilePath::panelRequestForTypes(int code)
{
    struct TypeEntry
    {
        QStringList extensions;
        const char16_t *titleKey;
    };
    const TypeEntry entry = [code]() -> TypeEntry {
        switch (code) {
        case 1:
            return {{QStringLiteral("css"), QStringLiteral("CSS")}, u"acquire a pass of the Style Sheet file"};
        case 2:
            return {{QStringLiteral("js"), QStringLiteral("JS")}, u"acquire a pass of the Java Script file"};
        case 3:
            return {{QStringLiteral("text"), QStringLiteral("TEXT")}, u"acquire a pass of META text file"};
        case 4:
            return {imageExtensions(), u"acquire a pass of favicon image file"};
        case 5:
            return {imageExtensions(), u"acquire a pass of the image file"};
        case 6:
            return {{QStringLiteral("csv"), QStringLiteral("CSV"), QStringLiteral("pgcl"), QStringLiteral("PGCL")},
                    u"acquire a pass of the CSV file"};
        default:
            return {{}, u""};
        }
    }();
    PanelRequest request = basicRequest(QString::fromUtf16(entry.titleKey));
    request.allowedExtensions = entry.extensions;
    return request;
}

ImportFilePath::PanelRequest ImportFilePath::panelRequestForHTML()
{
    PanelRequest request = basicRequest(QStringLiteral("Choose a HTML file"));
    request.allowedExtensions = {QStringLiteral("html")};
    return request;
}

ImportFilePath::PanelRequest ImportFilePath::panelRequestForWriteFolder()
{
    PanelRequest request = basicRequest(QStringLiteral("Choose a Folder"));
    request.filesOnly = false;
    request.foldersOnly = true;
    request.mayCreateFolders = true;
    return request;
}

static QString runPanel(OpenPanelPresenter &presenter, const ImportFilePath::PanelRequest &request,
                        QStringView operation)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, operation, QString(), [&] {
        const QString path = presenter.runOpenPanel(request);
        return path.isEmpty() ? QString() : path;
    });
}

QString ImportFilePath::chooseSourceFilePathOfCSV(OpenPanelPresenter &presenter)
{
    return runPanel(presenter, panelRequestForTypes(6), u"chooseSourceFilePathOfCSV");
}

QString ImportFilePath::chooseSourceFilePathAtTypes(OpenPanelPresenter &presenter, int code)
{
    return runPanel(presenter, panelRequestForTypes(code), u"chooseSourceFilePathAtTypes");
}

QString ImportFilePath::chooseSourceFilePathOfHTML(OpenPanelPresenter &presenter)
{
    return runPanel(presenter, panelRequestForHTML(), u"chooseSourceFilePathOfHTML");
}

QString ImportFilePath::chooseWriteFolderPath(OpenPanelPresenter &presenter)
{
    return runPanel(presenter, panelRequestForWriteFolder(), u"chooseWriteFolderPath");
}

QByteArray ImportFilePath::getSourceDataAtFilePath(const QString &path)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"getSourceDataAtFilePath", QByteArray(), [&] {
        if (path.isEmpty() || QFileInfo(path).isDir())
            return QByteArray();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return QByteArray();
        return data.isNull() ? QByteArray("") : data;
    });
}

static bool startsLikeImage(const QByteArray &head)
{
    static const QByteArray signatures[] = {
        QByteArrayLiteral("\x89PNG\r\n\x1a\n"),
        QByteArrayLiteral("GIF87a"),
        QByteArrayLiteral("GIF89a"),
        QByteArrayLiteral("\xff\xd8\xff"),
        QByteArrayLiteral("II*\x00"),
        QByteArrayLiteral("MM\x00*"),
        QByteArrayLiteral("BM"),
        QByteArrayLiteral("\x00\x00\x01\x00"),
    };
    for (const QByteArray &signature : signatures) {
        if (head.startsWith(signature))
            return true;
    }
    return false;
}

QString ImportFilePath::getImageFilesAtPath(const QString &path)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"getImageFilesAtPath", QString(), [&] {
        if (path.isEmpty() || QFileInfo(path).isDir())
            return QString();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return startsLikeImage(file.read(8)) ? path : QString();
    });
}
