// Single-image export and the HTML page: the file names, the JPEG settings as identify reads them,
// the Export Images dialog worked through its controls (placeholders, the closing message, a
// cancelled save dialog), and the HTML page command's questions.
#include "wizards/Exporter.h"
#include "editing/EditSession.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/AviTestSupport.h"
#include "platform/MessageService.h"
#include "platform/ScriptedMessageService.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace avitest;

namespace {

// Three frames of 8 x 6 in red, green and blue over a global map, plus an empty fourth.
void makeImage(TGIFImage& image, bool emptyLast = false)
{
    image.setWidth(8);
    image.setHeight(6);
    for (TColor color : {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)})
        image.globalColorMap().add(color);
    for (int i = 0; i < 3; ++i) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, 8, 6);
        frame->setData(std::vector<uint8_t>(48, uint8_t(i)));
    }
    if (emptyLast) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
    }
}

QString identify(const QString& path, const QString& format)
{
    QByteArray out;
    run(QStringLiteral("identify"), {QStringLiteral("-format"), format, path}, &out);
    return QString::fromUtf8(out).trimmed();
}

// Works the dialog as a user would: selects rows, picks a format, presses OK.
void exportRows(TfrmExporter& form, const QList<int>& rows, QRadioButton* format)
{
    form.show();
    for (int row : rows)
        form.lbExport->item(row)->setSelected(true);
    format->click();
    form.btnOK->click();
}

class TFakeExportHost : public IExportHost
{
public:
    TGIFImage* activeImage() override { return image; }
    QString activeFileName() override { return fileName; }
    bool saveActiveDocument() override
    {
        ++saves;
        if (!saveTo.isEmpty()) {
            writeAll(saveTo, "GIF89a");
            fileName = saveTo;
        }
        return !saveTo.isEmpty();
    }
    TEditSession& session() override { return editSession; }

    TEditSession editSession;
    TGIFImage* image = nullptr;
    QString fileName;
    QString saveTo;
    int saves = 0;
};

} // namespace

TEST(ExporterTest, GA1AndTheIndexGoBeforeTheLastFourCharactersOfTheFileName)
{
    const struct
    {
        const char* chosen;
        int index;
        const char* written;
    } cases[] = {
        {"/pics/walk.gif", 0, "/pics/walkGA10.gif"}, {"/pics/walk.gif", 12, "/pics/walkGA112.gif"},
        {"/pics/a.jpg", 2, "/pics/aGA12.jpg"},       {"/pics/photo", 1, "/pics/pGA11hoto"},
        {"/x/my.site/ab", 3, "/x/my.site/GA13ab"},   {"/x/my.site/page", 0, "/x/my.site/GA10page"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleImagePath(QString::fromUtf8(c.chosen), c.index), QString::fromUtf8(c.written))
            << c.chosen;
}

TEST(ExporterTest, JpegSettingsShowInIdentify)
{
    if (!haveTool(QStringLiteral("identify")))
        GTEST_SKIP() << "ImageMagick is not installed";
    EXPECT_EQ(jpegQualityForPosition(0), 100);
    EXPECT_EQ(jpegQualityForPosition(1), 75);
    EXPECT_EQ(jpegQualityForPosition(2), 50);
    EXPECT_EQ(jpegQualityForPosition(3), 25);
    EXPECT_EQ(jpegQualityForPosition(4), 1);
    QImage picture(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 8, 128));
    const struct
    {
        int position;
        bool grey, progressive, fast;
        const char* quality;
        const char* colorspace;
        const char* interlace;
    } cases[] = {
        {0, false, false, false, "100", "sRGB", "None"}, {1, true, false, true, "75", "Gray", "None"},
        {2, false, true, false, "50", "sRGB", "JPEG"},   {3, true, true, true, "25", "Gray", "JPEG"},
        {4, false, false, true, "1", "sRGB", "None"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("q%1.jpg").arg(c.position));
        TJpegOptions options;
        options.quality = jpegQualityForPosition(c.position);
        options.grayscale = c.grey;
        options.progressive = c.progressive;
        options.bestSpeed = c.fast;
        ASSERT_TRUE(writeJpegFile(picture, path, options));
        EXPECT_EQ(identify(path, QStringLiteral("%Q")), c.quality) << c.position;
        EXPECT_EQ(identify(path, QStringLiteral("%[colorspace]")), c.colorspace) << c.position;
        EXPECT_EQ(identify(path, QStringLiteral("%[interlace]")), c.interlace) << c.position;
        EXPECT_EQ(identify(path, QStringLiteral("%wx%h")), "40x30");
    }
    EXPECT_FALSE(writeJpegFile(picture, dir.filePath(QStringLiteral("missing/x.jpg")), {}));
    EXPECT_FALSE(writeJpegFile(QImage(), dir.filePath(QStringLiteral("null.jpg")), {}));
}

