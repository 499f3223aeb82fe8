#pragma once

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>

// Answers the modal panels a flow opens, in order: each answer gets the
// front modal widget and says whether it took it. Polling keeps working
// inside the panels' own event loops, so no modal is left waiting.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<bool(QWidget *modal)>;

    ModalAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(10);
    }

    void expect(Answer answer) { m_answers.push_back(std::move(answer)); }
    // Message boxes named with this prefix are answered with their default
    // button whenever they come, outside the queue.
    void alwaysDismiss(const QString &prefix) { m_dismissed.append(prefix); }
    bool done() const { return m_answers.empty(); }

    // A message box whose object name starts with prefix: the button whose
    // text is buttonText, or the default button when it is empty.
    void clickInBox(const QString &prefix, const QString &buttonText = QString())
    {
        expect([prefix, buttonText](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box || !box->objectName().startsWith(prefix))
                return false;
            QAbstractButton *button = box->defaultButton();
            for (QAbstractButton *candidate : box->buttons())
                if (!buttonText.isEmpty() && candidate->text() == buttonText)
                    button = candidate;
            if (!button)
                return false;
            button->click();
            return true;
        });
    }

    // A file panel: the path typed into its name field, then Return.
    void typeIntoFilePanel(const QString &path)
    {
        expect([path](QWidget *modal) {
            auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!edit)
                return false;
            edit->setText(path);
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            for (const QString &prefix : std::as_const(m_dismissed)) {
                if (box->objectName().startsWith(prefix) && box->defaultButton()) {
                    box->defaultButton()->click();
                    return;
                }
            }
        }
        if (m_answers.empty())
            return;
        if (m_answers.front()(modal))
            m_answers.pop_front();
    }

    QTimer m_timer;
    std::deque<Answer> m_answers;
    QStringList m_dismissed;
};
