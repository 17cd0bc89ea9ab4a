// What each command class puts back, including the cases where a plain reading of the
// recorded values would not restore the animation.
#include "UndoTestSupport.h"

#include "editing/FrameSteps.h"
#include "editing/UndoCommands.h"
#include "gif/GIFException.h"
#include "support/TestSupport.h"

#include <QFile>

using namespace undotest;

namespace {

class UndoCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setColors(doc.image.globalColorMap(), {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000});
        for (int i = 0; i < 4; ++i) {
            TGIFSubImage* frame = addFrame(doc.image, i, i, 5, 4, 5, i);
            addGCE(frame, 10 * (i + 1));
        }
        addLoop(doc.image.images().subImage(0), 7);
    }

    TGIFSubImage* frame(int index) { return doc.image.images().subImage(index); }

    TUndoEnvironment env;
    TFakeDocument doc;
};

TEST_F(UndoCommandsTest, DeleteFrameComesBackWithItsMapAndExtensions)
{
    TGIFSubImage* doomed = frame(2);
    setColors(doomed->colorMap(),
              {0x111111, 0x222222, 0x333333, 0x444444, 0x555555}); // 5: not a power of two
    addComment(doomed, {QStringLiteral("first"), QStringLiteral("second")});
    doomed->graphicControlExtension()->setTransparent(true);
    doomed->graphicControlExtension()->setTransparentColorIndex(3);
    const QByteArray before = gifBytes(doc.image);

    recordUndo(doc, ckFrame, 2, -1, -1, 2, QStringLiteral("Delete Frame"));
    ASSERT_EQ(env.snapshotFiles().size(), 1);
    doc.image.images().deleteAt(2);
    undoActiveDocument(doc);

    ASSERT_EQ(doc.image.images().count(), 4);
    TGIFSubImage* back = frame(2);
    EXPECT_EQ(back->colorMap().count(), 5);
    EXPECT_EQ(back->extensions().count(), 2);
    EXPECT_TRUE(back->transparent());
    EXPECT_EQ(back->graphicControlExtension()->delay(), 30);
    EXPECT_SAME_BYTES(before, gifBytes(doc.image));
    EXPECT_EQ(doc.columns, 1);
    EXPECT_EQ(doc.current, 2);
    EXPECT_TRUE(env.snapshotFiles().isEmpty());
}

TEST_F(UndoCommandsTest, LostSnapshotInsertsNothing)
{
    recordUndo(doc, ckFrame, 2, -1, -1, 1, QStringLiteral("Delete Frame"));
    doc.image.images().deleteAt(1);
    QFile::remove(static_cast<TFrame*>(doc.historyList->last())->snapshotFileName());
    EXPECT_NO_THROW(undoActiveDocument(doc));
    EXPECT_EQ(doc.image.images().count(), 3);
    EXPECT_EQ(doc.columns, 0);
}

// Moving frame 0 away, or another frame to 0, keeps the looping extension at the front of
// whatever frame is first; undo gives back the exact animation.
TEST_F(UndoCommandsTest, MoveKeepsTheLoopingExtensionOnTheFirstFrame)
{
    const QByteArray before = gifBytes(doc.image);
    for (auto [from, to] : {std::pair{0, 3}, std::pair{3, 0}}) {
        TGIFSubImage* moving = frame(from);
        recordUndo(doc, ckFrame, 4, -1, to, from, QStringLiteral("Move Frame"));
        moveFrameStep(doc, from, to);
        EXPECT_EQ(frame(to), moving);
        ASSERT_NE(loopOf(frame(0)), nullptr);
        EXPECT_EQ(frame(0)->extensions().extension(0), loopOf(frame(0)));
        EXPECT_EQ(loopOf(frame(0))->loops(), 7);
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(loopOf(frame(i)), nullptr);
        EXPECT_EQ(doc.current, to);

        undoActiveDocument(doc);
        EXPECT_EQ(frame(from), moving);
        EXPECT_SAME_BYTES(before, gifBytes(doc.image));
    }
}

