// Open and the welcome dialog's hand-over: which files open, in which order, and where the open
// dialogs start next time.
#include "app/CommandsFixture.h"
#include "app/FileCommands.h"

#include <QDir>

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
protected:
    // A one-frame GIF file in the test's folder.
    QString gifFile(const QString& name)
    {
        TGIFImage gif;
        gif.header().setWidth(4);
        gif.header().setHeight(3);
        TGIFSubImage* frame = undotest::addFrame(gif, 0, 0, 4, 3, 2, 0);
        undotest::setColors(frame->colorMap(), {0x000000, 0xFFFFFF});
        const QString path = QDir(m_environment.path()).filePath(name);
        EXPECT_TRUE(saveGIFFile(gif, path, true, true));
        return path;
    }
    // The files of the open documents other than the untitled one every test starts with.
    static QStringList openedFiles(ICommandHost& host)
    {
        QStringList files;
        for (TDocument* doc : host.session().documents().documents())
            if (!doc->isUntitled())
                files << doc->fileName();
        return files;
    }
};

TEST_F(CommandsFileTest, OpenOpensEveryChosenFileInOrderAndRemembersTheFolder)
{
    const QStringList files = {gifFile(QStringLiteral("one.gif")), gifFile(QStringLiteral("two.gif"))};
    m_window.folder = QStringLiteral("/start");
    m_messages.pushFiles(files);
    openFiles(m_window);
    EXPECT_EQ(openedFiles(m_window), files);
    EXPECT_EQ(m_window.session().documents().active()->fileName(), files.last());
    EXPECT_EQ(m_window.folder, m_environment.path());
    const TFileDialogRequest& request = m_messages.recorded().back().request;
    EXPECT_EQ(request.filter, QStringLiteral("GIF Images (*.gif)|*.gif"));
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.initialDir, QStringLiteral("/start"));
    EXPECT_TRUE(request.multiSelect);

    m_messages.pushFiles({});
    openFiles(m_window);
    EXPECT_EQ(openedFiles(m_window).size(), 2) << "cancel opens nothing";
    EXPECT_EQ(m_window.folder, m_environment.path());
}

TEST_F(CommandsFileTest, WelcomeChoicesOpenOrReopen)
{
    WelcomeDialogs dialogs;
    struct TDialogsHost : TFakeMainWindow
    {
        ICommandDialogs* welcomeDialogs = nullptr;
        ICommandDialogs& dialogs() override { return *welcomeDialogs; }
    };
    const QString picked = gifFile(QStringLiteral("picked.gif"));
    const QString recent = gifFile(QStringLiteral("recent.gif"));
    const struct
    {
        int result, choice;
        QStringList opened;
    } cases[] = {
        {mrOk, 1, {picked}},
        {mrOk, 2, {recent}},
        {mrCancel, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.choice);
        TDialogsHost host;
        host.welcomeDialogs = &dialogs;
        dialogs.answer = {c.result, c.choice, recent};
        m_messages.pushFiles({picked});
        welcomeDialog(host);
        EXPECT_EQ(openedFiles(host), c.opened);
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
