#include "automation/AutomationSession.h"

#include "automation/GIFApplicationI.h"

#include <QTimer>
#include <QWidget>

#include <cstdio>

TAutomationSession::TAutomationSession(std::unique_ptr<IAutomationHost> host, TAutomationStartMode mode,
                                       std::optional<QDBusConnection> connection)
    : m_host(std::move(host))
{
    IAutomationHost* hostPtr = m_host.get();
    m_server = std::make_unique<TComServer>(mode, [this, hostPtr] {
        return TDispatchPtr(makeComObject<TGIFApplication>(*hostPtr, m_server.get(), true));
    });
    // In the automation start mode the program ends with the last client's object, but never by
    // throwing away unsaved edits: with a modified document it stays for the user to decide.
    m_server->lastObjectReleased = [this] {
        endAutomationMode();
    };
    m_server->isReady = [hostPtr] {
        return hostPtr->mainWindow().isVisible();
    };
    m_application = makeComObject<TGIFApplication>(*m_host, m_server.get(), false);
    if (connection && !m_server->publish(*connection)) {
        std::fprintf(stderr, "reelwright: automation server not available: %s\n",
                     qPrintable(m_server->errorText()));
        // Started for a client that another instance already serves (the bus may start a second
        // one while the first is still taking its name): nobody can reach this one, so it ends
        // as an automation start does without objects.
        if (mode == TAutomationStartMode::Automation)
            QTimer::singleShot(0, this, &TAutomationSession::endAutomationMode);
    }
}

void TAutomationSession::endAutomationMode()
{
    if (m_server->countedObjects() > 0 || m_host->anyDocumentModified())
        return;
    // A client may come and go while the program is still starting (the splash is up and the
    // main window not shown yet); closing then would be undone by the start-up. Wait for it.
    if (!m_host->mainWindow().isVisible()) {
        QTimer::singleShot(50, this, &TAutomationSession::endAutomationMode);
        return;
    }
    m_host->closeMainWindow();
}

TAutomationSession::~TAutomationSession()
{
    m_server->unpublish();
    m_application.reset();
    m_server.reset();
}
