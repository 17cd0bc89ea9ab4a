// The program itself as an automation server: registration switches, activation by the bus, and
// the end of the automation start mode when a client dies. Each test runs the real program on the
// offscreen platform against a private session bus.
#include "automation/AutomationRegistration.h"
#include "automation/AutomationTestSupport.h"
#include "automation/Reelwright_TLB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/reelwright");
}

class AutomationProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        QDir(m_home.path()).mkpath(QStringLiteral("data"));
        QDir(m_home.path()).mkpath(QStringLiteral("config"));
    }
    QString dataHome() const { return m_home.path() + QStringLiteral("/data"); }
    QProcessEnvironment environment(const TPrivateBus* bus = nullptr) const
    {
        QProcessEnvironment env = bus ? bus->environment() : QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
    QString serviceFile() const
    {
        return dataHome() + QStringLiteral("/dbus-1/services/Reelwright.GIFApplication.service");
    }
    // The process id of the service's owner on the bus, 0 while there is none.
    qint64 serviceOwnerPid(const TPrivateBus& bus)
    {
        const TToolResult r =
            runTool(QStringLiteral("gdbus"),
                    {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                     QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                     QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                     QStringLiteral("org.freedesktop.DBus.GetConnectionUnixProcessID"), kService},
                    bus.environment());
        QString text = r.out;
        text.remove(QStringLiteral("(uint32 ")).remove(QStringLiteral(",)"));
        return r.exitCode == 0 ? text.trimmed().toLongLong() : 0;
    }
    static bool processGone(qint64 pid) { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)); }

    QTemporaryDir m_home;
};

TEST_F(AutomationProcessTest, RegisterInLowerCaseThenActivationStartsTheProgram)
{
    TToolResult r = runTool(program(), {QStringLiteral("-regserver")}, environment());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    QFile service(serviceFile());
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Name=Reelwright.GIFApplication\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"%1\" -AUTOMATION\n").arg(program())))
        << qPrintable(text);
    // Every interface file is a well-formed introspection document (xmllint is the peer).
    for (const auto& entry : typeLibraryInterfaces()) {
        const QString file =
            dataHome() + QStringLiteral("/dbus-1/interfaces/") + entry.first + QStringLiteral(".xml");
        const TToolResult lint =
            runTool(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--nonet"), file},
                    environment());
        EXPECT_EQ(lint.exitCode, 0) << qPrintable(file) << qPrintable(lint.err);
    }

    // The bus starts the program for a gdbus call to the service name.
    TPrivateBus bus(dataHome());
    ASSERT_TRUE(bus.isValid());
    QProcessEnvironment env = environment(&bus);
    r = runTool(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--timeout"),
                 QStringLiteral("120"), QStringLiteral("--dest"), kService, QStringLiteral("--object-path"),
                 QStringLiteral("/Reelwright/GIFApplication"), QStringLiteral("--method"),
                 QStringLiteral("org.freedesktop.DBus.Properties.Get"), kService,
                 QStringLiteral("ObjectCount")},
                env);
    EXPECT_EQ(r.out, QStringLiteral("(<1>,)")) << qPrintable(r.err);
    const qint64 pid = serviceOwnerPid(bus);
    ASSERT_GT(pid, 0);

    // A client's object, released when that client exits, ends the automation start mode.
    r = gdbusCall(bus, QStringLiteral("/Reelwright/GIFApplication"),
                  QStringLiteral("Reelwright.GIFApplication.CreateInstance"));
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("(objectpath '/Reelwright/GIFApplication/")))
        << qPrintable(r.err);
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }, 30000));
}

TEST_F(AutomationProcessTest, UnregisterAfterSlashRemovesTheFilesAndEnds)
{
    ASSERT_EQ(runTool(program(), {QStringLiteral("-REGSERVER")}, environment()).exitCode, 0);
    ASSERT_TRUE(QFileInfo::exists(serviceFile()));
    const TToolResult r = runTool(program(), {QStringLiteral("/UnRegServer")}, environment());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(serviceFile()));
    EXPECT_TRUE(QDir(dataHome() + QStringLiteral("/dbus-1/interfaces")).isEmpty());
}

