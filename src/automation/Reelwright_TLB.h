#pragma once
// The type library "Reelwright" (Brightwell GIF Reelwright Library, {210EBF60-63C8-11D3-B8A0-
// D96282894038}, version 5.0): the automation interfaces as C++ interfaces with their members in
// virtual-table order, their dispid tables, and the D-Bus introspection XML generated from those
// tables.
//
// ## How the object model travels over the D-Bus session bus
//
// Service name `Reelwright.GIFApplication`. One design covers every interface:
//
// - Each automation interface IX is the D-Bus interface `Reelwright.IX` with the members' own
//   names, listed in virtual-table order. Properties are D-Bus properties
//   (org.freedesktop.DBus.Properties Get/Set; writable exactly where the member has a put
//   accessor); methods are methods. A property that takes arguments (IDocuments.Cache(Index),
//   IFrames.Frame(Index)) becomes a method of the property's name (and Set<Name> where it can be
//   written).
// - Types: VARIANT "v", BSTR "s", long "i", VARIANT_BOOL "b", enumerations "i", bitmap transfer
//   values "ay" holding a complete BMP file (empty for an empty bitmap), object references object
//   paths "o" ("/" for a null reference). In/out parameters are in arguments in their place and
//   out arguments after the in ones, in parameter order, followed by the result.
// - Every member carries the annotation `Reelwright.DispId`; enumerations and interfaces of "i"
//   and "o" values are named by `Reelwright.Enum` and `Reelwright.Interface`; bitmap values by
//   `Reelwright.Bitmap`. Properties never emit change signals.
// - Late binding: every object also implements `Reelwright.IDispatch` with
//   `Invoke(i dispid, s kind, av args) -> v`, kind "get", "put" or "method", args the in
//   arguments in order (converted as automation converts variants). The answer is the result
//   (an object as its path, nothing as an empty string); a member with in/out parameters answers
//   with an "av" of their final values followed by the result. Unknown dispid or kind:
//   `Reelwright.Error.MemberNotFound`; wrong count: `Reelwright.Error.BadParamCount`; a value
//   that does not convert: `Reelwright.Error.TypeMismatch`.
// - Reference counting: `Reelwright.IUnknown` on every object with `AddRef()` and `Release()`.
//   Every object path handed to a client (a result, a property value, an Invoke answer) counts
//   one reference for that client; Release drops one of the caller's own references (a caller
//   holding none gets `Reelwright.Error.Failed`). When a client's connection goes away
//   (NameOwnerChanged) every reference it held is dropped. An object dies with its last
//   reference and its path disappears.
// - Class factory: `/Reelwright/GIFApplication`, interface `Reelwright.GIFApplication`:
//   `CreateInstance() -> o` makes a new application object for the caller at a new path
//   (/Reelwright/GIFApplication/<n>); the read-only property `ObjectCount` is the number of live
//   automation objects, the program's own application object included, and `Ready` tells whether
//   the program has finished starting (its main window is up).
// - Errors: a member that fails answers `Reelwright.Error.Failed` with the error's text; members
//   of objects still to come answer `Reelwright.Error.NotImplemented`. Wrong D-Bus signatures are
//   `org.freedesktop.DBus.Error.InvalidArgs`.
// - Menu handlers (IIntfMenuHandler) are objects of the client: a handler argument is an object
//   path on the caller's connection, and a click calls `Reelwright.IIntfMenuHandler.Execute(i)`
//   there. IAddIn is for in-process plug-ins only and does not travel over the bus.
// - Registration: `$XDG_DATA_HOME/dbus-1/services/Reelwright.GIFApplication.service` (started
//   with -AUTOMATION) and `$XDG_DATA_HOME/dbus-1/interfaces/Reelwright.<Interface>.xml`, one per
//   interface, exactly the XML the objects answer Introspect with.
#include "automation/ComLib.h"

#include <QString>
#include <QStringList>

// ---- enumerations ------------------------------------------------------------------------------

enum TCurrentViewType : int
{
    cvEditFrame = 0,
    cvPreview = 1,
};

enum TThumbsFilterType : int
{
    iftAll = 0,
    iftGif = 1,
    iftJpg = 2,
    iftBmp = 3,
};

// Equal to the GIF engine's disposal codes.
enum TIDisposalMethod : int
{
    idmNone = 0,
    idmRemove = 1,
    idmBackground = 2,
    idmPrevious = 3,
};

class IActiveDocument;
class IDocuments;
class IDocumentCache;
class IFrames;
class IFrame;
class IIntfMenuItem;

