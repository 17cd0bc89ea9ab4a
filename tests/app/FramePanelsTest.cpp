// The frame and animation panels through their real controls: the delay's input timer and its
// single undo record, disposal over a range, the loop rules and their records, the animation's
// transparent colour, frame selection and the progress display.
#include "FrameStripFixture.h"
#include "editing/LoopExtension.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace striptest;

namespace {

void typeInto(TNumberEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void leave(QWidget* widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(widget, &out);
}

void enter(QWidget* widget)
{
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(widget, &in);
}

} // namespace

class PanelsFixture : public StripFixture
{
protected:
    void SetUp() override
    {
        StripFixture::SetUp();
        controller->setInputDelay(20);
    }
    bool waitForInputTimer()
    {
        return QTest::qWaitFor([this] { return !controller->inputTimerActive(); }, 5000);
    }
};

TEST_F(PanelsFixture, SelectingAFrameWithoutTimingGivesItTheDefault)
{
    Settings::writeInteger(SettingKeys::DefaultDelay, 70);
    openFrames({{40, 30}, {40, 30}}, false);
    document->setModified(false);
    ASSERT_TRUE(controller->selectFrame(1));
    TGIFGraphicControlExtension* control = frame(1)->graphicControlExtension();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->delay(), 70);
    EXPECT_EQ(control->disposal(), TGIFDisposal::dmBackground);
    EXPECT_FALSE(document->isModified());
    EXPECT_EQ(recorded(), 0);
    EXPECT_EQ(panels->txtDelay->value(), 70);
    EXPECT_EQ(panels->cbDisposal->currentText(), "Background");
    EXPECT_GT(host.playbackStops, 0);
}

TEST_F(PanelsFixture, SelectFrameRefusesWhatItCannotShow)
{
    openFrames({{40, 30}, {40, 30}});
    EXPECT_FALSE(controller->selectFrame(-1));
    EXPECT_FALSE(controller->selectFrame(2));
    setHasDocument(false);
    EXPECT_FALSE(controller->selectFrame(0));
    setHasDocument(true);

    // A strip with more columns than the image has frames: the frame list's error, nothing else.
    controller->setFrameColumns(3);
    host.shown.clear();
    EXPECT_FALSE(controller->selectFrame(2));
    EXPECT_EQ(messages.texts(), QStringList({"EListError getting SubImages[2] in DrawPreviewImage"}));
    EXPECT_TRUE(host.shown.isEmpty());
    EXPECT_EQ(controller->currentFrame(), 0);
}

TEST_F(PanelsFixture, DelayIsCommittedHalfASecondAfterTheLastKeyAsOneRecord)
{
    openFrames({{40, 30}, {40, 30}});
    const QByteArray before = undotest::gifBytes(image());
    document->setModified(false);
    enter(panels->txtDelay);
    typeInto(panels->txtDelay, "25");
    EXPECT_TRUE(controller->inputTimerActive());
    EXPECT_EQ(frame(0)->graphicControlExtension()->delay(), 10); // not before the timer
    ASSERT_TRUE(waitForInputTimer());

    EXPECT_EQ(frame(0)->graphicControlExtension()->delay(), 25);
    EXPECT_EQ(frame(1)->graphicControlExtension()->delay(), 20);
    EXPECT_EQ(recorded(), 1);
    EXPECT_EQ(lastCaption(), "Change Delay");
    EXPECT_TRUE(document->isModified());
    EXPECT_FALSE(controller->delayEditing());

    undoActiveDocument(*document);
    EXPECT_SAME_BYTES(before, undotest::gifBytes(image()));
}

TEST_F(PanelsFixture, LeavingTheDelayBeforeTheTimerDropsTheChange)
{
    openFrames({{40, 30}});
    enter(panels->txtDelay);
    typeInto(panels->txtDelay, "55");
    leave(panels->txtDelay);
    ASSERT_TRUE(waitForInputTimer());
    EXPECT_EQ(frame(0)->graphicControlExtension()->delay(), 10);
    EXPECT_EQ(recorded(), 0);

    // An emptied field is given the default delay when it is left.
    enter(panels->txtDelay);
    typeInto(panels->txtDelay, "");
    leave(panels->txtDelay);
    EXPECT_EQ(panels->txtDelay->editText(), "100");
}

