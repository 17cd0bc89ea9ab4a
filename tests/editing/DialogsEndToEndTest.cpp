// The editing dialogs inside the real program, started from an empty settings store: every
// path that adds a picture asks its prompts and adds the frame, every dialog edit is undone to
// the same bytes, and the options reach the main window and later documents.
#include "DialogTestSupport.h"
#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"

#include "app/AppFixture.h"
#include "app/Childwin.h"
#include "app/DefaultHooks.h"
#include "app/DialogWiring.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/RecentFiles.h"
#include "editing/LoopExtension.h"
#include "editing/Options.h"
#include "editing/Palette.h"
#include "editing/Prompts.h"
#include "editing/UndoHistory.h"
#include "gif/ColorReduction.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "support/TestSupport.h"
#include "widgets/SwatchGrid.h"
#include "widgets/UpDownEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace {

// A 38 x 32 animation of eight frames on a 256-colour global map, with transparent frames.
QString corpusGif()
{
    return testsupport::localTestData(QStringLiteral("gif/walker.gif"));
}

class DialogsEndToEndTest : public AppFixture
{
public:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }
    void TearDown() override
    {
        stopProgram();
        QApplication::clipboard()->clear();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    // The program as a user starts it: the start-up hooks that matter here are the real ones.
    TfrmMain& main()
    {
        if (!m_program) {
            TProgramOptions options;
            options.hooks = recordingHooks();
            options.hooks.applyPaletteSettings = defaultStartupHooks().applyPaletteSettings;
            options.clock = fastClock();
            m_program = std::make_unique<TProgram>(std::move(options));
            m_program->start();
            QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        }
        return *m_program->mainWindow();
    }
    TDocument* openGif()
    {
        const QString path = m_files.filePath(QStringLiteral("anim.gif"));
        if (!QFileInfo::exists(path)) {
            EXPECT_TRUE(QFile::copy(corpusGif(), path));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
        EXPECT_TRUE(main().session().documents().open(path));
        return main().session().documents().active();
    }
    QString picture(const char* name, QSize size)
    {
        QImage image(size, QImage::Format_RGB888);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixelColor(x, y, QColor((x * 37) % 256, (y * 53) % 256, (x * y) % 256));
        const QString path = m_files.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path));
        return path;
    }
    void trigger(TActionId id)
    {
        QAction* act = main().action(id);
        ASSERT_TRUE(act->isEnabled()) << actionName(id);
        act->trigger();
    }
    int frames() { return main().session().workingImage().images().count(); }
    int historyCount()
    {
        TDocument* doc = main().session().documents().active();
        return doc && doc->history() ? doc->history()->count() : 0;
    }
    void undo(int steps)
    {
        for (int i = 0; i < steps; ++i)
            trigger(TActionId::EditUndo);
    }
    QByteArray bytes() { return undotest::gifBytes(main().session().workingImage()); }
    QStringList forms() const
    {
        QStringList titles;
        for (const TRecordedDialog& entry : m_messages.recorded())
            if (entry.kind == TDialogKind::Form)
                titles << entry.text;
        return titles;
    }
    QStringList boxes() const
    {
        QStringList texts;
        for (const TRecordedDialog& entry : m_messages.recorded())
            if (entry.kind == TDialogKind::MessageBox || entry.kind == TDialogKind::Question)
                texts << entry.text;
        return texts;
    }
    // Answers the palette prompt with OK (and optionally "Make this the &Default").
    void answerPalettes(bool makeDefault = false)
    {
        m_messages.pushForm([makeDefault](QDialog& form) {
            auto& prompt = dynamic_cast<TfrmPrompts&>(form);
            ASSERT_EQ(prompt.page(), TPromptPage::Palettes);
            if (makeDefault)
                prompt.pnlPalettes->chkPaletteDefault->click();
            QTest::keyClick(&prompt, Qt::Key_Return);
        });
    }

    TScriptedMessageService& messages() { return m_messages; }

    QTemporaryDir m_files;
};

