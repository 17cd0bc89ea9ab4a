#include "automation/Reelwright_TLB.h"

#include <QXmlStreamWriter>

// The tables below are the library's contract: member order is the virtual-table order, and the
// dispids are what late-bound clients call. Each entry's call converts between the late-bound
// values (ComLib.h) and the typed member.

namespace {

using V = TVarType;
using K = TMemberKind;

TParamInfo in(const char* name, TVarType type, const char* typeName = "")
{
    return TParamInfo{name, type, typeName, false};
}

TParamInfo inOut(const char* name, TVarType type)
{
    return TParamInfo{name, type, "", true};
}

TParamInfo result(TVarType type, const char* typeName = "", const char* name = "Value")
{
    return TParamInfo{name, type, typeName, false};
}

const TParamInfo none{};

#define CALL(I, ...)                                                                                         \
    [](IDispatch& self_, const QVariantList& a) -> QVariantList {                                            \
        I& o = static_cast<I&>(self_);                                                                       \
        (void)a;                                                                                             \
        __VA_ARGS__                                                                                          \
    }

QString s(const QVariantList& a, int i)
{
    return a[i].toString();
}
int n(const QVariantList& a, int i)
{
    return a[i].toInt();
}
bool b(const QVariantList& a, int i)
{
    return a[i].toBool();
}

// The tables keep one member per entry, in the layout of the interfaces above.
// clang-format off
TInterfaceInfo makeApplication()
{
    using I = IGIFReelwrightApplication;
    TInterfaceInfo info{"IGIFReelwrightApplication", "{0B89A940-64AC-11D3-9FEA-C8F1A6C6CF2A}",
                        "Dispatch interface for Application Object", {}};
    info.members = {
        {1, "ActiveDocument", K::Get, {}, result(V::Object, "IActiveDocument"),
         CALL(I, return {objectValue(o.get_ActiveDocument())};)},
        {2, "AppPath", K::Get, {}, result(V::Variant, "", "Param1"), CALL(I, return {o.get_AppPath()};)},
        {3, "CurrentFolder", K::Get, {}, result(V::Variant), CALL(I, return {o.get_CurrentFolder()};)},
        {3, "CurrentFolder", K::Put, {in("Value", V::Variant)}, none,
         CALL(I, o.put_CurrentFolder(a[0]); return {};)},
        {4, "CurrentView", K::Get, {}, result(V::Enum, "TCurrentViewType"),
         CALL(I, return {int(o.get_CurrentView())};)},
        {4, "CurrentView", K::Put, {in("Value", V::Enum, "TCurrentViewType")}, none,
         CALL(I, o.put_CurrentView(TCurrentViewType(n(a, 0))); return {};)},
        {5, "DocumentCache", K::Get, {}, result(V::Object, "IDocuments"),
         CALL(I, return {objectValue(o.get_DocumentCache())};)},
        {7, "ExeName", K::Get, {}, result(V::Variant), CALL(I, return {o.get_ExeName()};)},
        {8, "Height", K::Get, {}, result(V::Long), CALL(I, return {o.get_Height()};)},
        {8, "Height", K::Put, {in("Value", V::Long)}, none, CALL(I, o.put_Height(n(a, 0)); return {};)},
        {9, "HInstance", K::Get, {}, result(V::Long), CALL(I, return {o.get_HInstance()};)},
        {10, "hWnd", K::Get, {}, result(V::Long), CALL(I, return {o.get_hWnd()};)},
        {11, "Left", K::Get, {}, result(V::Long), CALL(I, return {o.get_Left()};)},
        {11, "Left", K::Put, {in("Value", V::Long)}, none, CALL(I, o.put_Left(n(a, 0)); return {};)},
        {12, "ThumbnailsShowing", K::Get, {}, result(V::Bool), CALL(I, return {o.get_ThumbnailsShowing()};)},
        {12, "ThumbnailsShowing", K::Put, {in("wbShowing", V::Bool)}, none,
         CALL(I, o.put_ThumbnailsShowing(b(a, 0)); return {};)},
        {13, "Top", K::Get, {}, result(V::Long), CALL(I, return {o.get_Top()};)},
        {13, "Top", K::Put, {in("Value", V::Long)}, none, CALL(I, o.put_Top(n(a, 0)); return {};)},
        {14, "VersionText", K::Get, {}, result(V::Variant), CALL(I, return {o.get_VersionText()};)},
        {15, "WindowState", K::Get, {}, result(V::Long), CALL(I, return {o.get_WindowState()};)},
        {15, "WindowState", K::Put, {in("Value", V::Long)}, none,
         CALL(I, o.put_WindowState(n(a, 0)); return {};)},
        {16, "Width", K::Get, {}, result(V::Long), CALL(I, return {o.get_Width()};)},
        {16, "Width", K::Put, {in("Value", V::Long)}, none, CALL(I, o.put_Width(n(a, 0)); return {};)},
        {17, "BringToFront", K::Method, {}, none, CALL(I, o.BringToFront(); return {};)},
        {18, "CloseAll", K::Method, {in("wbPromptToSave", V::Bool)}, result(V::Bool),
         CALL(I, return {o.CloseAll(b(a, 0))};)},
        {19, "ExtractFileName", K::Method, {in("wsFile", V::String)}, result(V::String),
         CALL(I, return {o.ExtractFileName(s(a, 0))};)},
        {20, "ExtractFilePath", K::Method, {in("wsFile", V::String)}, result(V::String, "", "Param2"),
         CALL(I, return {o.ExtractFilePath(s(a, 0))};)},
        {21, "GetImageSize", K::Method,
         {in("wsImageFile", V::String), inOut("nHeight", V::Long), inOut("nWidth", V::Long)}, result(V::Bool),
         CALL(I, int height = n(a, 1); int width = n(a, 2); const bool ok = o.GetImageSize(s(a, 0), height, width);
              return {height, width, ok};)},
        {22, "HideProgress", K::Method, {}, none, CALL(I, o.HideProgress(); return {};)},
        {23, "InputBox", K::Method,
         {in("wsCaption", V::String), in("wsPrompt", V::String), in("wsDefault", V::String)}, result(V::String),
         CALL(I, return {o.InputBox(s(a, 0), s(a, 1), s(a, 2))};)},
        {24, "IsFileOpen", K::Method, {in("sFile", V::Variant)}, result(V::Bool),
         CALL(I, return {o.IsFileOpen(a[0])};)},
        {25, "IsImageAnimation", K::Method, {in("wsFile", V::String)}, result(V::Bool),
         CALL(I, return {o.IsImageAnimation(s(a, 0))};)},
        {26, "MessageBox", K::Method,
         {in("wsText", V::String), in("wsCaption", V::String), in("nType", V::Long)}, result(V::Long),
         CALL(I, return {o.MessageBox(s(a, 0), s(a, 1), n(a, 2))};)},
        {27, "NewDocument", K::Method, {in("wbOpenMaximized", V::Long)}, none,
         CALL(I, o.NewDocument(n(a, 0)); return {};)},
        {28, "OpenFile", K::Method, {in("wsFile", V::String)}, result(V::Bool),
         CALL(I, return {o.OpenFile(s(a, 0))};)},
        {29, "NextDoc", K::Method, {}, none, CALL(I, o.NextDoc(); return {};)},
        {30, "PreviousDoc", K::Method, {}, none, CALL(I, o.PreviousDoc(); return {};)},
        {31, "Quit", K::Method, {}, none, CALL(I, o.Quit(); return {};)},
        {32, "SaveAll", K::Method, {}, result(V::Bool), CALL(I, return {o.SaveAll()};)},
        {33, "SendToBack", K::Method, {}, none, CALL(I, o.SendToBack(); return {};)},
        {34, "SetProgress", K::Method, {in("nProgress", V::Long)}, none,
         CALL(I, o.SetProgress(n(a, 0)); return {};)},
        {35, "SetStatusText", K::Method, {in("sMessage", V::Variant)}, none,
         CALL(I, o.SetStatusText(a[0]); return {};)},
        {36, "StatusWarning", K::Method, {in("wsMsg", V::String)}, none,
         CALL(I, o.StatusWarning(s(a, 0)); return {};)},
        {37, "StatusError", K::Method, {in("wsMsg", V::String)}, none,
         CALL(I, o.StatusError(s(a, 0)); return {};)},
        {38, "LoadThumbnails", K::Method, {in("sFolder", V::Variant)}, none,
         CALL(I, o.LoadThumbnails(a[0]); return {};)},
        {39, "ShowProgress", K::Method, {}, none, CALL(I, o.ShowProgress(); return {};)},
        {40, "ShellToApp", K::Method, {in("wsAppFileName", V::String)}, result(V::Bool),
         CALL(I, return {o.ShellToApp(s(a, 0))};)},
        {41, "ShellToAppAndWait", K::Method, {in("wsAppFileName", V::String)}, none,
         CALL(I, o.ShellToAppAndWait(s(a, 0)); return {};)},
        {42, "Wait", K::Method, {in("nMilliseconds", V::Long)}, none, CALL(I, o.Wait(n(a, 0)); return {};)},
        {43, "DocumentIndex", K::Get, {}, result(V::Long), CALL(I, return {o.get_DocumentIndex()};)},
        {43, "DocumentIndex", K::Put, {in("Index", V::Long)}, none,
         CALL(I, o.put_DocumentIndex(n(a, 0)); return {};)},
        {44, "ExplorerShowing", K::Get, {}, result(V::Bool), CALL(I, return {o.get_ExplorerShowing()};)},
        {44, "ExplorerShowing", K::Put, {in("wbShowing", V::Bool)}, none,
         CALL(I, o.put_ExplorerShowing(b(a, 0)); return {};)},
        {45, "ThumbnailImageFilter", K::Get, {}, result(V::Enum, "TThumbsFilterType"),
         CALL(I, return {int(o.get_ThumbnailImageFilter())};)},
        {45, "ThumbnailImageFilter", K::Put, {in("Filter", V::Enum, "TThumbsFilterType")}, none,
         CALL(I, o.put_ThumbnailImageFilter(TThumbsFilterType(n(a, 0))); return {};)},
        {46, "Cascade", K::Method, {}, none, CALL(I, o.Cascade(); return {};)},
        {47, "TileHorizontal", K::Method, {}, none, CALL(I, o.TileHorizontal(); return {};)},
        {48, "TileVertical", K::Method, {}, none, CALL(I, o.TileVertical(); return {};)},
        {49, "TabIndexForFile", K::Method, {in("wsFileName", V::String)}, result(V::Long),
         CALL(I, return {o.TabIndexForFile(s(a, 0))};)},
        {50, "MenuExists", K::Method, {in("wsMenuPath", V::String)}, result(V::Bool),
         CALL(I, return {o.MenuExists(s(a, 0))};)},
        {51, "Menu", K::Method, {in("wsMenuPath", V::String)}, result(V::Object, "IIntfMenuItem"),
         CALL(I, return {objectValue(o.Menu(s(a, 0)))};)},
        {52, "ThumbNailFileName", K::Get, {}, result(V::String), CALL(I, return {o.get_ThumbNailFileName()};)},
    };
    return info;
}

TInterfaceInfo makeActiveDocument()
{
    using I = IActiveDocument;
    TInterfaceInfo info{"IActiveDocument", "{0B89A946-64AC-11D3-9FEA-C8F1A6C6CF2A}",
                        "Dispatch interface for IActiveDocument Object", {}};
    info.members = {
        {1, "CanUndo", K::Get, {}, result(V::Bool), CALL(I, return {o.get_CanUndo()};)},
        {2, "CanRedo", K::Get, {}, result(V::Bool), CALL(I, return {o.get_CanRedo()};)},
        {3, "Undo", K::Method, {}, none, CALL(I, o.Undo(); return {};)},
        {4, "Redo", K::Method, {}, none, CALL(I, o.Redo(); return {};)},
        {5, "FileName", K::Get, {}, result(V::String), CALL(I, return {o.get_FileName()};)},
        {6, "Modified", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Modified()};)},
        {6, "Modified", K::Put, {in("Value", V::Bool)}, none, CALL(I, o.put_Modified(b(a, 0)); return {};)},
        {7, "ReadOnly", K::Get, {}, result(V::Bool), CALL(I, return {o.get_ReadOnly()};)},
        {7, "ReadOnly", K::Put, {in("Value", V::Bool)}, none, CALL(I, o.put_ReadOnly(b(a, 0)); return {};)},
        {9, "CurrentBitmap", K::Method, {}, result(V::Bitmap), CALL(I, return {o.CurrentBitmap()};)},
        {10, "TabIndex", K::Get, {}, result(V::Long), CALL(I, return {o.get_TabIndex()};)},
        {11, "SelectedFrame", K::Get, {}, result(V::Long), CALL(I, return {o.get_SelectedFrame()};)},
        {11, "SelectedFrame", K::Put, {in("nFrame", V::Long)}, none,
         CALL(I, o.put_SelectedFrame(n(a, 0)); return {};)},
        {12, "Optimized", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Optimized()};)},
        {13, "Clear", K::Method, {}, none, CALL(I, o.Clear(); return {};)},
        {14, "Close", K::Method, {in("wbPromptToSave", V::Bool)}, result(V::Bool),
         CALL(I, return {o.Close(b(a, 0))};)},
        {15, "Print", K::Method, {in("wbNoPrompt", V::Bool), in("wbPrintAllFrames", V::Bool)}, none,
         CALL(I, o.Print(b(a, 0), b(a, 1)); return {};)},
        {16, "Reload", K::Method, {in("wbPromptToSave", V::Bool)}, none, CALL(I, o.Reload(b(a, 0)); return {};)},
        {17, "Save", K::Method, {}, result(V::Bool), CALL(I, return {o.Save()};)},
        {18, "PlayAnimation", K::Method, {}, none, CALL(I, o.PlayAnimation(); return {};)},
        {19, "StopAnimation", K::Method, {}, none, CALL(I, o.StopAnimation(); return {};)},
        {20, "AddFrame", K::Method, {in("Image", V::Bitmap), in("Delay", V::Long)}, result(V::Long),
         CALL(I, return {o.AddFrame(a[0].toByteArray(), n(a, 1))};)},
        {21, "InsertFrame", K::Method, {in("nIndex", V::Long), in("Image", V::Bitmap)}, none,
         CALL(I, o.InsertFrame(n(a, 0), a[1].toByteArray()); return {};)},
        {22, "DeleteFrame", K::Method, {in("nIndex", V::Long)}, none, CALL(I, o.DeleteFrame(n(a, 0)); return {};)},
        {23, "ExportToAVI", K::Method, {}, result(V::Bool), CALL(I, return {o.ExportToAVI()};)},
        {24, "ImportFromAVI", K::Method, {in("wsFile", V::String)}, result(V::Bool),
         CALL(I, return {o.ImportFromAVI(s(a, 0))};)},
        {25, "HTMLCode", K::Method, {in("wsURL", V::String), in("wsHint", V::String), in("nBorder", V::Long)},
         result(V::String), CALL(I, return {o.HTMLCode(s(a, 0), s(a, 1), n(a, 2))};)},
        {27, "NSLoop", K::Get, {}, result(V::Long), CALL(I, return {o.get_NSLoop()};)},
        {27, "NSLoop", K::Put, {in("nLoop", V::Long)}, none, CALL(I, o.put_NSLoop(n(a, 0)); return {};)},
        {28, "Optimize", K::Method, {}, none, CALL(I, o.Optimize(); return {};)},
        {29, "AddFrameNoPrompts", K::Method, {in("Image", V::Bitmap), in("nDelay", V::Long)}, result(V::Bool),
         CALL(I, return {o.AddFrameNoPrompts(a[0].toByteArray(), n(a, 1))};)},
        {30, "SaveDocToTempFile", K::Method, {in("wsFileName", V::String)}, result(V::Bool),
         CALL(I, return {o.SaveDocToTempFile(s(a, 0))};)},
        {26, "Frames", K::Get, {}, result(V::Object, "IFrames"), CALL(I, return {objectValue(o.get_Frames())};)},
    };
    return info;
}

