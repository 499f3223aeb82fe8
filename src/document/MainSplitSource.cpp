#include "MainSplitSource.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

using namespace Qt::StringLiterals;

namespace {
constexpr auto kControlViewWithState = u"controlViewWithState";
constexpr auto kToolSelectWihtState = u"toolSelectWihtState";
constexpr auto kWidthOfSplitView = u"widthOfSplitView";
constexpr auto kHeightOfSplitView = u"heightOfSplitView";
constexpr auto kProposedMax = u"proposedMax";
constexpr auto kProposedMin = u"proposedMin";
constexpr auto kProposedPosition = u"proposedPosition";
constexpr auto kHeightMax = u"heightMax";
constexpr auto kHeightMin = u"heightMin";
constexpr auto kProposedHeight = u"proposedHeight";
constexpr auto kVerticalPoint = u"verticalPoint";
} // namespace

MainSplitSource::MainSplitSource() = default;

void MainSplitSource::initializationUserObject()
{
    *this = MainSplitSource();
}

void MainSplitSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeBool(m_controlViewWithState, kControlViewWithState);
    coder.encodeInt32(m_toolSelectWihtState, kToolSelectWihtState);
    coder.encodeFloat(m_widthOfSplitView, kWidthOfSplitView);
    coder.encodeFloat(m_heightOfSplitView, kHeightOfSplitView);
    coder.encodeFloat(m_proposedMax, kProposedMax);
    coder.encodeFloat(m_proposedMin, kProposedMin);
    coder.encodeFloat(m_proposedPosition, kProposedPosition);
    coder.encodeFloat(m_heightMax, kHeightMax);
    coder.encodeFloat(m_heightMin, kHeightMin);
    coder.encodeFloat(m_proposedHeight, kProposedHeight);
    coder.encodePoint(m_verticalPoint, kVerticalPoint);
}

bool MainSplitSource::initWithCoder(const ArchiveDecoder &coder)
{
    registerControlViewWithState(coder.decodeBool(kControlViewWithState));
    // A missing key keeps the default tool rather than selecting none.
    if (coder.kindForKey(kToolSelectWihtState) != ArchiveKind::None)
        registerToolSelectWihtState(coder.decodeInt32(kToolSelectWihtState));
    registerWidthOfSplitView(coder.decodeFloat(kWidthOfSplitView));
    registerHeightOfSplitView(coder.decodeFloat(kHeightOfSplitView));
    registerProposedMax(coder.decodeFloat(kProposedMax));
    registerProposedMin(coder.decodeFloat(kProposedMin));
    registerProposedPosition(coder.decodeFloat(kProposedPosition));
    registerHeightMax(coder.decodeFloat(kHeightMax));
    registerHeightMin(coder.decodeFloat(kHeightMin));
    registerProposedHeight(coder.decodeFloat(kProposedHeight));
    registerVerticalPoint(coder.decodePoint(kVerticalPoint));
    return true;
}

bool MainSplitSource::setTheEnvironmentalAtDecoder(const MainSplitSource *other)
{
    if (!other)
        return false;
    m_controlViewWithState = other->m_controlViewWithState;
    m_toolSelectWihtState = other->m_toolSelectWihtState;
    m_widthOfSplitView = other->m_widthOfSplitView;
    m_heightOfSplitView = other->m_heightOfSplitView;
    m_proposedMax = other->m_proposedMax;
    m_proposedMin = other->m_proposedMin;
    m_proposedPosition = other->m_proposedPosition;
    m_heightMax = other->m_heightMax;
    m_heightMin = other->m_heightMin;
    m_proposedHeight = other->m_proposedHeight;
    m_verticalPoint = other->m_verticalPoint;
    return true;
}
