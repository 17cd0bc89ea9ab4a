// Open and the welcome dialog's hand-over: which files open, in which order, and where the open
// dialogs start next time.
#include "app/CommandsFixture.h"
#include "app/FileCommands.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

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

TEST_F(CommandsFileTest, WindowArrangementsTileMinimizeAndLineUp)
{
    QMdiArea area;
    area.resize(600, 400);
    for (int i = 0; i < 3; ++i)
        area.addSubWindow(new QLabel(QStringLiteral("document")))->show();
    area.show();
    const QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::CreationOrder);
    const int width = area.viewport()->width();
    const int height = area.viewport()->height();

    tileWindowsVertically(area);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(windows[i]->geometry(),
                  QRect(width * i / 3, 0, width * (i + 1) / 3 - width * i / 3, height));
    }
    tileWindowsHorizontally(area);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(windows[i]->geometry().top(), height * i / 3);
        EXPECT_EQ(windows[i]->geometry().width(), width);
    }
    minimizeAllWindows(area);
    arrangeAllWindows(area);
    int left = 0;
    for (QMdiSubWindow* window : windows) {
        EXPECT_TRUE(window->isMinimized());
        EXPECT_EQ(window->geometry().left(), left);
        EXPECT_EQ(window->geometry().bottom(), area.viewport()->rect().bottom());
        left += window->width();
    }
}

} // namespace
