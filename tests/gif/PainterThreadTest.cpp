// Asynchronous painters against the main thread with the real clock: drawing on several
// canvases, stopping, clearing and destroying images while painters run, and handlers that
// tear the image down from inside a painter's event. Run under ThreadSanitizer as well; every
// test must end with no painter left and without deadlock.
#include "PainterTestSupport.h"

#include "graphics/Canvas.h"
#include "graphics/MainThreadDispatcher.h"

#include <chrono>
#include <thread>

using paintertest::buildAnimation;

namespace {

void serveFor(int milliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until)
        TMainThreadDispatcher::instance().waitAndProcess(1);
}

// Fast real-time animation: delay 3 at speed 1000 is a few milliseconds per frame.
void buildFast(TGIFImage& image, int frames = 4)
{
    buildAnimation(image, std::vector<int>(size_t(frames), 3), 0);
    image.setAnimationSpeed(1000);
    image.setDrawOptions(goAsync | goAnimate | goLoop | goTransparent | goDirectDraw);
}

TEST(PainterThread, DrawingOnASecondCanvasStopsThePainterOfTheFirst)
{
    setPainterClock(nullptr);
    TGIFImage image;
    buildFast(image);
    TBitmap first(2, 2, pfDevice);
    TBitmap second(2, 2, pfDevice);
    image.draw(first.canvas(), QRect(0, 0, 2, 2));
    TGIFPainter* painterOfFirst = image.currentPainter();
    ASSERT_NE(painterOfFirst, nullptr);
    EXPECT_EQ(painterOfFirst->canvas(), &first.canvas());
    // The same canvas and rectangle again: the running painter carries on.
    image.draw(first.canvas(), QRect(0, 0, 2, 2));
    EXPECT_EQ(image.currentPainter(), painterOfFirst);
    image.draw(second.canvas(), QRect(0, 0, 2, 2));
    TGIFPainter* painterOfSecond = image.currentPainter();
    ASSERT_NE(painterOfSecond, nullptr);
    EXPECT_EQ(painterOfSecond->canvas(), &second.canvas());
    {
        std::lock_guard lock(image.paintersLock());
        EXPECT_EQ(image.painters().size(), 1u);
    }
    image.stopPainting();
    EXPECT_EQ(image.currentPainter(), nullptr);
    EXPECT_TRUE(image.painters().empty());
}

TEST(PainterThread, ComposedDrawShowsTheFirstFrameAtOnce)
{
    setPainterClock(nullptr);
    TGIFImage image;
    buildFast(image);
    image.setDrawOptions(goAsync | goAnimate | goLoop | goTransparent);
    TBitmap canvas(4, 4, pfDevice);
    image.draw(canvas.canvas(), QRect(0, 0, 4, 4));
    // Frame 0 is index 0 of the global map: black, drawn from the composed bitmap.
    EXPECT_EQ(canvas.pixelRgb(3, 3), qRgb(0, 0, 0));
    ASSERT_NE(image.currentPainter(), nullptr);
    serveFor(20);
    image.stopCurrentPainter();
    EXPECT_EQ(image.currentPainter(), nullptr);
    EXPECT_FALSE(image.bitmap() == nullptr) << "the first frame is composed again on request";
}

TEST(PainterThread, StartDrawStopClearAndDestroyInALoop)
{
    setPainterClock(nullptr);
    for (int round = 0; round < 25; ++round) {
        auto image = std::make_unique<TGIFImage>();
        buildFast(*image, 3 + round % 3);
        int afterFrames = 0;
        image->onAfterPaint = [&](TObject*) {
            ++afterFrames;
        };
        TBitmap a(2, 2, pfDevice);
        TBitmap b(3, 3, pfDevice);
        image->draw(a.canvas(), QRect(0, 0, 2, 2));
        // A second, independent painter on another canvas.
        TGIFPainter* extra = image->paint(b.canvas(), QRect(0, 0, 3, 3), image->drawOptions());
        ASSERT_NE(extra, nullptr);
        extra->start();
        serveFor(round % 4);
        switch (round % 4) {
        case 0:
            image->stopPainting();
            break;
        case 1:
            image->clear();
            break;
        case 2:
            image->draw(b.canvas(), QRect(0, 0, 3, 3));
            image->stopCurrentPainter();
            break;
        default:
            break; // destroyed while both run
        }
        image.reset();
    }
}

TEST(PainterThread, HandlersMayClearOrDestroyTheImageFromInsideAnEvent)
{
    setPainterClock(nullptr);
    for (int round = 0; round < 10; ++round) {
        auto image = std::make_unique<TGIFImage>();
        buildFast(*image);
        TBitmap canvas(2, 2, pfDevice);
        bool torn = false;
        bool ended = false;
        TGIFImage* raw = image.get();
        image->onEndPaint = [&](TObject*) {
            ended = true;
        };
        image->onAfterPaint = [&, raw](TObject*) {
            if (torn)
                return;
            torn = true;
            if (round % 2 == 0)
                raw->clear();
            else
                image.reset(); // destroys the image beneath its own painter's event
        };
        raw->draw(canvas.canvas(), QRect(0, 0, 2, 2));
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!torn && std::chrono::steady_clock::now() < limit)
            TMainThreadDispatcher::instance().waitAndProcess(1);
        ASSERT_TRUE(torn);
        if (image) {
            image->stopPainting();
            EXPECT_TRUE(image->painters().empty());
            EXPECT_EQ(image->currentPainter(), nullptr);
        }
        serveFor(5); // a detached painter ends on its own
        (void)ended;
    }
}

TEST(PainterThread, RestartBeginsAgainWithANewStartEvent)
{
    auto clock = std::make_shared<TManualPainterClock>();
    setPainterClock(clock);
    TGIFImage image;
    buildAnimation(image, {10, 10, 10});
    int starts = 0;
    image.onStartPaint = [&](TObject*) {
        ++starts;
    };
    TBitmap canvas(2, 2, pfDevice);
    TGIFPainter* slot = nullptr;
    TGIFPainter* painter =
        image.paint(canvas.canvas(), QRect(0, 0, 2, 2), goAsync | goAnimate | goTransparent, &slot);
    ASSERT_NE(painter, nullptr);
    painter->start();
    ASSERT_TRUE(clock->waitForWaits(1));
    painter->restart();
    ASSERT_TRUE(clock->waitForWaits(2));
    EXPECT_EQ(starts, 2);
    image.stopPainting();
    EXPECT_EQ(slot, nullptr);
    setPainterClock(nullptr);
}

} // namespace