TEST_F(DialogsEndToEndTest, AddFrameAsksThePromptsForEachPictureType)
{
    struct Case
    {
        const char* file;
        QSize size;
        bool larger;
        bool trim; // the frame-size prompt's answer
    };
    // The animation is 38 x 32.
    const Case cases[] = {
        {"shot.png", {60, 40}, true, true},
        {"wide.png", {60, 40}, true, false},
        {"photo.jpg", {30, 20}, false, true},
        {"paint.bmp", {38, 32}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TDocument* doc = openGif();
        ASSERT_NE(doc, nullptr);
        const QByteArray before = bytes();
        const int count = frames();
        m_messages.clear();
        m_messages.pushFiles({picture(c.file, c.size)});
        if (c.larger) {
            m_messages.pushForm([trim = c.trim](QDialog& form) {
                auto& prompt = dynamic_cast<TfrmPrompts&>(form);
                ASSERT_EQ(prompt.page(), TPromptPage::FrameSize);
                (trim ? prompt.optTrim : prompt.optChange)->click();
                prompt.btnOK->click();
            });
        }
        answerPalettes();
        trigger(TActionId::FrameAdd);
        EXPECT_EQ(forms(), c.larger ? (QStringList{QStringLiteral("Frame Size Difference"),
                                                   QStringLiteral("Palettes")})
                                    : QStringList{QStringLiteral("Palettes")});
        EXPECT_TRUE(boxes().isEmpty()) << boxes().join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(frames(), count + 1);
        EXPECT_TRUE(doc->isModified());
        EXPECT_EQ(main().session().workingImage().width(), c.trim ? 38 : 60);
        EXPECT_EQ(main().session().workingImage().height(), c.trim ? 32 : 40);
        EXPECT_EQ(main().frameStrip()->columnCount(), count + 1);
        undo(historyCount());
        EXPECT_EQ(frames(), count);
        EXPECT_EQ(bytes(), before);
        doc->setModified(false);
        main().session().documents().remove(doc);
    }
}

TEST_F(DialogsEndToEndTest, CancelledPalettePromptAddsNothing)
{
    TDocument* doc = openGif();
    const QByteArray before = bytes();
    m_messages.pushFiles({picture("shot.png", {20, 20})});
    m_messages.pushForm([](QDialog& form) { QTest::keyClick(&form, Qt::Key_Escape); });
    trigger(TActionId::FrameAdd);
    EXPECT_EQ(forms(), QStringList{QStringLiteral("Palettes")});
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(historyCount(), 0);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(DialogsEndToEndTest, AddFramesOfAGifWithInclude)
{
    TDocument* doc = openGif();
    const QByteArray before = bytes();
    const int count = frames();
    const QString other = m_files.filePath(QStringLiteral("other.gif"));
    ASSERT_TRUE(QFile::copy(corpusGif(), other));
    TGIFImage source;
    source.loadFromFile(other);
    const int added = source.nonEmptyFrameCount();
    ASSERT_GE(added, 2);

    m_messages.pushFiles({other});
    m_messages.pushAnswer(TMsgResult::Yes); // "&Include"
    answerPalettes(true);                   // and "Make this the &Default": asked once only
    trigger(TActionId::FrameAdd);
    EXPECT_EQ(boxes(),
              QStringList{QStringLiteral("Would you like to add this image to the current animation?\n Or, "
                                         "would you like to start it as new animation?")});
    EXPECT_EQ(forms(), QStringList{QStringLiteral("Palettes")});
    EXPECT_EQ(frames(), count + added);
    EXPECT_EQ(Settings::readInteger(SettingKeys::PaletteDefaults), 1);
    undo(historyCount());
    EXPECT_EQ(bytes(), before);
    doc->setModified(false);
}

TEST_F(DialogsEndToEndTest, AddFrameWithNoDocumentOpenStartsAnUntitledOne)
{
    ASSERT_EQ(main().session().documents().count(), 0);
    m_messages.pushFiles({picture("shot.png", {24, 16})});
    answerPalettes();
    trigger(TActionId::FrameAdd);
    ASSERT_EQ(main().session().documents().count(), 1);
    TDocument* doc = main().session().documents().active();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->isUntitled());
    EXPECT_EQ(frames(), 1);
    EXPECT_EQ(main().session().workingImage().width(), 24);
    EXPECT_EQ(forms(), QStringList{QStringLiteral("Palettes")});
    doc->setModified(false);
}

TEST_F(DialogsEndToEndTest, PasteAndDropOfAPictureAskThePalettePrompt)
{
    const std::vector<std::pair<const char*, std::function<void(DialogsEndToEndTest&)>>> paths = {
        {"paste",
         [](DialogsEndToEndTest& t) {
             t.trigger(TActionId::EditPaste);
         }},
        {"drop the view on the strip",
         [](DialogsEndToEndTest& t) {
             TFrameStrip& strip = *t.main().frameStrip();
             QMimeData data;
             data.setData(QString::fromLatin1(TFrameStrip::kViewMime), QByteArray("0"));
             const QPointF pos = strip.cellRect(1).center();
             QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(strip.viewport(), &enter);
             QDragMoveEvent move(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(strip.viewport(), &move);
             QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(strip.viewport(), &drop);
         }},
    };
    // A picture copied in another program: "&Paste" is offered once a frame is selected.
    QImage copied(20, 16, QImage::Format_RGB32);
    copied.fill(QColor(10, 200, 30));
    QApplication::clipboard()->setImage(copied);
    for (const auto& [name, path] : paths) {
        SCOPED_TRACE(name);
        TDocument* doc = openGif();
        const QByteArray before = bytes();
        const int count = frames();
        m_messages.clear();
        answerPalettes();
        path(*this);
        EXPECT_EQ(forms(), QStringList{QStringLiteral("Palettes")});
        ASSERT_EQ(frames(), count + 1);
        undo(historyCount());
        EXPECT_EQ(bytes(), before);
        doc->setModified(false);
        main().session().documents().remove(doc);
    }
}

// Each dialog edit through the window's own command, then "&Undo" back to the same bytes.
TEST_F(DialogsEndToEndTest, EveryDialogEditIsUndoneToTheSameBytes)
{
    struct Case
    {
        const char* name;
        std::function<void(DialogsEndToEndTest&)> edit;
    };
    const Case cases[] = {
        {"global palette",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& palette = dynamic_cast<TfrmPalette&>(form);
                 QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {},
                                   TSwatchGrid::swatchRect(1).center());
                 dialogtest::typeInto(palette.txtRed, QStringLiteral("5"));
                 dialogtest::leave(palette.txtRed, palette.txtGreen);
                 palette.btnOK->click();
             });
             t.trigger(TActionId::AnimationPalette);
         }},
        {"frame transparent colour",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& palette = dynamic_cast<TfrmPalette&>(form);
                 QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {},
                                   TSwatchGrid::swatchRect(3).center());
                 palette.btnOK->click();
             });
             t.trigger(TActionId::FrameTransColor);
         }},
        {"animation transparency",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& palette = dynamic_cast<TfrmPalette&>(form);
                 EXPECT_EQ(palette.frameIndex(), 0);
                 QTest::mouseClick(palette.grdSwatches, Qt::LeftButton, {},
                                   TSwatchGrid::swatchRect(2).center());
                 palette.btnOK->click();
             });
             t.main().framePanels()->btnSelect->click();
         }},
        {"global change",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& prompt = dynamic_cast<TfrmPrompts&>(form);
                 dialogtest::typeInto(prompt.txtDelay, QStringLiteral("70"));
                 prompt.cbDisposal->setCurrentIndex(3);
                 prompt.chkInterlaced->click();
                 prompt.btnOK->click();
             });
             t.trigger(TActionId::FrameGlobalChange);
         }},
        {"resize",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& prompt = dynamic_cast<TfrmPrompts&>(form);
                 EXPECT_EQ(prompt.txtCurrentWidth->text(), QStringLiteral("38"));
                 prompt.chkConstrain->click();
                 dialogtest::typeInto(prompt.txtHeightPercent, QStringLiteral("50"));
                 prompt.btnOK->click();
             });
             t.trigger(TActionId::AnimationResize);
             EXPECT_EQ(t.main().session().workingImage().width(), 19);
             EXPECT_EQ(t.main().session().workingImage().height(), 16);
         }},
        {"loop on the information page",
         [](DialogsEndToEndTest& t) {
             t.messages().pushForm([](QDialog& form) {
                 auto& prompt = dynamic_cast<TfrmPrompts&>(form);
                 prompt.optPlayed->click();
                 dialogtest::typeInto(prompt.txtPlayed, QStringLiteral("3"));
                 QTest::keyClick(prompt.txtPlayed, Qt::Key_Return);
             });
             t.trigger(TActionId::AnimationInfo);
             EXPECT_EQ(getUserLoopCount(t.main().session().workingImage()), 3);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDocument* doc = openGif();
        ASSERT_NE(doc, nullptr);
        const QByteArray before = bytes();
        m_messages.clear();
        c.edit(*this);
        EXPECT_EQ(m_messages.recorded().size(), 1u)
            << m_messages.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(historyCount(), 1);
        EXPECT_NE(bytes(), before) << "the edit changed nothing";
        undo(1);
        EXPECT_EQ(bytes(), before);
        doc->setModified(false);
        main().session().documents().remove(doc);
    }
}

