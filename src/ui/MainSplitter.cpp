#include "MainSplitter.h"

#include "document/MainSplitSource.h"

#include <QMouseEvent>
#include <QSplitterHandle>

#include <cmath>

namespace {

// Routes a drag through the splitter's arithmetic instead of Qt's own.
class ConstrainedHandle : public QSplitterHandle
{
public:
    explicit ConstrainedHandle(MainSplitter *parent) : QSplitterHandle(Qt::Vertical, parent), m_owner(parent) {}

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_offset = qRound(event->position().y());
        QSplitterHandle::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        const int y = m_owner->mapFromGlobal(event->globalPosition().toPoint()).y() - m_offset;
        m_owner->dragTo(y);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            mouseMoveEvent(event);
        QSplitterHandle::mouseReleaseEvent(event);
    }

private:
    MainSplitter *m_owner;
    int m_offset = 0;
};

} // namespace

MainSplitter::MainSplitter(MainSplitSource *source, QWidget *toolPane, QWidget *preview, QWidget *parent)
    : QSplitter(Qt::Vertical, parent)
    , m_source(source)
    , m_divider(source)
    , m_toolPane(toolPane)
    , m_preview(preview)
{
    setHandleWidth(int(SplitDivider::kThickness));
    setChildrenCollapsible(false);
    setOpaqueResize(true);
    addWidget(toolPane);
    addWidget(preview);
    toolPane->setMinimumHeight(0);
    preview->setMinimumHeight(0);
}

QSplitterHandle *MainSplitter::createHandle()
{
    return new ConstrainedHandle(this);
}

void MainSplitter::measure()
{
    m_divider.measure(float(width()), float(height()), m_divider.toolAtBottom());
}

void MainSplitter::startLayout()
{
    m_divider.start(float(width()), float(height()), m_divider.toolAtBottom());
    placeDivider();
}

void MainSplitter::applySplitState(bool toolAtBottom)
{
    if (indexOf(m_toolPane) != (toolAtBottom ? 1 : 0))
        insertWidget(toolAtBottom ? 1 : 0, m_toolPane);
    m_divider.measure(float(width()), float(height()), toolAtBottom);
    placeDivider();
}

int MainSplitter::dragTo(int position)
{
    m_divider.minimumPosition(0);
    m_divider.maximumPosition(float(height()) - SplitDivider::kThickness);
    const int placed = int(std::lround(m_divider.constrainPosition(float(position))));
    setSizes({placed, qMax(0, height() - handleWidth() - placed)});
    return placed;
}

void MainSplitter::placeDivider()
{
    const int position = qMax(0, int(std::lround(m_divider.dividerPosition())));
    setSizes({position, qMax(0, height() - handleWidth() - position)});
}

int MainSplitter::toolPaneHeight() const
{
    return m_toolPane->height();
}

void MainSplitter::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    measure();
    placeDivider();
}
