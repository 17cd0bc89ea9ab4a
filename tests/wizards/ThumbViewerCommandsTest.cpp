// The thumbnail commands through the real program: insert, open, copy, edit, properties,
// favourites, double-click and the start-up and options hooks.
#include "ThumbFixture.h"

#include "app/Childwin.h"
#include "app/RecentFiles.h"
#include "graphics/Streams.h"
#include "wizards/ThumbGrid.h"
#include "wizards/ThumbProperties.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

class ThumbCommandsTest : public ThumbFixture
{
protected:
    QByteArray workingBytes()
    {
        TMemoryStream stream;
        main().session().workingImage().saveToStream(stream);
        return stream.data();
    }
    // Loads the folder and selects the thumbnail of the file.
    void select(const QString& name)
    {
        browser().loadThumbnails(folder());
        for (int i = 0; i < browser().thumbnailCount(); ++i)
            if (browser().record(i).name == name)
                browser().selectThumbnail(i);
        ASSERT_EQ(browser().selectedThumbnailPath(), path(name));
    }
    QAction* menuItem(const char* name)
    {
        return browser().thumbnailMenu()->findChild<QAction*>(QString::fromLatin1(name));
    }
};

TEST_F(ThumbCommandsTest, InsertThumbnailAddsTheFileAfterTheCurrentFrame)
{
    writePicture(QStringLiteral("p.png"), 30, 20);
    writePicture(QStringLiteral("q.png"), 30, 20, qRgb(0, 90, 0));
    start();
    select(QStringLiteral("p.png"));
    // Without a document the first picture makes one.
    menuItem("mniThumbsInsert")->trigger();
    ASSERT_EQ(main().session().documents().count(), 1);
    EXPECT_EQ(main().session().workingImage().images().count(), 1);
    EXPECT_EQ(main().session().workingImage().width(), 30);
    select(QStringLiteral("q.png"));
    // Enter runs the default entry.
    QTest::keyClick(browser().grid(), Qt::Key_Return);
    EXPECT_EQ(main().session().workingImage().images().count(), 2);
    EXPECT_EQ(main().session().currentFrame(), 1);
    EXPECT_TRUE(main().session().documents().active()->isModified());
    EXPECT_EQ(m_prompts.m_paletteAsked, 2);
}

