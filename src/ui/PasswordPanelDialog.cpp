#include "PasswordPanelDialog.h"

#include "Icons.h"

#include "platform/Localization.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

static QString mainText(const QString &key)
{
    return Localization::textOrKey(Localization::kMainTable, key);
}

PasswordPanelDialog::PasswordPanelDialog(Actions actions, QWidget *parent)
    : QDialog(parent)
    , m_actions(std::move(actions))
    , m_lock(new QLabel(this))
    , m_title(new QLabel(this))
    , m_account(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_comment(new QLabel(this))
    , m_cancel(new QPushButton(mainText(u"1010Title"_s), this))
    , m_apply(new QPushButton(QApplication::translate("QPlatformTheme", "Apply"), this))
{
    setObjectName(m_actions.withoutProtection ? u"saveConfirmationPanel"_s : u"unlockPanel"_s);
    setWindowTitle(QStringLiteral("Rowsmith"));
    m_account->setObjectName(u"accountField"_s);
    m_password->setObjectName(u"passwordField"_s);
    m_password->setEchoMode(QLineEdit::Password);
    m_comment->setObjectName(u"panelComment"_s);
    m_comment->setWordWrap(true);
    m_comment->setMinimumHeight(m_comment->fontMetrics().lineSpacing() * 3);
    m_title->setWordWrap(true);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_apply->setObjectName(u"applyButton"_s);
    m_cancel->setObjectName(u"cancelButton"_s);
    m_apply->setDefault(true);

    connect(m_account, &QLineEdit::editingFinished, this, [this] {
        if (!m_refreshing && m_actions.account)
            m_actions.account(m_account->text());
    });
    connect(m_password, &QLineEdit::editingFinished, this, [this] {
        if (!m_refreshing && m_actions.password)
            m_actions.password(m_password->text());
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_actions.segment)
            m_actions.segment(0);
    });
    connect(m_apply, &QPushButton::clicked, this, [this] {
        if (m_actions.segment)
            m_actions.segment(1);
    });

    auto *form = new QFormLayout;
    form->addRow(QApplication::translate("QAuthenticator", "Title") + u":"_s, m_account);
    form->addRow(QApplication::translate("QAuthenticator", "Password") + u":"_s, m_password);
    auto *header = new QHBoxLayout;
    header->addWidget(m_lock);
    header->addWidget(m_title, 1);
    auto *buttons = new QHBoxLayout;
    if (m_actions.withoutProtection) {
        m_unprotected = new QPushButton(tr("Save Without Protection"), this);
        m_unprotected->setObjectName(u"withoutProtectionButton"_s);
        connect(m_unprotected, &QPushButton::clicked, this, [this] { m_actions.withoutProtection(); });
        buttons->addWidget(m_unprotected);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_apply);
    auto *note = new QLabel(tr("The password locks opening; the contents are not encrypted."), this);
    note->setWordWrap(true);
    note->setEnabled(false);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(form);
    layout->addWidget(m_comment);
    layout->addWidget(note);
    layout->addLayout(buttons);
    setMinimumWidth(440);
}

void PasswordPanelDialog::showFree()
{
    if (parentWidget())
        setParent(nullptr, windowFlags() | Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    open();
    m_account->setFocus();
}

void PasswordPanelDialog::showAsSheet(QObject *window)
{
    auto *parent = qobject_cast<QWidget *>(window);
    if (parent && parentWidget() != parent)
        setParent(parent, windowFlags() | Qt::Dialog);
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    open();
    m_account->setFocus();
}

void PasswordPanelDialog::close(int returnCode)
{
    done(returnCode);
    // Nothing typed outlives the panel.
    m_refreshing = true;
    m_password->clear();
    m_account->clear();
    m_refreshing = false;
}

void PasswordPanelDialog::refresh(const FieldState &state)
{
    m_refreshing = true;
    m_title->setText(state.panelTitle);
    if (m_account->text() != state.accountText)
        m_account->setText(state.accountText);
    m_password->setEnabled(state.passwordEnabled);
    if (m_password->text() != state.passwordText)
        m_password->setText(state.passwordText);
    m_comment->setText(state.commentText);
    m_lock->setPixmap(Icons::named(state.lockImageName).pixmap(32, 32));
    m_apply->setEnabled(state.applyEnabled);
    m_refreshing = false;
    if (state.passwordEnabled && !state.applyEnabled && m_account->hasFocus())
        m_password->setFocus();
}

void PasswordPanelDialog::reject()
{
    if (m_actions.segment)
        m_actions.segment(0);
}

QString PasswordPanelDialog::commentText() const
{
    return m_comment->text();
}
