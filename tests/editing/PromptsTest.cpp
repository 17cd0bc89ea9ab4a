// The prompt dialog's seven pages worked through their real controls: what each page reads
// and writes, the resize arithmetic, the information page, the HTML code (read back by an
// independent HTML parser) and the global-change page with its question and colour choice.
#include "DialogTestSupport.h"

#include "editing/Palette.h"
#include "editing/Prompts.h"
#include "widgets/SwatchGrid.h"
#include "widgets/UpDownEdit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using dialogtest::DialogFixture;

namespace {

class PromptsTest : public DialogFixture
{
};

TEST_F(PromptsTest, EachPageHasItsCaptions)
{
    struct Case
    {
        TPromptPage page;
        const char* caption;
        const char* tab;
    };
    const Case cases[] = {
        {TPromptPage::FrameSize, "Frame Size Difference", "Frame Size"},
        {TPromptPage::Palettes, "Palettes", "Palettes"},
        {TPromptPage::Resize, "Resize Animation", "Resize"},
        {TPromptPage::Information, "Animation Information", "Animation"},
        {TPromptPage::Properties, "Image Properties", "Properties"},
        {TPromptPage::HtmlCode, "HTML Tag", "HTML"},
        {TPromptPage::GlobalChange, "Global Change", "Properties"},
    };
    for (const Case& c : cases) {
        TfrmPrompts dialog(c.page);
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(c.caption));
        ASSERT_EQ(dialog.tabPrompts->count(), 1);
        EXPECT_EQ(dialog.tabPrompts->tabText(0), QString::fromLatin1(c.tab));
    }
}

TEST_F(PromptsTest, FramePageReadsAndWritesTheClipSettings)
{
    {
        TfrmPrompts dialog(TPromptPage::FrameSize);
        // Nothing stored: this prompt proposes to change the animation.
        EXPECT_TRUE(dialog.optChange->isChecked());
        EXPECT_FALSE(dialog.chkClipDefault->isChecked());
        dialog.reject();
    }
    EXPECT_FALSE(stored(SettingKeys::ClipFrame));
    {
        TfrmPrompts dialog(TPromptPage::FrameSize);
        dialog.optTrim->click();
        dialog.chkClipDefault->click();
        dialog.btnOK->click();
        EXPECT_TRUE(dialog.trimChosen());
    }
    EXPECT_EQ(Settings::readInteger(SettingKeys::ClipFrame), 1);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ClipDefault), 1);
    TfrmPrompts again(TPromptPage::FrameSize);
    EXPECT_TRUE(again.optTrim->isChecked());
    EXPECT_TRUE(again.chkClipDefault->isChecked());
}

