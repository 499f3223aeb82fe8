#pragma once

#include "PasswordPanelSession.h"
#include "PasswordPanelView.h"
#include "PasswordSource.h"

#include <QString>

class NotificationCenter;
class QObject;

// The unlock panel's logic: asks for a title and a password, checks them
// against what the requester expects, allows three wrong entries in a row and,
// on Apply, posts the event of what was unlocked ("requestOpenFileEvent" with
// the file path, "requestAdvancedEvent" with the requester's comment,
// "requestAccountOptionEvent", "libraryCodePasswordEvent"). Holds no widget:
// the window layer implements PasswordPanelView; without one it runs
// headless. Main thread only.
class PasswordController
{
public:
    static constexpr int kApplyReturnCode = PasswordPanelSession::kApplyReturnCode;
    static constexpr int kCancelReturnCode = PasswordPanelSession::kCancelReturnCode;
    static constexpr int kCancelSegment = 0;
    static constexpr int kApplySegment = 1;
    // The third wrong entry in a row cancels the panel.
    static constexpr qint32 kWrongEntriesAllowed = PasswordPanelSession::kWrongEntriesAllowed;

    static inline const QString kLockedImage = QStringLiteral("NSLockLockedTemplate");
    static inline const QString kUnlockedImage = QStringLiteral("NSLockUnlockedTemplate");

    // Made on first use with the default notification centre.
    static PasswordController &sharedController();

    explicit PasswordController(NotificationCenter &center, PasswordPanelView *view = nullptr);
    PasswordController(const PasswordController &) = delete;
    PasswordController &operator=(const PasswordController &) = delete;

    // Not owned; the view must outlive its use here or be replaced first.
    void setPanelView(PasswordPanelView *view) { m_panel.setView(view); }
    PasswordPanelView *panelView() const { return m_panel.view(); }

    // Sets what the user must enter: the title and the password (a verifier,
    // or a plain one from an older record), both non-empty, else false. The
    // requester then sets passwordSource().registerProtectedState() (and the
    // comment for the advanced settings) and calls openPanel().
    bool requestPrivatePasswordWithTitle(const QString &title, const QString &passwordString,
                                         const QString &filePath);
    // With a window: a sheet on it; without: a free panel. Every opening starts
    // locked with no wrong entries. Refused without a valid request.
    void openPanel(QObject *windowOrNull);

    // The user finished typing in the title or the password field.
    void accountTextFieldAction(const QString &text);
    void passwordSecreTextFieldAction(const QString &text);
    // Segment 0 cancels; segment 1 applies, only while unlocked.
    void answerSegmentedControlAction(int segment);
    void reloadObject();

    PasswordSource &passwordSource() { return m_passwordSource; }
    const PasswordSource &passwordSource() const { return m_passwordSource; }
    const PasswordSource &workPasswordSource() const { return m_workPasswordSource; }

    // Shown as a sheet rather than a free panel.
    bool panelState() const { return m_panel.panelState(); }
    bool isPanelOpen() const { return m_panel.isOpen(); }
    qint32 errStep() const { return m_panel.errStep(); }
    // How the panel last closed (128 / 129); 0 while open or never closed.
    int lastReturnCode() const { return m_panel.lastReturnCode(); }
    const PasswordPanelView::FieldState &fieldState() const { return m_panel.fieldState(); }

    // The title shown for the protected state ("" for an unknown state).
    QString protectedStateTitle() const;
    // The event posted on Apply ("" for an unknown state).
    static QString eventNameForState(qint32 state);

    // Back to a never-used controller without a view, so tests start clean.
    void resetForTesting();

private:
    void closePanel(int returnCode);
    void countWrongEntry();
    void postProtectedStateEvent(qint32 state, const QString &filePath, const QString &comment);
    QString titleGuidance() const;
    QString passwordGuidance() const;
    QString confirmedGuidance() const;

    NotificationCenter &m_center;
    PasswordPanelSession m_panel;
    PasswordSource m_passwordSource;
    PasswordSource m_workPasswordSource;
};
