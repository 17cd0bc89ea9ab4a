// Open and the welcome dialog's hand-over: which files open, in which order, and where the open
// dialogs start next time.
#include "app/CommandsFixture.h"
#include "app/FileCommands.h"

using namespace commandstest;

namespace {

class WelcomeDialogs : public TFakeDialogs
{
public:
    TWelcomeChoice welcome() override { return answer; }
    TWelcomeChoice answer;
};

class CommandsFileTest : public CommandsFixture
{
};

TEST_F(CommandsFileTest, OpenOpensEveryChosenFileInOrderAndRemembersTheFolder)
{
    m_window.folder = QStringLiteral("/start");
    m_messages.pushFiles({QStringLiteral("/a/one.gif"), QStringLiteral("/a/two.gif")});
    openFiles(m_window);
    EXPECT_EQ(m_window.opened, QStringList({QStringLiteral("/a/one.gif"), QStringLiteral("/a/two.gif")}));
    EXPECT_EQ(m_window.folder, QStringLiteral("/a"));
    const TFileDialogRequest& request = m_messages.recorded().back().request;
    EXPECT_EQ(request.filter, QStringLiteral("GIF Images (*.gif)|*.gif"));
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.initialDir, QStringLiteral("/start"));
    EXPECT_TRUE(request.multiSelect);

    m_messages.pushFiles({});
    openFiles(m_window);
    EXPECT_EQ(m_window.opened.size(), 2) << "cancel opens nothing";
    EXPECT_EQ(m_window.folder, QStringLiteral("/a"));
}

TEST_F(CommandsFileTest, WelcomeChoicesOpenOrReopen)
{
    WelcomeDialogs dialogs;
    struct TDialogsHost : TFakeMainWindow
    {
        ICommandDialogs* welcomeDialogs = nullptr;
        ICommandDialogs& dialogs() override { return *welcomeDialogs; }
    };
    const struct
    {
        int result, choice;
        QStringList opened;
    } cases[] = {
        {mrOk, 1, {QStringLiteral("/w/picked.gif")}},
        {mrOk, 2, {QStringLiteral("/w/recent.gif")}},
        {mrCancel, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.choice);
        TDialogsHost host;
        host.welcomeDialogs = &dialogs;
        dialogs.answer = {c.result, c.choice, QStringLiteral("/w/recent.gif")};
        m_messages.pushFiles({QStringLiteral("/w/picked.gif")});
        welcomeDialog(host);
        EXPECT_EQ(host.opened, c.opened);
        m_messages.clear();
    }
}

} // namespace
