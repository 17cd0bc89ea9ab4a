#pragma once
// Shared set-up for the main command tests: a temporary folder and settings store of the test's
// own, a scripted message service, and a fake main window and document over the real working
// image and a real undo history. The fakes keep the frame strip as plain numbers (current frame,
// selection) and record what the commands asked of the window.
#include "app/CommandHost.h"
#include "editing/Routines.h"
#include "editing/UndoHost.h"
#include "editing/UndoTestSupport.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"
#include "support/QtFrameImporter.h"

#include <QDir>
#include <QApplication>
#include <QClipboard>
#include <QMap>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace commandstest {

class TFakeMainWindow;

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

// The active document: the undo host and the routines' document in one.
class TFakeCommandDocument : public IUndoHost, public IRoutinesDocument
{
public:
    explicit TFakeCommandDocument(TFakeMainWindow& window) : m_window(window) {}

    TGIFImage& workingImage() override { return *::workingImage(); }
    TProgressEvent snapshotProgress() override { return {}; }
    void frameColumnsChanged(int) override {}
    int currentFrame() const override;
    void selectFrame(int index) override;

    THistoryList* history() override { return m_history.get(); }
    THistoryList& ensureHistory() override
    {
        if (!m_history)
            m_history = std::make_unique<THistoryList>();
        return *m_history;
    }
    void setUndoPosition(int) override {}
    QString fileName() const override { return file; }
    bool isUntitled() const override { return true; }
    void setModified(bool value) override
    {
        modified = value;
        if (value)
            ++modifications;
    }
    QString workingCopy() const override { return copy; }
    void deleteWorkingCopy() override { copy.clear(); }
    bool saveWorkingCopy() override { return true; }
    void setRememberedFrame(int) override {}
    bool reloadDocument(const QString& name) override
    {
        reloads.append(name);
        return true;
    }
    int inspectorRow() const override { return 0; }
    void setInspectorRow(int) override {}
    void setUndoAction(bool, const QString&) override {}
    void refreshSaveState() override {}
    void repaintFrameStrip() override {}
    void closeWithoutQuery() override {}

    void recordFrameUndo(int action, const QString& caption, int frameIndex) override
    {
        recordUndo(*this, ckFrame, uint8_t(action), 0, 0, frameIndex, caption);
    }
    void recordSnapshotUndo(const QString& caption, int frameIndex) override
    {
        recordUndo(*this, ckActiveAnimation, 8, -1, -1, frameIndex, caption);
    }
    void setCurrentFrame(int index) override;
    void markForRefresh() override {}
    void runDeactivation() override {}
    void bringToFront() override {}

    int commandCount() const { return m_history ? m_history->count() : 0; }
    QStringList captions() const
    {
        QStringList result;
        for (int i = 0; i < commandCount(); ++i)
            result << m_history->command(i)->caption();
        return result;
    }

    QString file = QDir::tempPath() + QStringLiteral("/animations/anim.gif");
    QString copy = QStringLiteral("/tmp/~GAcopy.gif");
    bool modified = false;
    int modifications = 0;
    QStringList reloads;

private:
    TFakeMainWindow& m_window;
    std::unique_ptr<THistoryList> m_history;
};

// The routines reach the same window through their own narrow interface.
class TRoutinesBridge : public IRoutinesHost
{
public:
    explicit TRoutinesBridge(TFakeMainWindow& window) : m_window(window) {}
    int documentCount() const override;
    IRoutinesDocument* activeDocument() override;
    bool workspaceDropFlag() const override { return false; }
    void openAsNewDocument(const QString&) override {}
    void createDocumentForImage() override;
    int currentFrame() const override;
    int insertPosition() const override;
    void addFrameColumn() override {}
    void selectFrame(int index) override;
    void repaintFrameStrip() override {}
    void setStatusText(int, const QString&) override {}

private:
    TFakeMainWindow& m_window;
};

class TFakeMainWindow : public ICommandHost
{
public:
    TFakeMainWindow() : document(*this) {}

    IUndoHost* activeDocument() override { return hasDocument ? &document : nullptr; }
    int documentCount() const override { return hasDocument ? 1 : 0; }
    void openGIFDocument(const QString& path) override { opened.append(path); }

    int currentFrame() const override { return current; }
    int columnCount() const override
    {
        int columns = 0;
        TGIFImage& image = *::workingImage();
        for (int i = 0; i < image.images().count(); ++i)
            if (!image.images().subImage(i)->empty())
                ++columns;
        return std::max(columns, 1);
    }
    int selectionLeft() const override { return left; }
    int selectionRight() const override { return right; }
    void selectAllColumns() override
    {
        left = 0;
        right = columnCount() - 1;
        selectAllShown = true;
    }
    bool selectFrame(int index) override
    {
        if (!hasDocument || index < 0 || index >= columnCount() || ::workingImage()->empty())
            return false;
        current = index;
        left = right = index;
        return true;
    }
    void repaintFrameStrip() override { ++repaints; }
    void enableAction(const QString& name, bool enabled) override { actions[name] = enabled; }
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

    // Selects a column range as a Ctrl-click would.
    void selectRange(int from, int to)
    {
        current = from;
        left = from;
        right = to;
    }

    TFakeCommandDocument document;
    TFakeDialogs fakeDialogs;
    bool hasDocument = true;
    int current = 0;
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
    QStringList opened;
};

inline int TFakeCommandDocument::currentFrame() const
{
    return m_window.current;
}
inline void TFakeCommandDocument::selectFrame(int index)
{
    m_window.selectFrame(index);
}
inline void TFakeCommandDocument::setCurrentFrame(int index)
{
    m_window.current = index;
}
inline int TRoutinesBridge::documentCount() const
{
    return m_window.documentCount();
}
inline IRoutinesDocument* TRoutinesBridge::activeDocument()
{
    return m_window.hasDocument ? &m_window.document : nullptr;
}
inline void TRoutinesBridge::createDocumentForImage()
{
    m_window.hasDocument = true;
}
inline int TRoutinesBridge::currentFrame() const
{
    return m_window.current;
}
inline int TRoutinesBridge::insertPosition() const
{
    return std::min(m_window.current + 1, m_window.columnCount() - 1);
}
inline void TRoutinesBridge::selectFrame(int index)
{
    m_window.selectFrame(index);
}

class CommandsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        workingImage(1);
        // Pictures become frames through Qt's own colour reduction, as in the routine tests:
        // the commands are what is under test here, not the engine's conversion.
        setFrameImporter(&importThroughQt);
        Settings::writeInteger(SettingKeys::PaletteDefaults, 1);
        Settings::writeInteger(SettingKeys::ClipDefault, 1);
    }
    void TearDown() override
    {
        workingImage(1);
        setFrameImporter({});
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
    }

    TGIFImage& image() { return *workingImage(); }

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
    TRoutinesBridge m_bridge{m_window};
    TScopedRoutinesHost m_hostScope{&m_bridge, nullptr};
};

} // namespace commandstest
