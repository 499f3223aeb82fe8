#pragma once

class MainSplitSource;

// The divider arithmetic of the document window's split view, kept free of
// widgets so that its limits can be checked exactly. Heights and positions
// are in points from the top of the split view; every value it works out is
// recorded in the document's split source, which is what the package keeps.
class SplitDivider
{
public:
    static constexpr float kThickness = 9.0f;
    static constexpr float kToolHeightMax = 324.0f;
    static constexpr float kToolHeightMin = 36.0f;
    static constexpr float kMargin = 2.0f;

    explicit SplitDivider(MainSplitSource *source) : m_source(source) {}

    // A new window: the tool pane at its largest.
    void start(float width, float height, bool toolAtBottom);
    // Takes the split view's size and works out the position limits.
    void measure(float width, float height, bool toolAtBottom);
    // The drag limits; each records what the split view proposed.
    float minimumPosition(float proposedMin);
    float maximumPosition(float proposedMax);
    // A dragged position in, the divider's new position out. A position
    // outside the limits is first brought inside, as the split view itself
    // does, so that the tool pane never grows past its largest height.
    float constrainPosition(float proposed);
    // Where the divider belongs for the recorded tool pane height.
    float dividerPosition() const;

    bool toolAtBottom() const { return m_toolAtBottom; }

private:
    MainSplitSource *m_source;
    bool m_toolAtBottom = false;
};
