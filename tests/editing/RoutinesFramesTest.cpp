// Frames from bitmaps, the looping extension, frame helpers, colour use and normalisation.
#include "RoutinesFixture.h"

#include "gif/ColorReduction.h"
#include "gif/GIFException.h"

namespace {

class RoutinesFramesTest : public RoutinesFixture
{
protected:
    // The working image with one w x h frame at the origin (local map of two colours).
    TGIFImage& animation(int width, int height)
    {
        TGIFImage& image = workingImage();
        image.setWidth(width);
        image.setHeight(height);
        addFrame(image, width, height, {rgbColor(0, 0, 0), rgbColor(255, 255, 255)}, 1);
        return image;
    }

    // frames w x h frames with a global map and, when loop, a looping extension on frame 0: an
    // animation a frame can be added to without touching anything else (palette type 2).
    TGIFImage& settledAnimation(int frames, int width, int height, bool loop = true, bool globalMap = true)
    {
        TGIFImage& image = animation(width, height);
        for (int i = 1; i < frames; ++i)
            addFrame(image, width, height, {rgbColor(0, 0, 0), rgbColor(255, 255, 255)}, 1);
        if (globalMap) {
            image.globalColorMap().add(rgbColor(0, 0, 0));
            image.globalColorMap().add(rgbColor(9, 9, 9));
        }
        if (loop)
            addLoopExtension(image, *image.images().subImage(0), 0);
        setSetting(SettingKeys::PaletteType, 2);
        return image;
    }

    static TGIFAppExtNSLoop* loopOf(TGIFSubImage& frame)
    {
        for (int i = 0; i < frame.extensions().count(); ++i) {
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(frame.extensions().extension(i)))
                return loop;
        }
        return nullptr;
    }
    static int countOf(TGIFSubImage& frame, uint8_t type)
    {
        int count = 0;
        for (int i = 0; i < frame.extensions().count(); ++i)
            count += frame.extensions().extension(i)->extensionType() == type ? 1 : 0;
        return count;
    }
};

