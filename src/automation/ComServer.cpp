#include "automation/ComServer.h"

#include "automation/Reelwright_TLB.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QVariantMap>

#include <algorithm>

namespace {

const QString kRoot = QStringLiteral("/Reelwright");
const QString kErrorFailed = QStringLiteral("Reelwright.Error.Failed");
const QString kErrorNotImplemented = QStringLiteral("Reelwright.Error.NotImplemented");
const QString kErrorMemberNotFound = QStringLiteral("Reelwright.Error.MemberNotFound");
const QString kErrorBadParamCount = QStringLiteral("Reelwright.Error.BadParamCount");
const QString kErrorTypeMismatch = QStringLiteral("Reelwright.Error.TypeMismatch");
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
const QString kUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
const QString kUnknownInterface = QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface");
const QString kUnknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");
const QString kPropertyReadOnly = QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString kDispatchInterface = QStringLiteral("Reelwright.IDispatch");
const QString kUnknownInterfaceName = QStringLiteral("Reelwright.IUnknown");
const QString kFactoryInterface = QStringLiteral("Reelwright.GIFApplication");

const QString kStandardInterfaces =
    QStringLiteral("<interface name=\"org.freedesktop.DBus.Introspectable\">\n"
                   "  <method name=\"Introspect\">\n"
                   "    <arg name=\"xml_data\" type=\"s\" direction=\"out\"/>\n"
                   "  </method>\n"
                   "</interface>\n"
                   "<interface name=\"org.freedesktop.DBus.Peer\">\n"
                   "  <method name=\"Ping\"/>\n"
                   "  <method name=\"GetMachineId\">\n"
                   "    <arg name=\"machine_uuid\" type=\"s\" direction=\"out\"/>\n"
                   "  </method>\n"
                   "</interface>\n"
                   "<interface name=\"org.freedesktop.DBus.Properties\">\n"
                   "  <method name=\"Get\">\n"
                   "    <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
                   "    <arg name=\"property_name\" type=\"s\" direction=\"in\"/>\n"
                   "    <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
                   "  </method>\n"
                   "  <method name=\"GetAll\">\n"
                   "    <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
                   "    <arg name=\"props\" type=\"a{sv}\" direction=\"out\"/>\n"
                   "  </method>\n"
                   "  <method name=\"Set\">\n"
                   "    <arg name=\"interface_name\" type=\"s\" direction=\"in\"/>\n"
                   "    <arg name=\"property_name\" type=\"s\" direction=\"in\"/>\n"
                   "    <arg name=\"value\" type=\"v\" direction=\"in\"/>\n"
                   "  </method>\n"
                   "  <signal name=\"PropertiesChanged\">\n"
                   "    <arg name=\"interface_name\" type=\"s\"/>\n"
                   "    <arg name=\"changed_properties\" type=\"a{sv}\"/>\n"
                   "    <arg name=\"invalidated_properties\" type=\"as\"/>\n"
                   "  </signal>\n"
                   "</interface>\n");

// The folder of an object's path: the interface name without its "I".
QString kindFolder(const TInterfaceInfo& info)
{
    const QString name = QLatin1String(info.name);
    if (name == QLatin1String("IGIFReelwrightApplication"))
        return QStringLiteral("GIFApplication");
    return name.mid(1);
}

// The D-Bus signature of a member's in arguments.
QString inSignature(const TMemberInfo& member)
{
    QString signature;
    for (const TParamInfo& param : member.params)
        signature += dbusSignature(param.type);
    return signature;
}

// The typed D-Bus method a message names: methods, properties with arguments, and their Set
// forms.
const TMemberInfo* typedMember(const TInterfaceInfo& info, const QString& name)
{
    for (const TMemberInfo& member : info.members) {
        const QString memberName = QLatin1String(member.name);
        if (member.kind == TMemberKind::Method && memberName == name)
            return &member;
        if (member.kind == TMemberKind::Get && !member.params.empty() && memberName == name)
            return &member;
        if (member.kind == TMemberKind::Put && member.params.size() > 1 &&
            QStringLiteral("Set") + memberName == name)
            return &member;
    }
    return nullptr;
}

const TMemberInfo* plainProperty(const TInterfaceInfo& info, const QString& name, TMemberKind kind)
{
    const TMemberInfo* member = info.findByName(name, kind);
    const size_t arity = kind == TMemberKind::Get ? 0 : 1;
    return member && member->params.size() == arity ? member : nullptr;
}

// Whether a value D-Bus delivered has exactly the type a property or argument declares.
bool hasWireType(const QVariant& value, TVarType type)
{
    switch (type) {
    case TVarType::Variant:
        return value.metaType() == QMetaType::fromType<QDBusVariant>();
    case TVarType::Bitmap:
        return value.metaType().id() == QMetaType::QByteArray;
    case TVarType::String:
        return value.metaType().id() == QMetaType::QString;
    case TVarType::Long:
    case TVarType::Enum:
        return value.metaType().id() == QMetaType::Int;
    case TVarType::Bool:
        return value.metaType().id() == QMetaType::Bool;
    case TVarType::Object:
        return value.metaType() == QMetaType::fromType<QDBusObjectPath>();
    case TVarType::Void:
        return false;
    }
    return false;
}

QString typeNameOfWire(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return QStringLiteral("v");
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    return QString::fromLatin1(value.typeName());
}

} // namespace

