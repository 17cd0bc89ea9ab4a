// The automation server inside a real main window, driven over a private session bus by gdbus and
// busctl. A connection of the test's own plays the client that holds objects between tool calls
// (each gdbus call is a client of its own, whose references go when it exits).
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/Routines.h"
#include "editing/UndoHistory.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"
#include "app/AppFixture.h"
#include "app/AutomationWiring.h"
#include "app/Childwin.h"
#include "automation/AutomationRegistration.h"
#include "automation/AutomationSession.h"
#include "automation/AutomationTestSupport.h"
#include "automation/SmallAnimation.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstring>
#include <random>

namespace {

const QString kFactory = QStringLiteral("/Reelwright/GIFApplication");

QString sampleGif()
{
    return testsupport::localTestData(QStringLiteral("gif/walker.gif"));
}

// The <interface> elements of an introspection document, by name, in a canonical text form:
// elements and their attributes in order, whitespace and comments left out.
QMap<QString, QString> interfaceElements(const QString& xml)
{
    QMap<QString, QString> found;
    QXmlStreamReader reader(xml);
    QString name;
    QString text;
    int depth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QLatin1String("interface") && depth == 0) {
                name = reader.attributes().value(QLatin1String("name")).toString();
                text.clear();
            }
            if (!name.isEmpty()) {
                ++depth;
                text += QLatin1Char('<') + reader.name().toString();
                for (const QXmlStreamAttribute& attribute : reader.attributes())
                    text += QLatin1Char(' ') + attribute.name().toString() + QStringLiteral("=\"") +
                            attribute.value().toString() + QLatin1Char('"');
                text += QLatin1Char('>');
            }
        } else if (reader.isEndElement() && !name.isEmpty()) {
            text += QStringLiteral("</") + reader.name().toString() + QLatin1Char('>');
            if (--depth == 0) {
                found.insert(name, text);
                name.clear();
            }
        }
    }
    if (reader.hasError())
        found.insert(QStringLiteral("error"), reader.errorString());
    return found;
}

// "width height" of a file's first picture, as ImageMagick reads it.
QString identifySize(const QString& file)
{
    return runTool(QStringLiteral("identify"),
                   {QStringLiteral("-format"), QStringLiteral("%w %h"), file + QStringLiteral("[0]")},
                   QProcessEnvironment::systemEnvironment())
        .out;
}

class AutomationServerTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_dataHome.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toLocal8Bit());
        m_bus = std::make_unique<TPrivateBus>(m_dataHome.path());
        ASSERT_TRUE(m_bus->isValid());
        m_serverBus =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("automation-test-server"));
        m_clientBus =
            QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("automation-test-client"));
        ASSERT_TRUE(m_serverBus.isConnected());

        TProgramOptions options;
        options.hooks = recordingHooks();
        options.hooks.createAutomationApplication =
            automationApplicationHook(TAutomationStartMode::StandAlone, m_serverBus);
        options.clock = fastClock();
        m_program = std::make_unique<TProgram>(std::move(options));
        m_program->start();
        QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        ASSERT_EQ(session().server().objectCount(), 1);
    }

    void TearDown() override
    {
        m_program.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("automation-test-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("automation-test-server"));
        m_bus.reset();
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        AppFixture::TearDown();
    }

    TAutomationSession& session()
    {
        return *qobject_cast<TAutomationSession*>(m_program->mainWindow()->automationApplication());
    }
    TfrmMain& main() { return *m_program->mainWindow(); }

    // A call from the test's own client connection, answered while this thread keeps serving.
    QDBusMessage clientCall(const QString& path, const QString& interface, const QString& member,
                            const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
        message.setArguments(args);
        QDBusPendingCall pending = m_clientBus.asyncCall(message, 120000);
        waitUntil([&] { return pending.isFinished(); }, 120000);
        return pending.reply();
    }
    // An application object held by the test's client.
    QString createInstance()
    {
        const QDBusMessage reply = clientCall(kFactory, QStringLiteral("Reelwright.GIFApplication"),
                                              QStringLiteral("CreateInstance"));
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    QString clientProperty(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage reply = clientCall(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                              QStringLiteral("Get"), {interface, name});
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        return value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path() : value.toString();
    }

    // A property read by the test's client, as the value itself.
    QVariant clientValue(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage reply = clientCall(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                              QStringLiteral("Get"), {interface, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QDBusMessage clientSet(const QString& path, const QString& interface, const QString& name,
                           const QVariant& value)
    {
        return clientCall(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                          {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    // The object a method answers, held by the test's client.
    QString clientObject(const QString& path, const QString& interface, const QString& member,
                         const QVariantList& args = {})
    {
        return clientCall(path, interface, member, args).arguments().value(0).value<QDBusObjectPath>().path();
    }
    int undoSteps()
    {
        TDocument* doc = main().session().documents().active();
        return doc && doc->history() ? doc->history()->count() : 0;
    }

    QTemporaryDir m_dataHome;
    QByteArray m_oldDataHome;
    std::unique_ptr<TPrivateBus> m_bus;
    QDBusConnection m_serverBus{QString()};
    QDBusConnection m_clientBus{QString()};
};

TEST_F(AutomationServerTest, IntrospectionOfEveryServedInterfaceIsTheRegisteredTypeLibrary)
{
    ASSERT_TRUE(writeRegistration(QStringLiteral("/opt/reelwright/bin/reelwright")));
    ASSERT_TRUE(main().session().documents().open(sampleGif()));
    const QString app = createInstance();
    const QString documents = clientProperty(app, kAppInterface, QStringLiteral("DocumentCache"));
    const QString active = clientProperty(app, kAppInterface, QStringLiteral("ActiveDocument"));
    ASSERT_TRUE(documents.startsWith(QStringLiteral("/Reelwright/Documents/")));
    ASSERT_TRUE(active.startsWith(QStringLiteral("/Reelwright/ActiveDocument/")));

    const QString interfaces = m_dataHome.path() + QStringLiteral("/dbus-1/interfaces/");
    int compared = 0;
    for (const QString& path : {kFactory, app, documents, active}) {
        const TToolResult r =
            runTool(QStringLiteral("gdbus"),
                    {QStringLiteral("introspect"), QStringLiteral("--session"), QStringLiteral("--xml"),
                     QStringLiteral("--dest"), kService, QStringLiteral("--object-path"), path},
                    m_bus->environment());
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
        const QMap<QString, QString> served = interfaceElements(r.out);
        for (auto it = served.begin(); it != served.end(); ++it) {
            if (!it.key().startsWith(QStringLiteral("Reelwright.")))
                continue;
            QFile file(interfaces + it.key() + QStringLiteral(".xml"));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(it.key());
            const QMap<QString, QString> registered = interfaceElements(QString::fromUtf8(file.readAll()));
            EXPECT_EQ(registered.value(it.key()), it.value()) << qPrintable(it.key());
            ++compared;
        }
    }
    // Factory; three objects with their own interface, IDispatch and IUnknown each.
    EXPECT_EQ(compared, 1 + 3 * 3);

    // busctl reads the same members and signatures: methods with in and out signatures,
    // properties writable exactly where they have a put.
    const TToolResult r = busctl(*m_bus, QStringLiteral("introspect"), app, {kAppInterface});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    QStringList lines;
    for (const QString& line : r.out.split(QLatin1Char('\n'))) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.value(0).startsWith(QLatin1Char('.')))
            lines.append(cells.mid(0, 3).join(QLatin1Char(' ')) +
                         (line.contains(QStringLiteral("writable")) ? QStringLiteral(" w") : QString()));
    }
    EXPECT_TRUE(lines.contains(QStringLiteral(".GetImageSize method sii")));
    EXPECT_TRUE(lines.contains(QStringLiteral(".Width property i w")));
    EXPECT_TRUE(lines.contains(QStringLiteral(".VersionText property v")));
    EXPECT_TRUE(lines.contains(QStringLiteral(".ActiveDocument property o")));
    EXPECT_TRUE(lines.contains(QStringLiteral(".Menu method s")));
    // 52 dispids minus the unused 6 = 51 members, property pairs counted once.
    EXPECT_EQ(lines.size(), 51) << qPrintable(lines.join(QLatin1Char('\n')));
}

TEST_F(AutomationServerTest, ClassFactoryObjectsLiveAsLongAsTheirClient)
{
    // A gdbus client gets a new object; when it exits, its reference goes with it.
    TToolResult r = gdbusCall(*m_bus, kFactory, QStringLiteral("Reelwright.GIFApplication.CreateInstance"));
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("(objectpath '/Reelwright/GIFApplication/")))
        << qPrintable(r.out);
    EXPECT_TRUE(waitUntil([&] { return session().server().objectCount() == 1; }, 10000));

    // Our own client holds two; Release drops one each, a second Release of the same is refused.
    const QString first = createInstance();
    const QString second = createInstance();
    EXPECT_NE(first, second);
    EXPECT_EQ(objectCount(*m_bus), 3);
    EXPECT_EQ(session().server().countedObjects(), 2);
    QDBusMessage reply = clientCall(first, QStringLiteral("Reelwright.IUnknown"), QStringLiteral("Release"));
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    reply = clientCall(first, QStringLiteral("Reelwright.IUnknown"), QStringLiteral("Release"));
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
    // A client that holds nothing cannot release another client's object.
    r = gdbusCall(*m_bus, second, QStringLiteral("Reelwright.IUnknown.Release"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Reelwright.Error.Failed"))) << qPrintable(r.err);
    EXPECT_EQ(objectCount(*m_bus), 2);
    // The stand-alone program keeps running when the last counted object goes.
    reply = clientCall(second, QStringLiteral("Reelwright.IUnknown"), QStringLiteral("Release"));
    EXPECT_EQ(session().server().objectCount(), 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(main().isVisible());
}

TEST_F(AutomationServerTest, KilledClientLeavesOnlyTheProgramsOwnObject)
{
    QProcess client;
    client.setProcessEnvironment(m_bus->environment());
    client.start(QCoreApplication::applicationDirPath() + QStringLiteral("/automation_test_client"));
    ASSERT_TRUE(client.waitForStarted(30000));
    ASSERT_TRUE(
        waitUntil([&] { return client.canReadLine() || client.state() == QProcess::NotRunning; }, 120000));
    ASSERT_TRUE(client.readLine().startsWith("ready")) << qPrintable(client.readAllStandardError());
    EXPECT_EQ(session().server().objectCount(), 4);

    ::kill(pid_t(client.processId()), SIGKILL);
    client.waitForFinished(30000);
    EXPECT_TRUE(waitUntil([&] { return session().server().objectCount() == 1; }, 10000));
    EXPECT_EQ(session().server().countedObjects(), 0);
    EXPECT_EQ(objectCount(*m_bus), 1);
}

TEST_F(AutomationServerTest, ApplicationMembersThroughGdbusAndBusctl)
{
    const QString app = createInstance();
    ASSERT_FALSE(app.isEmpty());
    const QString call = kAppInterface + QLatin1Char('.');

    // No document: ActiveDocument is the null reference.
    EXPECT_EQ(gdbusCall(*m_bus, app, QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                        {kAppInterface, QStringLiteral("ActiveDocument")})
                  .out,
              QStringLiteral("(<objectpath '/'>,)"));

    // OpenFile of a real GIF, then the active document and its file name.
    TToolResult r = gdbusCall(*m_bus, app, call + QStringLiteral("OpenFile"), {sampleGif()});
    EXPECT_EQ(r.out, QStringLiteral("(true,)")) << qPrintable(r.err);
    const QString active = clientProperty(app, kAppInterface, QStringLiteral("ActiveDocument"));
    EXPECT_TRUE(active.startsWith(QStringLiteral("/Reelwright/ActiveDocument/")));
    r = busctl(*m_bus, QStringLiteral("get-property"), active,
               {QStringLiteral("Reelwright.IActiveDocument"), QStringLiteral("FileName")});
    EXPECT_EQ(r.out, QStringLiteral("s \"%1\"").arg(sampleGif()));
    EXPECT_EQ(
        gdbusCall(*m_bus, app, call + QStringLiteral("OpenFile"), {QStringLiteral("/no/such/file.gif")}).out,
        QStringLiteral("(false,)"));

    // Width and Height put with busctl, read back with gdbus; WindowState 7 means normal.
    EXPECT_EQ(busctl(*m_bus, QStringLiteral("set-property"), app,
                     {kAppInterface, QStringLiteral("Width"), QStringLiteral("i"), QStringLiteral("640")})
                  .exitCode,
              0);
    EXPECT_EQ(gdbusCall(*m_bus, app, QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                        {kAppInterface, QStringLiteral("Height"), QStringLiteral("<480>")})
                  .exitCode,
              0);
    EXPECT_EQ(main().frameGeometry().size(), QSize(640, 480));
    EXPECT_EQ(gdbusCall(*m_bus, app, QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                        {kAppInterface, QStringLiteral("Width")})
                  .out,
              QStringLiteral("(<640>,)"));
    busctl(*m_bus, QStringLiteral("set-property"), app,
           {kAppInterface, QStringLiteral("WindowState"), QStringLiteral("i"), QStringLiteral("2")});
    EXPECT_TRUE(main().isMaximized());
    busctl(*m_bus, QStringLiteral("set-property"), app,
           {kAppInterface, QStringLiteral("WindowState"), QStringLiteral("i"), QStringLiteral("7")});
    EXPECT_FALSE(main().isMaximized());
    EXPECT_FALSE(main().isMinimized());

    // Fixed answers.
    r = busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, QStringLiteral("VersionText")});
    EXPECT_EQ(r.out, QStringLiteral("v s \"4.0\""));
    r = busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, QStringLiteral("CurrentView")});
    EXPECT_EQ(r.out, QStringLiteral("i 0"));
    r = busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, QStringLiteral("AppPath")});
    EXPECT_EQ(r.out, QStringLiteral("v s \"%1/\"").arg(QCoreApplication::applicationDirPath()));

    // ExtractFilePath and ExtractFileName.
    struct Case
    {
        QString argument, path, name;
    };
    const Case cases[] = {
        {QStringLiteral("/pics/walk.gif"), QStringLiteral("/pics/"), QStringLiteral("walk.gif")},
        {QString(), QString(), QString()},
        {QStringLiteral("walk.gif"), QString(), QStringLiteral("walk.gif")},
        {QStringLiteral("/pics/"), QStringLiteral("/pics/"), QString()},
        {QStringLiteral("/"), QStringLiteral("/"), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("ExtractFilePath"), {c.argument}).out,
                  QStringLiteral("('%1',)").arg(c.path))
            << qPrintable(c.argument);
        EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("ExtractFileName"), {c.argument}).out,
                  QStringLiteral("('%1',)").arg(c.name))
            << qPrintable(c.argument);
    }

    // GetImageSize: in/out arguments come back before the result.
    r = gdbusCall(*m_bus, app, call + QStringLiteral("GetImageSize"),
                  {sampleGif(), QStringLiteral("7"), QStringLiteral("7")});
    // ImageMagick's identify is the peer for the first picture's size.
    const QString size = identifySize(sampleGif());
    EXPECT_EQ(r.out, QStringLiteral("(%1, %2, true)")
                         .arg(size.section(QLatin1Char(' '), 1, 1), size.section(QLatin1Char(' '), 0, 0)));
    r = gdbusCall(*m_bus, app, call + QStringLiteral("GetImageSize"),
                  {QStringLiteral("/no/such.png"), QStringLiteral("7"), QStringLiteral("7")});
    EXPECT_EQ(r.out, QStringLiteral("(0, 0, false)"));
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("IsImageAnimation"), {sampleGif()}).out,
              QStringLiteral("(true,)"));

    // Status text reaches the third panel as plain text.
    gdbusCall(*m_bus, app, call + QStringLiteral("SetStatusText"), {QStringLiteral("<'<b>busy</b>'>")});
    EXPECT_EQ(main().statusPanel(2)->text(), QStringLiteral("<b>busy</b>"));
    EXPECT_EQ(main().statusPanel(2)->textFormat(), Qt::PlainText);
    // A negative wait returns at once instead of blocking the program.
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("Wait"), {QStringLiteral("int32 -5")}).exitCode,
              0);

    // MenuExists follows the path rules; Menu of a missing path fails with its message.
    EXPECT_EQ(
        gdbusCall(*m_bus, app, call + QStringLiteral("MenuExists"), {QStringLiteral("File|Save As...")}).out,
        QStringLiteral("(true,)"));
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("MenuExists"), {QStringLiteral("&File")}).out,
              QStringLiteral("(false,)"));
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("MenuExists"), {QStringLiteral("file")}).out,
              QStringLiteral("(false,)"));
    r = gdbusCall(*m_bus, app, call + QStringLiteral("Menu"), {QStringLiteral("No|Such")});
    EXPECT_TRUE(r.err.contains(QStringLiteral("Reelwright.Error.Failed: MenuNo|Suchdoes not exist!")))
        << qPrintable(r.err);
}

