// The main window as a new user meets it, from a fresh settings store: keys that work, pictures
// on every button, thumbnails that show transparency as the document view does, titles that name
// the document, tool windows that stay in sight, help that opens, and dialogs that start in the
// right place.
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "AppFixture.h"

#include "app/Childwin.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/MainActions.h"
#include "editing/FrameInsertion.h"
#include "editing/float.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"
#include "platform/MessageService.h"
#include "support/TestSupport.h"
#include "wizards/ThumbViewer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QDialog>
#include <QTest>
#include <QWindow>

#include <cstring>
#include <map>

namespace {

class MainWindowFirstUseTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }
    void TearDown() override
    {
        stopProgram();
        main().session().setUrlOpener({});
        AppFixture::TearDown();
    }

    TfrmMain& main() { return m_program ? *m_program->mainWindow() : *startProgram().mainWindow(); }

    // One 4×3 frame per entry; each frame's pixels are index 1 of a two-colour map whose first
    // colour is navy; a transparent frame makes index 1 its transparent colour.
    QString makeGif(const QString& name, const std::vector<bool>& transparentFrames)
    {
        TGIFImage image;
        image.setWidth(4);
        image.setHeight(3);
        for (bool transparent : transparentFrames) {
            auto* frame = new TGIFSubImage(&image);
            frame->setBounds(0, 0, 4, 3);
            frame->colorMap().add(rgbColor(0, 0, 128));
            frame->colorMap().add(rgbColor(0, 0, 128));
            for (int y = 0; y < 3; ++y)
                std::memset(frame->scanLine(y), 1, 4);
            ensureFrameTiming(*frame, 10);
            if (transparent) {
                frame->graphicControlExtension()->setTransparent(true);
                frame->graphicControlExtension()->setTransparentColorIndex(1);
            }
            image.images().add(frame);
        }
        TMemoryStream stream;
        image.saveToStream(stream);
        const QString path = m_files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stream.data());
        return path;
    }

    // The colour at the centre of a strip column's thumbnail, as the user sees it.
    QRgb thumbnailCentre(int column)
    {
        TFrameStrip* strip = main().frameStrip();
        const QImage shot = strip->viewport()->grab().toImage();
        return shot.pixel(strip->cellRect(column).center()) | 0xFF000000u;
    }

    QTemporaryDir m_files;
};

TEST_F(MainWindowFirstUseTest, EveryShortcutIsUniqueWithinItsWindow)
{
    // Qt refuses a key that two active actions of one window share ("Ambiguous shortcut
    // overload") and nothing happens for the user.
    std::map<std::pair<QWidget*, QString>, QStringList> owners;
    for (QAction* act : main().findChildren<QAction*>()) {
        for (const QKeySequence& key : act->shortcuts()) {
            QWidget* window = &main();
            for (QObject* object : act->associatedObjects())
                if (auto* widget = qobject_cast<QWidget*>(object))
                    window = widget->window();
            owners[{window, key.toString()}] << act->objectName();
        }
    }
    ASSERT_FALSE(owners.empty());
    for (const auto& [key, names] : owners)
        EXPECT_EQ(names.size(), 1) << key.second.toStdString() << ": " << names.join(u' ').toStdString();
    EXPECT_EQ(main().action(TActionId::FileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
}

TEST_F(MainWindowFirstUseTest, EveryCommandPictureComesFromTheIconSet)
{
    for (const TActionSpec& spec : mainActionTable()) {
        if (spec.imageIndex == imgNone)
            continue;
        const QIcon icon = mainImage(spec.imageIndex);
        EXPECT_FALSE(icon.isNull()) << actionName(spec.id);
        // Drawn crisp at both scales: the pixmap is rendered, not an empty placeholder.
        for (int size : {16, 32}) {
            const QImage picture = icon.pixmap(size, size).toImage();
            ASSERT_FALSE(picture.isNull()) << actionName(spec.id);
            int opaque = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    opaque += qAlpha(picture.pixel(x, y)) > 0;
            EXPECT_GT(opaque, size * size / 20) << actionName(spec.id) << " at " << size;
        }
    }
    EXPECT_FALSE(mainImage(imgFrameDelay).isNull());
    EXPECT_FALSE(mainImage(imgModified).isNull());
}

TEST_F(MainWindowFirstUseTest, StripShowsTransparentPixelsAsTheDocumentViewDoes)
{
    // Frame 0 is transparent everywhere, frame 1 is the same navy without transparency.
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("see-through.gif"), {true, false})));
    QApplication::processEvents();
    EXPECT_EQ(thumbnailCentre(0), qRgb(255, 255, 255)) << "the frame background of a fresh store";
    EXPECT_EQ(thumbnailCentre(1), qRgb(0, 0, 128));
}

