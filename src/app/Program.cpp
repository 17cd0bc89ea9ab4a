#include "app/Program.h"

#include "app/Main.h"
#include "editing/float.h"
#include "platform/ResourceLibrary.h"
#include "platform/MessageService.h"
#include "widgets/OpenDialogPreview.h"
#include "wizards/ThumbViewer.h"

#include <QApplication>
#include <QThread>

TProgram::TProgram(TProgramOptions options) : m_options(std::move(options)) {}

TProgram::~TProgram()
{
    shutDown();
}

void TProgram::start()
{
    // The splash first, painted before anything else happens.
    auto splash = std::make_unique<TfrmSplash>(TResourceLibrary().loadBitmap(QStringLiteral("SPLASH")),
                                               m_options.clock);
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    // The title is set by the main window; the help file name belongs to the help hooks.
    QCoreApplication::setApplicationVersion(QStringLiteral("5.0"));
    // The open dialogs of pictures show the preview pane.
    setFileDialogPreview([](QFileDialog& dialog) { addOpenDialogPreview(dialog); });

    // Main window, then the image browser (created hidden), then the frame inspector.
    m_main = std::make_unique<TfrmMain>(m_session, m_options.hooks, m_options.arguments);
    m_browser = std::make_unique<TfrmThumbWin>(m_session, m_main.get());
    m_inspector = std::make_unique<TfrmFloat>(m_main.get());
    m_main->attachCompanions(m_browser.get(), m_inspector.get());

    // Keep the splash up until its time has run out.
    while (!splash->closeQuery()) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    m_splashShownFor = splash->elapsed();
    splash->close();
    splash.reset();

    // The main window appears; its first showing posts the deferred start-up.
    m_main->show();
}

int TProgram::exec()
{
    if (!m_main)
        return 1;
    QObject::connect(m_main.get(), &TfrmMain::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}

void TProgram::shutDown()
{
    // The inspector writes its "Visible" from the main window's menu, so it goes first; the main
    // window saves the settings when it is destroyed, last.
    m_inspector.reset();
    m_browser.reset();
    m_main.reset();
}
