// The palette dialog worked through its real controls: the swatch grid's hit test, the colour
// fields and their messages, adding and deleting entries, picking from the frame picture and
// the change-colour mode's OK.
#include "DialogTestSupport.h"

#include "editing/Palette.h"
#include "gif/GIFExtensions.h"
#include "platform/MessageService.h"
#include "platform/UserTexts.h"
#include "widgets/SwatchGrid.h"
#include "widgets/UpDownEdit.h"

#include <QPushButton>

using dialogtest::DialogFixture;

namespace {

class PaletteTest : public DialogFixture
{
protected:
    // A 4 x 2 screen with one frame whose pixels are 0, 1, 2, 3, 0, 1, 2, 3 and a global map of
    // the given colours; with localMap the frame shows a local map of four colours instead.
    void buildImage(const std::vector<TColor>& global, bool localMap = false)
    {
        image().header().setWidth(4);
        image().header().setHeight(2);
        undotest::setColors(image().globalColorMap(), global);
        TGIFSubImage* frame = undotest::addFrame(image(), 0, 0, 4, 2, 4);
        if (localMap)
            undotest::setColors(frame->colorMap(), {clBlack, clRed, clLime, clBlue});
        undotest::addGCE(frame, 10);
    }
    static std::vector<TColor> grey(int count)
    {
        std::vector<TColor> colors;
        for (int i = 0; i < count; ++i)
            colors.push_back(rgbColor(uint8_t(i), uint8_t(i), uint8_t(i)));
        return colors;
    }
    static void clickGrid(TfrmPalette& dialog, QPoint at)
    {
        QTest::mouseClick(dialog.grdSwatches, Qt::LeftButton, Qt::NoModifier, at);
    }
};

TEST(SwatchGridTest, HitTestSelectsOnlyOnTheSwatches)
{
    struct Case
    {
        QPoint at;
        int count;
        int entry;
    };
    const Case cases[] = {
        {{2, 3}, 256, -1},
        {{3, 2}, 256, -1},
        {{3, 3}, 256, 0},
        {{17, 17}, 256, 0},
        {{18, 3}, 256, 1},
        {{242, 3}, 256, 15},
        {{3, 18}, 256, 16},
        {{242, 242}, 256, 255},
        // The right-hand edge of a row is not the next row's first swatch.
        {{243, 3}, 256, -1},
        {{243, 18}, 256, -1},
        {{244, 3}, 256, -1},
        {{3, 243}, 256, -1},
        {{18, 3}, 1, -1},
        {{3, 3}, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TSwatchGrid::entryAt(c.at, c.count), c.entry)
            << c.at.x() << "," << c.at.y() << " of " << c.count;
}

TEST_F(PaletteTest, ClicksBesideTheSwatchesKeepTheSelectionAndDisableDelete)
{
    buildImage(grey(40), true);
    TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
    dialog.show();
    clickGrid(dialog, {20, 5}); // entry 1
    ASSERT_EQ(dialog.selectedIndex(), 1);
    ASSERT_TRUE(dialog.btnDelete->isEnabled());
    for (QPoint at : {QPoint(2, 5), QPoint(244, 5), QPoint(243, 5)}) {
        clickGrid(dialog, at);
        EXPECT_EQ(dialog.selectedIndex(), 1) << at.x();
        EXPECT_EQ(dialog.grdSwatches->selected(), 1);
        EXPECT_FALSE(dialog.btnDelete->isEnabled());
    }
    clickGrid(dialog, {5, 20}); // entry 16
    EXPECT_EQ(dialog.selectedIndex(), 16);
    EXPECT_EQ(dialog.txtRed->text(), QStringLiteral("16"));
    EXPECT_FALSE(dialog.chosen()) << "selecting alone edits nothing in the global mode";
}

TEST_F(PaletteTest, ColourFieldsCheckTheirValueWhenLeft)
{
    struct Case
    {
        QString typed;
        QString message; // empty: accepted
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("300"), QStringLiteral("'300' is not within the 0-255 range."), QStringLiteral("7")},
        {QString(), QStringLiteral("'' is not a valid integer value."), QStringLiteral("7")},
        {QStringLiteral("255"), QString(), QStringLiteral("255")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        image().clear();
        buildImage({rgbColor(7, 8, 9), clWhite, clBlack}, true);
        m_messages.clear();
        TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
        dialog.show();
        dialogtest::typeInto(dialog.txtRed, c.typed);
        dialogtest::leave(dialog.txtRed, dialog.txtGreen);
        EXPECT_EQ(dialog.txtRed->text(), c.shown);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_messages.recorded().empty());
            EXPECT_EQ(dialog.colors()[0], rgbColor(255, 8, 9));
            EXPECT_TRUE(dialog.chosen());
        } else {
            ASSERT_EQ(m_messages.texts(), QStringList{c.message});
            EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Error);
            EXPECT_EQ(dialog.colors()[0], rgbColor(7, 8, 9));
            EXPECT_FALSE(dialog.chosen());
        }
    }
}

