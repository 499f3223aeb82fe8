#pragma once

#include "AlertContent.h"

class AlertPresenter;

// Every warning and confirmation goes through openAlert(): the number picks
// the texts, the presenter shows them, and the answer is NO for the default
// button and YES for the alternate or other button.
class AlertSheetModal
{
public:
    static bool openAlert(int number, const QString &comment);

    static AlertContent contentForAlert(int number, const QString &comment);
    static bool answerForButton(AlertButton button) { return button != AlertButton::Default; }

    // The process's presenter, installed once at start-up by the GUI or the
    // CLI (tests install their own). Returns the previous one. Without a
    // presenter every alert answers NO.
    static AlertPresenter *setPresenter(AlertPresenter *presenter);
    static AlertPresenter *presenter();
};
