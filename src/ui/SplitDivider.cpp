#include "SplitDivider.h"

#include "document/MainSplitSource.h"

#include <algorithm>

void SplitDivider::start(float width, float height, bool toolAtBottom)
{
    measure(width, height, toolAtBottom);
    m_source->registerProposedHeight(kToolHeightMax);
    m_source->registerProposedPosition(kToolHeightMax);
}

void SplitDivider::measure(float width, float height, bool toolAtBottom)
{
    m_toolAtBottom = toolAtBottom;
    m_source->registerWidthOfSplitView(width);
    m_source->registerHeightOfSplitView(height);
    m_source->registerProposedMax(height - kThickness);
    if (toolAtBottom) {
        m_source->registerHeightMax(height - kThickness - (kToolHeightMin + kMargin));
        m_source->registerHeightMin(height - kThickness - (kToolHeightMax + kMargin));
    } else {
        m_source->registerHeightMax(kToolHeightMax);
        m_source->registerHeightMin(kToolHeightMin);
    }
}

float SplitDivider::minimumPosition(float proposedMin)
{
    m_source->registerProposedMin(proposedMin);
    return m_source->heightMin();
}

float SplitDivider::maximumPosition(float proposedMax)
{
    m_source->registerProposedMax(proposedMax);
    return m_source->heightMax();
}

float SplitDivider::constrainPosition(float proposed)
{
    const float heightMax = m_source->heightMax();
    const float heightMin = m_source->heightMin();
    const float proposedMax = m_source->proposedMax();
    // In a split view too low for both limits the minimum wins.
    const float p = std::max(heightMin, std::min(proposed, heightMax));
    const float current = m_source->proposedHeight();
    float height = 0;
    if (current <= p) {
        if (m_toolAtBottom)
            height = heightMax <= p ? proposedMax - heightMax : proposedMax - p;
        else
            height = heightMax <= p ? heightMax : p;
    } else if (heightMin < p) {
        if (m_toolAtBottom)
            height = heightMin >= p ? proposedMax - heightMin : proposedMax - p;
        else
            height = heightMin >= p ? heightMin : p;
    } else {
        return m_source->proposedPosition();
    }
    m_source->registerProposedHeight(height);
    m_source->registerProposedPosition(m_toolAtBottom ? proposedMax - height : height);
    return m_source->proposedPosition();
}

float SplitDivider::dividerPosition() const
{
    return m_toolAtBottom ? m_source->proposedMax() - m_source->proposedHeight()
                          : m_source->proposedHeight();
}