TEST_F(PaletteTest, AnEntryGoesOnlyWhenNoPixelOfTheGlobalMapReachesIt)
{
    // The frame's pixels use entries 0-3 of the global map. Entry 5 repeats entry 1's colour,
    // which does not make entry 1 removable: every later entry would move down and the pixels
    // showing entries 2 and 3 would change colour.
    std::vector<TColor> colors = grey(8);
    colors[5] = colors[1];
    struct Case
    {
        int entry;
        bool removed;
    };
    for (const Case c : {Case{1, false}, Case{3, false}, Case{4, true}, Case{7, true}}) {
        SCOPED_TRACE(c.entry);
        image().clear();
        buildImage(colors);
        m_messages.clear();
        TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
        dialog.show();
        clickGrid(dialog, TSwatchGrid::swatchRect(c.entry).center());
        dialog.btnDelete->click();
        if (c.removed) {
            EXPECT_TRUE(m_messages.recorded().empty());
            EXPECT_EQ(dialog.colors().size(), 7u);
            EXPECT_EQ(dialog.selectedIndex(), c.entry - 1);
            EXPECT_TRUE(dialog.chosen());
        } else {
            EXPECT_EQ(m_messages.texts(), QStringList{QString::fromLatin1(kColorRequiredMessage)});
            EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Information);
            EXPECT_EQ(dialog.colors(), colors);
        }
    }
}

TEST_F(PaletteTest, DeletingEntryZeroKeepsEntryZeroSelected)
{
    buildImage({clRed, clLime, clBlue}, true); // the frame shows its own map
    TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
    dialog.show();
    ASSERT_EQ(dialog.selectedIndex(), 0);
    dialog.btnDelete->click();
    EXPECT_EQ(dialog.colors(), (std::vector<TColor>{clLime, clBlue}));
    EXPECT_EQ(dialog.selectedIndex(), 0);
    EXPECT_EQ(dialog.txtGreen->text(), QStringLiteral("255"));
    EXPECT_FALSE(dialog.btnDelete->isEnabled()) << "two entries are the least";
    dialog.deleteColor();
    EXPECT_EQ(dialog.colors().size(), 2u);
}

TEST_F(PaletteTest, AddAppendsWhiteUpTo256Entries)
{
    buildImage(grey(254), true);
    TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
    dialog.show();
    dialog.btnAdd->click();
    EXPECT_EQ(dialog.selectedIndex(), 254);
    EXPECT_EQ(dialog.colors().back(), clWhite);
    EXPECT_EQ(dialog.previewColor(), clWhite);
    EXPECT_TRUE(dialog.chosen());
    dialog.btnAdd->click();
    EXPECT_EQ(dialog.colors().size(), 256u);
    EXPECT_FALSE(dialog.btnAdd->isEnabled());
    dialog.addColor();
    EXPECT_EQ(dialog.colors().size(), 256u);
}

TEST_F(PaletteTest, TransparentModeShowsTheFrameAndPicksFromIt)
{
    buildImage(grey(4), true);
    TGIFGraphicControlExtension* control = image().images().subImage(0)->graphicControlExtension();
    control->setTransparent(true);
    control->setTransparentColorIndex(2);
    TfrmPalette dialog(image(), TPaletteMode::TransparentColor, 0);
    dialog.presetSelection(0, clBlack);
    dialog.show();
    // The frame is transparent: its own index wins over the preset.
    EXPECT_EQ(dialog.selectedIndex(), 2);
    EXPECT_EQ(dialog.selectedColor(), clLime);
    EXPECT_EQ(dialog.colors(), (std::vector<TColor>{clBlack, clRed, clLime, clBlue}));
    EXPECT_EQ(dialog.imgFrame->picture().size(), QSize(4, 2));
    EXPECT_FALSE(dialog.chosen());

    dialog.pickPixel({1, 0}); // pixel index 1: red
    EXPECT_EQ(dialog.selectedIndex(), 1);
    EXPECT_EQ(dialog.selectedColor(), clRed);
    EXPECT_TRUE(dialog.selectionInMap());
    EXPECT_TRUE(dialog.chosen());
    dialog.pickPixel({9, 9}); // outside the picture: nothing
    EXPECT_EQ(dialog.selectedIndex(), 1);
    clickGrid(dialog, TSwatchGrid::swatchRect(3).center());
    EXPECT_EQ(dialog.selectedColor(), clBlue);
    EXPECT_EQ(dialog.grdSwatches->selected(), 3);
}

TEST_F(PaletteTest, AColourThatIsNotInTheMapSelectsNoEntry)
{
    buildImage(grey(4), true);
    TfrmPalette dialog(image(), TPaletteMode::TransparentColor, 0);
    dialog.presetSelection(7, clWhite); // an index past the four entries
    dialog.show();
    EXPECT_FALSE(dialog.selectionInMap());
    EXPECT_EQ(dialog.grdSwatches->selected(), -1);
    dialog.presetSelection(-1, clWhite);
    EXPECT_FALSE(dialog.selectionInMap());
}

TEST_F(PaletteTest, ChangeColourModeAppliesTheTypedValuesOnOK)
{
    TfrmPalette dialog(image(), TPaletteMode::ChangeColor, -1);
    dialog.setColor(rgbColor(1, 2, 3));
    dialog.show();
    EXPECT_EQ(dialog.grdSwatches, nullptr);
    EXPECT_EQ(dialog.btnAdd, nullptr);
    dialogtest::typeInto(dialog.txtBlue, QStringLiteral("200"));
    // Enter reaches the default button without leaving the field.
    QTest::keyClick(dialog.txtBlue, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.previewColor(), rgbColor(1, 2, 200));
    EXPECT_TRUE(dialog.chosen());
}

TEST_F(PaletteTest, KeyboardReachesEveryControlAndEscapeCancels)
{
    buildImage(grey(4), true);
    TfrmPalette dialog(image(), TPaletteMode::GlobalPalette, 0);
    dialog.show();
    dialogtest::focus(dialog.txtRed);
    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(dialog.txtBlue->hasFocus()) << "Alt+B goes to the blue field";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(dialog.btnAdd->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(dialog.btnDelete->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(dialog.btnOK->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
