// The welcome page, its recent-files page, the tip of the day and the side picture.
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "WizardsTestSupport.h"

#include "gif/GIFImage.h"
#include "platform/ResourceLibrary.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace wiztest;

namespace {

class WelcomeTipsTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_folder.isValid());
    }
    void writeTips(const QByteArray& text)
    {
        QFile file(m_folder.filePath(QStringLiteral("Tips.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    TWizardSetup setup(TWizardMode mode)
    {
        TWizardSetup result;
        result.mode = mode;
        result.programFolder = m_folder.path();
        return result;
    }
    QTemporaryDir m_folder;
    TEditSession m_session;
};

} // namespace

TEST_F(WelcomeTipsTest, TipsWrapCountEmptyLinesAndReportAMissingFile)
{
    writeTips("First tip\n\nThird tip\n");
    runScripted(m_session, m_messages, setup(TWizardMode::Tips), [](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Tip of the Day");
        EXPECT_EQ(wizard.lblTipHeading->text(), "Did you know...");
        EXPECT_TRUE(wizard.lblTip->isVisible());
        EXPECT_TRUE(wizard.btnOK->isVisible());
        EXPECT_FALSE(wizard.btnNext->isVisible());
        const char* shown[] = {"First tip", "", "Third tip", "First tip"};
        for (const char* text : shown) {
            EXPECT_EQ(wizard.lblTip->text(), text);
            press(wizard.btnNextTip);
        }
        press(wizard.btnOK);
    });
    QFile::remove(m_folder.filePath(QStringLiteral("Tips.txt")));
    runScripted(m_session, m_messages, setup(TWizardMode::Tips), [this](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.lblTip->text(),
                  "Could not load tips file! Please make sure Tips.txt is in the application folder of " +
                      m_folder.path() + ".");
        EXPECT_FALSE(wizard.btnNextTip->isEnabled());
        EXPECT_EQ(wizard.lblTip->textFormat(), Qt::PlainText);
    });
    EXPECT_TRUE(m_messages.texts().filter("Tips.txt").isEmpty()) << "reported only inside the panel";
}

TEST_F(WelcomeTipsTest, WelcomePageShowsItsButtonsAndWritesTheSettingOnlyInItsOwnMode)
{
    writeTips("Only tip\n");
    TWizardSetup welcome = setup(TWizardMode::Welcome);
    welcome.recentVisible = false;
    runScripted(m_session, m_messages, welcome, [](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Welcome to GIF Reelwright");
        EXPECT_EQ(wizard.lblHeading->text(), "Welcome to Brightwell GIF Reelwright!");
        EXPECT_FALSE(wizard.btnOK->isVisible());
        EXPECT_FALSE(wizard.btnCancel->isVisible());
        EXPECT_FALSE(wizard.btnRecent->isEnabled());
        EXPECT_EQ(wizard.lblTip->text(), "Only tip");
        EXPECT_FALSE(wizard.chkDontShow->isChecked());
        wizard.chkDontShow->setChecked(true);
        wizard.close();
    });
    EXPECT_EQ(Settings::readInteger(SettingKeys::WelcomeDialog), 1);

    // After "New" the dialog is the animation wizard, and closing it leaves the setting alone.
    const TWizardResult result = runScripted(m_session, m_messages, welcome, [](TfrmWizards& wizard) {
        EXPECT_TRUE(wizard.chkDontShow->isChecked());
        wizard.chkDontShow->setChecked(false);
        press(wizard.btnNew);
        EXPECT_EQ(wizard.mode(), TWizardMode::Animation);
        EXPECT_EQ(wizard.windowTitle(), "Animation Wizard");
        EXPECT_EQ(wizard.page(), 0);
        EXPECT_EQ(wizard.lblHeading->text(), "Animation Dimensions");
        EXPECT_FALSE(wizard.lblTip->isVisible());
        EXPECT_TRUE(wizard.btnNext->isVisible());
        press(wizard.btnCancel);
    });
    EXPECT_EQ(result.mode, TWizardMode::Animation);
    EXPECT_EQ(result.modalResult, mrCancel);
    EXPECT_EQ(Settings::readInteger(SettingKeys::WelcomeDialog), 1);
}

TEST_F(WelcomeTipsTest, OpenAndRecentChoices)
{
    TWizardSetup welcome = setup(TWizardMode::Welcome);
    const TWizardResult open =
        runScripted(m_session, m_messages, welcome, [](TfrmWizards& wizard) { press(wizard.btnOpen); });
    EXPECT_EQ(open.modalResult, mrOk);
    EXPECT_EQ(open.welcomeChoice, 1);

    TGIFImage image;
    makeRichAnimation(image);
    const QString file = m_folder.filePath(QStringLiteral("recent & <b>one.gif"));
    ASSERT_TRUE(writeFile(file, gifBytes(image)));
    welcome.recentVisible = true;
    welcome.recentCaptions = {"&0 " + file, QStringLiteral("&1 /nowhere/two.gif")};
    const TWizardResult recent = runScripted(m_session, m_messages, welcome, [&](TfrmWizards& wizard) {
        EXPECT_TRUE(wizard.btnRecent->isEnabled());
        press(wizard.btnRecent);
        EXPECT_EQ(wizard.windowTitle(), "Recent Files");
        EXPECT_EQ(wizard.lblHeading->text(), "Reopen a previous animation");
        EXPECT_TRUE(wizard.btnOK->isVisible());
        EXPECT_TRUE(wizard.btnCancel->isVisible());
        ASSERT_EQ(wizard.lstRecent->count(), 2);
        EXPECT_EQ(wizard.lstRecent->item(0)->text(), file);
        EXPECT_EQ(wizard.lstRecent->item(1)->text(), "/nowhere/two.gif");
        wizard.lstRecent->setCurrentRow(0);
        EXPECT_EQ(wizard.imgPreview->pixmap().size(), QSize(40, 30));
        press(wizard.btnOK);
    });
    EXPECT_EQ(recent.modalResult, mrOk);
    EXPECT_EQ(recent.welcomeChoice, 2);
    EXPECT_EQ(recent.reopenFile, file);
}

TEST_F(WelcomeTipsTest, SidePictureComesFromTheResourceLibrary)
{
    runScripted(m_session, m_messages, setup(TWizardMode::Optimization), [](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.imgSide->pixmap().size(), QSize(160, 300));
        press(wizard.btnCancel);
    });
    EXPECT_TRUE(m_messages.texts().filter("library").isEmpty());
    TResourceLibrary::setDefaultFolder(m_folder.path());
    runScripted(m_session, m_messages, setup(TWizardMode::Animation), [](TfrmWizards& wizard) {
        EXPECT_TRUE(wizard.imgSide->pixmap().isNull());
        EXPECT_EQ(wizard.lblHeading->text(), "Animation Dimensions") << "the wizard works on";
        press(wizard.btnCancel);
    });
    TResourceLibrary::setDefaultFolder({});
    EXPECT_TRUE(m_messages.texts().contains("Could not load Spoolkit.rcc library file."));
}

TEST_F(WelcomeTipsTest, HelpOpensTheContextOfTheMode)
{
    QStringList opened;
    m_session.setUrlOpener([&opened](const QString& text) {
        opened.append(text);
        return true;
    });
    for (TWizardMode mode : {TWizardMode::Welcome, TWizardMode::Animation, TWizardMode::Optimization})
        runScripted(m_session, m_messages, setup(mode), [](TfrmWizards& wizard) {
            press(wizard.btnHelp);
            wizard.reject();
        });
    m_session.setUrlOpener({});
    ASSERT_EQ(opened.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(opened[i].endsWith(QStringLiteral("help/index.html#context-%1").arg(300 + i)))
            << opened[i].toStdString();
    }
}
