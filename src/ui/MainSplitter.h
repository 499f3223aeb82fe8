#pragma once

#include "SplitDivider.h"

#include <QSplitter>

class MainSplitSource;

// The document window's two panes, tool pane and preview, one above the
// other. The divider follows SplitDivider while dragged and after every
// resize; which pane is on top follows the document's split state.
class MainSplitter : public QSplitter
{
    Q_OBJECT
public:
    MainSplitter(MainSplitSource *source, QWidget *toolPane, QWidget *preview,
                 QWidget *parent = nullptr);

    // A new window: measure, tool pane at its largest, divider placed.
    void startLayout();
    // Puts the panes in the order of the split state and places the divider
    // for the recorded tool pane height.
    void applySplitState(bool toolAtBottom);
    // Where a drag to this position leaves the divider.
    int dragTo(int position);
    int toolPaneHeight() const;
    SplitDivider &divider() { return m_divider; }

protected:
    QSplitterHandle *createHandle() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void measure();
    void placeDivider();

    MainSplitSource *m_source;
    SplitDivider m_divider;
    QWidget *m_toolPane;
    QWidget *m_preview;
};
