// Program entry: the command line's first file argument names a file to open; --help and
// --version answer on the terminal before any window system is opened.
#include "app/Main.h"
#include "app/CommandLine.h"
#include "app/AutomationWiring.h"
#include "app/Program.h"
#include "gif/GIFEngine.h"
#include "platform/ImagingControl.h"
#include "platform/TerminationRequest.h"

#include <QApplication>

#include <cstdio>

namespace {

// Prints the parser's answer; true when the program ends here.
bool answered(const TCommandLine& line, int& exitCode)
{
    switch (line.answer) {
    case TCommandLine::TAnswer::Run:
        return false;
    case TCommandLine::TAnswer::ShowHelp:
    case TCommandLine::TAnswer::ShowVersion:
        std::fputs(qPrintable(line.text), stdout);
        exitCode = 0;
        return true;
    case TCommandLine::TAnswer::Error:
        std::fputs(qPrintable(line.text), stderr);
        exitCode = 2;
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    catchTerminationSignals();
    int exitCode = 0;
    if (asksForHelpOrVersion(argc, argv)) {
        const QCoreApplication terminal(argc, argv);
        if (answered(parseCommandLine(terminal.arguments().mid(1)), exitCode))
            return exitCode;
    }
    // Registering and unregistering end before any window system is touched.
    if (const std::optional<int> registered = runRegistrationSwitches(argc, argv))
        return *registered;
    QApplication app(argc, argv);
    const TCommandLine commandLine = parseCommandLine(app.arguments().mid(1));
    if (answered(commandLine, exitCode))
        return exitCode;
    // The imaging library takes its resource limits at start-up, before any other thread uses it.
    initializeImaging();
    gifEngineStartup();
    TProgramOptions options;
    options.startMode = commandLine.startMode;
    // The automation switches decide the server's start mode and are then taken out of the files.
    options.arguments = app.arguments().mid(1);
    prepareAutomation(options);
    int result = 0;
    {
        TProgram program(std::move(options));
        program.start();
        onTerminationRequest(program.mainWindow(), [&program] { program.mainWindow()->close(); });
        result = program.exec();
    }
    gifEngineShutdown();
    return result;
}
