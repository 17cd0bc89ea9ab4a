// Every command that changes the animation, followed by one Undo, gives back the animation
// byte for byte.
#include "app/AnimationCommands.h"
#include "app/CommandsFixture.h"
#include "app/EditCommands.h"
#include "app/FrameCommands.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <functional>

using namespace commandstest;

namespace {

class CommandsUndoTest : public CommandsFixture
{
protected:
    void TearDown() override
    {
        if (!m_window.clipboardFile.isEmpty())
            QFile::remove(m_window.clipboardFile);
        QGuiApplication::clipboard()->clear();
        CommandsFixture::TearDown();
    }
};

struct TUndoCase
{
    const char* name;
    // Prepares the window (selection, dialog answers, clipboard) and runs the command.
    std::function<void(TFakeMainWindow&)> run;
};

void selectOne(TFakeMainWindow& window, int index)
{
    window.selectFrame(index);
}

TEST_F(CommandsUndoTest, EveryCommandUndoesToTheSameBytes)
{
    const QString picture = testsupport::localTestData(QStringLiteral("imaging/quad.bmp"));
    const TUndoCase cases[] = {
        {"add frame",
         [&](TFakeMainWindow& w) {
             selectOne(w, 1);
             m_messages.pushFiles({picture});
             answerPalettes();
             addFramesFromFiles(w);
         }},
        {"delete frame",
         [](TFakeMainWindow& w) {
             selectOne(w, 2);
             deleteFrames(w);
         }},
        {"delete first frame",
         [](TFakeMainWindow& w) {
             selectOne(w, 0);
             deleteFrames(w);
         }},
        {"move to beginning",
         [](TFakeMainWindow& w) {
             selectOne(w, 3);
             moveFrameToBeginning(w);
         }},
        {"move first to end",
         [](TFakeMainWindow& w) {
             selectOne(w, 0);
             moveFrameToEnd(w);
         }},
        {"move left",
         [](TFakeMainWindow& w) {
             selectOne(w, 1);
             moveFrameLeft(w);
         }},
        {"move right",
         [](TFakeMainWindow& w) {
             selectOne(w, 2);
             moveFrameRight(w);
         }},
        {"reverse all",
         [](TFakeMainWindow& w) {
             selectOne(w, 1);
             reverseFrames(w);
         }},
        {"reverse range",
         [](TFakeMainWindow& w) {
             w.selectRange(1, 3);
             reverseFrames(w);
         }},
        {"transparent color",
         [](TFakeMainWindow& w) {
             selectOne(w, 2);
             w.fakeDialogs.transparentAnswer = {mrOk, 2, 3};
             frameTransparentColor(w);
         }},
        {"global properties",
         [](TFakeMainWindow& w) {
             TGlobalChangeChoice& answer = w.fakeDialogs.globalAnswer;
             answer.modalResult = mrOk;
             answer.somethingToApply = true;
             answer.delayText = QStringLiteral("77");
             answer.transparent = {true, true};
             answer.transparentColor = 0x00C800;
             answer.interlaced = {true, true};
             answer.localPalette = {true, true};
             answer.disposal = TGIFDisposal::dmKeep;
             globalFrameProperties(w);
         }},
        {"paste picture",
         [this](TFakeMainWindow& w) {
             selectOne(w, 2);
             QImage other(9, 7, QImage::Format_RGB32);
             other.fill(Qt::blue);
             QGuiApplication::clipboard()->setImage(other);
             answerPalettes();
             pasteFrames(w);
         }},
        {"paste comment",
         [](TFakeMainWindow& w) {
             QGuiApplication::clipboard()->setText(QStringLiteral("first line\nsecond line"));
             pasteComments(w);
         }},
        {"resize",
         [](TFakeMainWindow& w) {
             w.fakeDialogs.resizeAnswer = {mrOk, 33, 9};
             resizeAnimation(w);
         }},
        {"loop forever",
         [](TFakeMainWindow& w) {
             w.fakeDialogs.informationAnswer = {mrOk, true, 0};
             animationInformation(w);
         }},
        {"loop five times",
         [](TFakeMainWindow& w) {
             w.fakeDialogs.informationAnswer = {mrOk, false, 5};
             animationInformation(w);
         }},
        {"global palette",
         [](TFakeMainWindow& w) {
             w.fakeDialogs.paletteAnswer = {mrOk, true, {0x0000FF, 0x00FF00, 0xFF0000}};
             globalPalette(w);
         }},
    };
    // Palette type 0 merges every map into the global one when a frame is added; type 2 leaves
    // the other frames alone.
    for (const int paletteType : {2, 0}) {
        for (const TUndoCase& c : cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(paletteType);
            image().clear();
            m_window.doc().ensureHistory().clear();
            m_window.fakeDialogs = TFakeDialogs();
            Settings::writeInteger(SettingKeys::PaletteType, paletteType);
            buildAnimation(5);
            undotest::addLoop(image().images().subImage(0), 2);
            const QByteArray before = undotest::gifBytes(image());

            c.run(m_window);
            ASSERT_EQ(m_window.commandCount(), 1) << "one command per edit";
            EXPECT_NE(undotest::gifBytes(image()), before) << "the command changed nothing";
            undoActiveDocument(m_window.doc());
            EXPECT_EQ(m_window.commandCount(), 0);
            EXPECT_EQ(undotest::gifBytes(image()), before);
        }
    }
}

// Adding a frame may merge the maps of every frame (palette type 0) or give frame 0 the looping
// extension it lacked; undoing it must take those back as well.
TEST_F(CommandsUndoTest, AddedFrameUndoesWhatElseItChanged)
{
    const struct
    {
        const char* name;
        int paletteType;
        bool loop;
    } cases[] = {{"maps merged", 0, true}, {"loop added", 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        image().clear();
        m_window.doc().ensureHistory().clear();
        Settings::writeInteger(SettingKeys::PaletteType, c.paletteType);
        buildAnimation(3);
        if (c.loop)
            undotest::addLoop(image().images().subImage(0), 0);
        const QByteArray before = undotest::gifBytes(image());
        QImage other(9, 7, QImage::Format_RGB32);
        other.fill(Qt::blue);
        QGuiApplication::clipboard()->setImage(other);
        answerPalettes();
        pasteFrames(m_window);
        ASSERT_EQ(m_window.commandCount(), 1);
        undoActiveDocument(m_window.doc());
        EXPECT_EQ(undotest::gifBytes(image()), before);
    }
}

// Pasting copied frames records one command per frame; undoing them all gives the bytes back.
TEST_F(CommandsUndoTest, PastingCopiedFramesUndoesFrameByFrame)
{
    Settings::writeInteger(SettingKeys::PaletteType, 2);
    buildAnimation(5);
    undotest::addLoop(image().images().subImage(0), 0);
    m_window.selectRange(1, 2);
    ASSERT_TRUE(copyFrames(m_window));
    m_window.selectFrame(3);
    const QByteArray before = undotest::gifBytes(image());
    answerPalettes();
    answerPalettes();
    pasteFrames(m_window);
    ASSERT_EQ(m_window.commandCount(), 2);
    EXPECT_EQ(image().images().count(), 7);
    undoActiveDocument(m_window.doc());
    undoActiveDocument(m_window.doc());
    EXPECT_EQ(undotest::gifBytes(image()), before);
}

} // namespace