TInterfaceInfo makeDocuments()
{
    using I = IDocuments;
    TInterfaceInfo info{"IDocuments", "{761399C0-B073-11D3-B8A0-BE7ABD763234}",
                        "Dispatch interface for IDocuments Object", {}};
    info.members = {
        {1, "Count", K::Get, {}, result(V::Long), CALL(I, return {o.get_Count()};)},
        {0, "Cache", K::Get, {in("Index", V::Long)}, result(V::Object, "IDocumentCache"),
         CALL(I, return {objectValue(o.get_Cache(n(a, 0)))};)},
        {-4, "_NewEnum", K::Get, {}, result(V::Object, "IEnumVARIANT"),
         CALL(I, return {objectValue(o.get__NewEnum())};)},
    };
    return info;
}

TInterfaceInfo makeDocumentCache()
{
    using I = IDocumentCache;
    TInterfaceInfo info{"IDocumentCache", "{0B89A94A-64AC-11D3-9FEA-C8F1A6C6CF2A}",
                        "Dispatch interface for IDocumentCache Object", {}};
    info.members = {
        {1, "CanUndo", K::Get, {}, result(V::Bool), CALL(I, return {o.get_CanUndo()};)},
        {2, "CanRedo", K::Get, {}, result(V::Bool), CALL(I, return {o.get_CanRedo()};)},
        {3, "Modified", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Modified()};)},
        {4, "FileName", K::Get, {}, result(V::String), CALL(I, return {o.get_FileName()};)},
        {5, "ReadOnly", K::Get, {}, result(V::Bool), CALL(I, return {o.get_ReadOnly()};)},
        {6, "MakeActive", K::Method, {}, none, CALL(I, o.MakeActive(); return {};)},
    };
    return info;
}