TEST_F(RoutinesFramesTest, OnePixelLargerFitsTwoPixelsAsks)
{
    animation(100, 80);
    const struct
    {
        int width, height;
        bool asks;
    } cases[] = {{101, 80, false}, {100, 81, false}, {101, 81, false}, {102, 80, true}, {100, 82, true}};
    for (const auto& c : cases) {
        m_prompts.fitTexts.clear();
        m_prompts.fitAnswer = {mrCancel, true};
        TBitmap bitmap(c.width, c.height, pf8bit);
        EXPECT_EQ(fitPicture(session(), bitmap), c.asks ? mrCancel : 0) << c.width << "x" << c.height;
        EXPECT_EQ(m_prompts.fitTexts.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(bitmap.width(), c.width) << "cancel changes nothing";
    }
    EXPECT_EQ(m_prompts.fitTexts.at(0),
              "Frame dimensions are larger than the animation. How should this be handled?");
}

TEST_F(RoutinesFramesTest, TrimCutsThePictureToTheAnimation)
{
    TGIFImage& image = animation(200, 100);
    TBitmap bitmap(300, 50, pf8bit);
    m_prompts.fitAnswer = {mrOk, true};
    EXPECT_EQ(fitPicture(session(), bitmap), mrOk);
    EXPECT_EQ(bitmap.width(), 200);
    EXPECT_EQ(bitmap.height(), 50);
    EXPECT_EQ(image.width(), 200);
    EXPECT_EQ(image.height(), 100);
}

TEST_F(RoutinesFramesTest, ChangingTheAnimationCropsFramesThatStickOut)
{
    TGIFImage& image = animation(200, 100);
    TGIFSubImage& tall = *image.images().subImage(0);
    tall.setPixel(5, 49, 0);
    TGIFSubImage& low = *addFrame(image, 20, 20, {rgbColor(1, 1, 1)}, 0, 10, 60); // wholly below 50
    TGIFSubImage& small = *addFrame(image, 20, 20, {rgbColor(1, 1, 1)}, 0, 0, 0); // fits
    m_prompts.fitAnswer = {mrOk, false};
    TBitmap bitmap(300, 50, pf8bit);
    EXPECT_EQ(fitPicture(session(), bitmap), mrOk);
    EXPECT_EQ(image.width(), 300);
    EXPECT_EQ(image.height(), 50);
    EXPECT_EQ(tall.height(), 50);
    EXPECT_EQ(tall.width(), 200);
    EXPECT_EQ(tall.pixel(5, 49), 0) << "cropped from the top-left corner";
    EXPECT_EQ(tall.pixel(6, 49), 1);
    EXPECT_TRUE(low.empty());
    EXPECT_EQ(small.height(), 20);
    EXPECT_EQ(bitmap.width(), 300);
}

TEST_F(RoutinesFramesTest, StoredClipChoiceIsAppliedWithoutAsking)
{
    TGIFImage& image = animation(200, 100);
    setSetting(SettingKeys::ClipDefault, 1);
    TBitmap trimmed(300, 50, pf8bit);
    EXPECT_EQ(fitPicture(session(), trimmed), 0);
    EXPECT_EQ(trimmed.width(), 200) << "ClipFrame defaults to trim";

    setSetting(SettingKeys::ClipFrame, 0);
    TBitmap grown(300, 50, pf8bit);
    EXPECT_EQ(fitPicture(session(), grown), 0);
    EXPECT_EQ(image.width(), 300);
    EXPECT_TRUE(m_prompts.fitTexts.empty());
}

TEST_F(RoutinesFramesTest, FirstFrameGetsTheCommentTheLoopAndADocument)
{
    setSetting(SettingKeys::PaletteDefaults, 1);
    TGIFImage& image = workingImage();
    TBitmap bitmap;
    paintTrueColor(bitmap, 6, 4);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, bitmap, 0), 0);
    ASSERT_EQ(image.images().count(), 1);
    TGIFSubImage& frame = *image.images().subImage(0);
    TGIFAppExtNSLoop* loop = loopOf(frame);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->loops(), 0);
    EXPECT_EQ(frame.extensions().extension(0), loop) << "the looping extension comes first";
    ASSERT_EQ(countOf(frame, bsCommentExtension), 1);
    auto* comment =
        dynamic_cast<TGIFCommentExtension*>(frame.extensions().extension(frame.extensions().count() - 1));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->text(), QStringList(QStringLiteral("Created with Brightwell GIF Reelwright")));
    ASSERT_NE(frame.graphicControlExtension(), nullptr);
    EXPECT_EQ(frame.graphicControlExtension()->delay(), 100);
    EXPECT_EQ(frame.graphicControlExtension()->disposal(), TGIFDisposal::dmBackground);
    EXPECT_GT(image.globalColorMap().count(), 0);
    EXPECT_EQ(session().documents().count(), 1) << "the first frame opens a document";
    EXPECT_TRUE(m_view.logged("status 2 Inserting new frame..."));
    EXPECT_EQ(m_view.log.back(), "status 2 ") << "the status panel is cleared at the end";

    TBitmap second;
    paintTrueColor(second, 6, 4);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, second, 0), 1);
    EXPECT_EQ(countOf(*image.images().subImage(1), bsCommentExtension), 0);
    EXPECT_EQ(countOf(*image.images().subImage(1), bsApplicationExtension), 0);
}

TEST_F(RoutinesFramesTest, ColourMapsAreMergedOnlyForTheGlobalPaletteFromTheSecondFrame)
{
    const struct
    {
        int paletteType;
        bool merged;
    } cases[] = {{0, true}, {1, true}, {2, false}};
    for (const auto& c : cases) {
        resetSession();
        setSetting(SettingKeys::PaletteDefaults, 1);
        setSetting(SettingKeys::PaletteType, c.paletteType);
        TGIFImage& image = workingImage();
        TBitmap first;
        paintTrueColor(first, 4, 4, qRgb(10, 200, 10));
        ASSERT_EQ(insertBitmapAsFrame(session(), image, first, 0), 0);
        EXPECT_GT(image.images().subImage(0)->colorMap().count(), 0) << "no merge for a single frame";
        TBitmap second;
        paintTrueColor(second, 4, 4, qRgb(10, 10, 200));
        ASSERT_EQ(insertBitmapAsFrame(session(), image, second, 1), 1);
        const bool localMapsLeft = image.images().subImage(0)->colorMap().count() > 0 ||
                                   image.images().subImage(1)->colorMap().count() > 0;
        EXPECT_EQ(localMapsLeft, !c.merged) << "PaletteType " << c.paletteType;
    }
}