TEST_F(AutomationServerTest, TabSearchAndIsFileOpenTellSameNamedFilesApart)
{
    QTemporaryDir folder;
    const QString a = folder.path() + QStringLiteral("/a/walk.gif");
    const QString b = folder.path() + QStringLiteral("/b/walk.gif");
    const QString c = folder.path() + QStringLiteral("/c/WALK.GIF");
    for (const QString& path : {a, b}) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(QFile::copy(sampleGif(), path));
    }
    ASSERT_TRUE(main().session().documents().open(a));
    ASSERT_TRUE(main().session().documents().open(b));
    const QString app = createInstance();
    const QString call = kAppInterface + QStringLiteral(".");

    const std::pair<QString, int> tabs[] = {
        {a, 0}, {b, 1}, {c, -1}, {QStringLiteral("/x/walk.gif"), -1}, {sampleGif(), -1}};
    for (const auto& [path, index] : tabs) {
        EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("TabIndexForFile"), {path}).out,
                  QStringLiteral("(%1,)").arg(index))
            << qPrintable(path);
    }
    // b is active; asking for a brings it to the front.
    EXPECT_EQ(main().session().documents().active()->fileName(), b);
    EXPECT_EQ(
        gdbusCall(*m_bus, app, call + QStringLiteral("IsFileOpen"), {QStringLiteral("<'%1'>").arg(a)}).out,
        QStringLiteral("(true,)"));
    EXPECT_EQ(main().session().documents().active()->fileName(), a);
    EXPECT_EQ(
        gdbusCall(*m_bus, app, call + QStringLiteral("IsFileOpen"), {QStringLiteral("<'%1'>").arg(c)}).out,
        QStringLiteral("(false,)"));
    EXPECT_EQ(main().session().documents().active()->fileName(), a);

    // DocumentIndex follows and selects the tab.
    busctl(*m_bus, QStringLiteral("set-property"), app,
           {kAppInterface, QStringLiteral("DocumentIndex"), QStringLiteral("i"), QStringLiteral("1")});
    EXPECT_EQ(main().session().documents().active()->fileName(), b);
    EXPECT_EQ(
        busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, QStringLiteral("DocumentIndex")})
            .out,
        QStringLiteral("i 1"));
    // CloseAll answers what happened: a modified document whose question is cancelled stays.
    main().session().documents().active()->setModified(true);
    m_messages.pushAnswer(TMsgResult::Cancel);
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("CloseAll"), {QStringLiteral("true")}).out,
              QStringLiteral("(false,)"));
    EXPECT_GE(main().session().documents().count(), 1);
    m_messages.pushAnswer(TMsgResult::No);
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("CloseAll"), {QStringLiteral("true")}).out,
              QStringLiteral("(true,)"));
    EXPECT_EQ(main().session().documents().count(), 0);
}