TEST_F(MainWindowFirstUseTest, TitleNamesTheActiveDocumentAndItsModifiedMark)
{
    const QString title = QStringLiteral("Brightwell GIF Reelwright 5.0");
    EXPECT_EQ(main().windowTitle(), title);
    const QString path = makeGif(QStringLiteral("named.gif"), {false, false});
    ASSERT_TRUE(main().session().documents().open(path));
    TDocument* doc = main().session().documents().active();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(main().windowTitle(), title + QStringLiteral(" - [named.gif][*]"));
    EXPECT_FALSE(main().isWindowModified());
    // A small document window shows the file name; the path stays in the tab's hover text.
    EXPECT_EQ(main().viewOf(doc)->windowTitle(), QStringLiteral("named.gif"));

    doc->setModified(true);
    EXPECT_TRUE(main().isWindowModified());
    m_messages.pushAnswer(TMsgResult::No); // "save changes?" - no
    main().action(TActionId::FileCloseAll)->trigger();
    EXPECT_EQ(main().windowTitle(), title);
    EXPECT_FALSE(main().isWindowModified());
}

TEST_F(MainWindowFirstUseTest, ToolWindowsStayAboveTheMainWindowAndOnTheScreen)
{
    TfrmMain& window = main();
    for (QWidget* tool : {static_cast<QWidget*>(m_program->browser()), static_cast<QWidget*>(m_program->inspector())}) {
        ASSERT_NE(tool->windowHandle(), nullptr) << tool->objectName().toStdString();
        EXPECT_EQ(tool->windowHandle()->transientParent(), window.windowHandle()) << tool->objectName().toStdString();
        EXPECT_TRUE(tool->windowFlags() & Qt::Tool);
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(available.contains(tool->frameGeometry())) << tool->objectName().toStdString();
    }
}

TEST_F(MainWindowFirstUseTest, StoredPositionsOffTheScreenAreBroughtBack)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    Settings::writeInteger(SettingKeys::ThumbTop, available.bottom() - 20);
    Settings::writeInteger(SettingKeys::ThumbLeft, available.right() + 500);
    Settings::writeInteger(SettingKeys::ThumbVisible, 1);
    Settings::writeInteger(SettingKeys::InspectorLeft, -4000);
    Settings::writeInteger(SettingKeys::InspectorTop, available.bottom() + 300);
    main();
    EXPECT_TRUE(available.contains(m_program->browser()->frameGeometry()));
    EXPECT_TRUE(available.contains(m_program->inspector()->frameGeometry()));
}

TEST_F(MainWindowFirstUseTest, ToolWindowsAreCheckedAgainOnceTheWindowManagerHasFramedThem)
{
    // A window manager frames a shown window a little later and may push it past the screen's
    // edge; the tool windows are placed again then.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    main();
    TfrmThumbWin& browser = *m_program->browser();
    browser.show();
    browser.move(available.left(), available.bottom() - 10);
    ASSERT_FALSE(available.contains(browser.frameGeometry()));
    browser.hide();
    browser.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return available.contains(browser.frameGeometry()); }, 3000));
}

TEST_F(MainWindowFirstUseTest, ToolWindowsComeBackAsTheyWereWhenTheProgramClosed)
{
    TfrmMain& window = main();
    window.action(TActionId::ThumbView)->setChecked(true);
    window.action(TActionId::ThumbView)->triggered(true);
    ASSERT_TRUE(m_program->browser()->isVisible());
    ASSERT_TRUE(m_program->inspector()->isVisible());
    // Closing the program closes every window; the tool windows hear a close as well.
    window.close();
    m_program->browser()->close();
    m_program->inspector()->close();
    stopProgram();
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbVisible), 1);
    EXPECT_EQ(Settings::readInteger(SettingKeys::InspectorVisible), 1);

    startProgram();
    EXPECT_TRUE(m_program->browser()->isVisible());
    EXPECT_TRUE(m_program->inspector()->isVisible());
}

