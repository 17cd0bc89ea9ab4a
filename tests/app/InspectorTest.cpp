// The frame inspector inside the real program, from an empty settings store, with every box and
// the palette dialog answered through the scripted message service: what a fill shows, each
// way an edit is committed, the checks of typed values, the palette and comment pages, Clear,
// and that "&Undo" gives back every inspector edit byte for byte.
#include "AppFixture.h"

#include "app/DocumentTabs.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/Palette.h"
#include "editing/UndoCommands.h"
#include "editing/UndoHistory.h"
#include "editing/UndoTestSupport.h"
#include "editing/float.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"
#include "platform/MessageService.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using undotest::gifBytes;

namespace {

constexpr TColor kGlobal[8] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                               0xFF0000, 0x00FFFF, 0xFFFF00, 0xFF00FF};

// An animation that has something for every row and page:
//   frame 0: 16 x 12, global colours 0-3, extensions [loop, comment "first", comment "second",
//            timing 20 / "Remove"];
//   frame 1: 8 x 6 at (4, 3), a local map of 10 colours of which 0-4 are used, timing 30;
//   frame 2: 8 x 6, global colours 0-7 (2 used most), transparent index 5, timing 40.
QByteArray animationBytes()
{
    TGIFImage image;
    image.setWidth(16);
    image.setHeight(12);
    for (TColor color : kGlobal)
        image.globalColorMap().add(color);
    TGIFSubImage* first = undotest::addFrame(image, 0, 0, 16, 12, 4);
    undotest::addComment(first, {QStringLiteral("first")});
    undotest::addComment(first, {QStringLiteral("second"), QStringLiteral("line")});
    ensureFrameTiming(*first, 20);
    first->graphicControlExtension()->setDisposal(TGIFDisposal::dmKeep);
    undotest::addLoop(first, 0);

    TGIFSubImage* second = undotest::addFrame(image, 4, 3, 8, 6, 5);
    for (int i = 0; i < 10; ++i)
        second->colorMap().add(rgbColor(i * 20, 255 - i * 20, i * 5));
    ensureFrameTiming(*second, 30);

    TGIFSubImage* third = undotest::addFrame(image, 0, 0, 8, 6, 8, 3);
    for (int y = 0; y < 6; ++y)
        third->scanLine(y)[0] = 2;
    ensureFrameTiming(*third, 40);
    third->graphicControlExtension()->setTransparentColorIndex(5);
    third->graphicControlExtension()->setTransparent(true);

    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.takeData();
}

} // namespace

class InspectorTest : public AppFixture
{
public:
    // Public so the tables of edits can drive the window through the fixture.
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
    // The few ways the tests reach documents and the working image, in one place.
    using TDoc = TDocument;
    TGIFImage& image() { return main().session().workingImage(); }
    TDocumentManager& docs() { return main().session().documents(); }
    TDoc* activeDoc() { return docs().active(); }
    bool openFile(const QString& path) { return docs().open(path); }
    void closeDoc(TDoc* doc)
    {
        doc->setModified(false);
        docs().remove(doc);
    }
    bool showFrame(int index) { return main().session().view().selectFrame(index); }
    int mainFrame() { return main().session().currentFrame(); }
    TfrmFloat& inspector() { return *m_program->inspector(); }
    QTableWidget& grid() { return *inspector().grdProperties; }

    // The animation above as a file, opened as the active document, with the inspector active
    // on frame `frame`.
    TDoc* openAnimation(int frame = 0, const QString& name = QStringLiteral("anim.gif"))
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(animationBytes());
        file.close();
        EXPECT_TRUE(openFile(path));
        TDoc* doc = activeDoc();
        if (frame != 0) {
            EXPECT_TRUE(showFrame(frame));
        }
        activateInspector();
        return doc;
    }
    void activateInspector()
    {
        inspector().show();
        inspector().activateWindow();
        QApplication::setActiveWindow(&inspector());
    }
    void activateMainWindow()
    {
        main().activateWindow();
        QApplication::setActiveWindow(&main());
    }
    TGIFSubImage* frame(int index) { return image().images().subImage(index); }
    int historyCount()
    {
        THistoryList* history = activeDoc() ? activeDoc()->history() : nullptr;
        return history ? history->count() : 0;
    }
    QString lastCaption() { return activeDoc()->history()->lastCaption(); }
    // The newest command's kind, told by its class.
    int lastKind()
    {
        TCommand* last = activeDoc()->history()->last();
        if (dynamic_cast<TFrame*>(last))
            return ckFrame;
        if (dynamic_cast<TGCExt*>(last))
            return ckGCExt;
        if (dynamic_cast<TCommandPalette*>(last))
            return ckPalette;
        if (dynamic_cast<TCommentExt*>(last))
            return ckCommentExt;
        return 0;
    }
    int lastAction() { return activeDoc()->history()->last()->actionType(); }
    QByteArray imageBytes() { return gifBytes(image()); }

    void clickRow(int row, int column = 1)
    {
        const QRect cell = grid().visualItemRect(grid().item(row, column));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }
    // Selects the row with a click and types over its value, without committing.
    void typeInRow(int row, const QString& text)
    {
        clickRow(row);
        ASSERT_EQ(inspector().selectedRow(), row);
        QLineEdit* editor = inspector().txtInplace;
        if (!editor->isVisible()) {
            grid().setFocus();
            QTest::keyClicks(&grid(), text.left(1));
            ASSERT_TRUE(editor->isVisible()) << row;
            QTest::keyClicks(editor, text.mid(1));
        } else {
            editor->selectAll();
            QTest::keyClicks(editor, text);
        }
        ASSERT_EQ(inspector().cellText(row), text);
    }
    // Types a value and presses Enter.
    void enterInRow(int row, const QString& text)
    {
        typeInRow(row, text);
        QTest::keyClick(inspector().txtInplace, Qt::Key_Return);
    }
    // Chooses an entry of the row's drop list with the mouse.
    void chooseInRow(int row, const QString& entry)
    {
        clickRow(row);
        ASSERT_TRUE(inspector().dropDownVisible()) << row;
        QListWidget& list = *inspector().lstDropDown;
        const QList<QListWidgetItem*> found = list.findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                          list.visualItemRect(found[0]).center());
    }
    void showPalettePage() { inspector().pgcInspector->setCurrentIndex(1); }
    void clickSwatch(int index)
    {
        TInspectorSwatches& swatches = *inspector().grdPalette;
        QTest::mouseClick(&swatches, Qt::LeftButton, Qt::NoModifier, swatches.cellRect(index).center());
    }
    // The palette dialog's next showing: the colour typed into its fields, then OK.
    void answerColor(TColor color)
    {
        m_messages.pushForm([color](QDialog& dialog) {
            auto& palette = static_cast<TfrmPalette&>(dialog);
            EXPECT_EQ(palette.mode(), TPaletteMode::ChangeColor);
            palette.setColor(color);
            palette.btnOK->click();
        });
    }
    TScriptedMessageService& messages() { return m_messages; }
    void trigger(TActionId id) { main().action(id)->trigger(); }

    QTemporaryDir m_files;
};

