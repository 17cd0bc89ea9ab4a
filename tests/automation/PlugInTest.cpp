// Plug-ins in a real main window: libraries copied into the user's plug-in folder (a temporary
// XDG_DATA_HOME) and found by the program's own start-up, menu-item objects over the real menu,
// the plug-in explorer answered through the scripted dialog service.
#include "app/AppFixture.h"
#include "app/Childwin.h"
#include "automation/AddInManager.h"
#include "automation/AutomationSession.h"
#include "automation/AutomationTestSupport.h"
#include "automation/IntfMenuItem.h"
#include "automation/PlugInExplorerfrm.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstring>

namespace {

QString fixturePlugIn(const QString& name)
{
    return QDir(testsupport::binDir()).filePath(QStringLiteral("test-plugins/%1.so").arg(name));
}

QString samplePlugIn()
{
    return QDir(testsupport::binDir()).filePath(QStringLiteral("plugins/reverse-frames.so"));
}

class PlugInTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_dataHome.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toLocal8Bit());
        m_folder = QDir(m_dataHome.path()).filePath(QStringLiteral("reelwright/plugins"));
        ASSERT_TRUE(QDir().mkpath(m_folder));
    }
    void TearDown() override
    {
        m_program.reset();
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    void install(const QString& library, const QString& as = {})
    {
        const QString target = QDir(m_folder).filePath(as.isEmpty() ? QFileInfo(library).fileName() : as);
        ASSERT_TRUE(QFile::copy(library, target)) << library.toStdString();
    }
    void writePlugInFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(m_folder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Starts the program with the program's own plug-in loading (the other start-up parts record).
    TfrmMain& start()
    {
        TProgramOptions options;
        options.hooks = recordingHooks();
        options.hooks.scanPlugins = defaultStartupHooks().scanPlugins;
        options.clock = fastClock();
        m_program = std::make_unique<TProgram>(std::move(options));
        m_program->start();
        QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        return *m_program->mainWindow();
    }
    TfrmMain& main() { return *m_program->mainWindow(); }
    TAutomationSession& session()
    {
        return *qobject_cast<TAutomationSession*>(main().automationApplication());
    }
    TComPtr<IGIFReelwrightApplication> application() { return session().application(); }
    QAction* item(const QString& path) { return findMenuItem(main().menuBar(), path); }
    QStringList titles()
    {
        QStringList result;
        for (const TAddInRecord& record : session().addIns().records())
            result.append(record.title);
        return result;
    }

    // Three frames of 4 x 4 pixels, each filled with its own colour index.
    QString makeGif()
    {
        TGIFImage image;
        image.setWidth(4);
        image.setHeight(4);
        for (int k = 0; k < 3; ++k) {
            auto* frame = new TGIFSubImage(&image);
            frame->setBounds(0, 0, 4, 4);
            for (int c = 0; c < 4; ++c)
                frame->colorMap().add(rgbColor(uint8_t(60 * c), 10, uint8_t(255 - 60 * c)));
            for (int y = 0; y < 4; ++y)
                std::memset(frame->scanLine(y), k + 1, 4);
            image.images().add(frame);
        }
        TMemoryStream stream;
        image.saveToStream(stream);
        const QString path = QDir(m_files.path()).filePath(QStringLiteral("three.gif"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stream.data());
        return path;
    }
    QByteArray workingBytes()
    {
        TMemoryStream stream;
        main().session().workingImage().saveToStream(stream);
        return stream.data();
    }

    QTemporaryDir m_dataHome;
    QTemporaryDir m_files;
    QByteArray m_oldDataHome;
    QString m_folder;
};

// ---- loading -----------------------------------------------------------------------------------

TEST_F(PlugInTest, EveryKindOfPlugInGivesItsOutcomeAndTheProgramRuns)
{
    for (const char* name : {"good", "title-fails", "register-fails", "throws", "no-menus", "wrong-interface",
                             "missing-symbol", "bad-metadata", "other-category", "requires-more"})
        install(fixturePlugIn(QString::fromLatin1(name)));
    writePlugInFile(QStringLiteral("garbage.so"), QByteArray(4096, '\x7f'));
    QFile good(fixturePlugIn(QStringLiteral("good")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    writePlugInFile(QStringLiteral("truncated.so"), good.read(64));
    writePlugInFile(QStringLiteral("broken.json"), "{ \"ClassId\": ");
    start();

    // Load order is file-name order; Get* failures (title-fails, throws) leave no record, a failed
    // RegisterMenus keeps its record; other categories and required categories are not taken.
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Fixture Plug-in"), QStringLiteral("Fixture 5"),
                                     QStringLiteral("Fixture 3")}));
    // What could not be a plug-in is reported once, file by file; Get* failures are silent.
    const QStringList texts = m_messages.texts();
    ASSERT_EQ(texts.size(), 1) << texts.join(QLatin1Char('\n')).toStdString();
    const QString report = texts.front();
    for (const char* expected :
         {"bad-metadata.so: its metadata names no class id", "broken.json: the manifest is not a JSON object",
          "garbage.so: it is no plug-in", "truncated.so: it is no plug-in", "missing-symbol.so:",
          "reelwrightFixtureSymbolNobodyDefines", "wrong-interface.so: No such interface supported"})
        EXPECT_TRUE(report.contains(QLatin1String(expected))) << expected << "\n" << report.toStdString();
    for (const char* silent : {"title-fails", "throws", "register-fails", "other-category", "requires-more"})
        EXPECT_FALSE(report.contains(QLatin1String(silent))) << silent;
    EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Error);

    EXPECT_TRUE(main().isEnabled());
    EXPECT_TRUE(main().findChild<QMenu*>(QStringLiteral("mnuPlugins"))->menuAction()->isVisible());
    EXPECT_TRUE(main().action(TActionId::mniPluginInfo)->isVisible());
    EXPECT_TRUE(item(QStringLiteral("Plug-ins|Fixture|Succeed")));
    // Kept although its plug-in's RegisterMenus failed afterwards.
    EXPECT_TRUE(item(QStringLiteral("Plug-ins|Half Registered")));
    EXPECT_FALSE(main().findChild<QWidget*>(QStringLiteral("frmProgress")));
}