TComServer::TComServer(TAutomationStartMode mode, TFactory factory)
    : m_mode(mode), m_factory(std::move(factory))
{
    qRegisterMetaType<TDispatchPtr>();
    qRegisterMetaType<TRemoteObject>();
}

TComServer::~TComServer()
{
    unpublish();
    // Objects still held in-process (the program's own application object of a caller that
    // forgot it) must not report to a server that is gone.
    for (IDispatch* object : std::as_const(m_objects))
        object->m_server = nullptr;
}

bool TComServer::publish(const QDBusConnection& connection)
{
    m_connection = connection;
    if (!m_connection.isConnected()) {
        m_errorText = QStringLiteral("no D-Bus session bus: %1").arg(m_connection.lastError().message());
        return false;
    }
    if (!m_connection.registerVirtualObject(kRoot, this, QDBusConnection::SubPath)) {
        m_errorText = QStringLiteral("the object path %1 is in use").arg(kRoot);
        return false;
    }
    if (!m_connection.registerService(QLatin1String(kServiceName))) {
        m_errorText = QStringLiteral("the name %1 is taken: %2")
                          .arg(QLatin1String(kServiceName), m_connection.lastError().message());
        m_connection.unregisterObject(kRoot, QDBusConnection::UnregisterTree);
        return false;
    }
    m_watcher =
        new QDBusServiceWatcher(QString(), m_connection, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TComServer::clientGone);
    m_published = true;
    return true;
}

void TComServer::unpublish()
{
    if (!m_published)
        return;
    m_shuttingDown = true;
    m_published = false;
    m_connection.unregisterService(QLatin1String(kServiceName));
    m_connection.unregisterObject(kRoot, QDBusConnection::UnregisterTree);
    delete m_watcher;
    m_watcher = nullptr;
    const QStringList clients = m_clientRefs.keys();
    for (const QString& client : clients)
        clientGone(client);
}

bool TComServer::ready() const
{
    return !isReady || isReady();
}

int TComServer::clientReferences(IDispatch* object, const QString& client) const
{
    return m_clientRefs.value(client).value(object);
}

void TComServer::objectCreated(IDispatch* object)
{
    m_objects.insert(object);
}

void TComServer::objectDestroyed(IDispatch* object)
{
    m_objects.remove(object);
    const QString path = m_paths.take(object);
    if (!path.isEmpty())
        m_byPath.remove(path);
}

void TComServer::lockServer()
{
    ++m_counted;
}