TEST_F(RoutinesFramesTest, PaletteSettingsMapOntoTheImage)
{
    const struct
    {
        int type, colors, dither;
        uint8_t reduction;
        int bits;
        uint8_t ditherMode;
        bool result;
    } cases[] = {
        {0, 256, 0, rmQuantize, 8, dmNearest, true},       {0, 8, 1, rmQuantize, 3, dmFloydSteinberg, true},
        {2, 64, 0, rmQuantize, 6, dmNearest, false},       {2, 100, 5, rmQuantize, 5, dmStucki, false},
        {1, 16, 1, rmNetscape, 8, dmFloydSteinberg, true}, {7, 16, 0, rmGrayScale, 5, dmNearest, false},
    };
    for (const auto& c : cases) {
        setSetting(SettingKeys::PaletteType, c.type);
        setSetting(SettingKeys::MaxColorCount, c.colors);
        setSetting(SettingKeys::DitherMethod, c.dither);
        TGIFImage image;
        image.setColorReduction(rmGrayScale);
        image.setReductionBits(5);
        image.setDitherMode(dmStucki);
        EXPECT_EQ(applyPaletteSettings(image), c.result) << c.type << "/" << c.colors;
        EXPECT_EQ(image.colorReduction(), c.reduction) << c.type << "/" << c.colors;
        EXPECT_EQ(image.reductionBits(), c.bits) << c.type << "/" << c.colors;
        EXPECT_EQ(image.ditherMode(), c.ditherMode) << c.type << "/" << c.colors;
    }
}

TEST_F(RoutinesFramesTest, OnlyPicturesOfEightBitsOrMoreAskForThePalette)
{
    TGIFImage& image = workingImage();
    TBitmap mono(8, 8, pf1bit);
    TBitmap nibble(8, 8, pf4bit);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, mono, 0), 0);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, nibble, 1), 1);
    EXPECT_EQ(m_prompts.paletteShown, 0);

    m_prompts.paletteAnswer = mrCancel;
    TBitmap colour;
    paintTrueColor(colour, 8, 8);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, colour, 2), -1);
    EXPECT_EQ(m_prompts.paletteShown, 1);
    EXPECT_EQ(image.images().count(), 2);
}

TEST_F(RoutinesFramesTest, FramesGoBeforeTheLastIndexOrAreAppended)
{
    TGIFImage& image = animation(4, 4);
    addFrame(image, 4, 4, {rgbColor(0, 0, 0)});
    addFrame(image, 4, 4, {rgbColor(0, 0, 0)});
    TGIFSubImage* old1 = image.images().subImage(1);
    TBitmap a(4, 4, pf8bit);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, a, 1), 1);
    EXPECT_EQ(image.images().subImage(2), old1);
    TBitmap b(4, 4, pf1bit);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, b, 3), 4) << "the last index appends";
    TBitmap c(4, 4, pf1bit);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, c, 99), 5);
}

TEST_F(RoutinesFramesTest, AFailedConversionLeavesTheAnimationAsItWas)
{
    TGIFImage& image = animation(4, 4);
    session().setFrameImporter(
        [](TGIFImage&, TBitmap&) -> int { throw GIFException(QStringLiteral("Color table overflow")); });
    TBitmap bitmap(4, 4, pf1bit);
    EXPECT_EQ(insertBitmapAsFrame(session(), image, bitmap, 0), -1);
    EXPECT_EQ(image.images().count(), 1);
    EXPECT_EQ(m_view.log.back(), "status 2 ");
    EXPECT_EQ(addPictureAsFrame(session(), bitmap, 0, QStringLiteral("Paste Frame")), -1);
    EXPECT_TRUE(recorded().empty()) << "nothing recorded for a frame that was not added";
    EXPECT_FALSE(m_view.logged("columns 2"));
}

