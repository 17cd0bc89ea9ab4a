// The main window's command set as the user meets it: the action table, the menus in their order
// with their hidden entries, the toolbars, the document-command switch and the status hints.
#include "AppFixture.h"

#include "app/MainActions.h"
#include "editing/float.h"
#include "wizards/ThumbViewer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSet>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

class MainWindowTest : public AppFixture
{
protected:
    TfrmMain* main() { return m_program ? m_program->mainWindow() : startProgram().mainWindow(); }

    // Captions of a menu's entries, hidden ones in parentheses, separators left out.
    static QStringList captions(const QMenu* menu)
    {
        QStringList result;
        for (const QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            result << (item->isVisible() ? item->text() : QStringLiteral("(%1)").arg(item->text()));
        }
        return result;
    }
    static QStringList toolbarLayout(const QToolBar* bar)
    {
        QStringList result;
        for (const QAction* item : bar->actions())
            result << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
        return result;
    }
};

TEST_F(MainWindowTest, ActionsCarryTheirCaptionsShortcutsAndHints)
{
    const struct
    {
        const char* name;
        const char* caption;
        const char* shortcut;
        const char* tooltip;
        const char* status;
    } cases[] = {
        {"FileNew", "&New", "Ctrl+N", "New", "Create a new file"},
        {"FileSaveAs", "Save &As...", "", "Save As", "Save current file with different name"},
        {"EditUndo", "&Undo", "Ctrl+Z", "Undo", "Undos the last action"},
        {"AnimationInfo", "&Animation Information...", "Ctrl+I", "Animation Properties",
         "Displays the current animation properties"},
        {"FrameMoveBegin", "Move Frame to &Beginning", "", "Move Frame to Beginning",
         "Move Frame to beginning|Moves the selected frame to the beginning of the animation"},
        {"FrameSelectAll", "Select A&ll Frames", "Ctrl+A", "Selects all current frames",
         "Selects all current frames"},
        {"ThumbView", "Show/Hide I&mage Browser", "Ctrl+Shift+T", "Show/Hide Image Browser",
         "Shows or hide Image Browser"},
        {"ThumbsRefresh", "&Refresh", "F5", "Reloads the current folder", "Reloads the current folder"},
        {"WindowMinimizeAll", "&Minimize All", "", "Minimize AllMinimizes all open windows",
         "Minimize AllMinimizes all open windows"},
        {"HelpContents", "&Contents...", "F1", "Help", " Displays Help Contents"},
    };
    for (const auto& c : cases) {
        QAction* act = main()->findAction(QString::fromLatin1(c.name));
        ASSERT_NE(act, nullptr) << c.name;
        EXPECT_EQ(act->text(), QString::fromLatin1(c.caption)) << c.name;
        EXPECT_EQ(act->shortcut(), QKeySequence(QString::fromLatin1(c.shortcut))) << c.name;
        EXPECT_EQ(act->toolTip(), QString::fromLatin1(c.tooltip)) << c.name;
        EXPECT_EQ(act->statusTip(), QString::fromLatin1(c.status)) << c.name;
    }
    EXPECT_EQ(mainActionTable().size(), 40u);
}

// Each command identifier names exactly one action of the window, under the object name that
// settings, automation and plug-ins use; a name nobody created is refused, not guessed.
TEST_F(MainWindowTest, EveryCommandIdentifierFindsItsActionByNameAndBack)
{
    QSet<QAction*> seen;
    for (int i = 0; i < actionIdCount; ++i) {
        const auto id = TActionId(i);
        const QString name = QString::fromLatin1(actionName(id));
        SCOPED_TRACE(name.toStdString());
        QAction* act = main()->action(id);
        EXPECT_EQ(act->objectName(), name);
        EXPECT_EQ(main()->findAction(name), act);
        EXPECT_EQ(actionIdFromName(name), id);
        EXPECT_FALSE(seen.contains(act)) << "two identifiers share an action";
        seen.insert(act);
    }
    for (const TActionSpec& spec : mainActionTable())
        EXPECT_EQ(&actionSpec(spec.id), &spec);
    for (const char* unknown : {"", "Filesave", "FileSave ", "mniFrameSize96"})
        EXPECT_FALSE(actionIdFromName(QString::fromLatin1(unknown)).has_value()) << unknown;
    EXPECT_NE(main()->findAction(QStringLiteral("mniFrameSize96")), nullptr) << "frame sizes go by name";
    EXPECT_EQ(main()->findAction(QStringLiteral("NoSuchCommand")), nullptr);
}

