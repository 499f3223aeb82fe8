#pragma once

#include <QString>

// What one numbered alert shows: texts already looked up. An empty button
// label means the button is absent; with no default label the presenter
// shows its standard OK button.
struct AlertContent
{
    int number = 0;
    bool known = false;
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton;
    QString otherButton;
};

enum class AlertButton { Default, Alternate, Other };
