#pragma once
// Shared set-up for the undo tests: a temporary folder of the test's own for snapshots and
// settings (tests run in parallel), a fake document that implements the undo host over a real
// working image, and helpers to build and compare animations.
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"
#include "graphics/Streams.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace undotest {

// Points the temporary folder (TMPDIR, read by QDir::tempPath on every call) and the settings
// store into a folder of the test's own.
class TUndoEnvironment
{
public:
    TUndoEnvironment()
    {
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    ~TUndoEnvironment()
    {
        if (m_oldTmp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTmp);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QString path() const { return m_dir.path(); }
    QStringList snapshotFiles() const
    {
        return QDir(m_dir.path()).entryList({QStringLiteral("~GA*")}, QDir::Files);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldTmp;
};

// A document with a working image of its own that records what the undo code asked of it.
class TFakeDocument : public IUndoHost
{
public:
    TGIFImage image;
    std::unique_ptr<THistoryList> historyList;
    int capacity = kDefaultUndoCapacity;
    int undoPosition = 0;
    QString file = QStringLiteral("Untitled1.gif");
    bool untitled = true;
    bool modified = true;
    QString copy;
    int rememberedFrame = -1;
    QStringList reloads;
    bool reloadLoadsFile = false;
    int row = 0;
    bool undoEnabled = false;
    QString undoCaption;
    int current = 0;
    int columns = 0;
    bool closed = false;

    TGIFImage& workingImage() override { return image; }
    TProgressEvent snapshotProgress() override { return {}; }
    void frameColumnsChanged(int delta) override { columns += delta; }
    int currentFrame() const override { return current; }
    void selectFrame(int index) override { current = index; }

    THistoryList* history() override { return historyList.get(); }
    THistoryList& ensureHistory() override
    {
        if (!historyList)
            historyList = std::make_unique<THistoryList>(capacity);
        return *historyList;
    }
    void setUndoPosition(int value) override { undoPosition = value; }
    QString fileName() const override { return file; }
    bool isUntitled() const override { return untitled; }
    void setModified(bool value) override { modified = value; }
    QString workingCopy() const override { return copy; }
    void deleteWorkingCopy() override { copy.clear(); }
    bool saveWorkingCopy() override { return true; }
    void setRememberedFrame(int index) override { rememberedFrame = index; }
    bool reloadDocument(const QString& name) override
    {
        reloads.append(name);
        if (reloadLoadsFile) {
            image.clear();
            image.loadFromFile(name);
        }
        return true;
    }
    int inspectorRow() const override { return row; }
    void setInspectorRow(int value) override { row = value; }
    void setUndoAction(bool enabled, const QString& caption) override
    {
        undoEnabled = enabled;
        undoCaption = caption;
    }
    void refreshSaveState() override {}
    void repaintFrameStrip() override {}
    void closeWithoutQuery() override { closed = true; }

    int count() const { return historyList ? historyList->count() : 0; }
};

inline QByteArray gifBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.takeData();
}

inline void setColors(TGIFColorMap& map, const std::vector<TColor>& colors)
{
    map.clear();
    for (TColor color : colors)
        map.add(color);
}

// Appends a frame of the given size with pixels cycling through 0 .. colours - 1.
inline TGIFSubImage* addFrame(TGIFImage& image, int left, int top, int width, int height, int colors,
                              int seed = 0)
{
    auto* frame = new TGIFSubImage(&image);
    image.images().add(frame);
    frame->setBounds(left, top, width, height);
    std::vector<uint8_t> pixels(size_t(width * height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t((i + size_t(seed)) % size_t(colors));
    frame->setData(std::move(pixels));
    return frame;
}

inline TGIFGraphicControlExtension* addGCE(TGIFSubImage* frame, int delay)
{
    auto* gce = new TGIFGraphicControlExtension(frame);
    frame->extensions().add(gce);
    gce->setDelay(uint16_t(delay));
    return gce;
}

inline TGIFAppExtNSLoop* addLoop(TGIFSubImage* frame, int loops)
{
    auto* loop = new TGIFAppExtNSLoop(frame);
    loop->setLoops(uint16_t(loops));
    frame->extensions().insert(0, loop);
    return loop;
}

inline TGIFCommentExtension* addComment(TGIFSubImage* frame, const QStringList& lines)
{
    auto* comment = new TGIFCommentExtension(frame);
    comment->text() = lines;
    frame->extensions().add(comment);
    return comment;
}

inline TGIFAppExtNSLoop* loopOf(TGIFSubImage* frame)
{
    for (int i = 0; i < frame->extensions().count(); ++i)
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(frame->extensions().extension(i)))
            return loop;
    return nullptr;
}

} // namespace undotest
