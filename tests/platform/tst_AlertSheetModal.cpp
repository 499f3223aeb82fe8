#include "platform/AlertSheetModal.h"
#include "platform/Localization.h"
#include "platform/PolicyAlertPresenter.h"

#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kAlertNumbers[] = {100,   201,   211,   219,   240,   241,   242,    243,    260,    261,
                                 262,   263,   264,   710,   711,   10003, 10004,  10421,  10422,  10423,
                                 10424, 10425, 71505, 202201, 263001, 263002, 263003, 263004, 263005};

// Installs a presenter for the scope of a test and uninstalls it again.
struct ScopedPresenter
{
    explicit ScopedPresenter(AlertButton fallback = AlertButton::Default) : presenter(fallback) {}
    ~ScopedPresenter() { AlertSheetModal::setPresenter(previous); }
    PolicyAlertPresenter presenter;
    AlertPresenter *previous = AlertSheetModal::setPresenter(&presenter);
};

// Reports the given button whether or not the alert has it, unlike a user.
struct FixedPresenter : AlertPresenter
{
    explicit FixedPresenter(AlertButton b) : button(b) {}
    AlertButton present(const AlertContent &) override { return button; }
    AlertButton button;
};

// The table's text, or the key itself where the table has none.
QString alertText(const QString &key)
{
    const QString text = Localization::lookup(Localization::kAlertTable, key);
    return text.isNull() ? key : text;
}

} // namespace

