// Start-up and shut-down through the real windows: the order of the steps, the settings they read
// and write, and the edge cases of a first start, a broken store and a missing resource library.
#include "AppFixture.h"

#include "editing/DocumentManager.h"
#include "editing/EditSession.h"

#include "app/Splash.h"
#include "editing/float.h"
#include "platform/ResourceLibrary.h"
#include "wizards/ThumbViewer.h"

#include "app/FrameStrip.h"
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMovie>
#include <QScreen>

namespace {

using namespace SettingKeys;

class StartupTest : public AppFixture
{
};

TEST_F(StartupTest, FirstStartWithoutSettingsUsesDesignValuesAndRunsEveryStep)
{
    TProgram& program = startProgram();
    TfrmMain* main = program.mainWindow();

    EXPECT_EQ(main->windowTitle(), QStringLiteral("Brightwell GIF Reelwright 5.0"));
    EXPECT_FALSE(main->isMaximized());
    EXPECT_EQ(main->pos(), QPoint(TfrmMain::kDesignLeft, TfrmMain::kDesignTop));
    EXPECT_EQ(main->size(), QSize(TfrmMain::kDesignWidth, TfrmMain::kDesignHeight));

    TfrmFloat* inspector = program.inspector();
    EXPECT_TRUE(inspector->isVisible());
    // The design place, moved inside the screen where it would stick out (the offscreen screen
    // is smaller than the design assumes).
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(available.contains(inspector->frameGeometry()));
    EXPECT_GE(inspector->x(), main->x() + main->width() / 2); // still at the main window's right
    EXPECT_EQ(inspector->size(), QSize(220, 430));
    EXPECT_TRUE(main->action(TActionId::mniFrameInspector)->isChecked());

    EXPECT_EQ(main->state().frameSize, 160);
    EXPECT_EQ(main->frameStrip()->rowHeight(), 222);
    EXPECT_EQ(main->frameStrip()->columnWidth(), 198);
    EXPECT_TRUE(main->findAction(QStringLiteral("mniFrameSize160"))->isChecked());
    EXPECT_EQ(main->state().defaultDelay, 100);
    EXPECT_EQ(main->session().documents().untitledCounter(), 1);

    // The logo animation shows, in a white workspace.
    ASSERT_TRUE(main->logoPanel()->isVisible());
    ASSERT_NE(main->logoPanel()->movie(), nullptr);
    EXPECT_GT(main->logoPanel()->movie()->frameCount(), 1);

    // The browser was hidden when AutoLoadStartUp was looked at: no scan, then it is shown.
    EXPECT_TRUE(program.browser()->isVisible());
    EXPECT_TRUE(main->action(TActionId::ThumbView)->isChecked());
    EXPECT_TRUE(main->state().thumbDirectory.endsWith(QStringLiteral("/Images")));
    EXPECT_EQ(program.browser()->folder(), main->state().thumbDirectory);

    const std::vector<std::string> expected{"palette", "automation", "plugins", "welcome"};
    EXPECT_EQ(m_log, expected);
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_GE(program.splashShownFor(), TfrmSplash::kMinimumShowMs);
}

TEST_F(StartupTest, CommandLineFileIsOpenedByTypeBeforeTheAutomationObjectIsMade)
{
    startProgram({QStringLiteral("/pics/a.gif"), QStringLiteral("/pics/ignored.gif")});
    ASSERT_GE(m_log.size(), 3u);
    EXPECT_EQ(m_log[1], "open /pics/a.gif");
    EXPECT_EQ(m_log[2], "automation");
    EXPECT_FALSE(logged("open /pics/ignored.gif"));
}

TEST_F(StartupTest, WindowStateTextDecidesBetweenSavedBoundsAndMaximised)
{
    const struct
    {
        const char* state;
        bool maximised;
    } cases[] = {
        {"Normal", false}, {"Maximized", true}, {"Minimized", true}, {"normal", true}, {nullptr, false}};
    for (const auto& c : cases) {
        {
            TSettingsBatch s;
            s.deleteSection(QStringLiteral("FormPos"));
            if (c.state)
                s.writeString(MainWindowState, QString::fromLatin1(c.state));
            s.writeInteger(MainTop, 33);
            s.writeInteger(MainLeft, 44);
            s.writeInteger(MainHeight, 500);
            s.writeInteger(MainWidth, 700);
        }
        TfrmMain* main = startProgram().mainWindow();
        EXPECT_EQ(main->isMaximized(), c.maximised) << (c.state ? c.state : "(none)");
        if (c.state && !c.maximised) {
            EXPECT_EQ(main->pos(), QPoint(44, 33));
            EXPECT_EQ(main->size(), QSize(700, 500));
        }
        if (!c.state) { // bounds without a state still count as "Normal" by default
            EXPECT_EQ(main->size(), QSize(700, 500));
        }
        stopProgram();
    }
}

TEST_F(StartupTest, ShutDownWritesBoundsOnlyForANormalWindow)
{
    enum class How
    {
        Normal,
        Maximised,
        Minimised
    };
    for (How how : {How::Normal, How::Maximised, How::Minimised}) {
        {
            TSettingsBatch s;
            s.writeString(MainWindowState, QStringLiteral("Normal"));
            s.writeInteger(MainTop, 11);
            s.writeInteger(MainLeft, 12);
            s.writeInteger(MainHeight, 613);
            s.writeInteger(MainWidth, 814);
        }
        TfrmMain* main = startProgram().mainWindow();
        if (how == How::Normal) {
            main->move(70, 80);
            main->resize(900, 640);
        } else if (how == How::Maximised) {
            main->showMaximized();
        } else {
            main->showMinimized();
        }
        stopProgram();
        TSettingsBatch s;
        switch (how) {
        case How::Normal:
            EXPECT_EQ(s.readString(MainWindowState), QStringLiteral("Normal"));
            EXPECT_EQ(s.readInteger(MainTop, 0), 80);
            EXPECT_EQ(s.readInteger(MainLeft, 0), 70);
            EXPECT_EQ(s.readInteger(MainHeight, 0), 640);
            EXPECT_EQ(s.readInteger(MainWidth, 0), 900);
            break;
        case How::Maximised:
            EXPECT_EQ(s.readString(MainWindowState), QStringLiteral("Maximized"));
            EXPECT_EQ(s.readInteger(MainTop, 0), 11);
            EXPECT_EQ(s.readInteger(MainWidth, 0), 814);
            break;
        case How::Minimised:
            EXPECT_EQ(s.readString(MainWindowState), QStringLiteral("Normal"));
            EXPECT_EQ(s.readInteger(MainTop, 0), 11);
            EXPECT_EQ(s.readInteger(MainLeft, 0), 12);
            EXPECT_EQ(s.readInteger(MainHeight, 0), 613);
            EXPECT_EQ(s.readInteger(MainWidth, 0), 814);
            break;
        }
    }
}

TEST_F(StartupTest, FrameSizeSettingSetsTheStripCellsAndTheMenuCheck)
{
    const struct
    {
        const char* stored;
        int size;
        const char* checked;
    } cases[] = {
        {"80", 80, "mniFrameSize80"},    {"144", 144, "mniFrameSize144"}, {"100", 100, "mniFrameSize160"},
        {"abc", 160, "mniFrameSize160"}, {"-20", 160, "mniFrameSize160"}, {"70000", 160, "mniFrameSize160"},
    };
    for (const auto& c : cases) {
        Settings::writeString(QStringLiteral("Settings"), QStringLiteral("FrameSize"),
                              QString::fromLatin1(c.stored));
        TfrmMain* main = startProgram().mainWindow();
        EXPECT_EQ(main->state().frameSize, c.size) << c.stored;
        EXPECT_EQ(main->frameStrip()->rowHeight(), c.size + 62) << c.stored;
        EXPECT_EQ(main->frameStrip()->columnWidth(), c.size + 38) << c.stored;
        EXPECT_TRUE(main->findAction(QString::fromLatin1(c.checked))->isChecked()) << c.stored;
        stopProgram();
    }
    // What the strip used is what shut-down stores.
    EXPECT_EQ(Settings::readInteger(FrameSize), 160);
}

TEST_F(StartupTest, FrameSizeMenuChangesTheStripAndIsSaved)
{
    TfrmMain* main = startProgram().mainWindow();
    main->findAction(QStringLiteral("mniFrameSize96"))->trigger();
    EXPECT_EQ(main->frameStrip()->rowHeight(), 158);
    EXPECT_EQ(main->frameStrip()->columnWidth(), 134);
    EXPECT_TRUE(main->findAction(QStringLiteral("mniFrameSize96"))->isChecked());
    EXPECT_FALSE(main->logoPanel()->isVisible()) << "a frame size change removes the logo";
    stopProgram();
    EXPECT_EQ(Settings::readInteger(FrameSize), 96);
}

TEST_F(StartupTest, NumbersStoredAsLettersReadAsTheirDefaults)
{
    Settings::writeString(QStringLiteral("Settings"), QStringLiteral("DefaultDelay"), QStringLiteral("fast"));
    Settings::writeString(QStringLiteral("Settings"), QStringLiteral("DefaultNSLoop"), QStringLiteral("x1"));
    TfrmMain* main = startProgram().mainWindow();
    EXPECT_EQ(main->state().defaultDelay, 100);
    EXPECT_EQ(main->state().defaultNSLoop, 0);
    stopProgram();
    EXPECT_EQ(Settings::readInteger(QStringLiteral("Settings"), QStringLiteral("DefaultDelay"), -1), 100);
}

TEST_F(StartupTest, HideOnceHidesTheInspectorForOneStartOnly)
{
    Settings::writeInteger(InspectorHideOnce, 1);
    {
        TProgram& program = startProgram();
        EXPECT_FALSE(program.inspector()->isVisible());
        EXPECT_FALSE(program.mainWindow()->action(TActionId::mniFrameInspector)->isChecked());
        EXPECT_EQ(program.mainWindow()->state().inspectorRestore, 1);
        EXPECT_EQ(Settings::readInteger(InspectorHideOnce), 0);
        stopProgram();
    }
    TProgram& next = startProgram();
    EXPECT_TRUE(next.inspector()->isVisible());
    EXPECT_TRUE(next.mainWindow()->action(TActionId::mniFrameInspector)->isChecked());
    EXPECT_EQ(next.mainWindow()->state().inspectorRestore, 0);
}

TEST_F(StartupTest, InspectorToggledOffStaysOffAtTheNextStart)
{
    TfrmMain* main = startProgram().mainWindow();
    main->action(TActionId::mniFrameInspector)->trigger();
    EXPECT_FALSE(m_program->inspector()->isVisible());
    m_program->inspector()->move(300, 200);
    stopProgram();
    EXPECT_EQ(Settings::readInteger(InspectorVisible), 0);
    TProgram& next = startProgram();
    EXPECT_FALSE(next.inspector()->isVisible());
    EXPECT_EQ(next.inspector()->pos(), QPoint(300, 200));
}

TEST_F(StartupTest, SplashRefusesToCloseBeforeItsTimeAndLetsGoAfter)
{
    qint64 now = 1000;
    TfrmSplash splash(QImage(40, 30, QImage::Format_RGB32), [&now] { return now; });
    splash.show();
    EXPECT_EQ(splash.size(), QSize(40, 30));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    now += 2499;
    EXPECT_FALSE(splash.close());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.timerRunning());
    now += 1;
    EXPECT_TRUE(splash.close());
    EXPECT_FALSE(splash.timerRunning());
}

