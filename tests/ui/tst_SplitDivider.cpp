#include "DocumentWindow.h"
#include "MainSplitter.h"
#include "SplitDivider.h"

#include "document/MainSplitSource.h"

#include <QLabel>
#include <QtTest>

class tst_SplitDivider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toolPaneOnTop();
    void toolPaneAtBottom();
    void splitterFollowsTheArithmetic();
    void restoredFrameIsClamped();
};

void tst_SplitDivider::toolPaneOnTop()
{
    MainSplitSource source;
    SplitDivider divider(&source);
    divider.start(800, 600, false);
    QCOMPARE(source.proposedMax(), 591.0f);
    QCOMPARE(source.heightMax(), 324.0f);
    QCOMPARE(source.heightMin(), 36.0f);
    QCOMPARE(divider.dividerPosition(), 324.0f);

    // Past the largest height the pane stops at it.
    QCOMPARE(divider.constrainPosition(400), 324.0f);
    QCOMPARE(source.proposedHeight(), 324.0f);

    // Reducing: below the smallest height nothing moves, above it the pane follows.
    QCOMPARE(divider.constrainPosition(100), 100.0f);
    QCOMPARE(divider.constrainPosition(30), 100.0f);
    QCOMPARE(source.proposedHeight(), 100.0f);
    QCOMPARE(divider.constrainPosition(50), 50.0f);
    QCOMPARE(source.proposedHeight(), 50.0f);
    QCOMPARE(divider.constrainPosition(200), 200.0f);

    // The drag limits record what the split view proposed.
    QCOMPARE(divider.minimumPosition(0), 36.0f);
    QCOMPARE(source.proposedMin(), 0.0f);
    QCOMPARE(divider.maximumPosition(591), 324.0f);
}

void tst_SplitDivider::toolPaneAtBottom()
{
    MainSplitSource source;
    SplitDivider divider(&source);
    divider.start(800, 1000, true);
    QCOMPARE(source.heightMax(), 1000.0f - 9.0f - 38.0f);
    QCOMPARE(source.heightMin(), 1000.0f - 9.0f - 326.0f);
    QCOMPARE(divider.dividerPosition(), 991.0f - 324.0f);

    QCOMPARE(divider.constrainPosition(800), 800.0f);
    QCOMPARE(source.proposedHeight(), 191.0f);
    // To the very bottom: the pane keeps its smallest height and margin.
    QCOMPARE(divider.constrainPosition(990), 953.0f);
    QCOMPARE(source.proposedHeight(), 38.0f);
    // A drag far up never lets the bottom pane grow past its largest height.
    divider.constrainPosition(600);
    QVERIFY(source.proposedHeight() <= 326.0f);
    QCOMPARE(divider.dividerPosition(), source.heightMin());

    // A split view too low for the limits keeps the pane at the minimum.
    divider.measure(800, 200, true);
    const float placed = divider.constrainPosition(10);
    QVERIFY(placed >= source.heightMin());
}

void tst_SplitDivider::splitterFollowsTheArithmetic()
{
    MainSplitSource source;
    auto *tool = new QLabel(QStringLiteral("tool"));
    auto *preview = new QLabel(QStringLiteral("preview"));
    MainSplitter splitter(&source, tool, preview);
    splitter.resize(800, 600);
    splitter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splitter));
    splitter.startLayout();
    QCOMPARE(splitter.sizes().constFirst(), 324);

    QCOMPARE(splitter.dragTo(400), 324);
    QCOMPARE(splitter.dragTo(120), 120);
    QCOMPARE(splitter.sizes().constFirst(), 120);

    // Flipping twice returns the panes and the divider to where they were.
    splitter.applySplitState(true);
    QCOMPARE(splitter.widget(1), tool);
    QCOMPARE(splitter.sizes().at(1), 120);
    splitter.applySplitState(false);
    QCOMPARE(splitter.widget(0), tool);
    QCOMPARE(splitter.sizes().constFirst(), 120);

    // A taller window keeps the tool pane's height.
    splitter.resize(800, 900);
    QCOMPARE(splitter.sizes().constFirst(), 120);
    QCOMPARE(source.heightOfSplitView(), 900.0f);
}

void tst_SplitDivider::restoredFrameIsClamped()
{
    const QRect screen(0, 0, 1280, 800);
    const QSize minimum(640, 420);
    const QSize maximum(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Larger than the screen: the screen's size, inside it.
    QCOMPARE(DocumentWindow::clampedFrame(QRect(-50, 100, 3000, 2000), minimum, maximum, screen),
             QRect(0, 0, 1280, 800));
    // Larger than the window's own maximum.
    QCOMPARE(DocumentWindow::clampedFrame(QRect(10, 10, 1000, 700), minimum, QSize(900, 600), screen),
             QRect(10, 10, 900, 600));
    // Smaller than the minimum, and off screen to the bottom right.
    QCOMPARE(DocumentWindow::clampedFrame(QRect(2000, 2000, 100, 100), minimum, maximum, screen),
             QRect(640, 380, 640, 420));
    // A frame that fits stays as it was.
    QCOMPARE(DocumentWindow::clampedFrame(QRect(20, 30, 800, 600), minimum, maximum, screen),
             QRect(20, 30, 800, 600));
}

QTEST_MAIN(tst_SplitDivider)
#include "tst_SplitDivider.moc"