TEST_F(PlugInTest, MenusShowOnlyWhatThePlugInsGaveThem)
{
    struct TCase
    {
        QStringList plugIns;
        bool plugInsMenu;
        bool plugInInfo;
    };
    const TCase cases[] = {
        {{}, false, false},
        {{QStringLiteral("no-menus")}, false, true},
        {{QStringLiteral("title-fails")}, false, false},
        {{QStringLiteral("no-menus"), QStringLiteral("good")}, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.plugIns.join(QLatin1Char(',')).toStdString());
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
        for (const QString& name : c.plugIns)
            install(fixturePlugIn(name));
        start();
        EXPECT_EQ(main().findChild<QMenu*>(QStringLiteral("mnuPlugins"))->menuAction()->isVisible(),
                  c.plugInsMenu);
        EXPECT_EQ(main().action(TActionId::mniPluginInfo)->isVisible(), c.plugInInfo);
        EXPECT_TRUE(m_messages.texts().isEmpty());
        m_program.reset();
    }
}

TEST_F(PlugInTest, AtMostFiftyClassesAreTaken)
{
    for (int k = 0; k < 60; ++k) {
        writePlugInFile(
            QStringLiteral("script%1.json").arg(k, 2, 10, QLatin1Char('0')),
            QStringLiteral("{\"ClassId\": \"{0D6A1B20-%1-4C3E-8D55-2F6E7A9B0C11}\", \"Title\": \"S%2\", "
                           "\"MenuPath\": \"Plug-ins|S%2\", \"Command\": [\"true\"]}")
                .arg(k, 4, 10, QLatin1Char('0'))
                .arg(k)
                .toUtf8());
    }
    start();
    ASSERT_EQ(titles().size(), 50);
    EXPECT_EQ(titles().front(), QStringLiteral("S0"));
    EXPECT_EQ(titles().back(), QStringLiteral("S49"));
    EXPECT_TRUE(item(QStringLiteral("Plug-ins|S49")));
    EXPECT_FALSE(item(QStringLiteral("Plug-ins|S50")));
}

