#include "WidgetsAppPlatform.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QMessageBox>

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
        m_fontPanel = new QFontDialog(m_mainWindow);
        m_fontPanel->setOption(QFontDialog::NoButtons);
        m_fontPanel->setModal(false);
    }
    return m_fontPanel;
}

QColorDialog *WidgetsAppPlatform::colorPanel()
{
    if (!m_colorPanel) {
        m_colorPanel = new QColorDialog(m_mainWindow);
        m_colorPanel->setOption(QColorDialog::NoButtons);
        m_colorPanel->setModal(false);
    }
    return m_colorPanel;
}

void WidgetsAppPlatform::openPreferencesPanel()
{
    // The preferences panel arrives with its own window; until then say so.
    QMessageBox::information(m_mainWindow, QApplication::applicationName(),
                             QApplication::translate("Localizable", "Preferences"));
}

void WidgetsAppPlatform::showHelp()
{
    QMessageBox::about(m_mainWindow, QApplication::applicationName(),
                       QStringLiteral("Rowsmith %1").arg(QApplication::applicationVersion()));
}
