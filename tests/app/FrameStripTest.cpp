// The frame strip through its real widget: thumbnail sizes as drawn, drawing only what is
// visible, selection by mouse and keyboard, and drops within the strip.
#include "FrameStripFixture.h"

#include <QComboBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

using namespace striptest;

namespace {

// Bounding box of the pure red pixels (the test's frame pictures) inside a rectangle.
QRect redBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                box |= QRect(x, y, 1, 1);
    return box;
}

void pressAt(QWidget* viewport, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(viewport, Qt::LeftButton, modifiers, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, pos);
}

QPoint cellCentre(TFrameStrip& strip, int column)
{
    return strip.cellRect(column).center();
}

void dropOn(TFrameStrip& strip, int column, const char* format)
{
    QMimeData data;
    data.setData(QString::fromLatin1(format), QByteArray("0"));
    const QPointF pos = strip.cellRect(column).center();
    QDragEnterEvent enter(pos.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip.viewport(), &enter);
    QDragMoveEvent move(pos.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip.viewport(), &move);
    QDropEvent drop(pos, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip.viewport(), &drop);
}

} // namespace

TEST(FrameStripThumbnail, SizeFollowsTheLargerSide)
{
    struct Case
    {
        QSize bitmap;
        int frameSize;
        QSize expected;
    };
    const Case cases[] = {
        {{320, 100}, 160, {160, 50}},  {{100, 320}, 160, {50, 160}}, {{80, 60}, 160, {80, 60}},
        {{161, 161}, 160, {161, 161}},                           // up to frame size + 1 is drawn as it is
        {{162, 162}, 160, {160, 160}}, {{1000, 3}, 80, {80, 1}}, // never thinner than a pixel
        {{3, 1000}, 80, {1, 80}},      {{98, 50}, 96, {96, 48}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFrameStrip::thumbnailSize(c.bitmap, c.frameSize), c.expected)
            << c.bitmap.width() << "x" << c.bitmap.height() << " at " << c.frameSize;
}

TEST_F(StripFixture, CellsDrawThumbnailsScaledAndCentred)
{
    openFrames({{320, 100}, {100, 320}, {80, 60}});
    for (int i = 0; i < 3; ++i) // wholly red, so that any scaling keeps the box solid
        frame(i)->setData(std::vector<uint8_t>(size_t(frame(i)->width() * frame(i)->height()), 0));
    strip->scrollToColumn(0);
    const QImage shot = strip->viewport()->grab().toImage();
    const QSize expected[] = {{160, 50}, {50, 160}, {80, 60}};
    for (int column = 0; column < 3; ++column) {
        const QRect cell = strip->cellRect(column);
        if (cell.right() >= shot.width())
            break;
        const QRect box = redBox(shot, cell);
        EXPECT_EQ(box.size(), expected[column]) << "column " << column;
        EXPECT_EQ(box.left() - cell.left(), (cell.width() - expected[column].width()) / 2);
        EXPECT_EQ(box.top() - cell.top(), (cell.height() - expected[column].height()) / 2);
    }
    EXPECT_EQ(strip->columnWidth(), 198);
    EXPECT_EQ(strip->rowHeight(), 222);
}

TEST_F(StripFixture, DrawsOnlyVisibleCellsWhileScrolling)
{
    std::vector<QSize> sizes(300, QSize(40, 30));
    openFrames(sizes);
    const auto [first, last] = strip->visibleColumns();
    ASSERT_GT(last, first);
    strip->resetPaintCounters();
    strip->viewport()->grab(); // paints the viewport as it stands
    EXPECT_EQ(strip->paintedCells(), last - first + 1);

    strip->resetPaintCounters();
    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    strip->viewport()->grab(); // paints the viewport as it stands
    EXPECT_EQ(strip->lastPaintedColumn(), 299);
    EXPECT_LE(strip->paintedCells(), last - first + 2);
}

TEST_F(StripFixture, ClickSelectsTheFrameAndFillsTheLists)
{
    openFrames({{40, 30}, {50, 20}, {60, 10}});
    pressAt(strip->viewport(), cellCentre(*strip, 2));
    EXPECT_EQ(controller->currentFrame(), 2);
    EXPECT_EQ(document->rememberedFrame(), 2);
    EXPECT_EQ(host.shown.last(), 2);
    EXPECT_TRUE(strip->singleSelection());
    EXPECT_EQ(strip->selectionLeft(), 2);

    const QStringList expected = {"Frame 0: [30 x 40]", "Frame 1: [20 x 50]", "Frame 2: [10 x 60]"};
    EXPECT_EQ(host.inspectorView.frames, expected);
    EXPECT_EQ(host.inspectorView.selected, 2);
    ASSERT_EQ(panels->cbCurrentFrame->count(), 4);
    EXPECT_EQ(panels->cbCurrentFrame->itemText(3), "Select All");
    EXPECT_EQ(panels->cbCurrentFrame->currentIndex(), 2);
    EXPECT_EQ(host.inspectorView.values, QStringList({"10", "60", "0", "0", "No", "No", "No", "30", "None"}));
    EXPECT_EQ(host.inspectorView.caption, "Frame Inspector - Untitled1.gif");

    // The move actions follow the position: the last frame cannot move right.
    EXPECT_TRUE(host.actions["FrameMoveUp"]);
    EXPECT_FALSE(host.actions["FrameMoveDown"]);
    EXPECT_TRUE(host.actions["FrameDelete"]);
    EXPECT_EQ(host.documentCommands, 1);

    QTest::keyClick(strip, Qt::Key_Left);
    EXPECT_EQ(controller->currentFrame(), 1);
    EXPECT_TRUE(host.actions["FrameMoveDown"]);
}

TEST_F(StripFixture, CtrlClickSelectsARangeFromTheCurrentFrame)
{
    openFrames({{40, 30}, {40, 30}, {40, 30}});
    pressAt(strip->viewport(), cellCentre(*strip, 1), Qt::ControlModifier);
    EXPECT_EQ(strip->selectionLeft(), 0);
    EXPECT_EQ(strip->selectionRight(), 1);
    EXPECT_EQ(controller->currentFrame(), 0);
    EXPECT_EQ(panels->cbCurrentFrame->currentIndex(), 0);

    pressAt(strip->viewport(), cellCentre(*strip, 2), Qt::ControlModifier);
    EXPECT_TRUE(strip->allSelected());
    EXPECT_EQ(panels->cbCurrentFrame->currentText(), "Select All");
}

TEST_F(StripFixture, ClearedStripIgnoresSelectionUntilThePointerIsPressed)
{
    openFrames({{40, 30}, {40, 30}});
    controller->clearFrameStrip();
    EXPECT_EQ(controller->currentFrame(), -1);
    EXPECT_EQ(controller->frameColumnCount(), 1);
    EXPECT_FALSE(strip->selectionAttached());
    host.shown.clear();
    QTest::keyClick(strip, Qt::Key_End); // a rebuilt strip moving its cursor selects nothing
    EXPECT_TRUE(host.shown.isEmpty());

    controller->setFrameColumns(2);
    pressAt(strip->viewport(), cellCentre(*strip, 1));
    EXPECT_EQ(host.shown, QList<int>({1}));
}

// The move itself is the command set's (tested through the main window); the strip only hands
// the target column over.
TEST_F(StripFixture, DroppingAFrameHandsTheTargetColumnToTheMovePath)
{
    openFrames({{40, 30}, {50, 30}, {60, 30}});
    dropOn(*strip, 2, TFrameStrip::kFrameMime);
    EXPECT_EQ(host.frameDrops, QList<int>({2}));
}

TEST_F(StripFixture, DropsOnTheCurrentFrameOrWithoutADocumentChangeNothing)
{
    openFrames({{40, 30}, {50, 30}});
    dropOn(*strip, 0, TFrameStrip::kFrameMime); // onto itself
    setHasDocument(false);
    dropOn(*strip, 1, TFrameStrip::kFrameMime);
    EXPECT_TRUE(host.frameDrops.isEmpty());
    EXPECT_EQ(recorded(), 0);
    EXPECT_EQ(frame(0)->width(), 40);

    setHasDocument(true);
    dropOn(*strip, 1, TFrameStrip::kViewMime);
    EXPECT_EQ(host.viewDrops, QList<int>({1}));
}

TEST_F(StripFixture, ACellWiderThanTheViewportShowsFromItsLeftEdge)
{
    openFrames({{40, 30}, {50, 30}, {60, 30}});
    strip->resize(60, strip->height());
    for (int column : {1, 0, 2}) {
        strip->scrollToColumn(column);
        EXPECT_EQ(strip->horizontalScrollBar()->value(), column * strip->columnWidth()) << column;
    }
}