TEST_F(AutomationServerTest, LateBindingByDispid)
{
    const QString app = createInstance();
    const QString invoke = QStringLiteral("Reelwright.IDispatch.Invoke");
    main().resize(700, 500);
    const QString width = QStringLiteral("(<%1>,)").arg(main().frameGeometry().width());
    const QString size = identifySize(sampleGif());
    struct Case
    {
        QStringList arguments;
        QString out;   // expected answer, or
        QString error; // expected error name
    };
    const Case cases[] = {
        // property get, method, property put and the in/out member
        {{QStringLiteral("16"), QStringLiteral("get"), QStringLiteral("@av []")}, width, {}},
        {{QStringLiteral("19"), QStringLiteral("method"), QStringLiteral("[<'/pics/walk.gif'>]")},
         QStringLiteral("(<'walk.gif'>,)"),
         {}},
        {{QStringLiteral("8"), QStringLiteral("put"), QStringLiteral("[<'450'>]")},
         QStringLiteral("(<''>,)"),
         {}},
        {{QStringLiteral("14"), QStringLiteral("get"), QStringLiteral("@av []")},
         QStringLiteral("(<'4.0'>,)"),
         {}},
        {{QStringLiteral("21"), QStringLiteral("method"),
          QStringLiteral("[<'%1'>, <0>, <0>]").arg(sampleGif())},
         QStringLiteral("(<[<%1>, <%2>, <true>]>,)")
             .arg(size.section(QLatin1Char(' '), 1, 1), size.section(QLatin1Char(' '), 0, 0)),
         {}},
        {{QStringLiteral("1"), QStringLiteral("get"), QStringLiteral("@av []")},
         QStringLiteral("(<objectpath '/'>,)"),
         {}},
        // what does not fit
        {{QStringLiteral("6"), QStringLiteral("get"), QStringLiteral("@av []")},
         {},
         QStringLiteral("Reelwright.Error.MemberNotFound")},
        {{QStringLiteral("14"), QStringLiteral("put"), QStringLiteral("[<'5.0'>]")},
         {},
         QStringLiteral("Reelwright.Error.MemberNotFound")},
        {{QStringLiteral("16"), QStringLiteral("fetch"), QStringLiteral("@av []")},
         {},
         QStringLiteral("Reelwright.Error.MemberNotFound")},
        {{QStringLiteral("19"), QStringLiteral("method"), QStringLiteral("@av []")},
         {},
         QStringLiteral("Reelwright.Error.BadParamCount")},
        {{QStringLiteral("16"), QStringLiteral("put"), QStringLiteral("[<[1, 2]>]")},
         {},
         QStringLiteral("Reelwright.Error.TypeMismatch")},
        {{QStringLiteral("16"), QStringLiteral("put"), QStringLiteral("[<'wide'>]")},
         {},
         QStringLiteral("Reelwright.Error.TypeMismatch")},
        {{QStringLiteral("16"), QStringLiteral("put"), QStringLiteral("[<int64 99999999999>]")},
         {},
         QStringLiteral("Reelwright.Error.TypeMismatch")},
    };
    for (const Case& c : cases) {
        const TToolResult r = gdbusCall(*m_bus, app, invoke, c.arguments);
        if (c.error.isEmpty())
            EXPECT_EQ(r.out, c.out) << qPrintable(c.arguments.join(QLatin1Char(' '))) << qPrintable(r.err);
        else
            EXPECT_TRUE(r.err.contains(c.error))
                << qPrintable(c.arguments.join(QLatin1Char(' '))) << qPrintable(r.err);
    }
    EXPECT_EQ(main().frameGeometry().height(), 450);
}

