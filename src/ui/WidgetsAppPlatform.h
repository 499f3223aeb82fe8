#pragma once

#include "app/AppPlatform.h"

#include <QPointer>

class QColorDialog;
class QFontDialog;
class QWidget;

// The desktop's side of the application's windowing operations: the shared
// font and colour panels, help, and (until document windows arrive) an
// empty document list.
class WidgetsAppPlatform : public AppPlatform
{
public:
    explicit WidgetsAppPlatform(QWidget *mainWindow) : m_mainWindow(mainWindow) {}

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

    DocumentHandle *newDocument() override { return nullptr; }
    QList<DocumentHandle *> openDocuments() const override { return {}; }
    DocumentHandle *currentDocument() const override { return nullptr; }
    void closeDocument(DocumentHandle *) override {}
    bool openDocumentWithContentsOfFile(const QString &, bool) override { return false; }

    // The panels are made on first use from the Format menu.
    QFontDialog *fontPanel();
    QColorDialog *colorPanel();

private:
    QWidget *m_mainWindow;
    QPointer<QFontDialog> m_fontPanel;
    QPointer<QColorDialog> m_colorPanel;
};
