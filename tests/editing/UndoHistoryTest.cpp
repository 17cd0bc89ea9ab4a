// The history's bookkeeping and the document-level record and undo operations.
#include "UndoTestSupport.h"

#include "editing/UndoCommands.h"
#include "platform/Settings.h"
#include "support/TestSupport.h"

#include <QFile>

using namespace undotest;

namespace {

class UndoHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setColors(doc.image.globalColorMap(), {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00});
        for (int i = 0; i < 4; ++i)
            addGCE(addFrame(doc.image, 0, 0, 4, 3, 4, i), 10 * (i + 1));
    }

    TUndoEnvironment env;
    TFakeDocument doc;
};

TEST_F(UndoHistoryTest, CapacityKeepsOneMoreAndDeletesTrimmedSnapshots)
{
    std::vector<QString> snapshots;
    for (int i = 0; i < 60; ++i) {
        recordUndo(doc, ckActiveAnimation, 8, -1, -1, 0, QStringLiteral("Edit %1").arg(i));
        snapshots.push_back(static_cast<TActiveAnimation*>(doc.historyList->last())->snapshotFileName());
    }
    ASSERT_EQ(doc.count(), 51);
    EXPECT_EQ(doc.historyList->command(0)->caption(), QStringLiteral("Edit 9"));
    EXPECT_EQ(doc.undoPosition, 52);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(QFile::exists(snapshots[size_t(i)]), i >= 9) << i;
    EXPECT_EQ(env.snapshotFiles().size(), 51);
    doc.historyList->clear();
    EXPECT_TRUE(env.snapshotFiles().isEmpty());
}

TEST_F(UndoHistoryTest, CapacityComesFromTheSettingAndIsNotAppliedBackwards)
{
    EXPECT_EQ(undoCapacitySetting(), 50);
    Settings::writeInteger(QStringLiteral("Settings"), QStringLiteral("MaxUndo"), 5);
    doc.capacity = undoCapacitySetting();
    for (int i = 0; i < 10; ++i)
        recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Change Delay"));
    EXPECT_EQ(doc.count(), 6);
    // A lower capacity only trims with the next command; a negative one still keeps one.
    doc.historyList->setCapacity(-3);
    EXPECT_EQ(doc.count(), 6);
    recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Change Delay"));
    EXPECT_EQ(doc.count(), 1);
}

TEST_F(UndoHistoryTest, UndoCaptionFollowsTheNewestCommand)
{
    EXPECT_FALSE(refreshUndoState(doc));
    EXPECT_FALSE(doc.undoEnabled);
    EXPECT_EQ(doc.undoCaption, QStringLiteral("&Undo "));

    recordUndo(doc, ckGCExt, 3, -1, -1, 1, QStringLiteral("Change Delay"));
    EXPECT_TRUE(doc.undoEnabled);
    EXPECT_EQ(doc.undoCaption, QStringLiteral("&Undo Change Delay"));
    EXPECT_EQ(doc.undoPosition, 2);

    undoActiveDocument(doc);
    EXPECT_FALSE(doc.undoEnabled);
    EXPECT_EQ(doc.undoCaption, QStringLiteral("&Undo "));
}

TEST_F(UndoHistoryTest, KindsWithoutACommandAreIgnored)
{
    for (int kind : {0, 6, 8, -1})
        recordUndo(doc, kind, 1, -1, -1, 0, QStringLiteral("Nothing"));
    EXPECT_EQ(doc.count(), 0);
}

// Action type 0 fails in every class but the snapshot, names the class and keeps the command.
TEST_F(UndoHistoryTest, ActionTypeZeroRaisesWithTheClassName)
{
    const struct
    {
        int kind;
        const char* className;
    } cases[] = {{ckPalette, "TCommandPalette"},
                 {ckFrame, "TFrame"},
                 {ckCommentExt, "TCommentExt"},
                 {ckGCExt, "TGCExt"},
                 {ckNSLoop, "TNSLoop"}};
    for (const auto& c : cases) {
        recordUndo(doc, c.kind, 0, -1, -1, 1, QStringLiteral("Zero"));
        const int before = doc.count();
        try {
            undoActiveDocument(doc);
            ADD_FAILURE() << c.className;
        } catch (const ECommandError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Unknown Action Type from %1!").arg(c.className));
        }
        EXPECT_EQ(doc.count(), before) << c.className;
        doc.historyList->deleteAt(doc.count() - 1);
    }
    recordUndo(doc, ckActiveAnimation, 0, -1, -1, 0, QStringLiteral("Zero"));
    EXPECT_NO_THROW(undoActiveDocument(doc));
    EXPECT_EQ(doc.count(), 0);
}

