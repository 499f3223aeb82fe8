#include "FilePanels.h"
#include "MessageBoxAlertPresenter.h"
#include "PasswordPanelDialog.h"
#include "ProgressPanelDialog.h"
#include "RecentFiles.h"
#include "SingleInstance.h"
#include "ui/ModalAnswerer.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_Panels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progressPanel();
    void passwordPanel();
    void alertsAnswerByButton();
    void openPanelPicksAPackage();
    void singleInstanceHandsOverPaths();
    void recentFilesKeepTheNewestTen();
};

void tst_Panels::progressPanel()
{
    QMainWindow window;
    window.resize(600, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool allowed = false;
    int cancels = 0;
    ProgressPanelDialog panel([&] { return allowed; }, [&] { ++cancels; });

    panel.showAsSheet(&window);
    QTRY_VERIFY(panel.isVisible());
    QCOMPARE(panel.parentWidget(), &window);
    QCOMPARE(panel.windowModality(), Qt::WindowModal);
    QVERIFY(panel.isIndeterminate());
    QVERIFY(!panel.cancelShown());
    // Without a cancellable task Escape leaves the panel up.
    QTest::keyClick(&panel, Qt::Key_Escape);
    QCOMPARE(cancels, 0);
    QVERIFY(panel.isVisible());

    panel.setIndeterminate(false);
    panel.setValue(42.5);
    panel.setPercentText(u"42.5 %"_s);
    panel.setComment(u"読み込み中"_s);
    QVERIFY(!panel.isIndeterminate());
    QCOMPARE(panel.percentText(), u"42.5 %"_s);
    QCOMPARE(panel.comment(), u"読み込み中"_s);
    panel.close();
    QVERIFY(!panel.isVisible());

    // A cancellable task shows Cancel; a new opening starts blank and spinning.
    allowed = true;
    panel.showAsSheet(&window);
    QTRY_VERIFY(panel.isVisible());
    QVERIFY(panel.cancelShown());
    QVERIFY(panel.isIndeterminate());
    QVERIFY(panel.comment().isEmpty());
    QTest::keyClick(&panel, Qt::Key_Escape);
    QCOMPARE(cancels, 1);
    panel.findChild<QPushButton *>(u"progressCancel"_s)->click();
    QCOMPARE(cancels, 2);
    panel.close();
}

void tst_Panels::passwordPanel()
{
    QStringList calls;
    PasswordPanelDialog panel({
        [&](const QString &text) { calls << u"account:"_s + text; },
        [&](const QString &text) { calls << u"password:"_s + text; },
        [&](int segment) { calls << u"segment:%1"_s.arg(segment); },
        [&] { calls << u"unprotected"_s; },
    });
    panel.showFree();
    QTRY_VERIFY(panel.isVisible());

    // Refreshing the fields is not the user finishing an entry.
    PasswordPanelView::FieldState state;
    state.accountText = u"shop"_s;
    state.passwordEnabled = true;
    state.commentText = u"Enter the password."_s;
    state.lockImageName = u"NSLockLockedTemplate"_s;
    panel.refresh(state);
    QVERIFY(calls.isEmpty());
    QCOMPARE(panel.accountField()->text(), u"shop"_s);
    QVERIFY(panel.passwordField()->isEnabled());
    QVERIFY(!panel.applyButton()->isEnabled());

    panel.passwordField()->setText(u"secret"_s);
    QTest::keyClick(panel.passwordField(), Qt::Key_Return);
    QCOMPARE(calls.value(0), u"password:secret"_s);
    // Return with Apply disabled applies nothing; Escape is Cancel.
    QVERIFY(!calls.contains(u"segment:1"_s));
    QTest::keyClick(&panel, Qt::Key_Escape);
    QVERIFY(calls.contains(u"segment:0"_s));
    panel.findChild<QPushButton *>(u"withoutProtectionButton"_s)->click();
    QVERIFY(calls.contains(u"unprotected"_s));

    // Closing forgets what was typed.
    panel.close(129);
    QVERIFY(!panel.isVisible());
    QVERIFY(panel.passwordField()->text().isEmpty());
    QVERIFY(panel.accountField()->text().isEmpty());

    // The unlock panel has no way around the password.
    PasswordPanelDialog unlock({{}, {}, {}, {}});
    QVERIFY(!unlock.findChild<QPushButton *>(u"withoutProtectionButton"_s));
}

void tst_Panels::alertsAnswerByButton()
{
    QMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    MessageBoxAlertPresenter presenter(&window);
    ModalAnswerer answers;
    AlertContent content;
    content.number = 201;
    content.title = u"Save the changes?"_s;
    content.message = u"They are lost otherwise."_s;
    content.defaultButton = u"Cancel"_s;
    content.alternateButton = u"Don't Save"_s;
    content.otherButton = u"Save"_s;

    QWidget *shownOn = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    answers.expect([&](QWidget *modal) {
        shownOn = modal->parentWidget();
        modality = modal->windowModality();
        for (QAbstractButton *button : qobject_cast<QMessageBox *>(modal)->buttons())
            if (button->text() == u"Save"_s)
                button->click();
        return true;
    });
    QCOMPARE(presenter.present(content), AlertButton::Other);
    QCOMPARE(shownOn, &window);
    QCOMPARE(modality, Qt::WindowModal);
    answers.clickInBox(u"alert201"_s, u"Don't Save"_s);
    QCOMPARE(presenter.present(content), AlertButton::Alternate);
    answers.clickInBox(u"alert201"_s);
    QCOMPARE(presenter.present(content), AlertButton::Default);

    // Without a default label the standard OK button answers.
    AlertContent plain;
    plain.number = 100;
    plain.message = u"No preferences were stored."_s;
    answers.clickInBox(u"alert100"_s);
    QCOMPARE(presenter.present(plain), AlertButton::Default);
    QVERIFY(answers.done());
}

void tst_Panels::openPanelPicksAPackage()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(u"shop.pgcd/inner"_s));
    const QString package = dir.filePath(u"shop.pgcd"_s);
    ModalAnswerer answers;
    QString path;

    // Open on a selected package opens it instead of descending into it.
    answers.typeIntoFilePanel(package);
    QVERIFY(FilePanels::runOpenPanel(nullptr, {u"pgcd"_s, u"csv"_s}, &path));
    QCOMPARE(path, package);

    // An ordinary folder is still entered, and the panel stays up.
    answers.typeIntoFilePanel(dir.path());
    answers.expect([](QWidget *modal) {
        auto *edit = modal->findChild<QLineEdit *>(u"fileNameEdit"_s);
        if (!edit)
            return false;
        QTest::keyClick(modal, Qt::Key_Escape);
        return true;
    });
    path.clear();
    QVERIFY(!FilePanels::runOpenPanel(nullptr, {u"pgcd"_s}, &path));
    QVERIFY(path.isEmpty());

    QCOMPARE(FilePanels::kindOf(u"/a/b.PGCD"_s), FilePanels::Kind::Package);
    QCOMPARE(FilePanels::kindOf(u"/a/b.csv"_s), FilePanels::Kind::Importable);
    QCOMPARE(FilePanels::kindOf(u"/a/b.pgcl"_s), FilePanels::Kind::Importable);
    QCOMPARE(FilePanels::kindOf(u"/a/b.txt"_s), FilePanels::Kind::Other);
}