// ---- interfaces (members in virtual-table order) -----------------------------------------------

class IGIFReelwrightApplication : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual TComPtr<IActiveDocument> get_ActiveDocument() = 0;                            // 1
    virtual QVariant get_AppPath() = 0;                                                   // 2
    virtual QVariant get_CurrentFolder() = 0;                                             // 3
    virtual void put_CurrentFolder(const QVariant& value) = 0;                            // 3
    virtual TCurrentViewType get_CurrentView() = 0;                                       // 4
    virtual void put_CurrentView(TCurrentViewType value) = 0;                             // 4
    virtual TComPtr<IDocuments> get_DocumentCache() = 0;                                  // 5
    virtual QVariant get_ExeName() = 0;                                                   // 7
    virtual int get_Height() = 0;                                                         // 8
    virtual void put_Height(int value) = 0;                                               // 8
    virtual int get_HInstance() = 0;                                                      // 9
    virtual int get_hWnd() = 0;                                                           // 10
    virtual int get_Left() = 0;                                                           // 11
    virtual void put_Left(int value) = 0;                                                 // 11
    virtual bool get_ThumbnailsShowing() = 0;                                             // 12
    virtual void put_ThumbnailsShowing(bool wbShowing) = 0;                               // 12
    virtual int get_Top() = 0;                                                            // 13
    virtual void put_Top(int value) = 0;                                                  // 13
    virtual QVariant get_VersionText() = 0;                                               // 14
    virtual int get_WindowState() = 0;                                                    // 15
    virtual void put_WindowState(int value) = 0;                                          // 15
    virtual int get_Width() = 0;                                                          // 16
    virtual void put_Width(int value) = 0;                                                // 16
    virtual void BringToFront() = 0;                                                      // 17
    virtual bool CloseAll(bool wbPromptToSave) = 0;                                       // 18
    virtual QString ExtractFileName(const QString& wsFile) = 0;                           // 19
    virtual QString ExtractFilePath(const QString& wsFile) = 0;                           // 20
    virtual bool GetImageSize(const QString& wsImageFile, int& nHeight, int& nWidth) = 0; // 21
    virtual void HideProgress() = 0;                                                      // 22
    virtual QString InputBox(const QString& wsCaption, const QString& wsPrompt,
                             const QString& wsDefault) = 0;                                 // 23
    virtual bool IsFileOpen(const QVariant& sFile) = 0;                                     // 24
    virtual bool IsImageAnimation(const QString& wsFile) = 0;                               // 25
    virtual int MessageBox(const QString& wsText, const QString& wsCaption, int nType) = 0; // 26
    virtual void NewDocument(int wbOpenMaximized) = 0;                                      // 27
    virtual bool OpenFile(const QString& wsFile) = 0;                                       // 28
    virtual void NextDoc() = 0;                                                             // 29
    virtual void PreviousDoc() = 0;                                                         // 30
    virtual void Quit() = 0;                                                                // 31
    virtual bool SaveAll() = 0;                                                             // 32
    virtual void SendToBack() = 0;                                                          // 33
    virtual void SetProgress(int nProgress) = 0;                                            // 34
    virtual void SetStatusText(const QVariant& sMessage) = 0;                               // 35
    virtual void StatusWarning(const QString& wsMsg) = 0;                                   // 36
    virtual void StatusError(const QString& wsMsg) = 0;                                     // 37
    virtual void LoadThumbnails(const QVariant& sFolder) = 0;                               // 38
    virtual void ShowProgress() = 0;                                                        // 39
    virtual bool ShellToApp(const QString& wsAppFileName) = 0;                              // 40
    virtual void ShellToAppAndWait(const QString& wsAppFileName) = 0;                       // 41
    virtual void Wait(int nMilliseconds) = 0;                                               // 42
    virtual int get_DocumentIndex() = 0;                                                    // 43
    virtual void put_DocumentIndex(int Index) = 0;                                          // 43
    virtual bool get_ExplorerShowing() = 0;                                                 // 44
    virtual void put_ExplorerShowing(bool wbShowing) = 0;                                   // 44
    virtual TThumbsFilterType get_ThumbnailImageFilter() = 0;                               // 45
    virtual void put_ThumbnailImageFilter(TThumbsFilterType Filter) = 0;                    // 45
    virtual void Cascade() = 0;                                                             // 46
    virtual void TileHorizontal() = 0;                                                      // 47
    virtual void TileVertical() = 0;                                                        // 48
    virtual int TabIndexForFile(const QString& wsFileName) = 0;                             // 49
    virtual bool MenuExists(const QString& wsMenuPath) = 0;                                 // 50
    virtual TComPtr<IIntfMenuItem> Menu(const QString& wsMenuPath) = 0;                     // 51
    virtual QString get_ThumbNailFileName() = 0;                                            // 52

    const TInterfaceInfo& interfaceInfo() const override;
};

