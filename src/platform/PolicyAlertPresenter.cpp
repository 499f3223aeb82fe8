#include "PolicyAlertPresenter.h"

#include <QTextStream>

namespace {

QString buttonText(const AlertContent &content, AlertButton button)
{
    switch (button) {
    case AlertButton::Default:
        return content.defaultButton.isEmpty() ? QStringLiteral("OK") : content.defaultButton;
    case AlertButton::Alternate:
        return content.alternateButton;
    case AlertButton::Other:
        return content.otherButton;
    }
    return {};
}

bool hasButton(const AlertContent &content, AlertButton button)
{
    return button == AlertButton::Default || !buttonText(content, button).isEmpty();
}

} // namespace

PolicyAlertPresenter::PolicyAlertPresenter(AlertButton fallback) : m_fallback(fallback) {}

AlertButton PolicyAlertPresenter::present(const AlertContent &content)
{
    QMutexLocker locker(&m_mutex);
    AlertButton answer = m_script.isEmpty() ? m_fallback : m_script.dequeue();
    if (!hasButton(content, answer))
        answer = AlertButton::Default;
    m_shown.append(content);
    if (m_echo)
        echo(content, answer);
    return answer;
}

void PolicyAlertPresenter::enqueue(AlertButton button)
{
    QMutexLocker locker(&m_mutex);
    m_script.enqueue(button);
}

void PolicyAlertPresenter::enqueue(std::initializer_list<AlertButton> buttons)
{
    QMutexLocker locker(&m_mutex);
    for (AlertButton button : buttons)
        m_script.enqueue(button);
}

qsizetype PolicyAlertPresenter::pendingAnswers() const
{
    QMutexLocker locker(&m_mutex);
    return m_script.size();
}

void PolicyAlertPresenter::setFallback(AlertButton button)
{
    QMutexLocker locker(&m_mutex);
    m_fallback = button;
}

AlertButton PolicyAlertPresenter::fallback() const
{
    QMutexLocker locker(&m_mutex);
    return m_fallback;
}

void PolicyAlertPresenter::setEcho(QTextStream *stream)
{
    QMutexLocker locker(&m_mutex);
    m_echo = stream;
}

QList<AlertContent> PolicyAlertPresenter::shownAlerts() const
{
    QMutexLocker locker(&m_mutex);
    return m_shown;
}

qsizetype PolicyAlertPresenter::shownCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_shown.size();
}

void PolicyAlertPresenter::clearShownAlerts()
{
    QMutexLocker locker(&m_mutex);
    m_shown.clear();
}

// Called with m_mutex held. One block per alert, for example:
//   alert 261: Change the column titles?
//     The new column titles will be applied to every row of the list. ...
//     buttons: [Cancel] [Change Titles]; answered: Cancel
void PolicyAlertPresenter::echo(const AlertContent &content, AlertButton answer)
{
    QTextStream &out = *m_echo;
    out << "alert " << content.number << ": " << content.title << '\n';
    if (!content.message.isEmpty())
        out << "  " << content.message << '\n';
    out << "  buttons:";
    for (AlertButton button : {AlertButton::Default, AlertButton::Alternate, AlertButton::Other}) {
        if (hasButton(content, button))
            out << " [" << buttonText(content, button) << ']';
    }
    out << "; answered: " << buttonText(content, answer) << '\n';
    out.flush();
}
