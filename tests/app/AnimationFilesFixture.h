#pragma once
// The main window with small animations written for the test: frames of one colour each, a
// delay and, on request, a looping extension. The working image starts fresh; the tests need no
// shared corpus.
#include "AppFixture.h"

#include "app/Childwin.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstring>

class AnimationFilesFixture : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }
    void TearDown() override
    {
        stopProgram();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    TfrmMain& main() { return m_program ? *m_program->mainWindow() : *startProgram().mainWindow(); }

    // frames frames of size x size pixels on a screen of that size, frame i in colour i; loops
    // below 0 writes no looping extension.
    QString makeGif(const QString& name, int frames, int loops = -1, int size = 8, int delay = 10)
    {
        TGIFImage image;
        image.setWidth(size);
        image.setHeight(size);
        static const TColor colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0x808080, 0};
        for (TColor color : colors)
            image.globalColorMap().add(color);
        for (int i = 0; i < frames; ++i) {
            auto* frame = new TGIFSubImage(&image);
            frame->setBounds(0, 0, size, size);
            for (int y = 0; y < size; ++y)
                std::memset(frame->scanLine(y), i % 8, size_t(size));
            image.images().add(frame);
            ensureFrameTiming(*frame, delay);
            if (i == 0 && loops >= 0) {
                auto* loop = new TGIFAppExtNSLoop(frame);
                loop->setLoops(uint16_t(loops));
                frame->extensions().add(loop);
            }
        }
        TMemoryStream stream;
        image.saveToStream(stream);
        return writeFile(name, stream.data());
    }
    // A true-colour picture of one colour.
    QString makePicture(const QString& name, QSize size = QSize(8, 8), QColor color = Qt::red)
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(color);
        const QString path = QDir(m_files.path()).filePath(name);
        EXPECT_TRUE(picture.save(path));
        return path;
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(m_files.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    TDocumentManager& docs() { return main().session().documents(); }
    TGIFImage& working() { return main().session().workingImage(); }
    // The window of the active document; null without one.
    TMDIChild* activeView() { return main().viewOf(docs().active()); }
    // The document windows in the order the documents were opened.
    QList<TMDIChild*> views()
    {
        QList<TMDIChild*> list;
        for (TDocument* doc : docs().documents())
            list << main().viewOf(doc);
        return list;
    }
    bool selectFrame(int index) { return main().session().view().selectFrame(index); }
    TMDIChild* open(const QString& path)
    {
        EXPECT_TRUE(docs().open(path)) << path.toStdString();
        return activeView();
    }
    QAction* action(TActionId id) { return main().action(id); }
    void trigger(TActionId id) { action(id)->trigger(); }

    QTemporaryDir m_files;
};
