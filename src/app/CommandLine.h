#pragma once
// The editor's command line: --help and --version answer on the terminal without a window; the
// automation server's start switches are recognised in any case after "/" or "-"; every other
// argument names a file to open.
#include <QString>
#include <QStringList>

// How the program was started, chosen by the automation server's switches.
enum class TStartMode
{
    Standalone, // no switch: an ordinary start
    Automation, // "AUTOMATION" or "EMBEDDING": started by the platform for an automation client
    Register,   // "REGSERVER": write the server's registration, then end without a window
    Unregister, // "UNREGSERVER": remove the registration, then end without a window
};

struct TCommandLine
{
    enum class TAnswer
    {
        Run,         // start the editor
        ShowHelp,    // print text to standard output and end with 0
        ShowVersion, // print text to standard output and end with 0
        Error,       // print text to standard error and end with 2
    };
    TAnswer answer = TAnswer::Run;
    TStartMode startMode = TStartMode::Standalone;
    QStringList files; // in command-line order; the editor opens the first
    QString text;      // help, version or error text, ending with a newline
};

// Parses the arguments after the program name. Qt's own options (-platform, -style, ...) must
// already be removed, as QApplication does.
TCommandLine parseCommandLine(const QStringList& arguments);

// True when the raw arguments ask for --help or --version, so that main() can answer them before
// any window system is opened.
bool asksForHelpOrVersion(int argc, const char* const* argv);