TEST_F(DialogsEndToEndTest, DialogsThatChangeNothingRecordNothing)
{
    TDocument* doc = openGif();
    const QByteArray before = bytes();
    // Global change closed with OK and nothing chosen.
    m_messages.pushForm([](QDialog& form) { dynamic_cast<TfrmPrompts&>(form).btnOK->click(); });
    trigger(TActionId::FrameGlobalChange);
    // A transparent colour outside the frame's map.
    m_messages.pushForm([](QDialog& form) {
        auto& palette = dynamic_cast<TfrmPalette&>(form);
        palette.presetSelection(-1, clWhite);
        palette.btnOK->click();
    });
    trigger(TActionId::FrameTransColor);
    m_messages.pushForm([](QDialog& form) {
        auto& palette = dynamic_cast<TfrmPalette&>(form);
        palette.presetSelection(palette.workingMap()->count(), clWhite);
        palette.btnOK->click();
    });
    main().framePanels()->btnSelect->click();
    // The global palette opened and closed with OK without an edit.
    m_messages.pushForm([](QDialog& form) { dynamic_cast<TfrmPalette&>(form).btnOK->click(); });
    trigger(TActionId::AnimationPalette);
    // Resize with the same size.
    m_messages.pushForm([](QDialog& form) { dynamic_cast<TfrmPrompts&>(form).btnOK->click(); });
    trigger(TActionId::AnimationResize);
    EXPECT_EQ(forms().size(), 5);
    EXPECT_EQ(historyCount(), 0);
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(DialogsEndToEndTest, HtmlCodeAndAboutOpenTheirPages)
{
    openGif();
    m_messages.pushForm([](QDialog& form) {
        auto& prompt = dynamic_cast<TfrmPrompts&>(form);
        EXPECT_EQ(prompt.htmlCode(),
                  QStringLiteral("<img src=\"anim.gif\" height=\"32\" width=\"38\" border=\"0\">"));
        prompt.btnCopy->click();
        prompt.btnOK->click();
    });
    QMenu* tools = main().menu(QStringLiteral("mnuTools"));
    ASSERT_NE(tools, nullptr);
    emit tools->aboutToShow();
    trigger(TActionId::mniHTMLCode);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("<img src=\"anim.gif\" height=\"32\" width=\"38\" border=\"0\">"));
    QStringList opened;
    main().session().setUrlOpener([&opened](const QString& text) {
        opened << text;
        return true;
    });
    m_messages.pushForm([](QDialog& form) {
        auto& about = dynamic_cast<TfrmOptions&>(form);
        EXPECT_EQ(about.mode(), TOptionsMode::About);
        about.btnProducts->click();
        about.btnOK->click();
    });
    trigger(TActionId::mniAbout);
    main().session().setUrlOpener({});
    EXPECT_EQ(opened, QStringList{QString::fromLatin1(TfrmOptions::kProductsPage)});
    EXPECT_EQ(forms(), (QStringList{QStringLiteral("HTML Tag"), QStringLiteral("About GIF Reelwright")}));
}