TEST_F(StartupTest, FastStartStillKeepsTheSplashForItsFullTime)
{
    TProgram& program = startProgram();
    EXPECT_GE(program.splashShownFor(), 2500);
    EXPECT_LT(program.splashShownFor(), 2500 + 1000) << "the wait ends once the time is up";
    EXPECT_TRUE(program.mainWindow()->isVisible());
}

TEST_F(StartupTest, MissingResourceLibraryIsReportedAndStartUpGoesOn)
{
    QTemporaryDir empty;
    TResourceLibrary::setDefaultFolder(empty.path());
    TProgram& program = startProgram();
    TResourceLibrary::setDefaultFolder({});
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Could not load Spoolkit.rcc library file.")});
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Error);
    EXPECT_EQ(m_messages.recorded()[0].buttons, TMsgButtons::Ok);
    EXPECT_TRUE(program.mainWindow()->isVisible());
    EXPECT_FALSE(program.mainWindow()->logoPanel()->isVisible()) << "a failed logo load shows no logo";
    EXPECT_TRUE(logged("welcome"));
}

TEST_F(StartupTest, UnusableConfigFolderStartsWithDefaultsAndShutsDownQuietly)
{
    for (const char* folder : {"/proc/no-such/config", "/dev/null/config"}) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(folder));
        TProgram& program = startProgram();
        EXPECT_EQ(program.mainWindow()->state().frameSize, 160) << folder;
        EXPECT_EQ(program.mainWindow()->size(), QSize(TfrmMain::kDesignWidth, TfrmMain::kDesignHeight));
        program.mainWindow()->resize(500, 400);
        stopProgram();
        EXPECT_TRUE(m_messages.recorded().empty()) << folder;
        EXPECT_EQ(TSettingsBatch().readInteger(MainWidth, -1), -1) << folder;
    }
}

