// Resize, the loop choice of the information page and the global palette on the real working
// image.
#include "app/AnimationCommands.h"
#include "app/CommandsFixture.h"
#include "app/FileCommands.h"
#include "editing/LoopExtension.h"

using namespace commandstest;

namespace {

class CommandsAnimationTest : public CommandsFixture
{
};

TEST_F(CommandsAnimationTest, ResizeClampsAndMakesEveryFrameFullSize)
{
    const struct
    {
        int width, height, expectedWidth, expectedHeight;
    } cases[] = {{2000, 30, 1000, 30}, {0, 7, 10, 7}, {-5, 1000, 10, 1000}, {20, 24, 20, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        image().clear();
        m_window.doc().ensureHistory().clear();
        buildAnimation(2);
        // A smaller second frame at an offset.
        image().images().subImage(1)->setBounds(4, 2, 6, 5);
        m_window.fakeDialogs.resizeAnswer = {mrOk, c.width, c.height};
        resizeAnimation(m_window);
        EXPECT_EQ(image().width(), c.expectedWidth);
        EXPECT_EQ(image().height(), c.expectedHeight);
        for (int i = 0; i < 2; ++i) {
            TGIFSubImage* frame = image().images().subImage(i);
            EXPECT_EQ(frame->boundsRect(), QRect(0, 0, c.expectedWidth, c.expectedHeight));
        }
        EXPECT_EQ(delays(), (std::vector<int>{10, 20})) << "frames keep their extensions";
        EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Change Animation Size")});
    }
}

TEST_F(CommandsAnimationTest, ResizeToTheSameSizeOrCancelRecordsNothing)
{
    buildAnimation(2);
    m_window.fakeDialogs.resizeAnswer = {mrOk, 16, 12};
    resizeAnimation(m_window);
    m_window.fakeDialogs.resizeAnswer = {mrCancel, 30, 30};
    resizeAnimation(m_window);
    EXPECT_EQ(m_window.commandCount(), 0);
    EXPECT_EQ(image().width(), 16);
}

TEST_F(CommandsAnimationTest, LoopChoicesFollowThePanelRules)
{
    const struct
    {
        const char* name;
        int startLoops; // -1: no looping extension
        bool playForever;
        int count;
        int expectedUserCount;
        int commands;
    } cases[] = {
        {"forever from once", -1, true, 0, 0, 1}, {"forever from three", 2, true, 0, 0, 1},
        {"forever again", 0, true, 0, 0, 0},      {"three from once", -1, false, 3, 3, 1},
        {"once from forever", 0, false, 1, 1, 1}, {"same count", 2, false, 3, 3, 0},
        {"five from three", 2, false, 5, 5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        image().clear();
        m_window.doc().ensureHistory().clear();
        buildAnimation(2);
        if (auto* loop = undotest::loopOf(image().images().subImage(0)))
            delete loop;
        if (c.startLoops >= 0)
            undotest::addLoop(image().images().subImage(0), c.startLoops);
        m_window.fakeDialogs.informationAnswer = {mrOk, c.playForever, c.count};
        animationInformation(m_window);
        EXPECT_EQ(getUserLoopCount(image()), c.expectedUserCount);
        EXPECT_EQ(m_window.commandCount(), c.commands);
    }
}

TEST_F(CommandsAnimationTest, GlobalPaletteIsReplacedAndTheDocumentReloaded)
{
    buildAnimation(2);
    image().globalColorMap().clear();
    globalPalette(m_window);
    EXPECT_FALSE(m_window.actions.value(QStringLiteral("AnimationPalette"), true));

    undotest::setColors(image().globalColorMap(), {0x000000, 0xFFFFFF});
    m_window.fakeDialogs.paletteAnswer = {mrOk, false, {0x0000FF, 0x00FF00}};
    globalPalette(m_window);
    EXPECT_EQ(m_window.commandCount(), 0) << "an unchanged palette records nothing";

    m_window.fakeDialogs.paletteAnswer = {mrOk, true, {0x0000FF, 0x00FF00}};
    globalPalette(m_window);
    ASSERT_EQ(image().globalColorMap().count(), 2);
    EXPECT_EQ(image().globalColorMap().color(0), TColor(0x0000FF));
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Change Global Palette")});
    // Everything else sees the global change after the working copy was written and read back.
    ASSERT_FALSE(m_window.doc().workingCopy().isEmpty());
    TGIFImage copy;
    ASSERT_TRUE(loadGIFFile(copy, m_window.doc().workingCopy()));
    EXPECT_EQ(copy.globalColorMap().color(0), TColor(0x0000FF));
    EXPECT_EQ(image().globalColorMap().color(0), TColor(0x0000FF));
}

TEST_F(CommandsAnimationTest, ExportListHasOneEntryPerColumn)
{
    buildAnimation(3);
    EXPECT_EQ(
        singleImageEntries(m_window),
        QStringList({QStringLiteral("Frame - 0"), QStringLiteral("Frame - 1"), QStringLiteral("Frame - 2")}));
}

} // namespace
