#include "MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
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

AlertButton MessageBoxAlertPresenter::presentOnMainThread(const AlertContent &content)
{
    QMessageBox box(QMessageBox::Critical, content.title, QString(), QMessageBox::NoButton,
                    m_parent);
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
    box.exec();

    if (box.clickedButton() == alternate && alternate)
        return AlertButton::Alternate;
    if (box.clickedButton() == other && other)
        return AlertButton::Other;
    return AlertButton::Default;
}
