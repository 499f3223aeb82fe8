#include "HeadlessProgressPanel.h"

void HeadlessProgressPanel::showAsSheet(QObject *window)
{
    m_shown = true;
    m_sheet = true;
    m_window = window;
    changed();
}

void HeadlessProgressPanel::showFree()
{
    m_shown = true;
    m_sheet = false;
    m_window = nullptr;
    changed();
}

void HeadlessProgressPanel::setTitle(const QString &title)
{
    m_title = title;
    changed();
}

void HeadlessProgressPanel::setIndeterminate(bool animate)
{
    m_indeterminate = animate;
    changed();
}

void HeadlessProgressPanel::setValue(double value)
{
    m_value = value;
    changed();
}

void HeadlessProgressPanel::setPercentText(const QString &text)
{
    m_percentText = text;
    changed();
}

void HeadlessProgressPanel::setComment(const QString &comment)
{
    m_comment = comment;
    m_commentHistory.append(comment);
    changed();
}

void HeadlessProgressPanel::close()
{
    m_shown = false;
    m_sheet = false;
    m_window = nullptr;
    ++m_closeCount;
    changed();
}

void HeadlessProgressPanel::setChangeCallback(ChangeCallback callback)
{
    m_callback = std::move(callback);
}

void HeadlessProgressPanel::changed()
{
    if (m_callback)
        m_callback(*this);
}