TEST_F(PromptsTest, PalettePageShowsStoredValuesAndStoresTheChoice)
{
    struct Case
    {
        int type, colors, dither, import;
        QRadioButton* TPalettePage::*option;
        const char* colorsShown;
        const char* importShown;
        bool floyd;
    };
    const Case cases[] = {
        {0, 100, 0, 256, &TPalettePage::optAdaptive, "256", "256", false},
        {1, 64, 1, 8, &TPalettePage::optWebSafe, "64", "8", true},
        {2, 8, 7, 12, &TPalettePage::optLocal, "8", "256", false},
        {9, 16, 0, 16, &TPalettePage::optAdaptive, "16", "16", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Settings::writeInteger(SettingKeys::PaletteType, c.type);
        Settings::writeInteger(SettingKeys::MaxColorCount, c.colors);
        Settings::writeInteger(SettingKeys::DitherMethod, c.dither);
        Settings::writeInteger(SettingKeys::MaxImportCount, c.import);
        TfrmPrompts dialog(TPromptPage::Palettes);
        TPalettePage& page = *dialog.pnlPalettes;
        EXPECT_TRUE((page.*c.option)->isChecked());
        EXPECT_EQ(page.cbMaxColors->currentText(), QString::fromLatin1(c.colorsShown));
        EXPECT_EQ(page.cbMaxImport->currentText(), QString::fromLatin1(c.importShown));
        EXPECT_EQ(page.optFloyd->isChecked(), c.floyd);
        EXPECT_EQ(page.optNearest->isChecked(), !c.floyd);
    }

    TfrmPrompts dialog(TPromptPage::Palettes);
    dialog.pnlPalettes->optLocal->click();
    dialog.pnlPalettes->cbMaxColors->setCurrentIndex(
        dialog.pnlPalettes->cbMaxColors->findText(QStringLiteral("32")));
    dialog.pnlPalettes->optFloyd->click();
    dialog.btnOK->click();
    EXPECT_EQ(Settings::readInteger(SettingKeys::PaletteType), 2);
    EXPECT_EQ(Settings::readInteger(SettingKeys::MaxColorCount), 32);
    EXPECT_EQ(Settings::readInteger(SettingKeys::MaxImportCount), 16);
    EXPECT_EQ(Settings::readInteger(SettingKeys::DitherMethod), 1);
    EXPECT_FALSE(stored(SettingKeys::PaletteDefaults)) << "written only when it changed";
    TfrmPrompts again(TPromptPage::Palettes);
    again.pnlPalettes->chkPaletteDefault->click();
    again.btnOK->click();
    EXPECT_EQ(Settings::readInteger(SettingKeys::PaletteDefaults), 1);
}

// Types into one resize field of a height x width animation and reports the four fields.
struct TResizeCase
{
    const char* name;
    int height, width;
    bool constrain;
    TUpDownEdit* TfrmPrompts::*field;
    const char* typed;
    const char* heightShown;
    const char* heightPercent;
    const char* widthShown;
    const char* widthPercent;
};

TEST_F(PromptsTest, ResizeFieldsFollowEachOtherOnce)
{
    using P = TfrmPrompts;
    const TResizeCase cases[] = {
        {"constrained height", 100, 200, true, &P::txtHeight, "50", "50", "50", "100", "50"},
        {"free height", 100, 200, false, &P::txtHeight, "50", "50", "50", "200", "100"},
        {"constrained width", 100, 200, true, &P::txtWidth, "300", "150", "150", "300", "150"},
        {"height percent", 100, 200, true, &P::txtHeightPercent, "25", "25", "25", "50", "25"},
        {"width percent alone", 100, 200, false, &P::txtWidthPercent, "10", "100", "100", "20", "10"},
        {"percent 0", 100, 200, true, &P::txtHeightPercent, "0", "0", "0", "0", "0"},
        // Halves go to the even neighbour: 5 x 50 % = 2.5 -> 2, 7 x 50 % = 3.5 -> 4.
        {"halves to even", 5, 7, true, &P::txtHeightPercent, "50", "2", "50", "4", "50"},
        {"percent of a size", 3, 3, false, &P::txtHeight, "1", "1", "33", "3", "100"},
        // No current size to take a percentage of: the percentage stays.
        {"zero height", 0, 10, true, &P::txtHeight, "20", "20", "100", "10", "100"},
        {"zero width", 10, 0, true, &P::txtWidth, "20", "10", "100", "20", "100"},
    };
    for (const TResizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmPrompts dialog(TPromptPage::Resize);
        dialog.setCurrentSize(c.width, c.height);
        dialog.show();
        dialog.chkConstrain->setChecked(c.constrain);
        dialogtest::typeInto(dialog.*c.field, QString::fromLatin1(c.typed));
        EXPECT_EQ(dialog.txtHeight->text(), QString::fromLatin1(c.heightShown));
        EXPECT_EQ(dialog.txtHeightPercent->text(), QString::fromLatin1(c.heightPercent));
        EXPECT_EQ(dialog.txtWidth->text(), QString::fromLatin1(c.widthShown));
        EXPECT_EQ(dialog.txtWidthPercent->text(), QString::fromLatin1(c.widthPercent));
    }
}

TEST_F(PromptsTest, ResizeConstrainRerunsAndFieldsRestoreWhenLeftEmpty)
{
    TfrmPrompts dialog(TPromptPage::Resize);
    dialog.setCurrentSize(200, 100);
    dialog.show();
    EXPECT_EQ(dialog.txtCurrentHeight->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.txtCurrentWidth->text(), QStringLiteral("200"));
    EXPECT_FALSE(dialog.imgChain->isVisible());
    dialogtest::typeInto(dialog.txtHeight, QStringLiteral("50"));
    EXPECT_EQ(dialog.txtWidth->text(), QStringLiteral("200"));
    dialog.chkConstrain->click();
    EXPECT_TRUE(dialog.imgChain->isVisible());
    EXPECT_EQ(dialog.txtWidth->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.newWidth(), 100);
    EXPECT_EQ(dialog.newHeight(), 50);

    // An emptied field becomes "1" at once; a field left with blanks gets its remembered text.
    dialogtest::typeInto(dialog.txtWidth, QString());
    EXPECT_EQ(dialog.txtWidth->text(), QStringLiteral("1"));
    dialogtest::focus(dialog.txtHeight);
    const QString remembered = dialog.txtHeight->text();
    dialog.txtHeight->setText(QStringLiteral("  "));
    dialogtest::leave(dialog.txtHeight, dialog.chkConstrain);
    EXPECT_EQ(dialog.txtHeight->text(), remembered);
}

TEST_F(PromptsTest, InformationPageShowsTheFiguresAndTheLoopChoice)
{
    TfrmPrompts dialog(TPromptPage::Information);
    dialog.setInformation(7, 12345, 1234, 3);
    dialog.show();
    EXPECT_EQ(dialog.lblFrames->text(), QStringLiteral("7"));
    EXPECT_EQ(dialog.lblSize->text(), QStringLiteral("12345 bytes"));
    EXPECT_EQ(dialog.lblRunningTime->text(), QStringLiteral("12.34 secs"));
    EXPECT_EQ(dialog.txtCurrentLoop->text(), QStringLiteral("3"));
    EXPECT_TRUE(dialog.optPlayed->isChecked());
    EXPECT_EQ(dialog.txtPlayed->text(), QStringLiteral("3"));
    EXPECT_TRUE(dialog.txtPlayed->isEnabled());
    dialog.optForever->click();
    EXPECT_FALSE(dialog.txtPlayed->isEnabled());
    EXPECT_TRUE(dialog.playForever());

    TfrmPrompts endless(TPromptPage::Information);
    endless.setInformation(1, 10, 5, 0);
    EXPECT_EQ(endless.lblRunningTime->text(), QStringLiteral("0.05 secs"));
    EXPECT_EQ(endless.txtCurrentLoop->text(), QStringLiteral("0"));
    EXPECT_TRUE(endless.optForever->isChecked());
    endless.show();
    endless.optPlayed->click();
    dialogtest::typeInto(endless.txtPlayed, QStringLiteral("12"));
    QTest::keyClick(endless.txtPlayed, Qt::Key_Return);
    EXPECT_EQ(endless.result(), QDialog::Accepted);
    EXPECT_FALSE(endless.playForever());
    EXPECT_EQ(endless.playCount(), 12);
}

TEST_F(PromptsTest, PropertiesPageShowsOutsideTextPlainly)
{
    TfrmPrompts dialog(TPromptPage::Properties);
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    dialog.setProperties(QStringLiteral("<b>bold</b>.png"), QStringLiteral("3 KB"), QStringLiteral("20 x 30"),
                         picture);
    EXPECT_EQ(dialog.lblFileName->textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog.lblFileName->text(), QStringLiteral("<b>bold</b>.png"));
    EXPECT_FALSE(dialog.imgPreview->pixmap().isNull());
    dialog.reject();
    EXPECT_TRUE(dialog.imgPreview->pixmap().isNull()) << "closing releases the preview";
}

TEST_F(PromptsTest, HtmlCodeFollowsTheFields)
{
    TfrmPrompts dialog(TPromptPage::HtmlCode);
    dialog.setHtmlSource(QStringLiteral("a.gif"), 60, 40);
    dialog.show();
    EXPECT_TRUE(dialog.txtFileName->isReadOnly());
    EXPECT_EQ(dialog.memHtml->toPlainText(),
              QStringLiteral("<img src=\"a.gif\" height=\"40\" width=\"60\" border=\"0\">"));
    dialogtest::typeInto(dialog.txtBorder, QString());
    EXPECT_EQ(dialog.memHtml->toPlainText(),
              QStringLiteral("<img src=\"a.gif\" height=\"40\" width=\"60\">"));
    dialogtest::typeInto(dialog.txtBorder, QStringLiteral("2"));
    dialogtest::typeInto(dialog.txtHint, QStringLiteral("Our logo"));
    dialogtest::typeInto(dialog.txtLink, QStringLiteral("index.html"));
    EXPECT_EQ(dialog.memHtml->toPlainText(),
              QStringLiteral(
                  "<a href=\"index.html\"><img src=\"a.gif\" height=\"40\" width=\"60\" alt=\"Our logo\" "
                  "border=\"2\"></a>"));

    dialog.btnCopy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), dialog.memHtml->toPlainText());
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("HTML Code successfully copied to clipboard.")});
    m_messages.clear();
    dialog.memHtml->clear();
    dialog.btnCopy->click();
    EXPECT_TRUE(m_messages.recorded().empty()) << "an empty memo copies nothing and says nothing";
}