TEST_F(DialogsEndToEndTest, OptionsReachTheWindowTheWorkingImageAndLaterDocuments)
{
    TDocument* open = openGif();
    ASSERT_EQ(main().session().workingImage().colorReduction(), rmQuantize)
        << "start-up applied the default palette settings";
    QToolButton* button = main().toolbar(0)->findChildren<QToolButton*>().value(0);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->autoRaise()) << "flat toolbars by default";
    open->ensureHistory(); // created with the capacity of its time

    m_messages.pushForm([](QDialog& form) {
        auto& options = dynamic_cast<TfrmOptions&>(form);
        options.chkNormalStyle->click();
        options.txtMaxUndo->setPosition(5);
        options.pnlPalettes->optWebSafe->click();
        options.txtDefaultDelay->setPosition(40);
        options.btnOK->click();
    });
    trigger(TActionId::mniOptions);
    EXPECT_FALSE(button->autoRaise());
    EXPECT_EQ(main().toolbar(0)->height(), 28);
    EXPECT_TRUE(main().state().normalStyle);
    EXPECT_EQ(main().state().defaultDelay, 40);
    EXPECT_EQ(main().session().workingImage().colorReduction(), rmNetscape);

    // The open document keeps its capacity; a new one takes the new "MaxUndo".
    TDocument* doc = main().session().documents().active();
    EXPECT_EQ(doc->ensureHistory().capacity(), 50);
    doc->setModified(false);
    main().session().documents().remove(doc);
    m_messages.clear();
    m_messages.pushFiles({picture("new.png", {10, 10})});
    answerPalettes();
    trigger(TActionId::FrameAdd);
    ASSERT_NE(main().session().documents().active(), nullptr);
    EXPECT_EQ(main().session().documents().active()->ensureHistory().capacity(), 5);
    main().session().documents().active()->setModified(false);
}

