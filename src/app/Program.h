#pragma once
// Program start and end: the splash, the main window and its two companion windows in their
// order, the wait until the splash may close, and the windows' destruction in their order.
#include "app/CommandLine.h"
#include "app/Splash.h"
#include "app/StartupHooks.h"
#include "editing/EditSession.h"

#include <QStringList>

#include <memory>

class TfrmFloat;
class TfrmMain;
class TfrmThumbWin;

struct TProgramOptions
{
    // The program's own hooks (defaultStartupHooks(), DefaultHooks.cpp); tests replace single ones.
    TProgramOptions();

    QStringList arguments; // the files named on the command line
    TStartMode startMode = TStartMode::Standalone; // from the automation server's switches
    TStartupHooks hooks;
    TClock clock = steadyClock(); // decides when the splash may close
};

class TProgram
{
public:
    explicit TProgram(TProgramOptions options);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Splash, application title, main window, image browser, frame inspector; waits until the
    // splash agrees to close, closes it and shows the main window.
    void start();
    // Runs the event loop until the main window has closed.
    int exec();
    // Destroys the inspector, the browser and the main window (which saves the settings).
    void shutDown();

    // The edit session: the working image, the documents and the editing services. It outlives
    // every window.
    TEditSession& session() { return m_session; }
    TfrmMain* mainWindow() const { return m_main.get(); }
    TfrmThumbWin* browser() const { return m_browser.get(); }
    TfrmFloat* inspector() const { return m_inspector.get(); }
    // How long the splash was up, by the program's clock.
    qint64 splashShownFor() const { return m_splashShownFor; }

private:
    TProgramOptions m_options;
    TEditSession m_session;
    std::unique_ptr<TfrmMain> m_main;
    std::unique_ptr<TfrmThumbWin> m_browser;
    std::unique_ptr<TfrmFloat> m_inspector;
    qint64 m_splashShownFor = 0;
};
