#pragma once

#include <QString>

class QObject;

// What the password panels (unlock and save confirmation) need from their
// window. The desktop app draws it with widgets; without a view the
// controllers run headless. Called on the main thread only.
class PasswordPanelView
{
public:
    // Everything the panel shows after a refresh.
    struct FieldState
    {
        QString panelTitle;          // what is being unlocked or saved
        QString accountText;         // the title field: the accepted title or ""
        bool passwordEnabled = false;
        QString passwordText;        // the password field: the accepted entry or ""
        QString commentText;         // the guidance
        QString lockImageName;       // "NSLockLockedTemplate" / "NSLockUnlockedTemplate"
        bool applyEnabled = false;   // segment 1
    };

    virtual ~PasswordPanelView() = default;

    // Centred and in front, standing alone.
    virtual void showFree() = 0;
    // Attached to the window as a sheet; a modal loop running for the window
    // is stopped first.
    virtual void showAsSheet(QObject *window) = 0;
    // Ends the sheet with the code (128 Apply, 129 Cancel) or closes the free
    // panel.
    virtual void close(int returnCode) = 0;
    virtual void refresh(const FieldState &state) = 0;
};
