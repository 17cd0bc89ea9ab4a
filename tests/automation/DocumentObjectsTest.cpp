// The active-document and cached-document objects and IFrame.SetBitmap over a real main window:
// outcomes that depend on the user's answers, values refused with a message, bitmap bytes from
// outside, and objects that outlive their document or frame.
#include "app/AppFixture.h"
#include "app/CommandHost.h"
#include "automation/AddInClassesIntf.h"
#include "automation/AutomationSession.h"
#include "automation/AutomationTestSupport.h"
#include "automation/SmallAnimation.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/Routines.h"
#include "editing/UndoHistory.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <functional>
#include <random>

namespace {

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, int64_t v)
{
    put16(out, int(v & 0xFFFF));
    put16(out, int((v >> 16) & 0xFFFF));
}

// A BMP file written by hand, so the headers can say what the bytes do not hold.
QByteArray handMadeBmp(int64_t width, int64_t height, int bits, int64_t fileSize, int64_t pixelOffset,
                       int infoSize, int pixelBytes)
{
    QByteArray out("BM");
    put32(out, fileSize);
    put32(out, 0);
    put32(out, pixelOffset);
    put32(out, infoSize);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    out.append(QByteArray(pixelBytes, '\x11'));
    return out;
}

// A picture as a complete BMP file, in the bitmap's own pixel format.
QByteArray bmpBytes(int width, int height, TPixelFormat format, unsigned seed)
{
    std::mt19937 random(seed);
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.scanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = uint8_t(random() % 4 * 85);
    }
    if (format != pf24bit)
        bitmap.setPixelFormat(format);
    TMemoryStream stream;
    bitmap.saveToStream(stream);
    return stream.data();
}

class DocumentObjectsTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startProgram();
    }
    void TearDown() override
    {
        m_program.reset();
        AppFixture::TearDown();
    }

    QString makeGif(const QString& name, int frames)
    {
        TSmallAnimation shape;
        shape.frames = frames;
        shape.commentOnSecondFrame = false;
        shape.loopForever = true;
        return writeSmallAnimation(QDir(m_files.path()).filePath(name), shape);
    }

    TfrmMain& main() { return *m_program->mainWindow(); }
    TDocumentManager& docs() { return main().session().documents(); }
    TGIFImage& working() { return main().session().workingImage(); }
    TComPtr<IGIFReelwrightApplication> app()
    {
        return qobject_cast<TAutomationSession*>(main().automationApplication())->application();
    }
    TComPtr<IActiveDocument> active() { return app()->get_ActiveDocument(); }
    QByteArray workingBytes()
    {
        TMemoryStream stream;
        working().saveToStream(stream);
        return stream.data();
    }
    int undoSteps()
    {
        TDocument* doc = docs().active();
        return doc && doc->history() ? doc->history()->count() : 0;
    }
    void expectError(const std::function<void()>& call, const QString& message)
    {
        try {
            call();
            ADD_FAILURE() << "no error; expected " << message.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.message(), message);
        }
    }
    // "BMP w h" when ImageMagick reads the bytes as a BMP file (of any header version).
    QString identify(const QByteArray& bytes, const QString& name)
    {
        const QString file = QDir(m_files.path()).filePath(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        QString text = runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), file},
                              QProcessEnvironment::systemEnvironment())
                          .out;
        if (text.startsWith(QStringLiteral("BMP")))
            text = QStringLiteral("BMP") + text.mid(text.indexOf(QLatin1Char(' ')));
        return text;
    }
    // The user takes the palette prompt's choice with OK.
    void answerPalettes()
    {
        m_messages.pushForm([](QDialog& form) {
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Palettes"));
            QTest::keyClick(&form, Qt::Key_Return);
        });
    }

    QTemporaryDir m_files;
};

