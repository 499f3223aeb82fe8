#pragma once

#include "platform/AlertPresenter.h"

#include <QPointer>

class QMessageBox;
class QWidget;

// Shows numbered alerts as critical message boxes, window-modal on the
// active document window. Callers wait for the answer, so the box runs a
// local event loop until it is answered; alerts raised off the main thread
// are shown on it while the calling thread waits.
class MessageBoxAlertPresenter : public AlertPresenter
{
public:
    explicit MessageBoxAlertPresenter(QWidget *fallbackParent = nullptr) : m_fallbackParent(fallbackParent) {}
    AlertButton present(const AlertContent &content) override;

    // The window an alert or question is shown on: the active window, or
    // the fallback when none is active.
    QWidget *parentWindow() const;
    // Opens the box window-modal and waits until it is answered.
    static void openAndWait(QMessageBox &box);

private:
    AlertButton presentOnMainThread(const AlertContent &content);

    QPointer<QWidget> m_fallbackParent;
};
