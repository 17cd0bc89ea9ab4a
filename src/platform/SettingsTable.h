#pragma once
// Every persistent setting with its section, name and default, in one place. Readers use these
// keys so that names and defaults cannot drift apart between the parts that share a value.
//
// A key whose default depends on the running program (design bounds, the program folder, another
// window's size) is marked dynamic; its reader supplies the computed default.
#include <span>

enum class TSettingKind
{
    Integer,
    Text,
};

struct TSettingKey
{
    const char* section;
    const char* name;
    TSettingKind kind;
    int intDefault;          // Integer keys
    const char* textDefault; // Text keys
    bool dynamicDefault;     // default computed by the reader (intDefault/textDefault unused)
};

namespace SettingSection {
inline constexpr const char* Settings = "Settings";
inline constexpr const char* Toolbars = "Settings\\Toolbars";
inline constexpr const char* ToolbarStandard = "Settings\\Toolbars\\Standard";
inline constexpr const char* ToolbarFrame = "Settings\\Toolbars\\Frame";
inline constexpr const char* ToolbarAnimation = "Settings\\Toolbars\\Animation";
inline constexpr const char* MRU = "Settings\\MRU";
inline constexpr const char* ThumbNails = "ThumbNails";
inline constexpr const char* Favorites = "ThumbNails\\Favorites";
inline constexpr const char* MainPos = "FormPos\\Main";
inline constexpr const char* InspectorPos = "FormPos\\Inspector";
inline constexpr const char* OpenDialogPos = "FormPos\\OpenDialog";
} // namespace SettingSection