void TComServer::unlockServer()
{
    if (--m_counted > 0 || m_mode != TAutomationStartMode::Automation || m_shuttingDown)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_counted == 0 && !m_shuttingDown && lastObjectReleased)
                lastObjectReleased();
        },
        Qt::QueuedConnection);
}

QString TComServer::pathOf(IDispatch* object)
{
    if (!object)
        return QStringLiteral("/");
    auto found = m_paths.constFind(object);
    if (found != m_paths.constEnd())
        return *found;
    const QString path = kRoot + QLatin1Char('/') + kindFolder(object->interfaceInfo()) + QLatin1Char('/') +
                         QString::number(m_nextId++);
    m_paths.insert(object, path);
    m_byPath.insert(path, object);
    return path;
}

IDispatch* TComServer::objectAt(const QString& path) const
{
    return m_byPath.value(path);
}

// ---- introspection -----------------------------------------------------------------------------

QString TComServer::objectIntrospection(IDispatch* object) const
{
    return introspectionDocument({interfaceXml(object->interfaceInfo()), dispatchInterfaceXml(),
                                  unknownInterfaceXml(), kStandardInterfaces});
}

QString TComServer::introspect(const QString& path) const
{
    // Qt asks for the interface elements only; the full answer comes from handleMessage.
    if (IDispatch* object = objectAt(path)) {
        return interfaceXml(object->interfaceInfo()) + dispatchInterfaceXml() + unknownInterfaceXml();
    }
    if (path == QLatin1String(kFactoryPath))
        return factoryInterfaceXml();
    return {};
}

// ---- messages ----------------------------------------------------------------------------------

bool TComServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    Q_UNUSED(connection);
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString path = message.path();
    if (message.interface() == kIntrospectable && message.member() == QLatin1String("Introspect")) {
        QString document;
        if (IDispatch* object = objectAt(path)) {
            document = objectIntrospection(object);
        } else if (path == QLatin1String(kFactoryPath)) {
            QStringList children;
            const QString prefix = path + QLatin1Char('/');
            for (auto it = m_byPath.constBegin(); it != m_byPath.constEnd(); ++it) {
                if (it.key().startsWith(prefix))
                    children.append(it.key().mid(prefix.size()));
            }
            children.sort();
            document = introspectionDocument({factoryInterfaceXml(), kStandardInterfaces}, children);
        } else {
            // Folders: /Reelwright and the kinds below it list what lives there.
            QSet<QString> children;
            const QString prefix = path + QLatin1Char('/');
            if (path == kRoot)
                children.insert(QStringLiteral("GIFApplication"));
            for (auto it = m_byPath.constBegin(); it != m_byPath.constEnd(); ++it) {
                if (it.key().startsWith(prefix))
                    children.insert(it.key().mid(prefix.size()).section(QLatin1Char('/'), 0, 0));
            }
            QStringList sorted(children.begin(), children.end());
            sorted.sort();
            document = introspectionDocument({kStandardInterfaces}, sorted);
        }
        send(message.createReply(document));
        return true;
    }
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Peer"))
        return false;
    if (path == QLatin1String(kFactoryPath)) {
        handleFactory(message);
        return true;
    }
    IDispatch* object = objectAt(path);
    if (!object) {
        send(message.createErrorReply(kUnknownObject, QStringLiteral("No object at %1").arg(path)));
        return true;
    }
    handleObject(object, message);
    return true;
}

