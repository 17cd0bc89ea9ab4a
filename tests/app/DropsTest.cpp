// Drag and drop and the routing by file type, through the real main window: drop events with
// the mime data the file manager and the image browser send, dialogs answered by the scripted
// message service, settings store empty at the start.
#include "AnimationFilesFixture.h"

#include "app/Drops.h"
#include "app/FrameStrip.h"
#include "app/RecentFiles.h"
#include "editing/Prompts.h"
#include "editing/UndoHistory.h"
#include "wizards/ThumbViewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

constexpr const char* kUnsupported =
    "Error loading %1! GIF Reelwright does not support the file type or it is a corrupted file.";

class DropsTest : public AnimationFilesFixture
{
protected:
    // Answers the palette prompt a true-colour picture brings up with OK.
    void answerPalettes()
    {
        m_messages.pushForm([](QDialog& form) {
            auto& prompt = dynamic_cast<TfrmPrompts&>(form);
            ASSERT_EQ(prompt.page(), TPromptPage::Palettes);
            QTest::keyClick(&prompt, Qt::Key_Return);
        });
    }
    static std::unique_ptr<QMimeData> files(const QStringList& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }
    static std::unique_ptr<QMimeData> withFormat(const char* format, const QByteArray& bytes = {})
    {
        auto data = std::make_unique<QMimeData>();
        data->setData(QString::fromLatin1(format), bytes);
        return data;
    }
    static std::unique_ptr<QMimeData> thumbnail(const QString& path)
    {
        return std::unique_ptr<QMimeData>(makeThumbnailMimeData(path));
    }
    // Drags over target and drops there, as the platform does; true when the drop was taken.
    // The work then runs from the event loop.
    bool drop(QWidget* target, const QMimeData& data)
    {
        const QPoint at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        const bool taken = dropped.isAccepted();
        QCoreApplication::processEvents();
        return taken;
    }
    // The message boxes and questions shown, without the forms (the palette prompt).
    QStringList boxes() const
    {
        QStringList texts;
        for (const TRecordedDialog& shown : m_messages.recorded())
            if (shown.kind != TDialogKind::Form)
                texts << shown.text;
        return texts;
    }
    QWidget* workspace() { return main().mdiArea()->viewport(); }
    int frames() { return working().images().count(); }
    // The colour of frame index's top-left pixel.
    TColor firstPixel(int index)
    {
        TGIFSubImage& frame = *working().images().subImage(index);
        TGIFColorMap& map = frame.activeColorMap();
        return map.color(frame.scanLine(0)[0]);
    }
};

TEST_F(DropsTest, FilesFromTheFileManagerOpenInOrderAndAnUnsupportedOneIsSkipped)
{
    const QString a = makeGif(QStringLiteral("a.gif"), 2);
    const QString b = makeGif(QStringLiteral("b.gif"), 3);
    const QString text = writeFile(QStringLiteral("notes.txt"), "not a picture");
    const QString png = makePicture(QStringLiteral("red.png"));
    answerPalettes();
    ASSERT_TRUE(drop(workspace(), *files({a, b, text, png})));

    EXPECT_EQ(boxes(), QStringList{QString::fromLatin1(kUnsupported).arg("notes.txt")});
    EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Warning);
    ASSERT_EQ(docs().count(), 2);
    EXPECT_EQ(views().value(0)->fileName(), a);
    EXPECT_EQ(activeView()->fileName(), b);
    EXPECT_EQ(frames(), 4) << "the picture joined b.gif";
    EXPECT_EQ(firstPixel(0), TColor(0x0000FF)) << "as its frame 0 (red)";
    EXPECT_TRUE(activeView()->isModified());
    EXPECT_EQ(activeView()->document()->history()->count(), 1);
    EXPECT_EQ(main().recentFiles().paths().mid(0, 2), (QStringList{b, a}));
}

TEST_F(DropsTest, APictureDroppedWithNoDocumentStartsAnUntitledOne)
{
    answerPalettes();
    ASSERT_TRUE(drop(main().logoPanel() && main().logoPanel()->isVisible() ? main().logoPanel() : workspace(),
                     *files({makePicture(QStringLiteral("only.png"))})));
    ASSERT_NE(activeView(), nullptr);
    EXPECT_EQ(activeView()->displayName(), QStringLiteral("Untitled1.gif"));
    EXPECT_TRUE(activeView()->document()->isUntitled());
    EXPECT_EQ(frames(), 1);
    EXPECT_TRUE(boxes().isEmpty()) << boxes().join('\n').toStdString();
}

TEST_F(DropsTest, DroppingOnADocumentWindowOpensByTypeToo)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("three.gif"), 3));
    const QString text = writeFile(QStringLiteral("readme.txt"), "x");
    ASSERT_TRUE(drop(doc->view(), *files({text})));
    EXPECT_EQ(boxes(), QStringList{QString::fromLatin1(kUnsupported).arg("readme.txt")});
    EXPECT_EQ(frames(), 3);
}

