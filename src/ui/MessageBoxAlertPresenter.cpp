#include "MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

AlertButton MessageBoxAlertPresenter::present(const AlertContent &content)
{
    if (QThread::currentThread() == qApp->thread())
        return presentOnMainThread(content);
    AlertButton answer = AlertButton::Default;
    QMetaObject::invokeMethod(
        qApp, [&] { answer = presentOnMainThread(content); }, Qt::BlockingQueuedConnection);
    return answer;
}

QWidget *MessageBoxAlertPresenter::parentWindow() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_fallbackParent;
}

void MessageBoxAlertPresenter::openAndWait(QMessageBox &box)
{
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    box.open();
    loop.exec();
}

AlertButton MessageBoxAlertPresenter::presentOnMainThread(const AlertContent &content)
{
    QMessageBox box(QMessageBox::Critical, content.title, QString(), QMessageBox::NoButton,
                    parentWindow());
    box.setObjectName(QStringLiteral("alert%1").arg(content.number));
    box.setTextFormat(Qt::PlainText);
    box.setText(content.title.isEmpty() ? content.message : content.title);
    if (!content.title.isEmpty())
        box.setInformativeText(content.message);

    QAbstractButton *defaultButton = box.addButton(
        content.defaultButton.isEmpty() ? QApplication::translate("QPlatformTheme", "OK")
                                        : content.defaultButton,
        QMessageBox::AcceptRole);
    QAbstractButton *alternate = content.alternateButton.isEmpty()
        ? nullptr
        : box.addButton(content.alternateButton, QMessageBox::DestructiveRole);
    QAbstractButton *other = content.otherButton.isEmpty()
        ? nullptr
        : box.addButton(content.otherButton, QMessageBox::ActionRole);
    box.setDefaultButton(qobject_cast<QPushButton *>(defaultButton));
    box.setEscapeButton(defaultButton);
    openAndWait(box);

    if (box.clickedButton() == alternate && alternate)
        return AlertButton::Alternate;
    if (box.clickedButton() == other && other)
        return AlertButton::Other;
    return AlertButton::Default;
}