TEST_F(DocumentObjectsTest, WithoutADocumentReadsAreEmptyAndChangesDoNothing)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("a.gif"), 3)));
    // An object kept from when a document was active follows the documents.
    TComPtr<IActiveDocument> kept = active();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->get_SelectedFrame(), 0);
    ASSERT_TRUE(docs().closeAll());
    EXPECT_FALSE(active());

    EXPECT_EQ(kept->get_SelectedFrame(), -1);
    EXPECT_EQ(kept->get_FileName(), QString());
    EXPECT_FALSE(kept->get_CanUndo());
    EXPECT_FALSE(kept->get_Modified());
    EXPECT_FALSE(kept->get_ReadOnly());
    EXPECT_EQ(kept->get_NSLoop(), 1);
    EXPECT_TRUE(kept->CurrentBitmap().isEmpty());
    EXPECT_EQ(kept->HTMLCode(QStringLiteral("index.html"), QStringLiteral("a.gif"), 0), QString());
    EXPECT_EQ(kept->AddFrame(bmpBytes(4, 3, pf4bit, 1), 10), -1);
    EXPECT_FALSE(kept->AddFrameNoPrompts(bmpBytes(4, 3, pf4bit, 1), 10));
    EXPECT_FALSE(kept->Save());
    EXPECT_FALSE(kept->Close(true));
    EXPECT_FALSE(kept->ExportToAVI());
    EXPECT_FALSE(kept->SaveDocToTempFile(QDir(m_files.path()).filePath(QStringLiteral("x.gif"))));
    kept->put_NSLoop(5);
    kept->put_Modified(true);
    kept->put_SelectedFrame(1);
    kept->DeleteFrame(0);
    kept->Undo();
    kept->PlayAnimation();
    kept->StopAnimation();
    EXPECT_EQ(docs().count(), 0);
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(DocumentObjectsTest, NSLoopEncodingWithItsUndoSteps)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("loop.gif"), 3)));
    TComPtr<IActiveDocument> doc = active();
    const QByteArray original = workingBytes();
    auto stored = [&]() -> int {
        const TGIFAppExtNSLoop* loop = working().images().subImage(0)->loopExtension();
        return loop ? loop->loops() : -1;
    };
    EXPECT_EQ(doc->get_NSLoop(), 0);

    struct Step
    {
        int write;
        int read;
        int stored; // -1: no extension
        int steps;  // undo steps afterwards
    };
    const Step steps[] = {
        {1, 1, -1, 1},     // play once: the extension goes
        {1, 1, -1, 1},     // nothing to remove: nothing happens, nothing recorded
        {65536, 1, -1, 1}, // beyond the format: nothing happens
        {0, 0, 0, 2},      // forever: a new extension with count 0
        {5, 5, 4, 3},      // five times: stored 4
        {65535, 65535, 65534, 4},
        {2, 2, 1, 5},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.write);
        doc->put_NSLoop(step.write);
        EXPECT_EQ(doc->get_NSLoop(), step.read);
        EXPECT_EQ(stored(), step.stored);
        EXPECT_EQ(undoSteps(), step.steps);
    }
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Change Animation Loop"));
    // A negative count is refused with a message and records nothing.
    expectError([&] { doc->put_NSLoop(-1); }, QStringLiteral("The loop count must be between 0 and 65535."));
    EXPECT_EQ(undoSteps(), 5);
    // A new extension goes in front of the first frame's other extensions.
    doc->put_NSLoop(1);
    doc->put_NSLoop(3);
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop*>(working().images().subImage(0)->extensions().extension(0)) !=
                  nullptr,
              true);
    while (doc->get_CanUndo())
        doc->Undo();
    EXPECT_SAME_BYTES(original, workingBytes());
}

