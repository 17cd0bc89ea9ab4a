#pragma once
// What the program holds of the automation server while its main window exists: the host over
// the program, the server (published on the session bus when asked), and the program's own
// application object, which is handed to plug-ins and does not count towards the server's life.
// Destroyed with the main window: the server leaves the bus and drops every client's references
// before the host goes.
#include "automation/AddInManager.h"
#include "automation/AutomationHost.h"
#include "automation/ComServer.h"
#include "automation/Reelwright_TLB.h"

#include <QObject>

#include <memory>
#include <optional>

class TAutomationSession : public QObject
{
    Q_OBJECT
public:
    // connection: the bus to publish on; none keeps the objects in-process.
    TAutomationSession(std::unique_ptr<IAutomationHost> host, TAutomationStartMode mode,
                       std::optional<QDBusConnection> connection);
    ~TAutomationSession() override;

    TComPtr<IGIFReelwrightApplication> application() const { return m_application; }
    TComServer& server() { return *m_server; }
    IAutomationHost& host() { return *m_host; }

    // Plug-ins: loaded once at start-up (the context's application is filled in here).
    void loadPlugIns(TAddInManager::TContext context, const QStringList& folders);
    const TAddInManager& addIns() const { return m_addIns; }
    // Walks the menu for the document-dependent items.
    void updateDocumentDependentItems();
    // A script plug-in's command: started in its folder with REELWRIGHT_APPLICATION naming a new
    // application object on the bus (REELWRIGHT_SERVICE the program's bus name), which lives
    // until the command ends. Throws when the server is not on the bus or the command cannot
    // start; a command that ends with an error has its output shown.
    void runScript(const QStringList& command, const QString& folder);

private:
    // The last counted object went in the automation start mode: the program closes normally,
    // unless a client came back or a document holds unsaved edits.
    void endAutomationMode();

    std::unique_ptr<IAutomationHost> m_host;
    TAddInManager m_addIns;
    std::unique_ptr<TComServer> m_server;
    TComPtr<IGIFReelwrightApplication> m_application;
};