void TComServer::handleFactory(const QDBusMessage& message)
{
    const QString interface = message.interface();
    const QString member = message.member();
    if ((interface.isEmpty() || interface == kFactoryInterface) &&
        member == QLatin1String("CreateInstance")) {
        if (!message.signature().isEmpty()) {
            send(message.createErrorReply(kInvalidArgs, QStringLiteral("CreateInstance takes no arguments")));
            return;
        }
        try {
            TDispatchPtr application = m_factory();
            const QString client = message.service();
            handOut(application.get(), client);
            send(message.createReply(QVariant::fromValue(QDBusObjectPath(pathOf(application.get())))));
        } catch (const Exception& error) {
            send(message.createErrorReply(kErrorFailed, error.message()));
        } catch (const std::exception& error) {
            send(message.createErrorReply(kErrorFailed, QString::fromUtf8(error.what())));
        }
        return;
    }
    if (interface == kPropertiesInterface) {
        const QVariantList args = message.arguments();
        if (member == QLatin1String("Get") && message.signature() == QLatin1String("ss")) {
            if (args[0].toString() != kFactoryInterface ||
                (args[1].toString() != QLatin1String("ObjectCount") &&
                 args[1].toString() != QLatin1String("Ready"))) {
                send(message.createErrorReply(kUnknownProperty, QStringLiteral("No such property")));
                return;
            }
            const QVariant value =
                args[1].toString() == QLatin1String("Ready") ? QVariant(ready()) : QVariant(objectCount());
            send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            return;
        }
        if (member == QLatin1String("GetAll") && message.signature() == QLatin1String("s")) {
            QVariantMap all;
            if (args[0].toString() == kFactoryInterface || args[0].toString().isEmpty()) {
                all.insert(QStringLiteral("ObjectCount"), objectCount());
                all.insert(QStringLiteral("Ready"), ready());
            }
            send(message.createReply(all));
            return;
        }
        if (member == QLatin1String("Set")) {
            send(message.createErrorReply(kPropertyReadOnly,
                                          QStringLiteral("The factory's properties are read-only")));
            return;
        }
        send(message.createErrorReply(kInvalidArgs, QStringLiteral("Wrong arguments for %1").arg(member)));
        return;
    }
    send(message.createErrorReply(
        kUnknownMethod, QStringLiteral("No method %1 on %2").arg(member, QLatin1String(kFactoryPath))));
}

void TComServer::handleObject(IDispatch* object, const QDBusMessage& message)
{
    const QString interface = message.interface();
    const QString member = message.member();
    const QString own = dbusInterfaceName(object->interfaceInfo());
    if (interface == kPropertiesInterface) {
        handleProperties(object, message);
    } else if ((interface == kDispatchInterface || interface.isEmpty()) &&
               member == QLatin1String("Invoke")) {
        handleInvoke(object, message);
    } else if ((interface == kUnknownInterfaceName || interface.isEmpty()) &&
               (member == QLatin1String("Release") || member == QLatin1String("AddRef"))) {
        handleRelease(object, message, member == QLatin1String("AddRef"));
    } else if (interface == own || interface.isEmpty()) {
        handleTypedCall(object, message);
    } else {
        send(message.createErrorReply(
            kUnknownInterface, QStringLiteral("%1 does not implement %2").arg(message.path(), interface)));
    }
}

void TComServer::handleRelease(IDispatch* object, const QDBusMessage& message, bool addRef)
{
    if (!message.signature().isEmpty()) {
        send(message.createErrorReply(kInvalidArgs,
                                      QStringLiteral("%1 takes no arguments").arg(message.member())));
        return;
    }
    const QString client = message.service();
    if (addRef) {
        handOut(object, client);
        send(message.createReply());
        return;
    }
    auto refs = m_clientRefs.find(client);
    if (refs == m_clientRefs.end() || refs->value(object) <= 0) {
        send(message.createErrorReply(
            kErrorFailed, QStringLiteral("The caller holds no reference to %1").arg(message.path())));
        return;
    }
    if (--(*refs)[object] == 0)
        refs->remove(object);
    if (refs->isEmpty())
        m_clientRefs.erase(refs);
    send(message.createReply());
    object->release();
}

