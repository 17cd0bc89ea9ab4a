#pragma once
// The automation server: the registry of live automation objects, the class factory, and the
// D-Bus side that serves every object under /Reelwright (mapping: Reelwright_TLB.h).
//
// Life: only application objects made by the class factory count towards the server's life.
// When the last of them goes in the automation start mode, lastObjectReleased runs (queued, so
// it never runs inside a release that is still unwinding).
//
// Clients: each reference handed to a client over the bus is counted per client (its unique bus
// name). The server watches those names; when one leaves the bus, every reference it held is
// dropped, so a client that dies keeps nothing alive.
//
// Calls arrive on the user-interface thread. A member that shows a dialog runs a nested event
// loop, in which further calls may arrive (as in a single-threaded apartment); the caller waits.
#include "automation/ComLib.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>

class QDBusServiceWatcher;

enum class TAutomationStartMode
{
    StandAlone,
    Automation, // "AUTOMATION" or "EMBEDDING"
    Register,   // "REGSERVER"
    Unregister, // "UNREGSERVER"
};

class TComServer : public QDBusVirtualObject
{
    Q_OBJECT
public:
    // Makes a new counted application object for a client of the class factory.
    using TFactory = std::function<TDispatchPtr()>;

    TComServer(TAutomationStartMode mode, TFactory factory);
    ~TComServer() override;

    TAutomationStartMode startMode() const { return m_mode; }

    // Registers the objects and takes the service name on the connection. False (with the reason
    // in errorText) when the bus is not there or the name is taken; the program goes on.
    bool publish(const QDBusConnection& connection);
    QString errorText() const { return m_errorText; }
    bool isPublished() const { return m_published; }
    // The bus the server is published on (disconnected when it is not): menu clicks call the
    // clients' handlers there.
    QDBusConnection connection() const { return m_connection; }
    // Leaves the bus and drops every client reference.
    void unpublish();

    // Live automation objects, the program's own application object included.
    int objectCount() const { return int(m_objects.size()); }
    // Live application objects made by the class factory.
    int countedObjects() const { return m_counted; }
    bool ready() const;
    // References a client holds on an object (0 when none).
    int clientReferences(IDispatch* object, const QString& client) const;

    // Whether the program has finished starting (its main window is up); clients read it as the
    // factory's Ready property.
    std::function<bool()> isReady;
    // Runs when the last counted object went in the automation start mode.
    std::function<void()> lastObjectReleased;

    // Called by every automation object.
    void objectCreated(IDispatch* object);
    void objectDestroyed(IDispatch* object);
    // Application objects made by the class factory call these from their constructor and
    // destructor.
    void lockServer();
    void unlockServer();

    // The path of an object ("/" for null), assigned when it is first asked for.
    QString pathOf(IDispatch* object);
    IDispatch* objectAt(const QString& path) const;

    // QDBusVirtualObject
    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void handleFactory(const QDBusMessage& message);
    void handleObject(IDispatch* object, const QDBusMessage& message);
    void handleProperties(IDispatch* object, const QDBusMessage& message);
    void handleInvoke(IDispatch* object, const QDBusMessage& message);
    void handleTypedCall(IDispatch* object, const QDBusMessage& message);
    void handleRelease(IDispatch* object, const QDBusMessage& message, bool addRef);
    // Runs a member and sends the reply built from its answer; errors become error replies.
    void runMember(IDispatch* object, const TMemberInfo& member, const QVariantList& args,
                   const QDBusMessage& message,
                   const std::function<QVariantList(const QVariantList&)>& reply);
    // A value of the object layer as it travels; objects are counted for the client.
    QVariant toWire(const QVariant& value, TVarType type, const QString& client);
    QVariant fromWire(const QVariant& value, const TParamInfo& param, const QString& client) const;
    void send(const QDBusMessage& reply);
    void handOut(IDispatch* object, const QString& client);
    void clientGone(const QString& client);
    void watchClient(const QString& client);
    QString objectIntrospection(IDispatch* object) const;

    TAutomationStartMode m_mode;
    TFactory m_factory;
    QDBusConnection m_connection{QString()};
    bool m_published = false;
    QString m_errorText;
    QSet<IDispatch*> m_objects;
    QHash<IDispatch*, QString> m_paths;
    QHash<QString, IDispatch*> m_byPath;
    // client -> object -> references
    QHash<QString, QHash<IDispatch*, int>> m_clientRefs;
    QDBusServiceWatcher* m_watcher = nullptr;
    quint64 m_nextId = 1;
    int m_counted = 0;
    bool m_shuttingDown = false;
};