// Reads markup with Python's html.parser: one JSON object per start tag, {"tag", "attrs"}.
QJsonArray parseWithPython(const QString& markup)
{
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"), QStringLiteral("import sys, json\n"
                                              "from html.parser import HTMLParser\n"
                                              "tags = []\n"
                                              "class P(HTMLParser):\n"
                                              "    def handle_starttag(self, tag, attrs):\n"
                                              "        tags.append({'tag': tag, 'attrs': dict(attrs)})\n"
                                              "p = P(convert_charrefs=True)\n"
                                              "p.feed(sys.stdin.read())\n"
                                              "p.close()\n"
                                              "print(json.dumps(tags))\n")});
    python.write(markup.toUtf8());
    python.closeWriteChannel();
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

TEST_F(PromptsTest, HtmlCodeKeepsQuotesAndBracketsInsideTheAttributes)
{
    const QString file = QStringLiteral("a\"b<c>.gif");
    const QString hint = QStringLiteral("say \"hi\" & <wave>");
    const QString link = QStringLiteral("page.html?a=1&b=\"2\"");
    TfrmPrompts dialog(TPromptPage::HtmlCode);
    dialog.setHtmlSource(file, 60, 40);
    dialog.txtHint->setText(hint);
    dialog.txtLink->setText(link);
    const QJsonArray tags = parseWithPython(dialog.htmlCode());
    ASSERT_EQ(tags.size(), 2) << dialog.htmlCode().toStdString();
    EXPECT_EQ(tags[0].toObject()[QStringLiteral("tag")].toString(), QStringLiteral("a"));
    EXPECT_EQ(tags[0].toObject()[QStringLiteral("attrs")].toObject()[QStringLiteral("href")].toString(),
              link);
    const QJsonObject img = tags[1].toObject();
    EXPECT_EQ(img[QStringLiteral("tag")].toString(), QStringLiteral("img"));
    const QJsonObject attrs = img[QStringLiteral("attrs")].toObject();
    EXPECT_EQ(attrs.keys(),
              (QStringList{QStringLiteral("alt"), QStringLiteral("border"), QStringLiteral("height"),
                           QStringLiteral("src"), QStringLiteral("width")}));
    EXPECT_EQ(attrs[QStringLiteral("src")].toString(), file);
    EXPECT_EQ(attrs[QStringLiteral("alt")].toString(), hint);
    EXPECT_EQ(attrs[QStringLiteral("height")].toString(), QStringLiteral("40"));
    EXPECT_EQ(attrs[QStringLiteral("width")].toString(), QStringLiteral("60"));
}

class GlobalChangeTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        image().header().setWidth(4);
        image().header().setHeight(2);
        undotest::setColors(image().globalColorMap(), {clBlack, clRed, clLime, clBlue});
        undotest::addFrame(image(), 0, 0, 4, 2, 4);
        undotest::addGCE(image().images().subImage(0), 10);
    }
    std::unique_ptr<TfrmPrompts> open(const QString& transparentCaption = QStringLiteral("Make &Transparent"))
    {
        auto dialog = std::make_unique<TfrmPrompts>(TPromptPage::GlobalChange);
        dialog->setGlobalChange(transparentCaption, QStringLiteral("Remove &Interlaced"),
                                QStringLiteral("Make &Local Palette"), &image(), 0);
        dialog->show();
        return dialog;
    }
    static const QString& question()
    {
        static const QString text = QStringLiteral(
            "For correct display of the animation, it is recommended to also set the disposal \r\nmethod to "
            "Background. Would you like to set the disposal to Background?");
        return text;
    }
};

TEST_F(GlobalChangeTest, OpensResetWithTheCallersCaptions)
{
    auto dialog = open();
    EXPECT_EQ(dialog->chkTransparent->text(), QStringLiteral("Make &Transparent"));
    EXPECT_EQ(dialog->chkInterlaced->text(), QStringLiteral("Remove &Interlaced"));
    EXPECT_EQ(dialog->cbDisposal->currentIndex(), -1);
    EXPECT_TRUE(dialog->txtDelay->text().isEmpty());
    EXPECT_FALSE(dialog->globalChangeAnswer().somethingToApply);

    dialog->chkInterlaced->click();
    dialogtest::typeInto(dialog->txtDelay, QStringLiteral("70"));
    dialog->cbDisposal->setCurrentIndex(3);
    TGlobalChangeAnswer answer = dialog->globalChangeAnswer();
    EXPECT_TRUE(answer.somethingToApply);
    EXPECT_TRUE(answer.interlaced);
    EXPECT_EQ(answer.delayText, QStringLiteral("70"));
    EXPECT_EQ(answer.disposal, TGIFDisposal::dmPrevious);
    dialog->btnReset->click();
    EXPECT_FALSE(dialog->globalChangeAnswer().somethingToApply);
    // The delay steps by ten.
    dialog->txtDelay->setText(QStringLiteral("70"));
    dialog->txtDelay->stepBy(1);
    EXPECT_EQ(dialog->txtDelay->text(), QStringLiteral("80"));
}