void TComServer::handleProperties(IDispatch* object, const QDBusMessage& message)
{
    const TInterfaceInfo& info = object->interfaceInfo();
    const QString own = dbusInterfaceName(info);
    const QVariantList args = message.arguments();
    const QString member = message.member();
    const QString signature = message.signature();
    const QString client = message.service();
    auto wrongInterface = [&](const QString& name) {
        if (name == own || name.isEmpty())
            return false;
        send(message.createErrorReply(kUnknownInterface, QStringLiteral("No interface %1 here").arg(name)));
        return true;
    };
    if (member == QLatin1String("Get") && signature == QLatin1String("ss")) {
        if (wrongInterface(args[0].toString()))
            return;
        const TMemberInfo* property = plainProperty(info, args[1].toString(), TMemberKind::Get);
        if (!property) {
            send(message.createErrorReply(kUnknownProperty,
                                          QStringLiteral("No property %1").arg(args[1].toString())));
            return;
        }
        runMember(object, *property, {}, message, [this, property, client](const QVariantList& answer) {
            return QVariantList{
                QVariant::fromValue(QDBusVariant(toWire(answer.value(0), property->result.type, client)))};
        });
    } else if (member == QLatin1String("Set") && signature == QLatin1String("ssv")) {
        if (wrongInterface(args[0].toString()))
            return;
        const QString name = args[1].toString();
        const TMemberInfo* property = plainProperty(info, name, TMemberKind::Put);
        if (!property) {
            if (plainProperty(info, name, TMemberKind::Get))
                send(
                    message.createErrorReply(kPropertyReadOnly, QStringLiteral("%1 is read-only").arg(name)));
            else
                send(message.createErrorReply(kUnknownProperty, QStringLiteral("No property %1").arg(name)));
            return;
        }
        const QVariant value = args[2].value<QDBusVariant>().variant();
        const TParamInfo& param = property->params.front();
        if (!hasWireType(value, param.type)) {
            send(message.createErrorReply(kInvalidArgs,
                                          QStringLiteral("%1 takes a value of type %2, not %3")
                                              .arg(name, dbusSignature(param.type), typeNameOfWire(value))));
            return;
        }
        runMember(object, *property, {fromWire(value, param, client)}, message,
                  [](const QVariantList&) { return QVariantList{}; });
    } else if (member == QLatin1String("GetAll") && signature == QLatin1String("s")) {
        if (wrongInterface(args[0].toString()))
            return;
        // Object-valued properties are left out: every read of one hands out a new counted
        // reference. A property whose reading fails is left out too.
        QVariantMap all;
        for (const TMemberInfo& property : info.members) {
            if (property.kind != TMemberKind::Get || !property.params.empty() ||
                property.result.type == TVarType::Object)
                continue;
            try {
                const QVariantList answer = object->invoke(property.dispid, TMemberKind::Get, {});
                all.insert(QLatin1String(property.name),
                           toWire(answer.value(0), property.result.type, client));
            } catch (...) {
            }
        }
        send(message.createReply(all));
    } else {
        send(message.createErrorReply(kInvalidArgs,
                                      QStringLiteral("Wrong arguments (%1) for %2").arg(signature, member)));
    }
}

void TComServer::handleTypedCall(IDispatch* object, const QDBusMessage& message)
{
    const TMemberInfo* member = typedMember(object->interfaceInfo(), message.member());
    if (!member) {
        send(message.createErrorReply(
            kUnknownMethod, QStringLiteral("No method %1 in %2")
                                .arg(message.member(), dbusInterfaceName(object->interfaceInfo()))));
        return;
    }
    const QString expected = inSignature(*member);
    if (message.signature() != expected) {
        send(message.createErrorReply(kInvalidArgs,
                                      QStringLiteral("%1 takes arguments of type \"%2\", not \"%3\"")
                                          .arg(message.member(), expected, message.signature())));
        return;
    }
    const QString client = message.service();
    QVariantList args;
    const QVariantList given = message.arguments();
    for (qsizetype i = 0; i < given.size(); ++i)
        args.append(fromWire(given[i], member->params[size_t(i)], client));
    runMember(object, *member, args, message, [this, member, client](const QVariantList& answer) {
        // In/out parameters first, then the result, as the answer already holds them.
        QVariantList outs;
        qsizetype index = 0;
        for (const TParamInfo& param : member->params) {
            if (param.inOut)
                outs.append(toWire(answer.value(index++), param.type, client));
        }
        if (member->result.type != TVarType::Void)
            outs.append(toWire(answer.value(index), member->result.type, client));
        return outs;
    });
}