class IActiveDocument : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual bool get_CanUndo() = 0;                                                         // 1
    virtual bool get_CanRedo() = 0;                                                         // 2
    virtual void Undo() = 0;                                                                // 3
    virtual void Redo() = 0;                                                                // 4
    virtual QString get_FileName() = 0;                                                     // 5
    virtual bool get_Modified() = 0;                                                        // 6
    virtual void put_Modified(bool value) = 0;                                              // 6
    virtual bool get_ReadOnly() = 0;                                                        // 7
    virtual void put_ReadOnly(bool value) = 0;                                              // 7
    virtual QByteArray CurrentBitmap() = 0;                                                 // 9
    virtual int get_TabIndex() = 0;                                                         // 10
    virtual int get_SelectedFrame() = 0;                                                    // 11
    virtual void put_SelectedFrame(int nFrame) = 0;                                         // 11
    virtual bool get_Optimized() = 0;                                                       // 12
    virtual void Clear() = 0;                                                               // 13
    virtual bool Close(bool wbPromptToSave) = 0;                                            // 14
    virtual void Print(bool wbNoPrompt, bool wbPrintAllFrames) = 0;                         // 15
    virtual void Reload(bool wbPromptToSave) = 0;                                           // 16
    virtual bool Save() = 0;                                                                // 17
    virtual void PlayAnimation() = 0;                                                       // 18
    virtual void StopAnimation() = 0;                                                       // 19
    virtual int AddFrame(const QByteArray& Image, int Delay) = 0;                           // 20
    virtual void InsertFrame(int nIndex, const QByteArray& Image) = 0;                      // 21
    virtual void DeleteFrame(int nIndex) = 0;                                               // 22
    virtual bool ExportToAVI() = 0;                                                         // 23
    virtual bool ImportFromAVI(const QString& wsFile) = 0;                                  // 24
    virtual QString HTMLCode(const QString& wsURL, const QString& wsHint, int nBorder) = 0; // 25
    virtual int get_NSLoop() = 0;                                                           // 27
    virtual void put_NSLoop(int nLoop) = 0;                                                 // 27
    virtual void Optimize() = 0;                                                            // 28
    virtual bool AddFrameNoPrompts(const QByteArray& Image, int nDelay) = 0;                // 29
    virtual bool SaveDocToTempFile(const QString& wsFileName) = 0;                          // 30
    virtual TComPtr<IFrames> get_Frames() = 0;                                              // 26

    const TInterfaceInfo& interfaceInfo() const override;
};

class IDocuments : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual int get_Count() = 0;                              // 1
    virtual TComPtr<IDocumentCache> get_Cache(int Index) = 0; // 0
    virtual TDispatchPtr get__NewEnum() = 0;                  // -4

    const TInterfaceInfo& interfaceInfo() const override;
};

class IDocumentCache : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual bool get_CanUndo() = 0;     // 1
    virtual bool get_CanRedo() = 0;     // 2
    virtual bool get_Modified() = 0;    // 3
    virtual QString get_FileName() = 0; // 4
    virtual bool get_ReadOnly() = 0;    // 5
    virtual void MakeActive() = 0;      // 6

    const TInterfaceInfo& interfaceInfo() const override;
};

class IFrames : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual int get_Count() = 0;                      // 1
    virtual TComPtr<IFrame> get_Frame(int Index) = 0; // 0
    virtual TDispatchPtr get__NewEnum() = 0;          // -4

    const TInterfaceInfo& interfaceInfo() const override;
};

