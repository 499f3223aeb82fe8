#pragma once

#include "PasswordPanelSession.h"
#include "PasswordPanelView.h"
#include "SaveSource.h"

#include <QString>

class NotificationCenter;
class QObject;

// The save confirmation panel's logic: before a document is saved protected,
// the user confirms the current private title and password. Apply posts
// "notifPasswordForSave" with "Protect" YES, the not-protected button with NO,
// Cancel and the third wrong entry in a row post nothing. Holds no widget
// (see PasswordPanelView); main thread only.
class SaveController
{
public:
    static constexpr int kApplyReturnCode = PasswordPanelSession::kApplyReturnCode;
    static constexpr int kCancelReturnCode = PasswordPanelSession::kCancelReturnCode;
    static constexpr int kCancelSegment = 0;
    static constexpr int kApplySegment = 1;
    static constexpr qint32 kWrongEntriesAllowed = PasswordPanelSession::kWrongEntriesAllowed;

    // Made on first use with the default notification centre.
    static SaveController &sharedController();

    explicit SaveController(NotificationCenter &center, PasswordPanelView *view = nullptr);
    SaveController(const SaveController &) = delete;
    SaveController &operator=(const SaveController &) = delete;

    // Not owned; the view must outlive its use here or be replaced first.
    void setPanelView(PasswordPanelView *view) { m_panel.setView(view); }
    PasswordPanelView *panelView() const { return m_panel.view(); }

    // The expected title and password (a verifier, or a plain one from an
    // older record), both non-empty, else false; then the document gives its
    // cachesFolderID and calls openPanel() with its window.
    bool requestSavePanelForPasswordWithTitle(const QString &title, const QString &passwordString,
                                              const QString &filePath);
    void registerCachesFolderID(qint32 cachesFolderID) { m_cachesFolderID = cachesFolderID; }
    qint32 cachesFolderID() const { return m_cachesFolderID; }

    // With a window: a sheet on it; without: a free panel. Every opening starts
    // locked with no wrong entries. Refused without a valid request.
    void openPanel(QObject *windowOrNull);

    void accountTextFieldAction(const QString &text);
    // Taken only once the title is confirmed (the field is disabled before).
    void passwordSecreTextFieldAction(const QString &text);
    // Segment 0 cancels; segment 1 saves protected, only while unlocked.
    void answerSegmentedControlAction(int segment);
    // Saves without protection.
    void notPrivatePasswordButtonAction();
    // Posts "notifPasswordForSave" {"cachesFolderID", "FilePath", "Protect"}.
    void answerPasswordWithProtect(bool protect);
    void reloadObject();

    // The guidance shown when the panel opens.
    QString openComment() const;

    SaveSource &saveSource() { return m_saveSource; }
    const SaveSource &saveSource() const { return m_saveSource; }
    bool stateOfTheKey() const { return m_saveSource.stateOfTheKey(); }
    bool fileNameState() const { return m_fileNameState; }
    bool panelState() const { return m_panel.panelState(); }
    bool isPanelOpen() const { return m_panel.isOpen(); }
    qint32 errStep() const { return m_panel.errStep(); }
    // How the panel last closed (128 / 129); 0 while open or never closed.
    int lastReturnCode() const { return m_panel.lastReturnCode(); }
    const PasswordPanelView::FieldState &fieldState() const { return m_panel.fieldState(); }

    // Back to a never-used controller without a view, so tests start clean.
    void resetForTesting();

private:
    void closePanel(int returnCode);
    void countWrongEntry();

    NotificationCenter &m_center;
    PasswordPanelSession m_panel;
    SaveSource m_saveSource;
    qint32 m_cachesFolderID = 0;
    bool m_fileNameState = false;
    // What the user typed once it verified, for the field to keep showing.
    QString m_acceptedPassword;
};