TEST_F(DocumentObjectsTest, DeleteFrameChecksItsIndexAndKeepsTheLastFrame)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("del.gif"), 3)));
    TComPtr<IActiveDocument> doc = active();
    const QByteArray original = workingBytes();
    for (int index : {3, -2, 1000}) {
        SCOPED_TRACE(index);
        expectError([&] { doc->DeleteFrame(index); }, QStringLiteral("The frame index must be between 0 and 2."));
    }
    doc->DeleteFrame(-1);
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_SAME_BYTES(original, workingBytes());

    doc->DeleteFrame(1);
    doc->DeleteFrame(1);
    EXPECT_EQ(working().images().count(), 1);
    EXPECT_EQ(undoSteps(), 2);
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Delete Frame"));
    // The last frame stays, with the routine's own message.
    doc->DeleteFrame(0);
    EXPECT_EQ(working().images().count(), 1);
    EXPECT_EQ(undoSteps(), 2);
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("The image del.gif must have, at least, one frame image.")));
    doc->Undo();
    doc->Undo();
    EXPECT_SAME_BYTES(original, workingBytes());
}

TEST_F(DocumentObjectsTest, SetBitmapReplacesThePictureOfThatFrameOnly)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("set.gif"), 3)));
    main().session().view().selectFrame(0);
    const QByteArray original = workingBytes();
    TComPtr<IFrame> frame = active()->get_Frames()->get_Frame(2);
    ASSERT_TRUE(frame);
    frame->put_Delay(33);
    const int steps = undoSteps();

    ASSERT_TRUE(frame->SetBitmap(bmpBytes(5, 4, pf24bit, 7)));
    EXPECT_EQ(frame->get_Width(), 5);
    EXPECT_EQ(frame->get_Height(), 4);
    // Its place, offsets and extensions stay.
    EXPECT_EQ(frame->get_Left(), 2);
    EXPECT_EQ(frame->get_Delay(), 33);
    EXPECT_EQ(working().images().subImage(0)->loopExtension() != nullptr, true);
    EXPECT_EQ(identify(frame->get_Bitmap(), QStringLiteral("set.bmp")), QStringLiteral("BMP 5 4"));
    EXPECT_EQ(undoSteps(), steps + 1);
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Change Frame Image"));
    EXPECT_TRUE(docs().active()->isModified());
    EXPECT_EQ(main().session().currentFrame(), 0);

    // The snapshot undo reloads the animation: the object's frame is gone from then on.
    TComPtr<IActiveDocument> doc = active();
    doc->Undo();
    expectError([&] { frame->get_Width(); }, QStringLiteral("The frame no longer exists."));
    doc->Undo();
    EXPECT_SAME_BYTES(original, workingBytes());
}

TEST_F(DocumentObjectsTest, MalformedBitmapBytesAreRefusedAndChangeNothing)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("bad.gif"), 2)));
    TComPtr<IActiveDocument> doc = active();
    TComPtr<IFrame> frame = doc->get_Frames()->get_Frame(1);
    const QByteArray good = bmpBytes(4, 3, pf24bit, 3);
    const QByteArray original = workingBytes();
    struct Case
    {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"the two letters only", QByteArray("BM")},
        {"not a bitmap", QByteArray(500, '\x42')},
        {"cut in the information header", good.left(30)},
        {"cut in the pixels", good.left(good.size() - 8)},
        {"file size beyond the bytes", handMadeBmp(4, 3, 24, 1 << 20, 54, 40, 48)},
        {"pixel offset beyond the bytes", handMadeBmp(4, 3, 24, 0, 1 << 20, 40, 48)},
        {"information header beyond the bytes", handMadeBmp(4, 3, 24, 0, 54, 4000, 48)},
        {"wider than a frame", handMadeBmp(65536, 1, 8, 0, 0, 40, 0)},
        {"taller than a frame, top-down", handMadeBmp(1, -65536, 8, 0, 0, 40, 0)},
        {"most negative height", handMadeBmp(1, INT32_MIN, 8, 0, 0, 40, 0)},
        {"negative width", handMadeBmp(-4, 3, 24, 0, 54, 40, 48)},
        {"huge sides in a few bytes", handMadeBmp(60000, 60000, 24, 0, 54, 40, 16)},
        {"zero height", handMadeBmp(4, 0, 24, 0, 54, 40, 48)},
        {"bad bit count", handMadeBmp(4, 3, 7, 0, 54, 40, 48)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(frame->SetBitmap(c.bytes));
        EXPECT_FALSE(doc->AddFrameNoPrompts(c.bytes, 10));
        EXPECT_EQ(doc->AddFrame(c.bytes, 10), -1);
    }
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_FALSE(docs().active()->isModified());
    EXPECT_SAME_BYTES(original, workingBytes());
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join(QLatin1Char('|')).toStdString();
    // The well-formed file of the same table loads.
    EXPECT_TRUE(frame->SetBitmap(good));
}