void TComServer::handleInvoke(IDispatch* object, const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("isav")) {
        send(message.createErrorReply(
            kInvalidArgs,
            QStringLiteral("Invoke takes arguments of type \"isav\", not \"%1\"").arg(message.signature())));
        return;
    }
    const QVariantList given = message.arguments();
    const int dispid = given[0].toInt();
    const QString kindText = given[1].toString();
    QVariantList args;
    if (given[2].metaType() == QMetaType::fromType<QDBusArgument>())
        given[2].value<QDBusArgument>() >> args;
    else
        args = given[2].toList();
    TMemberKind kind;
    if (kindText == QLatin1String("get"))
        kind = TMemberKind::Get;
    else if (kindText == QLatin1String("put"))
        kind = TMemberKind::Put;
    else if (kindText == QLatin1String("method"))
        kind = TMemberKind::Method;
    else {
        send(message.createErrorReply(
            kErrorMemberNotFound,
            QStringLiteral("Unknown kind \"%1\": use get, put or method").arg(kindText)));
        return;
    }
    const TMemberInfo* member = object->interfaceInfo().find(dispid, kind);
    if (!member) {
        send(message.createErrorReply(kErrorMemberNotFound,
                                      QStringLiteral("%1 has no %2 member with dispid %3")
                                          .arg(QLatin1String(object->interfaceInfo().name), kindText)
                                          .arg(dispid)));
        return;
    }
    const QString client = message.service();
    // Object paths among the arguments stand for objects; everything else converts in invoke().
    for (qsizetype i = 0; i < args.size() && i < qsizetype(member->params.size()); ++i) {
        if (member->params[size_t(i)].type == TVarType::Object)
            args[i] = fromWire(args[i], member->params[size_t(i)], client);
        else if (args[i].metaType() == QMetaType::fromType<QDBusArgument>())
            args[i] = QVariant::fromValue(QDBusVariant(args[i])); // a structure: a type mismatch below
    }
    runMember(object, *member, args, message, [this, member, client](const QVariantList& answer) {
        auto plain = [](const QVariant& wire) {
            return wire.metaType() == QMetaType::fromType<QDBusVariant>()
                       ? wire.value<QDBusVariant>().variant()
                       : wire;
        };
        QVariantList values;
        qsizetype index = 0;
        bool anyInOut = false;
        for (const TParamInfo& param : member->params) {
            if (param.inOut) {
                anyInOut = true;
                values.append(plain(toWire(answer.value(index++), param.type, client)));
            }
        }
        if (member->result.type != TVarType::Void)
            values.append(plain(toWire(answer.value(index), member->result.type, client)));
        QVariant result;
        if (anyInOut)
            result = QVariant::fromValue(values);
        else if (!values.isEmpty())
            result = values.front();
        else
            result = QString();
        return QVariantList{QVariant::fromValue(QDBusVariant(result))};
    });
}

void TComServer::runMember(IDispatch* object, const TMemberInfo& member, const QVariantList& args,
                           const QDBusMessage& message,
                           const std::function<QVariantList(const QVariantList&)>& reply)
{
    QString errorName;
    QString errorText;
    try {
        const QVariantList answer = object->invoke(member.dispid, member.kind, args);
        send(message.createReply(reply(answer)));
        return;
    } catch (const EDispatchError& error) {
        switch (error.kind()) {
        case EDispatchError::Kind::MemberNotFound:
            errorName = kErrorMemberNotFound;
            break;
        case EDispatchError::Kind::BadParamCount:
            errorName = kErrorBadParamCount;
            break;
        case EDispatchError::Kind::TypeMismatch:
            errorName = kErrorTypeMismatch;
            break;
        }
        errorText = error.message();
    } catch (const ENotImplemented& error) {
        errorName = kErrorNotImplemented;
        errorText = error.message();
    } catch (const Exception& error) {
        errorName = kErrorFailed;
        errorText = error.message();
    } catch (const std::exception& error) {
        errorName = kErrorFailed;
        errorText = QString::fromUtf8(error.what());
    } catch (...) {
        errorName = kErrorFailed;
        errorText = QStringLiteral("Unknown error in %1").arg(QLatin1String(member.name));
    }
    send(message.createErrorReply(errorName, errorText));
}