TEST_F(GlobalChangeTest, MakingTransparentAsksAboutTheDisposalAndChoosesTheColour)
{
    struct Case
    {
        TMsgResult answer;
        bool checked;
        int disposal;
        bool colorAsked;
    };
    for (const Case c : {Case{TMsgResult::Cancel, false, -1, false}, Case{TMsgResult::No, true, -1, true},
                         Case{TMsgResult::Yes, true, 2, true}}) {
        SCOPED_TRACE(int(c.answer));
        m_messages.clear();
        m_messages.pushAnswer(c.answer);
        m_messages.pushForm([](QDialog& form) {
            auto& palette = dynamic_cast<TfrmPalette&>(form);
            EXPECT_EQ(palette.mode(), TPaletteMode::TransparentColor);
            QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {}, QPoint(20, 5)); // entry 1
            palette.btnOK->click();
        });
        auto dialog = open();
        dialog->chkTransparent->click();
        EXPECT_EQ(m_messages.recorded()[0].text, question());
        EXPECT_EQ(m_messages.recorded()[0].buttons, TMsgButtons::YesNoCancel);
        EXPECT_EQ(dialog->chkTransparent->isChecked(), c.checked);
        EXPECT_EQ(dialog->cbDisposal->currentIndex(), c.disposal);
        EXPECT_EQ(m_messages.recorded().size(), c.colorAsked ? 2u : 1u);
        if (c.colorAsked) {
            EXPECT_EQ(m_messages.recorded()[1].text, QStringLiteral("Transparent Color"));
            EXPECT_EQ(dialog->globalChangeAnswer().transparentColor, clRed);
            EXPECT_EQ(dialog->globalChangeAnswer().transparentIndex, 1);
        }
    }
    // A "Remove " box asks nothing.
    m_messages.clear();
    auto removing = open(QStringLiteral("Remove &Transparent"));
    removing->chkTransparent->click();
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_TRUE(removing->chkTransparent->isChecked());
}