TEST(ExporterTest, ChosenFramesAreWrittenInTheChosenFormat)
{
    if (!haveTool(QStringLiteral("identify")))
        GTEST_SKIP() << "ImageMagick is not installed";
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    QTemporaryDir dir;
    TEditSession session;
    TGIFImage image;
    makeImage(image, true);
    const QStringList entries{"Frame - 0", "Frame - 1", "Frame - 2", "Frame - 3"};

    {
        TfrmExporter form(session, image, entries);
        form.trackbar->setValue(1);
        form.optJpeg->click();
        form.chkJProgress->click();
        messages.pushFiles({dir.filePath(QStringLiteral("a.jpg"))});
        exportRows(form, {0, 2}, form.optJpeg);
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(
            identify(dir.filePath(QStringLiteral("aGA10.jpg")), QStringLiteral("%Q %[interlace] %wx%h")),
            "75 JPEG 8x6");
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("aGA12.jpg"))));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("aGA11.jpg"))));
        ASSERT_EQ(messages.recorded().size(), 1u);
        EXPECT_EQ(messages.recorded()[0].kind, TDialogKind::SaveFile);
        EXPECT_EQ(messages.recorded()[0].request.filter, "Jpg Images|*.jpg");
    }
    {
        // GIF in grey shades; the empty last frame is written as the placeholder without a message.
        TfrmExporter form(session, image, entries);
        form.optGIFGray->click();
        messages.pushFiles({dir.filePath(QStringLiteral("g.gif"))});
        exportRows(form, {1, 3}, form.optGIF);
        EXPECT_EQ(identify(dir.filePath(QStringLiteral("gGA11.gif")), QStringLiteral("%wx%h %[type]")),
                  "8x6 Grayscale");
        EXPECT_EQ(identify(dir.filePath(QStringLiteral("gGA13.gif")), QStringLiteral("%wx%h")), "125x50");
        EXPECT_EQ(messages.recorded().size(), 2u);
    }
    {
        // A line past the frames: the placeholder, then the closing message.
        TfrmExporter form(session, image, entries + QStringList{"Frame - 4"});
        form.chkBMono->setChecked(true);
        messages.pushFiles({dir.filePath(QStringLiteral("b.bmp"))});
        exportRows(form, {0, 4}, form.optBitmap);
        EXPECT_EQ(identify(dir.filePath(QStringLiteral("bGA10.bmp")), QStringLiteral("%wx%h %[type]")),
                  "8x6 Bilevel");
        EXPECT_EQ(identify(dir.filePath(QStringLiteral("bGA14.bmp")), QStringLiteral("%wx%h")), "125x50");
        ASSERT_EQ(messages.recorded().size(), 4u);
        EXPECT_EQ(messages.recorded()[3].text, QString::fromLatin1(kExportErrorMessage));
        EXPECT_EQ(messages.recorded()[3].type, TMsgType::Information);
    }
    {
        // A file that cannot be written is reported too.
        TfrmExporter form(session, image, entries);
        messages.pushFiles({dir.filePath(QStringLiteral("missing/c.gif"))});
        exportRows(form, {0}, form.optGIF);
        ASSERT_EQ(messages.recorded().size(), 6u);
        EXPECT_EQ(messages.recorded()[5].text, QString::fromLatin1(kExportErrorMessage));
    }
    {
        // Cancelling the save dialog keeps the form open with its settings; nothing selected closes.
        TfrmExporter form(session, image, entries);
        messages.pushFiles({});
        exportRows(form, {1}, form.optBitmap);
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.optBitmap->isChecked());
        form.lbExport->clearSelection();
        form.btnOK->click();
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ExporterTest, SmoothingFollowsProgressiveDisplay)
{
    TEditSession session;
    TGIFImage image;
    makeImage(image);
    TfrmExporter form(session, image, {"Frame - 0"});
    EXPECT_FALSE(form.chkJSmooth->isEnabled());
    form.chkJProgress->setChecked(true);
    EXPECT_TRUE(form.chkJSmooth->isEnabled());
    form.chkJSmooth->setChecked(true);
    form.chkJProgress->setChecked(false);
    EXPECT_FALSE(form.chkJSmooth->isEnabled());
    EXPECT_FALSE(form.chkJSmooth->isChecked());
    EXPECT_FALSE(form.pnlJPEG->isVisibleTo(&form));
    form.optJpeg->click();
    EXPECT_TRUE(form.pnlJPEG->isVisibleTo(&form));
    EXPECT_FALSE(form.pnlGIF->isVisibleTo(&form));
    form.optGIFWinSys20->click();
    EXPECT_EQ(form.paletteTag(), 4);
}