TEST_F(UndoCommandsTest, PaletteEntryEditsUndo)
{
    TGIFColorMap& map = doc.image.globalColorMap();
    // A deleted entry comes back at its old index, the later ones moving up again; one past the
    // end of a map that shrank since is appended.
    const std::vector<TGIFColor> original = map.entries();
    recordUndo(doc, ckPalette, 6, 1, 0, -1, QStringLiteral("Delete Color Palette Entry"));
    map.deleteAt(1);
    undoActiveDocument(doc);
    EXPECT_EQ(map.entries(), original);
    recordUndo(doc, ckPalette, 6, 4, 0, -1, QStringLiteral("Delete Color Palette Entry"));
    map.deleteAt(4);
    map.deleteAt(3);
    undoActiveDocument(doc);
    EXPECT_EQ(map.count(), 4);
    EXPECT_EQ(map.entries().back(), original[4]);
    map.setEntries(original);

    recordUndo(doc, ckPalette, 5, 5, 0x00ABCDEF, -1, QStringLiteral("Add Color Palette Entry"));
    map.add(0x00ABCDEF);
    recordUndo(doc, ckPalette, 7, 0, int(map.color(0)), -1, QStringLiteral("Change Color Palette Entry"));
    map.setColor(0, 0x00777777);
    undoActiveDocument(doc);
    EXPECT_EQ(map.color(0), TColor(0));
    undoActiveDocument(doc);
    EXPECT_EQ(map.count(), 5);

    // A full map cannot take the deleted colour back: the engine's overflow passes out.
    TGIFColorMap& local = frame(1)->colorMap();
    std::vector<TColor> full(256);
    for (int i = 0; i < 256; ++i)
        full[size_t(i)] = TColor(i);
    setColors(local, full);
    recordUndo(doc, ckPalette, 6, 3, 0, 1, QStringLiteral("Delete Color Palette Entry"));
    EXPECT_THROW(undoActiveDocument(doc), GIFException);
    EXPECT_EQ(doc.count(), 1);
}

