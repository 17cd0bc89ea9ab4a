#pragma once
// Shared set-up for the image routine tests: a settings store in a folder of the test's own, a
// scripted message service, a recording host and prompts, a working image emptied before and
// after each test, and frames built directly through the model.
#include "editing/Routines.h"
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

class TFakeDocument : public IRoutinesDocument
{
public:
    void recordFrameUndo(int action, const QString& caption, int frameIndex) override
    {
        log.push_back("undo " + std::to_string(action) + " " + caption.toStdString() + " " +
                      std::to_string(frameIndex));
    }
    void recordSnapshotUndo(const QString& caption, int frameIndex) override
    {
        // What the snapshot would hold: it must be taken before the animation changes.
        TGIFImage& image = *workingImage();
        log.push_back("snapshot " + caption.toStdString() + " " + std::to_string(frameIndex) + " of " +
                      std::to_string(image.images().count()) + " " + std::to_string(image.width()) + "x" +
                      std::to_string(image.height()));
    }
    void setModified(bool value) override { modified = value; }
    void setCurrentFrame(int index) override { currentFrame = index; }
    void markForRefresh() override { log.push_back("refresh"); }
    void runDeactivation() override { log.push_back("deactivate"); }
    void bringToFront() override { log.push_back("front"); }

    std::vector<std::string> log;
    bool modified = false;
    int currentFrame = -1;
};

class TFakeHost : public IRoutinesHost
{
public:
    int documentCount() const override { return documents; }
    IRoutinesDocument* activeDocument() override { return documents > 0 ? &document : nullptr; }
    bool workspaceDropFlag() const override { return dropFlag; }
    void openAsNewDocument(const QString& path) override { log.push_back("open " + path.toStdString()); }
    void createDocumentForImage() override
    {
        log.push_back("new document");
        documents = std::max(documents, 1);
    }
    int currentFrame() const override { return current; }
    int insertPosition() const override { return insertAt; }
    void addFrameColumn() override { log.push_back("column"); }
    void selectFrame(int index) override { log.push_back("select " + std::to_string(index)); }
    void repaintFrameStrip() override { log.push_back("repaint"); }
    void setStatusText(int panel, const QString& text) override
    {
        log.push_back("status " + std::to_string(panel) + " " + text.toStdString());
    }

    bool logged(const std::string& entry) const
    {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

    TFakeDocument document;
    std::vector<std::string> log;
    int documents = 0;
    bool dropFlag = false;
    int current = -1;
    int insertAt = -1;
};

class TFakePrompts : public IRoutinesPrompts
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
        workingImage(1);
        // Until the engine's bitmap conversion is linked in, pictures become frames through Qt's
        // own colour reduction: enough for what these tests look at (sizes, maps, extensions).
        setFrameImporter(&importThroughQt);
    }
    void TearDown() override
    {
        workingImage(1);
        setFrameImporter({});
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

    QTemporaryDir m_settingsDir;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
    TFakeHost m_host;
    TFakePrompts m_prompts;
    TScopedRoutinesHost m_hostScope{&m_host, &m_prompts};
};
