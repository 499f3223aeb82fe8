#include "WidgetsAppPlatform.h"

#include "DesktopApplication.h"
#include "DocumentWindow.h"
#include "FilePanels.h"

#include "app/MyDocument.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QMessageBox>

QWidget *WidgetsAppPlatform::activeWindow() const
{
    return m_application->frontWindow();
}

bool WidgetsAppPlatform::fontPanelVisible() const
{
    return m_fontPanel && m_fontPanel->isVisible();
}

void WidgetsAppPlatform::closeFontPanel()
{
    if (m_fontPanel)
        m_fontPanel->close();
}

void WidgetsAppPlatform::bringFontPanelToFront()
{
    if (!m_fontPanel)
        return;
    m_fontPanel->show();
    m_fontPanel->raise();
}

bool WidgetsAppPlatform::colorPanelVisible() const
{
    return m_colorPanel && m_colorPanel->isVisible();
}

void WidgetsAppPlatform::closeColorPanel()
{
    if (m_colorPanel)
        m_colorPanel->close();
}

void WidgetsAppPlatform::bringColorPanelToFront()
{
    if (!m_colorPanel)
        return;
    m_colorPanel->show();
    m_colorPanel->raise();
    m_colorPanel->activateWindow();
}

QFontDialog *WidgetsAppPlatform::fontPanel()
{
    if (!m_fontPanel) {
        m_fontPanel = new QFontDialog(activeWindow());
        m_fontPanel->setOption(QFontDialog::NoButtons);
        m_fontPanel->setModal(false);
    }
    return m_fontPanel;
}

QColorDialog *WidgetsAppPlatform::colorPanel()
{
    if (!m_colorPanel) {
        m_colorPanel = new QColorDialog(activeWindow());
        m_colorPanel->setOption(QColorDialog::NoButtons);
        m_colorPanel->setModal(false);
    }
    return m_colorPanel;
}

DocumentHandle *WidgetsAppPlatform::newDocument()
{
    DocumentWindow *window = m_application->newDocumentWindow();
    return window ? window->document() : nullptr;
}

QList<DocumentHandle *> WidgetsAppPlatform::openDocuments() const
{
    QList<DocumentHandle *> documents;
    for (DocumentWindow *window : m_application->windows())
        documents.append(window->document());
    return documents;
}

DocumentHandle *WidgetsAppPlatform::currentDocument() const
{
    DocumentWindow *window = m_application->frontWindow();
    return window ? window->document() : nullptr;
}

void WidgetsAppPlatform::closeDocument(DocumentHandle *document)
{
    for (DocumentWindow *window : m_application->windows())
        if (window->document() == document)
            window->closeApproved();
}

bool WidgetsAppPlatform::openDocumentWithContentsOfFile(const QString &path, bool display)
{
    return m_application->openPackageWindow(path, display) != nullptr;
}

bool WidgetsAppPlatform::runOpenPanel(const QStringList &extensions, QString *path)
{
    return FilePanels::runOpenPanel(activeWindow(), extensions, path);
}

void WidgetsAppPlatform::openPreferencesPanel()
{
    // The preferences panel is the next window to come; nothing to show yet,
    // and nothing may block the start-up that asks for it.
}

void WidgetsAppPlatform::showHelp()
{
    auto *box = new QMessageBox(QMessageBox::Information, QApplication::applicationName(),
                                QStringLiteral("Rowsmith %1").arg(QApplication::applicationVersion()),
                                QMessageBox::Ok, activeWindow());
    box->setObjectName(QStringLiteral("aboutBox"));
    box->setInformativeText(QApplication::translate(
        "WidgetsAppPlatform", "Prepares tabular data: import CSV and list files, mark, search and export rows."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
