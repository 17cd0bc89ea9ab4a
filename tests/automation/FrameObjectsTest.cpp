// Frame objects over a real main window and its documents: reads, changes with their undo steps,
// values refused, and objects whose frame went away.
#include "app/AppFixture.h"
#include "app/Childwin.h"
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
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>

namespace {

class FrameObjectsTest : public AppFixture
{
protected:
    void TearDown() override
    {
        m_program.reset();
        AppFixture::TearDown();
    }

    QString makeGif(const QString& name, int frames)
    {
        TSmallAnimation shape;
        shape.frames = frames;
        shape.commentOnSecondFrame = true;
        shape.loopForever = false;
        return writeSmallAnimation(QDir(m_files.path()).filePath(name), shape);
    }

    TfrmMain& main() { return *m_program->mainWindow(); }
    TComPtr<IFrames> frames()
    {
        auto* session = qobject_cast<TAutomationSession*>(main().automationApplication());
        TComPtr<IActiveDocument> active = session->application()->get_ActiveDocument();
        return active ? active->get_Frames() : TComPtr<IFrames>();
    }
    QByteArray workingBytes()
    {
        TMemoryStream stream;
        main().session().workingImage().saveToStream(stream);
        return stream.data();
    }
    int undoSteps()
    {
        THistoryList* history = main().session().documents().active()->history();
        return history ? history->count() : 0;
    }
    void expectError(const std::function<void()>& call, const QString& message)
    {
        try {
            call();
            ADD_FAILURE() << "no error; expected " << message.toStdString();
        } catch (const EOleError& error) {
            EXPECT_EQ(error.message(), message);
        }
    }

    QTemporaryDir m_files;
};

TEST_F(FrameObjectsTest, ReadsShowTheFrameAndItsBitmapIsABmpFile)
{
    startProgram();
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("three.gif"), 3)));
    TComPtr<IFrames> list = frames();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->get_Count(), 3);
    EXPECT_FALSE(list->get_Frame(3));
    EXPECT_FALSE(list->get_Frame(-1));
    TComPtr<IFrame> frame = list->get_Frame(1);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->get_Left(), 1);
    EXPECT_EQ(frame->get_Top(), 0);
    EXPECT_EQ(frame->get_Width(), 4);
    EXPECT_EQ(frame->get_Height(), 3);
    EXPECT_EQ(frame->get_Delay(), 10);
    EXPECT_FALSE(frame->get_Empty());
    EXPECT_TRUE(frame->get_LocalPalette());
    EXPECT_EQ(frame->get_Comments(), QStringLiteral("abc\r\n\r\n"));
    EXPECT_EQ(list->get_Frame(0)->get_Comments(), QString());
    // Width and Height take a value without error and keep theirs.
    frame->put_Width(99);
    frame->put_Height(99);
    EXPECT_EQ(frame->get_Width(), 4);
    EXPECT_EQ(frame->get_Height(), 3);

    const QByteArray bitmap = frame->get_Bitmap();
    ASSERT_FALSE(bitmap.isEmpty());
    const QString file = QDir(m_files.path()).filePath(QStringLiteral("frame.bmp"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bitmap);
    out.close();
    const TToolResult identify =
        runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), file},
                QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(identify.out.startsWith(QStringLiteral("BMP")) &&
                identify.out.endsWith(QStringLiteral(" 4 3")))
        << identify.out.toStdString() << identify.err.toStdString();
}

