// Copy, Cut and Paste through the frame clipboard file and the system clipboard, and pasting
// comments, on the real working image.
#include "app/CommandsFixture.h"
#include "app/EditCommands.h"
#include "app/FrameCommands.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

using namespace commandstest;

namespace {

class CommandsEditTest : public CommandsFixture
{
protected:
    void TearDown() override
    {
        if (!m_window.clipboardFile.isEmpty())
            QFile::remove(m_window.clipboardFile);
        QGuiApplication::clipboard()->clear();
        CommandsFixture::TearDown();
    }
    // Two small frames with their own offsets, timing and transparency on a 40 x 30 screen.
    void buildSource()
    {
        image().header().setWidth(40);
        image().header().setHeight(30);
        TGIFSubImage* a = undotest::addFrame(image(), 5, 6, 10, 8, 4, 0);
        undotest::setColors(a->colorMap(), {0xFF, 0xFF00, 0xFF0000, 0xFFFFFF});
        TGIFGraphicControlExtension* ca = undotest::addGCE(a, 20);
        ca->setTransparentColorIndex(1);
        ca->setTransparent(true);
        ca->setDisposal(TGIFDisposal::dmBackground);
        TGIFSubImage* b = undotest::addFrame(image(), 3, 4, 12, 9, 4, 1);
        undotest::setColors(b->colorMap(), {0x00, 0x8080, 0x808000, 0x800080});
        TGIFGraphicControlExtension* cb = undotest::addGCE(b, 30);
        cb->setDisposal(TGIFDisposal::dmPrevious);
        normalizeForWriting(image(), TNormalizeMode::WorkingCopy);
        m_window.selectFrame(0);
    }
    // Another document: the working image now holds a single 40 x 30 frame.
    void switchToOtherDocument()
    {
        image().clear();
        m_window.doc().ensureHistory().clear();
        image().header().setWidth(40);
        image().header().setHeight(30);
        TGIFSubImage* only = undotest::addFrame(image(), 0, 0, 40, 30, 2, 0);
        undotest::setColors(only->colorMap(), {0x000000, 0xFFFFFF});
        undotest::addGCE(only, 50);
        normalizeForWriting(image(), TNormalizeMode::WorkingCopy);
        m_window.selectFrame(0);
    }
};

TEST_F(CommandsEditTest, CopiedFramesPasteWithTheirTimingOffsetsAndTransparency)
{
    for (int paletteType : {2, 0}) {
        SCOPED_TRACE(paletteType);
        image().clear();
        m_window.doc().ensureHistory().clear();
        Settings::writeInteger(SettingKeys::PaletteType, paletteType);
        buildSource();
        m_window.selectRange(0, 1);
        ASSERT_TRUE(copyFrames(m_window));
        EXPECT_TRUE(QFileInfo(m_window.clipboardFile).fileName().startsWith(QStringLiteral("~GA")));
        EXPECT_TRUE(m_window.actions.value(QStringLiteral("EditPaste")));
        EXPECT_EQ(QGuiApplication::clipboard()->image().width(), 10) << "the first copied frame's picture";
        EXPECT_TRUE(canPaste(m_window));

        switchToOtherDocument();
        // Each copied frame's picture asks the palette prompt.
        answerPalettes();
        answerPalettes();
        pasteFrames(m_window);
        ASSERT_EQ(image().images().count(), 3);
        const struct
        {
            int index, left, top, delay, disposal;
            bool transparent;
        } expected[] = {{1, 5, 6, 20, 2, true}, {2, 3, 4, 30, 3, false}};
        for (const auto& e : expected) {
            SCOPED_TRACE(e.index);
            TGIFSubImage* frame = image().images().subImage(e.index);
            EXPECT_EQ(frame->left(), e.left);
            EXPECT_EQ(frame->top(), e.top);
            ASSERT_NE(frame->graphicControlExtension(), nullptr);
            EXPECT_EQ(frame->graphicControlExtension()->delay(), e.delay);
            EXPECT_EQ(frame->graphicControlExtension()->disposal(), disposalFromValue(e.disposal));
            EXPECT_EQ(frame->graphicControlExtension()->transparent(), e.transparent);
        }
        // Palette type 0 merges the maps afterwards: the transparent pixels stay transparent, but
        // the index then names whatever colour the merged map has there.
        if (paletteType == 2) {
            EXPECT_EQ(image().images().subImage(1)->graphicControlExtension()->transparentColor(),
                      TColor(0xFF00));
        }
        EXPECT_EQ(m_window.captions(),
                  QStringList({QStringLiteral("Paste Frame"), QStringLiteral("Paste Frame")}));
    }
}

TEST_F(CommandsEditTest, AnotherProgramsPicturePastesAsOneFrame)
{
    buildSource();
    m_window.selectRange(0, 1);
    ASSERT_TRUE(copyFrames(m_window));
    QImage other(17, 5, QImage::Format_RGB32);
    other.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(other);

    switchToOtherDocument();
    answerPalettes();
    pasteFrames(m_window);
    EXPECT_EQ(forms(), QStringList{QStringLiteral("Palettes")});
    ASSERT_EQ(image().images().count(), 2);
    EXPECT_EQ(image().images().subImage(1)->width(), 17);
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Paste Frame")});
}

TEST_F(CommandsEditTest, CopyNeedsADocumentWithACurrentFrame)
{
    m_window.closeDocument();
    EXPECT_FALSE(copyFrames(m_window));
    EXPECT_FALSE(m_window.actions.value(QStringLiteral("EditCopy"), true));
    EXPECT_FALSE(m_window.actions.value(QStringLiteral("EditCut"), true));
    EXPECT_TRUE(m_window.clipboardFile.isEmpty());
}

TEST_F(CommandsEditTest, CutCopiesThenDeletes)
{
    buildSource();
    m_window.selectFrame(1);
    cutFrames(m_window);
    ASSERT_EQ(image().images().count(), 1);
    EXPECT_EQ(delayOf(0), 20);
    EXPECT_TRUE(QFileInfo::exists(m_window.clipboardFile));
    EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Delete Frame")});
}

TEST_F(CommandsEditTest, PastedCommentsKeepTheirFirst255Characters)
{
    const struct
    {
        int length;
        int kept;
    } cases[] = {{300, 255}, {256, 255}, {255, 255}, {12, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        image().clear();
        m_window.doc().ensureHistory().clear();
        buildSource();
        QString text;
        for (int i = 0; i < c.length; ++i)
            text.append(QLatin1Char(char('a' + i % 26)));
        QGuiApplication::clipboard()->setText(text);
        pasteComments(m_window);
        TGIFSubImage* first = image().images().subImage(0);
        auto* comment = dynamic_cast<TGIFCommentExtension*>(
            first->extensions().extension(first->extensions().count() - 1));
        ASSERT_NE(comment, nullptr);
        EXPECT_EQ(comment->text().join(QString()), text.left(c.kept));
        EXPECT_EQ(m_window.captions(), QStringList{QStringLiteral("Add GIF Comment")});
    }
}

TEST_F(CommandsEditTest, CommentWithoutAFrameWarns)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
    pasteComments(m_window);
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    EXPECT_EQ(m_messages.recorded()[0].text, QString::fromLatin1(kCommentFailedMessage));
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Warning);
    EXPECT_EQ(m_window.commandCount(), 0);
}

} // namespace