TEST_F(PlugInTest, TheProgressFormCountsTheScanThenEachPlugIn)
{
    install(fixturePlugIn(QStringLiteral("good")));
    install(fixturePlugIn(QStringLiteral("title-fails")));
    install(fixturePlugIn(QStringLiteral("no-menus")));
    startProgram(); // plug-in loading left to the test
    QStringList trace;
    TAddInManager::TContext context;
    context.mainWindow = &main();
    context.progressChanged = [&](const QString& label, int maximum, int position) {
        trace.append(QStringLiteral("%1 %2/%3").arg(label).arg(position).arg(maximum));
        EXPECT_FALSE(main().isEnabled()) << "the main window takes no input while plug-ins load";
    };
    session().loadPlugIns(context, {m_folder});
    const QString scan = QStringLiteral("Scanning for Reelwright Plug-ins...");
    EXPECT_EQ(trace, (QStringList{scan + QStringLiteral(" 0/6"), scan + QStringLiteral(" 1/6"),
                                  scan + QStringLiteral(" 2/6"), scan + QStringLiteral(" 3/6"),
                                  scan + QStringLiteral(" 4/6"), scan + QStringLiteral(" 5/6"),
                                  scan + QStringLiteral(" 6/6"), QStringLiteral("Loading Reelwright Plug-ins... 1/4"),
                                  QStringLiteral("Loading Fixture Plug-in... 2/4"),
                                  QStringLiteral("Loading Fixture 5... 3/4")}));
    EXPECT_TRUE(main().isEnabled());
    // Loading happens once.
    session().loadPlugIns(context, {m_folder});
    EXPECT_EQ(trace.size(), 10);
}

// ---- plug-in items -----------------------------------------------------------------------------

TEST_F(PlugInTest, DocumentDependentItemsFollowTheDocuments)
{
    install(fixturePlugIn(QStringLiteral("good")));
    start();
    QAction* succeed = item(QStringLiteral("Plug-ins|Fixture|Succeed"));
    QAction* independent = item(QStringLiteral("Plug-ins|Fixture|Independent"));
    ASSERT_TRUE(succeed && independent);
    EXPECT_FALSE(succeed->isEnabled());
    EXPECT_TRUE(independent->isEnabled());

    ASSERT_TRUE(main().session().documents().open(makeGif()));
    EXPECT_TRUE(succeed->isEnabled());
    TComPtr<IIntfMenuItem> wrapper = application()->Menu(QStringLiteral("Plug-ins|Fixture|Succeed"));
    EXPECT_TRUE(wrapper->get_DocDependent());
    wrapper->put_DocDependent(false);
    EXPECT_FALSE(wrapper->get_DocDependent());

    ASSERT_TRUE(main().session().documents().closeAll());
    QAction* deny = item(QStringLiteral("Plug-ins|Fixture|Deny"));
    // The update runs a moment after the last document closed.
    EXPECT_TRUE(waitUntil([&] { return !deny->isEnabled(); }, 10000));
    EXPECT_TRUE(succeed->isEnabled()) << "an independent item is left alone";
    EXPECT_TRUE(independent->isEnabled());
}

TEST_F(PlugInTest, ClicksCallTheHandlerAndShowItsFailures)
{
    install(fixturePlugIn(QStringLiteral("good")));
    start();
    ASSERT_TRUE(main().session().documents().open(makeGif()));
    m_messages.clear();

    struct TCase
    {
        const char* path;
        const char* message; // empty: nothing shown
    };
    for (const TCase& c :
         {TCase{"Plug-ins|Fixture|Succeed", ""}, TCase{"Plug-ins|Fixture|Deny", "Access is denied."},
          TCase{"Plug-ins|Fixture|Throw", "The fixture handler threw."}}) {
        SCOPED_TRACE(c.path);
        m_messages.clear();
        item(QString::fromLatin1(c.path))->trigger();
        if (*c.message == 0) {
            EXPECT_TRUE(m_messages.texts().isEmpty());
            EXPECT_EQ(main().statusPanel(2)->text(), QStringLiteral("Fixture clicked 1"));
        } else {
            ASSERT_EQ(m_messages.texts(), QStringList{QString::fromLatin1(c.message)});
            EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Error);
        }
    }

    // Execute is a click too, but a failure is the caller's: nothing is shown.
    m_messages.clear();
    TComPtr<IIntfMenuItem> deny = application()->Menu(QStringLiteral("Plug-ins|Fixture|Deny"));
    try {
        deny->Execute();
        ADD_FAILURE() << "Execute of a failing handler succeeded";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Access is denied."));
        EXPECT_EQ(error.status(), E_ACCESSDENIED);
    }
    EXPECT_TRUE(m_messages.texts().isEmpty());
    // A disabled item does nothing.
    deny->put_Enabled(false);
    EXPECT_NO_THROW(deny->Execute());
}