TEST_F(PanelsFixture, DelayAppliesToEveryFrameOfTheRangeAndArrowsCount)
{
    openFrames({{40, 30}, {40, 30}, {40, 30}});
    strip->setSelection(0, 1);
    QTest::keyClick(panels->txtDelay, Qt::Key_Up); // an arrow enters the field and changes it
    EXPECT_TRUE(controller->delayEditing());
    ASSERT_TRUE(waitForInputTimer());
    EXPECT_EQ(frame(0)->graphicControlExtension()->delay(), 11);
    EXPECT_EQ(frame(1)->graphicControlExtension()->delay(), 11);
    EXPECT_EQ(frame(2)->graphicControlExtension()->delay(), 30);
    EXPECT_EQ(recorded(), 2);
}

TEST_F(PanelsFixture, DelayFieldTakesOnlyDigits)
{
    openFrames({{40, 30}});
    enter(panels->txtDelay);
    typeInto(panels->txtDelay, "4x-2 ");
    EXPECT_EQ(panels->txtDelay->editText(), "42");
}

TEST_F(PanelsFixture, DisposalChangesEverySelectedFrameWithOneRecordEach)
{
    openFrames({{40, 30}, {40, 30}, {40, 30}, {40, 30}});
    strip->setSelection(0, 2);
    panels->cbDisposal->setCurrentIndex(2);
    QTest::keyClick(panels->cbDisposal, Qt::Key_Down); // "Previous"
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frame(i)->graphicControlExtension()->disposal(), TGIFDisposal::dmPrevious) << i;
    EXPECT_EQ(frame(3)->graphicControlExtension()->disposal(), TGIFDisposal::dmNone);
    ASSERT_EQ(recorded(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(document->history()->command(i)->caption(), "Change Disposal");
}

TEST_F(PanelsFixture, LoopRulesAndTheirRecords)
{
    // start: user count before (1 = no extension); then the panel's choice.
    struct Case
    {
        int start;
        bool playForever;
        int count;
        bool extension; // a looping extension afterwards
        int stored;     // its count
        int action;     // action type recorded, 0 for none
    };
    const Case cases[] = {
        {0, false, 1, false, 0, 2}, {1, true, 1, true, 0, 1}, {1, false, 3, true, 2, 1},
        {0, false, 3, true, 2, 3},  {3, true, 1, true, 0, 3}, {3, false, 3, true, 2, 0},
        {1, false, 1, false, 0, 0}, {0, true, 1, true, 0, 0},
    };
    for (const Case& c : cases) {
        image().clear();
        document->history()->clear();
        openFrames({{40, 30}, {40, 30}});
        if (c.start != 1)
            addLoopExtension(image(), *frame(0), c.start);
        const QByteArray before = undotest::gifBytes(image());
        document->setModified(false);

        controller->applyLoop(c.playForever, c.count);
        SCOPED_TRACE(testing::Message()
                     << "start " << c.start << " forever " << c.playForever << " count " << c.count);
        TGIFAppExtNSLoop* loop = undotest::loopOf(frame(0));
        EXPECT_EQ(loop != nullptr, c.extension);
        if (loop && c.extension) {
            EXPECT_EQ(loop->loops(), c.stored);
        }
        EXPECT_EQ(recorded(), c.action ? 1 : 0);
        EXPECT_EQ(document->isModified(), c.action != 0);
        if (c.action) {
            EXPECT_EQ(document->history()->command(0)->actionType(), c.action);
            EXPECT_EQ(lastCaption(), "Change Animation Loop");
            undoActiveDocument(*document);
            EXPECT_SAME_BYTES(before, undotest::gifBytes(image()));
        }
    }
}

TEST_F(PanelsFixture, LoopControlsShowAndEditTheUserCount)
{
    openFrames({{40, 30}, {40, 30}});
    addLoopExtension(image(), *frame(0), 3); // stored 2
    ASSERT_EQ(undotest::loopOf(frame(0))->loops(), 2);
    controller->selectFrame(1);
    EXPECT_TRUE(panels->optPlay->isChecked());
    EXPECT_EQ(panels->txtLoop->value(), 3);

    // Clicking "Play Forever" applies at once.
    QTest::mouseClick(panels->optForever, Qt::LeftButton);
    EXPECT_EQ(undotest::loopOf(frame(0))->loops(), 0);
    EXPECT_EQ(recorded(), 1);

    // Entering the count with "Play Forever" checked switches to "Play" and applies the count.
    enter(panels->txtLoop);
    EXPECT_TRUE(panels->optPlay->isChecked());
    EXPECT_EQ(undotest::loopOf(frame(0))->loops(), 2);
    EXPECT_EQ(recorded(), 2);
    leave(panels->txtLoop);

    // Typing a count commits it on the timer.
    enter(panels->txtLoop);
    typeInto(panels->txtLoop, "5");
    ASSERT_TRUE(waitForInputTimer());
    EXPECT_EQ(undotest::loopOf(frame(0))->loops(), 4);
    EXPECT_EQ(recorded(), 3);
}

TEST_F(PanelsFixture, SelectMakesEveryFrameWithTimingTransparent)
{
    openFrames({{40, 30}, {40, 30}}, true);
    // A third frame without timing, never selected.
    undotest::addFrame(image(), 0, 0, 40, 30, 4, 2);
    controller->setFrameColumns(3);
    frame(1)->setPixel(0, 29, 2); // bottom-left corner of frame 1: blue
    const QByteArray before = undotest::gifBytes(image());

    QTest::mouseClick(panels->btnSelect, Qt::LeftButton); // the dialog is cancelled
    EXPECT_EQ(host.paletteAsks, 1);
    EXPECT_EQ(recorded(), 0);

    host.paletteAnswer = {true, 1, rgbColor(0, 255, 0)};
    QTest::mouseClick(panels->btnSelect, Qt::LeftButton);
    EXPECT_EQ(lastCaption(), "Make Animation Transparent");
    EXPECT_EQ(image().header().backgroundColor(), rgbColor(0, 255, 0));
    for (int i = 0; i < 2; ++i) {
        TGIFGraphicControlExtension* control = frame(i)->graphicControlExtension();
        EXPECT_TRUE(control->transparent()) << i;
        EXPECT_EQ(control->disposal(), TGIFDisposal::dmBackground) << i;
    }
    EXPECT_EQ(frame(0)->graphicControlExtension()->transparentColor(), rgbColor(0, 255, 0));
    EXPECT_EQ(frame(1)->graphicControlExtension()->transparentColor(), rgbColor(0, 0, 255));
    // Frame 2 had no timing when the command ran, so it stays opaque; writing the working copy
    // afterwards gives it the default timing.
    EXPECT_FALSE(frame(2)->transparent());
    if (TGIFGraphicControlExtension* control = frame(2)->graphicControlExtension()) {
        EXPECT_FALSE(control->transparent());
    }
    EXPECT_EQ(panels->swatchIndex(), 1);
    EXPECT_TRUE(document->isModified());

    undoActiveDocument(*document);
    EXPECT_SAME_BYTES(before, undotest::gifBytes(image()));
}

TEST_F(PanelsFixture, SelectAllInTheCurrentFrameListSelectsEveryCell)
{
    openFrames({{40, 30}, {40, 30}, {40, 30}});
    QComboBox* list = panels->cbCurrentFrame;
    ASSERT_EQ(list->itemText(list->count() - 1), "Select All");
    list->setCurrentIndex(2);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_TRUE(strip->allSelected());

    list->setCurrentIndex(0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(controller->currentFrame(), 1);
    EXPECT_TRUE(strip->singleSelection());
    EXPECT_EQ(strip->selectionLeft(), 1);
}

TEST_F(PanelsFixture, ProgressBarShowsOnlyWhileWorkRuns)
{
    QProgressBar* bar = controller->progressBar();
    TProgressEvent progress = controller->progressHandler();
    EXPECT_TRUE(bar->isHidden());
    progress(nullptr, psStarting, 0, false, {}, QStringLiteral("Loading..."));
    EXPECT_FALSE(bar->isHidden());
    progress(nullptr, psRunning, 40, false, {}, QStringLiteral("Loading..."));
    EXPECT_EQ(bar->value(), 40);
    progress(nullptr, psRunning, 250, false, {}, QStringLiteral("Loading..."));
    EXPECT_EQ(bar->value(), 100);
    progress(nullptr, psEnding, 100, false, {}, QStringLiteral("Loading..."));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(PanelsFixture, FrameSizeMenuResizesTheStrip)
{
    QMenu* menu = controller->createFrameSizeMenu(&window);
    ASSERT_EQ(menu->actions().size(), 6);
    EXPECT_TRUE(menu->actions().last()->isChecked());
    int announced = 0;
    QObject::connect(controller.get(), &TFrameStripController::frameSizeChanged,
                     [&](int size) { announced = size; });
    menu->actions().first()->trigger();
    EXPECT_EQ(announced, 80);
    EXPECT_EQ(strip->columnWidth(), 118);
    EXPECT_EQ(strip->rowHeight(), 142);
    EXPECT_EQ(controller->frameAreaHeight(), 192);
    EXPECT_TRUE(menu->actions().first()->isChecked());
    EXPECT_FALSE(menu->actions().last()->isChecked());
}