void tst_Panels::singleInstanceHandsOverPaths()
{
    // A path with a line break cannot be told apart from two paths: dropped.
    const QStringList paths{u"/tmp/a.pgcd"_s, u"/tmp/商品.csv"_s, u"/tmp/bad\nname.csv"_s, QString()};
    QCOMPARE(SingleInstance::decode(SingleInstance::encode(paths)), (QStringList{u"/tmp/a.pgcd"_s, u"/tmp/商品.csv"_s}));
    QByteArray flood;
    for (int i = 0; i < SingleInstance::kPathLimit + 50; ++i)
        flood += "/x\n\n";
    QCOMPARE(SingleInstance::decode(flood).size(), SingleInstance::kPathLimit);

    QTemporaryDir dir;
    const QString name = dir.filePath(u"rowsmith.socket"_s);
    // A socket file left by a crashed run does not stop the next one.
    QFile stale(name);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance running(name);
    QVERIFY(running.listen());
    QVERIFY((QFileInfo(name).permissions() & (QFile::ReadOther | QFile::WriteOther)) == 0);
    QSignalSpy received(&running, &SingleInstance::pathsReceived);

    const SingleInstance second(name);
    QVERIFY(second.handOver({u"/tmp/a.pgcd"_s, u"/tmp/b.csv"_s}));
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received.at(0).at(0).toStringList(), (QStringList{u"/tmp/a.pgcd"_s, u"/tmp/b.csv"_s}));

    const SingleInstance nobody(dir.filePath(u"none.socket"_s));
    QVERIFY(!nobody.handOver({u"/tmp/a.pgcd"_s}, 200));
}

void tst_Panels::recentFilesKeepTheNewestTen()
{
    QStringList list;
    for (int i = 0; i < 12; ++i)
        list = RecentFiles::withAdded(list, u"/docs/%1.pgcd"_s.arg(i));
    QCOMPARE(list.size(), RecentFiles::kLimit);
    QCOMPARE(list.constFirst(), u"/docs/11.pgcd"_s);
    QCOMPARE(list.constLast(), u"/docs/2.pgcd"_s);
    // Opening one again moves it to the front instead of repeating it.
    list = RecentFiles::withAdded(list, u"/docs/./5.pgcd"_s);
    QCOMPARE(list.constFirst(), u"/docs/5.pgcd"_s);
    QCOMPARE(list.count(u"/docs/5.pgcd"_s), 1);
    QCOMPARE(list.size(), RecentFiles::kLimit);
}

QTEST_MAIN(tst_Panels)
#include "tst_Panels.moc"
