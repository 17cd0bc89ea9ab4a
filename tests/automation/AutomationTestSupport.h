#pragma once
// What the automation tests share: a private session bus of their own, running the real D-Bus
// tools (gdbus, busctl) against it while this process keeps serving its own calls, and waiting for
// a condition with a bound instead of sleeping.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

struct TToolResult
{
    int exitCode = -1;
    QString out;
    QString err;
    bool finished = false;
};

// Runs a program to its end, processing this process's events meanwhile (the server under test
// may live here). Gives up after timeoutMs.
inline TToolResult runTool(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& env, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    TToolResult result;
    if (!process.waitForStarted(30000)) {
        result.err = process.errorString();
        return result;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(5);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    } else {
        result.finished = true;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

// Processes events until the condition holds or boundMs passed; answers the condition.
inline bool waitUntil(const std::function<bool()>& condition, int boundMs)
{
    QDeadlineTimer deadline(boundMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A session bus of the test's own, started with dbus-daemon; its service folder follows the
// XDG_DATA_HOME given, so activation files written there are found.
class TPrivateBus
{
public:
    explicit TPrivateBus(const QString& dataHome)
    {
        QProcess daemon;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        daemon.setProcessEnvironment(env);
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--fork"),
                      QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
        daemon.waitForFinished(30000);
        const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split(QLatin1Char('\n'));
        m_address = lines.value(0).trimmed();
        m_pid = lines.value(1).trimmed().toLongLong();
    }
    ~TPrivateBus()
    {
        if (m_pid > 0)
            ::kill(pid_t(m_pid), SIGTERM);
    }
    TPrivateBus(const TPrivateBus&) = delete;
    TPrivateBus& operator=(const TPrivateBus&) = delete;

    bool isValid() const { return !m_address.isEmpty() && m_pid > 0; }
    QString address() const { return m_address; }
    // The environment of a program that should use this bus.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        return env;
    }

private:
    QString m_address;
    qint64 m_pid = 0;
};

inline const QString kService = QStringLiteral("Reelwright.GIFApplication");
inline const QString kAppInterface = QStringLiteral("Reelwright.IGIFReelwrightApplication");

// gdbus call on the service with a long timeout; arguments in gdbus's text form.
inline TToolResult gdbusCall(const TPrivateBus& bus, const QString& path, const QString& method,
                             const QStringList& arguments = {})
{
    QStringList all{QStringLiteral("call"),          QStringLiteral("--session"),
                    QStringLiteral("--timeout"),     QStringLiteral("120"),
                    QStringLiteral("--dest"),        kService,
                    QStringLiteral("--object-path"), path,
                    QStringLiteral("--method"),      method};
    all += arguments;
    return runTool(QStringLiteral("gdbus"), all, bus.environment());
}

// busctl --user with the service and path filled in: busctl(bus, "get-property", path, {...}).
inline TToolResult busctl(const TPrivateBus& bus, const QString& verb, const QString& path,
                          const QStringList& arguments = {})
{
    QStringList all{QStringLiteral("--user"), QStringLiteral("--timeout=120"), verb, kService, path};
    all += arguments;
    return runTool(QStringLiteral("busctl"), all, bus.environment());
}

inline int objectCount(const TPrivateBus& bus)
{
    const TToolResult r = gdbusCall(bus, QStringLiteral("/Reelwright/GIFApplication"),
                                    QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                    {kService, QStringLiteral("ObjectCount")});
    // "(<4>,)"
    QString text = r.out;
    text.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('<')).remove(QLatin1Char('>'));
    text.remove(QLatin1Char(','));
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    return r.exitCode == 0 && ok ? count : -1;
}
