// Program entry: the command line's first argument names a file to open.
#include "app/AutomationWiring.h"
#include "app/Program.h"
#include "gif/GIFEngine.h"
#include "platform/ImagingControl.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Registering and unregistering end before any window system is touched.
    if (const std::optional<int> registered = runRegistrationSwitches(argc, argv))
        return *registered;
    QApplication app(argc, argv);
    // The imaging library takes its resource limits at start-up, before any other thread uses it.
    initializeImaging();
    gifEngineStartup();
    TProgramOptions options;
    options.arguments = app.arguments().mid(1);
    prepareAutomation(options);
    int result = 0;
    {
        TProgram program(std::move(options));
        program.start();
        result = program.exec();
    }
    gifEngineShutdown();
    return result;
}
