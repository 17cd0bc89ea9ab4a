// Frame commands on the real working image and undo history: where added frames land, deleting
// single frames and ranges, the last-frame refusal, moving, reversing, the transparent colour
// and the global frame properties.
#include "app/CommandsFixture.h"
#include "app/FrameCommands.h"
#include "support/TestSupport.h"

#include <algorithm>

using namespace commandstest;

namespace {

class CommandsFrameTest : public CommandsFixture
{
protected:
    // Index of the one frame that was not there before.
    int newFrameIndex(const std::vector<TGIFSubImage*>& before)
    {
        const std::vector<TGIFSubImage*> after = framePointers();
        for (size_t i = 0; i < after.size(); ++i)
            if (std::find(before.begin(), before.end(), after[i]) == before.end())
                return int(i);
        return -1;
    }
    void expectOrder(const std::vector<int>& original)
    {
        std::vector<int> expected;
        for (int i : original)
            expected.push_back(10 * (i + 1));
        EXPECT_EQ(delays(), expected);
    }
    QString picturePath() const { return testsupport::localTestData(QStringLiteral("imaging/quad.bmp")); }
};

TEST_F(CommandsFrameTest, AddedFrameLandsAfterTheCurrentFrameOrAtTheEnd)
{
    const struct
    {
        int current;
        int expected;
    } cases[] = {{1, 2}, {3, 5}, {4, 5}, {0, 1}, {-1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        image().clear();
        buildAnimation(5);
        m_window.setCurrent(c.current);
        m_window.left = m_window.right = c.current;
        const std::vector<TGIFSubImage*> before = framePointers();
        m_messages.pushFiles({picturePath()});
        answerPalettes();
        addFramesFromFiles(m_window);
        ASSERT_EQ(image().images().count(), 6);
        EXPECT_EQ(newFrameIndex(before), c.expected);
        EXPECT_EQ(m_window.captions().last(), QStringLiteral("Add Frame"));
    }
    // Each picture asked the palette prompt after its open dialog.
    EXPECT_EQ(forms(), QStringList(std::size(cases), QStringLiteral("Palettes")));
    const auto& recorded = m_messages.recorded();
    ASSERT_GE(recorded.size(), 2u);
    const TRecordedDialog& dialog = recorded[recorded.size() - 2];
    EXPECT_EQ(dialog.kind, TDialogKind::OpenFile);
    EXPECT_EQ(dialog.request.filter, QString::fromLatin1(kImageFilesFilter));
    EXPECT_EQ(dialog.request.filterIndex, 1);
    EXPECT_TRUE(dialog.request.fileName.isEmpty());
    EXPECT_EQ(m_window.folder, testsupport::localTestData(QStringLiteral("imaging")));
}

TEST_F(CommandsFrameTest, CancelledAddFrameChangesNothing)
{
    buildAnimation(2);
    m_messages.pushFiles({});
    addFramesFromFiles(m_window);
    EXPECT_EQ(image().images().count(), 2);
    EXPECT_EQ(m_window.commandCount(), 0);
}

TEST_F(CommandsFrameTest, DeletingARangeGoesFromRightToLeftWithOneCommandEach)
{
    buildAnimation(5);
    m_window.selectRange(2, 4);
    deleteFrames(m_window);
    expectOrder({0, 1});
    EXPECT_EQ(m_window.captions(),
              QStringList({QStringLiteral("Delete Frame"), QStringLiteral("Delete Frame"),
                           QStringLiteral("Delete Frame")}));
    EXPECT_TRUE(m_window.doc().isModified());
    EXPECT_TRUE(m_messages.recorded().empty());
}

TEST_F(CommandsFrameTest, TheOnlyFrameIsRefusedWithTheDocumentName)
{
    buildAnimation(1);
    deleteFrames(m_window);
    EXPECT_EQ(image().images().count(), 1);
    EXPECT_EQ(m_window.commandCount(), 0);
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    EXPECT_EQ(m_messages.recorded()[0].text,
              QStringLiteral("The image Untitled1.gif must have, at least, one frame image."));
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Information);
}

TEST_F(CommandsFrameTest, SelectAllThenDeleteKeepsTheFirstFrame)
{
    buildAnimation(3);
    selectAllFrames(m_window);
    EXPECT_TRUE(m_window.selectAllShown);
    deleteFrames(m_window);
    expectOrder({0});
    EXPECT_EQ(m_window.commandCount(), 2);
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    EXPECT_EQ(m_messages.recorded()[0].text,
              QStringLiteral("The image Untitled1.gif must have, at least, one frame image."));
}

TEST_F(CommandsFrameTest, MoveActionsAndTheirTargets)
{
    const struct
    {
        const char* name;
        void (*command)(ICommandHost&);
        int current;
        std::vector<int> order; // original frame numbers afterwards
        bool recorded;
    } cases[] = {
        {"begin", &moveFrameToBeginning, 2, {2, 0, 1, 3}, true},
        {"end", &moveFrameToEnd, 1, {0, 2, 3, 1}, true},
        {"left", &moveFrameLeft, 1, {1, 0, 2, 3}, true},
        {"right", &moveFrameRight, 1, {0, 2, 1, 3}, true},
        {"left of first", &moveFrameLeft, 0, {0, 1, 2, 3}, false},
        {"right of last", &moveFrameRight, 3, {0, 1, 2, 3}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        image().clear();
        m_window.doc().ensureHistory().clear();
        buildAnimation(4);
        m_window.selectFrame(c.current);
        c.command(m_window);
        expectOrder(c.order);
        EXPECT_EQ(m_window.commandCount(), c.recorded ? 1 : 0);
    }
    // The last move put frame 1 at 2: neither first nor last.
    m_window.actions.clear();
    image().clear();
    buildAnimation(4);
    m_window.selectFrame(1);
    moveFrameToEnd(m_window);
    EXPECT_TRUE(m_window.actions.value(QStringLiteral("FrameMoveBegin")));
    EXPECT_FALSE(m_window.actions.value(QStringLiteral("FrameMoveEnd")));
    EXPECT_FALSE(m_window.actions.value(QStringLiteral("FrameMoveDown")));
}

TEST_F(CommandsFrameTest, MovingTheFirstFrameKeepsTheLoopOnTheNewFirstFrame)
{
    buildAnimation(3);
    undotest::addLoop(image().images().subImage(0), 4);
    m_window.selectFrame(0);
    moveFrameToEnd(m_window);
    expectOrder({1, 2, 0});
    ASSERT_NE(undotest::loopOf(image().images().subImage(0)), nullptr);
    EXPECT_EQ(undotest::loopOf(image().images().subImage(0))->loops(), 4);
    EXPECT_EQ(undotest::loopOf(image().images().subImage(2)), nullptr);
}

TEST_F(CommandsFrameTest, DroppingARangeMovesEachFrameFromLeftToRight)
{
    buildAnimation(5);
    m_window.selectRange(0, 1);
    dropFramesOnColumn(m_window, 4);
    // 0 goes to 4 (1 2 3 4 0), then the frame now at 1 (frame 2) goes to 4.
    expectOrder({1, 3, 4, 0, 2});
    EXPECT_EQ(m_window.commandCount(), 2);
}

TEST_F(CommandsFrameTest, ReverseBeepsWithOneFrameAndReversesTheWholeOrARange)
{
    buildAnimation(1);
    reverseFrames(m_window);
    EXPECT_EQ(m_window.beeps, 1);
    EXPECT_EQ(m_window.commandCount(), 0);

    image().clear();
    buildAnimation(5);
    m_window.selectRange(1, 3);
    reverseFrames(m_window);
    expectOrder({0, 3, 2, 1, 4});
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Reverse Frame Order")});
    EXPECT_EQ(m_window.session().currentFrame(), 1);

    image().clear();
    buildAnimation(4);
    undotest::addLoop(image().images().subImage(0), 7);
    m_window.selectFrame(2);
    reverseFrames(m_window);
    expectOrder({3, 2, 1, 0});
    // The animation keeps its own loop count rather than the default one.
    ASSERT_NE(undotest::loopOf(image().images().subImage(0)), nullptr);
    EXPECT_EQ(undotest::loopOf(image().images().subImage(0))->loops(), 7);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(undotest::loopOf(image().images().subImage(i)), nullptr);
}

TEST_F(CommandsFrameTest, TransparentColorNeedsAGraphicControlExtension)
{
    buildAnimation(2);
    auto* bare = undotest::addFrame(image(), 0, 0, 16, 12, 4, 3);
    undotest::setColors(bare->colorMap(), {0, 0xFF, 0xFF00, 0xFF0000});
    m_window.selectFrame(2);
    m_window.fakeDialogs.transparentAnswer = {mrOk, 2, 3};
    frameTransparentColor(m_window);
    EXPECT_EQ(m_window.commandCount(), 0);
    EXPECT_EQ(image().images().subImage(2)->graphicControlExtension(), nullptr);

    m_window.selectFrame(1);
    m_window.fakeDialogs.transparentAnswer = {mrCancel, 1, 3};
    frameTransparentColor(m_window);
    EXPECT_EQ(m_window.commandCount(), 0);

    m_window.fakeDialogs.transparentAnswer = {mrOk, 1, 3};
    frameTransparentColor(m_window);
    EXPECT_EQ(m_window.fakeDialogs.askedFrame, 1);
    TGIFGraphicControlExtension* control = image().images().subImage(1)->graphicControlExtension();
    EXPECT_TRUE(control->transparent());
    EXPECT_EQ(control->transparentColorIndex(), 3);
    EXPECT_EQ(control->disposal(), TGIFDisposal::dmBackground);
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Change Transparent Color")});
}

TEST_F(CommandsFrameTest, GlobalPropertiesReachEveryFrameWithAnExtension)
{
    buildAnimation(3);
    undotest::addFrame(image(), 0, 0, 16, 12, 4, 1);
    TGIFSubImage* bare = image().images().subImage(3);
    ASSERT_EQ(bare->graphicControlExtension(), nullptr);
    image().images().subImage(0)->graphicControlExtension()->setTransparent(true);

    TGlobalChangeChoice& answer = m_window.fakeDialogs.globalAnswer;
    answer = {};
    answer.modalResult = mrOk;
    answer.somethingToApply = true;
    answer.delayText = QStringLiteral(" 2 5 ");
    answer.transparent = {true, true}; // "Remove &Transparent" checked: transparency off
    answer.interlaced = {true, true};  // "Make &Interlaced" checked
    answer.disposal = TGIFDisposal::dmPrevious;
    globalFrameProperties(m_window);

    EXPECT_EQ(m_window.fakeDialogs.globalRequest.transparentCaption, QStringLiteral("Remove &Transparent"));
    EXPECT_EQ(m_window.fakeDialogs.globalRequest.interlacedCaption, QStringLiteral("Make &Interlaced"));
    EXPECT_EQ(m_window.fakeDialogs.globalRequest.localPaletteCaption,
              QStringLiteral("Remove &Local Palette"));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TGIFSubImage* frame = image().images().subImage(i);
        EXPECT_EQ(frame->graphicControlExtension()->delay(), 25);
        EXPECT_FALSE(frame->graphicControlExtension()->transparent());
        EXPECT_EQ(frame->graphicControlExtension()->disposal(), TGIFDisposal::dmPrevious);
        // Marking the document modified writes its working copy, and the writer keeps frames
        // with a local map non-interlaced (these frames all have one).
        EXPECT_EQ(frame->interlaced(), frame->colorMap().count() == 0);
    }
    // A frame without an extension is left alone; writing the working copy afterwards gives it
    // the default timing, nothing of the dialog's.
    EXPECT_NE(bare->graphicControlExtension(), nullptr);
    if (TGIFGraphicControlExtension* control = bare->graphicControlExtension()) {
        EXPECT_NE(control->delay(), 25);
        EXPECT_NE(control->disposal(), TGIFDisposal::dmPrevious);
    }
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Global Properties Change")});

    // A delay above 32767 is not a delay; nothing else asked means only the command is recorded.
    answer = {};
    answer.modalResult = mrOk;
    answer.somethingToApply = true;
    answer.delayText = QStringLiteral("40000");
    globalFrameProperties(m_window);
    EXPECT_EQ(delayOf(0), 25);

    answer.modalResult = mrCancel;
    globalFrameProperties(m_window);
    EXPECT_EQ(m_window.commandCount(), 2);
}

} // namespace