TEST_F(InspectorTest, FillShowsTheFrameAndClearEmptiesTheWindow)
{
    startProgram();
    EXPECT_EQ(inspector().lblHintTitle->text(), "Frame Inspector");
    EXPECT_EQ(inspector().lblHintText->text(), "Displays all the frame properties in a convenient window.");
    EXPECT_FALSE(grid().isEnabled());

    openAnimation(1);
    EXPECT_EQ(inspector().windowTitle(), "Frame Inspector - anim.gif");
    EXPECT_TRUE(grid().isEnabled());
    const QStringList expected = {"", "6", "8", "4", "3", "", "No", "No", "Yes", "", "30", "Background"};
    for (int row = 0; row < irRowCount; ++row) {
        EXPECT_EQ(grid().item(row, 0)->text(), QString::fromLatin1(kInspectorRowLabels[row]));
        EXPECT_EQ(grid().item(row, 1)->text(), expected[row]) << row;
    }
    QComboBox& frames = *inspector().cbFrames;
    ASSERT_EQ(frames.count(), 3);
    EXPECT_EQ(frames.itemText(0), "Frame 0: [12 x 16]");
    EXPECT_EQ(frames.itemText(1), "Frame 1: [6 x 8]");
    EXPECT_EQ(frames.currentIndex(), 1);
    EXPECT_EQ(inspector().currentFrame(), 1);
    EXPECT_EQ(inspector().selectedRow(), irHeight); // nothing was selected before
    QListWidget& comments = *inspector().lstComments;
    ASSERT_EQ(comments.count(), 2);
    EXPECT_EQ(comments.item(1)->text(), "Comment 2");

    // The transparent frame shows its colour beside "Yes".
    ASSERT_TRUE(showFrame(2));
    EXPECT_EQ(grid().item(irTransparent, 1)->text(), "Yes");
    EXPECT_FALSE(grid().item(irTransparent, 1)->icon().isNull());
    EXPECT_EQ(grid().item(irLocalPalette, 1)->text(), "No");

    // Choosing in the inspector's own list selects the frame in the main window.
    frames.setCurrentIndex(0);
    emit frames.activated(0);
    EXPECT_EQ(mainFrame(), 0);
    EXPECT_EQ(grid().item(irDisposal, 1)->text(), "Remove");

    // The last document closes: no caption, no values, no editing.
    activeDoc()->setModified(false);
    trigger(TActionId::FileClose);
    EXPECT_EQ(activeDoc(), nullptr);
    EXPECT_EQ(inspector().windowTitle(), "Frame Inspector");
    EXPECT_EQ(inspector().selectedRow(), -1);
    for (int row = 0; row < irRowCount; ++row)
        EXPECT_TRUE(grid().item(row, 1)->text().isEmpty()) << row;
    EXPECT_FALSE(grid().isEnabled());
    EXPECT_EQ(frames.count(), 0);
    EXPECT_EQ(comments.count(), 0);
    EXPECT_FALSE(inspector().btnAddColor->isEnabled());
    EXPECT_FALSE(inspector().btnAddComment->isEnabled());
}

