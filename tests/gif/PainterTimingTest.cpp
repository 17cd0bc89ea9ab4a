// The painter's timing and looping rules, checked against a manual clock: waits, delay limits,
// speed, loop counts, handlers that move the frame index, and stopping during a wait.
#include "PainterTestSupport.h"

#include "gif/GIFException.h"
#include "graphics/MainThreadDispatcher.h"

using paintertest::buildAnimation;

namespace {

constexpr TGIFDrawOptions SyncOnce = goAnimate | goTransparent;
constexpr TGIFDrawOptions SyncLooping = goAnimate | goLoop | goTransparent;
constexpr TGIFDrawOptions AsyncOnce = goAsync | goAnimate | goTransparent;

class PainterTiming : public paintertest::ManualClockTest
{
protected:
    struct Shown
    {
        int frame;
        int64_t time;
    };
    // Plays synchronously, noting each frame as it is about to be painted (after its wait).
    std::vector<Shown> playSync(TGIFDrawOptions options)
    {
        std::vector<Shown> shown;
        image.onPaint = [&](TObject* sender) {
            shown.push_back({static_cast<TGIFPainter*>(sender)->frameIndex(), clock->now()});
        };
        EXPECT_EQ(image.paint(target.canvas(), QRect(0, 0, 2, 2), options), nullptr);
        image.onPaint = nullptr;
        return shown;
    }
    static std::vector<int64_t> gaps(const std::vector<Shown>& shown)
    {
        std::vector<int64_t> result;
        for (size_t i = 1; i < shown.size(); ++i)
            result.push_back(shown[i].time - shown[i - 1].time);
        return result;
    }
    static std::vector<int> frames(const std::vector<Shown>& shown)
    {
        std::vector<int> result;
        for (const Shown& s : shown)
            result.push_back(s.frame);
        return result;
    }
    TGIFPainter* startAsync(TGIFDrawOptions options)
    {
        TGIFPainter* painter = image.paint(target.canvas(), QRect(0, 0, 2, 2), options, &slot);
        EXPECT_NE(painter, nullptr);
        if (painter)
            painter->start();
        return painter;
    }
    TGIFPainter* slot = nullptr;
};

TEST_F(PainterTiming, SynchronousWaitsFollowDelaysLimitsAndSpeed)
{
    struct Case
    {
        const char* name;
        std::vector<int> delays;
        int speed;
        std::vector<int64_t> gaps;
    };
    const Case cases[] = {
        {"no graphic control: default delay 10 x 12 ms", {-1, -1, -1}, 100, {120, 120}},
        {"delay 0 is the default", {0, 0}, 100, {120}},
        {"stated delays", {10, 25, 5}, 100, {120, 300}},
        {"delay 1 raised to 3", {1, 1, 1}, 100, {36, 36}},
        {"delay 2000 lowered to 1000 when synchronous", {2000, 2000}, 100, {12000}},
        {"speed 200 halves the waits", {10, 20, 10}, 200, {60, 120}},
        {"speed 50 doubles them", {10, 10}, 50, {240}},
        {"speed 0 waits the maximum when synchronous", {10, 10}, 0, {12000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buildAnimation(image, c.delays);
        image.setAnimationSpeed(c.speed);
        const auto shown = playSync(SyncOnce);
        ASSERT_EQ(shown.size(), c.delays.size());
        EXPECT_EQ(gaps(shown), c.gaps);
    }
}

TEST_F(PainterTiming, SynchronousFirstFrameWaitsOneHundredth)
{
    buildAnimation(image, {50, 50});
    const int64_t start = clock->now();
    const auto shown = playSync(SyncOnce);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].time - start, 12);
    // Sleeps never exceed 100 ms, so the thread's messages are served at least that often.
    for (int64_t sleep : clock->sleeps())
        EXPECT_LE(sleep, 100);
}

TEST_F(PainterTiming, LoopCountsPlayTheLoopedSection)
{
    struct Case
    {
        const char* name;
        int loopCount; // -1: no looping extension
        int loopFrame;
        TGIFDrawOptions options;
        std::vector<int> frames;
        int loopEvents;
    };
    const Case cases[] = {
        {"no looping extension plays once", -1, 0, SyncLooping, {0, 1, 2}, 0},
        {"count 2 plays three times", 2, 0, SyncLooping, {0, 1, 2, 0, 1, 2, 0, 1, 2}, 2},
        {"count 1 plays twice", 1, 0, SyncLooping, {0, 1, 2, 0, 1, 2}, 1},
        {"count 0 plays once when synchronous", 0, 0, SyncLooping, {0, 1, 2}, 0},
        {"without the loop option the count is ignored", 2, 0, SyncOnce, {0, 1, 2}, 0},
        {"the section starts at the extension's frame", 1, 1, SyncLooping, {0, 1, 2, 1, 2}, 1},
        {"without animate only the first frame", 2, 0, goLoop | goTransparent, {0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buildAnimation(image, {10, 10, 10}, c.loopCount, c.loopFrame);
        int loops = 0;
        image.onLoop = [&](TObject*) {
            ++loops;
        };
        EXPECT_EQ(frames(playSync(c.options)), c.frames);
        EXPECT_EQ(loops, c.loopEvents);
        image.onLoop = nullptr;
    }
}

TEST_F(PainterTiming, LoopCount65535PlaysThatManyTimes)
{
    buildAnimation(image, {10, 10}, 65535);
    int shown = 0;
    image.onPaint = [&](TObject*) {
        ++shown;
    };
    image.paint(target.canvas(), QRect(0, 0, 2, 2), SyncLooping);
    EXPECT_EQ(shown, 2 * 65535);
}

TEST_F(PainterTiming, EventsComeInOrderAndAHandlerCanChooseTheNextFrame)
{
    buildAnimation(image, {10, 10, 10});
    std::vector<QString> events;
    bool movedBack = false;
    auto note = [&](const char* name) {
        return [&events, name](TObject* sender) {
            events.push_back(
                QStringLiteral("%1 %2").arg(name).arg(static_cast<TGIFPainter*>(sender)->frameIndex()));
        };
    };
    image.onStartPaint = note("start");
    image.onPaint = note("paint");
    image.onEndPaint = note("end");
    image.onAfterPaint = [&](TObject* sender) {
        auto* painter = static_cast<TGIFPainter*>(sender);
        if (painter->frameIndex() == 1 && !movedBack) {
            movedBack = true;
            painter->setFrameIndex(0);
        }
    };
    image.paint(target.canvas(), QRect(0, 0, 2, 2), SyncOnce);
    const std::vector<QString> expected = {"start 0", "paint 0", "paint 1", "paint 0",
                                           "paint 1", "paint 2", "end -1"};
    EXPECT_EQ(events, expected);
}

TEST_F(PainterTiming, AsynchronousWaitsSubtractHalfTheLateness)
{
    buildAnimation(image, {10, 20, 10, 10});
    startAsync(AsyncOnce);
    // The first frame is shown at once; the painter then waits for frame 1.
    ASSERT_TRUE(clock->waitForWaits(1));
    EXPECT_EQ(clock->waits()[0], 120);
    clock->advance(140); // 20 ms late
    ASSERT_TRUE(clock->waitForWaits(2));
    EXPECT_EQ(clock->waits()[1], 240 - 10);
    clock->advance(230); // on time
    ASSERT_TRUE(clock->waitForWaits(3));
    EXPECT_EQ(clock->waits()[2], 120);
    image.stopPainting();
    EXPECT_EQ(slot, nullptr);
}

TEST_F(PainterTiming, AsynchronousKeepsLongDelaysAndStopCutsTheWaitShort)
{
    buildAnimation(image, {2000, 2000, 10});
    bool ended = false;
    image.onEndPaint = [&](TObject*) {
        ended = true;
    };
    startAsync(AsyncOnce);
    ASSERT_TRUE(clock->waitForWaits(1));
    EXPECT_EQ(clock->waits()[0], 24000); // not lowered to 1000 hundredths asynchronously
    // Time never moves: only the wake-up can end the wait.
    image.stopPainting();
    EXPECT_TRUE(ended);
    EXPECT_EQ(slot, nullptr);
    EXPECT_TRUE(image.painters().empty());
}

TEST_F(PainterTiming, SpeedZeroPausesAnAsynchronousPainterUntilWoken)
{
    buildAnimation(image, {10, 10});
    image.setAnimationSpeed(0);
    int painted = 0;
    image.onPaint = [&](TObject*) {
        ++painted;
    };
    startAsync(AsyncOnce);
    ASSERT_TRUE(clock->waitForWaits(1));
    EXPECT_EQ(clock->waits()[0], -1);
    clock->advance(1000000);
    for (int i = 0; i < 20; ++i)
        TMainThreadDispatcher::instance().waitAndProcess(1);
    EXPECT_EQ(painted, 1);
    image.stopPainting();
    EXPECT_EQ(slot, nullptr);
}

TEST_F(PainterTiming, AsynchronousCountZeroLoopsUntilStopped)
{
    buildAnimation(image, {10, 10}, 0);
    int loops = 0;
    image.onLoop = [&](TObject*) {
        ++loops;
    };
    startAsync(AsyncOnce | goLoop);
    for (size_t waits = 1; waits <= 6; ++waits) {
        ASSERT_TRUE(clock->waitForWaits(waits));
        clock->advance(clock->waits().back());
    }
    ASSERT_TRUE(clock->waitForWaits(7));
    image.stopPainting();
    EXPECT_GE(loops, 2);
}

TEST_F(PainterTiming, OneFrameNeverStartsAThread)
{
    buildAnimation(image, {10});
    int painted = 0;
    image.onPaint = [&](TObject*) {
        ++painted;
    };
    EXPECT_EQ(image.paint(target.canvas(), QRect(0, 0, 2, 2), AsyncOnce | goLoop), nullptr);
    EXPECT_EQ(painted, 1);
    EXPECT_TRUE(image.painters().empty());
}

TEST_F(PainterTiming, EmptyImageOrRectPaintsNothing)
{
    TGIFPainter* slotValue = reinterpret_cast<TGIFPainter*>(this);
    EXPECT_EQ(image.paint(target.canvas(), QRect(0, 0, 2, 2), AsyncOnce, &slotValue), nullptr);
    EXPECT_EQ(slotValue, nullptr);
    buildAnimation(image, {10, 10});
    slotValue = reinterpret_cast<TGIFPainter*>(this);
    EXPECT_EQ(image.paint(target.canvas(), QRect(), AsyncOnce, &slotValue), nullptr);
    EXPECT_EQ(slotValue, nullptr);
}

TEST_F(PainterTiming, AnErrorInAHandlerEndsPaintingAndReachesTheSynchronousCaller)
{
    buildAnimation(image, {10, 10, 10});
    bool ended = false;
    image.onAfterPaint = [](TObject*) {
        throw GIFException(QStringLiteral("handler failed"));
    };
    image.onEndPaint = [&](TObject*) {
        ended = true;
    };
    EXPECT_THROW(image.paint(target.canvas(), QRect(0, 0, 2, 2), SyncOnce), GIFException);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(image.painters().empty());
}

} // namespace
