#pragma once
// What a plug-in sees of the program: the interface it implements (IAddIn), the handler interface
// of its menu items (IIntfMenuHandler), the status codes its calls answer, and the plug-in
// category it is listed under.
//
// A plug-in is a Qt plugin (a shared library) whose root object implements IAddIn, declared with
//     Q_PLUGIN_METADATA(IID IAddIn_iid FILE "myplugin.json")
//     Q_INTERFACES(IAddIn)
// and whose JSON names its class and categories:
//     { "ClassId": "{........-....-....-....-............}",
//       "Categories": ["{77A1B360-A4B8-11D3-9FEB-969647E4693F}"] }
// The program reads the metadata without loading the library; a class that also lists
// "RequiredCategories" is not taken. Loading resolves every symbol at once, so a library that
// needs something the program does not have fails to load with a message instead of crashing
// later. Plug-ins are never unloaded while the program runs: their menu handlers live as long as
// the menu items.
//
// Calls run on the user-interface thread. A call answers a status code; a call that throws counts
// as failed with the exception's text. The objects a plug-in receives (the application object and
// what is reachable from it) are held with TComPtr; their members report failure by throwing
// (an Exception with the message).
#include "automation/Reelwright_TLB.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

// ---- status codes ------------------------------------------------------------------------------

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
inline constexpr HRESULT E_ABORT = HRESULT(0x80004004u);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = HRESULT(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);

inline constexpr bool SUCCEEDED(HRESULT status)
{
    return status >= 0;
}
inline constexpr bool FAILED(HRESULT status)
{
    return status < 0;
}

// The platform's text for a status code ("Unspecified error" for E_FAIL); codes it does not know
// read "OLE error 8004FFFF".
QString platformErrorMessage(HRESULT status);

// A failure status turned into an error: what the program raises for a plug-in's failed call.
class EOleSysError : public EOleError
{
public:
    explicit EOleSysError(HRESULT status) : EOleError(platformErrorMessage(status)), m_status(status) {}
    EOleSysError(HRESULT status, const QString& message) : EOleError(message), m_status(status) {}
    HRESULT status() const { return m_status; }

private:
    HRESULT m_status;
};

// ---- the plug-in category ----------------------------------------------------------------------

inline constexpr const char* kPlugInCategory = "{77A1B360-A4B8-11D3-9FEB-969647E4693F}";
inline constexpr int kPlugInCategoryLocale = 2048;
inline constexpr const char* kPlugInCategoryDescription = "Brightwell GIF Reelwright Plugins";
// At most this many plug-in classes are taken in one start.
inline constexpr int kMaxPlugInClasses = 50;

// ---- interfaces --------------------------------------------------------------------------------

// Implemented by a plug-in's root object. The program calls SetApplication, GetDescription,
// GetTitle and GetVersion, then RegisterMenus, once each at start-up.
class IAddIn
{
public:
    virtual ~IAddIn() = default;
    // Hands the plug-in the program's own application object; keep it with a TComPtr.
    virtual HRESULT SetApplication(IGIFReelwrightApplication* Reelwright) = 0;
    // Add the plug-in's menu items now (IGIFReelwrightApplication::Menu, IIntfMenuItem).
    virtual HRESULT RegisterMenus() = 0;
    virtual HRESULT GetDescription(QString& wsDescription) = 0;
    virtual HRESULT GetTitle(QString& wsTitle) = 0;
    virtual HRESULT GetVersion(QString& wsVersion) = 0;
};

#define IAddIn_iid "Reelwright.IAddIn/{E48CE260-975C-11D3-9FEB-CE30E892D512}"
Q_DECLARE_INTERFACE(IAddIn, IAddIn_iid)

// A plug-in menu item's click handler. The item holds it (shared) for as long as it lives.
class IIntfMenuHandler
{
public:
    virtual ~IIntfMenuHandler() = default;
    // nTag: the item's Tag. A failure status is shown to the user as an error.
    virtual HRESULT Execute(int nTag) = 0;
};

using TMenuHandlerPtr = std::shared_ptr<IIntfMenuHandler>;
Q_DECLARE_METATYPE(TMenuHandlerPtr)

// The argument of IIntfMenuItem::SetMenuHandler for an in-process handler (null removes it).
inline QVariant menuHandlerValue(TMenuHandlerPtr handler)
{
    return QVariant::fromValue(std::move(handler));
}