// A capture that fails records nothing, with the command's own text.
TEST_F(UndoHistoryTest, FailedCapturesRecordNothing)
{
    const struct
    {
        int kind, action, colorIndex, data, frame;
        const char* message;
    } cases[] = {
        {ckFrame, 3, -1, -1, 9, "Could not get GIFSubImage"},
        {ckFrame, 2, -1, -1, -1, "Could not get GIFSubImage"},
        {ckPalette, 6, -1, 0, -1, "AColorIndex is -1!"},
    };
    for (const auto& c : cases) {
        try {
            recordUndo(doc, c.kind, uint8_t(c.action), c.colorIndex, c.data, c.frame, QStringLiteral("X"));
            ADD_FAILURE() << c.message;
        } catch (const ECommandError& e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(c.message));
        }
        EXPECT_EQ(doc.count(), 0);
    }
    // A comment command for an extension that is not a comment fails with a type error.
    EXPECT_THROW(recordUndo(doc, ckCommentExt, 2, -1, 0, 0, QStringLiteral("Delete GIF Comment")),
                 EConvertError);
    EXPECT_EQ(doc.count(), 0);
    EXPECT_TRUE(env.snapshotFiles().isEmpty());
}

TEST_F(UndoHistoryTest, FailingUndoKeepsTheCommandForAnotherTry)
{
    recordUndo(doc, ckGCExt, 3, -1, -1, 3, QStringLiteral("Change Delay"));
    doc.image.images().deleteAt(3);
    try {
        undoActiveDocument(doc);
        ADD_FAILURE();
    } catch (const ECommandError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("SubImage is nil, TGCExt"));
    }
    EXPECT_EQ(doc.count(), 1);

    recordUndo(doc, ckCommentExt, 1, -1, 5, 0, QStringLiteral("Add GIF Comment"));
    EXPECT_THROW(undoActiveDocument(doc), ECommandError);
    EXPECT_EQ(doc.count(), 2);
}

TEST_F(UndoHistoryTest, UndoSelectsTheInspectorRowNamedByTheCaption)
{
    const struct
    {
        const char* caption;
        int row;
    } cases[] = {{"Change X-Offset", 3},  {"Non-Interlaced", 6}, {"Remove Transparency", 0},
                 {"Make Transparent", 7}, {"Change Delay", 10},  {"Add Local Palette", 8}};
    for (const auto& c : cases) {
        recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Keep"));
        recordUndo(doc, ckGCExt, 3, -1, -1, 2, QString::fromLatin1(c.caption));
        doc.row = 0;
        undoActiveDocument(doc);
        EXPECT_EQ(doc.row, c.row) << c.caption;
        EXPECT_EQ(doc.current, 2) << c.caption;
        EXPECT_EQ(doc.undoPosition, -1);
        doc.historyList->clear();
    }
}

// Undoing the last command of a saved document goes back to its file and clears the modified state.
TEST_F(UndoHistoryTest, UndoingTheLastCommandReloadsTheFile)
{
    doc.file = env.path() + QStringLiteral("/saved.gif");
    doc.image.saveToFile(doc.file);
    const QByteArray saved = gifBytes(doc.image);
    doc.untitled = false;
    doc.copy = env.path() + QStringLiteral("/~GAcopy");
    doc.reloadLoadsFile = true;

    recordUndo(doc, ckFrame, 2, -1, -1, 1, QStringLiteral("Delete Frame"));
    doc.image.images().deleteAt(1);
    recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Change Delay"));
    doc.image.images().subImage(0)->graphicControlExtension()->setDelay(77);

    undoActiveDocument(doc);
    EXPECT_TRUE(doc.reloads.isEmpty());
    EXPECT_TRUE(doc.modified);
    undoActiveDocument(doc);
    EXPECT_EQ(doc.reloads, QStringList{doc.file});
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(doc.copy.isEmpty());
    EXPECT_EQ(doc.rememberedFrame, 0);
    EXPECT_SAME_BYTES(saved, gifBytes(doc.image));
    EXPECT_FALSE(doc.closed);
}

TEST_F(UndoHistoryTest, UntitledDocumentStaysModifiedAndIsNotReloaded)
{
    // Even when a file of the untitled name exists, it is not this document's file.
    doc.file = env.path() + QStringLiteral("/Untitled1.gif");
    doc.image.saveToFile(doc.file);
    recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Change Delay"));
    undoActiveDocument(doc);
    EXPECT_TRUE(doc.reloads.isEmpty());
    EXPECT_TRUE(doc.modified);
}

TEST_F(UndoHistoryTest, UndoingTheAddOfTheOnlyFrameClosesTheDocument)
{
    while (doc.image.images().count() > 1)
        doc.image.images().deleteAt(1);
    recordUndo(doc, ckFrame, 1, -1, -1, 0, QStringLiteral("Add Frame"));
    undoActiveDocument(doc);
    EXPECT_TRUE(doc.image.empty());
    EXPECT_TRUE(doc.closed);
    EXPECT_EQ(doc.columns, -1);
}

TEST_F(UndoHistoryTest, GlobalPaletteUndoReloadsFromTheWorkingCopy)
{
    doc.copy = env.path() + QStringLiteral("/~GAworking");
    QFile(doc.copy).open(QIODevice::WriteOnly);
    recordUndo(doc, ckGCExt, 3, -1, -1, 0, QStringLiteral("Change Delay"));
    recordUndo(doc, ckPalette, 3, -1, -1, -1, QStringLiteral("Change Global Palette"));
    doc.image.globalColorMap().setColor(1, 0x123456);
    undoActiveDocument(doc);
    EXPECT_EQ(doc.image.globalColorMap().color(1), TColor(0xFFFFFF));
    EXPECT_EQ(doc.reloads, QStringList{doc.copy});
}

} // namespace
