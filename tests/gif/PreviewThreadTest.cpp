// The preview's painter against the main thread with the real clock, in the order the editor's
// playback uses it: play one animation, stop it, switch to another, stop from inside the end or
// a frame event, destroy while painting. Runs under ThreadSanitizer as well; every case must end
// with no painter left, no event for a cleared copy and no deadlock.
#include "PainterTestSupport.h"

#include "gif/GIFPreview.h"
#include "graphics/MainThreadDispatcher.h"

#include <chrono>

using paintertest::buildAnimation;

namespace {

constexpr TGIFDrawOptions kPlayOptions = TGIFDrawOptions(1551);

void serveFor(int milliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until)
        TMainThreadDispatcher::instance().waitAndProcess(1);
}

// Delay 3 at speed 1000: a few milliseconds per frame. loops as stored (0 = forever).
void buildFast(TGIFImage& image, int frames, int loops)
{
    buildAnimation(image, std::vector<int>(size_t(frames), 3), loops);
    image.setAnimationSpeed(1000);
}

TEST(PreviewThread, PlayStopSwitchAndDestroyInALoop)
{
    setPainterClock(nullptr);
    TGIFImage first;
    TGIFImage second;
    buildFast(first, 4, 0);
    buildFast(second, 3, 1);
    for (int round = 0; round < 30; ++round) {
        auto preview = std::make_unique<TGIFPreview>();
        // Events must only ever come for the copy being played.
        const TGIFImage* played = nullptr;
        int stray = 0;
        preview->onFrame = [&](TObject* sender) {
            if (static_cast<TGIFPainter*>(sender)->image() != played)
                ++stray;
        };
        preview->assign(round % 2 ? first : second);
        played = &preview->image();
        preview->image().setAnimationSpeed(1000);
        ASSERT_TRUE(preview->start(kPlayOptions, clWhite));
        serveFor(round % 5);
        switch (round % 3) {
        case 0: // pause: stop with release
            preview->clear();
            EXPECT_FALSE(preview->isPainting());
            EXPECT_TRUE(preview->image().empty());
            break;
        case 1: // another document: the copy is replaced while its painter runs
            preview->assign(round % 2 ? second : first);
            EXPECT_FALSE(preview->isPainting());
            played = &preview->image();
            ASSERT_TRUE(preview->start(kPlayOptions, clWhite));
            serveFor(2);
            break;
        default: // closed while painting: the destructor waits
            break;
        }
        preview.reset();
        EXPECT_EQ(stray, 0) << "round " << round;
    }
}

TEST(PreviewThread, StoppingFromInsideItsOwnEventsEndsCleanly)
{
    setPainterClock(nullptr);
    TGIFImage source;
    buildFast(source, 3, 0);
    for (int round = 0; round < 20; ++round) {
        TGIFPreview preview;
        preview.assign(source);
        preview.image().setAnimationSpeed(1000);
        int frames = 0;
        bool ended = false;
        preview.onFrame = [&](TObject*) {
            if (++frames == 2 + round % 3)
                preview.clear(); // the painter is blocked beneath this call: it lets go
        };
        preview.onEnd = [&](TObject*) {
            ended = true;
        };
        ASSERT_TRUE(preview.start(kPlayOptions, clWhite));
        for (int step = 0; step < 5000 && preview.isPainting(); ++step)
            TMainThreadDispatcher::instance().waitAndProcess(1);
        EXPECT_FALSE(preview.isPainting());
        EXPECT_TRUE(preview.image().empty());
        EXPECT_FALSE(ended) << "a painter that let go raises nothing more";
        serveFor(2); // the detached painter ends on its own
    }
}

TEST(PreviewThread, TheEndEventComesOnceAfterTheLastLoop)
{
    auto clock = std::make_shared<TManualPainterClock>();
    setPainterClock(clock);
    TGIFImage source;
    buildAnimation(source, {10, 10}, 1); // one repetition: played twice
    TGIFPreview preview;
    preview.assign(source);
    std::vector<int> shown;
    int ends = 0;
    preview.onFrame = [&](TObject* sender) {
        shown.push_back(static_cast<TGIFPainter*>(sender)->frameIndex());
    };
    preview.onEnd = [&](TObject* sender) {
        EXPECT_EQ(static_cast<TGIFPainter*>(sender)->frameIndex(), -1);
        ++ends;
    };
    ASSERT_TRUE(preview.start(kPlayOptions, clWhite));
    for (int step = 0; step < 5000 && preview.isPainting(); ++step) {
        clock->advance(1000);
        TMainThreadDispatcher::instance().waitAndProcess(1);
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(preview.picture().isNull());
    setPainterClock(nullptr);
}

TEST(PreviewThread, NothingToPaintStartsNothing)
{
    TGIFPreview preview;
    EXPECT_FALSE(preview.start(kPlayOptions, clWhite));
    EXPECT_FALSE(preview.isPainting());
    EXPECT_TRUE(preview.picture().isNull());
}

} // namespace
