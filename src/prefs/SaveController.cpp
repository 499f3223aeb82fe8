#include "SaveController.h"

#include "PasswordController.h"
#include "platform/ErrorLog.h"
#include "platform/Localization.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/PasswordVerifier.h"

#include <QVariantMap>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

namespace {
const QString kClassWords = QStringLiteral("Save Controller");

QString alertText(const char *key)
{
    return Localization::textOrKey(Localization::kAlertTable, QLatin1String(key));
}
} // namespace

SaveController &SaveController::sharedController()
{
    static SaveController controller(NotificationCenter::defaultCenter());
    return controller;
}

SaveController::SaveController(NotificationCenter &center, PasswordPanelView *view)
    : m_center(center)
{
    m_panel.setView(view);
}

void SaveController::resetForTesting()
{
    m_panel.reset();
    m_saveSource.initializationUserObject();
    m_cachesFolderID = 0;
    m_fileNameState = false;
    m_acceptedPassword.clear();
}

QString SaveController::openComment() const
{
    return QStringLiteral("%1 %2\n%3")
        .arg(m_saveSource.fileNameString(), alertText("08201Uptake"), alertText("08201Canceled01"));
}

bool SaveController::requestSavePanelForPasswordWithTitle(const QString &title, const QString &passwordString,
                                                          const QString &filePath)
{
    return ErrorLog::guarded(lcPrefs(), kClassWords, u"requestSavePanelForPasswordWithTitle", false, [&] {
        m_saveSource.initializationUserObject();
        if (!m_saveSource.registerPasswordTitle(title) || !m_saveSource.registerPasswordString(passwordString)) {
            m_saveSource.initializationUserObject();
            return false;
        }
        m_saveSource.registerFilePathString(filePath);
        m_fileNameState = false;
        m_acceptedPassword.clear();
        m_saveSource.registerCommentString(openComment());
        reloadObject();
        return true;
    });
}

void SaveController::openPanel(QObject *windowOrNull)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"openPanel", [&] {
        if (!m_saveSource.confirmPasswordTitle() || !m_saveSource.confirmPasswordString())
            return;
        m_fileNameState = false;
        m_saveSource.registerStateOfTheKey(false);
        m_acceptedPassword.clear();
        m_saveSource.registerCommentString(openComment());
        m_panel.show(windowOrNull);
        reloadObject();
    });
}

void SaveController::accountTextFieldAction(const QString &text)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"accountTextFieldAction", [&] {
        if (!m_panel.isOpen())
            return;
        if (!text.isEmpty() && text == m_saveSource.passwordTitle()) {
            m_fileNameState = true;
            m_panel.acceptEntry();
            m_saveSource.registerCommentString(
                QStringLiteral("%1\n%2").arg(alertText("08202Uptake"), alertText("08202Canceled01")));
        } else {
            // A wrong title also takes back a password accepted under it.
            m_fileNameState = false;
            m_saveSource.registerStateOfTheKey(false);
            m_acceptedPassword.clear();
            m_saveSource.registerCommentString(
                QStringLiteral("%1\n%2").arg(alertText("08203Uptake"), alertText("08203Canceled01")));
            countWrongEntry();
        }
        reloadObject();
    });
}

void SaveController::passwordSecreTextFieldAction(const QString &text)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"passwordSecreTextFieldAction", [&] {
        if (!m_panel.isOpen() || !m_fileNameState)
            return;
        const QString fileName = m_saveSource.fileNameString();
        if (PasswordVerifier::verify(m_saveSource.passwordString(), text)) {
            m_panel.acceptEntry();
            m_saveSource.registerStateOfTheKey(true);
            m_acceptedPassword = text;
            m_saveSource.registerCommentString(QStringLiteral("%1\n%2%3").arg(
                alertText("08204Uptake"), fileName, alertText("08204Canceled01")));
        } else {
            m_saveSource.registerStateOfTheKey(false);
            m_acceptedPassword.clear();
            m_saveSource.registerCommentString(QStringLiteral("%1\n%2%3%4").arg(
                alertText("08205Uptake"), fileName, alertText("08205Canceled01"), alertText("08205Canceled02")));
            countWrongEntry();
        }
        reloadObject();
    });
}

void SaveController::countWrongEntry()
{
    if (m_panel.countWrongEntry())
        closePanel(kCancelReturnCode);
}

void SaveController::answerSegmentedControlAction(int segment)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"answerSegmentedControlAction", [&] {
        if (!m_panel.isOpen())
            return;
        if (segment == kCancelSegment) {
            closePanel(kCancelReturnCode);
        } else if (segment == kApplySegment && m_saveSource.stateOfTheKey()) {
            closePanel(kApplyReturnCode);
            answerPasswordWithProtect(true);
        }
    });
}

void SaveController::notPrivatePasswordButtonAction()
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"notPrivatePasswordButtonAction", [&] {
        if (!m_panel.isOpen())
            return;
        closePanel(kApplyReturnCode);
        answerPasswordWithProtect(false);
    });
}

void SaveController::answerPasswordWithProtect(bool protect)
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"answerPasswordWithProtect", [&] {
        m_center.post(NotificationName::notifPasswordForSave,
                      QVariantMap{
                          {RequestKey::cachesFolderID, m_cachesFolderID},
                          {QStringLiteral("FilePath"), m_saveSource.filePathString()},
                          {QStringLiteral("Protect"), protect},
                      });
    });
}

void SaveController::closePanel(int returnCode)
{
    m_acceptedPassword.clear();
    if (m_panel.isOpen())
        m_panel.close(returnCode);
}

void SaveController::reloadObject()
{
    ErrorLog::guardedVoid(lcPrefs(), kClassWords, u"reloadObject", [&] {
        const bool unlocked = m_saveSource.stateOfTheKey();
        PasswordPanelView::FieldState state;
        state.panelTitle = m_saveSource.fileNameString();
        state.accountText = m_fileNameState ? m_saveSource.passwordTitle() : QStringLiteral("");
        state.passwordEnabled = m_fileNameState;
        state.passwordText = unlocked ? m_acceptedPassword : QStringLiteral("");
        state.commentText = m_saveSource.commentString();
        state.lockImageName = unlocked ? PasswordController::kUnlockedImage : PasswordController::kLockedImage;
        state.applyEnabled = unlocked;
        m_panel.refresh(state);
    });
}