TInterfaceInfo makeFrames()
{
    using I = IFrames;
    TInterfaceInfo info{"IFrames", "{761399C3-B073-11D3-B8A0-BE7ABD763234}", "Dispatch interface for IFrames Object",
                        {}};
    info.members = {
        {1, "Count", K::Get, {}, result(V::Long), CALL(I, return {o.get_Count()};)},
        {0, "Frame", K::Get, {in("Index", V::Long)}, result(V::Object, "IFrame"),
         CALL(I, return {objectValue(o.get_Frame(n(a, 0)))};)},
        {-4, "_NewEnum", K::Get, {}, result(V::Object, "IEnumVARIANT"),
         CALL(I, return {objectValue(o.get__NewEnum())};)},
    };
    return info;
}

TInterfaceInfo makeFrame()
{
    using I = IFrame;
    TInterfaceInfo info{"IFrame", "{605D6501-707E-11D3-9FEA-B70103748442}", "Dispatch interface for IFrame Object",
                        {}};
    info.members = {
        {1, "Bitmap", K::Get, {}, result(V::Bitmap), CALL(I, return {o.get_Bitmap()};)},
        {2, "Comments", K::Get, {}, result(V::String), CALL(I, return {o.get_Comments()};)},
        {3, "Empty", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Empty()};)},
        {6, "Extensions", K::Get, {}, result(V::Long), CALL(I, return {o.get_Extensions()};)},
        {9, "Left", K::Get, {}, result(V::Long), CALL(I, return {o.get_Left()};)},
        {9, "Left", K::Put, {in("nLeft", V::Long)}, none, CALL(I, o.put_Left(n(a, 0)); return {};)},
        {10, "Top", K::Get, {}, result(V::Long), CALL(I, return {o.get_Top()};)},
        {10, "Top", K::Put, {in("nTop", V::Long)}, none, CALL(I, o.put_Top(n(a, 0)); return {};)},
        {11, "Interlaced", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Interlaced()};)},
        {11, "Interlaced", K::Put, {in("wbInterlaced", V::Bool)}, none,
         CALL(I, o.put_Interlaced(b(a, 0)); return {};)},
        {12, "LocalPalette", K::Get, {}, result(V::Bool), CALL(I, return {o.get_LocalPalette()};)},
        {4, "Height", K::Get, {}, result(V::Long), CALL(I, return {o.get_Height()};)},
        {4, "Height", K::Put, {in("nHeight", V::Long)}, none, CALL(I, o.put_Height(n(a, 0)); return {};)},
        {5, "Width", K::Get, {}, result(V::Long), CALL(I, return {o.get_Width()};)},
        {5, "Width", K::Put, {in("nWidth", V::Long)}, none, CALL(I, o.put_Width(n(a, 0)); return {};)},
        {7, "Transparent", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Transparent()};)},
        {7, "Transparent", K::Put, {in("wbTransparent", V::Bool)}, none,
         CALL(I, o.put_Transparent(b(a, 0)); return {};)},
        {8, "Delay", K::Get, {}, result(V::Long), CALL(I, return {o.get_Delay()};)},
        {8, "Delay", K::Put, {in("nDelay", V::Long)}, none, CALL(I, o.put_Delay(n(a, 0)); return {};)},
        {13, "Disposal", K::Get, {}, result(V::Enum, "TIDisposalMethod"), CALL(I, return {int(o.get_Disposal())};)},
        {13, "Disposal", K::Put, {in("idmDisposal", V::Enum, "TIDisposalMethod")}, none,
         CALL(I, o.put_Disposal(TIDisposalMethod(n(a, 0))); return {};)},
        {14, "SetBitmap", K::Method, {in("Bitmap", V::Bitmap)}, result(V::Bool),
         CALL(I, return {o.SetBitmap(a[0].toByteArray())};)},
    };
    return info;
}