TEST_F(AutomationServerTest, WrongArgumentsAreBusErrorsAndTheServerGoesOn)
{
    const QString app = createInstance();
    const QString call = kAppInterface + QStringLiteral(".");
    struct Case
    {
        QString interface;
        QString method;
        QStringList arguments;
        QString error;
    };
    // dbus-send sends exactly the types given (gdbus would convert to the introspected ones) and
    // prints the error's name.
    const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
    const Case cases[] = {
        {kAppInterface,
         QStringLiteral("ExtractFilePath"),
         {QStringLiteral("int32:5")},
         QStringLiteral("InvalidArgs")},
        {kAppInterface,
         QStringLiteral("ExtractFilePath"),
         {QStringLiteral("string:a"), QStringLiteral("string:b")},
         QStringLiteral("InvalidArgs")},
        {kAppInterface, QStringLiteral("ExtractFilePath"), {}, QStringLiteral("InvalidArgs")},
        {kAppInterface,
         QStringLiteral("GetImageSize"),
         {QStringLiteral("string:x"), QStringLiteral("boolean:true"), QStringLiteral("int32:1")},
         QStringLiteral("InvalidArgs")},
        {kAppInterface, QStringLiteral("NoSuchMember"), {}, QStringLiteral("UnknownMethod")},
        {QStringLiteral("Reelwright.IFrame"),
         QStringLiteral("Delay"),
         {},
         QStringLiteral("UnknownInterface")},
        {props,
         QStringLiteral("Set"),
         {QStringLiteral("string:") + kAppInterface, QStringLiteral("string:Width"),
          QStringLiteral("variant:string:wide")},
         QStringLiteral("InvalidArgs")},
        {props,
         QStringLiteral("Set"),
         {QStringLiteral("string:") + kAppInterface, QStringLiteral("string:VersionText"),
          QStringLiteral("variant:string:5.0")},
         QStringLiteral("PropertyReadOnly")},
        {props,
         QStringLiteral("Get"),
         {QStringLiteral("string:") + kAppInterface, QStringLiteral("string:Nothing")},
         QStringLiteral("UnknownProperty")},
        {props,
         QStringLiteral("Get"),
         {QStringLiteral("string:") + kAppInterface},
         QStringLiteral("InvalidArgs")},
        {QStringLiteral("Reelwright.IDispatch"),
         QStringLiteral("Invoke"),
         {QStringLiteral("int32:16"), QStringLiteral("string:get")},
         QStringLiteral("InvalidArgs")},
        {QStringLiteral("Reelwright.IUnknown"),
         QStringLiteral("Release"),
         {QStringLiteral("int32:1")},
         QStringLiteral("InvalidArgs")},
    };
    for (const Case& c : cases) {
        const TToolResult r = runTool(
            QStringLiteral("dbus-send"),
            QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--reply-timeout=120000"), QStringLiteral("--dest=") + kService, app,
                        c.interface + QLatin1Char('.') + c.method} +
                c.arguments,
            m_bus->environment());
        EXPECT_NE(r.exitCode, 0) << qPrintable(c.method);
        EXPECT_TRUE(r.err.contains(QStringLiteral("org.freedesktop.DBus.Error.") + c.error))
            << qPrintable(c.method) << " " << qPrintable(r.err);
    }
    TToolResult r = gdbusCall(*m_bus, QStringLiteral("/Reelwright/GIFApplication/999"),
                              call + QStringLiteral("BringToFront"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("UnknownObject"))) << qPrintable(r.err);
    // Still serving, with the one object of the client and the program's own.
    EXPECT_EQ(objectCount(*m_bus), 2);
    // GetAll reads every plain property and leaves the object-valued ones out.
    r = gdbusCall(*m_bus, app, QStringLiteral("org.freedesktop.DBus.Properties.GetAll"), {kAppInterface});
    EXPECT_TRUE(r.out.contains(QStringLiteral("'VersionText': <<'4.0'>>"))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QStringLiteral("ActiveDocument")));
    EXPECT_EQ(objectCount(*m_bus), 2);
}

