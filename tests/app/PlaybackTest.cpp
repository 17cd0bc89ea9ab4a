// Preview playback through the real main window on the offscreen platform: the painter runs on a
// manual clock, so every frame is stepped by the test and nothing waits on real time.
#include "AnimationFilesFixture.h"

#include "app/DocumentTabs.h"
#include "app/Playback.h"
#include "gif/GIFPainter.h"
#include "gif/GIFPreview.h"
#include "graphics/MainThreadDispatcher.h"

#include <QLabel>
#include <QMdiArea>
#include <QMenu>

namespace {

class PlaybackTest : public AnimationFilesFixture
{
protected:
    void SetUp() override
    {
        AnimationFilesFixture::SetUp();
        m_clock = std::make_shared<TManualPainterClock>();
        setPainterClock(m_clock);
    }
    void TearDown() override
    {
        stopProgram(); // stops the painter while the clock is still installed
        setPainterClock(nullptr);
        AnimationFilesFixture::TearDown();
    }

    TPlayback& playback() { return main().playback(); }
    QString status(TMDIChild* doc) { return doc->statusPanel(2)->text(); }
    bool menuEnabled(const char* name) { return main().menu(QString::fromLatin1(name))->menuAction()->isEnabled(); }
    // Serves the painter until it ends by itself; false when it does not (a broken painter must
    // fail the test, not hang it).
    bool runToEnd()
    {
        for (int step = 0; step < 2000 && playback().isPlaying(); ++step) {
            m_clock->advance(1000);
            TMainThreadDispatcher::instance().waitAndProcess(1);
        }
        return !playback().isPlaying();
    }

    std::shared_ptr<TManualPainterClock> m_clock;
};

TEST_F(PlaybackTest, ASingleFrameIsNotAnAnimation)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("one.gif"), 1));
    const QString before = status(doc);
    trigger(TActionId::AnimationPlay);
    EXPECT_EQ(m_messages.texts(),
              QStringList{QStringLiteral("This GIF is not an animation, therefore it cannot be played. Add "
                                         "additional images in order to play it.")});
    EXPECT_EQ(m_messages.recorded().back().type, TMsgType::Information);
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_FALSE(doc->view()->isHidden());
    EXPECT_EQ(status(doc), before);
    EXPECT_TRUE(menuEnabled("mnuFile"));
    EXPECT_FALSE(action(TActionId::AnimationPause)->isEnabled());
}