TInterfaceInfo makeMenuItem()
{
    using I = IIntfMenuItem;
    TInterfaceInfo info{"IIntfMenuItem", "{A1CC81C4-A4D5-11D3-9FEB-A94D975F842A}",
                        "Dispatch interface for IIntfMenuItem Object", {}};
    info.members = {
        {1, "Caption", K::Get, {}, result(V::String), CALL(I, return {o.get_Caption()};)},
        {1, "Caption", K::Put, {in("wsCaption", V::String)}, none, CALL(I, o.put_Caption(s(a, 0)); return {};)},
        {2, "Checked", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Checked()};)},
        {2, "Checked", K::Put, {in("wbChecked", V::Bool)}, none, CALL(I, o.put_Checked(b(a, 0)); return {};)},
        {3, "Enabled", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Enabled()};)},
        {3, "Enabled", K::Put, {in("wbEnabled", V::Bool)}, none, CALL(I, o.put_Enabled(b(a, 0)); return {};)},
        {4, "Hint", K::Get, {}, result(V::String), CALL(I, return {o.get_Hint()};)},
        {4, "Hint", K::Put, {in("wsHint", V::String)}, none, CALL(I, o.put_Hint(s(a, 0)); return {};)},
        {5, "ShortCut", K::Get, {}, result(V::String), CALL(I, return {o.get_ShortCut()};)},
        {5, "ShortCut", K::Put, {in("wsShortCut", V::String)}, none, CALL(I, o.put_ShortCut(s(a, 0)); return {};)},
        {6, "SubItemCount", K::Get, {}, result(V::Long, "", "Param1"), CALL(I, return {o.get_SubItemCount()};)},
        {7, "Tag", K::Get, {}, result(V::Long), CALL(I, return {o.get_Tag()};)},
        {7, "Tag", K::Put, {in("nTag", V::Long)}, none, CALL(I, o.put_Tag(n(a, 0)); return {};)},
        {8, "Visible", K::Get, {}, result(V::Bool), CALL(I, return {o.get_Visible()};)},
        {8, "Visible", K::Put, {in("wbVisible", V::Bool)}, none, CALL(I, o.put_Visible(b(a, 0)); return {};)},
        {9, "AddSubItem", K::Method, {}, result(V::Object, "IIntfMenuItem"),
         CALL(I, return {objectValue(o.AddSubItem())};)},
        {10, "SubItem", K::Method, {in("nIndex", V::Long)}, result(V::Object, "IIntfMenuItem"),
         CALL(I, return {objectValue(o.SubItem(n(a, 0)))};)},
        {13, "Execute", K::Method, {}, none, CALL(I, o.Execute(); return {};)},
        {11, "SetMenuHandler", K::Method, {in("Handler", V::Object, "IIntfMenuHandler")}, none,
         CALL(I, o.SetMenuHandler(a[0]); return {};)},
        {12, "MenuIndex", K::Get, {}, result(V::Long), CALL(I, return {o.get_MenuIndex()};)},
        {12, "MenuIndex", K::Put, {in("nIndex", V::Long)}, none, CALL(I, o.put_MenuIndex(n(a, 0)); return {};)},
        {14, "InsertSubItem", K::Method, {in("nIndex", V::Long)}, result(V::Object, "IIntfMenuItem"),
         CALL(I, return {objectValue(o.InsertSubItem(n(a, 0)))};)},
        {15, "DocDependent", K::Get, {}, result(V::Bool), CALL(I, return {o.get_DocDependent()};)},
        {15, "DocDependent", K::Put, {in("wbEnabled", V::Bool)}, none,
         CALL(I, o.put_DocDependent(b(a, 0)); return {};)},
    };
    return info;
}