TEST_F(DocumentObjectsTest, AddFrameAsksLikeTheCommandAndTakesTheDelay)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("add.gif"), 3)));
    TComPtr<IActiveDocument> doc = active();
    main().session().view().selectFrame(0);
    const QByteArray original = workingBytes();

    // A true-colour picture asks how to map its colours; cancelling adds nothing.
    EXPECT_EQ(doc->AddFrame(bmpBytes(4, 3, pf24bit, 5), 25), -1);
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Palettes")));
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_SAME_BYTES(original, workingBytes());

    // Answered: the frame goes in after the current one, with the client's delay.
    answerPalettes();
    EXPECT_EQ(doc->AddFrame(bmpBytes(4, 3, pf24bit, 5), 25), 1);
    ASSERT_EQ(working().images().count(), 4);
    EXPECT_EQ(working().images().subImage(1)->graphicControlExtension()->delay(), 25);
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Add Frame"));
    EXPECT_EQ(doc->get_SelectedFrame(), 1);
    // A delay the format cannot hold leaves the default delay.
    answerPalettes();
    const int index = doc->AddFrame(bmpBytes(4, 3, pf24bit, 6), 0);
    ASSERT_GE(index, 0);
    EXPECT_EQ(working().images().subImage(index)->graphicControlExtension()->delay(),
              frameDelayOrDefault(working(), -1));

    // Without prompts: at the selected frame, with the delay and the default disposal.
    doc->put_SelectedFrame(0);
    EXPECT_EQ(doc->get_SelectedFrame(), 0);
    EXPECT_TRUE(doc->AddFrameNoPrompts(bmpBytes(3, 2, pf4bit, 8), 77));
    EXPECT_EQ(working().images().subImage(0)->graphicControlExtension()->delay(), 77);
    EXPECT_EQ(working().images().subImage(0)->graphicControlExtension()->disposal(), 2);
    EXPECT_EQ(doc->get_SelectedFrame(), 0);
    // A selection the strip does not have is not taken.
    doc->put_SelectedFrame(99);
    EXPECT_EQ(doc->get_SelectedFrame(), 0);

    while (doc->get_CanUndo())
        doc->Undo();
    EXPECT_SAME_BYTES(original, workingBytes());
}

TEST_F(DocumentObjectsTest, CloseAndSaveAnswerWhatReallyHappened)
{
    const QString path = makeGif(QStringLiteral("keep.gif"), 3);
    const QByteArray onDisk = testsupport::readFile(path);
    ASSERT_TRUE(docs().open(path));
    TComPtr<IActiveDocument> doc = active();

    // Close: the document's own question; Cancel keeps it open.
    doc->get_Frames()->get_Frame(1)->put_Delay(50);
    m_messages.pushAnswer(TMsgResult::Cancel);
    EXPECT_FALSE(doc->Close(false));
    EXPECT_EQ(docs().count(), 1);

    // Save: a document with a file is written to it without a question.
    m_messages.clear();
    EXPECT_TRUE(doc->Save());
    EXPECT_TRUE(m_messages.texts().isEmpty());
    EXPECT_FALSE(doc->get_Modified());
    EXPECT_FALSE(doc->get_CanUndo());
    EXPECT_NE(testsupport::readFile(path), onDisk);

    // An untitled document is first asked about; No saves nothing and says so.
    TDocument* untitled = docs().create();
    ASSERT_TRUE(untitled && untitled->isUntitled());
    untitled->setModified(true);
    m_messages.pushAnswer(TMsgResult::No);
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Would you like to save changes to Untitled1.gif?")));
    EXPECT_TRUE(untitled->isModified());
    // Yes, and a name in the save dialog: written.
    const QString named = QDir(m_files.path()).filePath(QStringLiteral("named.gif"));
    m_messages.pushAnswer(TMsgResult::Yes);
    m_messages.pushFiles({named});
    EXPECT_TRUE(doc->Save());
    EXPECT_TRUE(QFile::exists(named));
    EXPECT_EQ(doc->get_FileName(), named);

    // Close without changes closes; the next document becomes active.
    EXPECT_TRUE(doc->Close(true));
    QCoreApplication::processEvents();
    EXPECT_EQ(docs().count(), 1);
    EXPECT_EQ(doc->get_FileName(), path);
}

