#pragma once
// Shared set-up for the start-up and main-window tests: a settings store of its own in a
// temporary folder, a scripted message service, hooks that record what start-up asked of them
// and a clock that runs fast, so the splash never holds a test up.
#include "app/Main.h"
#include "app/DefaultHooks.h"
#include "app/Program.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void TearDown() override
    {
        m_program.reset();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }

    // Each call of the clock moves it on by 100 ms.
    TClock fastClock()
    {
        return [this] {
            return m_now += 100;
        };
    }

    TStartupHooks recordingHooks()
    {
        TStartupHooks hooks = defaultStartupHooks();
        hooks.openByType = [this](TfrmMain&, const QString& path) {
            log("open " + path.toStdString());
        };
        auto create = hooks.createAutomationApplication;
        hooks.createAutomationApplication = [this, create](TfrmMain& main) {
            log("automation");
            if (m_automationThrows)
                throw std::runtime_error("no server");
            return create(main);
        };
        hooks.scanThumbnailFolder = [this](TfrmMain&, const QString& folder) {
            log("scan " + folder.toStdString());
        };
        hooks.scanPlugins = [this](TfrmMain&) {
            log("plugins");
        };
        hooks.showWelcomeDialog = [this](TfrmMain&) {
            log("welcome");
        };
        hooks.applyPaletteSettings = [this](TfrmMain&, const TStartupState&) {
            log("palette");
        };
        auto closeAll = hooks.closeAllDocuments;
        hooks.closeAllDocuments = [this, closeAll](TfrmMain& main) {
            log("close documents");
            return m_documentsAgreeToClose && closeAll(main);
        };
        return hooks;
    }

    // Starts the program and lets the deferred start-up run.
    TProgram& startProgram(QStringList arguments = {})
    {
        TProgramOptions options;
        options.arguments = std::move(arguments);
        options.hooks = recordingHooks();
        options.clock = fastClock();
        m_program = std::make_unique<TProgram>(std::move(options));
        m_program->start();
        QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        return *m_program;
    }

    void stopProgram() { m_program.reset(); }

    void log(const std::string& entry) { m_log.push_back(entry); }
    bool logged(const std::string& entry) const
    {
        return std::find(m_log.begin(), m_log.end(), entry) != m_log.end();
    }

    QTemporaryDir m_settingsDir;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
    std::unique_ptr<TProgram> m_program;
    std::vector<std::string> m_log;
    qint64 m_now = 0;
    bool m_automationThrows = false;
    bool m_documentsAgreeToClose = true;
};