TEST_F(PlugInTest, TheSamplePlugInReversesTheFramesAndUndoRestoresThem)
{
    install(samplePlugIn());
    start();
    QAction* reverse = item(QStringLiteral("Plug-ins|Reverse Frames"));
    ASSERT_TRUE(reverse);
    EXPECT_FALSE(reverse->isEnabled());
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Reverse Frames")});

    ASSERT_TRUE(main().session().documents().open(makeGif()));
    ASSERT_TRUE(reverse->isEnabled());
    const QByteArray before = workingBytes();
    reverse->trigger();
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(main().session().workingImage().images().count(), 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(main().session().workingImage().images().subImage(k)->scanLine(0)[0], 3 - k) << "frame " << k;
    EXPECT_NE(workingBytes(), before);
    main().action(TActionId::EditUndo)->trigger();
    EXPECT_SAME_BYTES(workingBytes(), before);
}

TEST_F(PlugInTest, TheExplorerListsThePlugInsWithTheirDetails)
{
    install(fixturePlugIn(QStringLiteral("good")));
    install(fixturePlugIn(QStringLiteral("no-menus")));
    start();
    bool shown = false;
    m_messages.pushForm([&](QDialog& dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Plugin Information"));
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbPlugIns"));
        auto* title = dialog.findChild<QLineEdit*>(QStringLiteral("txtTitle"));
        auto* version = dialog.findChild<QLineEdit*>(QStringLiteral("txtVersion"));
        auto* info = dialog.findChild<QPlainTextEdit*>(QStringLiteral("mmoInfo"));
        ASSERT_TRUE(list && title && version && info);
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Fixture Plug-in"));
        EXPECT_EQ(list->item(1)->text(), QStringLiteral("Fixture 5"));
        // The first one's details at once.
        EXPECT_EQ(title->text(), QStringLiteral("Fixture Plug-in"));
        EXPECT_EQ(version->text(), QStringLiteral("1.1"));
        EXPECT_EQ(info->toPlainText(), QStringLiteral("Fixture 1 for the tests.\nSecond line."));
        EXPECT_TRUE(title->isReadOnly() && version->isReadOnly() && info->isReadOnly());
        list->setCurrentRow(1);
        EXPECT_EQ(title->text(), QStringLiteral("Fixture 5"));
        EXPECT_EQ(version->text(), QStringLiteral("1.5"));
        dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    main().action(TActionId::mniPluginInfo)->trigger();
    EXPECT_TRUE(shown);
}

// ---- menu-item objects -------------------------------------------------------------------------

TEST_F(PlugInTest, MenuPathsAreExactCaptionsWithoutAmpersands)
{
    start();
    TComPtr<IGIFReelwrightApplication> app = application();
    EXPECT_TRUE(app->MenuExists(QStringLiteral("File|Export|As HTML Page...")));
    EXPECT_EQ(app->Menu(QStringLiteral("File|Export|As HTML Page..."))->get_Caption(),
              QStringLiteral("As &HTML Page..."));
    for (const char* path : {"&File|&Export|As &HTML Page...", "file|export|as html page...", "file|export",
                             "File||Export", "Export", ""}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(app->MenuExists(QString::fromLatin1(path)));
        try {
            app->Menu(QString::fromLatin1(path));
            ADD_FAILURE() << "no error";
        } catch (const EOleError& error) {
            EXPECT_EQ(error.message(),
                      QStringLiteral("Menu") + QString::fromLatin1(path) + QStringLiteral("does not exist!"));
        }
    }
}

TEST_F(PlugInTest, MenuItemMembersWorkOnTheRealMenuAndFailCleanly)
{
    start();
    TComPtr<IGIFReelwrightApplication> app = application();
    TComPtr<IIntfMenuItem> file = app->Menu(QStringLiteral("File"));
    const int count = file->get_SubItemCount();
    ASSERT_GT(count, 3);
    EXPECT_EQ(file->SubItem(0)->get_Caption(),
              item(QStringLiteral("File"))->menu()->actions().front()->text());
    auto expectError = [](const std::function<void()>& call, const QString& message) {
        try {
            call();
            ADD_FAILURE() << "no error for " << message.toStdString();
        } catch (const EOleError& error) {
            EXPECT_EQ(error.message(), message);
        }
    };
    expectError([&] { file->SubItem(count); }, QStringLiteral("Menu index out of bounds"));
    expectError([&] { file->SubItem(-1); }, QStringLiteral("Menu index out of bounds"));
    expectError([&] { file->InsertSubItem(count + 1); }, QStringLiteral("Menu index out of range"));
    expectError([&] { file->InsertSubItem(-1); }, QStringLiteral("Menu index out of range"));
    expectError([&] { file->put_MenuIndex(99); }, QStringLiteral("Menu index out of range"));
    expectError([&] { file->SetMenuHandler(QVariant()); },
                QStringLiteral("Cannot change pre-defined menu handlers"));
    EXPECT_FALSE(file->get_DocDependent());
    EXPECT_EQ(file->get_SubItemCount(), count) << "failed calls changed nothing";

    // New items: appended, inserted, moved, with the properties a plug-in sets.
    TComPtr<IIntfMenuItem> plugins = app->Menu(QStringLiteral("Plug-ins"));
    TComPtr<IIntfMenuItem> second = plugins->AddSubItem();
    second->put_Caption(QStringLiteral("&Second"));
    TComPtr<IIntfMenuItem> first = plugins->InsertSubItem(0);
    first->put_Caption(QStringLiteral("&First"));
    EXPECT_EQ(plugins->get_SubItemCount(), 2);
    EXPECT_EQ(plugins->SubItem(0)->get_Caption(), QStringLiteral("&First"));
    EXPECT_EQ(second->get_MenuIndex(), 1);
    second->put_MenuIndex(0);
    EXPECT_EQ(plugins->SubItem(0)->get_Caption(), QStringLiteral("&Second"));
    EXPECT_EQ(first->get_MenuIndex(), 1);
    EXPECT_TRUE(first->get_DocDependent());
    first->put_ShortCut(QStringLiteral("Ctrl+Shift+F7"));
    EXPECT_EQ(first->get_ShortCut(), QStringLiteral("Ctrl+Shift+F7"));
    first->put_ShortCut(QStringLiteral("no such key"));
    EXPECT_EQ(first->get_ShortCut(), QString());
    first->put_Checked(true);
    EXPECT_TRUE(first->get_Checked());
    first->put_Hint(QStringLiteral("<b>plain</b>"));
    EXPECT_EQ(first->get_Hint(), QStringLiteral("<b>plain</b>"));
    first->put_Tag(77);
    EXPECT_EQ(first->get_Tag(), 77);
    // Another wrapper of the same item sees the same item.
    EXPECT_EQ(app->Menu(QStringLiteral("Plug-ins|First"))->get_Tag(), 77);
    // A plug-in item with no handler: a click does nothing.
    first->put_Enabled(true);
    EXPECT_NO_THROW(first->Execute());
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

// The menu changes under the objects (recent files, favourites, the Play menu): an object whose
// item went answers every member with an error and touches nothing.
TEST_F(PlugInTest, AnObjectOfADeletedItemFailsInEveryMember)
{
    start();
    TComPtr<IGIFReelwrightApplication> app = application();
    TComPtr<IIntfMenuItem> parent = app->Menu(QStringLiteral("Plug-ins"))->AddSubItem();
    parent->put_Caption(QStringLiteral("Parent"));
    TComPtr<IIntfMenuItem> child = parent->AddSubItem();
    child->put_Caption(QStringLiteral("Child"));
    TComPtr<IIntfMenuItem> gone = app->Menu(QStringLiteral("Plug-ins"))->AddSubItem();
    gone->put_Caption(QStringLiteral("Gone"));

    delete item(QStringLiteral("Plug-ins|Gone"));
    // The child's menu goes with its parent item's menu.
    delete item(QStringLiteral("Plug-ins|Parent"))->menu();
    for (IIntfMenuItem* object : {gone.get(), child.get()}) {
        for (const TMemberInfo& member : object->interfaceInfo().members) {
            SCOPED_TRACE(member.name);
            QVariantList args;
            for (const TParamInfo& param : member.params)
                args.append(param.type == TVarType::Object ? QVariant::fromValue(TDispatchPtr())
                                                           : QVariant(0));
            try {
                object->invoke(member.dispid, member.kind, args);
                ADD_FAILURE() << "no error";
            } catch (const EOleError& error) {
                EXPECT_EQ(error.message(), QStringLiteral("The menu item no longer exists."));
            }
        }
    }
}

} // namespace
