#pragma once

#include "platform/AlertPresenter.h"

class QWidget;

// Shows numbered alerts as critical message boxes. Alerts raised off the
// main thread are shown on it, and the calling thread waits for the answer.
class MessageBoxAlertPresenter : public AlertPresenter
{
public:
    explicit MessageBoxAlertPresenter(QWidget *parent = nullptr) : m_parent(parent) {}
    AlertButton present(const AlertContent &content) override;

private:
    AlertButton presentOnMainThread(const AlertContent &content);

    QWidget *m_parent;
};