TEST_F(PlaybackTest, PlayingDisablesEditingAndPauseGivesItBack)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("five.gif"), 5));
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(playback().isPlaying());
    ASSERT_TRUE(m_clock->waitForWaits(1));
    EXPECT_EQ(status(doc), QStringLiteral("Playing Frame 0 of 4"));
    EXPECT_TRUE(doc->view()->isHidden());
    QWidget* preview = playback().previewControl();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->parentWidget(), doc->framePanel());
    EXPECT_EQ(preview->geometry(), QRect(0, 0, 8, 8));
    EXPECT_TRUE(preview->isVisibleTo(doc->framePanel()));
    EXPECT_EQ(playback().preview().image().drawOptions(), TGIFDrawOptions(1551));
    for (const char* menu : {"mnuFile", "mnuEdit", "mnuTools", "mnuPlugins", "mnuWindow", "mnuHelp"})
        EXPECT_FALSE(menuEnabled(menu)) << menu;
    EXPECT_TRUE(menuEnabled("mnuView"));
    for (TActionId name :
         {TActionId::AnimationPlay, TActionId::EditPaste, TActionId::FrameAdd, TActionId::FrameDelete,
          TActionId::FrameMoveBegin, TActionId::FrameMoveEnd, TActionId::FrameMoveUp,
          TActionId::FrameMoveDown, TActionId::FrameTransColor, TActionId::FileNew, TActionId::FileOpen,
          TActionId::FrameReverse, TActionId::AnimationInfo})
        EXPECT_FALSE(action(name)->isEnabled()) << actionName(name);
    EXPECT_TRUE(action(TActionId::AnimationPause)->isEnabled());

    m_clock->advance(120);
    ASSERT_TRUE(m_clock->waitForWaits(2));
    EXPECT_EQ(status(doc), QStringLiteral("Playing Frame 1 of 4"));

    trigger(TActionId::AnimationPause);
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_FALSE(playback().preview().isPainting());
    EXPECT_TRUE(playback().preview().image().empty()) << "the copy is released";
    EXPECT_EQ(preview->parentWidget(), &main());
    EXPECT_TRUE(preview->isHidden());
    EXPECT_FALSE(doc->view()->isHidden());
    EXPECT_EQ(status(doc), QStringLiteral("five.gif - [Height: 8 x Width: 8]"));
    for (const char* menu : {"mnuFile", "mnuEdit", "mnuTools", "mnuWindow", "mnuHelp"})
        EXPECT_TRUE(menuEnabled(menu)) << menu;
    // Frame 0 is current: it cannot move further left.
    for (TActionId name : {TActionId::AnimationPlay, TActionId::FrameAdd, TActionId::FrameDelete,
                           TActionId::FrameMoveEnd, TActionId::FrameMoveDown, TActionId::FrameTransColor,
                           TActionId::FileNew, TActionId::FileOpen, TActionId::FrameReverse})
        EXPECT_TRUE(action(name)->isEnabled()) << actionName(name);
    EXPECT_FALSE(action(TActionId::FrameMoveBegin)->isEnabled());
    EXPECT_FALSE(action(TActionId::FrameMoveUp)->isEnabled());
    EXPECT_FALSE(action(TActionId::AnimationPause)->isEnabled());
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(PlaybackTest, TwoRepetitionsPlayThreeTimesThenEditingReturnsByItself)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("loop2.gif"), 3, 2));
    QStringList shown;
    TGIFPreview& preview = playback().preview();
    const TNotifyEvent handler = preview.onFrame;
    preview.onFrame = [&](TObject* sender) {
        handler(sender);
        shown << status(doc);
    };
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(playback().isPlaying());
    ASSERT_TRUE(runToEnd());

    QStringList once{QStringLiteral("Playing Frame 0 of 2"), QStringLiteral("Playing Frame 1 of 2"),
                     QStringLiteral("Playing Frame 2 of 2")};
    EXPECT_EQ(shown, once + once + once);
    EXPECT_FALSE(doc->view()->isHidden());
    EXPECT_EQ(status(doc), QStringLiteral("loop2.gif - [Height: 8 x Width: 8]"));
    EXPECT_TRUE(menuEnabled("mnuEdit"));
    EXPECT_TRUE(action(TActionId::FrameAdd)->isEnabled());
    EXPECT_FALSE(action(TActionId::AnimationPause)->isEnabled());
    // The end keeps the copy (stop without release); the next Play replaces it.
    EXPECT_FALSE(preview.image().empty());
    trigger(TActionId::AnimationPlay);
    EXPECT_TRUE(playback().isPlaying());
    trigger(TActionId::AnimationPause);
    preview.onFrame = handler;
}

TEST_F(PlaybackTest, WithoutALoopingExtensionTheAnimationPlaysOnce)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("once.gif"), 2));
    int frames = 0;
    TGIFPreview& preview = playback().preview();
    const TNotifyEvent handler = preview.onFrame;
    preview.onFrame = [&](TObject* sender) {
        handler(sender);
        ++frames;
    };
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(frames, 2);
    EXPECT_FALSE(doc->view()->isHidden());
    preview.onFrame = handler;
}

TEST_F(PlaybackTest, SelectingAFrameStopsThePreviewAndShowsThatFrame)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("three.gif"), 3, 0));
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(m_clock->waitForWaits(1));
    ASSERT_TRUE(selectFrame(2));
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_FALSE(playback().preview().isPainting());
    EXPECT_FALSE(doc->view()->isHidden());
    EXPECT_EQ(main().session().currentFrame(), 2);
    EXPECT_TRUE(action(TActionId::FrameMoveBegin)->isEnabled());
    EXPECT_FALSE(action(TActionId::FrameMoveEnd)->isEnabled());
}