TEST_F(StartupTest, FailedAutomationObjectWarnsAndSkipsThePluginScan)
{
    m_automationThrows = true;
    TProgram& program = startProgram();
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral(
                                      "GIFReelwrightApplication automation object could not be created!")});
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Warning);
    EXPECT_EQ(program.mainWindow()->automationApplication(), nullptr);
    EXPECT_FALSE(logged("plugins"));
    EXPECT_TRUE(logged("welcome"));
}

TEST_F(StartupTest, SettingsSwitchOffTheLogoAndTheWelcomePage)
{
    Settings::writeInteger(DisplayAnimation, 0);
    Settings::writeInteger(WelcomeDialog, 1);
    TfrmMain* main = startProgram().mainWindow();
    EXPECT_FALSE(main->logoPanel()->isVisible());
    EXPECT_FALSE(logged("welcome"));
}

TEST_F(StartupTest, DeferredStartUpRunsOnceEvenWhenTheWindowIsShownAgain)
{
    TfrmMain* main = startProgram().mainWindow();
    EXPECT_TRUE(main->deferredStartupDone());
    main->hide();
    main->show();
    QCoreApplication::sendPostedEvents(main, kMsgDeferredStartup);
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "welcome"), 1);
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "plugins"), 1);
}

TEST_F(StartupTest, VisibleBrowserIsScannedAtStartUpAndItsFolderForgotten)
{
    {
        TProgram& program = startProgram();
        program.browser()->move(100, 500);
        stopProgram(); // the browser was visible: it says so in the store
    }
    m_log.clear();
    Settings::writeInteger(ThumbVisible, 1);
    TProgramOptions options;
    options.hooks = recordingHooks();
    options.clock = fastClock();
    m_program = std::make_unique<TProgram>(std::move(options));
    m_program->start();
    m_program->browser()->show(); // shown before the deferred start-up runs
    QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
    ASSERT_GE(m_log.size(), 3u);
    EXPECT_EQ(m_log[2].rfind("scan ", 0), 0u) << m_log[2];
    EXPECT_TRUE(m_program->mainWindow()->state().thumbDirectory.isEmpty());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(m_program->browser()->frameGeometry()));
}

