#include "automation/ComLib.h"

#include "automation/ComServer.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <limits>

const TMemberInfo* TInterfaceInfo::find(int dispid, TMemberKind kind) const
{
    for (const TMemberInfo& member : members) {
        if (member.dispid == dispid && member.kind == kind)
            return &member;
    }
    return nullptr;
}

const TMemberInfo* TInterfaceInfo::findByName(const QString& name, TMemberKind kind) const
{
    for (const TMemberInfo& member : members) {
        if (member.kind == kind && name == QLatin1String(member.name))
            return &member;
    }
    return nullptr;
}

IDispatch::IDispatch(TComServer* server) : m_server(server)
{
    if (m_server)
        m_server->objectCreated(this);
}

IDispatch::~IDispatch()
{
    if (m_server)
        m_server->objectDestroyed(this);
}

QVariantList IDispatch::invoke(int dispid, TMemberKind kind, const QVariantList& args)
{
    const TInterfaceInfo& info = interfaceInfo();
    const TMemberInfo* member = info.find(dispid, kind);
    if (!member || !member->call) {
        throw EDispatchError(EDispatchError::Kind::MemberNotFound,
                             QStringLiteral("%1 has no member with dispid %2 of that kind")
                                 .arg(QLatin1String(info.name))
                                 .arg(dispid));
    }
    if (args.size() != qsizetype(member->params.size())) {
        throw EDispatchError(EDispatchError::Kind::BadParamCount,
                             QStringLiteral("%1 takes %2 argument(s), %3 given")
                                 .arg(QLatin1String(member->name))
                                 .arg(member->params.size())
                                 .arg(args.size()));
    }
    QVariantList converted;
    converted.reserve(args.size());
    for (qsizetype i = 0; i < args.size(); ++i)
        converted.append(coerceArgument(args[i], member->params[size_t(i)]));
    // The member may release the last count of this object (a Close that ends the document);
    // keep it alive until the call has returned.
    TDispatchPtr keep(this);
    return member->call(*this, converted);
}

namespace {

EDispatchError mismatch(const TParamInfo& param, const QVariant& value)
{
    return EDispatchError(EDispatchError::Kind::TypeMismatch,
                          QStringLiteral("Type mismatch for %1: %2 given")
                              .arg(QLatin1String(param.name), QString::fromLatin1(value.typeName())));
}

// Plain values D-Bus delivers in a variant: everything numeric, boolean or textual.
bool isNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

int toLong(const QVariant& value, const TParamInfo& param)
{
    if (value.metaType().id() == QMetaType::Bool)
        return variantBool(value.toBool());
    if (value.metaType().id() == QMetaType::Double) {
        const double d = value.toDouble();
        if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
            throw mismatch(param, value);
        return int(d);
    }
    if (value.metaType().id() == QMetaType::ULongLong) {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(std::numeric_limits<int>::max()))
            throw mismatch(param, value);
        return int(v);
    }
    bool ok = false;
    const qlonglong v = value.metaType().id() == QMetaType::QString
                            ? value.toString().trimmed().toLongLong(&ok)
                            : value.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw mismatch(param, value);
    return int(v);
}

} // namespace

QVariant coerceArgument(const QVariant& given, const TParamInfo& param)
{
    QVariant value = given;
    // A variant inside a variant (Properties.Set of a "v" property) is the value it holds.
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    const int id = value.metaType().id();
    switch (param.type) {
    case TVarType::Void:
        throw mismatch(param, value);
    case TVarType::Variant:
        if (isNumber(value) || id == QMetaType::Bool || id == QMetaType::QString ||
            id == QMetaType::QByteArray)
            return value;
        if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
            return value.value<QDBusObjectPath>().path();
        throw mismatch(param, value);
    case TVarType::Bitmap:
        if (id == QMetaType::QByteArray)
            return value;
        throw mismatch(param, value);
    case TVarType::String:
        if (id == QMetaType::QString)
            return value;
        if (id == QMetaType::Bool)
            return QString::number(variantBool(value.toBool()));
        if (isNumber(value))
            return value.toString();
        throw mismatch(param, value);
    case TVarType::Long:
    case TVarType::Enum:
        if (isNumber(value) || id == QMetaType::Bool || id == QMetaType::QString)
            return toLong(value, param);
        throw mismatch(param, value);
    case TVarType::Bool:
        if (id == QMetaType::Bool)
            return value;
        if (isNumber(value) || id == QMetaType::QString)
            return toLong(value, param) != 0;
        throw mismatch(param, value);
    case TVarType::Object:
        if (value.metaType() == QMetaType::fromType<TDispatchPtr>() ||
            value.metaType() == QMetaType::fromType<TRemoteObject>())
            return value;
        throw mismatch(param, value);
    }
    throw mismatch(param, value);
}

QString dbusSignature(TVarType type)
{
    switch (type) {
    case TVarType::Void:
        return {};
    case TVarType::Variant:
        return QStringLiteral("v");
    case TVarType::Bitmap:
        return QStringLiteral("ay");
    case TVarType::String:
        return QStringLiteral("s");
    case TVarType::Long:
    case TVarType::Enum:
        return QStringLiteral("i");
    case TVarType::Bool:
        return QStringLiteral("b");
    case TVarType::Object:
        return QStringLiteral("o");
    }
    return {};
}
