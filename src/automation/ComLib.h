#pragma once
// The automation object model's foundation: reference-counted objects with late binding, the
// smart pointer that holds them, the member descriptions (dispid table) that late binding and the
// D-Bus server read, and the errors a member may raise.
//
// Every automation object implements exactly one automation interface (Reelwright_TLB.h), which
// derives from IDispatch. An object lives while its count is above zero: the server holds one
// count per reference a client received, collections hold the objects they keep (application ->
// document collection, active document -> frame collection, enumerator -> collection), and
// in-process users (the program's own application object, plug-ins) hold TComPtr. Everything runs
// on the user-interface thread; nothing here is thread-safe.
//
// Errors: a member reports failure by throwing EOleError (or any Exception or std::exception); the caller's
// binding turns it into the call's failure status with the message as its description
// (Reelwright.Error.Failed over D-Bus). ENotImplemented marks members of objects whose behaviour
// is still to come.
#include "graphics/Exceptions.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <utility>
#include <vector>

class TComServer;

// ---- errors ------------------------------------------------------------------------------------

class EOleError : public Exception
{
public:
    using Exception::Exception;
};

class ENotImplemented : public EOleError
{
public:
    explicit ENotImplemented(const QString& member)
        : EOleError(member + QStringLiteral(" is not implemented"))
    {
    }
};

// Late binding could not even start the call: the member or the arguments do not fit.
class EDispatchError : public Exception
{
public:
    enum class Kind
    {
        MemberNotFound, // unknown dispid, or the member has no accessor of that kind
        BadParamCount,
        TypeMismatch,
    };
    EDispatchError(Kind kind, const QString& message) : Exception(message), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// ---- member descriptions -----------------------------------------------------------------------

enum class TMemberKind
{
    Get,
    Put,
    Method,
};

// The automation types the interfaces use, with the D-Bus type each travels as.
enum class TVarType
{
    Void,    // no value
    Variant, // VARIANT: "v"
    Bitmap,  // VARIANT holding a bitmap transfer value (a complete BMP file): "ay"
    String,  // BSTR: "s"
    Long,    // long: "i"
    Bool,    // VARIANT_BOOL: "b"
    Enum,    // a 32-bit enumeration of the library: "i"
    Object,  // an interface reference: "o", "/" for null
};

struct TParamInfo
{
    const char* name = "";
    TVarType type = TVarType::Void;
    const char* typeName = ""; // the enumeration or interface named by Enum and Object
    bool inOut = false;
};

struct TMemberInfo;
class IDispatch;
// Runs a member on an object whose interface the table describes. Arguments come in parameter
// order, already converted (see TDispatchValues below); the answer holds the in/out parameters'
// final values in order, then the result when the member has one.
using TMemberCall = std::function<QVariantList(IDispatch& self, const QVariantList& args)>;

struct TMemberInfo
{
    int dispid = 0;
    const char* name = "";
    TMemberKind kind = TMemberKind::Method;
    std::vector<TParamInfo> params;
    TParamInfo result; // type Void when the member gives nothing back
    TMemberCall call;
};

struct TInterfaceInfo
{
    const char* name = "";            // IGIFReelwrightApplication
    const char* iid = "";             // {0B89A940-...}
    const char* helpString = "";      // may be empty
    std::vector<TMemberInfo> members; // virtual-table order
    // The member with that dispid and kind; null when there is none.
    const TMemberInfo* find(int dispid, TMemberKind kind) const;
    const TMemberInfo* findByName(const QString& name, TMemberKind kind) const;
};

// ---- objects -----------------------------------------------------------------------------------

// Values inside the object layer: String -> QString, Long and Enum -> int, Bool -> bool,
// Variant -> the QVariant itself, Bitmap -> QByteArray (empty for an empty bitmap), Object ->
// TComPtr<IDispatch> (null for a null reference) for our own objects, TRemoteObject for an object
// of the caller's (a menu handler).
struct TRemoteObject
{
    QString service; // the caller's unique bus name
    QString path;
};

class IDispatch
{
public:
    // Registers the object with the server, which counts live objects; server may be null for
    // objects used only in-process.
    explicit IDispatch(TComServer* server);
    virtual ~IDispatch();
    IDispatch(const IDispatch&) = delete;
    IDispatch& operator=(const IDispatch&) = delete;

    void addRef() { ++m_refCount; }
    // Deletes the object when the last count goes. Inline, so plug-ins holding objects need no
    // symbol of the program.
    void release()
    {
        if (--m_refCount == 0)
            delete this;
    }
    int refCount() const { return m_refCount; }

    virtual const TInterfaceInfo& interfaceInfo() const = 0;
    // Late binding: runs the member of that dispid and kind with the arguments in parameter
    // order, converted to each parameter's type first (see coerceArgument). The answer is as for
    // TMemberCall. Throws EDispatchError when the call does not fit, and whatever the member
    // throws.
    QVariantList invoke(int dispid, TMemberKind kind, const QVariantList& args);

    TComServer* server() const { return m_server; }

private:
    friend class TComServer; // detaches the objects that outlive it

    TComServer* m_server;
    int m_refCount = 0;
};

// Holds one count of an object.
template <class T> class TComPtr
{
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    explicit TComPtr(T* object) : m_object(object)
    {
        if (m_object)
            m_object->addRef();
    }
    TComPtr(const TComPtr& other) : TComPtr(other.m_object) {}
    TComPtr(TComPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U> TComPtr(const TComPtr<U>& other) : TComPtr(static_cast<T*>(other.get())) {}
    ~TComPtr() { reset(); }
    TComPtr& operator=(TComPtr other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    void reset()
    {
        if (T* object = std::exchange(m_object, nullptr))
            object->release();
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const TComPtr& other) const { return m_object == other.m_object; }

private:
    T* m_object = nullptr;
};

template <class T, class... Args> TComPtr<T> makeComObject(Args&&... args)
{
    return TComPtr<T>(new T(std::forward<Args>(args)...));
}

using TDispatchPtr = TComPtr<IDispatch>;

Q_DECLARE_METATYPE(TDispatchPtr)
Q_DECLARE_METATYPE(TRemoteObject)

// ---- value conversions -------------------------------------------------------------------------

// Wraps an object for a member's answer (null stays null).
template <class T> QVariant objectValue(const TComPtr<T>& object)
{
    return QVariant::fromValue(TDispatchPtr(object));
}

// Converts a late-bound argument to a parameter's type the way automation converts variants:
// numbers and booleans convert into each other, numbers and text into text, digits into numbers
// (within 32 bits); anything else (arrays, structures, objects where a value is expected) is a
// type mismatch. Throws EDispatchError.
QVariant coerceArgument(const QVariant& value, const TParamInfo& param);

// The D-Bus type signature a value of that type travels as.
QString dbusSignature(TVarType type);

// Automation's VARIANT_BOOL in a long: true is -1.
inline int variantBool(bool value)
{
    return value ? -1 : 0;
}