TEST_F(FrameObjectsTest, ChangesRecordUndoForTheChangedFrameAndUndoGivesTheBytesBack)
{
    startProgram();
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("three.gif"), 3)));
    main().session().view().selectFrame(0);
    const QByteArray original = workingBytes();
    TComPtr<IFrame> frame = frames()->get_Frame(2);

    // Values that change nothing record nothing.
    frame->put_Delay(10);
    frame->put_Delay(0);
    frame->put_Delay(65536);
    frame->put_Disposal(TIDisposalMethod(frame->get_Disposal()));
    EXPECT_EQ(undoSteps(), 0);
    // Values the format cannot hold are refused with a message.
    expectError([&] { frame->put_Left(-1); }, QStringLiteral("The X-Offset must be between 0 and 65535."));
    expectError([&] { frame->put_Top(65536); }, QStringLiteral("The Y-Offset must be between 0 and 65535."));
    expectError([&] { frame->put_Disposal(TIDisposalMethod(4)); },
                QStringLiteral("The disposal method must be between 0 and 3."));
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_SAME_BYTES(workingBytes(), original);

    struct TChange
    {
        const char* caption;
        std::function<void()> apply;
        std::function<bool()> applied;
    };
    const TChange changes[] = {
        {"Change Delay", [&] { frame->put_Delay(55); },
         [&] {
             return frame->get_Delay() == 55;
         }},
        {"Change Disposal", [&] { frame->put_Disposal(idmPrevious); },
         [&] {
             return frame->get_Disposal() == idmPrevious;
         }},
        {"Change Transparent", [&] { frame->put_Transparent(true); },
         [&] {
             return frame->get_Transparent();
         }},
        {"Change X-Offset", [&] { frame->put_Left(3); },
         [&] {
             return frame->get_Left() == 3;
         }},
        {"Change Y-Offset", [&] { frame->put_Top(1); },
         [&] {
             return frame->get_Top() == 1;
         }},
    };
    int steps = 0;
    for (const TChange& change : changes) {
        SCOPED_TRACE(change.caption);
        change.apply();
        EXPECT_TRUE(change.applied());
        EXPECT_EQ(undoSteps(), ++steps);
        EXPECT_EQ(main().action(QStringLiteral("EditUndo"))->text(),
                  QStringLiteral("&Undo ") + QString::fromLatin1(change.caption));
        EXPECT_TRUE(main().session().documents().active()->isModified());
    }
    // The strip shows frame 0 all along; Undo takes back the changes of frame 2.
    EXPECT_EQ(main().session().currentFrame(), 0);
    for (int k = 0; k < steps; ++k)
        main().action(QStringLiteral("EditUndo"))->trigger();
    EXPECT_SAME_BYTES(workingBytes(), original);
}

TEST_F(FrameObjectsTest, AnObjectWhoseFrameWentAnswersWithAnError)
{
    startProgram();
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("first.gif"), 3)));
    TComPtr<IFrames> list = frames();
    TComPtr<IFrame> kept = list->get_Frame(1);
    ASSERT_EQ(kept->get_Delay(), 10);
    const QString gone = QStringLiteral("The frame no longer exists.");

    // Another document becomes active: the working image holds other frames.
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("second.gif"), 2)));
    auto everyMember = [&](IFrame& frame) {
        for (const TMemberInfo& member : frame.interfaceInfo().members) {
            SCOPED_TRACE(member.name);
            QVariantList args;
            for (size_t i = 0; i < member.params.size(); ++i)
                args.append(member.params[i].type == TVarType::Bitmap ? QVariant(QByteArray("BM"))
                                                                      : QVariant(1));
            try {
                frame.invoke(member.dispid, member.kind, args);
                ADD_FAILURE() << "no error";
            } catch (const EOleError& error) {
                EXPECT_EQ(error.message(), gone);
            }
        }
    };
    everyMember(*kept);
    // The frame collection follows the active document.
    EXPECT_EQ(list->get_Count(), 2);

    // Back to the first document: its frames were read again, the old object stays stale.
    main().session().documents().activatePrevious();
    EXPECT_EQ(list->get_Count(), 3);
    everyMember(*kept);

    // A frame deleted through an undo snapshot, then every document closed.
    TComPtr<IFrame> last = list->get_Frame(2);
    ASSERT_TRUE(last);
    ASSERT_TRUE(main().session().documents().closeAll());
    EXPECT_EQ(list->get_Count(), 0);
    EXPECT_FALSE(list->get_Frame(0));
    everyMember(*last);
}

} // namespace