TEST_F(RoutinesFramesTest, AddPictureRecordsUndoAndSelectsTheFrame)
{
    settledAnimation(1, 4, 4);
    openDocument();
    TBitmap bitmap(4, 4, pf1bit);
    EXPECT_EQ(addPictureAsFrame(session(), bitmap, 0, QStringLiteral("Paste Frame")), 1);
    EXPECT_EQ(recorded(), std::vector<std::string>{"frame Paste Frame 1"});
    EXPECT_TRUE(activeDocument()->isModified());
    EXPECT_EQ(activeDocument()->rememberedFrame(), 1);
    EXPECT_TRUE(m_view.logged("columns 2"));
    EXPECT_TRUE(m_view.logged("select 1"));
    EXPECT_EQ(m_view.log.back(), "repaint");

    m_prompts.fitAnswer = {mrCancel, true};
    TBitmap large(10, 10, pf1bit);
    EXPECT_EQ(addPictureAsFrame(session(), large, 0, QStringLiteral("Paste Frame")), -1);
    EXPECT_EQ(workingImage().images().count(), 2);
}

TEST_F(RoutinesFramesTest, InsertAtCurrentFrameUsesTheGivenDelay)
{
    TGIFImage& image = settledAnimation(1, 4, 4);
    TBitmap bitmap(4, 4, pf8bit);
    EXPECT_EQ(insertBitmapAtCurrentFrame(session(), bitmap, 7), -1) << "needs an active document";
    openDocument();
    session().setCurrentFrame(-1);
    EXPECT_EQ(insertBitmapAtCurrentFrame(session(), bitmap, 7), 1) << "position 0 is the last index: appended";
    EXPECT_EQ(image.images().subImage(1)->graphicControlExtension()->delay(), 7);
    EXPECT_EQ(recorded(), std::vector<std::string>{"frame Add Frame 1"});
    EXPECT_EQ(m_prompts.paletteShown, 0);
}

