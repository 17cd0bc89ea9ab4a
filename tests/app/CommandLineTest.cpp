// The editor's command line: files to open, the automation server's start switches in every
// spelling a client may use, and the answers given on the terminal without a window.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using TAnswer = TCommandLine::TAnswer;

TEST(CommandLine, StartSwitchesAreFoundInAnyCaseAfterSlashOrDash)
{
    struct Case
    {
        QStringList arguments;
        TStartMode mode;
        QStringList files;
    };
    const Case cases[] = {
        {{}, TStartMode::Standalone, {}},
        {{"a.gif"}, TStartMode::Standalone, {"a.gif"}},
        {{"/AUTOMATION"}, TStartMode::Automation, {}},
        {{"-automation"}, TStartMode::Automation, {}},
        {{"--Automation"}, TStartMode::Automation, {}},
        {{"/Embedding"}, TStartMode::Automation, {}},
        {{"-EMBEDDING", "a.gif"}, TStartMode::Automation, {"a.gif"}},
        {{"-regserver"}, TStartMode::Register, {}},
        {{"/RegServer"}, TStartMode::Register, {}},
        {{"/UNREGSERVER"}, TStartMode::Unregister, {}},
        {{"-UnRegServer"}, TStartMode::Unregister, {}},
        // Several switches: the first mode in the order automation, register, unregister.
        {{"/unregserver", "/regserver"}, TStartMode::Register, {}},
        {{"-regserver", "-embedding"}, TStartMode::Automation, {}},
        // A file that happens to look like a switch is named after "--".
        {{"--", "-regserver"}, TStartMode::Standalone, {"-regserver"}},
        // Files keep their order; the editor opens the first.
        {{"b.gif", "/tmp/c.gif"}, TStartMode::Standalone, {"b.gif", "/tmp/c.gif"}},
        {{"/AUTOMATIONS"}, TStartMode::Standalone, {"/AUTOMATIONS"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const TCommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.answer, TAnswer::Run);
        EXPECT_EQ(line.startMode, c.mode);
        EXPECT_EQ(line.files, c.files);
    }
}

TEST(CommandLine, HelpAndVersionAnswerWithText)
{
    for (const char* option : {"--help", "-h", "-?"}) {
        const TCommandLine line = parseCommandLine({QString::fromLatin1(option)});
        EXPECT_EQ(line.answer, TAnswer::ShowHelp) << option;
        EXPECT_TRUE(line.text.contains("--version")) << line.text.toStdString();
        EXPECT_TRUE(line.text.contains("--regserver"));
        EXPECT_TRUE(line.text.contains("[file]"));
    }
    for (const char* option : {"--version", "-v"}) {
        const TCommandLine line = parseCommandLine({QString::fromLatin1(option), "a.gif"});
        EXPECT_EQ(line.answer, TAnswer::ShowVersion) << option;
        EXPECT_EQ(line.text, QStringLiteral("reelwright " REELWRIGHT_VERSION "\n"));
    }
}

TEST(CommandLine, UnknownOptionsAreRefusedWithAPointerToHelp)
{
    const TCommandLine line = parseCommandLine({"--frobnicate", "a.gif"});
    EXPECT_EQ(line.answer, TAnswer::Error);
    EXPECT_TRUE(line.text.contains("frobnicate")) << line.text.toStdString();
    EXPECT_TRUE(line.text.contains("--help"));
    EXPECT_TRUE(line.files.isEmpty());
}

TEST(CommandLine, OnlyHelpOrVersionSkipTheWindowSystem)
{
    struct Case
    {
        std::vector<const char*> argv;
        bool early;
    };
    const Case cases[] = {
        {{"reelwright"}, false},
        {{"reelwright", "a.gif"}, false},
        {{"reelwright", "--help"}, true},
        {{"reelwright", "a.gif", "-v"}, true},
        {{"reelwright", "--version"}, true},
        {{"reelwright", "--", "--version"}, false},
        {{"reelwright", "/regserver"}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(asksForHelpOrVersion(int(c.argv.size()), c.argv.data()), c.early) << c.argv.back();
}

} // namespace
