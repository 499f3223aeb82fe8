#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class DocumentHandle;

// The windowing operations the application's logic needs: the shared font
// and colour panels, the preferences panel, help, and the platform's own
// handling of documents. The GUI implements it; tests use a fake.
class AppPlatform
{
public:
    virtual ~AppPlatform() = default;

    virtual bool fontPanelExists() const = 0;
    virtual bool fontPanelVisible() const = 0;
    virtual void closeFontPanel() = 0;
    virtual void bringFontPanelToFront() = 0;

    virtual bool colorPanelExists() const = 0;
    virtual bool colorPanelVisible() const = 0;
    virtual void closeColorPanel() = 0;
    virtual void bringColorPanelToFront() = 0;

    virtual void openPreferencesPanel() = 0;
    virtual void showHelp() = 0;

    // A new untitled document, which becomes the current one; null on failure.
    virtual DocumentHandle *newDocument() = 0;
    // The open documents in the platform's order (front-most first).
    virtual QList<DocumentHandle *> openDocuments() const = 0;
    virtual DocumentHandle *currentDocument() const = 0;
    virtual void closeDocument(DocumentHandle *document) = 0;
    virtual bool openDocumentWithContentsOfFile(const QString &path, bool display) = 0;
    // An open panel for the given extensions; false when cancelled.
    virtual bool runOpenPanel(const QStringList &extensions, QString *path)
    {
        Q_UNUSED(extensions);
        Q_UNUSED(path);
        return false;
    }
};