TEST_F(MainWindowFirstUseTest, HelpOpensTheInstalledPageAndNamesWhatItTriedWhenNothingCan)
{
    QStringList tried;
    main().session().setUrlOpener([&](const QString& text) {
        tried << text;
        return false; // a desktop without a browser
    });
    main().action(TActionId::HelpContents)->trigger();
    ASSERT_EQ(tried.size(), 1);
    const QUrl page(tried.first());
    EXPECT_TRUE(page.isLocalFile());
    EXPECT_TRUE(QFileInfo::exists(page.toLocalFile())) << page.toLocalFile().toStdString();
    ASSERT_EQ(m_messages.texts().size(), 1);
    EXPECT_TRUE(m_messages.texts().first().startsWith(QStringLiteral("Could not load the client.")));
    EXPECT_TRUE(m_messages.texts().first().contains(tried.first()));

    main().action(TActionId::mniSupport)->trigger();
    ASSERT_EQ(tried.size(), 2);
    EXPECT_TRUE(tried.last().endsWith(QStringLiteral("help/")));
    EXPECT_TRUE(m_messages.texts().last().contains(tried.last()));
}

TEST_F(MainWindowFirstUseTest, SaveAsStartsInTheFolderOfTheDocument)
{
    QTemporaryDir first, second;
    const QString a = QDir(first.path()).filePath(QStringLiteral("a.gif"));
    const QString b = QDir(second.path()).filePath(QStringLiteral("b.gif"));
    QFile::copy(makeGif(QStringLiteral("a.gif"), {false}), a);
    QFile::copy(makeGif(QStringLiteral("b.gif"), {false}), b);
    ASSERT_TRUE(main().session().documents().open(a));
    ASSERT_TRUE(main().session().documents().open(b));
    main().action(TActionId::FileSaveAs)->trigger(); // the scripted dialog answers Cancel
    ASSERT_FALSE(m_messages.recorded().empty());
    EXPECT_EQ(QDir(m_messages.recorded().back().request.initialDir), QDir(second.path()));
}

TEST_F(MainWindowFirstUseTest, RightClickSelectsTheFrameBeforeThePopUp)
{
    ASSERT_TRUE(main().session().documents().open(makeGif(QStringLiteral("three.gif"), {false, false, false})));
    TFrameStrip* strip = main().frameStrip();
    strip->resize(800, strip->height());
    ASSERT_EQ(main().session().currentFrame(), 0);
    const QPoint at = strip->cellRect(2).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, strip->viewport()->mapToGlobal(at));
    QApplication::sendEvent(strip->viewport(), &click);
    EXPECT_EQ(main().session().currentFrame(), 2);
    for (QMenu* popup : main().findChildren<QMenu*>())
        popup->hide();
}

} // namespace

namespace {

// Left, top, size and the colour of every pixel (transparent ones as such): what a cut and
// paste must carry over. The indexes may differ, as the pasted picture is mapped again.
QStringList frameContent(TGIFSubImage& frame)
{
    QStringList content{QStringLiteral("%1,%2 %3x%4").arg(frame.left()).arg(frame.top()).arg(frame.width()).arg(frame.height())};
    for (int y = 0; y < frame.height(); ++y) {
        QString row;
        for (int x = 0; x < frame.width(); ++x) {
            const int index = frame.scanLine(y)[x];
            row += index == frame.transparentIndex() ? QStringLiteral(" ------")
                                                     : QStringLiteral(" %1").arg(frame.activeColorMap().color(index), 6, 16, QLatin1Char('0'));
        }
        content << row;
    }
    return content;
}

TEST_F(MainWindowFirstUseTest, CutThenPasteInsertsTheFrameThatWasCut)
{
    // From a fresh settings store, as a new user: Ctrl+X on frame 2, then Ctrl+V on frame 1.
    const QString path = m_files.filePath(QStringLiteral("walker.gif"));
    ASSERT_TRUE(QFile::copy(testsupport::localTestData(QStringLiteral("gif/walker.gif")), path));
    ASSERT_TRUE(main().session().documents().open(path));
    TGIFImage& image = main().session().workingImage();
    const int count = image.images().count();
    ASSERT_GT(count, 2);
    const QStringList cut = frameContent(*image.images().subImage(1));

    ASSERT_TRUE(main().session().view().selectFrame(1));
    main().action(TActionId::EditCut)->trigger();
    ASSERT_EQ(image.images().count(), count - 1);
    EXPECT_TRUE(main().action(TActionId::EditPaste)->isEnabled());

    ASSERT_TRUE(main().session().view().selectFrame(0));
    // A fresh settings store asks how to map the picture's colours; the user takes the default.
    m_messages.pushForm([](QDialog& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Palettes"));
        QTest::keyClick(&form, Qt::Key_Return);
    });
    main().action(TActionId::EditPaste)->trigger();
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Palettes")});
    ASSERT_EQ(image.images().count(), count);
    EXPECT_EQ(frameContent(*image.images().subImage(1)), cut);
    EXPECT_EQ(main().session().view().frameColumnCount(), count);
}

} // namespace