TInterfaceInfo makeEnumVariant()
{
    using I = IEnumVARIANT;
    // Not a dispatch interface in its own right; the dispids are this server's.
    TInterfaceInfo info{"IEnumVARIANT", "{00020404-0000-0000-C000-000000000046}", "", {}};
    info.members = {
        {1, "Next", K::Method, {in("celt", V::Long)}, result(V::Variant), CALL(I, return {QVariant(o.Next(n(a, 0)))};)},
        {2, "Skip", K::Method, {in("celt", V::Long)}, result(V::Bool), CALL(I, return {o.Skip(n(a, 0))};)},
        {3, "Reset", K::Method, {}, none, CALL(I, o.Reset(); return {};)},
        {4, "Clone", K::Method, {}, result(V::Object, "IEnumVARIANT"), CALL(I, return {objectValue(o.Clone())};)},
    };
    return info;
}

TInterfaceInfo makeMenuHandler()
{
    TInterfaceInfo info{"IIntfMenuHandler", "{82D152E0-A51C-11D3-9FEB-CFB9F6F64B7C}",
                        "Interface for IIntfMenuHandler Object", {}};
    info.members = {{1, "Execute", K::Method, {in("nTag", V::Long)}, none, nullptr}};
    return info;
}

// clang-format on

#undef CALL