TEST_F(InspectorTest, RowsRedirectShowTheirHintAndOpenTheirListOrEditor)
{
    openAnimation(1);
    struct Case
    {
        int clicked;
        int selected;
        bool list;
        bool editor;
        const char* hint;
    };
    const Case cases[] = {
        {0, 1, false, false, "Displays the frame image height. (Read-only)"},
        {2, 2, false, false, "Displays the frame image width. (Read-only)"},
        {3, 3, false, true, "Sets left position of the image from the left of the frame."},
        {5, 6, true, false, "Sets the interlacing of the frame image."},
        {8, 8, true, false, "Indicates whether the frame uses a local palette."},
        {9, 10, false, true, "Sets the frame delay time in milliseconds (1/100th sec)."},
        {11, 11, true, false, "Sets the frame drawing method in relation to the other frames."},
        {7, 7, true, false, "Displays the transparent color of the frame image."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicked);
        clickRow(c.clicked, 0);
        EXPECT_EQ(inspector().selectedRow(), c.selected);
        EXPECT_EQ(inspector().dropDownVisible(), c.list);
        EXPECT_EQ(inspector().txtInplace->isVisible(), c.editor);
        EXPECT_EQ(inspector().lblHintTitle->text(), QString::fromLatin1(kInspectorRowLabels[c.selected]));
        EXPECT_EQ(inspector().lblHintText->text(), c.hint);
    }
    // The list holds the row's words, the current one chosen; it opens below the cell, or above
    // it when the grid has no room below.
    clickRow(irDisposal);
    QListWidget& list = *inspector().lstDropDown;
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(3)->text(), "Previous");
    EXPECT_EQ(list.currentItem()->text(), "Background");
    const QRect cell = grid().visualItemRect(grid().item(irDisposal, 1)).translated(grid().viewport()->pos());
    EXPECT_TRUE(list.geometry().top() > cell.top() || list.geometry().bottom() < cell.bottom());
    if (cell.bottom() + list.height() < grid().height())
        EXPECT_EQ(list.geometry().top(), cell.bottom() + 1);
    else
        EXPECT_EQ(list.geometry().bottom(), cell.top() - 1);
    clickRow(irInterlaced);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.currentItem()->text(), "No");
    EXPECT_EQ(historyCount(), 0);

    // The tabs' hints: under the mouse, and for the page shown.
    QTabBar& tabs = *inspector().pgcInspector->tabBar();
    QMouseEvent over(QEvent::MouseMove, tabs.tabRect(1).center(), tabs.mapToGlobal(tabs.tabRect(1).center()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&tabs, &over);
    EXPECT_EQ(inspector().lblHintTitle->text(), "Palettes");
    inspector().pgcInspector->setCurrentIndex(2);
    EXPECT_EQ(inspector().lblHintTitle->text(), "Comments");
    EXPECT_EQ(inspector().lblHintText->text(), "Displays the current animation comments");
    EXPECT_EQ(inspector().pgcInspector->tabToolTip(1),
              "Displays the current frame palette. Double-click a color swatch to edit.");
}

// Each typed value either commits (normalised, with its caption and command) or is refused with
// its message and the old value back.
TEST_F(InspectorTest, TypedValuesAreCheckedThenCommittedWithTheirCaption)
{
    openAnimation(2);
    struct Case
    {
        int row;
        const char* typed;
        const char* message; // empty: accepted
        const char* shown;
        const char* caption;
        int kind;
        int action;
    };
    const Case cases[] = {
        {irLeft, "12a", "This field requires a number value.", "0", "", 0, 0},
        {irLeft, "70000", "This field requires a number value.", "0", "", 0, 0},
        {irLeft, "1 2", "This field requires a number value.", "0", "", 0, 0},
        {irLeft, "-1", "This field requires a number value.", "0", "", 0, 0},
        {irDelay, "65536", "This field requires a number value.", "40", "", 0, 0},
        {irInterlaced, "maybe", "Accepted values for this field are: Yes, No or True or False.", "No", "", 0,
         0},
        {irDisposal, "Gone", "Accepted values for this field are: None, Remove, Background, Previous",
         "Background", "", 0, 0},
        {irLeft, " 6 ", "", "6", "Change X-Offset", ckFrame, 3},
        {irTop, "2", "", "2", "Change Y-Offset", ckFrame, 3},
        {irInterlaced, "TRUE", "", "Yes", "Interlaced", ckFrame, 3},
        {irInterlaced, "no", "", "No", "Non-Interlaced", ckFrame, 3},
        {irTransparent, "False", "", "No", "Remove Transparency", ckGCExt, 3},
        {irTransparent, "yes", "", "Yes", "Make Transparent", ckGCExt, 3},
        {irDelay, "65535", "", "65535", "Change Delay", ckGCExt, 3},
        {irDisposal, "previous", "", "Previous", "Change Disposal", ckGCExt, 3},
        {irLocalPalette, "Yes", "", "Yes", "Add Local Palette", ckPalette, 1},
        {irLocalPalette, "No", "", "No", "Remove Local Palette", ckPalette, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        m_messages.clear();
        const int before = historyCount();
        const QByteArray bytes = imageBytes();
        enterInRow(c.row, QString::fromLatin1(c.typed));
        EXPECT_EQ(grid().item(c.row, 1)->text(), c.shown);
        EXPECT_EQ(inspector().cellText(c.row), c.shown);
        if (*c.message) {
            EXPECT_EQ(m_messages.texts(), QStringList{QString::fromLatin1(c.message)});
            EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Information);
            EXPECT_EQ(historyCount(), before);
            EXPECT_SAME_BYTES(bytes, imageBytes());
        } else {
            EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
            ASSERT_EQ(historyCount(), before + 1);
            EXPECT_EQ(lastCaption(), c.caption);
            EXPECT_EQ(lastKind(), c.kind);
            EXPECT_EQ(lastAction(), c.action);
        }
    }
    TGIFSubImage& shown = *frame(2);
    EXPECT_EQ(shown.left(), 6);
    EXPECT_EQ(shown.top(), 2);
    EXPECT_FALSE(shown.interlaced());
    EXPECT_TRUE(shown.transparent());
    EXPECT_EQ(shown.graphicControlExtension()->delay(), 65535);
    EXPECT_EQ(shown.graphicControlExtension()->disposal(), TGIFDisposal::dmPrevious);
    EXPECT_EQ(shown.colorMap().count(), 0);
    EXPECT_TRUE(activeDoc()->isModified());
}

