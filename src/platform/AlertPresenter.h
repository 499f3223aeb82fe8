#pragma once

#include "AlertContent.h"

// Shows an alert and reports the button pressed. The GUI shows a critical
// message box; the CLI and tests answer from a policy or a script.
class AlertPresenter
{
public:
    virtual ~AlertPresenter() = default;
    virtual AlertButton present(const AlertContent &content) = 0;
};