const TInterfaceInfo& applicationInfo()
{
    static const TInterfaceInfo info = makeApplication();
    return info;
}
const TInterfaceInfo& activeDocumentInfo()
{
    static const TInterfaceInfo info = makeActiveDocument();
    return info;
}
const TInterfaceInfo& documentsInfo()
{
    static const TInterfaceInfo info = makeDocuments();
    return info;
}
const TInterfaceInfo& documentCacheInfo()
{
    static const TInterfaceInfo info = makeDocumentCache();
    return info;
}
const TInterfaceInfo& framesInfo()
{
    static const TInterfaceInfo info = makeFrames();
    return info;
}
const TInterfaceInfo& frameInfo()
{
    static const TInterfaceInfo info = makeFrame();
    return info;
}
const TInterfaceInfo& menuItemInfo()
{
    static const TInterfaceInfo info = makeMenuItem();
    return info;
}
const TInterfaceInfo& enumVariantInfo()
{
    static const TInterfaceInfo info = makeEnumVariant();
    return info;
}

// ---- XML ---------------------------------------------------------------------------------------

void annotate(QXmlStreamWriter& xml, const QString& name, const QString& value)
{
    xml.writeStartElement(QStringLiteral("annotation"));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeAttribute(QStringLiteral("value"), value);
    xml.writeEndElement();
}

