#include "support/TestSupport.h"

#include "platform/Localization.h"
#include "platform/NotificationCenter.h"
#include "platform/PasswordVerifier.h"
#include "prefs/PasswordController.h"
#include "prefs/SaveController.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct RecordingView : PasswordPanelView
{
    void showFree() override { shown.append(nullptr); }
    void showAsSheet(QObject *window) override { shown.append(window); }
    void close(int returnCode) override { closed.append(returnCode); }
    void refresh(const FieldState &state) override { last = state; ++refreshes; }

    QList<QObject *> shown;
    QList<int> closed;
    FieldState last;
    int refreshes = 0;
};

// Every notification the panels can post, in order.
struct EventLog
{
    explicit EventLog(NotificationCenter &center)
    {
        for (const QString &name : {u"requestOpenFileEvent"_s, u"requestAdvancedEvent"_s,
                                    u"requestAccountOptionEvent"_s, u"libraryCodePasswordEvent"_s,
                                    u"notifPasswordForSave"_s})
            center.addObserver(name, nullptr, [this](const Notification &n) { events.append(n); });
    }
    QList<Notification> events;
};

QString alertText(const QString &key)
{
    return Localization::textOrKey(Localization::kAlertTable, key);
}

} // namespace

class tst_PasswordPanels : public QObject
{
    Q_OBJECT
    QString m_verifier;

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_verifier = PasswordVerifier::makeVerifier(u"s3cret"_s);
        QVERIFY(!m_verifier.isEmpty());
    }

    void unlockPanelAllowsTwoWrongEntriesInARow()
    {
        NotificationCenter center;
        EventLog log(center);
        RecordingView view;
        PasswordController controller(center, &view);

        QVERIFY(controller.requestPrivatePasswordWithTitle(u"work"_s, m_verifier, u"/docs/Plan.pgcd"_s));
        controller.passwordSource().registerProtectedState(PasswordSource::kOpenFileState);
        controller.openPanel(nullptr);
        QCOMPARE(view.shown, QList<QObject *>{nullptr});
        QVERIFY(!controller.panelState());
        QCOMPARE(view.last.panelTitle, u"Plan.pgcd"_s);
        QVERIFY(!view.last.passwordEnabled && !view.last.applyEnabled);
        QCOMPARE(view.last.lockImageName, u"NSLockLockedTemplate"_s);
        QVERIFY(view.last.commentText.startsWith(alertText(u"33001Uptake01"_s) + u"\nPlan.pgcd "_s));

        // The password field is off until the title is right.
        controller.passwordSecreTextFieldAction(u"s3cret"_s);
        QVERIFY(!controller.workPasswordSource().stateOfTheKey());

        controller.accountTextFieldAction(u"wrok"_s);
        QCOMPARE(controller.errStep(), 1);
        QVERIFY(view.last.commentText.startsWith(alertText(u"33001Uptake02"_s)));
        controller.accountTextFieldAction(u"work"_s);
        QCOMPARE(controller.errStep(), 0);
        QVERIFY(view.last.passwordEnabled);
        QCOMPARE(view.last.accountText, u"work"_s);
        QVERIFY(view.last.commentText.contains(u" work "_s));

        controller.passwordSecreTextFieldAction(u"secret"_s);
        controller.passwordSecreTextFieldAction(u"S3cret"_s);
        QCOMPARE(controller.errStep(), 2);
        QVERIFY(controller.isPanelOpen() && view.closed.isEmpty());
        QVERIFY(view.last.commentText.startsWith(alertText(u"33002Uptake02"_s)));

        // A right entry resets the count shared by both fields...
        controller.passwordSecreTextFieldAction(u"s3cret"_s);
        QCOMPARE(controller.errStep(), 0);
        QVERIFY(view.last.applyEnabled);
        QCOMPARE(view.last.lockImageName, u"NSLockUnlockedTemplate"_s);
        QCOMPARE(view.last.passwordText, u"s3cret"_s);
        QVERIFY(view.last.commentText.startsWith(alertText(u"33003Uptake"_s)));

        // ...and a wrong title locks again and counts on from there.
        controller.accountTextFieldAction(u"x"_s);
        QVERIFY(!view.last.applyEnabled && view.last.passwordText.isEmpty());
        controller.answerSegmentedControlAction(PasswordController::kApplySegment);
        QVERIFY(controller.isPanelOpen());
        controller.accountTextFieldAction(u"y"_s);
        controller.accountTextFieldAction(u"z"_s);
        QVERIFY(!controller.isPanelOpen());
        QCOMPARE(view.closed, QList<int>{PasswordController::kCancelReturnCode});
        QCOMPARE(controller.lastReturnCode(), 129);

        // Nothing reaches a closed panel, and nothing was posted.
        controller.accountTextFieldAction(u"work"_s);
        controller.answerSegmentedControlAction(PasswordController::kApplySegment);
        QVERIFY(log.events.isEmpty());

        // Reopening starts afresh; the right title wipes the wrong one's
        // count, so only the third wrong password in a row cancels.
        controller.openPanel(nullptr);
        QCOMPARE(controller.errStep(), 0);
        QVERIFY(controller.isPanelOpen() && !controller.workPasswordSource().confirmPasswordTitle());
        controller.accountTextFieldAction(u"wrok"_s);
        controller.accountTextFieldAction(u"work"_s);
        controller.passwordSecreTextFieldAction(u"a"_s);
        controller.passwordSecreTextFieldAction(u"b"_s);
        QVERIFY(controller.isPanelOpen());
        controller.passwordSecreTextFieldAction(u"c"_s);
        QVERIFY(!controller.isPanelOpen());
        QCOMPARE(view.closed.last(), PasswordController::kCancelReturnCode);
        QVERIFY(log.events.isEmpty());
    }

    void applyPostsTheEventOfTheProtectedState()
    {
        NotificationCenter center;
        EventLog log(center);
        RecordingView view;
        PasswordController controller(center, &view);
        QObject window;

        struct Case
        {
            qint32 state;
            QString event;
            QVariant object;
            QString title;
        };
        // A plain expected password, as an older record holds it, to keep
        // hashing out of the loop.
        const QList<Case> cases = {
            {101, u"requestOpenFileEvent"_s, u"/docs/Plan.pgcd"_s, u"Plan.pgcd"_s},
            {110, u"requestAdvancedEvent"_s, u"id_advanced"_s,
             Localization::textOrKey(Localization::kMainTable, u"1608Title"_s)},
            {114, u"requestAccountOptionEvent"_s, QVariant(),
             Localization::textOrKey(Localization::kMainTable, u"1610Title"_s)},
            {265, u"libraryCodePasswordEvent"_s, QVariant(),
             Localization::textOrKey(Localization::kMainTable, u"1611Title"_s)},
            {7, QString(), QVariant(), QString()},
        };
        for (const Case &c : cases) {
            log.events.clear();
            QVERIFY(controller.requestPrivatePasswordWithTitle(u"t"_s, u"plain"_s, u"/docs/Plan.pgcd"_s));
            controller.passwordSource().registerProtectedState(c.state);
            controller.passwordSource().registerCommentString(u"id_advanced"_s);
            controller.openPanel(&window);
            QVERIFY(controller.panelState());
            QCOMPARE(view.shown.last(), &window);
            QCOMPARE(view.last.panelTitle, c.title);
            controller.accountTextFieldAction(u"t"_s);
            controller.passwordSecreTextFieldAction(u"plain"_s);
            controller.answerSegmentedControlAction(PasswordController::kApplySegment);
            QCOMPARE(view.closed.last(), PasswordController::kApplyReturnCode);
            if (c.event.isEmpty()) {
                QVERIFY(log.events.isEmpty());
                continue;
            }
            QCOMPARE(log.events.size(), 1);
            QCOMPARE(log.events.first().name, c.event);
            QCOMPARE(log.events.first().object, c.object);
            // Locked again for whoever opens it next.
            QVERIFY(!controller.workPasswordSource().stateOfTheKey());
            QVERIFY(!view.last.applyEnabled);
        }

        // Cancel posts nothing, even when unlocked.
        log.events.clear();
        controller.passwordSource().registerProtectedState(101);
        controller.openPanel(nullptr);
        controller.accountTextFieldAction(u"t"_s);
        controller.passwordSecreTextFieldAction(u"plain"_s);
        controller.answerSegmentedControlAction(PasswordController::kCancelSegment);
        QCOMPARE(view.closed.last(), PasswordController::kCancelReturnCode);
        QVERIFY(log.events.isEmpty());
    }

    void requestsWithoutTitleOrPasswordOpenNothing()
    {
        NotificationCenter center;
        RecordingView view;
        PasswordController controller(center, &view);
        QVERIFY(controller.requestPrivatePasswordWithTitle(u"t"_s, u"p"_s, u"/a"_s));
        QVERIFY(!controller.requestPrivatePasswordWithTitle(u"t"_s, QString(), u"/a"_s));
        QVERIFY(!controller.requestPrivatePasswordWithTitle(QString(), u"p"_s, u"/a"_s));
        // The refused request left no expectation behind that "" could meet.
        controller.openPanel(nullptr);
        QVERIFY(!controller.isPanelOpen() && view.shown.isEmpty());

        SaveController save(center, &view);
        QVERIFY(!save.requestSavePanelForPasswordWithTitle(u"t"_s, QString(), u"/a"_s));
        save.openPanel(nullptr);
        QVERIFY(!save.isPanelOpen() && view.shown.isEmpty());

        // The shared instances start clean after a reset.
        PasswordController &shared = PasswordController::sharedController();
        QCOMPARE(&shared, &PasswordController::sharedController());
        QVERIFY(shared.requestPrivatePasswordWithTitle(u"t"_s, u"p"_s, u"/a"_s));
        shared.setPanelView(&view);
        shared.resetForTesting();
        QVERIFY(!shared.panelView() && !shared.passwordSource().confirmPasswordTitle());
        SaveController::sharedController().resetForTesting();
    }

    void savePanelAnswersWithTheProtection()
    {
        NotificationCenter center;
        EventLog log(center);
        RecordingView view;
        SaveController controller(center, &view);
        QObject window;

        QVERIFY(controller.requestSavePanelForPasswordWithTitle(u"work"_s, m_verifier, u"/docs/Plan.pgcd"_s));
        controller.registerCachesFolderID(7);
        QCOMPARE(controller.saveSource().commentString(),
                 u"Plan.pgcd "_s + alertText(u"08201Uptake"_s) + u"\n"_s + alertText(u"08201Canceled01"_s));
        const QVariantMap protectedAnswer{
            {u"cachesFolderID"_s, 7}, {u"FilePath"_s, u"/docs/Plan.pgcd"_s}, {u"Protect"_s, true}};
        QVariantMap unprotectedAnswer = protectedAnswer;
        unprotectedAnswer.insert(u"Protect"_s, false);

        controller.openPanel(&window);
        QCOMPARE(view.shown, QList<QObject *>{&window});
        QVERIFY(!view.last.passwordEnabled && !view.last.applyEnabled);
        controller.accountTextFieldAction(u"wrong"_s);
        QCOMPARE(controller.errStep(), 1);
        QVERIFY(controller.saveSource().commentString().startsWith(alertText(u"08203Uptake"_s)));
        controller.accountTextFieldAction(u"work"_s);
        QVERIFY(controller.fileNameState() && view.last.passwordEnabled);
        QCOMPARE(controller.errStep(), 0);
        controller.passwordSecreTextFieldAction(u"wrong"_s);
        QVERIFY(!controller.stateOfTheKey());
        QVERIFY(controller.saveSource().commentString().contains(u"Plan.pgcd"_s));
        controller.answerSegmentedControlAction(SaveController::kApplySegment);
        QVERIFY(controller.isPanelOpen() && log.events.isEmpty());
        controller.passwordSecreTextFieldAction(u"s3cret"_s);
        QVERIFY(controller.stateOfTheKey() && view.last.applyEnabled);
        QCOMPARE(view.last.lockImageName, u"NSLockUnlockedTemplate"_s);
        controller.answerSegmentedControlAction(SaveController::kApplySegment);
        QCOMPARE(view.closed, QList<int>{128});
        QCOMPARE(log.events.size(), 1);
        QCOMPARE(log.events.first().name, u"notifPasswordForSave"_s);
        QCOMPARE(log.events.first().object.toMap(), protectedAnswer);

        // Saving unprotected needs no confirmation.
        controller.openPanel(&window);
        QVERIFY(!controller.stateOfTheKey() && !controller.fileNameState());
        controller.notPrivatePasswordButtonAction();
        QCOMPARE(view.closed.last(), 128);
        QCOMPARE(log.events.size(), 2);
        QCOMPARE(log.events.last().object.toMap(), unprotectedAnswer);

        controller.openPanel(nullptr);
        controller.answerSegmentedControlAction(SaveController::kCancelSegment);
        QCOMPARE(view.closed.last(), 129);

        // Three wrong entries in a row, title or password, cancel.
        controller.openPanel(nullptr);
        controller.accountTextFieldAction(u"work"_s);
        controller.passwordSecreTextFieldAction(u"a"_s);
        controller.passwordSecreTextFieldAction(u"b"_s);
        QVERIFY(controller.isPanelOpen());
        controller.accountTextFieldAction(u"c"_s);
        QVERIFY(!controller.isPanelOpen());
        QCOMPARE(view.closed.last(), 129);
        controller.notPrivatePasswordButtonAction();
        QCOMPARE(log.events.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_PasswordPanels)
#include "tst_PasswordPanels.moc"