namespace SettingKeys {
using K = TSettingKey;
constexpr TSettingKind I = TSettingKind::Integer;
constexpr TSettingKind T = TSettingKind::Text;

// FormPos\Main
inline constexpr K MainWindowState{SettingSection::MainPos, "WindowState", T, 0, "Normal", false};
inline constexpr K MainTop{SettingSection::MainPos, "Top", I, 0, nullptr, true};
inline constexpr K MainLeft{SettingSection::MainPos, "Left", I, 0, nullptr, true};
inline constexpr K MainHeight{SettingSection::MainPos, "Height", I, 0, nullptr, true};
inline constexpr K MainWidth{SettingSection::MainPos, "Width", I, 0, nullptr, true};
// FormPos\Inspector
inline constexpr K InspectorTop{SettingSection::InspectorPos, "Top", I, 0, nullptr, true};
inline constexpr K InspectorLeft{SettingSection::InspectorPos, "Left", I, 0, nullptr, true};
inline constexpr K InspectorHeight{SettingSection::InspectorPos, "Height", I, 430, nullptr, false};
inline constexpr K InspectorWidth{SettingSection::InspectorPos, "Width", I, 220, nullptr, false};
inline constexpr K InspectorVisible{SettingSection::InspectorPos, "Visible", I, 1, nullptr, false};
inline constexpr K InspectorHideOnce{SettingSection::InspectorPos, "HideOnce", I, 0, nullptr, false};
// FormPos\OpenDialog
inline constexpr K SplitterPreviewPos{
    SettingSection::OpenDialogPos, "SplitterPreviewPos", I, 0, nullptr, true};
// Settings
inline constexpr K FrameSize{SettingSection::Settings, "FrameSize", I, 160, nullptr, false};
inline constexpr K FrameWindowHeight{SettingSection::Settings, "FrameWindowHeight", I, 0, nullptr, true};
inline constexpr K InitialDir{SettingSection::Settings, "InitialDir", T, 0, nullptr, true};
inline constexpr K InstallDir{SettingSection::Settings, "InstallDir", T, 0, "", false};
inline constexpr K DefaultDelay{SettingSection::Settings, "DefaultDelay", I, 100, nullptr, false};
inline constexpr K DefaultNSLoop{SettingSection::Settings, "DefaultNSLoop", I, 0, nullptr, false};
inline constexpr K SyncOpenDialog{SettingSection::Settings, "SyncOpenDialog", I, 0, nullptr, false};
inline constexpr K NoOpenDlgPreview{SettingSection::Settings, "NoOpenDlgPreview", I, 0, nullptr, false};
inline constexpr K FrameTransparentColor{
    SettingSection::Settings, "FrameTransparentColor", I, 16777215, nullptr, false};
inline constexpr K DisplayAnimation{SettingSection::Settings, "DisplayAnimation", I, 1, nullptr, false};
inline constexpr K Warnings{SettingSection::Settings, "Warnings", I, 0, nullptr, false};
inline constexpr K ClipDefault{SettingSection::Settings, "ClipDefault", I, 0, nullptr, false};
inline constexpr K ClipFrame{SettingSection::Settings, "ClipFrame", I, 1, nullptr, false};
inline constexpr K MaxUndo{SettingSection::Settings, "MaxUndo", I, 50, nullptr, false};
inline constexpr K AutoLoadStartUp{SettingSection::Settings, "AutoLoadStartUp", I, 1, nullptr, false};
inline constexpr K WelcomeDialog{SettingSection::Settings, "WelcomeDialog", I, 0, nullptr, false};
inline constexpr K DropImageDefault{SettingSection::Settings, "DropImageDefault", I, 0, nullptr, false};
inline constexpr K PaletteDefaults{SettingSection::Settings, "PaletteDefaults", I, 0, nullptr, false};
inline constexpr K PaletteType{SettingSection::Settings, "PaletteType", I, 0, nullptr, false};
inline constexpr K MaxColorCount{SettingSection::Settings, "MaxColorCount", I, 256, nullptr, false};
inline constexpr K DitherMethod{SettingSection::Settings, "DitherMethod", I, 0, nullptr, false};
inline constexpr K MaxImportCount{SettingSection::Settings, "MaxImportCount", I, 256, nullptr, false};
// Settings\Toolbars (+ one section per toolbar for Left, Top, Visible)
inline constexpr K NormalStyle{SettingSection::Toolbars, "NormalStyle", I, 0, nullptr, false};
inline constexpr const char* ToolbarLeft = "Left";
inline constexpr const char* ToolbarTop = "Top";
inline constexpr const char* ToolbarVisible = "Visible";
// Settings\MRU and ThumbNails\Favorites: values "MRU%d" with 0, 1, ...
inline constexpr const char* ListValueFormat = "MRU%1";
// ThumbNails
inline constexpr K ThumbDirectory{SettingSection::ThumbNails, "Directory", T, 0, nullptr, true};
inline constexpr K ThumbFilterType{SettingSection::ThumbNails, "FilterType", I, 19, nullptr, false};
// The name is spelled without the second "n"; existing stores use it.
inline constexpr K ThumbailSize{SettingSection::ThumbNails, "ThumbailSize", I, 75, nullptr, false};
inline constexpr K ThumbVisible{SettingSection::ThumbNails, "Visible", I, 1, nullptr, false};
inline constexpr K ThumbLeft{SettingSection::ThumbNails, "Left", I, 0, nullptr, true};
inline constexpr K ThumbTop{SettingSection::ThumbNails, "Top", I, 0, nullptr, true};
inline constexpr K ThumbWindowHeight{SettingSection::ThumbNails, "WindowHeight", I, 0, nullptr, true};
inline constexpr K ThumbWindowWidth{SettingSection::ThumbNails, "WindowWidth", I, 0, nullptr, true};
inline constexpr K ThumbExplorerWidth{SettingSection::ThumbNails, "ExplorerWidth", I, 0, nullptr, true};
inline constexpr K ThumbExplorerVisible{SettingSection::ThumbNails, "ExplorerVisible", I, 1, nullptr, false};
} // namespace SettingKeys

// Every fixed key above, for tools and tests that walk the whole table.
std::span<const TSettingKey> allSettingKeys();
