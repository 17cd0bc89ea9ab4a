// The wizards inside the real main window, from a fresh settings store with every dialog
// answered through the scripted service: "&New" to a saved file that gifsicle and ImageMagick
// read, the optimization wizard's replace (one undo record that restores the exact animation) and
// new-document finishes, the save dialog's "Optimi&ze" button, and the welcome page at start-up.
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "WizardsTestSupport.h"

#include "app/Childwin.h"
#include "app/Main.h"
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

using namespace wiztest;

namespace {

class WizardWiringTest : public AppFixture
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
        AppFixture::TearDown();
    }
    TfrmMain& main() { return m_program ? *m_program->mainWindow() : *startProgram().mainWindow(); }
    void trigger(TActionId id) { main().action(id)->trigger(); }
    QString png(const QString& name, int seed)
    {
        return writePng(m_files.path(), name, blockPicture(48, 32, seed));
    }
    QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The animation wizard of "&New" with the given pictures, finished with the default answers
    // except the loop choice.
    void scriptNewAnimation(const QStringList& pictures, int playTimes = 0)
    {
        pushWizardScript(m_messages, [this, pictures, playTimes](TfrmWizards& wizard) {
            press(wizard.btnNext);
            press(wizard.btnNext);
            if (playTimes > 0) {
                wizard.optPlayCount->setChecked(true);
                wizard.txtPlayCount->setText(QString::number(playTimes));
            }
            press(wizard.btnNext);
            m_messages.pushFiles(pictures);
            press(wizard.btnAddImage);
            press(wizard.btnNext);
            press(wizard.btnNext);
        });
    }
    // Leaves the optimization wizard with the finish option given (or as offered) and Finish.
    void scriptOptimization(std::optional<bool> replace, std::function<void(TfrmWizards&)> check = {})
    {
        pushWizardScript(m_messages, [replace, check](TfrmWizards& wizard) {
            if (check)
                check(wizard);
            if (replace)
                (*replace ? wizard.optReplace : wizard.optCreateNew)->setChecked(true);
            for (int i = 0; i < 4; ++i)
                press(wizard.btnNext);
        });
    }
    QString richFile(const QString& name)
    {
        TGIFImage image;
        makeRichAnimation(image);
        normalizeForWriting(image, TNormalizeMode::FinalSave);
        const QString path = m_files.filePath(name);
        EXPECT_TRUE(writeFile(path, gifBytes(image)));
        return path;
    }

    QTemporaryDir m_files;
};

} // namespace

