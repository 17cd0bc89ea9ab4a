#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace {

struct TSwitch
{
    const char* name;
    TStartMode mode;
};

// In the order they are looked for: a command line with several switches starts in the first
// mode found here.
constexpr TSwitch kStartSwitches[] = {
    {"automation", TStartMode::Automation},
    {"embedding", TStartMode::Automation},
    {"regserver", TStartMode::Register},
    {"unregserver", TStartMode::Unregister},
};

// "/RegServer", "-REGSERVER" and "--regserver" all become "--regserver", the spelling the parser
// knows; anything else is left as it is.
QString normalisedSwitch(const QString& argument)
{
    qsizetype start = 0;
    if (argument.startsWith(QLatin1String("--")))
        start = 2;
    else if (argument.startsWith(QLatin1Char('/')) || argument.startsWith(QLatin1Char('-')))
        start = 1;
    else
        return argument;
    const QString name = argument.mid(start);
    for (const TSwitch& s : kStartSwitches)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
            return QStringLiteral("--") + QLatin1String(s.name);
    return argument;
}

QString programName()
{
    return QStringLiteral("reelwright");
}

} // namespace

TCommandLine parseCommandLine(const QStringList& arguments)
{
    QStringList normalised{programName()};
    bool afterTerminator = false;
    for (const QString& argument : arguments) {
        normalised << (afterTerminator ? argument : normalisedSwitch(argument));
        if (argument == QLatin1String("--"))
            afterTerminator = true;
    }

    QCommandLineParser parser;
    // "-regserver" is one option, never seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("GIF Reelwright: an editor for animated GIF images."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    parser.addOption(help);
    parser.addOption(version);
    const QStringList descriptions = {
        QStringLiteral("Started by the platform for an automation client."),
        QStringLiteral("The same as --automation."),
        QStringLiteral("Register the automation server, then end."),
        QStringLiteral("Remove the automation server's registration, then end."),
    };
    std::vector<QCommandLineOption> switches;
    for (size_t i = 0; i < std::size(kStartSwitches); ++i) {
        switches.emplace_back(QString::fromLatin1(kStartSwitches[i].name), descriptions[qsizetype(i)]);
        parser.addOption(switches.back());
    }
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A GIF animation or other picture to open."),
                                 QStringLiteral("[file]"));

    TCommandLine result;
    if (!parser.parse(normalised)) {
        result.answer = TCommandLine::TAnswer::Error;
        result.text = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                          .arg(programName(), parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.answer = TCommandLine::TAnswer::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.answer = TCommandLine::TAnswer::ShowVersion;
        result.text = QStringLiteral("%1 %2\n").arg(programName(), QStringLiteral(REELWRIGHT_VERSION));
        return result;
    }
    for (size_t i = 0; i < std::size(kStartSwitches); ++i) {
        if (parser.isSet(switches[i])) {
            result.startMode = kStartSwitches[i].mode;
            break;
        }
    }
    result.files = parser.positionalArguments();
    return result;
}

bool asksForHelpOrVersion(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0)
            return false;
        for (const char* option : {"-h", "--help", "-?", "--?", "-help", "-v", "--version", "-version"})
            if (std::strcmp(a, option) == 0)
                return true;
    }
    return false;
}