TEST_F(AutomationServerTest, BoxesGoThroughTheMessageService)
{
    const QString app = createInstance();
    const QString call = kAppInterface + QStringLiteral(".");
    m_messages.pushInput(QStringLiteral("typed"));
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("InputBox"),
                        {QStringLiteral("Caption"), QStringLiteral("Prompt"), QStringLiteral("default")})
                  .out,
              QStringLiteral("('typed',)"));
    m_messages.pushInput(std::nullopt);
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("InputBox"),
                        {QStringLiteral("Caption"), QStringLiteral("Prompt"), QStringLiteral("default")})
                  .out,
              QStringLiteral("('default',)"));

    // Yes/No with the question icon: Yes is 6, No is 7; OK alone is 1.
    m_messages.pushAnswer(TMsgResult::Yes);
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("MessageBox"),
                        {QStringLiteral("<b>Go?</b>"), QStringLiteral("Plug-in"), QStringLiteral("36")})
                  .out,
              QStringLiteral("(6,)"));
    m_messages.pushAnswer(TMsgResult::No);
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("MessageBox"),
                        {QStringLiteral("Go?"), QStringLiteral("Plug-in"), QStringLiteral("4")})
                  .out,
              QStringLiteral("(7,)"));
    EXPECT_EQ(gdbusCall(*m_bus, app, call + QStringLiteral("MessageBox"),
                        {QStringLiteral("Done"), QStringLiteral("Plug-in"), QStringLiteral("0")})
                  .out,
              QStringLiteral("(1,)"));
    const QStringList texts = m_messages.texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("<b>Go?</b>")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Done")));
}

TEST_F(AutomationServerTest, ImageBrowserMembers)
{
    const QString app = createInstance();
    auto setBool = [&](const QString& name, bool value) {
        return busctl(*m_bus, QStringLiteral("set-property"), app,
                      {kAppInterface, name, QStringLiteral("b"),
                       value ? QStringLiteral("true") : QStringLiteral("false")});
    };
    auto getBool = [&](const QString& name) {
        return busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, name}).out;
    };
    for (bool showing : {false, true, true, false}) {
        setBool(QStringLiteral("ExplorerShowing"), showing);
        EXPECT_EQ(getBool(QStringLiteral("ExplorerShowing")),
                  showing ? QStringLiteral("b true") : QStringLiteral("b false"));
        EXPECT_EQ(main().action(QStringLiteral("mniExplorerTree"))->isChecked(), showing);
    }
    for (bool showing : {true, false}) {
        setBool(QStringLiteral("ThumbnailsShowing"), showing);
        EXPECT_EQ(getBool(QStringLiteral("ThumbnailsShowing")),
                  showing ? QStringLiteral("b true") : QStringLiteral("b false"));
        EXPECT_EQ(main().action(QStringLiteral("ThumbView"))->isChecked(), showing);
    }
    QTemporaryDir folder;
    gdbusCall(
        *m_bus, app, QStringLiteral("org.freedesktop.DBus.Properties.Set"),
        {kAppInterface, QStringLiteral("CurrentFolder"), QStringLiteral("<<'%1'>>").arg(folder.path())});
    EXPECT_EQ(
        busctl(*m_bus, QStringLiteral("get-property"), app, {kAppInterface, QStringLiteral("CurrentFolder")})
            .out,
        QStringLiteral("v s \"%1\"").arg(folder.path()));
}

const QString kActiveInterface = QStringLiteral("Reelwright.IActiveDocument");
const QString kFramesInterface = QStringLiteral("Reelwright.IFrames");
const QString kFrameInterface = QStringLiteral("Reelwright.IFrame");

// A picture as a complete BMP file: random colours from a small set, in the given format.
QByteArray randomBmp(std::mt19937& random, int width, int height, TPixelFormat format)
{
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.scanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = uint8_t(random() % 3 * 120);
    }
    if (format != pf24bit)
        bitmap.setPixelFormat(format);
    TMemoryStream stream;
    bitmap.saveToStream(stream);
    return stream.data();
}