TEST_F(WizardWiringTest, NewBuildsADocumentThatPeersReadWithFramesDelaysAndLoops)
{
    struct Row
    {
        int playTimes;
        const char* gifsicleLoop;
        const char* iterations; // ImageMagick counts plays: a stored count n plays n + 1 times
    };
    for (const Row& row :
         {Row{0, "loop forever", "Iterations: 0"}, Row{3, "loop count 2", "Iterations: 3"}}) {
        SCOPED_TRACE(row.playTimes);
        stopProgram();
        scriptNewAnimation({png("one.png", 0), png("two.png", 1), png("three.png", 2)}, row.playTimes);
        trigger(TActionId::FileNew);
        ASSERT_EQ(main().session().documents().count(), 1);
        TDocument* doc = main().session().documents().active();
        ASSERT_NE(doc, nullptr);
        EXPECT_TRUE(doc->isUntitled());
        EXPECT_TRUE(doc->isModified());
        EXPECT_EQ(main().session().view().frameColumnCount(), 3);
        EXPECT_TRUE(main().action(TActionId::FileSaveAs)->isEnabled()) << "document commands are on";

        const QString out = m_files.filePath(QStringLiteral("made-%1.gif").arg(row.playTimes));
        m_messages.pushFiles({out});
        trigger(TActionId::FileSaveAs);
        ASSERT_TRUE(QFileInfo::exists(out));

        const QString info = runTool(QStringLiteral("gifsicle"), {QStringLiteral("--info"), out});
        ASSERT_FALSE(info.isEmpty()) << "gifsicle did not run";
        EXPECT_TRUE(info.contains(QStringLiteral("3 images"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QString::fromLatin1(row.gifsicleLoop))) << info.toStdString();
        EXPECT_EQ(info.count(QStringLiteral("delay 1.00s")), 3) << info.toStdString();

        const QString verbose = runTool(QStringLiteral("identify"), {QStringLiteral("-verbose"), out});
        ASSERT_FALSE(verbose.isEmpty()) << "identify did not run";
        EXPECT_EQ(
            verbose.count(QRegularExpression(QStringLiteral("^Image:"), QRegularExpression::MultilineOption)),
            3);
        EXPECT_EQ(verbose.count(QStringLiteral("Delay: 100x100")), 3);
        EXPECT_TRUE(verbose.contains(QString::fromLatin1(row.iterations))) << verbose.toStdString();
        const QString frames =
            runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h\n"), out});
        EXPECT_EQ(frames, QStringLiteral("48 32\n48 32\n48 32\n"));
    }
}

TEST_F(WizardWiringTest, CancelledNewChangesNothing)
{
    pushWizardScript(m_messages, [](TfrmWizards& wizard) { press(wizard.btnCancel); });
    trigger(TActionId::FileNew);
    EXPECT_EQ(main().session().documents().count(), 0);
    EXPECT_FALSE(main().action(TActionId::FileSaveAs)->isEnabled());
}

TEST_F(WizardWiringTest, ReplaceThenUndoRestoresTheExactAnimation)
{
    const QString path = richFile(QStringLiteral("rich.gif"));
    ASSERT_TRUE(main().session().documents().open(path));
    QByteArray before;
    scriptOptimization(true, [this, &before](TfrmWizards&) { before = gifBytes(main().session().workingImage()); });
    trigger(TActionId::AnimationOptimize);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(main().session().documents().count(), 1);
    TDocument* doc = main().session().documents().active();
    EXPECT_TRUE(doc->isModified());
    const QByteArray after = gifBytes(main().session().workingImage());
    EXPECT_LT(after.size(), before.size());
    EXPECT_EQ(shownByImageMagick(after), shownByImageMagick(before));
    EXPECT_EQ(main().action(TActionId::EditUndo)->text(), "&Undo GIF Optimization");
    EXPECT_EQ(main().session().view().frameColumnCount(), main().session().workingImage().nonEmptyFrameCount());

    trigger(TActionId::EditUndo);
    EXPECT_EQ(gifBytes(main().session().workingImage()), before) << "local palettes, comments and all";
    EXPECT_EQ(main().session().view().frameColumnCount(), 3);
}

TEST_F(WizardWiringTest, NewDocumentFinishLeavesTheFirstDocumentAlone)
{
    const QString path = richFile(QStringLiteral("first.gif"));
    const QByteArray onDisk = fileBytes(path);
    ASSERT_TRUE(main().session().documents().open(path));
    TDocument* first = main().session().documents().active();
    const std::vector<TShown> shown = shownByImageMagick(onDisk);
    scriptOptimization(std::nullopt,
                       [](TfrmWizards& wizard) { EXPECT_TRUE(wizard.optCreateNew->isChecked()); });
    trigger(TActionId::AnimationOptimize);
    ASSERT_EQ(main().session().documents().count(), 2);
    TDocument* second = main().session().documents().active();
    ASSERT_NE(second, first);
    EXPECT_TRUE(second->isUntitled());
    EXPECT_TRUE(second->isModified());
    EXPECT_EQ(shownByImageMagick(gifBytes(main().session().workingImage())), shown);
    EXPECT_FALSE(first->isModified());
    EXPECT_EQ(fileBytes(path), onDisk);

    main().session().documents().activate(first);
    TGIFImage reread;
    ASSERT_TRUE(loadGIFFile(reread, path));
    EXPECT_EQ(gifBytes(main().session().workingImage()), gifBytes(reread));
    EXPECT_FALSE(first->isModified());
}

TEST_F(WizardWiringTest, SaveAsOptimizeSavesTheOptimisedNewDocument)
{
    const QString path = richFile(QStringLiteral("source.gif"));
    const QByteArray onDisk = fileBytes(path);
    ASSERT_TRUE(main().session().documents().open(path));
    TDocument* first = main().session().documents().active();
    const QString out = m_files.filePath(QStringLiteral("optimised.gif"));
    m_messages.pushExtraButtonPresses(2); // the second press finds the button disabled
    scriptOptimization(std::nullopt, [](TfrmWizards& wizard) {
        EXPECT_FALSE(wizard.optReplace->isVisible());
        EXPECT_TRUE(wizard.optCreateNew->isChecked());
    });
    m_messages.pushFiles({out});
    trigger(TActionId::FileSaveAs);

    const auto& recorded = m_messages.recorded();
    const auto save = std::find_if(recorded.begin(), recorded.end(),
                                   [](const TRecordedDialog& d) { return d.kind == TDialogKind::SaveFile; });
    ASSERT_NE(save, recorded.end());
    EXPECT_EQ(save->request.extraButtonCaption, "Optimi&ze");
    EXPECT_TRUE(save->extraButtonDisabled);
    EXPECT_EQ(std::count_if(recorded.begin(), recorded.end(),
                            [](const TRecordedDialog& d) { return d.kind == TDialogKind::Form; }),
              1);

    ASSERT_EQ(main().session().documents().count(), 2);
    TDocument* second = main().session().documents().active();
    EXPECT_EQ(QFileInfo(second->fileName()).fileName(), "optimised.gif");
    EXPECT_FALSE(second->isModified());
    EXPECT_EQ(first->fileName(), QFileInfo(path).absoluteFilePath()) << "the first document keeps its name";
    EXPECT_EQ(fileBytes(path), onDisk);
    EXPECT_LT(fileBytes(out).size(), onDisk.size());
    EXPECT_EQ(shownByImageMagick(fileBytes(out)), shownByImageMagick(onDisk));
}

// Sound behaviour: after "Optimi&ze" the save goes on with the document the wizard worked on;
// selecting the last tab (another document) would save that one's animation under this name.
TEST_F(WizardWiringTest, SaveOptimizeReplacesBeforeWriting)
{
    for (const bool anotherAfterIt : {false, true}) {
        SCOPED_TRACE(anotherAfterIt);
        stopProgram();
        m_messages.clear();
        // An untitled copy of a rich animation (the wizard with every box cleared), so that Save
        // asks for a name.
        ASSERT_TRUE(main().session().documents().open(richFile(QStringLiteral("rich.gif"))));
        pushWizardScript(m_messages, [](TfrmWizards& wizard) {
            press(wizard.btnNext);
            for (QCheckBox* box : {wizard.chkOptimizePalettes, wizard.chkRemoveLocal, wizard.chkSortPalettes})
                box->setChecked(false);
            press(wizard.btnNext);
            for (QCheckBox* box : {wizard.chkTrim, wizard.chkDuplicates, wizard.chkNonVisible})
                box->setChecked(false);
            press(wizard.btnNext);
            press(wizard.btnNext);
        });
        trigger(TActionId::AnimationOptimize);
        ASSERT_EQ(main().session().documents().count(), 2);
        TDocument* untitled = main().session().documents().active();
        ASSERT_TRUE(untitled->isUntitled());
        const QByteArray copy = gifBytes(main().session().workingImage());
        const QString other = m_files.filePath(QStringLiteral("other.gif"));
        if (anotherAfterIt) {
            scriptNewAnimation({png("x.png", 5)});
            trigger(TActionId::FileNew);
            m_messages.pushFiles({other});
            trigger(TActionId::FileSaveAs);
            ASSERT_TRUE(QFileInfo::exists(other));
            main().session().documents().activate(untitled);
        }
        const QByteArray otherBefore = fileBytes(other);

        m_messages.pushExtraButtonPresses(1);
        scriptOptimization(std::nullopt, [](TfrmWizards& wizard) {
            EXPECT_FALSE(wizard.optCreateNew->isVisible());
            EXPECT_TRUE(wizard.optReplace->isChecked());
        });
        const QString out = m_files.filePath(QStringLiteral("saved.gif"));
        m_messages.pushFiles({out});
        trigger(TActionId::FileSave);
        EXPECT_EQ(main().session().documents().active(), untitled);
        EXPECT_EQ(QFileInfo(untitled->fileName()).fileName(), "saved.gif");
        const QByteArray saved = fileBytes(out);
        ASSERT_FALSE(saved.isEmpty());
        EXPECT_LT(saved.size(), copy.size()) << "the optimised animation was written";
        EXPECT_EQ(shownByImageMagick(saved), shownByImageMagick(copy));
        EXPECT_EQ(fileBytes(other), otherBefore);
        QFile::remove(out);
        QFile::remove(other);
    }
}

TEST_F(WizardWiringTest, WelcomePageAtStartUpLeadsToANewAnimation)
{
    const QString picture = png("w.png", 3);
    pushWizardScript(m_messages, [this, picture](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.mode(), TWizardMode::Welcome);
        press(wizard.btnNew);
        for (int i = 0; i < 3; ++i)
            press(wizard.btnNext);
        m_messages.pushFiles({picture});
        press(wizard.btnAddImage);
        press(wizard.btnNext);
        press(wizard.btnNext);
    });
    TProgramOptions options;
    options.hooks = recordingHooks();
    options.hooks.showWelcomeDialog = defaultStartupHooks().showWelcomeDialog;
    options.clock = fastClock();
    m_program = std::make_unique<TProgram>(std::move(options));
    m_program->start();
    QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
    EXPECT_EQ(main().session().documents().count(), 1);
    EXPECT_EQ(main().session().workingImage().images().count(), 1);
    EXPECT_TRUE(main().action(TActionId::FileSaveAs)->isEnabled());
    EXPECT_EQ(Settings::readInteger(SettingKeys::WelcomeDialog), 0) << "not written after leaving the page";

    // The Help menu's entry shows the same page; "Open" runs the open dialog.
    pushWizardScript(m_messages, [](TfrmWizards& wizard) {
        wizard.chkDontShow->setChecked(true);
        press(wizard.btnOpen);
    });
    m_messages.clear();
    pushWizardScript(m_messages, [](TfrmWizards& wizard) {
        wizard.chkDontShow->setChecked(true);
        press(wizard.btnOpen);
    });
    trigger(TActionId::mniWelcome);
    EXPECT_EQ(Settings::readInteger(SettingKeys::WelcomeDialog), 1);
    ASSERT_GE(m_messages.recorded().size(), 2u);
    EXPECT_EQ(m_messages.recorded().at(1).kind, TDialogKind::OpenFile);
}

TEST_F(WizardWiringTest, TipOfTheDayFromTheHelpMenu)
{
    pushWizardScript(m_messages, [](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.mode(), TWizardMode::Tips);
        EXPECT_FALSE(wizard.lblTip->text().isEmpty()) << "Tips.txt beside the program";
        press(wizard.btnOK);
    });
    trigger(TActionId::mniTips);
    EXPECT_EQ(m_messages.recorded().size(), 1u);
}
