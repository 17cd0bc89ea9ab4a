// Menu items over the session bus: a client's handler object called back on its own connection,
// gdbus and busctl driving the menu-item objects, and script plug-ins that drive the program with
// gdbus from their own process.
#include "app/AppFixture.h"
#include "app/AutomationWiring.h"
#include "automation/AutomationSession.h"
#include "automation/AutomationTestSupport.h"
#include "automation/IntfMenuItem.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>

// A client's IIntfMenuHandler: records the tags; tag 9 answers with a D-Bus error.
class TBusMenuHandler : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Reelwright.IIntfMenuHandler")
public:
    QList<int> tags;

public slots:
    void Execute(int nTag)
    {
        tags.append(nTag);
        if (nTag == 9)
            sendErrorReply(QStringLiteral("Test.Error.Refused"), QStringLiteral("The client refused tag 9."));
    }
};

namespace {

const QString kFactory = QStringLiteral("/Reelwright/GIFApplication");
const QString kItemInterface = QStringLiteral("Reelwright.IIntfMenuItem");

class PlugInBusTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_dataHome.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_oldBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toLocal8Bit());
        m_bus = std::make_unique<TPrivateBus>(m_dataHome.path());
        ASSERT_TRUE(m_bus->isValid());
        // Script plug-ins inherit the program's environment: they reach this bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toLocal8Bit());
        m_serverBus = QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("plugin-test-server"));
        m_clientBus = QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("plugin-test-client"));
        ASSERT_TRUE(m_serverBus.isConnected() && m_clientBus.isConnected());
        ASSERT_TRUE(m_clientBus.registerObject(QStringLiteral("/test/handler"), &m_handler,
                                               QDBusConnection::ExportAllSlots));
        m_folder = QDir(m_dataHome.path()).filePath(QStringLiteral("reelwright/plugins"));
        ASSERT_TRUE(QDir().mkpath(m_folder));
    }

    void TearDown() override
    {
        m_program.reset();
        m_clientBus.unregisterObject(QStringLiteral("/test/handler"));
        QDBusConnection::disconnectFromBus(QStringLiteral("plugin-test-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("plugin-test-server"));
        m_bus.reset();
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_oldBus);
        AppFixture::TearDown();
    }

    TfrmMain& start()
    {
        TProgramOptions options;
        options.hooks = recordingHooks();
        options.hooks.createAutomationApplication =
            automationApplicationHook(TAutomationStartMode::StandAlone, m_serverBus);
        options.hooks.scanPlugins = defaultStartupHooks().scanPlugins;
        options.clock = fastClock();
        m_program = std::make_unique<TProgram>(std::move(options));
        m_program->start();
        QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        return *m_program->mainWindow();
    }
    TfrmMain& main() { return *m_program->mainWindow(); }

    QDBusMessage clientCall(const QString& path, const QString& interface, const QString& member,
                            const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
        message.setArguments(args);
        QDBusPendingCall pending = m_clientBus.asyncCall(message, 120000);
        waitUntil([&] { return pending.isFinished(); }, 120000);
        return pending.reply();
    }
    QString clientPath(const QDBusMessage& reply)
    {
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    void writeManifest(const QString& name, const QString& json)
    {
        QFile file(QDir(m_folder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json.toUtf8());
    }

    TBusMenuHandler m_handler;
    QTemporaryDir m_dataHome;
    QByteArray m_oldDataHome;
    QByteArray m_oldBus;
    QString m_folder;
    std::unique_ptr<TPrivateBus> m_bus;
    QDBusConnection m_serverBus{QString()};
    QDBusConnection m_clientBus{QString()};
};

TEST_F(PlugInBusTest, AClientsHandlerIsCalledBackOnItsOwnConnection)
{
    start();
    const QString app = clientPath(
        clientCall(kFactory, QStringLiteral("Reelwright.GIFApplication"), QStringLiteral("CreateInstance")));
    ASSERT_FALSE(app.isEmpty());
    const QString plugins =
        clientPath(clientCall(app, kAppInterface, QStringLiteral("Menu"), {QStringLiteral("Plug-ins")}));
    ASSERT_TRUE(plugins.startsWith(QStringLiteral("/Reelwright/IntfMenuItem/"))) << plugins.toStdString();
    const QString item = clientPath(clientCall(plugins, kItemInterface, QStringLiteral("AddSubItem")));
    ASSERT_TRUE(item.startsWith(QStringLiteral("/Reelwright/IntfMenuItem/")));
    for (const auto& [name, value] :
         {std::pair{"Caption", QVariant(QStringLiteral("From &Client"))}, std::pair{"Tag", QVariant(42)},
          std::pair{"DocDependent", QVariant(false)}}) {
        const QDBusMessage set =
            clientCall(item, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                       {kItemInterface, QString::fromLatin1(name), QVariant::fromValue(QDBusVariant(value))});
        ASSERT_NE(set.type(), QDBusMessage::ErrorMessage) << name << " " << set.errorMessage().toStdString();
    }
    const QDBusMessage handler =
        clientCall(item, kItemInterface, QStringLiteral("SetMenuHandler"),
                   {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/test/handler")))});
    ASSERT_NE(handler.type(), QDBusMessage::ErrorMessage) << handler.errorMessage().toStdString();

    // gdbus runs it as a user's click; the server waits for the client's handler meanwhile.
    const TToolResult execute = gdbusCall(*m_bus, item, kItemInterface + QStringLiteral(".Execute"));
    ASSERT_EQ(execute.exitCode, 0) << execute.err.toStdString();
    EXPECT_EQ(m_handler.tags, QList<int>{42});
    // The user's click on the real item.
    QAction* action = findMenuItem(main().menuBar(), QStringLiteral("Plug-ins|From Client"));
    ASSERT_TRUE(action);
    action->trigger();
    EXPECT_EQ(m_handler.tags, (QList<int>{42, 42}));
    EXPECT_TRUE(m_messages.texts().isEmpty());

    // A handler that answers an error: the caller of Execute gets it, a click shows it.
    clientCall(item, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
               {kItemInterface, QStringLiteral("Tag"), QVariant::fromValue(QDBusVariant(9))});
    const TToolResult refused = gdbusCall(*m_bus, item, kItemInterface + QStringLiteral(".Execute"));
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Reelwright.Error.Failed"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("The client refused tag 9.")))
        << refused.err.toStdString();
    action->trigger();
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("The client refused tag 9.")});

    // The program's own items keep their handlers; unknown paths name themselves.
    const QString fileItem =
        clientPath(clientCall(app, kAppInterface, QStringLiteral("Menu"), {QStringLiteral("File")}));
    const QDBusMessage own =
        clientCall(fileItem, kItemInterface, QStringLiteral("SetMenuHandler"),
                   {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/test/handler")))});
    EXPECT_EQ(own.errorMessage(), QStringLiteral("Cannot change pre-defined menu handlers"));
    const TToolResult missing =
        gdbusCall(*m_bus, app, kAppInterface + QStringLiteral(".Menu"), {QStringLiteral("No|Such")});
    EXPECT_TRUE(missing.err.contains(QStringLiteral("MenuNo|Suchdoes not exist!")))
        << missing.err.toStdString();

    // busctl sees the menu-item interface with its members.
    const TToolResult introspect = busctl(*m_bus, QStringLiteral("introspect"), item);
    ASSERT_EQ(introspect.exitCode, 0) << introspect.err.toStdString();
    for (const char* member : {".AddSubItem", ".SubItem", ".SetMenuHandler", ".Caption", ".DocDependent"})
        EXPECT_TRUE(introspect.out.contains(QLatin1String(member))) << member;
    const TToolResult caption =
        busctl(*m_bus, QStringLiteral("get-property"), item, {kItemInterface, QStringLiteral("Caption")});
    EXPECT_EQ(caption.out, QStringLiteral("s \"From &Client\""));
}

TEST_F(PlugInBusTest, AScriptPlugInDrivesTheProgramFromItsOwnProcess)
{
    writeManifest(
        QStringLiteral("status.json"),
        QStringLiteral(R"({"ClassId": "{6B0F2E10-1111-4C3E-8D55-2F6E7A9B0C11}", "Title": "Status Script",
        "Version": "2", "Description": "Writes the status bar", "MenuPath": "Plug-ins|Write &Status", "DocDependent": false,
        "Command": ["sh", "-c", "gdbus call --session --dest \"$REELWRIGHT_SERVICE\" --object-path \"$REELWRIGHT_APPLICATION\" --method Reelwright.IGIFReelwrightApplication.SetStatusText \"<'from script'>\""]})"));
    writeManifest(
        QStringLiteral("failing.json"),
        QStringLiteral(R"({"ClassId": "{6B0F2E10-2222-4C3E-8D55-2F6E7A9B0C11}", "Title": "Failing Script",
        "MenuPath": "Plug-ins|Fail", "DocDependent": false, "Command": "sh -c \"echo broken pipe dream >&2; exit 3\""})"));
    writeManifest(QStringLiteral("absent.json"),
                  QStringLiteral(R"({"ClassId": "{6B0F2E10-3333-4C3E-8D55-2F6E7A9B0C11}", "Title": "Absent",
        "MenuPath": "Plug-ins|Absent", "DocDependent": false, "Command": ["./no-such-program"]})"));
    start();
    const int objectsBefore =
        qobject_cast<TAutomationSession*>(main().automationApplication())->server().objectCount();

    findMenuItem(main().menuBar(), QStringLiteral("Plug-ins|Write Status"))->trigger();
    EXPECT_TRUE(
        waitUntil([&] { return main().statusPanel(2)->text() == QStringLiteral("from script"); }, 60000))
        << main().statusPanel(2)->text().toStdString();
    // The script's application object goes with the script.
    EXPECT_TRUE(waitUntil(
        [&] {
            return qobject_cast<TAutomationSession*>(main().automationApplication())
                       ->server()
                       .objectCount() == objectsBefore;
        },
        60000));

    findMenuItem(main().menuBar(), QStringLiteral("Plug-ins|Fail"))->trigger();
    ASSERT_TRUE(waitUntil([&] { return !m_messages.texts().isEmpty(); }, 60000));
    EXPECT_TRUE(m_messages.texts().front().contains(QStringLiteral("exit code 3")))
        << m_messages.texts().join(QLatin1Char(10)).toStdString();
    EXPECT_TRUE(m_messages.texts().front().contains(QStringLiteral("broken pipe dream")));

    m_messages.clear();
    findMenuItem(main().menuBar(), QStringLiteral("Plug-ins|Absent"))->trigger();
    ASSERT_EQ(m_messages.texts().size(), 1);
    EXPECT_TRUE(m_messages.texts().front().contains(QStringLiteral("could not be started")))
        << m_messages.texts().front().toStdString();
}

} // namespace

#include "PlugInBusTest.moc"