TEST_F(MainWindowTest, DocumentCommandSwitchTurnsExactlyTheMarkedCommandsAndThePanels)
{
    const QStringList documentCommands{
        QStringLiteral("FileClose"),         QStringLiteral("FileCloseAll"),
        QStringLiteral("FileSaveAs"),        QStringLiteral("EditCut"),
        QStringLiteral("EditCopy"),          QStringLiteral("AnimationPlay"),
        QStringLiteral("AnimationInfo"),     QStringLiteral("AnimationPalette"),
        QStringLiteral("FrameGlobalChange"), QStringLiteral("AnimationOptimize"),
        QStringLiteral("AnimationResize"),   QStringLiteral("FrameSelectAll")};
    auto* delay = main()->findChild<QSpinBox*>(QStringLiteral("txtDelay"));
    ASSERT_NE(delay, nullptr);
    EXPECT_FALSE(delay->isEnabled()) << "panels start disabled";
    for (const bool on : {true, false}) {
        main()->enableDocumentCommands(on);
        for (const TActionSpec& spec : mainActionTable()) {
            const QString name = QString::fromLatin1(actionName(spec.id));
            QAction* act = main()->action(spec.id);
            if (documentCommands.contains(name))
                EXPECT_EQ(act->isEnabled(), on) << actionName(spec.id);
            else
                EXPECT_EQ(act->isEnabled(), spec.enabledAtStart)
                    << actionName(spec.id) << " is not a document command";
        }
        EXPECT_EQ(delay->isEnabled(), on);
        EXPECT_EQ(main()->findChild<QWidget*>(QStringLiteral("btnSelect"))->isEnabled(), on);
    }
}