TEST_F(PlaybackTest, SwitchingDocumentsStopsThePreviewOfTheFirst)
{
    TMDIChild* first = open(makeGif(QStringLiteral("first.gif"), 3, 0));
    TMDIChild* second = open(makeGif(QStringLiteral("second.gif"), 4, 0));
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(m_clock->waitForWaits(1));
    EXPECT_EQ(playback().playingDocument(), second->document());

    main().documentTabs()->setCurrentIndex(int(docs().documents().indexOf(first->document())));
    EXPECT_EQ(activeView(), first);
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_FALSE(second->view()->isHidden());
    EXPECT_EQ(playback().previewControl()->parentWidget(), &main());
    EXPECT_EQ(working().images().count(), 3);
    EXPECT_TRUE(menuEnabled("mnuFile"));
}

TEST_F(PlaybackTest, ThePlayMenuListsDocumentsActiveFirstAndPlaysTheChosenOne)
{
    const QString firstPath = makeGif(QStringLiteral("first.gif"), 3, 0);
    const QString secondPath = makeGif(QStringLiteral("second.gif"), 4, 0);
    TMDIChild* first = open(firstPath);
    TMDIChild* second = open(secondPath);
    QMenu* menu = main().menu(QStringLiteral("pmnPlayDocuments"));
    ASSERT_NE(menu, nullptr);
    auto captions = [menu] {
        QStringList list;
        for (QAction* entry : menu->actions())
            list << entry->text();
        return list;
    };
    EXPECT_EQ(captions(), (QStringList{firstPath, secondPath}));
    emit menu->aboutToShow();
    EXPECT_EQ(captions(), (QStringList{secondPath, firstPath}));
    EXPECT_EQ(menu->defaultAction(), menu->actions().value(0));
    EXPECT_EQ(menu->actions().value(0)->statusTip(), action(TActionId::AnimationPlay)->statusTip());

    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(m_clock->waitForWaits(1));
    menu->actions().value(1)->trigger(); // first.gif
    EXPECT_EQ(activeView(), first);
    EXPECT_EQ(playback().playingDocument(), first->document());
    EXPECT_FALSE(second->view()->isHidden());
    EXPECT_TRUE(first->view()->isHidden());
    ASSERT_TRUE(m_clock->waitForWaits(2));
    EXPECT_EQ(status(first), QStringLiteral("Playing Frame 0 of 2"));
}

TEST_F(PlaybackTest, ClosingThePlayingDocumentStopsFirst)
{
    open(makeGif(QStringLiteral("other.gif"), 2, 0));
    TMDIChild* doc = open(makeGif(QStringLiteral("closing.gif"), 3, 0));
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(m_clock->waitForWaits(1));
    EXPECT_FALSE(action(TActionId::FileClose)->isEnabled()) << "the File menu waits for the end";
    doc->close(); // the window's own close box
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_FALSE(playback().preview().isPainting());
    ASSERT_NE(playback().previewControl(), nullptr) << "the control went back to the main window";
    EXPECT_EQ(playback().previewControl()->parentWidget(), &main());
    EXPECT_EQ(docs().count(), 1);
    EXPECT_NE(activeView(), doc);
    EXPECT_TRUE(menuEnabled("mnuFile"));
}

TEST_F(PlaybackTest, WithoutADocumentPlayAndPauseAreSwitchedOff)
{
    main().playback().play();
    EXPECT_FALSE(action(TActionId::AnimationPlay)->isEnabled());
    EXPECT_FALSE(action(TActionId::AnimationPause)->isEnabled());
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(PlaybackTest, ReverseAndHtmlCodeWaitForTheEnd)
{
    open(makeGif(QStringLiteral("rev.gif"), 3, 0));
    trigger(TActionId::AnimationPlay);
    ASSERT_TRUE(m_clock->waitForWaits(1));
    emit main().menu(QStringLiteral("mnuTools"))->aboutToShow();
    EXPECT_FALSE(action(TActionId::FrameReverse)->isEnabled());
    EXPECT_FALSE(action(TActionId::mniHTMLCode)->isEnabled());
    trigger(TActionId::AnimationPause);
    emit main().menu(QStringLiteral("mnuTools"))->aboutToShow();
    EXPECT_TRUE(action(TActionId::FrameReverse)->isEnabled());
    EXPECT_TRUE(action(TActionId::mniHTMLCode)->isEnabled());
}

} // namespace