TEST_F(DocumentObjectsTest, DocumentFlagsUndoAndTheAnimationAsTextAndFiles)
{
    const QString path = makeGif(QStringLiteral("walk.gif"), 3);
    ASSERT_TRUE(docs().open(path));
    TComPtr<IActiveDocument> doc = active();
    EXPECT_FALSE(doc->get_CanUndo());

    // Modified runs the set-modified routine (the working copy is written); ReadOnly is stored.
    doc->put_Modified(true);
    EXPECT_TRUE(docs().active()->isModified());
    EXPECT_TRUE(QFile::exists(docs().active()->workingCopy()));
    doc->put_ReadOnly(true);
    EXPECT_TRUE(doc->get_ReadOnly());
    EXPECT_TRUE(docs().active()->isReadOnly());

    // CanUndo also refreshes the Undo command.
    doc->get_Frames()->get_Frame(0)->put_Delay(44);
    main().action(QStringLiteral("EditUndo"))->setText(QStringLiteral("stale"));
    EXPECT_TRUE(doc->get_CanUndo());
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Change Delay"));
    doc->Undo();
    EXPECT_FALSE(doc->get_CanUndo());
    EXPECT_EQ(working().images().subImage(0)->graphicControlExtension()->delay(), 10);

    // The image tag: the second argument is the source; height before width.
    EXPECT_EQ(doc->HTMLCode(QStringLiteral("index.html"), QStringLiteral("walk.gif"), 0),
              QStringLiteral("<A HREF=\"index.html\"><IMG SRC=\"walk.gif\" HEIGHT=\"4\" WIDTH=\"8\" BORDER=\"0\"></A>"));

    // The picture shown: frame 1 selected.
    doc->put_SelectedFrame(1);
    EXPECT_EQ(identify(doc->CurrentBitmap(), QStringLiteral("current.bmp")), QStringLiteral("BMP 4 3"));

    // A copy of the animation in a file of the client's choice; the document stays as it is.
    docs().active()->setModified(false);
    const QString copy = QDir(m_files.path()).filePath(QStringLiteral("copy.gif"));
    const QByteArray before = workingBytes();
    EXPECT_TRUE(doc->SaveDocToTempFile(copy));
    const TToolResult frames = runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m\n"), copy},
                                       QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(frames.out, QStringLiteral("GIF\nGIF\nGIF"));
    EXPECT_EQ(doc->get_FileName(), path);
    EXPECT_FALSE(doc->get_Modified());
    EXPECT_SAME_BYTES(before, workingBytes());
    const QString nowhere = QDir(m_files.path()).filePath(QStringLiteral("no/such/folder/x.gif"));
    EXPECT_FALSE(doc->SaveDocToTempFile(nowhere));
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Error saving file! Unable to save %1 to disk.").arg(nowhere)));
}