QVariant TComServer::toWire(const QVariant& value, TVarType type, const QString& client)
{
    switch (type) {
    case TVarType::Object: {
        const TDispatchPtr object = value.value<TDispatchPtr>();
        if (!object)
            return QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")));
        handOut(object.get(), client);
        return QVariant::fromValue(QDBusObjectPath(pathOf(object.get())));
    }
    case TVarType::Variant:
        // An enumerator's items: the objects' paths, each counted for the client.
        if (value.metaType().id() == QMetaType::QVariantList) {
            const QVariantList items = value.toList();
            if (!items.isEmpty() && std::all_of(items.begin(), items.end(), [](const QVariant& item) {
                    return item.metaType() == QMetaType::fromType<TDispatchPtr>();
                })) {
                QList<QDBusObjectPath> paths;
                for (const QVariant& item : items)
                    paths.append(toWire(item, TVarType::Object, client).value<QDBusObjectPath>());
                return QVariant::fromValue(QDBusVariant(QVariant::fromValue(paths)));
            }
        }
        // An empty VARIANT travels as an empty string: D-Bus has no empty variant.
        return QVariant::fromValue(QDBusVariant(value.isValid() ? value : QVariant(QString())));
    case TVarType::Bitmap:
        return value.toByteArray();
    case TVarType::String:
        return value.toString();
    case TVarType::Long:
    case TVarType::Enum:
        return value.toInt();
    case TVarType::Bool:
        return value.toBool();
    case TVarType::Void:
        return {};
    }
    return {};
}

QVariant TComServer::fromWire(const QVariant& value, const TParamInfo& param, const QString& client) const
{
    if (param.type == TVarType::Object && value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        const QString path = value.value<QDBusObjectPath>().path();
        if (path == QLatin1String("/"))
            return QVariant::fromValue(TDispatchPtr());
        if (IDispatch* object = objectAt(path))
            return QVariant::fromValue(TDispatchPtr(object));
        return QVariant::fromValue(TRemoteObject{client, path});
    }
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return value.value<QDBusVariant>().variant();
    return value;
}

void TComServer::send(const QDBusMessage& reply)
{
    m_connection.send(reply);
}

void TComServer::handOut(IDispatch* object, const QString& client)
{
    if (!object || client.isEmpty())
        return;
    object->addRef();
    ++m_clientRefs[client][object];
    watchClient(client);
}

void TComServer::watchClient(const QString& client)
{
    if (!m_watcher || m_watcher->watchedServices().contains(client))
        return;
    m_watcher->addWatchedService(client);
    // The client may have left before the watch was in place; the bus answers in order, so a
    // name that is still there now will be reported when it goes.
    QDBusConnectionInterface* bus = m_connection.interface();
    if (bus && !bus->isServiceRegistered(client).value()) {
        QMetaObject::invokeMethod(
            this, [this, client] { clientGone(client); }, Qt::QueuedConnection);
    }
}

void TComServer::clientGone(const QString& client)
{
    if (m_watcher)
        m_watcher->removeWatchedService(client);
    const QHash<IDispatch*, int> refs = m_clientRefs.take(client);
    // Hold every object first: releasing one (an application object) may release others this
    // client also holds (its document collection).
    std::vector<TDispatchPtr> keep;
    for (auto it = refs.constBegin(); it != refs.constEnd(); ++it)
        keep.emplace_back(it.key());
    for (auto it = refs.constBegin(); it != refs.constEnd(); ++it) {
        for (int i = 0; i < it.value(); ++i)
            it.key()->release();
    }
}
