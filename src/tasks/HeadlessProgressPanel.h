#pragma once

#include "tasks/ProgressPanel.h"

#include <QStringList>

#include <functional>

// A progress panel without a display: keeps the latest state and every
// comment it was given, and reports each change to an optional callback
// (the CLI draws its progress bar from it).
class HeadlessProgressPanel : public ProgressPanel
{
public:
    using ChangeCallback = std::function<void(const HeadlessProgressPanel &)>;

    void showAsSheet(QObject *window) override;
    void showFree() override;
    void setTitle(const QString &title) override;
    void setIndeterminate(bool animate) override;
    void setValue(double value) override;
    void setPercentText(const QString &text) override;
    void setComment(const QString &comment) override;
    void close() override;

    void setChangeCallback(ChangeCallback callback);

    bool isShown() const { return m_shown; }
    bool isSheet() const { return m_sheet; }
    QObject *window() const { return m_window; }
    QString title() const { return m_title; }
    bool isIndeterminate() const { return m_indeterminate; }
    double value() const { return m_value; }
    QString percentText() const { return m_percentText; }
    QString comment() const { return m_comment; }
    QStringList commentHistory() const { return m_commentHistory; }
    int closeCount() const { return m_closeCount; }

private:
    void changed();

    bool m_shown = false;
    bool m_sheet = false;
    QObject *m_window = nullptr;
    QString m_title;
    bool m_indeterminate = true;
    double m_value = 0.0;
    QString m_percentText;
    QString m_comment;
    QStringList m_commentHistory;
    int m_closeCount = 0;
    ChangeCallback m_callback;
};