TEST_F(DropsTest, APathLongerThan255CharactersOpensTheRightFile)
{
    QString folder = m_files.path();
    while (folder.size() < 300) {
        folder += QStringLiteral("/a-rather-long-folder-name-to-pass-the-old-buffer");
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    const QString source = makeGif(QStringLiteral("deep.gif"), 2);
    const QString deep = folder + QStringLiteral("/deep.gif");
    ASSERT_TRUE(QFile::copy(source, deep));
    ASSERT_GT(deep.size(), 255);
    ASSERT_TRUE(drop(&main(), *files({deep})));
    ASSERT_NE(activeView(), nullptr);
    EXPECT_EQ(activeView()->fileName(), deep);
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(DropsTest, OpenByTypeRoutesEachKindOfFile)
{
    const QString gif = makeGif(QStringLiteral("anim.gif"), 3);
    openByType(main(), gif);
    EXPECT_EQ(activeView()->fileName(), gif);
    answerPalettes();
    openByType(main(), makePicture(QStringLiteral("pic.bmp"), QSize(8, 8), Qt::green));
    EXPECT_EQ(frames(), 4);
    openByType(main(), writeFile(QStringLiteral("data.xyz"), "?"));
    EXPECT_EQ(boxes(), QStringList{QString::fromLatin1(kUnsupported).arg("data.xyz")});
    // A picture file that does not load says so and changes nothing.
    m_messages.clear();
    openByType(main(), writeFile(QStringLiteral("broken.png"), "not a png"));
    EXPECT_EQ(boxes(), QStringList{QString::fromLatin1(kUnsupported).arg("broken.png")});
    EXPECT_EQ(frames(), 4);
}

TEST_F(DropsTest, AThumbnailOnADocumentWindowActivatesItAndAddsAfterTheCurrentFrame)
{
    TMDIChild* first = open(makeGif(QStringLiteral("first.gif"), 3));
    TMDIChild* second = open(makeGif(QStringLiteral("second.gif"), 2));
    ASSERT_EQ(activeView(), second);
    answerPalettes();
    ASSERT_TRUE(drop(first->view(), *thumbnail(makePicture(QStringLiteral("thumb.png")))));
    EXPECT_EQ(activeView(), first);
    EXPECT_EQ(frames(), 4);
    EXPECT_EQ(firstPixel(1), TColor(0x0000FF)) << "after frame 0, the current one";
    EXPECT_EQ(main().session().workspaceDropFlag(), false);
}

TEST_F(DropsTest, AGifThumbnailOnADocumentAsksWhetherToAddIt)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("target.gif"), 2));
    const QString other = makeGif(QStringLiteral("other.gif"), 3);
    m_messages.pushAnswer(TMsgResult::Cancel);
    ASSERT_TRUE(drop(doc->framePanel(), *thumbnail(other)));
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    EXPECT_TRUE(boxes().value(0).startsWith(
        QStringLiteral("Would you like to add this image to the current animation?")));
    EXPECT_EQ(docs().count(), 1);
    EXPECT_EQ(frames(), 2);
}

TEST_F(DropsTest, AGifThumbnailOnTheEmptyWorkspaceOpensAsItsOwnDocument)
{
    open(makeGif(QStringLiteral("open.gif"), 2));
    const QString other = makeGif(QStringLiteral("other.gif"), 3);
    ASSERT_TRUE(drop(workspace(), *thumbnail(other)));
    EXPECT_TRUE(boxes().isEmpty()) << boxes().join('\n').toStdString();
    EXPECT_EQ(docs().count(), 2);
    EXPECT_EQ(activeView()->fileName(), other);
    EXPECT_FALSE(main().session().workspaceDropFlag());
}

TEST_F(DropsTest, APictureThumbnailOnTheEmptyWorkspaceStartsANewDocument)
{
    TMDIChild* doc = open(makeGif(QStringLiteral("open.gif"), 2));
    answerPalettes();
    ASSERT_TRUE(drop(workspace(), *thumbnail(makePicture(QStringLiteral("new.png")))));
    EXPECT_EQ(docs().count(), 2);
    TMDIChild* created = activeView();
    ASSERT_NE(created, doc);
    EXPECT_TRUE(created->document()->isUntitled());
    EXPECT_EQ(frames(), 1);
    EXPECT_TRUE(created->isModified());
    ASSERT_NE(created->document()->history(), nullptr);
    EXPECT_EQ(created->document()->history()->count(), 1);
    EXPECT_EQ(main().session().currentFrame(), 0);
    EXPECT_FALSE(main().session().workspaceDropFlag());
    // The first document still has its own animation.
    docs().activate(doc->document());
    EXPECT_EQ(frames(), 2);
}

TEST_F(DropsTest, AThumbnailOnTheStripBecomesFrameZero)
{
    open(makeGif(QStringLiteral("strip.gif"), 3));
    answerPalettes();
    const auto data = thumbnail(makePicture(QStringLiteral("s.png")));
    ASSERT_TRUE(drop(main().frameStrip()->viewport(), *data));
    EXPECT_EQ(frames(), 4);
    EXPECT_EQ(firstPixel(0), TColor(0x0000FF));
}

TEST_F(DropsTest, AViewOrStripFrameDroppedOnAnotherDocumentCopiesTheCurrentFrame)
{
    for (const char* format : {TFrameStrip::kViewMime, TFrameStrip::kFrameMime}) {
        SCOPED_TRACE(format);
        const QString tag = QString::number(docs().count());
        TMDIChild* target = open(makeGif(QStringLiteral("target-%1.gif").arg(tag), 3));
        open(makeGif(QStringLiteral("source-%1.gif").arg(tag), 3));
        ASSERT_TRUE(selectFrame(2)); // colour 2 (blue)
        answerPalettes();
        // The active document does not take its own frame.
        EXPECT_FALSE(drop(activeView()->view(), *withFormat(format)));
        ASSERT_TRUE(drop(target->view(), *withFormat(format)));
        EXPECT_EQ(activeView(), target);
        EXPECT_EQ(frames(), 4);
        EXPECT_EQ(firstPixel(1), TColor(0xFF0000)) << "after the target's current frame";
        EXPECT_EQ(target->document()->history()->count(), 1);
        EXPECT_TRUE(boxes().isEmpty()) << boxes().join('\n').toStdString();
    }
}

} // namespace
