#pragma once

#include "tasks/ProgressPanel.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress panel: window-modal on the document window it is attached
// to, or a free panel. It only shows what the progress controller tells it;
// the work runs on workers, so the event loop keeps turning meanwhile.
class ProgressPanelDialog : public QDialog, public ProgressPanel
{
    Q_OBJECT
public:
    // cancelAllowed is asked each time the panel opens; onCancel runs when
    // the user cancels.
    ProgressPanelDialog(std::function<bool()> cancelAllowed, std::function<void()> onCancel);

    void showAsSheet(QObject *window) override;
    void showFree() override;
    void setTitle(const QString &title) override;
    void setIndeterminate(bool animate) override;
    void setValue(double value) override;
    void setPercentText(const QString &text) override;
    void setComment(const QString &comment) override;
    void close() override;

    bool isIndeterminate() const;
    QString percentText() const;
    QString comment() const;
    bool cancelShown() const;

protected:
    void reject() override;

private:
    void present();

    std::function<bool()> m_cancelAllowed;
    std::function<void()> m_onCancel;
    QLabel *m_title;
    QProgressBar *m_bar;
    QLabel *m_percent;
    QLabel *m_comment;
    QPushButton *m_cancel;
};