TEST_F(InspectorTest, TheValueTheFrameAlreadyHasRecordsNothing)
{
    TDoc* doc = openAnimation(1);
    ASSERT_FALSE(doc->isModified());
    enterInRow(irLeft, QStringLiteral("04"));
    chooseInRow(irInterlaced, QStringLiteral("No"));
    enterInRow(irDelay, QStringLiteral(" 30"));
    enterInRow(irDisposal, QStringLiteral("BACKGROUND"));
    // The frame has its own map: "yes" must not record an add whose Undo would clear that map.
    enterInRow(irLocalPalette, QStringLiteral("yes"));
    EXPECT_EQ(grid().item(irLocalPalette, 1)->text(), "Yes");
    EXPECT_EQ(historyCount(), 0);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(grid().item(irLeft, 1)->text(), "4");
    EXPECT_EQ(grid().item(irDisposal, 1)->text(), "Background");
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

// Every way a commit is started, each on its own fresh document.
TEST_F(InspectorTest, EveryTriggerCommitsTheRow)
{
    struct Case
    {
        const char* name;
        std::function<void(InspectorTest&)> act;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {"Enter in the editor",
         [](InspectorTest& t) {
             t.typeInRow(irLeft, QStringLiteral("5"));
             QTest::keyClick(t.inspector().txtInplace, Qt::Key_Enter);
         },
         "Change X-Offset"},
        {"Enter in the grid",
         [](InspectorTest& t) {
             t.typeInRow(irInterlaced, QStringLiteral("yes"));
             t.grid().setFocus();
             QTest::keyClick(&t.grid(), Qt::Key_Return);
         },
         "Interlaced"},
        {"focus leaves the grid",
         [](InspectorTest& t) {
             t.typeInRow(irLeft, QStringLiteral("5"));
             t.inspector().cbFrames->setFocus();
         },
         "Change X-Offset"},
        {"another cell is clicked",
         [](InspectorTest& t) {
             t.typeInRow(irDelay, QStringLiteral("15"));
             t.clickRow(irHeight);
         },
         "Change Delay"},
        {"an arrow key moves to another row",
         [](InspectorTest& t) {
             t.typeInRow(irTop, QStringLiteral("1"));
             QTest::keyClick(t.inspector().txtInplace, Qt::Key_Down);
             EXPECT_EQ(t.inspector().selectedRow(), irInterlaced);
         },
         "Change Y-Offset"},
        {"an entry of the drop list is chosen",
         [](InspectorTest& t) { t.chooseInRow(irDisposal, QStringLiteral("None")); }, "Change Disposal"},
        {"the window is deactivated",
         [](InspectorTest& t) {
             t.typeInRow(irDelay, QStringLiteral("99"));
             t.activateMainWindow();
         },
         "Change Delay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc* doc = openAnimation(1, QStringLiteral("trigger.gif"));
        c.act(*this);
        ASSERT_EQ(historyCount(), 1);
        EXPECT_EQ(lastCaption(), c.caption);
        EXPECT_TRUE(doc->isModified());
        EXPECT_TRUE(m_messages.texts().isEmpty());
        closeDoc(doc);
    }
}

TEST_F(InspectorTest, KeyboardAloneReachesEditsCommitsAndRestores)
{
    openAnimation(0);
    inspector().cbFrames->setFocus();
    // Tab goes through the tab bar into the grid, on the row selected by the fill.
    for (int i = 0; i < 4 && !grid().hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(grid().hasFocus());
    EXPECT_EQ(inspector().selectedRow(), irHeight);
    QTest::keyClick(&grid(), Qt::Key_Down);
    QTest::keyClick(&grid(), Qt::Key_Down);
    ASSERT_EQ(inspector().selectedRow(), irLeft);
    QLineEdit* editor = inspector().txtInplace;
    ASSERT_TRUE(editor->hasFocus());
    QTest::keyClicks(editor, QStringLiteral("7"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(frame(0)->left(), 7);
    EXPECT_EQ(historyCount(), 1);

    QTest::keyClick(editor, Qt::Key_Down);
    ASSERT_EQ(inspector().selectedRow(), irTop);
    QTest::keyClicks(editor, QStringLiteral("9"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(inspector().cellText(irTop), "0");
    QTest::keyClick(editor, Qt::Key_Down); // onto the heading: the row after it
    ASSERT_EQ(inspector().selectedRow(), irInterlaced);
    QTest::keyClick(&grid(), Qt::Key_Up); // back over the heading
    EXPECT_EQ(inspector().selectedRow(), irTop);
    EXPECT_EQ(historyCount(), 1);

    // A list row: F4 opens its list, arrows choose, Enter commits.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(inspector().selectedRow(), irInterlaced);
    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_F4);
    ASSERT_TRUE(inspector().lstDropDown->hasFocus());
    QTest::keyClick(inspector().lstDropDown, Qt::Key_Up);
    QTest::keyClick(inspector().lstDropDown, Qt::Key_Return);
    EXPECT_TRUE(frame(0)->interlaced());
    EXPECT_EQ(lastCaption(), "Interlaced");
    EXPECT_FALSE(inspector().dropDownVisible());
    EXPECT_TRUE(grid().hasFocus());
}

TEST_F(InspectorTest, DelayOnAFrameWithoutTimingGivesItTimingAndUndoTakesItAway)
{
    openAnimation(1);
    delete frame(1)->graphicControlExtension(); // unlinks itself
    ASSERT_EQ(frame(1)->graphicControlExtension(), nullptr);
    const QByteArray before = imageBytes();
    enterInRow(irDelay, QStringLiteral("55"));
    ASSERT_EQ(historyCount(), 1);
    EXPECT_EQ(lastCaption(), "Change Delay");
    EXPECT_EQ(lastKind(), ckGCExt);
    TGIFGraphicControlExtension* gce = frame(1)->graphicControlExtension();
    ASSERT_NE(gce, nullptr);
    EXPECT_EQ(gce->delay(), 55);
    EXPECT_EQ(gce->disposal(), TGIFDisposal::dmBackground);
    // Recorded as an added extension, so Undo removes it rather than leaving one with zero
    // values. The strip then gives the frame it shows the default timing again, as it gives
    // every frame without one.
    EXPECT_EQ(lastAction(), 1);
    THistoryList& history = *activeDoc()->history();
    history.undo(*activeDoc());
    EXPECT_EQ(frame(1)->graphicControlExtension(), nullptr);
    EXPECT_SAME_BYTES(before, imageBytes());
}

TEST_F(InspectorTest, LocalPaletteYesWithoutAGlobalMapRecordsButAddsNothing)
{
    openAnimation(2);
    image().globalColorMap().clear();
    enterInRow(irLocalPalette, QStringLiteral("Yes"));
    EXPECT_EQ(historyCount(), 1);
    EXPECT_EQ(lastCaption(), "Add Local Palette");
    EXPECT_EQ(frame(2)->colorMap().count(), 0);
    EXPECT_EQ(grid().item(irLocalPalette, 1)->text(), "No");
    EXPECT_FALSE(inspector().paletteChanged());
}

TEST_F(InspectorTest, PaletteLayoutSelectionAndButtons)
{
    openAnimation(1);
    // A file's map holds a power of two of entries; the editor's maps need not.
    TGIFColorMap& map = frame(1)->colorMap();
    std::vector<TColor> colors;
    for (int i = 0; i < 10; ++i)
        colors.push_back(map.entry(i).value());
    undotest::setColors(map, colors);
    ASSERT_TRUE(showFrame(1));
    showPalettePage();
    TInspectorSwatches& swatches = *inspector().grdPalette;
    ASSERT_EQ(swatches.colors().size(), 10u);
    EXPECT_EQ(swatches.rows(), 3);
    EXPECT_EQ(swatches.columns(), 4);
    EXPECT_FALSE(inspector().btnEditColor->isEnabled());
    EXPECT_FALSE(inspector().btnDeleteColor->isEnabled());
    EXPECT_TRUE(inspector().btnAddColor->isEnabled());

    // The two cells after the tenth select nothing.
    const QRect last = swatches.cellRect(9);
    QTest::mouseClick(&swatches, Qt::LeftButton, Qt::NoModifier, last.center() + QPoint(last.width(), 0));
    EXPECT_EQ(swatches.selected(), -1);
    EXPECT_EQ(swatches.indexAt(last.center() + QPoint(2 * last.width(), 0)), -1);

    clickSwatch(3);
    EXPECT_EQ(swatches.selected(), 3);
    EXPECT_EQ(inspector().lblPaletteInfo->text(), "10 Colors - R: 60, G: 195, B: 15");
    EXPECT_TRUE(inspector().btnEditColor->isEnabled());
    EXPECT_TRUE(inspector().btnDeleteColor->isEnabled());

    // 2 entries: no deleting; 256: no adding, 16 x 16.
    colors = {1, 2};
    undotest::setColors(map, colors);
    ASSERT_TRUE(showFrame(1));
    clickSwatch(1);
    EXPECT_FALSE(inspector().btnDeleteColor->isEnabled());
    EXPECT_TRUE(inspector().btnAddColor->isEnabled());
    colors.resize(256);
    for (int i = 0; i < 256; ++i)
        colors[size_t(i)] = TColor(i * 3);
    undotest::setColors(map, colors);
    ASSERT_TRUE(showFrame(1));
    EXPECT_EQ(swatches.rows(), 16);
    EXPECT_EQ(swatches.columns(), 16);
    EXPECT_FALSE(inspector().btnAddColor->isEnabled());
    inspector().addColor(); // refused without asking
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_EQ(map.count(), 256);

    // The context menu offers what the buttons offer.
    emit swatches.customContextMenuRequested(swatches.cellRect(5).center());
    QMenu& menu = *inspector().pmnPalette;
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_FALSE(menu.actions()[0]->isEnabled()); // Add Color at 256 entries
    EXPECT_TRUE(menu.actions()[1]->isEnabled());
    EXPECT_TRUE(menu.actions()[2]->isEnabled());
    EXPECT_EQ(swatches.selected(), 5);
    menu.hide();

    // Without a local palette only "Add Color".
    ASSERT_TRUE(showFrame(0));
    EXPECT_TRUE(swatches.colors().empty());
    EXPECT_TRUE(inspector().btnAddColor->isEnabled());
    EXPECT_FALSE(inspector().btnEditColor->isEnabled());
    EXPECT_FALSE(inspector().btnDeleteColor->isEnabled());
}

TEST_F(InspectorTest, PaletteEditsAskAndRefuseWithTheirMessages)
{
    openAnimation(0);
    showPalettePage();
    // No local map: the question; No changes nothing, Yes with an empty global map warns.
    m_messages.pushAnswer(TMsgResult::No);
    inspector().btnAddColor->click();
    EXPECT_EQ(m_messages.texts(),
              QStringList{"Currently there is no local color map. Would you like to add one?"});
    EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Confirmation);
    EXPECT_EQ(m_messages.recorded().front().buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(historyCount(), 0);

    m_messages.clear();
    image().globalColorMap().clear();
    m_messages.pushAnswer(TMsgResult::Yes);
    inspector().btnAddColor->click();
    EXPECT_EQ(m_messages.texts().value(1),
              "Could not to create local color map. A global color map is required.");
    EXPECT_EQ(historyCount(), 0);

    // A colour pixels reach cannot go; an optimised map refuses every delete.
    ASSERT_TRUE(showFrame(1));
    m_messages.clear();
    clickSwatch(2);
    inspector().btnDeleteColor->click();
    EXPECT_EQ(m_messages.texts(), QStringList{"This color is required by the image and cannot be removed."});
    frame(1)->colorMap().setOptimized(true);
    m_messages.clear();
    clickSwatch(8);
    inspector().btnDeleteColor->click();
    EXPECT_EQ(m_messages.texts(),
              QStringList{"The palette is already optimized to the minimum number of colors used. Use the "
                          "optimization wizard to remove the local palette."});
    EXPECT_EQ(historyCount(), 0);

    // Cancel in the colour dialog changes nothing.
    m_messages.pushForm([](QDialog& dialog) { dialog.reject(); });
    inspector().btnEditColor->click();
    EXPECT_EQ(historyCount(), 0);
}

TEST_F(InspectorTest, AddingAndEditingColoursRecordsAndShowsThem)
{
    TDoc* doc = openAnimation(1);
    showPalettePage();
    answerColor(rgbColor(1, 2, 3));
    inspector().btnAddColor->click();
    TGIFColorMap& map = frame(1)->colorMap();
    ASSERT_EQ(map.count(), 17);
    EXPECT_EQ(map.entry(16).value(), rgbColor(1, 2, 3));
    EXPECT_EQ(lastCaption(), "Add Color Palette Entry");
    EXPECT_EQ(lastAction(), 5);
    EXPECT_EQ(inspector().grdPalette->selected(), 16);
    EXPECT_EQ(inspector().lblPaletteInfo->text(), "17 Colors - R: 1, G: 2, B: 3");
    EXPECT_TRUE(doc->isModified());

    // A double click edits the swatch.
    TInspectorSwatches& swatches = *inspector().grdPalette;
    answerColor(rgbColor(9, 8, 7));
    QTest::mouseDClick(&swatches, Qt::LeftButton, Qt::NoModifier, swatches.cellRect(4).center());
    EXPECT_EQ(map.entry(4).value(), rgbColor(9, 8, 7));
    EXPECT_EQ(lastCaption(), "Change Color Palette Entry");
    EXPECT_EQ(historyCount(), 2);

    // Adding a local palette from the global one, then a colour: the document is read back once.
    ASSERT_TRUE(showFrame(2));
    m_messages.pushAnswer(TMsgResult::Yes);
    inspector().btnAddColor->click();
    EXPECT_EQ(lastCaption(), "Add Local Palette");
    EXPECT_GT(frame(2)->colorMap().count(), 0);
    EXPECT_TRUE(inspector().paletteChanged());
    answerColor(rgbColor(4, 5, 6));
    inspector().btnAddColor->click();
    EXPECT_FALSE(inspector().paletteChanged());
    EXPECT_EQ(mainFrame(), 2);
    EXPECT_EQ(frame(2)->colorMap().entry(frame(2)->colorMap().count() - 1).value(), rgbColor(4, 5, 6));
}

TEST_F(InspectorTest, CommentsAreAddedChangedAndRemovedByTheirOwnEntries)
{
    openAnimation(1);
    inspector().pgcInspector->setCurrentIndex(2);
    QListWidget& list = *inspector().lstComments;
    QPlainTextEdit& memo = *inspector().memComment;
    EXPECT_FALSE(inspector().btnRemoveComment->isEnabled());
    list.setCurrentRow(1);
    EXPECT_EQ(memo.toPlainText(), "second\nline");
    EXPECT_TRUE(inspector().btnRemoveComment->isEnabled());

    // A long comment is kept whole.
    const QString longText(600, QLatin1Char('x'));
    memo.setFocus();
    memo.setPlainText(longText);
    inspector().cbFrames->setFocus();
    EXPECT_EQ(lastCaption(), "Change GIF Comment");
    auto* second = dynamic_cast<TGIFCommentExtension*>(frame(0)->extensions().extension(2));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text().join('\n'), longText);

    inspector().btnAddComment->click();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(2)->text(), "Comment 3");
    EXPECT_EQ(memo.toPlainText(), "Comment 3");
    EXPECT_EQ(lastCaption(), "Add GIF Comment");
    EXPECT_TRUE(memo.hasFocus());

    // Removing the first comment, then the one now first: the timing stays.
    list.setCurrentRow(0);
    inspector().btnRemoveComment->click();
    EXPECT_EQ(lastCaption(), "Delete GIF Comment");
    ASSERT_EQ(list.count(), 2);
    EXPECT_TRUE(memo.toPlainText().isEmpty());
    list.setCurrentRow(0);
    EXPECT_EQ(memo.toPlainText(), longText);
    inspector().btnRemoveComment->click();
    ASSERT_EQ(list.count(), 1);
    EXPECT_NE(frame(0)->graphicControlExtension(), nullptr);
    EXPECT_EQ(frame(0)->graphicControlExtension()->delay(), 20);
    list.setCurrentRow(0);
    EXPECT_EQ(memo.toPlainText(), "Comment 3");
    EXPECT_EQ(historyCount(), 4);
}

// Every inspector edit, then "&Undo" as often as it recorded: the animation's bytes are those
// before the edit.
TEST_F(InspectorTest, EveryInspectorEditIsUndoneToTheSameBytes)
{
    struct Case
    {
        const char* name;
        int frame;
        std::function<void(InspectorTest&)> edit;
        int records;
    };
    auto comments = [](InspectorTest& t, int row) {
        t.inspector().pgcInspector->setCurrentIndex(2);
        t.inspector().lstComments->setCurrentRow(row);
    };
    const std::vector<Case> cases = {
        {"X-Offset", 1, [](InspectorTest& t) { t.enterInRow(irLeft, QStringLiteral("2")); }, 1},
        {"Y-Offset past the screen", 1, [](InspectorTest& t) { t.enterInRow(irTop, QStringLiteral("40")); },
         1},
        {"Interlaced", 0, [](InspectorTest& t) { t.chooseInRow(irInterlaced, QStringLiteral("Yes")); }, 1},
        {"Transparent", 1, [](InspectorTest& t) { t.chooseInRow(irTransparent, QStringLiteral("Yes")); }, 1},
        {"Remove Transparency", 2,
         [](InspectorTest& t) { t.chooseInRow(irTransparent, QStringLiteral("No")); }, 1},
        {"Local Palette Yes", 2,
         [](InspectorTest& t) { t.chooseInRow(irLocalPalette, QStringLiteral("Yes")); }, 1},
        {"Local Palette No", 1, [](InspectorTest& t) { t.chooseInRow(irLocalPalette, QStringLiteral("No")); },
         1},
        {"Delay", 0, [](InspectorTest& t) { t.enterInRow(irDelay, QStringLiteral("7")); }, 1},
        {"Disposal", 0, [](InspectorTest& t) { t.chooseInRow(irDisposal, QStringLiteral("Previous")); }, 1},
        {"two rows", 1,
         [](InspectorTest& t) {
             t.enterInRow(irLeft, QStringLiteral("1"));
             t.enterInRow(irDelay, QStringLiteral("1"));
         },
         2},
        {"add local palette", 2,
         [](InspectorTest& t) {
             t.showPalettePage();
             t.messages().pushAnswer(TMsgResult::Yes);
             t.inspector().btnAddColor->click();
         },
         1},
        {"add local palette and a colour", 2,
         [](InspectorTest& t) {
             t.showPalettePage();
             t.messages().pushAnswer(TMsgResult::Yes);
             t.inspector().btnAddColor->click();
             t.answerColor(rgbColor(7, 7, 7));
             t.inspector().btnAddColor->click();
         },
         2},
        {"add colour", 1,
         [](InspectorTest& t) {
             t.showPalettePage();
             t.answerColor(rgbColor(1, 1, 1));
             t.inspector().btnAddColor->click();
         },
         1},
        {"edit colour", 1,
         [](InspectorTest& t) {
             t.showPalettePage();
             t.clickSwatch(2);
             t.answerColor(rgbColor(1, 1, 1));
             t.inspector().btnEditColor->click();
         },
         1},
        {"delete a middle colour", 1,
         [](InspectorTest& t) {
             t.showPalettePage();
             t.clickSwatch(6);
             t.inspector().btnDeleteColor->click();
         },
         1},
        {"add comment", 0, [](InspectorTest& t) { t.inspector().btnAddComment->click(); }, 1},
        {"change comment", 0,
         [comments](InspectorTest& t) {
             comments(t, 0);
             t.inspector().memComment->setFocus();
             t.inspector().memComment->setPlainText(QStringLiteral("changed\nover lines"));
             t.inspector().cbFrames->setFocus();
         },
         1},
        {"remove the first comment", 0,
         [comments](InspectorTest& t) {
             comments(t, 0);
             t.inspector().btnRemoveComment->click();
         },
         1},
        {"remove both comments", 0,
         [comments](InspectorTest& t) {
             comments(t, 0);
             t.inspector().btnRemoveComment->click();
             comments(t, 0);
             t.inspector().btnRemoveComment->click();
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc* doc = openAnimation(c.frame, QStringLiteral("undo.gif"));
        ASSERT_NE(doc, nullptr);
        const QByteArray before = imageBytes();
        c.edit(*this);
        EXPECT_EQ(historyCount(), c.records);
        EXPECT_TRUE(activeDoc()->isModified());
        EXPECT_NE(imageBytes(), before) << "the edit changed nothing";
        for (const TRecordedDialog& shown : m_messages.recorded())
            EXPECT_TRUE(shown.kind == TDialogKind::Form || shown.text.startsWith(QStringLiteral("Currently")))
                << shown.text.toStdString();
        for (int i = 0; i < c.records; ++i)
            trigger(TActionId::EditUndo);
        EXPECT_SAME_BYTES(before, imageBytes());
        m_messages.clear();
        closeDoc(activeDoc());
    }
}

TEST_F(InspectorTest, UndoSelectsTheRowItsCaptionNames)
{
    openAnimation(1);
    enterInRow(irLeft, QStringLiteral("5"));
    enterInRow(irDelay, QStringLiteral("12"));
    clickRow(irTop);
    trigger(TActionId::EditUndo);
    EXPECT_EQ(inspector().selectedRow(), irDelay);
    EXPECT_EQ(grid().item(irDelay, 1)->text(), "30");
    EXPECT_EQ(grid().currentRow(), irDelay);
    EXPECT_EQ(grid().currentColumn(), 1);
}

TEST_F(InspectorTest, BoundsAreKeptUnderFormPos)
{
    startProgram();
    const QRect main = QRect(m_program->mainWindow()->pos(), m_program->mainWindow()->size());
    EXPECT_EQ(inspector().size(), QSize(220, 430));
    EXPECT_EQ(Settings::readInteger(SettingKeys::InspectorHeight), 430);
    inspector().move(main.left() + 40, main.top() + 60);
    inspector().resize(230, 400);
    stopProgram();
    TSettingsBatch settings;
    EXPECT_EQ(settings.readInteger(SettingKeys::InspectorWidth), 230);
    EXPECT_EQ(settings.readInteger(SettingKeys::InspectorHeight), 400);
    EXPECT_EQ(settings.readInteger(SettingKeys::InspectorVisible), 1);
    startProgram();
    EXPECT_EQ(inspector().size(), QSize(230, 400));
}

// ---- the inspector with a host of the test's own ----

namespace {

class TFakeInspectorHost : public IInspectorHost
{
public:
    explicit TFakeInspectorHost(undotest::TFakeDocument& doc) : m_doc(doc) {}
    IUndoHost* activeDocument() override { return hasDocument ? &m_doc : nullptr; }
    void pausePlayback() override { ++pauses; }
    int documentTab() const override { return tab; }
    bool handBackDocument(int value) override
    {
        handedBack.push_back(value);
        return handBackRuns;
    }

    bool hasDocument = true;
    int pauses = 0;
    int tab = 2;
    bool handBackRuns = false;
    std::vector<int> handedBack;

private:
    undotest::TFakeDocument& m_doc;
};

class InspectorHostTest : public ::testing::Test
{
protected:
    undotest::TUndoEnvironment m_environment;
    TScriptedMessageService m_messages;
    TScopedMessageService m_scope{m_messages};
};

} // namespace

TEST_F(InspectorHostTest, ActivationPausesPlaybackAndDeactivationHandsTheDocumentBack)
{
    undotest::TFakeDocument doc;
    doc.file = QStringLiteral("/some/where/walk.gif");
    undotest::addFrame(doc.image, 0, 0, 4, 4, 2);
    doc.image.globalColorMap().add(0);
    doc.image.globalColorMap().add(0xFFFFFF);
    QWidget other;
    TfrmFloat inspector(nullptr);
    auto host = std::make_unique<TFakeInspectorHost>(doc);
    TFakeInspectorHost& fake = *host;
    inspector.setHost(std::move(host));
    inspector.setFrameValues({"4", "4", "0", "0", "No", "No", "No", "10", "None"});
    inspector.setFrameList({"Frame 0: [4 x 4]"}, 0);

    inspector.show();
    inspector.activateWindow();
    QApplication::setActiveWindow(&inspector);
    EXPECT_EQ(fake.pauses, 1);
    EXPECT_EQ(inspector.windowTitle(), "Frame Inspector - walk.gif");

    // Local palette from the global one: the flag stays until the document is handed back and
    // its deactivation ran.
    inspector.selectRow(irLocalPalette);
    inspector.lstDropDown->setCurrentRow(0);
    QTest::keyClick(inspector.lstDropDown, Qt::Key_Return);
    EXPECT_TRUE(inspector.paletteChanged());
    EXPECT_EQ(doc.count(), 1);
    other.show();
    other.activateWindow();
    QApplication::setActiveWindow(&other);
    EXPECT_EQ(fake.handedBack, std::vector<int>{2});
    EXPECT_TRUE(inspector.paletteChanged());
    fake.handBackRuns = true;
    QApplication::setActiveWindow(&inspector);
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(inspector.paletteChanged());

    // Without a document nothing commits.
    fake.hasDocument = false;
    inspector.selectRow(irLeft);
    inspector.txtInplace->setText(QStringLiteral("3"));
    inspector.commit();
    EXPECT_EQ(doc.count(), 1);
}