class tst_AlertSheetModal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void cleanup() { AlertSheetModal::setPresenter(nullptr); }

    void answers_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("answer");

        const int d = int(AlertButton::Default), a = int(AlertButton::Alternate), o = int(AlertButton::Other);
        // 261 has no other button; 201's other button (save) also answers YES.
        for (const auto &[number, button, answer] : {std::tuple{261, d, false}, {261, a, true}, {261, o, false},
                                                     {201, d, false}, {201, a, true}, {201, o, true}, {10003, d, false}})
            QTest::addRow("%d button %d", number, button) << number << button << answer;
        for (int number : {100, 219, 10004, 10421, 10424, 10425, 71505, 263003, 263005})
            for (int button : {d, a, o})
                QTest::addRow("%d one button %d", number, button) << number << button << false;
        for (int number : {241, 263001, 263002, 263004, 202201, 10422, 10423}) {
            QTest::addRow("%d confirmed", number) << number << a << true;
            QTest::addRow("%d declined", number) << number << d << false;
        }
    }

    void answers()
    {
        QFETCH(int, number);
        QFETCH(int, button);
        QFETCH(bool, answer);
        FixedPresenter fixed{AlertButton(button)};
        AlertSheetModal::setPresenter(&fixed);
        QCOMPARE(AlertSheetModal::openAlert(number, u"x"_s), answer);

        // The scripted presenter never presses a button the alert lacks.
        ScopedPresenter scoped;
        scoped.presenter.enqueue(AlertButton(button));
        QCOMPARE(AlertSheetModal::openAlert(number, u"x"_s), answer);
        QCOMPARE(scoped.presenter.shownCount(), 1);
        QCOMPARE(scoped.presenter.pendingAnswers(), 0);
    }

    void unknownNumberAndNoPresenterAnswerNo()
    {
        {
            ScopedPresenter scoped(AlertButton::Alternate);
            for (int number : {4711, 0, -261})
                QVERIFY(!AlertSheetModal::openAlert(number, u"comment"_s));
            const AlertContent shown = scoped.presenter.shownAlerts().constFirst();
            QCOMPARE(shown.number, 4711);
            QVERIFY(!shown.known);
            for (const QString &text :
                 {shown.title, shown.message, shown.defaultButton, shown.alternateButton, shown.otherButton})
                QVERIFY(text.isEmpty());
        }
        QCOMPARE(AlertSheetModal::presenter(), nullptr);
        QTest::ignoreMessage(QtWarningMsg, "alert 261 answered NO: no alert presenter is installed");
        QVERIFY(!AlertSheetModal::openAlert(261, QString()));

        // Swapping presenters hands back the previous one and routes alerts to the new one.
        PolicyAlertPresenter first(AlertButton::Alternate), second(AlertButton::Default);
        QCOMPARE(AlertSheetModal::setPresenter(&first), nullptr);
        QVERIFY(AlertSheetModal::openAlert(261, QString()));
        QCOMPARE(AlertSheetModal::setPresenter(&second), &first);
        QVERIFY(!AlertSheetModal::openAlert(261, QString()));
        QCOMPARE(first.shownCount(), 1);
        QCOMPARE(second.shownCount(), 1);
    }

    void composedTexts()
    {
        const AlertContent withName = AlertSheetModal::contentForAlert(211, u"Sales.pgcd"_s);
        QCOMPARE(withName.title, alertText(u"00211Uptake"_s));
        QCOMPARE(withName.message,
                 alertText(u"00211Canceled01"_s) + u" Sales.pgcd "_s + alertText(u"00211Canceled02"_s));
        QCOMPARE(withName.defaultButton, u"Cancel"_s);
        QCOMPARE(withName.alternateButton, Localization::textOrKey(Localization::kMainTable, u"1011Title"_s));

        // 201 composes its title, not its message.
        const AlertContent closing = AlertSheetModal::contentForAlert(201, u"a.pgcd"_s);
        QCOMPARE(closing.title, alertText(u"00201Uptake01"_s) + u" a.pgcd "_s + alertText(u"00201Uptake02"_s));
        QCOMPARE(closing.message, alertText(u"00201Canceled"_s));
        QVERIFY(!closing.otherButton.isEmpty());

        // No comment still keeps the two blanks of the format.
        QCOMPARE(AlertSheetModal::contentForAlert(262, QString()).message,
                 alertText(u"00262Canceled01"_s) + u"  "_s + alertText(u"00262Canceled02"_s));

        // The comment is text: format markers and arg() place holders stay as typed.
        const QString tricky = u"%1 %@ %n 100%"_s;
        QVERIFY(AlertSheetModal::contentForAlert(202201, tricky).message.contains(tricky));

        // A comment given to an alert without a composed text is not shown.
        const AlertContent plain = AlertSheetModal::contentForAlert(261, u"ignored"_s);
        QVERIFY(!plain.title.contains(u"ignored"_s) && !plain.message.contains(u"ignored"_s));

        // Standard alerts leave the default label to the presenter.
        const AlertContent standard = AlertSheetModal::contentForAlert(100, u"App"_s);
        QVERIFY(standard.known);
        QVERIFY(standard.defaultButton.isEmpty() && standard.alternateButton.isEmpty());
    }

    void everyAlertHasEnglishTexts()
    {
        const QRegularExpression key(u"Uptake|Canceled|\\d+Title"_s);
        for (int number : kAlertNumbers) {
            const AlertContent c = AlertSheetModal::contentForAlert(number, u"NAME"_s);
            const QByteArray where = QByteArray::number(number);
            QVERIFY2(c.known && c.number == number, where);
            for (const QString &text : {c.title, c.message, c.defaultButton, c.alternateButton, c.otherButton}) {
                QVERIFY2(!key.match(text).hasMatch(), where + ' ' + text.toUtf8());
            }
            QVERIFY2(!c.title.isEmpty() && !c.message.isEmpty(), where);
            // Only a confirmation offers a second button, and then it answers YES.
            if (!c.otherButton.isEmpty())
                QVERIFY2(!c.alternateButton.isEmpty(), where);
        }
    }

    void policyPresenterScriptAndEcho()
    {
        ScopedPresenter scoped;
        PolicyAlertPresenter &p = scoped.presenter;
        QString echoed;
        QTextStream stream(&echoed);
        p.setEcho(&stream);
        p.enqueue({AlertButton::Alternate, AlertButton::Other});
        QVERIFY(AlertSheetModal::openAlert(262, u"ID-7"_s));
        QVERIFY(AlertSheetModal::openAlert(201, u"a.pgcd"_s));
        QVERIFY(!AlertSheetModal::openAlert(261, QString())); // script used up: default
        p.setFallback(AlertButton::Alternate);
        QVERIFY(AlertSheetModal::openAlert(261, QString()));
        QVERIFY(!AlertSheetModal::openAlert(100, u"App"_s)); // no alternate button to press
        p.setEcho(nullptr);

        const QList<AlertContent> shown = p.shownAlerts();
        QCOMPARE(shown.size(), 5);
        QVERIFY(shown.at(0).number == 262 && shown.at(0).message.contains(u"ID-7"_s));
        QCOMPARE(shown.at(4).number, 100);

        QVERIFY(echoed.startsWith(u"alert 262: "_s));
        QVERIFY(echoed.contains(u"answered: Remove\n"_s));
        QVERIFY(echoed.contains(u"answered: Save\n"_s));
        QVERIFY(echoed.contains(u"buttons: [OK]; answered: OK\n"_s));
        QCOMPARE(echoed.count(u"alert "_s), 5);
    }

    void concurrentAlertsAreAllRecorded()
    {
        ScopedPresenter scoped(AlertButton::Alternate);
        QString echoed;
        QTextStream stream(&echoed);
        scoped.presenter.setEcho(&stream);
        constexpr int kThreads = 4, kAlerts = 50;
        std::atomic<int> yes{0};
        {
            std::vector<std::jthread> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.emplace_back([&] {
                    for (int i = 0; i < kAlerts; ++i)
                        yes += AlertSheetModal::openAlert(261, QString()) ? 1 : 0;
                });
        }
        scoped.presenter.setEcho(nullptr);
        QCOMPARE(yes.load(), kThreads * kAlerts);
        QCOMPARE(scoped.presenter.shownCount(), kThreads * kAlerts);
        QCOMPARE(echoed.count(u"alert 261: "_s), kThreads * kAlerts);
    }
};

QTEST_GUILESS_MAIN(tst_AlertSheetModal)
#include "tst_AlertSheetModal.moc"