// A frame command only deletes the added frame again; whenever the addition also changes the rest
// of the animation, a snapshot of the animation as it was must be recorded instead.
TEST_F(RoutinesFramesTest, AddedFrameIsUndoneByAFrameCommandOnlyWhenNothingElseChanges)
{
    const struct
    {
        const char* name;
        int paletteType;
        bool loop, globalMap;
        int defaultLoop;
        int position;
        int clipFrame; // -1: the picture fits; 0: the animation grows; 1: the picture is trimmed
        std::string recorded;
    } cases[] = {
        {"nothing else", 2, true, true, 0, 1, -1, "frame Paste Frame 1"},
        {"maps merged", 0, true, true, 0, 1, -1, "snapshot Paste Frame 1"},
        {"web palette, picture below 8 bits", 1, true, true, 0, 1, -1, "frame Paste Frame 1"},
        {"loop added to frame 0", 2, false, true, 0, 1, -1, "snapshot Paste Frame 1"},
        {"play once adds no loop", 2, false, true, 1, 1, -1, "frame Paste Frame 1"},
        {"the new frame 0 carries the loop", 2, false, true, 0, 0, -1, "frame Paste Frame 0"},
        {"global map filled", 2, true, false, 0, 1, -1, "snapshot Paste Frame 1"},
        {"appended", 2, true, true, 0, 9, -1, "frame Paste Frame 3"},
        {"animation grown", 2, true, true, 0, 9, 0, "snapshot Paste Frame 3"},
        {"picture trimmed", 2, true, true, 0, 9, 1, "frame Paste Frame 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resetSession();
        
        settledAnimation(3, 4, 4, c.loop, c.globalMap);
        setSetting(SettingKeys::PaletteType, c.paletteType);
        setSetting(SettingKeys::DefaultNSLoop, c.defaultLoop);
        setSetting(SettingKeys::ClipDefault, 1);
        setSetting(SettingKeys::ClipFrame, std::max(c.clipFrame, 0));
        openDocument();
        const int side = c.clipFrame < 0 ? 4 : 10;
        TBitmap bitmap(side, side, pf1bit);
        EXPECT_GE(addPictureAsFrame(session(), bitmap, c.position, QStringLiteral("Paste Frame")), 0);
        EXPECT_EQ(recorded(), std::vector<std::string>{c.recorded});
        EXPECT_TRUE(activeDocument()->isModified());
        // A snapshot holds the animation from before the addition: Undo gives it back.
        undoActiveDocument(*activeDocument());
        EXPECT_EQ(workingImage().images().count(), 3);
        EXPECT_EQ(workingImage().width(), 4);
        EXPECT_EQ(workingImage().height(), 4);
    }
}

TEST_F(RoutinesFramesTest, GrownAnimationStaysUndoableWhenThePalettePromptIsCancelled)
{
    TGIFImage& image = settledAnimation(2, 4, 4);
    openDocument();
    setSetting(SettingKeys::ClipDefault, 1);
    setSetting(SettingKeys::ClipFrame, 0);
    m_prompts.paletteAnswer = mrCancel;
    TBitmap bitmap;
    paintTrueColor(bitmap, 10, 10);
    EXPECT_EQ(addPictureAsFrame(session(), bitmap, 1, QStringLiteral("Add Frame")), -1);
    EXPECT_EQ(image.width(), 10) << "the animation was grown before the palette prompt";
    EXPECT_EQ(recorded(), std::vector<std::string>{"snapshot Add Frame 2"});
    EXPECT_TRUE(activeDocument()->isModified());
    undoActiveDocument(*activeDocument());
    EXPECT_EQ(image.images().count(), 2);
    EXPECT_EQ(image.width(), 4) << "the snapshot was taken before the animation grew";
}

TEST_F(RoutinesFramesTest, InsertAtCurrentFrameTakesASnapshotWhenMapsAreMerged)
{
    const struct
    {
        int paletteType;
        std::string recorded;
    } cases[] = {{0, "snapshot Add Frame 1"},
                 {1, "snapshot Add Frame 1"},
                 {2, "frame Add Frame 1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paletteType);
        resetSession();
        settledAnimation(3, 4, 4);
        setSetting(SettingKeys::PaletteType, c.paletteType);
        openDocument();
        session().setCurrentFrame(1);
        TBitmap bitmap(4, 4, pf8bit);
        EXPECT_EQ(insertBitmapAtCurrentFrame(session(), bitmap, 5), 1);
        EXPECT_EQ(recorded(), std::vector<std::string>{c.recorded});
    }
}

TEST_F(RoutinesFramesTest, UserLoopCountMapping)
{
    const struct
    {
        int user;
        bool extension;
        int stored;
    } writes[] = {{1, false, 0}, {0, true, 0}, {2, true, 1}, {10, true, 9}, {65535, true, 65534}};
    for (const auto& c : writes) {
        TGIFImage image;
        TGIFSubImage& frame = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
        addComment(frame, QStringLiteral("first"));
        addLoopExtension(image, frame, c.user);
        EXPECT_EQ(hasLoopExtension(image), c.extension) << c.user;
        if (c.extension) {
            EXPECT_EQ(loopOf(frame)->loops(), c.stored) << c.user;
            EXPECT_EQ(frame.extensions().extension(0), loopOf(frame));
            EXPECT_EQ(getUserLoopCount(image), c.user) << c.user;
        } else {
            EXPECT_EQ(getUserLoopCount(image), 1);
        }
    }
    const struct
    {
        int stored;
        int user;
    } reads[] = {{0, 0}, {65535, 0}, {1, 2}, {4, 5}, {65534, 65535}};
    for (const auto& c : reads) {
        TGIFImage image;
        TGIFSubImage& frame = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
        auto* loop = new TGIFAppExtNSLoop(&frame);
        loop->setLoops(uint16_t(c.stored));
        frame.extensions().add(loop);
        EXPECT_EQ(getUserLoopCount(image), c.user) << c.stored;
    }
}

TEST_F(RoutinesFramesTest, SetUserLoopCountChangesOrInsertsAtTheFront)
{
    TGIFImage image;
    TGIFSubImage& frame = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    ensureFrameTiming(frame, 5);
    EXPECT_FALSE(setUserLoopCount(image, 1));
    EXPECT_FALSE(hasLoopExtension(image));
    EXPECT_FALSE(setUserLoopCount(image, 3));
    EXPECT_EQ(frame.extensions().extension(0), loopOf(frame));
    EXPECT_EQ(loopOf(frame)->loops(), 2);
    EXPECT_TRUE(setUserLoopCount(image, 0));
    EXPECT_EQ(loopOf(frame)->loops(), 0);
    EXPECT_EQ(countOf(frame, bsApplicationExtension), 1);
}

TEST_F(RoutinesFramesTest, FrameTimingAndRunningTime)
{
    TGIFImage& image = animation(2, 2);
    addFrame(image, 2, 2, {rgbColor(0, 0, 0)});
    addFrame(image, 2, 2, {rgbColor(0, 0, 0)});
    ensureFrameTiming(*image.images().subImage(0), 30);
    ensureFrameTiming(*image.images().subImage(2), 45);
    ensureFrameTiming(*image.images().subImage(2), 50); // changes, never adds a second
    EXPECT_EQ(countOf(*image.images().subImage(2), bsGraphicControlExtension), 1);
    EXPECT_EQ(totalRunningTime(image), 80);
}

TEST_F(RoutinesFramesTest, CornerColourIsTheBottomLeftPixel)
{
    TGIFImage image;
    TGIFSubImage& frame = *addFrame(image, 3, 3, {rgbColor(1, 2, 3), rgbColor(40, 50, 60)}, 0);
    frame.setPixel(0, 2, 1);
    EXPECT_EQ(cornerColor(frame), rgbColor(40, 50, 60));
    frame.setPixel(0, 2, 9);
    EXPECT_EQ(cornerColor(frame), rgbColor(255, 255, 255)) << "index outside the map";
    TGIFSubImage& bare = *addFrame(image, 2, 2);
    EXPECT_EQ(cornerColor(bare), rgbColor(255, 255, 255)) << "no map at all";
}

TEST_F(RoutinesFramesTest, CommentLinesAreSplit)
{
    TGIFImage image;
    TGIFSubImage& frame = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    addComment(frame, QStringLiteral("one\r\ntwo\nthree"));
    auto* comment = dynamic_cast<TGIFCommentExtension*>(frame.extensions().extension(0));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->text(), QStringList({"one", "two", "three"}));
}

TEST_F(RoutinesFramesTest, NormalisingGivesTimingAndReplacesZeroDelays)
{
    setSetting(SettingKeys::DefaultDelay, 40);
    TGIFImage image;
    image.setWidth(4);
    image.setHeight(4);
    addFrame(image, 4, 4, {rgbColor(0, 0, 0)});
    addFrame(image, 4, 4, {rgbColor(0, 0, 0)});
    TGIFSubImage& zero = *addFrame(image, 4, 4, {rgbColor(0, 0, 0)});
    ensureFrameTiming(zero, 0);
    auto* empty = new TGIFSubImage(&image);
    image.images().add(empty);

    normalizeForWriting(image, TNormalizeMode::FinalSave);
    for (int i = 0; i < 2; ++i) {
        TGIFGraphicControlExtension* control = image.images().subImage(i)->graphicControlExtension();
        ASSERT_NE(control, nullptr) << i;
        EXPECT_EQ(control->delay(), 100) << i;
        EXPECT_EQ(control->disposal(), TGIFDisposal::dmBackground) << i;
    }
    EXPECT_EQ(zero.graphicControlExtension()->delay(), 40);
    EXPECT_EQ(empty->graphicControlExtension(), nullptr) << "empty frames get no timing";
    EXPECT_EQ(image.globalColorMap().count(), 216);
}

TEST_F(RoutinesFramesTest, NormalisingKeepsTheLastControlAndMovesLoopsToTheFront)
{
    TGIFImage image;
    image.setWidth(4);
    image.setHeight(4);
    TGIFSubImage& first = *addFrame(image, 4, 4, {rgbColor(0, 0, 0), rgbColor(1, 1, 1)});
    TGIFSubImage& later = *addFrame(image, 4, 4, {rgbColor(0, 0, 0), rgbColor(1, 1, 1)});
    auto* early = new TGIFGraphicControlExtension(&later);
    early->setDelay(11);
    later.extensions().add(early);
    auto* loop = new TGIFAppExtNSLoop(&later);
    loop->setLoops(3);
    later.extensions().add(loop);
    auto* last = new TGIFGraphicControlExtension(&later);
    last->setDelay(22);
    last->setTransparent(true);
    later.extensions().add(last);

    TGIFImage copy;
    copy.assign(&image);
    normalizeForWriting(image, TNormalizeMode::FinalSave);
    EXPECT_EQ(countOf(later, bsGraphicControlExtension), 1);
    EXPECT_EQ(countOf(later, bsApplicationExtension), 0);
    ASSERT_EQ(later.graphicControlExtension(), last);
    EXPECT_TRUE(later.transparent());
    EXPECT_EQ(last->disposal(), TGIFDisposal::dmBackground)
        << "transparent full-size frame in final-save mode";
    ASSERT_NE(loopOf(first), nullptr);
    EXPECT_EQ(loopOf(first)->loops(), 0) << "DefaultNSLoop, not the moved count";

    normalizeForWriting(copy, TNormalizeMode::WorkingCopy);
    TGIFSubImage& copyLater = *copy.images().subImage(1);
    EXPECT_EQ(copyLater.graphicControlExtension()->disposal(), TGIFDisposal::dmNone)
        << "working copies keep the disposal";
}

TEST_F(RoutinesFramesTest, NormalisingNeverPutsASecondLoopOnFrameZero)
{
    TGIFImage image;
    TGIFSubImage& first = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    TGIFSubImage& later = *addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    addLoopExtension(image, first, 5);
    later.extensions().add(new TGIFAppExtNSLoop(&later));
    normalizeForWriting(image, TNormalizeMode::FinalSave);
    EXPECT_EQ(countOf(first, bsApplicationExtension), 1);
    EXPECT_EQ(loopOf(first)->loops(), 4);
    EXPECT_EQ(countOf(later, bsApplicationExtension), 0);
}

TEST_F(RoutinesFramesTest, WorkingCopyOfATransparentSmallFirstFrameUsesTheFrameBackground)
{
    setSetting(SettingKeys::FrameTransparentColor, int(rgbColor(10, 20, 30)));
    TGIFImage image;
    image.setWidth(8);
    image.setHeight(8);
    image.globalColorMap().add(rgbColor(0, 0, 0));
    TGIFSubImage& first = *addFrame(image, 4, 8, {rgbColor(0, 0, 0)});
    auto* control = new TGIFGraphicControlExtension(&first);
    control->setTransparent(true);
    first.extensions().add(control);

    TGIFImage finalCopy;
    finalCopy.assign(&image);
    normalizeForWriting(finalCopy, TNormalizeMode::FinalSave);
    EXPECT_EQ(finalCopy.header().backgroundColorIndex(), 0);

    normalizeForWriting(image, TNormalizeMode::WorkingCopy);
    EXPECT_EQ(image.header().backgroundColor(), rgbColor(10, 20, 30));
    EXPECT_EQ(image.globalColorMap().count(), 2);
}

TEST_F(RoutinesFramesTest, NewFrameSetUpFillsAnEmptyGlobalMap)
{
    TGIFImage web;
    TGIFSubImage& bare = *addFrame(web, 2, 2);
    newFrameSetup(bare, 1, 12);
    EXPECT_FALSE(hasLoopExtension(web)) << "user count 1 plays once";
    EXPECT_EQ(web.globalColorMap().count(), 216);
    EXPECT_EQ(web.globalColorMap().entry(215), (TGIFColor{255, 255, 255}));

    TGIFImage copied;
    TGIFSubImage& coloured = *addFrame(copied, 2, 2, {rgbColor(5, 6, 7)});
    newFrameSetup(coloured, 0, 12);
    EXPECT_TRUE(hasLoopExtension(copied));
    ASSERT_EQ(copied.globalColorMap().count(), 1);
    EXPECT_EQ(copied.globalColorMap().entry(0).value(), rgbColor(5, 6, 7));
}

} // namespace
