// The open dialog's preview pane: the picture of each file type, the size line, the settings
// that switch it off and keep its splitter position, and the open commands asking for it.
#include "../app/AnimationFilesFixture.h"

#include "platform/Settings.h"
#include "widgets/OpenDialogPreview.h"

#include <QFileDialog>
#include <QLabel>
#include <QSplitter>

#include <numeric>

namespace {

class OpenDialogPreviewTest : public AnimationFilesFixture
{
};

TEST_F(OpenDialogPreviewTest, ShowsEachKindOfPictureWithItsSize)
{
    const QString gif = makeGif(QStringLiteral("anim.gif"), 3, 0, 12);
    QImage wide(20, 10, QImage::Format_RGB32);
    wide.fill(Qt::green);
    const QString png = m_files.filePath(QStringLiteral("wide.png"));
    ASSERT_TRUE(wide.save(png));
    const QString bmp = m_files.filePath(QStringLiteral("wide.bmp"));
    ASSERT_TRUE(wide.save(bmp));
    const QString broken = writeFile(QStringLiteral("broken.jpg"), "not a jpeg");
    const struct
    {
        QString path;
        QString line;
        QRgb corner;
    } cases[] = {
        {gif, QStringLiteral("Dimensions: (12 x 12)"), qRgb(255, 0, 0)}, // frame 0 only
        {png, QStringLiteral("Dimensions: (10 x 20)"), qRgb(0, 255, 0)}, // height first
        {bmp, QStringLiteral("Dimensions: (10 x 20)"), qRgb(0, 255, 0)},
        {broken, QStringLiteral("Unabled to load image."), 0},
        {QString(), QString(), 0},
        {m_files.path(), QString(), 0}, // a folder
    };
    TOpenDialogPreview preview;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        preview.showFile(c.path);
        EXPECT_EQ(preview.dimensionsText(), c.line);
        if (c.corner)
            EXPECT_EQ(preview.picture().pixel(0, 0) | 0xFF000000u, c.corner);
        else
            EXPECT_TRUE(preview.picture().isNull());
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OpenDialogPreviewTest, ThePaneSitsBesideTheListAndKeepsItsSplitterPosition)
{
    QFileDialog dialog(nullptr, QStringLiteral("Open"), m_files.path());
    dialog.resize(900, 500);
    TOpenDialogPreview* pane = addOpenDialogPreview(dialog);
    ASSERT_NE(pane, nullptr);
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->widget(splitter->count() - 1), pane);
    dialog.show();
    const QString gif = makeGif(QStringLiteral("pick.gif"), 2);
    emit dialog.currentChanged(gif);
    EXPECT_EQ(pane->dimensionsText(), QStringLiteral("Dimensions: (8 x 8)"));

    QList<int> sizes = splitter->sizes();
    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    sizes.back() = 200;
    sizes[sizes.size() - 2] = total - 200 - std::accumulate(sizes.begin(), sizes.end() - 2, 0);
    splitter->setSizes(sizes);
    const QList<int> set = splitter->sizes();
    const int position = std::accumulate(set.begin(), set.end() - 1, 0);
    dialog.reject();
    EXPECT_EQ(Settings::readInteger(SettingKeys::SplitterPreviewPos), position);
    EXPECT_TRUE(pane->dimensionsText().isEmpty()) << "closing lets go of the picture";

    QFileDialog again(nullptr, QStringLiteral("Open"), m_files.path());
    again.resize(900, 500);
    addOpenDialogPreview(again);
    again.show();
    auto* restored = again.findChild<QSplitter*>(QStringLiteral("splitter"));
    const QList<int> back = restored->sizes();
    EXPECT_NEAR(std::accumulate(back.begin(), back.end() - 1, 0), position, 2);
    again.reject();
}

TEST_F(OpenDialogPreviewTest, NoOpenDlgPreviewLeavesThePaneOut)
{
    Settings::writeInteger(SettingKeys::NoOpenDlgPreview, 1);
    QFileDialog dialog;
    EXPECT_EQ(addOpenDialogPreview(dialog), nullptr);
    EXPECT_EQ(dialog.findChild<TOpenDialogPreview*>(), nullptr);
}

TEST_F(OpenDialogPreviewTest, OpenAndAddFrameAskForThePreviewAndKeepTheChosenOrder)
{
    const QString b = makeGif(QStringLiteral("b.gif"), 2);
    const QString a = makeGif(QStringLiteral("a.gif"), 3);
    m_messages.pushFiles({b, a});
    trigger(TActionId::FileOpen);
    ASSERT_FALSE(m_messages.recorded().empty());
    const TFileDialogRequest& open = m_messages.recorded().back().request;
    EXPECT_TRUE(open.picturePreview);
    EXPECT_TRUE(open.multiSelect);
    EXPECT_EQ(open.filter, QStringLiteral("GIF Images (*.gif)|*.gif"));
    ASSERT_EQ(docs().count(), 2);
    EXPECT_EQ(docs().documents().value(0)->fileName(), b);
    EXPECT_EQ(docs().documents().value(1)->fileName(), a);
    EXPECT_EQ(main().state().initialDir, m_files.path()) << "the folder is remembered";

    m_messages.pushFiles({});
    trigger(TActionId::FrameAdd);
    EXPECT_TRUE(m_messages.recorded().back().request.picturePreview);
    EXPECT_EQ(m_messages.recorded().back().request.initialDir, m_files.path());
}

} // namespace
