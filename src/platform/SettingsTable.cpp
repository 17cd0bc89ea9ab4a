#include "platform/SettingsTable.h"

#include <array>

namespace {
using namespace SettingKeys;
const std::array kAll{
    MainWindowState,
    MainTop,
    MainLeft,
    MainHeight,
    MainWidth,
    InspectorTop,
    InspectorLeft,
    InspectorHeight,
    InspectorWidth,
    InspectorVisible,
    InspectorHideOnce,
    SplitterPreviewPos,
    FrameSize,
    FrameWindowHeight,
    InitialDir,
    InstallDir,
    DefaultDelay,
    DefaultNSLoop,
    SyncOpenDialog,
    NoOpenDlgPreview,
    FrameTransparentColor,
    DisplayAnimation,
    Warnings,
    ClipDefault,
    ClipFrame,
    MaxUndo,
    AutoLoadStartUp,
    WelcomeDialog,
    DropImageDefault,
    PaletteDefaults,
    PaletteType,
    MaxColorCount,
    DitherMethod,
    MaxImportCount,
    NormalStyle,
    ThumbDirectory,
    ThumbFilterType,
    ThumbailSize,
    ThumbVisible,
    ThumbLeft,
    ThumbTop,
    ThumbWindowHeight,
    ThumbWindowWidth,
    ThumbExplorerWidth,
    ThumbExplorerVisible,
};
} // namespace

std::span<const TSettingKey> allSettingKeys()
{
    return kAll;
}