void typeAnnotations(QXmlStreamWriter& xml, const TParamInfo& param)
{
    if (param.type == V::Enum)
        annotate(xml, QStringLiteral("Reelwright.Enum"), QLatin1String(param.typeName));
    else if (param.type == V::Object)
        annotate(xml, QStringLiteral("Reelwright.Interface"),
                 QLatin1String(kInterfacePrefix) + QLatin1String(param.typeName));
    else if (param.type == V::Bitmap)
        annotate(xml, QStringLiteral("Reelwright.Bitmap"), QStringLiteral("BMP"));
}

void writeArg(QXmlStreamWriter& xml, const TParamInfo& param, const char* direction)
{
    xml.writeStartElement(QStringLiteral("arg"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(param.name));
    xml.writeAttribute(QStringLiteral("type"), dbusSignature(param.type));
    xml.writeAttribute(QStringLiteral("direction"), QLatin1String(direction));
    typeAnnotations(xml, param);
    xml.writeEndElement();
}

// A method element: in arguments, then the in/out ones again as out, then the result.
void writeMethod(QXmlStreamWriter& xml, const QString& name, const QString& dispid,
                 const std::vector<TParamInfo>& params, const TParamInfo& resultParam)
{
    xml.writeStartElement(QStringLiteral("method"));
    xml.writeAttribute(QStringLiteral("name"), name);
    annotate(xml, QStringLiteral("Reelwright.DispId"), dispid);
    for (const TParamInfo& param : params)
        writeArg(xml, param, "in");
    for (const TParamInfo& param : params) {
        if (param.inOut)
            writeArg(xml, param, "out");
    }
    if (resultParam.type != V::Void)
        writeArg(xml, resultParam, "out");
    xml.writeEndElement();
}

QString finish(QString text)
{
    // The writer leaves the last line open; every element ends its own line.
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return text;
}

void startWriter(QXmlStreamWriter& xml)
{
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
}

} // namespace

const TInterfaceInfo& IGIFReelwrightApplication::interfaceInfo() const
{
    return applicationInfo();
}
const TInterfaceInfo& IActiveDocument::interfaceInfo() const
{
    return activeDocumentInfo();
}
const TInterfaceInfo& IDocuments::interfaceInfo() const
{
    return documentsInfo();
}
const TInterfaceInfo& IDocumentCache::interfaceInfo() const
{
    return documentCacheInfo();
}
const TInterfaceInfo& IFrames::interfaceInfo() const
{
    return framesInfo();
}
const TInterfaceInfo& IFrame::interfaceInfo() const
{
    return frameInfo();
}
const TInterfaceInfo& IIntfMenuItem::interfaceInfo() const
{
    return menuItemInfo();
}
const TInterfaceInfo& IEnumVARIANT::interfaceInfo() const
{
    return enumVariantInfo();
}

const std::vector<const TInterfaceInfo*>& libraryInterfaces()
{
    static const std::vector<const TInterfaceInfo*> all = {
        &applicationInfo(), &activeDocumentInfo(), &documentCacheInfo(), &frameInfo(),
        &menuItemInfo(),    &documentsInfo(),      &framesInfo(),        &enumVariantInfo(),
    };
    return all;
}

const TInterfaceInfo& menuHandlerInterface()
{
    static const TInterfaceInfo info = makeMenuHandler();
    return info;
}

QString dbusInterfaceName(const TInterfaceInfo& info)
{
    return QLatin1String(kInterfacePrefix) + QLatin1String(info.name);
}