TEST_F(UndoCommandsTest, LocalPaletteAddAndRemoveUndo)
{
    TGIFColorMap& local = frame(1)->colorMap();
    recordUndo(doc, ckPalette, 1, -1, -1, 1, QStringLiteral("Add Local Palette"));
    setColors(local, {1, 2, 3});
    undoActiveDocument(doc);
    EXPECT_EQ(local.count(), 0);

    setColors(local, {1, 2, 3});
    recordUndo(doc, ckPalette, 2, -1, -1, 1, QStringLiteral("Remove Local Palette"));
    local.clear();
    undoActiveDocument(doc);
    EXPECT_EQ(local.entries(), (std::vector<TGIFColor>{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));

    // A local map that has been filled again since is not overwritten.
    recordUndo(doc, ckPalette, 2, -1, -1, 1, QStringLiteral("Remove Local Palette"));
    setColors(local, {9});
    undoActiveDocument(doc);
    EXPECT_EQ(local.count(), 1);
}

TEST_F(UndoCommandsTest, LoopChangeWithStoredCountOne)
{
    TGIFSubImage* first = frame(0);
    // Without a looping extension (the animation played once) undo takes the new one away.
    delete loopOf(first);
    recordUndo(doc, ckNSLoop, 3, -1, -1, 0, QStringLiteral("Change Animation Loop"));
    addLoop(first, 4);
    undoActiveDocument(doc);
    EXPECT_EQ(loopOf(first), nullptr);

    // An extension that really held 1 (play twice) keeps its extension and gets 1 back.
    addLoop(first, 1);
    recordUndo(doc, ckNSLoop, 3, -1, -1, 0, QStringLiteral("Change Animation Loop"));
    loopOf(first)->setLoops(4);
    undoActiveDocument(doc);
    ASSERT_NE(loopOf(first), nullptr);
    EXPECT_EQ(loopOf(first)->loops(), 1);

    // Removed and added extensions.
    recordUndo(doc, ckNSLoop, 2, -1, -1, 0, QStringLiteral("Change Animation Loop"));
    delete loopOf(first);
    undoActiveDocument(doc);
    ASSERT_NE(loopOf(first), nullptr);
    EXPECT_EQ(first->extensions().extension(0), loopOf(first));
    EXPECT_EQ(loopOf(first)->loops(), 1);
    delete loopOf(first);
    recordUndo(doc, ckNSLoop, 1, -1, -1, 0, QStringLiteral("Change Animation Loop"));
    addLoop(first, 0);
    undoActiveDocument(doc);
    EXPECT_EQ(loopOf(first), nullptr);
}

// The restored transparent index is the recorded one, even when its colour is in the map twice.
TEST_F(UndoCommandsTest, RemovedGraphicControlComesBackWithItsIndex)
{
    TGIFSubImage* target = frame(2);
    setColors(target->colorMap(), {0x101010, 0x202020, 0x101010, 0x303030, 0x404040});
    TGIFGraphicControlExtension* gce = target->graphicControlExtension();
    gce->setDisposal(TGIFDisposal::dmPrevious);
    gce->setTransparent(true);
    gce->setTransparentColorIndex(0);
    gce->setUserInput(true);
    const QByteArray before = gifBytes(doc.image);

    recordUndo(doc, ckGCExt, 2, -1, -1, 2, QStringLiteral("Remove Transparency"));
    delete gce;
    EXPECT_FALSE(target->transparent());
    undoActiveDocument(doc);
    ASSERT_NE(target->graphicControlExtension(), nullptr);
    EXPECT_EQ(target->graphicControlExtension()->transparentColorIndex(), 0);
    EXPECT_TRUE(target->transparent());
    EXPECT_SAME_BYTES(before, gifBytes(doc.image));

    recordUndo(doc, ckGCExt, 1, -1, -1, 3, QStringLiteral("Make Transparent"));
    undoActiveDocument(doc);
    EXPECT_EQ(frame(3)->graphicControlExtension(), nullptr);
}

TEST_F(UndoCommandsTest, CommentEditsUndo)
{
    TGIFSubImage* first = frame(0);
    TGIFCommentExtension* added = addComment(first, {QStringLiteral("new")});
    recordUndo(doc, ckCommentExt, 1, -1, first->extensions().indexOf(added), 0,
               QStringLiteral("Add GIF Comment"));
    undoActiveDocument(doc);
    EXPECT_EQ(first->extensions().count(), 2);

    TGIFCommentExtension* comment = addComment(first, {QStringLiteral("a"), QString(), QStringLiteral("c")});
    const int position = first->extensions().indexOf(comment);
    recordUndo(doc, ckCommentExt, 3, -1, position, 0, QStringLiteral("Change GIF Comment"));
    comment->text() = QStringList{QStringLiteral("changed")};
    undoActiveDocument(doc);
    EXPECT_EQ(comment->text(), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")}));

    recordUndo(doc, ckCommentExt, 2, -1, position, 0, QStringLiteral("Delete GIF Comment"));
    delete comment;
    undoActiveDocument(doc);
    auto* back =
        dynamic_cast<TGIFCommentExtension*>(first->extensions().extension(first->extensions().count() - 1));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")}));

    // A comment ahead of other extensions comes back at its place: the file is the same again.
    TGIFCommentExtension* early = addComment(first, {QStringLiteral("early")});
    first->extensions().remove(early);
    first->extensions().insert(0, early);
    const QByteArray before = gifBytes(doc.image);
    recordUndo(doc, ckCommentExt, 2, -1, 0, 0, QStringLiteral("Delete GIF Comment"));
    delete early;
    undoActiveDocument(doc);
    EXPECT_SAME_BYTES(before, gifBytes(doc.image));
}

TEST_F(UndoCommandsTest, GeometryUndoShrinksTheScreenAgain)
{
    const QByteArray before = gifBytes(doc.image);
    recordUndo(doc, ckFrame, 3, -1, -1, 1, QStringLiteral("Change X-Offset"));
    frame(1)->setLeft(40);
    EXPECT_EQ(doc.image.width(), 45);
    recordUndo(doc, ckFrame, 3, -1, -1, 1, QStringLiteral("Interlaced"));
    frame(1)->setInterlaced(true);
    undoActiveDocument(doc);
    undoActiveDocument(doc);
    EXPECT_EQ(doc.image.width(), 8);
    EXPECT_SAME_BYTES(before, gifBytes(doc.image));
}

// A whole-animation snapshot comes back exactly (maps of any size) and leaves the program's
// handlers on the working image.
TEST_F(UndoCommandsTest, SnapshotRestoresExactMapsAndKeepsHandlers)
{
    int progressCalls = 0;
    doc.image.onProgress = [&](TObject*, TProgressStage, int, bool, const QRect&, const QString&) {
        ++progressCalls;
    };
    doc.image.setColorReduction(2);
    recordUndo(doc, ckActiveAnimation, 8, -1, -1, 0, QStringLiteral("Reverse Frame Order"));
    doc.image.images().move(0, 3);
    doc.image.globalColorMap().add(0x00C0FFEE);
    undoActiveDocument(doc);

    EXPECT_EQ(doc.image.globalColorMap().count(), 5);
    ASSERT_NE(loopOf(frame(0)), nullptr);
    EXPECT_TRUE(doc.image.onProgress);
    EXPECT_EQ(doc.image.colorReduction(), 2);
    // The palette command undone after the snapshot finds the map exactly as it was recorded.
    recordUndo(doc, ckPalette, 5, 5, 0x00ABCDEF, -1, QStringLiteral("Add Color Palette Entry"));
    doc.image.globalColorMap().add(0x00ABCDEF);
    recordUndo(doc, ckActiveAnimation, 8, -1, -1, 0, QStringLiteral("Global Properties Change"));
    undoActiveDocument(doc);
    undoActiveDocument(doc);
    EXPECT_EQ(doc.image.globalColorMap().count(), 5);
    EXPECT_TRUE(env.snapshotFiles().isEmpty());
}

} // namespace

namespace {

// A whole-animation snapshot that takes back an added frame tells the strip it lost a column.
TEST_F(UndoCommandsTest, SnapshotUndoOfAnAddedFrameRemovesItsColumn)
{
    const QByteArray before = gifBytes(doc.image);
    recordUndo(doc, ckActiveAnimation, 8, -1, -1, 4, QStringLiteral("Add Frame"));
    addFrame(doc.image, 0, 0, 5, 4, 5, 9);
    undoActiveDocument(doc);
    EXPECT_SAME_BYTES(before, gifBytes(doc.image));
    EXPECT_EQ(doc.columns, -1);
}

} // namespace