TEST_F(AutomationServerTest, DocumentAndFrameEdgeCasesThroughGdbus)
{
    QTemporaryDir folder;
    const QString gif = writeSmallAnimation(folder.filePath(QStringLiteral("small.gif")), {3, true});
    const QString app = createInstance();
    ASSERT_EQ(gdbusCall(*m_bus, app, kAppInterface + QStringLiteral(".OpenFile"), {gif}).out,
              QStringLiteral("(true,)"));
    const QString active = clientProperty(app, kAppInterface, QStringLiteral("ActiveDocument"));
    const QString frames = clientProperty(active, kActiveInterface, QStringLiteral("Frames"));
    ASSERT_TRUE(frames.startsWith(QStringLiteral("/Reelwright/Frames/"))) << qPrintable(frames);
    const QString get = QStringLiteral("org.freedesktop.DBus.Properties.Get");
    const QString set = QStringLiteral("org.freedesktop.DBus.Properties.Set");
    auto read = [&](const QString& path, const QString& interface, const QString& name) {
        return gdbusCall(*m_bus, path, get, {interface, name}).out;
    };
    auto write = [&](const QString& path, const QString& interface, const QString& name, const QString& value) {
        return gdbusCall(*m_bus, path, set, {interface, name, value});
    };

    // NSLoop: 1 without a looping extension changes nothing; 0 adds one with count 0; 5 stores 4.
    EXPECT_EQ(read(active, kActiveInterface, QStringLiteral("NSLoop")), QStringLiteral("(<1>,)"));
    EXPECT_EQ(write(active, kActiveInterface, QStringLiteral("NSLoop"), QStringLiteral("<1>")).exitCode, 0);
    EXPECT_EQ(undoSteps(), 0);
    auto stored = [&]() -> int {
        const TGIFAppExtNSLoop* loop = main().session().workingImage().images().subImage(0)->loopExtension();
        return loop ? loop->loops() : -1;
    };
    EXPECT_EQ(stored(), -1);
    write(active, kActiveInterface, QStringLiteral("NSLoop"), QStringLiteral("<0>"));
    EXPECT_EQ(read(active, kActiveInterface, QStringLiteral("NSLoop")), QStringLiteral("(<0>,)"));
    EXPECT_EQ(stored(), 0);
    write(active, kActiveInterface, QStringLiteral("NSLoop"), QStringLiteral("<5>"));
    EXPECT_EQ(read(active, kActiveInterface, QStringLiteral("NSLoop")), QStringLiteral("(<5>,)"));
    EXPECT_EQ(stored(), 4);
    EXPECT_EQ(undoSteps(), 2);
    TToolResult r = write(active, kActiveInterface, QStringLiteral("NSLoop"), QStringLiteral("<-3>"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Reelwright.Error.Failed: The loop count must be between 0 and 65535.")))
        << qPrintable(r.err);
    EXPECT_EQ(undoSteps(), 2);

    // A frame held by the test's client, driven by gdbus.
    const QString frame = clientObject(frames, kFramesInterface, QStringLiteral("Frame"), {1});
    ASSERT_TRUE(frame.startsWith(QStringLiteral("/Reelwright/Frame/"))) << qPrintable(frame);
    EXPECT_EQ(gdbusCall(*m_bus, frames, kFramesInterface + QStringLiteral(".Frame"), {QStringLiteral("3")}).out,
              QStringLiteral("(objectpath '/',)"));
    // Delay 0 and 65536 do nothing; the current value records no step.
    for (const QString& value : {QStringLiteral("<0>"), QStringLiteral("<65536>"), QStringLiteral("<10>")})
        EXPECT_EQ(write(frame, kFrameInterface, QStringLiteral("Delay"), value).exitCode, 0) << qPrintable(value);
    EXPECT_EQ(read(frame, kFrameInterface, QStringLiteral("Delay")), QStringLiteral("(<10>,)"));
    EXPECT_EQ(undoSteps(), 2);
    // Width and Height take a value without error and keep theirs.
    EXPECT_EQ(write(frame, kFrameInterface, QStringLiteral("Width"), QStringLiteral("<99>")).exitCode, 0);
    EXPECT_EQ(write(frame, kFrameInterface, QStringLiteral("Height"), QStringLiteral("<99>")).exitCode, 0);
    EXPECT_EQ(read(frame, kFrameInterface, QStringLiteral("Width")), QStringLiteral("(<4>,)"));
    EXPECT_EQ(read(frame, kFrameInterface, QStringLiteral("Height")), QStringLiteral("(<3>,)"));
    // One one-line comment: the line and two line ends.
    EXPECT_EQ(read(frame, kFrameInterface, QStringLiteral("Comments")), QStringLiteral("(<'abc\\r\\n\\r\\n'>,)"));
    // Offsets and disposal outside what the format holds fail with a message.
    r = write(frame, kFrameInterface, QStringLiteral("Left"), QStringLiteral("<70000>"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("The X-Offset must be between 0 and 65535."))) << qPrintable(r.err);
    r = write(frame, kFrameInterface, QStringLiteral("Disposal"), QStringLiteral("<7>"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("The disposal method must be between 0 and 3."))) << qPrintable(r.err);
    r = gdbusCall(*m_bus, active, kActiveInterface + QStringLiteral(".DeleteFrame"), {QStringLiteral("5")});
    EXPECT_TRUE(r.err.contains(QStringLiteral("The frame index must be between 0 and 2."))) << qPrintable(r.err);
    EXPECT_EQ(undoSteps(), 2);

    // The frame's bitmap is a BMP file of the frame's size for ImageMagick.
    const QByteArray bitmap = clientValue(frame, kFrameInterface, QStringLiteral("Bitmap")).toByteArray();
    const QString file = folder.filePath(QStringLiteral("frame.bmp"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bitmap);
    out.close();
    const TToolResult identify =
        runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), file},
                QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(identify.out.startsWith(QStringLiteral("BMP")) && identify.out.endsWith(QStringLiteral(" 4 3")))
        << qPrintable(identify.out) << qPrintable(identify.err);
    // Bytes that are no bitmap are refused.
    for (const QString& bytes : {QStringLiteral("@ay []"), QStringLiteral("b'BM'"), QStringLiteral("b'BM\\x10\\x00'")}) {
        EXPECT_EQ(gdbusCall(*m_bus, frame, kFrameInterface + QStringLiteral(".SetBitmap"), {bytes}).out,
                  QStringLiteral("(false,)"))
            << qPrintable(bytes);
        EXPECT_EQ(gdbusCall(*m_bus, active, kActiveInterface + QStringLiteral(".AddFrameNoPrompts"),
                            {bytes, QStringLiteral("10")})
                      .out,
                  QStringLiteral("(false,)"));
    }
    EXPECT_EQ(undoSteps(), 2);

    // HTMLCode: height, then width.
    EXPECT_EQ(gdbusCall(*m_bus, active, kActiveInterface + QStringLiteral(".HTMLCode"),
                        {QStringLiteral("index.html"), QStringLiteral("small.gif"), QStringLiteral("0")})
                  .out,
              QStringLiteral("('<A HREF=\"index.html\"><IMG SRC=\"small.gif\" HEIGHT=\"4\" WIDTH=\"8\" BORDER=\"0\"></A>',)"));

    // Once every document closed: the kept active-document object reads -1, the frame is gone.
    m_messages.pushAnswer(TMsgResult::No);
    EXPECT_EQ(gdbusCall(*m_bus, app, kAppInterface + QStringLiteral(".CloseAll"), {QStringLiteral("true")}).out,
              QStringLiteral("(true,)"));
    EXPECT_EQ(read(active, kActiveInterface, QStringLiteral("SelectedFrame")), QStringLiteral("(<-1>,)"));
    EXPECT_EQ(read(frames, kFramesInterface, QStringLiteral("Count")), QStringLiteral("(<0>,)"));
    r = gdbusCall(*m_bus, frame, get, {kFrameInterface, QStringLiteral("Delay")});
    EXPECT_TRUE(r.err.contains(QStringLiteral("Reelwright.Error.Failed: The frame no longer exists."))) << qPrintable(r.err);
}

// Random sequences of automation edits on a real GIF, each followed by as many Undo calls: the
// animation saved afterwards has the bytes it had before. Every call goes over the bus.
TEST_F(AutomationServerTest, RandomEditsThenUndoGiveTheSameFileBack)
{
    // Every edit writes the working copy and many write undo snapshots, each synced to disk; the
    // test makes thousands of them, so its temporary files go to a RAM-backed folder when the
    // machine has one. Waiting for the disk is no part of what it checks.
    struct TTempFolder
    {
        QByteArray old = qgetenv("TMPDIR");
        bool changed = false;
        TTempFolder()
        {
            if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
                changed = qputenv("TMPDIR", "/dev/shm");
        }
        ~TTempFolder()
        {
            if (!changed)
                return;
            if (old.isEmpty())
                qunsetenv("TMPDIR");
            else
                qputenv("TMPDIR", old);
        }
    } tempFolder;
    QTemporaryDir folder;
    const QString gif = folder.filePath(QStringLiteral("walker.gif"));
    ASSERT_TRUE(QFile::copy(sampleGif(), gif));
    QFile::setPermissions(gif, QFile::ReadOwner | QFile::WriteOwner);
    const QString app = createInstance();
    ASSERT_TRUE(clientCall(app, kAppInterface, QStringLiteral("OpenFile"), {gif}).arguments().value(0).toBool());
    const QString active = clientProperty(app, kAppInterface, QStringLiteral("ActiveDocument"));
    const QString frames = clientProperty(active, kActiveInterface, QStringLiteral("Frames"));
    const int width = main().session().workingImage().width();
    const int height = main().session().workingImage().height();

    auto saved = [&](const QString& name) {
        const QString path = folder.filePath(name);
        const QDBusMessage reply =
            clientCall(active, kActiveInterface, QStringLiteral("SaveDocToTempFile"), {path});
        EXPECT_TRUE(reply.arguments().value(0).toBool()) << qPrintable(reply.errorMessage());
        return testsupport::readFile(path);
    };
    const QByteArray original = saved(QStringLiteral("original.gif"));
    ASSERT_FALSE(original.isEmpty());

    const unsigned firstSeed = 26000;
    for (unsigned seed = firstSeed; seed < firstSeed + 200; ++seed) {
        std::mt19937 random(seed);
        const int edits = 1 + int(random() % 4);
        QStringList done;
        QString unexpected;
        int count = clientValue(frames, kFramesInterface, QStringLiteral("Count")).toInt();
        for (int e = 0; e < edits; ++e) {
            const int k = int(random() % unsigned(count));
            const int what = int(random() % 12);
            const bool onFrame = what <= 5 || what == 10;
            const QString frame =
                onFrame ? clientObject(frames, kFramesInterface, QStringLiteral("Frame"), {k}) : QString();
            const int value = int(random() % 400);
            QDBusMessage reply;
            switch (what) {
            case 0:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Delay"), 1 + value);
                break;
            case 1:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Disposal"), value % 4);
                break;
            case 2:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Left"), value % 20);
                break;
            case 3:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Top"), value % 20);
                break;
            case 4:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Transparent"), value % 2 == 0);
                break;
            case 5:
                reply = clientSet(frame, kFrameInterface, QStringLiteral("Interlaced"), value % 2 == 0);
                break;
            case 6:
                reply = clientSet(active, kActiveInterface, QStringLiteral("NSLoop"), value % 10);
                break;
            case 7:
                reply = clientCall(active, kActiveInterface, QStringLiteral("AddFrameNoPrompts"),
                                   {randomBmp(random, 1 + value % width, 1 + value % height,
                                              value % 2 ? pf4bit : pf24bit),
                                    1 + value});
                break;
            case 8:
                // Four bits per pixel and no larger than the animation: no prompt comes up.
                reply = clientCall(active, kActiveInterface, QStringLiteral("AddFrame"),
                                   {randomBmp(random, 1 + value % width, 1 + value % height, pf4bit), value});
                break;
            case 9:
                reply = clientCall(active, kActiveInterface, QStringLiteral("DeleteFrame"), {k});
                break;
            case 10:
                reply = clientCall(frame, kFrameInterface, QStringLiteral("SetBitmap"),
                                   {randomBmp(random, 1 + value % (width + 4), 1 + value % (height + 4),
                                              value % 3 ? pf24bit : pf4bit)});
                break;
            default:
                reply = clientSet(active, kActiveInterface, QStringLiteral("SelectedFrame"), k);
                break;
            }
            done.append(QStringLiteral("%1 on frame %2 with %3").arg(what).arg(k).arg(value));
            if (reply.type() != QDBusMessage::ReplyMessage)
                unexpected = reply.errorMessage();
            if (what == 7 || what == 8 || what == 9)
                count = clientValue(frames, kFramesInterface, QStringLiteral("Count")).toInt();
        }
        for (int e = 0; e < edits; ++e)
            clientCall(active, kActiveInterface, QStringLiteral("Undo"));
        const QByteArray after = saved(QStringLiteral("after.gif"));
        if (!unexpected.isEmpty() || after != original) {
            ADD_FAILURE() << "seed " << seed << ": edits " << qPrintable(done.join(QStringLiteral("; ")))
                          << (unexpected.isEmpty() ? QString() : QStringLiteral(", error ") + unexpected).toStdString()
                          << (after == original ? "" : ", bytes differ");
            break;
        }
    }
}

} // namespace