QString interfaceXml(const TInterfaceInfo& info)
{
    QString text;
    QXmlStreamWriter xml(&text);
    startWriter(xml);
    xml.writeStartElement(QStringLiteral("interface"));
    xml.writeAttribute(QStringLiteral("name"), dbusInterfaceName(info));
    annotate(xml, QStringLiteral("Reelwright.IID"), QLatin1String(info.iid));
    if (*info.helpString)
        annotate(xml, QStringLiteral("Reelwright.HelpString"), QLatin1String(info.helpString));
    for (const TMemberInfo& member : info.members) {
        const QString name = QLatin1String(member.name);
        const QString dispid = QString::number(member.dispid);
        if (member.kind == K::Method) {
            writeMethod(xml, name, dispid, member.params, member.result);
        } else if (member.kind == K::Get && !member.params.empty()) {
            writeMethod(xml, name, dispid, member.params, member.result);
        } else if (member.kind == K::Put && member.params.size() > 1) {
            std::vector<TParamInfo> params = member.params;
            writeMethod(xml, QStringLiteral("Set") + name, dispid, params, none);
        } else if (member.kind == K::Get) {
            const bool writable = info.find(member.dispid, K::Put) != nullptr;
            xml.writeStartElement(QStringLiteral("property"));
            xml.writeAttribute(QStringLiteral("name"), name);
            xml.writeAttribute(QStringLiteral("type"), dbusSignature(member.result.type));
            xml.writeAttribute(QStringLiteral("access"),
                               writable ? QStringLiteral("readwrite") : QStringLiteral("read"));
            annotate(xml, QStringLiteral("Reelwright.DispId"), dispid);
            typeAnnotations(xml, member.result);
            annotate(xml, QStringLiteral("org.freedesktop.DBus.Property.EmitsChangedSignal"),
                     QStringLiteral("false"));
            xml.writeEndElement();
        }
        // A plain put shares the property element of its get.
    }
    xml.writeEndElement();
    return finish(text);
}

QString dispatchInterfaceXml()
{
    return QStringLiteral("<interface name=\"Reelwright.IDispatch\">\n"
                          "  <method name=\"Invoke\">\n"
                          "    <arg name=\"dispid\" type=\"i\" direction=\"in\"/>\n"
                          "    <arg name=\"kind\" type=\"s\" direction=\"in\"/>\n"
                          "    <arg name=\"args\" type=\"av\" direction=\"in\"/>\n"
                          "    <arg name=\"result\" type=\"v\" direction=\"out\"/>\n"
                          "  </method>\n"
                          "</interface>\n");
}

QString unknownInterfaceXml()
{
    return QStringLiteral("<interface name=\"Reelwright.IUnknown\">\n"
                          "  <method name=\"AddRef\"/>\n"
                          "  <method name=\"Release\"/>\n"
                          "</interface>\n");
}

QString factoryInterfaceXml()
{
    return QStringLiteral(
        "<interface name=\"Reelwright.GIFApplication\">\n"
        "  <annotation name=\"Reelwright.CLSID\" value=\"{0B89A942-64AC-11D3-9FEA-C8F1A6C6CF2A}\"/>\n"
        "  <annotation name=\"Reelwright.HelpString\" value=\"Application Object\"/>\n"
        "  <method name=\"CreateInstance\">\n"
        "    <arg name=\"application\" type=\"o\" direction=\"out\">\n"
        "      <annotation name=\"Reelwright.Interface\" value=\"Reelwright.IGIFReelwrightApplication\"/>\n"
        "    </arg>\n"
        "  </method>\n"
        "  <property name=\"ObjectCount\" type=\"i\" access=\"read\">\n"
        "    <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"false\"/>\n"
        "  </property>\n"
        "  <property name=\"Ready\" type=\"b\" access=\"read\">\n"
        "    <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"false\"/>\n"
        "  </property>\n"
        "</interface>\n");
}

QString introspectionDocument(const QStringList& interfaces, const QStringList& childNodes)
{
    QString text =
        QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
                       "<node>\n");
    for (const QString& element : interfaces)
        text += element;
    for (const QString& child : childNodes)
        text += QStringLiteral("<node name=\"%1\"/>\n").arg(child);
    text += QStringLiteral("</node>\n");
    return text;
}

QList<QPair<QString, QString>> typeLibraryInterfaces()
{
    QList<QPair<QString, QString>> all;
    all.append({QStringLiteral("Reelwright.GIFApplication"), factoryInterfaceXml()});
    all.append({QStringLiteral("Reelwright.IUnknown"), unknownInterfaceXml()});
    all.append({QStringLiteral("Reelwright.IDispatch"), dispatchInterfaceXml()});
    for (const TInterfaceInfo* info : libraryInterfaces())
        all.append({dbusInterfaceName(*info), interfaceXml(*info)});
    all.append({dbusInterfaceName(menuHandlerInterface()), interfaceXml(menuHandlerInterface())});
    return all;
}
