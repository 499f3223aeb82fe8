#pragma once

#include "AppPlatform.h"

#include <QList>

#include <functional>
#include <memory>
#include <vector>

class MyDocument;
class MyDocumentController;

// Documents without windows, for the command-line tool and tests: the
// platform's document list, creation and closing, and nothing on screen.
class HeadlessAppPlatform : public AppPlatform
{
public:
    // Called on every document made, before it is restored (to set a task
    // handler or timer intervals).
    using DocumentSetup = std::function<void(MyDocument *)>;

    HeadlessAppPlatform();
    ~HeadlessAppPlatform() override;

    // Documents need the controller that numbers them; set once it exists.
    void setDocumentController(MyDocumentController *controller) { m_controller = controller; }
    void setDocumentSetup(DocumentSetup setup) { m_setup = std::move(setup); }
    // Paths the open panel answers, first one first; empty: cancelled.
    void queueOpenPanelAnswer(const QString &path) { m_openAnswers.append(path); }

    MyDocument *document(qsizetype index) const;
    qsizetype documentCount() const { return qsizetype(m_documents.size()); }
    bool quitRequested() const { return m_quitRequested; }
    void requestQuit() { m_quitRequested = true; }

    bool fontPanelExists() const override { return false; }
    bool fontPanelVisible() const override { return false; }
    void closeFontPanel() override {}
    void bringFontPanelToFront() override {}
    bool colorPanelExists() const override { return false; }
    bool colorPanelVisible() const override { return false; }
    void closeColorPanel() override {}
    void bringColorPanelToFront() override {}
    void openPreferencesPanel() override {}
    void showHelp() override {}

    DocumentHandle *newDocument() override;
    QList<DocumentHandle *> openDocuments() const override;
    DocumentHandle *currentDocument() const override;
    void closeDocument(DocumentHandle *document) override;
    bool openDocumentWithContentsOfFile(const QString &path, bool display) override;
    bool runOpenPanel(const QStringList &extensions, QString *path) override;

private:
    MyDocument *makeDocument(const QString &displayName);

    MyDocumentController *m_controller = nullptr;
    DocumentSetup m_setup;
    std::vector<std::unique_ptr<MyDocument>> m_documents;
    QStringList m_openAnswers;
    int m_untitledCount = 0;
    bool m_quitRequested = false;
};