TEST_F(MainWindowTest, MenusListTheirEntriesInOrderWithHiddenOnes)
{
    QStringList bar;
    for (const QAction* item : main()->menuBar()->actions())
        bar << (item->isVisible() ? item->text() : QStringLiteral("(%1)").arg(item->text()));
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&View", "&Tools", "(&Plug-ins)", "&Window", "&Help"}));

    const struct
    {
        const char* menu;
        QStringList entries;
    } cases[] = {
        {"mnuFile",
         {"&New...", "(Animation &Wizards)", "&Open...", "(&Recent Files)", "&Save", "Save &As...",
          "Sa&ve All", "&Close", "Close &All", "&Import", "&Export", "(&Print...)", "E&xit"}},
        {"mniImport", {"&AVI Animation"}},
        {"mniExport", {"&Single Images...", "As &AVI Animation...", "As &HTML Page..."}},
        {"mnuEdit",
         {"&Undo", "Cu&t", "&Copy", "&Paste", "Paste Comme&nts", "&Delete Frame", "&Add Frame...",
          "Re&size...", "(R&otate)", "&Global Frame Properties...", "Frame &Transparent Color...",
          "Move Frame to &Beginning", "Move Frame to &End", "&Move Frame Left", "Move Frame &Right"}},
        {"mnuView",
         {"&Play Animation", "Pa&use Animation", "(Play in Web &Browser)", "&Animation Information...",
          "&Global Palette...", "Thu&mbnail Window", "&Toolbars"}},
        {"mniThumbnailWindow",
         {"Show/Hide I&mage Browser", "&Refresh", "C&lear Window", "Show/Hide &Explorer Tree"}},
        {"mniToolbars", {"&Standard", "&Animation", "&Frame"}},
        {"mnuTools",
         {"Optimize &Animation...", "&Reverse Frame Order", "HTML &Code...", "&Frame Inspector",
          "Program &Options..."}},
        {"mnuWindow",
         {"&Cascade", "Tile &Horizontally", "Tile &Vertically", "&Minimize All", "&Arrange All",
          "&Next Document", "&Previous Document"}},
        {"mnuHelp",
         {"&Contents...", "(&Plugin Info...)", "&Tip of the Day...", "&Welcome Dialog...", "&Support Online",
          "&About GIF Reelwright..."}},
        {"pmnFrames",
         {"&Add Frame...", "Cu&t", "&Copy", "&Paste", "&Delete Frame", "Select A&ll Frames",
          "Frame &Transparent Color...", "&Move Frame Left", "Move Frame &Right", "Frame &Size"}},
        {"mniFrameSize", {"&80 x 80", "&96 x 96", "&112 x 112", "1&28 x 128", "1&44 x 144", "1&60 x 160"}},
    };
    for (const auto& c : cases) {
        QMenu* menu = main()->menu(QString::fromLatin1(c.menu));
        ASSERT_NE(menu, nullptr) << c.menu;
        EXPECT_EQ(captions(menu), c.entries) << c.menu;
    }
    EXPECT_EQ(main()->action(TActionId::mniExplorerTree)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    EXPECT_EQ(main()->action(TActionId::mniPasteComments)->statusTip(),
              QStringLiteral("Adds a new GIF comment from clipboard text"));
}

TEST_F(MainWindowTest, ToolbarsHoldTheirCommandsAndDropDowns)
{
    EXPECT_EQ(toolbarLayout(main()->toolbar(0)),
              (QStringList{"FileNew", "FileOpen", "FileSaveAs", "FileSaveAll", "-", "EditCut", "EditCopy",
                           "EditPaste", "-", "EditUndo", "-", "ThumbView"}));
    EXPECT_EQ(toolbarLayout(main()->toolbar(1)), (QStringList{"FrameAdd", "FrameDelete", "-", "FrameMoveUp",
                                                              "FrameMoveDown", "-", "FrameReverse"}));
    EXPECT_EQ(toolbarLayout(main()->toolbar(2)), (QStringList{"AnimationPalette", "-", "AnimationOptimize",
                                                              "-", "AnimationPlay", "AnimationPause"}));
    EXPECT_EQ(main()->toolbar(1)->windowTitle(), QStringLiteral("Frame Toolbar"));
    for (int tag = 0; tag < 3; ++tag)
        EXPECT_EQ(main()->toolbar(tag)->property("tag").toInt(), tag);
    auto button = [this](int tag, const char* name) {
        return qobject_cast<QToolButton*>(
            main()->toolbar(tag)->widgetForAction(main()->findAction(QString::fromLatin1(name))));
    };
    ASSERT_NE(button(0, "FileOpen"), nullptr);
    EXPECT_NE(button(0, "FileOpen")->menu(), nullptr);
    EXPECT_EQ(button(0, "FileOpen")->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_NE(button(2, "AnimationPlay")->menu(), nullptr);
    EXPECT_TRUE(button(0, "ThumbView")->isCheckable());
    EXPECT_EQ(main()->action(TActionId::FileSaveAs)->icon().pixmap(16).toImage(),
              main()->action(TActionId::FileSave)->icon().pixmap(16).toImage())
        << "Save As is shown with the save image";
}

TEST_F(MainWindowTest, ToolbarMenuEntriesToggleTheToolbarTheyName)
{
    const std::pair<const char*, int> cases[] = {
        {"mniToolbarStandard", 0}, {"mniToolbarAnimation", 2}, {"mniToolbarFrame", 1}};
    for (const auto& [item, tag] : cases) {
        main()->findAction(QString::fromLatin1(item))->trigger();
        EXPECT_TRUE(main()->toolbar(tag)->isHidden()) << item;
        for (int other = 0; other < 3; ++other)
            if (other != tag) {
                EXPECT_FALSE(main()->toolbar(other)->isHidden()) << item << " hid toolbar " << other;
            }
        main()->findAction(QString::fromLatin1(item))->trigger();
        EXPECT_FALSE(main()->toolbar(tag)->isHidden()) << item;
    }
}

TEST_F(MainWindowTest, ToolbarVisibilityAndStyleComeBackAtTheNextStart)
{
    main()->action(TActionId::mniToolbarFrame)->trigger();
    stopProgram();
    EXPECT_EQ(
        Settings::readInteger(QStringLiteral("Settings\\Toolbars\\Frame"), QStringLiteral("Visible"), -1), 0);
    EXPECT_EQ(
        Settings::readInteger(QStringLiteral("Settings\\Toolbars\\Standard"), QStringLiteral("Visible"), -1),
        1);
    Settings::writeInteger(SettingKeys::NormalStyle, 1);
    // The animation toolbar on a second row, before the standard one within the first.
    Settings::writeInteger(QStringLiteral("Settings\\Toolbars\\Animation"), QStringLiteral("Top"), 28);
    Settings::writeInteger(QStringLiteral("Settings\\Toolbars\\Frame"), QStringLiteral("Left"), 0);
    Settings::writeInteger(QStringLiteral("Settings\\Toolbars\\Standard"), QStringLiteral("Left"), 200);
    TfrmMain* next = main();
    next->layout()->activate();
    EXPECT_TRUE(next->toolbar(1)->isHidden());
    EXPECT_FALSE(next->action(TActionId::mniToolbarFrame)->isChecked());
    EXPECT_TRUE(next->action(TActionId::mniToolbarAnimation)->isChecked());
    EXPECT_EQ(next->toolbar(0)->height(), 28);
    for (QToolButton* button : next->toolbar(0)->findChildren<QToolButton*>())
        EXPECT_FALSE(button->autoRaise());
    EXPECT_GT(next->toolbar(2)->y(), next->toolbar(0)->y()) << "second row";
    EXPECT_EQ(next->toolBarBreak(next->toolbar(2)), true);
}

TEST_F(MainWindowTest, HintsGoToTheThirdStatusPanel)
{
    QToolButton* newButton =
        qobject_cast<QToolButton*>(main()->toolbar(0)->widgetForAction(main()->action(TActionId::FileNew)));
    ASSERT_NE(newButton, nullptr);
    QStatusTipEvent tip(main()->action(TActionId::FileNew)->statusTip());
    QApplication::sendEvent(newButton, &tip);
    EXPECT_EQ(main()->statusPanel(2)->text(), QStringLiteral("Create a new file"));
    main()->action(TActionId::FrameAdd)->showStatusText(main()->menuBar());
    EXPECT_EQ(main()->statusPanel(2)->text(), QStringLiteral("Adds a frame to the animation"));
    EXPECT_EQ(main()->statusPanel(0)->width(), 20);
    EXPECT_EQ(main()->statusPanel(1)->width(), 225);
    EXPECT_FALSE(main()->progressBar()->isVisible());
    EXPECT_EQ(main()->progressBar()->parentWidget(), main()->statusPanel(1));
}

TEST_F(MainWindowTest, ImageBrowserAndInspectorFollowTheirMenuEntries)
{
    TfrmMain* window = main();
    ASSERT_TRUE(m_program->browser()->isVisible());
    window->action(TActionId::ThumbView)->trigger();
    EXPECT_FALSE(m_program->browser()->isVisible());
    window->action(TActionId::ThumbView)->trigger();
    EXPECT_TRUE(m_program->browser()->isVisible());
    // Shown with nothing loaded, it scans the remembered folder.
    const QString status = window->statusPanel(2)->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("Scanning folder for images...")) ||
                status.startsWith(QStringLiteral("Sorry no images found in ")))
        << status.toStdString();

    m_program->browser()->close(); // the title bar's close only hides it
    EXPECT_FALSE(window->action(TActionId::ThumbView)->isChecked());
    m_program->inspector()->close();
    EXPECT_FALSE(window->action(TActionId::mniFrameInspector)->isChecked());

    window->action(TActionId::mniExplorerTree)->trigger();
    EXPECT_FALSE(m_program->browser()->explorerVisible());
    stopProgram();
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbExplorerVisible), 0);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbVisible), 0);
    EXPECT_EQ(Settings::readInteger(SettingKeys::InspectorVisible), 0);
    TfrmMain* next = main();
    EXPECT_FALSE(m_program->browser()->isVisible());
    EXPECT_FALSE(next->action(TActionId::ThumbView)->isChecked());
    EXPECT_FALSE(next->action(TActionId::mniExplorerTree)->isChecked());
}