TEST_F(DocumentObjectsTest, AviExportAndImportReportTheirOutcome)
{
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("movie.gif"), 3)));
    TComPtr<IActiveDocument> doc = active();
    // The save dialog cancelled: nothing written, and the answer says so.
    EXPECT_FALSE(doc->ExportToAVI());
    const QString movie = QDir(m_files.path()).filePath(QStringLiteral("movie.avi"));
    m_messages.pushFiles({movie});
    EXPECT_TRUE(doc->ExportToAVI());
    const TToolResult probe =
        runTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=nb_read_frames,width,height"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), movie},
                QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(probe.out.endsWith(QStringLiteral(",3"))) << probe.out.toStdString() << probe.err.toStdString();

    // The import's error reaches the client; nothing is opened.
    expectError([&] { doc->ImportFromAVI(QDir(m_files.path()).filePath(QStringLiteral("none.avi"))); },
                QStringLiteral("Failed to open AVI file"));
    EXPECT_EQ(docs().count(), 1);
    EXPECT_TRUE(doc->ImportFromAVI(movie));
    EXPECT_EQ(docs().count(), 2);
    EXPECT_EQ(working().images().count(), 3);
}

TEST_F(DocumentObjectsTest, CachedDocumentsStayWithTheirDocument)
{
    const QString first = makeGif(QStringLiteral("first.gif"), 2);
    const QString second = makeGif(QStringLiteral("second.gif"), 3);
    ASSERT_TRUE(docs().open(first));
    ASSERT_TRUE(docs().open(second));
    TComPtr<IDocuments> list = app()->get_DocumentCache();
    EXPECT_EQ(list->get_Count(), 2);
    EXPECT_FALSE(list->get_Cache(2));
    EXPECT_FALSE(list->get_Cache(-1));
    TComPtr<IDocumentCache> cached = list->get_Cache(0);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->get_FileName(), first);
    EXPECT_FALSE(cached->get_Modified());
    EXPECT_FALSE(cached->get_CanRedo());

    // Changes of the second document are not the first one's.
    active()->get_Frames()->get_Frame(0)->put_Delay(70);
    active()->put_ReadOnly(true);
    EXPECT_FALSE(cached->get_CanUndo());
    EXPECT_FALSE(cached->get_Modified());
    EXPECT_FALSE(cached->get_ReadOnly());
    EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Change Delay"));
    TComPtr<IDocumentCache> other = list->get_Cache(1);
    EXPECT_TRUE(other->get_CanUndo());
    EXPECT_TRUE(other->get_Modified());
    EXPECT_TRUE(other->get_ReadOnly());

    cached->MakeActive();
    EXPECT_EQ(docs().active()->fileName(), first);
    EXPECT_EQ(working().images().count(), 2);
    // The second document kept its change through the switch.
    EXPECT_TRUE(other->get_CanUndo());
    other->MakeActive();
    EXPECT_EQ(working().images().subImage(0)->graphicControlExtension()->delay(), 70);

    // Once its document closed, an object answers empty and MakeActive does nothing.
    cached->MakeActive();
    ASSERT_TRUE(docs().close(docs().active()));
    QCoreApplication::processEvents();
    EXPECT_EQ(cached->get_FileName(), QString());
    EXPECT_FALSE(cached->get_CanUndo());
    cached->MakeActive();
    EXPECT_EQ(docs().active()->fileName(), second);
    EXPECT_EQ(list->get_Count(), 1);
}

TEST_F(DocumentObjectsTest, PlayAndStopRunTheMainWindowsCommands)
{
    QAction* play = main().action(QStringLiteral("AnimationPlay"));
    QAction* pause = main().action(QStringLiteral("AnimationPause"));
    QSignalSpy played(play, &QAction::triggered);
    QSignalSpy paused(pause, &QAction::triggered);
    ASSERT_TRUE(docs().open(makeGif(QStringLiteral("play.gif"), 3)));
    TComPtr<IActiveDocument> doc = active();
    doc->PlayAnimation();
    EXPECT_EQ(played.count(), 1);
    EXPECT_TRUE(main().commandHost().isPlaying());
    doc->StopAnimation();
    EXPECT_EQ(paused.count(), 1);
    EXPECT_FALSE(main().commandHost().isPlaying());
    // Without a document neither command runs.
    ASSERT_TRUE(docs().closeAll());
    play->setEnabled(true);
    pause->setEnabled(true);
    doc->PlayAnimation();
    doc->StopAnimation();
    EXPECT_EQ(played.count(), 1);
    EXPECT_EQ(paused.count(), 1);
}

} // namespace