class IFrame : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual QByteArray get_Bitmap() = 0;                         // 1
    virtual QString get_Comments() = 0;                          // 2
    virtual bool get_Empty() = 0;                                // 3
    virtual int get_Extensions() = 0;                            // 6
    virtual int get_Left() = 0;                                  // 9
    virtual void put_Left(int nLeft) = 0;                        // 9
    virtual int get_Top() = 0;                                   // 10
    virtual void put_Top(int nTop) = 0;                          // 10
    virtual bool get_Interlaced() = 0;                           // 11
    virtual void put_Interlaced(bool wbInterlaced) = 0;          // 11
    virtual bool get_LocalPalette() = 0;                         // 12
    virtual int get_Height() = 0;                                // 4
    virtual void put_Height(int nHeight) = 0;                    // 4
    virtual int get_Width() = 0;                                 // 5
    virtual void put_Width(int nWidth) = 0;                      // 5
    virtual bool get_Transparent() = 0;                          // 7
    virtual void put_Transparent(bool wbTransparent) = 0;        // 7
    virtual int get_Delay() = 0;                                 // 8
    virtual void put_Delay(int nDelay) = 0;                      // 8
    virtual TIDisposalMethod get_Disposal() = 0;                 // 13
    virtual void put_Disposal(TIDisposalMethod idmDisposal) = 0; // 13
    virtual bool SetBitmap(const QByteArray& Bitmap) = 0;        // 14

    const TInterfaceInfo& interfaceInfo() const override;
};

class IIntfMenuItem : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual QString get_Caption() = 0;                            // 1
    virtual void put_Caption(const QString& wsCaption) = 0;       // 1
    virtual bool get_Checked() = 0;                               // 2
    virtual void put_Checked(bool wbChecked) = 0;                 // 2
    virtual bool get_Enabled() = 0;                               // 3
    virtual void put_Enabled(bool wbEnabled) = 0;                 // 3
    virtual QString get_Hint() = 0;                               // 4
    virtual void put_Hint(const QString& wsHint) = 0;             // 4
    virtual QString get_ShortCut() = 0;                           // 5
    virtual void put_ShortCut(const QString& wsShortCut) = 0;     // 5
    virtual int get_SubItemCount() = 0;                           // 6
    virtual int get_Tag() = 0;                                    // 7
    virtual void put_Tag(int nTag) = 0;                           // 7
    virtual bool get_Visible() = 0;                               // 8
    virtual void put_Visible(bool wbVisible) = 0;                 // 8
    virtual TComPtr<IIntfMenuItem> AddSubItem() = 0;              // 9
    virtual TComPtr<IIntfMenuItem> SubItem(int nIndex) = 0;       // 10
    virtual void Execute() = 0;                                   // 13
    virtual void SetMenuHandler(const QVariant& Handler) = 0;     // 11
    virtual int get_MenuIndex() = 0;                              // 12
    virtual void put_MenuIndex(int nIndex) = 0;                   // 12
    virtual TComPtr<IIntfMenuItem> InsertSubItem(int nIndex) = 0; // 14
    virtual bool get_DocDependent() = 0;                          // 15
    virtual void put_DocDependent(bool wbEnabled) = 0;            // 15

    const TInterfaceInfo& interfaceInfo() const override;
};

// The variant enumerator behind every _NewEnum. Next answers the items fetched (as object
// references); fewer than asked is the "false" status.
class IEnumVARIANT : public IDispatch
{
public:
    using IDispatch::IDispatch;
    virtual QVariantList Next(int celt) = 0;
    virtual bool Skip(int celt) = 0;
    virtual void Reset() = 0;
    virtual TComPtr<IEnumVARIANT> Clone() = 0;

    const TInterfaceInfo& interfaceInfo() const override;
};

// ---- the library -------------------------------------------------------------------------------

inline constexpr const char* kServiceName = "Reelwright.GIFApplication";
inline constexpr const char* kFactoryPath = "/Reelwright/GIFApplication";
inline constexpr const char* kInterfacePrefix = "Reelwright.";

// The dispatch interfaces in library order; each object implements exactly one of them.
const std::vector<const TInterfaceInfo*>& libraryInterfaces();
// Interfaces implemented by clients (the menu handler): described, never served.
const TInterfaceInfo& menuHandlerInterface();

// The D-Bus name of an interface: "Reelwright." + its name.
QString dbusInterfaceName(const TInterfaceInfo& info);
// The <interface> element of an automation interface, generated from its table.
QString interfaceXml(const TInterfaceInfo& info);
// The <interface> elements of the interfaces every object and the factory have besides their own.
QString dispatchInterfaceXml();
QString unknownInterfaceXml();
QString factoryInterfaceXml();
// A complete introspection document holding the given <interface> elements and child nodes.
QString introspectionDocument(const QStringList& interfaces, const QStringList& childNodes = {});

// Every interface of the library as (D-Bus interface name, <interface> element): the type library
// the program registers.
QList<QPair<QString, QString>> typeLibraryInterfaces();
