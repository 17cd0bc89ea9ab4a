#include "automation/AutomationSession.h"

#include "automation/GIFApplicationI.h"
#include "automation/IntfMenuItem.h"
#include "platform/MessageService.h"

#include <QDir>
#include <QProcess>

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

void TAutomationSession::loadPlugIns(TAddInManager::TContext context, const QStringList& folders)
{
    context.application = m_application.get();
    if (!context.updateDocumentDependentItems)
        context.updateDocumentDependentItems = [this] {
            updateDocumentDependentItems();
        };
    if (!context.runScript) {
        context.runScript = [this](const QStringList& command, const QString& folder) {
            runScript(command, folder);
        };
    }
    m_addIns.load(context, folders);
}

void TAutomationSession::updateDocumentDependentItems()
{
    ::updateDocumentDependentItems(m_host->mainMenu(), m_host->hasActiveDocument());
}

void TAutomationSession::runScript(const QStringList& command, const QString& folder)
{
    if (!m_server->isPublished())
        throw EOleError(QStringLiteral("The automation server is not on the session bus."));
    // Not counted: a script's object must not keep an automation start alive on its own.
    TDispatchPtr application(makeComObject<TGIFApplication>(*m_host, m_server.get(), false));
    const QString path = m_server->pathOf(application.get());
    auto* process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("REELWRIGHT_APPLICATION"), path);
    env.insert(QStringLiteral("REELWRIGHT_SERVICE"), m_server->connection().baseService());
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    QString program = command.front();
    // A program named relative to the manifest is the plug-in's own.
    if (program.contains(QLatin1Char('/')) && QDir::isRelativePath(program))
        program = QDir(folder).absoluteFilePath(program);
    const QString shown = command.join(QLatin1Char(' '));
    connect(process, &QProcess::finished, this,
            [process, application, shown](int exitCode, QProcess::ExitStatus status) mutable {
                application.reset();
                process->deleteLater();
                if (status == QProcess::NormalExit && exitCode == 0)
                    return;
                QString output = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
                if (output.size() > 2000)
                    output = QStringLiteral("...") + output.right(2000);
                messageDlg(QStringLiteral("The plug-in command \"%1\" failed (%2).%3")
                               .arg(shown,
                                    status == QProcess::NormalExit
                                        ? QStringLiteral("exit code %1").arg(exitCode)
                                        : QStringLiteral("it crashed"),
                                    output.isEmpty() ? QString() : QStringLiteral("\n\n") + output),
                           TMsgType::Error, TMsgButtons::Ok);
            });
    process->start(program, command.mid(1));
    if (!process->waitForStarted(30000)) {
        const QString reason = process->errorString();
        process->disconnect(this);
        delete process;
        throw EOleError(
            QStringLiteral("The plug-in command \"%1\" could not be started: %2").arg(shown, reason));
    }
}

TAutomationSession::~TAutomationSession()
{
    // Plug-in handlers hold plug-in objects, which hold the program's application object: let
    // go of them while everything they may touch is still there.
    for (TAutomatedMenu* item : m_host->mainWindow().findChildren<TAutomatedMenu*>())
        item->clearHandler();
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(5000);
    }
    m_server->unpublish();
    m_application.reset();
    m_server.reset();
}
