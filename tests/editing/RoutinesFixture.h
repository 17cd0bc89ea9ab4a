#pragma once
// Shared set-up for the image routine tests: a settings store in a folder of the test's own, a
// scripted message service, a recording host and prompts, a working image emptied before and
// after each test, and frames built directly through the model.
#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"
#include "support/QtFrameImporter.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Records what the routines asked of the frame strip and the status bar.
class TRecordingView : public IEditView
{
public:
    void clearFrameStrip() override { log.push_back("clear"); }
    int frameColumnCount() const override { return columns; }
    void setFrameColumns(int count) override
    {
        columns = count;
        log.push_back("columns " + std::to_string(count));
    }
    bool selectFrame(int index) override
    {
        log.push_back("select " + std::to_string(index));
        return true;
    }
    void repaintFrameStrip() override { log.push_back("repaint"); }
    void setStatusText(int panel, const QString& text) override
    {
        log.push_back("status " + std::to_string(panel) + " " + text.toStdString());
    }
    TProgressEvent progressHandler() override { return {}; }

    bool logged(const std::string& entry) const
    {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

    std::vector<std::string> log;
    int columns = 1;
};

class TFakePrompts : public IEditPrompts
{
public:
    TFitChoice fitFrame(const QString& text, const TBitmap&) override
    {
        fitTexts.push_back(text.toStdString());
        return fitAnswer;
    }
    int palettePage() override
    {
        ++paletteShown;
        return paletteAnswer;
    }

    TFitChoice fitAnswer{mrOk, true};
    int paletteAnswer = mrOk;
    int paletteShown = 0;
    std::vector<std::string> fitTexts;
};

class RoutinesFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        resetSession();
    }
    void TearDown() override
    {
        m_session.reset();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
    }

    // A frame of width x height filled with index fill, with a local map of the given colours.
    static TGIFSubImage* addFrame(TGIFImage& image, int width, int height, std::vector<TColor> colors = {},
                                  uint8_t fill = 0, int left = 0, int top = 0)
    {
        auto* frame = new TGIFSubImage(&image);
        frame->setBounds(left, top, width, height);
        for (TColor color : colors)
            frame->colorMap().add(color);
        for (int y = 0; y < height; ++y)
            std::memset(frame->scanLine(y), fill, size_t(width));
        image.images().add(frame);
        return frame;
    }

    // Makes bitmap a 24-bit picture of one colour.
    static void paintTrueColor(TBitmap& bitmap, int width, int height, QRgb color = qRgb(200, 30, 40))
    {
        QImage picture(width, height, QImage::Format_RGB888);
        picture.fill(color);
        bitmap.fromImage(picture);
    }

    void setSetting(const TSettingKey& key, int value) { Settings::writeInteger(key, value); }

    // A fresh session: empty working image, no documents, nothing recorded.
    void resetSession()
    {
        m_session.reset();
        m_view.log.clear();
        m_view.columns = 1;
        m_session = std::make_unique<TEditSession>();
        m_session->setView(&m_view);
        m_session->setPrompts(&m_prompts);
        // Pictures become frames through Qt's own colour reduction: enough for what these tests
        // look at (sizes, maps, extensions), and independent of the engine's conversion.
        m_session->setFrameImporter(&importThroughQt);
    }
    TEditSession& session() { return *m_session; }
    TGIFImage& workingImage() { return m_session->workingImage(); }
    // A document for what the working image holds, as the first inserted frame creates one.
    TDocument& openDocument() { return *m_session->documents().create(); }
    TDocument* activeDocument() { return m_session->documents().active(); }
    // The active document's history as "frame <caption> <frame>" (a frame command: Undo deletes
    // the added frame) or "snapshot <caption> <frame>" (the whole animation).
    std::vector<std::string> recorded()
    {
        std::vector<std::string> result;
        TDocument* doc = activeDocument();
        THistoryList* history = doc ? doc->history() : nullptr;
        for (int i = 0; history && i < history->count(); ++i) {
            const TCommand* command = history->command(i);
            const char* kind = command->actionType() == 8 ? "snapshot " : "frame ";
            result.push_back(kind + command->caption().toStdString() + " " + std::to_string(command->frameIndex()));
        }
        return result;
    }

    QTemporaryDir m_settingsDir;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
    TRecordingView m_view;
    TFakePrompts m_prompts;
    std::unique_ptr<TEditSession> m_session;
};
