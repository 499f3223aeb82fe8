#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The persisted layout of the document window's main split view. The scroll
// and clip bounds and the scroll quantity are transient and never archived.
class MainSplitSource
{
public:
    MainSplitSource();

    static QString archiveClassName() { return QStringLiteral("MainSplitSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    // Copies the eleven archived fields.
    bool setTheEnvironmentalAtDecoder(const MainSplitSource *other);

    bool controlViewWithState() const { return m_controlViewWithState; }
    void registerControlViewWithState(bool state) { m_controlViewWithState = state; }
    qint32 toolSelectWihtState() const { return m_toolSelectWihtState; }
    void registerToolSelectWihtState(qint32 state) { m_toolSelectWihtState = state; }
    float widthOfSplitView() const { return m_widthOfSplitView; }
    void registerWidthOfSplitView(float value) { m_widthOfSplitView = value; }
    float heightOfSplitView() const { return m_heightOfSplitView; }
    void registerHeightOfSplitView(float value) { m_heightOfSplitView = value; }
    float proposedMax() const { return m_proposedMax; }
    void registerProposedMax(float value) { m_proposedMax = value; }
    float proposedMin() const { return m_proposedMin; }
    void registerProposedMin(float value) { m_proposedMin = value; }
    float proposedPosition() const { return m_proposedPosition; }
    void registerProposedPosition(float value) { m_proposedPosition = value; }
    float heightMax() const { return m_heightMax; }
    void registerHeightMax(float value) { m_heightMax = value; }
    float heightMin() const { return m_heightMin; }
    void registerHeightMin(float value) { m_heightMin = value; }
    float proposedHeight() const { return m_proposedHeight; }
    void registerProposedHeight(float value) { m_proposedHeight = value; }
    QRectF scrollBounds() const { return m_scrollBounds; }
    void registerScrollBounds(const QRectF &rect) { m_scrollBounds = rect; }
    QRectF clipBounds() const { return m_clipBounds; }
    void registerClipBounds(const QRectF &rect) { m_clipBounds = rect; }
    QPointF verticalPoint() const { return m_verticalPoint; }
    void registerVerticalPoint(const QPointF &point) { m_verticalPoint = point; }
    float quantityScroll() const { return m_quantityScroll; }
    void registerQuantityScroll(float value) { m_quantityScroll = value; }

private:
    bool m_controlViewWithState = false;
    qint32 m_toolSelectWihtState = 1;
    float m_widthOfSplitView = 0;
    float m_heightOfSplitView = 0;
    float m_proposedMax = 0;
    float m_proposedMin = 0;
    float m_proposedPosition = 0;
    float m_heightMax = 0;
    float m_heightMin = 0;
    float m_proposedHeight = 0;
    QRectF m_scrollBounds;
    QRectF m_clipBounds;
    QPointF m_verticalPoint;
    float m_quantityScroll = 0;
};
