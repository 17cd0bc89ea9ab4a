#pragma once
// Shared set-up for the frame strip and panel tests: the real strip, panels and controller in an
// offscreen window, driven through a fake main window over a real edit session with one real
// document. Frame pictures are plain colour fills of the frame's size, so the strip's
// drawing can be measured without the renderer.
#include "../editing/UndoTestSupport.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/FrameStripHost.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/UndoHistory.h"
#include "editing/float.h"
#include "graphics/Bitmap.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"

#include <QHBoxLayout>
#include <QWidget>

#include <map>
#include <string>

namespace striptest {

class TFakeInspector : public IFrameInspectorView
{
public:
    QString caption;
    QStringList values;
    QStringList comments;
    QStringList frames;
    int selected = -2;

    void setInspectorCaption(const QString& text) override { caption = text; }
    void setFrameValues(const QStringList& rows) override { values = rows; }
    void setCommentList(const QStringList& list) override { comments = list; }
    void setFrameList(const QStringList& items, int index) override
    {
        frames = items;
        selected = index;
    }
};

// The window showing the active document, and the main window's part the strip leaves to it.
class TFakeStripHost : public IFrameStripHost
{
public:
    std::map<std::string, bool> actions;
    int documentCommands = -1;
    int playbackStops = 0;
    TFakeInspector inspectorView;
    TPaletteChoice paletteAnswer;
    int paletteAsks = 0;
    QList<int> viewDrops;
    QList<int> frameDrops;
    QList<int> shown;

    void showFrame(int index) override { shown.append(index); }
    void setActionEnabled(TActionId id, bool enabled) override { actions[actionName(id)] = enabled; }
    void enableDocumentCommands(bool enabled) override { documentCommands = enabled ? 1 : 0; }
    bool canPaste() override { return false; }
    void stopPlayback() override { ++playbackStops; }
    IFrameInspectorView* inspector() override { return &inspectorView; }
    void moveFramesTo(int column) override { frameDrops.append(column); }
    void insertViewPictureAt(int column) override { viewDrops.append(column); }
    TPaletteChoice choosePaletteColor(int, int, TColor) override
    {
        ++paletteAsks;
        return paletteAnswer;
    }
};

// The session's view is the controller, as in the main window.
class TControllerView : public IEditView
{
public:
    TFrameStripController* controller = nullptr;

    void clearFrameStrip() override { controller->clearFrameStrip(); }
    int frameColumnCount() const override { return controller->frameColumnCount(); }
    void setFrameColumns(int count) override { controller->setFrameColumns(count); }
    bool selectFrame(int index) override { return controller->selectFrame(index); }
    void repaintFrameStrip() override { controller->repaintFrameStrip(); }
    void setStatusText(int, const QString&) override {}
    TProgressEvent progressHandler() override { return {}; }
};

class StripFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Settings::writeInteger(SettingKeys::DefaultDelay, 100);
        Settings::writeInteger(SettingKeys::FrameSize, 160);
        session.setFramePicture([](TGIFSubImage& frame) {
            QImage picture(frame.width(), frame.height(), QImage::Format_RGB32);
            picture.fill(QColor(255, 0, 0));
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->fromImage(picture);
            return bitmap;
        });
        window.resize(900, 260);
        auto* layout = new QHBoxLayout(&window);
        panels = new TFramePanels(&window);
        strip = new TFrameStrip(&window);
        layout->addWidget(panels);
        layout->addWidget(strip, 1);
        controller = std::make_unique<TFrameStripController>(session, host, *strip, *panels);
        view.controller = controller.get();
        session.setView(&view);
        document = session.documents().create();
        window.show();
    }
    void TearDown() override
    {
        session.setView(nullptr);
        controller.reset();
    }

    // Without an active document, and back with a new one over the same animation.
    void setHasDocument(bool has)
    {
        if (!has && document) {
            session.documents().remove(document);
            document = nullptr;
        } else if (has && !document) {
            document = session.documents().create();
        }
    }
    TGIFImage& image() { return session.workingImage(); }

    // Frames of the given sizes, each with a delay of 10 * (index + 1); the strip is rebuilt as
    // opening a document does and frame 0 selected.
    void openFrames(const std::vector<QSize>& sizes, bool withControl = true)
    {
        for (size_t i = 0; i < sizes.size(); ++i) {
            TGIFSubImage* frame =
                undotest::addFrame(image(), 0, 0, sizes[i].width(), sizes[i].height(), 4, int(i));
            if (withControl) {
                auto* control = undotest::addGCE(frame, 10 * int(i + 1));
                frame->setGraphicControlExtension(control);
            }
        }
        undotest::setColors(image().globalColorMap(), {rgbColor(255, 0, 0), rgbColor(0, 255, 0),
                                                              rgbColor(0, 0, 255), rgbColor(9, 9, 9)});
        controller->setFrameColumns(int(sizes.size()));
        controller->selectFrame(0);
    }

    TGIFSubImage* frame(int index) { return image().images().subImage(index); }
    int recorded() const { return document && document->history() ? document->history()->count() : 0; }
    QString lastCaption() const
    {
        return document && document->history() ? document->history()->lastCaption() : QString();
    }

    undotest::TUndoEnvironment environment;
    TScriptedMessageService messages;
    TScopedMessageService messageScope{messages};
    TEditSession session;
    TControllerView view;
    TFakeStripHost host;
    TDocument* document = nullptr;
    QWidget window;
    TFramePanels* panels = nullptr;
    TFrameStrip* strip = nullptr;
    std::unique_ptr<TFrameStripController> controller;
};

} // namespace striptest
