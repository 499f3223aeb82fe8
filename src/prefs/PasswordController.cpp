#include "PasswordController.h"

#include "platform/ErrorLog.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/PasswordVerifier.h"
#include "platform/NotificationName.h"

namespace {
const QString kClassWords = QStringLiteral("Password Controller");

QString alertText(const char *key)
{
    return Localization::textOrKey(Localization::kAlertTable, QLatin1String(key));
}
} // namespace

PasswordController &PasswordController::sharedController()
{
    static PasswordController controller(NotificationCenter::defaultCenter());
    return controller;
}

PasswordController::PasswordController(NotificationCenter &center, PasswordPanelView *view)
    : m_center(center)
{
    m_panel.setView(view);
    m_passwordSource.initializationUserObject();
    m_workPasswordSource.initializationUserObject();
}

void PasswordController::resetForTesting()
{
    m_panel.reset();
    m_passwordSource = PasswordSource();
    m_workPasswordSource = PasswordSource();
}

bool PasswordController::requestPrivatePasswordWithTitle(const QString &title, const QString &passwordString,
                                                         const QString &filePath)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"requestPrivatePasswordWithTitle", false, [&] {
        m_passwordSource.initializationUserObject();
        if (!m_passwordSource.registerPasswordTitle(title) || !m_passwordSource.registerPasswordString(passwordString)) {
            m_passwordSource.initializationUserObject();
            return false;
        }
        m_passwordSource.registerFilePathString(filePath);
        return true;
    });
}

void PasswordController::openPanel(QObject *windowOrNull)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"openPanel", [&] {
        // Without both expected values any empty entry would unlock.
        if (!m_passwordSource.confirmPasswordTitle() || !m_passwordSource.confirmPasswordString())
            return;
        m_workPasswordSource.initializationUserObject();
        m_panel.show(windowOrNull);
        reloadObject();
    });
}

void PasswordController::accountTextFieldAction(const QString &text)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"accountTextFieldAction", [&] {
        if (!m_panel.isOpen())
            return;
        if (!text.isEmpty() && text == m_passwordSource.passwordTitle()) {
            m_workPasswordSource.registerPasswordTitle(text);
            m_panel.acceptEntry();
        } else {
            m_workPasswordSource.registerPasswordTitle(QString());
            countWrongEntry();
        }
        reloadObject();
    });
}

void PasswordController::passwordSecreTextFieldAction(const QString &text)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"passwordSecreTextFieldAction", [&] {
        // The field is disabled until the title is accepted.
        if (!m_panel.isOpen() || !m_workPasswordSource.confirmPasswordTitle())
            return;
        if (PasswordVerifier::verify(m_passwordSource.passwordString(), text)) {
            m_workPasswordSource.registerPasswordString(text);
            m_panel.acceptEntry();
        } else {
            m_workPasswordSource.registerPasswordString(QString());
            countWrongEntry();
        }
        reloadObject();
    });
}

void PasswordController::countWrongEntry()
{
    if (m_panel.countWrongEntry())
        closePanel(kCancelReturnCode);
}

void PasswordController::answerSegmentedControlAction(int segment)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"answerSegmentedControlAction", [&] {
        if (!m_panel.isOpen())
            return;
        if (segment == kCancelSegment) {
            closePanel(kCancelReturnCode);
        } else if (segment == kApplySegment) {
            // Apply is disabled while locked; a stray press must not unlock.
            if (!m_workPasswordSource.stateOfTheKey())
                return;
            closePanel(kApplyReturnCode);
            postProtectedStateEvent(m_passwordSource.protectedState(), m_passwordSource.filePathString(),
                                    m_passwordSource.commentString());
        } else {
            return;
        }
        m_workPasswordSource.initializationUserObject();
        reloadObject();
    });
}

void PasswordController::postProtectedStateEvent(qint32 state, const QString &filePath, const QString &comment)
{
    const QString name = eventNameForState(state);
    if (name.isEmpty())
        return;
    QVariant object;
    if (state == PasswordSource::kOpenFileState)
        object = filePath;
    else if (state == PasswordSource::kAdvancedState)
        object = comment;
    m_center.post(name, object);
}

void PasswordController::closePanel(int returnCode)
{
    if (m_panel.isOpen())
        m_panel.close(returnCode);
}

void PasswordController::reloadObject()
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"reloadObject", [&] {
        PasswordPanelView::FieldState state;
        state.panelTitle = protectedStateTitle();
        state.accountText = m_workPasswordSource.passwordTitle();
        QString guidance;
        if (m_workPasswordSource.confirmPasswordTitle()) {
            state.passwordEnabled = true;
            guidance = passwordGuidance();
            const bool unlocked = m_workPasswordSource.confirmPasswordString();
            if (unlocked) {
                state.passwordText = m_workPasswordSource.passwordString();
                guidance = confirmedGuidance();
            }
            m_workPasswordSource.registerStateOfTheKey(unlocked);
        } else {
            // The emptied field holds no accepted password either.
            m_workPasswordSource.registerPasswordString(QString());
            m_workPasswordSource.registerStateOfTheKey(false);
            guidance = titleGuidance();
        }
        m_workPasswordSource.registerCommentString(guidance);
        state.commentText = guidance;
        const bool unlocked = m_workPasswordSource.stateOfTheKey();
        state.lockImageName = unlocked ? kUnlockedImage : kLockedImage;
        state.applyEnabled = unlocked;
        m_panel.refresh(state);
    });
}

QString PasswordController::protectedStateTitle() const
{
    switch (m_passwordSource.protectedState()) {
    case PasswordSource::kOpenFileState:
        return m_passwordSource.fileNameString();
    case PasswordSource::kAdvancedState:
        return Localization::textOrKey(Localization::kMainTable, QStringLiteral("1608Title"));
    case PasswordSource::kAccountOptionState:
        return Localization::textOrKey(Localization::kMainTable, QStringLiteral("1610Title"));
    case PasswordSource::kLibraryCodeState:
        return Localization::textOrKey(Localization::kMainTable, QStringLiteral("1611Title"));
    default:
        return QStringLiteral("");
    }
}

QString PasswordController::eventNameForState(qint32 state)
{
    switch (state) {
    case PasswordSource::kOpenFileState:
        return NotificationName::requestOpenFileEvent;
    case PasswordSource::kAdvancedState:
        return NotificationName::requestAdvancedEvent;
    case PasswordSource::kAccountOptionState:
        return NotificationName::requestAccountOptionEvent;
    case PasswordSource::kLibraryCodeState:
        return NotificationName::libraryCodePasswordEvent;
    default:
        return QString();
    }
}

QString PasswordController::titleGuidance() const
{
    return QStringLiteral("%1\n%2 %3%4")
        .arg(alertText(m_panel.errStep() == 0 ? "33001Uptake01" : "33001Uptake02"), protectedStateTitle(),
             alertText("33001Canceled01"), alertText("33001Canceled02"));
}

QString PasswordController::passwordGuidance() const
{
    return QStringLiteral("%1\n%2 %3 %4 %5")
        .arg(alertText(m_panel.errStep() == 0 ? "33002Uptake01" : "33002Uptake02"), protectedStateTitle(),
             alertText("33002Canceled01"), m_passwordSource.passwordTitle(), alertText("33002Canceled02"));
}

QString PasswordController::confirmedGuidance() const
{
    return QStringLiteral("%1\n%2 %3 %4")
        .arg(alertText("33003Uptake"), alertText("33003Canceled01"), protectedStateTitle(),
             alertText("33003Canceled02"));
}