TEST(ExporterTest, HtmlPageBesideTheSavedAnimation)
{
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    QStringList opened;
    QTemporaryDir dir;
    TGIFImage image;
    makeImage(image);
    TFakeExportHost host;
    host.editSession.setUrlOpener([&](const QString& text) {
        opened.append(text);
        return true;
    });
    host.image = &image;
    host.fileName = dir.filePath(QStringLiteral("Untitled1.gif"));

    // Never saved: No ends the command.
    messages.pushAnswer(TMsgResult::No);
    exportHTMLPageCommand(host);
    EXPECT_EQ(host.saves, 0);
    ASSERT_EQ(messages.recorded().size(), 1u);
    EXPECT_EQ(messages.recorded()[0].text, "Would you like to save the current document before proceeding?");

    // Yes saves it as walk.gif; the page chosen as page.htm is written as page.html.
    host.saveTo = dir.filePath(QStringLiteral("walk.gif"));
    messages.pushAnswer(TMsgResult::Yes);
    messages.pushFiles({dir.filePath(QStringLiteral("page.htm"))});
    messages.pushAnswer(TMsgResult::Yes);
    exportHTMLPageCommand(host);
    EXPECT_EQ(host.saves, 1);
    const QString page = dir.filePath(QStringLiteral("page.html"));
    const QByteArray text = readAll(page);
    EXPECT_TRUE(text.contains("<IMG SRC=\"walk.gif\" ALT=\"Animated Image\" HEIGHT=\"6\" WIDTH=\"8\">\r\n"))
        << text.constData();
    EXPECT_TRUE(text.endsWith("</BODY></HTML>\r\n"));
    ASSERT_EQ(messages.recorded().size(), 4u);
    EXPECT_EQ(messages.recorded()[2].request.fileName, "walk");
    EXPECT_EQ(messages.recorded()[2].request.filter, "HTML Files|*.htm;*.html");
    EXPECT_EQ(messages.recorded()[3].text, "Would you like to view the HTML page in the default brower now?");
    EXPECT_EQ(opened, QStringList{page});

    // A page that cannot be written: the error, and no offer to view it.
    messages.pushFiles({dir.filePath(QStringLiteral("missing/page.htm"))});
    exportHTMLPageCommand(host);
    ASSERT_EQ(messages.recorded().size(), 6u);
    EXPECT_EQ(messages.recorded()[5].type, TMsgType::Error);
    EXPECT_TRUE(messages.recorded()[5].text.contains(QStringLiteral("page.html")));
}
