#pragma once

#include "RecentFiles.h"
#include "storage/PackageLock.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <map>
#include <memory>

class AppController;
class DocumentWindow;
class MessageBoxAlertPresenter;
class PasswordPanelDialog;
class ProgressPanelDialog;
class SingleInstance;
class WidgetsAppPlatform;

// The desktop application for one run: the controller with its caches tree
// and preferences, the document windows, the shared panels (progress,
// unlock, save confirmation, alerts), the recent packages and the hand-over
// of files from a second start.
class DesktopApplication : public QObject
{
    Q_OBJECT
public:
    enum class Start { Running, HandedOver, Refused };

    explicit DesktopApplication(QObject *parent = nullptr);
    ~DesktopApplication() override;

    // Loads the preferences and takes the caches tree. When another copy
    // holds it, the files go to that copy instead (HandedOver) or, failing
    // that, nothing starts (Refused).
    Start start(const QStringList &files);
    // Packages open in their own window (or come to the front when open);
    // CSV and list files go into a new untitled document each.
    void openPaths(const QStringList &paths);
    void openPath(const QString &path);

    // Delays the document flows wait before they start (1 s and 2 s in use).
    void setTimerIntervals(int openMs, int saveMs, int passwordMs);

    DocumentWindow *newDocumentWindow();
    DocumentWindow *openPackageWindow(const QString &path, bool display);
    DocumentWindow *windowForPackage(const QString &path) const;
    QList<DocumentWindow *> windows() const;
    DocumentWindow *frontWindow() const;
    // Asks every edited document; true when the quit goes ahead now.
    bool quitRequested() const { return m_quitting; }
    // A window about to be destroyed leaves the list while it is still whole.
    void forget(DocumentWindow *window);
    QStringList recentFiles() const { return m_recent.paths(); }
    // A package was opened or saved under this path.
    void notePackage(const QString &path) { m_recent.add(path); }

    AppController *controller() const { return m_controller.get(); }
    ProgressPanelDialog *progressPanel() const { return m_progress; }
    PasswordPanelDialog *unlockPanel() const { return m_unlock; }
    PasswordPanelDialog *saveConfirmationPanel() const { return m_saveConfirmation; }

public Q_SLOTS:
    void newDocument();
    void openDocument();
    void quit();
    // A document saved on the way out: ask the next one.
    void continueQuit();
    void about();
    void showFontPanel();
    void showColorPanel();

Q_SIGNALS:
    void windowOpened(DocumentWindow *window);
    // Every window is closed and the run may end.
    void quitReady();

private:
    bool lockPackage(const QString &path);
    void releasePackage(const QString &path);
    DocumentWindow *makeWindow(const QString &displayName);
    QString untitledName();
    QString serverName() const;

    std::unique_ptr<WidgetsAppPlatform> m_platform;
    std::unique_ptr<AppController> m_controller;
    std::unique_ptr<MessageBoxAlertPresenter> m_alerts;
    ProgressPanelDialog *m_progress = nullptr;
    PasswordPanelDialog *m_unlock = nullptr;
    PasswordPanelDialog *m_saveConfirmation = nullptr;
    SingleInstance *m_instance = nullptr;
    QList<QPointer<DocumentWindow>> m_windows;
    RecentFiles m_recent;
    int m_untitledCount = 0;
    int m_saveDelayMs = 1000;
    int m_passwordDelayMs = 2000;
    bool m_quitting = false;
    // Packages this run has open for writing, by clean absolute path: another
    // process (a second copy, the command-line tool) is refused while we hold one.
    std::map<QString, std::unique_ptr<PackageLock>> m_packageLocks;
    QSet<QString> m_openingPackages;
};
