#pragma once

#include "app/AppPlatform.h"

#include <QPointer>

class DesktopApplication;
class QColorDialog;
class QFontDialog;
class QWidget;

// The desktop's side of the application's windowing operations: the shared
// font and colour panels, help, and the document windows, which the
// desktop application keeps.
class WidgetsAppPlatform : public AppPlatform
{
public:
    explicit WidgetsAppPlatform(DesktopApplication *application) : m_application(application) {}

    bool fontPanelExists() const override { return !m_fontPanel.isNull(); }
    bool fontPanelVisible() const override;
    void closeFontPanel() override;
    void bringFontPanelToFront() override;

    bool colorPanelExists() const override { return !m_colorPanel.isNull(); }
    bool colorPanelVisible() const override;
    void closeColorPanel() override;
    void bringColorPanelToFront() override;

    void openPreferencesPanel() override;
    void showHelp() override;

    DocumentHandle *newDocument() override;
    QList<DocumentHandle *> openDocuments() const override;
    DocumentHandle *currentDocument() const override;
    void closeDocument(DocumentHandle *document) override;
    bool openDocumentWithContentsOfFile(const QString &path, bool display) override;
    bool runOpenPanel(const QStringList &extensions, QString *path) override;

    // The panels are made on first use from the Format menu.
    QFontDialog *fontPanel();
    QColorDialog *colorPanel();

private:
    QWidget *activeWindow() const;

    DesktopApplication *m_application;
    QPointer<QFontDialog> m_fontPanel;
    QPointer<QColorDialog> m_colorPanel;
};
