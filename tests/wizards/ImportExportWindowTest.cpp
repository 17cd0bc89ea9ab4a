// The import and export commands as a user meets them: the File menu of the real main window on
// the offscreen platform, an empty settings store and the scripted message service answering the
// dialogs.
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "app/AppFixture.h"

#include "app/Childwin.h"
#include "app/DefaultHooks.h"
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"
#include "platform/AviTestSupport.h"
#include "platform/MessageService.h"
#include "wizards/Exporter.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace avitest;

namespace {

class ImportExportWindowTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        // A saved animation of three 12 x 8 frames in red, green and blue.
        TGIFImage image;
        image.setWidth(12);
        image.setHeight(8);
        for (TColor color : {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)})
            image.globalColorMap().add(color);
        for (int i = 0; i < 3; ++i) {
            auto* frame = new TGIFSubImage(&image);
            image.images().add(frame);
            frame->setBounds(0, 0, 12, 8);
            frame->setData(std::vector<uint8_t>(96, uint8_t(i)));
        }
        m_gif = m_dir.filePath(QStringLiteral("walk.gif"));
        ASSERT_TRUE(saveGIFFile(image, m_gif, true, true));
    }
    void TearDown() override
    {
        stopProgram();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    TfrmMain& openWalk()
    {
        TfrmMain& main = *startProgram().mainWindow();
        EXPECT_TRUE(main.session().documents().open(m_gif));
        return main;
    }

    QTemporaryDir m_dir;
    QString m_gif;
};

} // namespace

TEST_F(ImportExportWindowTest, AviExportThenImportThroughTheFileMenu)
{
    TfrmMain& main = openWalk();
    const QString movie = m_dir.filePath(QStringLiteral("walk.avi"));
    m_messages.pushFiles({movie});
    main.action(TActionId::mniExportAVI)->trigger();
    ASSERT_TRUE(QFileInfo::exists(movie));
    ASSERT_FALSE(m_messages.recorded().empty());
    EXPECT_EQ(m_messages.recorded()[0].request.fileName, "walk");
    EXPECT_TRUE(m_messages.recorded()[0].request.filter.startsWith("AVI Animations (*.avi)|*.avi|"));
    EXPECT_TRUE(main.isEnabled());
    if (haveTool(QStringLiteral("ffprobe"))) {
        EXPECT_EQ(probe(movie, QStringLiteral("nb_read_frames")), "3");
    }
    EXPECT_EQ(main.session().documents().count(), 1);
    EXPECT_FALSE(main.session().documents().active()->isModified()) << "exporting works on a copy";

    m_messages.pushFiles({movie});
    main.action(TActionId::mniImportAVI)->trigger();
    EXPECT_TRUE(m_messages.recorded().back().request.filter.startsWith("AVI Animations (*.avi)|*.avi|"));
    ASSERT_EQ(main.session().documents().count(), 2);
    TDocument* imported = main.session().documents().active();
    ASSERT_NE(imported, nullptr);
    EXPECT_TRUE(imported->isModified());
    EXPECT_TRUE(imported->isUntitled());
    EXPECT_EQ(main.session().workingImage().images().count(), 3);
    const StreamHeader strh = streamHeader(readAll(movie));
    EXPECT_EQ(strh.rate, 65u);
    EXPECT_EQ(main.session().workingImage().images().subImage(0)->graphicControlExtension()->delay(),
              int((strh.scale * 100 + 32) / 65));

    // The first document kept its animation.
    main.session().documents().activate(main.session().documents().documents().first());
    EXPECT_EQ(main.session().workingImage().images().count(), 3);
    EXPECT_EQ(main.session().workingImage().width(), 12);

    // A movie named on the command line or dropped goes the same way.
    openByType(main, movie);
    EXPECT_EQ(main.session().documents().count(), 3);

    // The same command writes an MP4 video when that is the name chosen.
    const QString video = m_dir.filePath(QStringLiteral("walk.mp4"));
    m_messages.pushFiles({video});
    main.action(TActionId::mniExportAVI)->trigger();
    ASSERT_TRUE(QFileInfo::exists(video));
    if (haveTool(QStringLiteral("ffprobe"))) {
        EXPECT_EQ(probe(video, QStringLiteral("codec_name")), "h264");
    }
}

TEST_F(ImportExportWindowTest, SingleImagesAndHtmlPageThroughTheFileMenu)
{
    TfrmMain& main = openWalk();
    const QString chosen = m_dir.filePath(QStringLiteral("a.jpg"));
    m_messages.pushForm([&](QDialog& dialog) {
        auto& form = static_cast<TfrmExporter&>(dialog);
        ASSERT_EQ(form.lbExport->count(), 3);
        EXPECT_EQ(form.lbExport->item(2)->text(), "Frame - 2");
        form.lbExport->item(0)->setSelected(true);
        form.lbExport->item(2)->setSelected(true);
        form.optJpeg->click();
        m_messages.pushFiles({chosen});
        form.btnOK->click();
    });
    main.action(TActionId::mniExportSingle)->trigger();
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath(QStringLiteral("aGA10.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath(QStringLiteral("aGA12.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("aGA11.jpg"))));

    m_messages.pushFiles({m_dir.filePath(QStringLiteral("page.htm"))});
    m_messages.pushAnswer(TMsgResult::No);
    main.action(TActionId::mniExportHTML)->trigger();
    const QByteArray page = readAll(m_dir.filePath(QStringLiteral("page.html")));
    EXPECT_TRUE(page.contains("<IMG SRC=\"walk.gif\" ALT=\"Animated Image\" HEIGHT=\"8\" WIDTH=\"12\">"))
        << page.constData();
    EXPECT_EQ(m_messages.recorded().back().text,
              "Would you like to view the HTML page in the default brower now?");
}