TEST_F(StartupTest, ClosingAsksTheDocumentsAndMayBeCancelled)
{
    TfrmMain* main = startProgram().mainWindow();
    bool closedSignal = false;
    QObject::connect(main, &TfrmMain::closed, [&] { closedSignal = true; });
    m_documentsAgreeToClose = false;
    main->action(TActionId::FileExit)->trigger();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(closedSignal);
    m_documentsAgreeToClose = true;
    main->action(TActionId::FileExit)->trigger();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(closedSignal);
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "close documents"), 2);
}

TEST_F(StartupTest, ShutDownRewritesClipValuesAndStoresTheProgramFolder)
{
    Settings::writeInteger(ClipDefault, 1);
    Settings::writeString(QStringLiteral("Settings"), QStringLiteral("ClipFrame"), QStringLiteral("zz"));
    startProgram();
    stopProgram();
    TSettingsBatch s;
    EXPECT_EQ(s.readInteger(ClipDefault), 1);
    EXPECT_EQ(s.readString(QStringLiteral("Settings"), QStringLiteral("ClipFrame"), {}), QStringLiteral("1"));
    EXPECT_TRUE(s.readString(InstallDir).endsWith(QLatin1Char('/')));
    EXPECT_EQ(s.readInteger(ThumbFilterType), 19);
    EXPECT_EQ(s.readInteger(ThumbailSize), 75);
    EXPECT_TRUE(s.valueExists(QStringLiteral("ThumbNails"), QStringLiteral("WindowWidth")));
}

} // namespace