TEST_F(AutomationProcessTest, RegistrationThatCannotBeWrittenIsReported)
{
    // The data folder is a file: nothing can be created below it.
    QFile blocker(dataHome() + QStringLiteral("/dbus-1"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const TToolResult r = runTool(program(), {QStringLiteral("-RegServer")}, environment());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("dbus-1"))) << qPrintable(r.err);
}

TEST_F(AutomationProcessTest, KilledClientEndsTheAutomationStartMode)
{
    TPrivateBus bus(dataHome());
    ASSERT_TRUE(bus.isValid());
    // A registration that cannot be refreshed is reported, and the program goes on serving.
    QFile blocker(dataHome() + QStringLiteral("/dbus-1"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcess editor;
    editor.setProcessEnvironment(environment(&bus));
    editor.start(program(), {QStringLiteral("-Embedding")});
    ASSERT_TRUE(editor.waitForStarted(30000));
    // The program can end only once it has finished starting (the splash keeps it a while).
    auto ready = [&] {
        return gdbusCall(bus, QStringLiteral("/Reelwright/GIFApplication"),
                         QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                         {kService, QStringLiteral("Ready")})
                   .out == QStringLiteral("(<true>,)");
    };
    ASSERT_TRUE(waitUntil([&] { return ready() || editor.state() == QProcess::NotRunning; }, 120000));

    QProcess client;
    client.setProcessEnvironment(bus.environment());
    client.start(QCoreApplication::applicationDirPath() + QStringLiteral("/automation_test_client"));
    ASSERT_TRUE(client.waitForStarted(30000));
    ASSERT_TRUE(client.waitForReadyRead(120000));
    ASSERT_TRUE(client.readLine().startsWith("ready"));
    EXPECT_EQ(objectCount(bus), 4);

    ::kill(pid_t(client.processId()), SIGKILL);
    client.waitForFinished(30000);
    // No document is modified, so the program closes as soon as the client's objects are gone.
    EXPECT_TRUE(editor.waitForFinished(2000));
    if (editor.state() != QProcess::NotRunning) {
        editor.kill();
        editor.waitForFinished();
    }
    EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(editor.exitCode(), 0);
    EXPECT_TRUE(editor.readAllStandardError().contains("the automation registration was not refreshed"));
}

} // namespace

namespace {

TEST_F(AutomationProcessTest, SecondAutomationStartEndsWhenTheNameIsServed)
{
    TPrivateBus bus(dataHome());
    ASSERT_TRUE(bus.isValid());
    QProcess first;
    first.setProcessEnvironment(environment(&bus));
    first.start(program(), {QStringLiteral("-automation")});
    ASSERT_TRUE(first.waitForStarted(30000));
    ASSERT_TRUE(waitUntil([&] { return serviceOwnerPid(bus) == first.processId(); }, 120000));

    // A second start for a client (the bus may start one while the first is taking its name)
    // cannot serve anyone and ends by itself.
    QProcess second;
    second.setProcessEnvironment(environment(&bus));
    second.start(program(), {QStringLiteral("/EMBEDDING")});
    ASSERT_TRUE(second.waitForStarted(30000));
    EXPECT_TRUE(waitUntil([&] { return second.state() == QProcess::NotRunning; }, 120000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("automation server not available"));

    // The first ends with its first client's object.
    gdbusCall(bus, QStringLiteral("/Reelwright/GIFApplication"),
              QStringLiteral("Reelwright.GIFApplication.CreateInstance"));
    EXPECT_TRUE(waitUntil([&] { return first.state() == QProcess::NotRunning; }, 120000));
    for (QProcess* p : {&first, &second}) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished();
        }
    }
}

} // namespace
