#pragma once
// Shared set-up for the main command tests: a temporary folder and settings store of the test's
// own, a scripted message service, and a fake main window over a real edit session with one
// real document.
#include "app/CommandHost.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/Prompts.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "editing/UndoTestSupport.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"
#include "support/QtFrameImporter.h"

#include <QApplication>
#include <QClipboard>
#include <QMap>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace commandstest {

// The dialogs answer what the test queued; unset answers cancel.
class TFakeDialogs : public ICommandDialogs
{
public:
    TTransparentColorChoice transparentColor(int frameIndex) override
    {
        askedFrame = frameIndex;
        return transparentAnswer;
    }
    TGlobalPaletteChoice globalPalette() override { return paletteAnswer; }
    TGlobalChangeChoice globalChange(const TGlobalChangeRequest& request) override
    {
        globalRequest = request;
        return globalAnswer;
    }
    TResizeChoice resize(int, int) override { return resizeAnswer; }
    TInformationChoice information() override { return informationAnswer; }

    TTransparentColorChoice transparentAnswer;
    TGlobalPaletteChoice paletteAnswer;
    TGlobalChangeChoice globalAnswer;
    TGlobalChangeRequest globalRequest;
    TResizeChoice resizeAnswer;
    TInformationChoice informationAnswer;
    int askedFrame = -2;
};

// The main window over a real edit session with one real document. The frame strip is kept as
// plain numbers (columns from the working image, current frame, selection) and what the commands
// asked of the window is recorded.
class TFakeMainWindow : public ICommandHost, public IEditView
{
public:
    TFakeMainWindow()
    {
        m_session.setView(this);
        // The program's own prompts: the tests answer them through the scripted message service.
        m_session.setPrompts(&m_prompts);
        // Pictures become frames through Qt's own colour reduction, as in the routine tests:
        // the commands are what is under test here, not the engine's conversion.
        m_session.setFrameImporter(&importThroughQt);
        m_session.documents().create();
    }
    ~TFakeMainWindow() override { m_session.setView(nullptr); }

    // ---- ICommandHost ----
    TEditSession& session() override { return m_session; }
    int selectionLeft() const override { return left; }
    int selectionRight() const override { return right; }
    void selectAllColumns() override
    {
        left = 0;
        right = frameColumnCount() - 1;
        selectAllShown = true;
    }
    void enableAction(TActionId id, bool enabled) override
    {
        actions[QString::fromLatin1(actionName(id))] = enabled;
    }
    void enableDocumentCommands(bool enabled) override { documentCommands = enabled; }
    void beep() override { ++beeps; }
    QString frameClipboardFile() const override { return clipboardFile; }
    void setFrameClipboardFile(const QString& name) override { clipboardFile = name; }
    bool inspectorShowsComments() const override { return commentPage; }
    bool isPlaying() const override { return playing; }
    void stopPlayback() override { playing = false; }
    QString initialDir() const override { return folder; }
    void setInitialDir(const QString& value) override { folder = value; }
    ICommandDialogs& dialogs() override { return fakeDialogs; }
    QMdiArea* mdiArea() override { return nullptr; }

    // ---- IEditView: one column per non-empty frame ----
    void clearFrameStrip() override { m_session.setCurrentFrame(-1); }
    int frameColumnCount() const override
    {
        int columns = 0;
        TGIFImage& image = const_cast<TEditSession&>(m_session).workingImage();
        for (int i = 0; i < image.images().count(); ++i)
            if (!image.images().subImage(i)->empty())
                ++columns;
        return std::max(columns, 1);
    }
    void setFrameColumns(int) override {}
    bool selectFrame(int index) override
    {
        if (!m_session.documents().active() || index < 0 || index >= frameColumnCount() ||
            m_session.workingImage().empty())
            return false;
        m_session.setCurrentFrame(index);
        left = right = index;
        return true;
    }
    void repaintFrameStrip() override { ++repaints; }
    void setStatusText(int, const QString&) override {}
    TProgressEvent progressHandler() override { return {}; }

    // Selects a column range as a Ctrl-click would.
    void selectRange(int from, int to)
    {
        m_session.setCurrentFrame(from);
        left = from;
        right = to;
    }
    void setCurrent(int index) { m_session.setCurrentFrame(index); }

    // The active document (there is one unless a test closed it).
    TDocument& doc() { return *m_session.documents().active(); }
    int commandCount() { return doc().history() ? doc().history()->count() : 0; }
    QStringList captions()
    {
        QStringList result;
        for (int i = 0; i < commandCount(); ++i)
            result << doc().history()->command(i)->caption();
        return result;
    }
    void closeDocument() { m_session.documents().remove(&doc()); }

    TFakeDialogs fakeDialogs;
    int left = 0;
    int right = 0;
    bool selectAllShown = false;
    int repaints = 0;
    int beeps = 0;
    QMap<QString, bool> actions;
    bool documentCommands = false;
    QString clipboardFile;
    bool commentPage = false;
    bool playing = false;
    QString folder;

private:
    TEditSession m_session;
    TDialogPrompts m_prompts;
};

class CommandsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Settings::writeInteger(SettingKeys::ClipDefault, 1);
    }
    void TearDown() override
    {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
    }

    TGIFImage& image() { return m_window.session().workingImage(); }

    // Answers the next palette prompt (a picture of 256 colours or more becoming a frame) with OK.
    void answerPalettes()
    {
        m_messages.pushForm([](QDialog& form) {
            auto& prompt = dynamic_cast<TfrmPrompts&>(form);
            ASSERT_EQ(prompt.page(), TPromptPage::Palettes);
            prompt.btnOK->click();
        });
    }
    // The titles of the forms the commands opened, in order.
    QStringList forms() const
    {
        QStringList titles;
        for (const auto& entry : m_messages.recorded())
            if (entry.kind == TDialogKind::Form)
                titles << entry.text;
        return titles;
    }

    // A screen of width x height with frames of the given sizes, each with a local map of four
    // colours, a graphic control extension with delay 10 * (i + 1) and distinct pixels; then
    // normalised as every document's image is once its working copy was written.
    void buildAnimation(int frames, int width = 16, int height = 12)
    {
        image().header().setWidth(width);
        image().header().setHeight(height);
        for (int i = 0; i < frames; ++i) {
            TGIFSubImage* frame = undotest::addFrame(image(), 0, 0, width, height, 4, i);
            undotest::setColors(frame->colorMap(), {rgbColor(uint8_t(10 * i), 0, 0), rgbColor(0, 200, 0),
                                                    rgbColor(0, 0, 200), rgbColor(255, 255, uint8_t(i))});
            undotest::addGCE(frame, 10 * (i + 1));
        }
        normalizeForWriting(image(), TNormalizeMode::WorkingCopy);
        m_window.selectFrame(0);
    }

    std::vector<TGIFSubImage*> framePointers()
    {
        std::vector<TGIFSubImage*> result;
        for (int i = 0; i < image().images().count(); ++i)
            result.push_back(image().images().subImage(i));
        return result;
    }

    int delayOf(int index)
    {
        TGIFGraphicControlExtension* control = image().images().subImage(index)->graphicControlExtension();
        return control ? control->delay() : -1;
    }

    std::vector<int> delays()
    {
        std::vector<int> result;
        for (int i = 0; i < image().images().count(); ++i)
            result.push_back(delayOf(i));
        return result;
    }

    undotest::TUndoEnvironment m_environment;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
    TFakeMainWindow m_window;
};

} // namespace commandstest
