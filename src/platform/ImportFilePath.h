#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class OpenPanelPresenter;

// Choosing source files and folders through an open panel, and the two small
// readers that go with them. The panel itself is the GUI's; this class only
// says what to ask for.
class ImportFilePath
{
public:
    ImportFilePath() = delete;

    // What an open panel should offer.
    struct PanelRequest
    {
        QStringList allowedExtensions; // empty: any file
        QString title;                 // empty: untitled
        bool filesOnly = true;
        bool foldersOnly = false;
        bool mayCreateFolders = false;
        QString startFolder;
        QString startName;
    };

    // Codes 1-6 restrict the types (6: CSV and list files); 0 and every
    // other code accept any file.
    static PanelRequest panelRequestForTypes(int code);
    static PanelRequest panelRequestForHTML();
    static PanelRequest panelRequestForWriteFolder();

    // Each answers the chosen path, or a null string when the user cancelled.
    static QString chooseSourceFilePathOfCSV(OpenPanelPresenter &presenter);
    static QString chooseSourceFilePathAtTypes(OpenPanelPresenter &presenter, int code);
    static QString chooseSourceFilePathOfHTML(OpenPanelPresenter &presenter);
    static QString chooseWriteFolderPath(OpenPanelPresenter &presenter);

    // The file's bytes; null for an empty path or a file that cannot be read,
    // empty but not null for an empty file.
    static QByteArray getSourceDataAtFilePath(const QString &path);
    // The path itself when the file starts like an image the GUI can show
    // (PNG, GIF, JPEG, TIFF, BMP, ICO); null otherwise.
    static QString getImageFilesAtPath(const QString &path);
};
