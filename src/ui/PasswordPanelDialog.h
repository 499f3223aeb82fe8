#pragma once

#include "prefs/PasswordPanelView.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The unlock panel and the save confirmation panel: a title field, a
// password field, the guidance and Cancel / Apply (and, when saving, a
// button to save without protection). The panel logic lives in its
// controller; the fields hand it what the user finished typing.
class PasswordPanelDialog : public QDialog, public PasswordPanelView
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void(const QString &)> account;
        std::function<void(const QString &)> password;
        std::function<void(int segment)> segment;
        // Absent for the unlock panel.
        std::function<void()> withoutProtection;
    };

    explicit PasswordPanelDialog(Actions actions, QWidget *parent = nullptr);

    void showFree() override;
    void showAsSheet(QObject *window) override;
    void close(int returnCode) override;
    void refresh(const FieldState &state) override;

    QLineEdit *accountField() const { return m_account; }
    QLineEdit *passwordField() const { return m_password; }
    QPushButton *applyButton() const { return m_apply; }
    QString commentText() const;

protected:
    void reject() override;

private:
    Actions m_actions;
    QLabel *m_lock;
    QLabel *m_title;
    QLineEdit *m_account;
    QLineEdit *m_password;
    QLabel *m_comment;
    QPushButton *m_cancel;
    QPushButton *m_apply;
    QPushButton *m_unprotected = nullptr;
    bool m_refreshing = false;
};