TEST_F(GlobalChangeTest, ColourSelectKeepsThePreviousChoiceWhenCancelled)
{
    m_messages.pushForm([](QDialog& form) {
        auto& palette = dynamic_cast<TfrmPalette&>(form);
        QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {}, QPoint(50, 5)); // entry 3
        palette.btnOK->click();
    });
    m_messages.pushForm([](QDialog& form) {
        auto& palette = dynamic_cast<TfrmPalette&>(form);
        EXPECT_EQ(palette.selectedIndex(), 3) << "preset with the last choice";
        QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {}, QPoint(5, 5));
        palette.btnCancel->click();
    });
    auto dialog = open();
    dialog->btnColorSelect->click();
    dialog->btnColorSelect->click();
    EXPECT_EQ(dialog->globalChangeAnswer().transparentIndex, 3);
    EXPECT_EQ(dialog->globalChangeAnswer().transparentColor, clBlue);
}

} // namespace

namespace {

// Alt and a caption's underlined letter reach its control; Enter answers OK and Escape Cancel.
TEST_F(PromptsTest, MnemonicsEnterAndEscapeWorkOnEveryPage)
{
    struct Case
    {
        TPromptPage page;
        Qt::Key key;
        const char* focused; // object name of the control the mnemonic reaches
    };
    const Case cases[] = {
        {TPromptPage::FrameSize, Qt::Key_T, "optTrim"},
        {TPromptPage::FrameSize, Qt::Key_D, "chkClipDefault"},
        {TPromptPage::Palettes, Qt::Key_X, "cbMaxImport"},
        {TPromptPage::Palettes, Qt::Key_N, "optWebSafe"},
        {TPromptPage::Resize, Qt::Key_W, "txtWidth"},
        {TPromptPage::Resize, Qt::Key_D, "txtCurrentWidth"},
        {TPromptPage::Information, Qt::Key_O, "txtCurrentLoop"},
        {TPromptPage::Information, Qt::Key_F, "optForever"},
        {TPromptPage::HtmlCode, Qt::Key_T, "txtHint"},
        {TPromptPage::HtmlCode, Qt::Key_B, "txtBorder"},
        {TPromptPage::GlobalChange, Qt::Key_D, "txtDelay"},
        {TPromptPage::GlobalChange, Qt::Key_M, "cbDisposal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focused);
        TfrmPrompts dialog(c.page);
        dialog.setCurrentSize(20, 10);
        dialog.show();
        dialogtest::focus(dialog.btnCancel);
        QTest::keyClick(&dialog, c.key, Qt::AltModifier);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        // A spin box's own line edit has the focus on its behalf.
        if (focused->parentWidget() && qobject_cast<TUpDownEdit*>(focused->parentWidget()))
            focused = focused->parentWidget();
        EXPECT_EQ(focused->objectName(), QString::fromLatin1(c.focused));
    }
    for (const auto& [key, result] :
         {std::pair{Qt::Key_Return, QDialog::Accepted}, std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
        TfrmPrompts dialog(TPromptPage::Resize);
        dialog.setCurrentSize(20, 10);
        dialog.show();
        dialogtest::focus(dialog.txtHeight);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(dialog.result(), result);
    }
}

TEST_F(PromptsTest, TabOrderFollowsTheResizeFields)
{
    TfrmPrompts dialog(TPromptPage::Resize);
    dialog.setCurrentSize(20, 10);
    dialog.show();
    dialogtest::focus(dialog.txtHeight);
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused->parentWidget() && qobject_cast<TUpDownEdit*>(focused->parentWidget()))
            focused = focused->parentWidget();
        order << focused->objectName();
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("txtHeightPercent"), QStringLiteral("txtWidth"),
                                  QStringLiteral("txtWidthPercent"), QStringLiteral("chkConstrain"),
                                  QStringLiteral("btnOK")}));
}

} // namespace