TEST_F(ThumbCommandsTest, OpenInReelwrightOpensGifsAndMakesPicturesNewAnimations)
{
    writePicture(QStringLiteral("anim.gif"), 16, 8);
    writePicture(QStringLiteral("pic.png"), 24, 12);
    start();
    select(QStringLiteral("anim.gif"));
    menuItem("mniThumbOpen")->trigger();
    ASSERT_EQ(main().session().documents().count(), 1);
    TDocument* gif = main().session().documents().active();
    EXPECT_EQ(gif->fileName(), path(QStringLiteral("anim.gif")));
    const QByteArray gifBytes = workingBytes();

    select(QStringLiteral("pic.png"));
    // Double-clicking a thumbnail opens it as well.
    const QRect cell = browser().grid()->cellRect(1, 0);
    QTest::mouseDClick(browser().grid()->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(main().session().documents().count(), 2);
    EXPECT_TRUE(main().session().documents().active()->isUntitled());
    EXPECT_EQ(main().session().workingImage().images().count(), 1);
    EXPECT_EQ(main().session().workingImage().width(), 24);

    // The GIF's document is untouched.
    main().session().documents().activate(gif);
    EXPECT_EQ(workingBytes(), gifBytes);
}

TEST_F(ThumbCommandsTest, OpenOfAPictureThatNoLongerLoadsLeavesTheDocumentAsItWas)
{
    writePicture(QStringLiteral("anim.gif"), 16, 8);
    writePicture(QStringLiteral("pic.png"), 24, 12);
    start();
    ASSERT_TRUE(main().session().documents().open(path(QStringLiteral("anim.gif"))));
    const QByteArray before = workingBytes();
    select(QStringLiteral("pic.png"));
    writeBytes(QStringLiteral("pic.png"), "damaged since the scan");

    menuItem("mniThumbOpen")->trigger();
    EXPECT_EQ(main().session().documents().count(), 1);
    EXPECT_EQ(workingBytes(), before);
    EXPECT_EQ(main().session().view().frameColumnCount(), 1);
    EXPECT_FALSE(main().session().documents().active()->isModified());
    EXPECT_EQ(m_messages.texts(),
              QStringList{QStringLiteral("Error loading pic.png! GIF Reelwright does not support "
                                         "the file type or it is a corrupted file.")});
}

TEST_F(ThumbCommandsTest, OpenRefusedAtThePalettePromptGivesTheDocumentItsAnimationBack)
{
    writePicture(QStringLiteral("anim.gif"), 16, 8);
    writePicture(QStringLiteral("pic.png"), 24, 12);
    start();
    ASSERT_TRUE(main().session().documents().open(path(QStringLiteral("anim.gif"))));
    const QByteArray before = workingBytes();
    select(QStringLiteral("pic.png"));
    m_prompts.m_answer = mrCancel;
    menuItem("mniThumbOpen")->trigger();
    EXPECT_EQ(main().session().documents().count(), 1);
    EXPECT_EQ(workingBytes(), before);
    EXPECT_EQ(main().session().view().frameColumnCount(), 1);
}

TEST_F(ThumbCommandsTest, CopyToClipboardReportsBothWays)
{
    writePicture(QStringLiteral("pic.png"), 24, 12);
    writePicture(QStringLiteral("anim.gif"), 16, 8);
    start();
    select(QStringLiteral("pic.png"));
    menuItem("mniThumbsCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(24, 12));
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Image successfully copied to the clipboard.")});

    // A GIF is copied as its picture; it does not open as a document.
    m_messages.clear();
    select(QStringLiteral("anim.gif"));
    menuItem("mniThumbsCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(16, 8));
    EXPECT_EQ(main().session().documents().count(), 0);

    m_messages.clear();
    select(QStringLiteral("pic.png"));
    writeBytes(QStringLiteral("pic.png"), "damaged");
    menuItem("mniThumbsCopy")->trigger();
    EXPECT_EQ(m_messages.texts(),
              QStringList{QStringLiteral("Image was not successfully copied to the clipboard.")});
    EXPECT_EQ(m_messages.recorded().back().type, TMsgType::Warning);
}

TEST_F(ThumbCommandsTest, EditHandsTheFileToTheDesktop)
{
    writePicture(QStringLiteral("pic.png"), 24, 12);
    start();
    QStringList opened;
    main().session().setUrlOpener([&opened](const QString& text) {
        opened << text;
        return true;
    });
    select(QStringLiteral("pic.png"));
    menuItem("mniThumbsEdit")->trigger();
    EXPECT_EQ(opened, QStringList{path(QStringLiteral("pic.png"))});
}

TEST_F(ThumbCommandsTest, PropertiesShowSizeDimensionsAndPicture)
{
    writePicture(QStringLiteral("pic.png"), 24, 12);
    start();
    struct Seen
    {
        QString name, size, dimensions;
        QSize picture;
    };
    auto showProperties = [&] {
        Seen seen;
        QTimer::singleShot(0, [&seen] {
            auto* dialog = qobject_cast<TfrmImageProperties*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = {dialog->fileNameLabel()->text(), dialog->fileSizeLabel()->text(),
                    dialog->dimensionsLabel()->text(), dialog->pictureLabel()->pixmap().size()};
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Image Properties"));
            dialog->reject();
        });
        menuItem("mniThumbsProperties")->trigger();
        return seen;
    };
    select(QStringLiteral("pic.png"));
    Seen seen = showProperties();
    EXPECT_EQ(seen.name, QStringLiteral("pic.png"));
    EXPECT_EQ(seen.size, QStringLiteral("1 KB"));
    EXPECT_EQ(seen.dimensions, QStringLiteral("12 x 24"));
    EXPECT_EQ(seen.picture, QSize(24, 12));

    writeBytes(QStringLiteral("pic.png"), "damaged");
    seen = showProperties();
    EXPECT_EQ(seen.size, QStringLiteral("KB"));
    EXPECT_EQ(seen.dimensions, QStringLiteral("Unable to load image"));
}

TEST_F(ThumbCommandsTest, FavouritesAddOpenAndForgetMissingFolders)
{
    writePicture(QStringLiteral("pic.png"), 24, 12);
    QTemporaryDir other;
    writePicture(QStringLiteral("x.png"), 10, 10, qRgb(1, 2, 3), other.path());
    start();
    browser().setFolder(m_folder.path());
    emit browser().thumbnailMenu()->aboutToShow();
    menuItem("mniThumbsFavsAdd")->trigger();
    menuItem("mniThumbsFavsAdd")->trigger();
    EXPECT_EQ(main().favorites().folders(), QStringList{QDir::cleanPath(m_folder.path())});

    main().favorites().add(other.path());
    const QString gone = folder() + QStringLiteral("gone");
    main().favorites().add(gone);
    emit browser().thumbnailMenu()->aboutToShow();
    QMenu* favourites = browser().thumbnailMenu()->findChild<QMenu*>(QStringLiteral("mniThumbsFavorites"));
    QStringList captions;
    for (QAction* action : favourites->actions())
        captions << action->text();
    ASSERT_EQ(captions.size(), 6);
    EXPECT_EQ(captions[0], QStringLiteral("&Add Current Folder"));
    EXPECT_EQ(captions[1], QStringLiteral("&Organize Favorites..."));

    favourites->actions()[4]->trigger();
    EXPECT_EQ(browser().folder(), QDir::cleanPath(other.path()));
    EXPECT_EQ(browser().thumbnailCount(), 1);
    favourites->actions()[5]->trigger();
    EXPECT_EQ(
        m_messages.texts(),
        QStringList{QStringLiteral("Could not find %1. Folder may have moved or does not exist.").arg(gone)});
    EXPECT_FALSE(main().favorites().folders().contains(gone));
}

TEST_F(ThumbCommandsTest, StartupScansTheRememberedFolderWhenTheBrowserIsAlreadyShown)
{
    writePicture(QStringLiteral("pic.png"), 24, 12);
    TSettingsBatch().writeString(SettingKeys::ThumbDirectory, m_folder.path());
    // With the default settings the browser is shown only after the start-up scan would have run:
    // it comes up pointed at the remembered folder, empty until the user loads it.
    start();
    EXPECT_EQ(browser().folder(), QDir::cleanPath(m_folder.path()));
    EXPECT_EQ(browser().thumbnailCount(), 0);
    // The hook start-up, automation and the options dialog use.
    TStartupHooks hooks = defaultStartupHooks();
    hooks.scanThumbnailFolder(main(), m_folder.path());
    EXPECT_EQ(browser().thumbnailCount(), 1);
}

} // namespace
