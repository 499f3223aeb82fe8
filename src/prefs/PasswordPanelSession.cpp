#include "PasswordPanelSession.h"

void PasswordPanelSession::show(QObject *windowOrNull)
{
    m_errStep = 0;
    m_panelState = windowOrNull != nullptr;
    m_open = true;
    m_lastReturnCode = 0;
    if (!m_view)
        return;
    if (windowOrNull)
        m_view->showAsSheet(windowOrNull);
    else
        m_view->showFree();
}

void PasswordPanelSession::close(int returnCode)
{
    m_open = false;
    m_lastReturnCode = returnCode;
    if (m_view)
        m_view->close(returnCode);
}

bool PasswordPanelSession::countWrongEntry()
{
    ++m_errStep;
    if (m_errStep <= kWrongEntriesAllowed)
        return false;
    close(kCancelReturnCode);
    return true;
}

void PasswordPanelSession::refresh(const PasswordPanelView::FieldState &state)
{
    m_fieldState = state;
    if (m_view)
        m_view->refresh(m_fieldState);
}
