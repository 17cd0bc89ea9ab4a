// A client of the automation server for the tests: creates an application object, reads its
// document collection and creates a second application object (three references in all), prints
// "ready" and then waits until it is killed, keeping its bus connection open.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <cstdio>

namespace {

QDBusMessage call(const QString& path, const QString& interface, const QString& member,
                  const QVariantList& args)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("Reelwright.GIFApplication"), path, interface, member);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 120000);
}

QString createInstance()
{
    const QDBusMessage reply =
        call(QStringLiteral("/Reelwright/GIFApplication"), QStringLiteral("Reelwright.GIFApplication"),
             QStringLiteral("CreateInstance"), {});
    return reply.arguments().value(0).value<QDBusObjectPath>().path();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString first = createInstance();
    const QDBusMessage documents =
        call(first, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
             {QStringLiteral("Reelwright.IGIFReelwrightApplication"), QStringLiteral("DocumentCache")});
    const QString second = createInstance();
    const QString collection =
        documents.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    if (first.isEmpty() || second.isEmpty() || collection.isEmpty()) {
        std::fprintf(stderr, "automation_test_client: %s\n", qPrintable(documents.errorMessage()));
        return 1;
    }
    std::printf("ready %s %s %s\n", qPrintable(first), qPrintable(collection), qPrintable(second));
    std::fflush(stdout);
    return app.exec();
}