TEST_F(MainWindowTest, WelcomeEntryAndBrowseUseTheirServices)
{
    TfrmMain* window = main();
    m_log.clear();
    window->action(TActionId::mniWelcome)->trigger();
    EXPECT_EQ(m_log, std::vector<std::string>{"welcome"});
    m_messages.pushFolder(QDir::tempPath());
    window->action(TActionId::ThumbsBrowse)->trigger();
    EXPECT_EQ(m_program->browser()->folder(), QDir::tempPath());
    ASSERT_FALSE(m_messages.recorded().empty());
    EXPECT_EQ(m_messages.recorded().back().kind, TDialogKind::ChooseFolder);
}

TEST_F(MainWindowTest, ResizingTheWindowRemovesTheLogo)
{
    TfrmMain* window = main();
    ASSERT_TRUE(window->logoPanel()->isVisible());
    EXPECT_EQ(window->logoPanel()->geometry(), window->mdiArea()->rect().adjusted(2, 2, -2, -2));
    window->resize(window->width() + 40, window->height());
    EXPECT_FALSE(window->logoPanel()->isVisible());
    EXPECT_EQ(window->logoPanel()->movie(), nullptr);
}

TEST(MainActionHints, ShortAndLongPartsSplitAtTheFirstBar)
{
    EXPECT_EQ(shortHint(QStringLiteral("Open|Open a file")), QStringLiteral("Open"));
    EXPECT_EQ(longHint(QStringLiteral("Open|Open a file")), QStringLiteral("Open a file"));
    EXPECT_EQ(shortHint(QStringLiteral("Only one")), QStringLiteral("Only one"));
    EXPECT_EQ(longHint(QStringLiteral("Only one")), QStringLiteral("Only one"));
    EXPECT_EQ(longHint(QStringLiteral("a|b|c")), QStringLiteral("b|c"));
    EXPECT_EQ(shortHint(QString()), QString());
}

} // namespace
