#pragma once

#include "PasswordPanelView.h"

class QObject;

// What both password panels keep alike: their view, whether they are shown
// and how (sheet or free panel), how they last closed, and the wrong entries
// in a row, of which the third closes the panel as cancelled.
class PasswordPanelSession
{
public:
    static constexpr int kApplyReturnCode = 128;
    static constexpr int kCancelReturnCode = 129;
    static constexpr qint32 kWrongEntriesAllowed = 2;

    void setView(PasswordPanelView *view) { m_view = view; }
    PasswordPanelView *view() const { return m_view; }

    // Shows the panel: as a sheet on the window, or free without one. Every
    // opening starts with no wrong entries.
    void show(QObject *windowOrNull);
    void close(int returnCode);
    void acceptEntry() { m_errStep = 0; }
    // True when this entry was one too many and the panel closed as cancelled.
    bool countWrongEntry();
    void refresh(const PasswordPanelView::FieldState &state);
    // Closed, never shown, without a view.
    void reset() { *this = PasswordPanelSession(); }

    bool isOpen() const { return m_open; }
    bool panelState() const { return m_panelState; }
    qint32 errStep() const { return m_errStep; }
    int lastReturnCode() const { return m_lastReturnCode; }
    const PasswordPanelView::FieldState &fieldState() const { return m_fieldState; }

private:
    PasswordPanelView *m_view = nullptr;
    bool m_panelState = false;
    bool m_open = false;
    qint32 m_errStep = 0;
    int m_lastReturnCode = 0;
    PasswordPanelView::FieldState m_fieldState;
};