TEST_F(DialogsEndToEndTest, StartUpAppliesTheStoredPaletteSettings)
{
    Settings::writeInteger(SettingKeys::PaletteType, 0);
    Settings::writeInteger(SettingKeys::MaxColorCount, 16);
    Settings::writeInteger(SettingKeys::DitherMethod, 1);
    main();
    EXPECT_EQ(main().session().workingImage().colorReduction(), rmQuantize);
    EXPECT_EQ(main().session().workingImage().reductionBits(), 4);
    EXPECT_EQ(main().session().workingImage().ditherMode(), dmFloydSteinberg);
}

} // namespace

namespace {

TEST_F(DialogsEndToEndTest, OrganizeFavoritesReplacesTheListOnlyWhenEdited)
{
    main().favorites().setFolders({QStringLiteral("/pictures/a")});
    m_messages.pushForm([](QDialog& form) { dynamic_cast<TfrmOptions&>(form).btnOK->click(); });
    EXPECT_EQ(organizeFavorites(main()).favoritesEdited, false);
    m_messages.pushForm([](QDialog& form) {
        auto& options = dynamic_cast<TfrmOptions&>(form);
        EXPECT_EQ(options.windowTitle(), QStringLiteral("Organize Favorites"));
        options.btnAddFolder->click();
        options.btnOK->click();
    });
    m_messages.pushFolder(QStringLiteral("/pictures/b"));
    const TOptionsChoice choice = organizeFavorites(main());
    EXPECT_EQ(choice.modalResult, mrOk);
    EXPECT_TRUE(choice.favoritesEdited);
    EXPECT_EQ(main().favorites().folders(),
              (QStringList{QStringLiteral("/pictures/a"), QStringLiteral("/pictures/b")}));
}

TEST_F(DialogsEndToEndTest, WarningsSwitchInsideTheOptionsDialog)
{
    main();
    m_messages.pushForm([this](QDialog& form) {
        m_messages.pushAnswer(TMsgResult::Yes);
        QTest::keyClick(&form, Qt::Key_F7, Qt::ShiftModifier | Qt::AltModifier);
        dynamic_cast<TfrmOptions&>(form).btnCancel->click();
    });
    trigger(TActionId::mniOptions);
    EXPECT_EQ(Settings::readInteger(SettingKeys::Warnings), 1);
    EXPECT_TRUE(main().state().warnings);
}

} // namespace
