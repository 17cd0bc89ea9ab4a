#pragma once
// The main window's action list as data: every named command with its caption, shortcut, hint,
// image and document-command mark. Menus, toolbars and pop-up menus are built from it, so the
// three always agree.
#include <QIcon>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// The commands of the action table below, in table order. Each one's object name is its
// identifier's name.
// clang-format off
#define REELWRIGHT_TABLE_ACTIONS(X) \
    X(FileNew) X(FileOpen) X(FileSave) X(FileSaveAs) X(FileSaveAll) X(FileClose) X(FileCloseAll) \
    X(FileExit) X(EditUndo) X(EditCut) X(EditCopy) X(EditPaste) X(AnimationPlay) X(AnimationPause) \
    X(AnimationInfo) X(AnimationPalette) X(AnimationOptimize) X(AnimationResize) X(FrameAdd) \
    X(FrameDelete) X(FrameMoveBegin) X(FrameMoveEnd) X(FrameMoveUp) X(FrameMoveDown) \
    X(FrameGlobalChange) X(FrameSelectAll) X(FrameTransColor) X(FrameReverse) X(ThumbsBrowse) \
    X(ThumbsRefresh) X(ThumbsClear) X(ThumbView) X(WindowCascade) X(WindowTileHorizontal) \
    X(WindowTileVertical) X(WindowMinimizeAll) X(WindowArrangeAll) X(WindowNextDoc) X(WindowPrevDoc) \
    X(HelpContents)

// The main window's own menu items outside the table (menu-only commands and toggles).
#define REELWRIGHT_MENU_ITEMS(X) \
    X(mniNew) X(mniAnimationWizards) X(mniImportAVI) X(mniExportSingle) X(mniExportAVI) \
    X(mniExportHTML) X(mniPrint) X(mniPasteComments) X(mniRotate) X(mniPlayInBrowser) \
    X(mniExplorerTree) X(mniToolbarStandard) X(mniToolbarAnimation) X(mniToolbarFrame) \
    X(mniHTMLCode) X(mniFrameInspector) X(mniOptions) X(mniPluginInfo) X(mniTips) X(mniWelcome) \
    X(mniSupport) X(mniAbout)
// clang-format on

// Every named command of the main window. The window creates all of them, so looking one up by
// its identifier always finds it; a name from outside (settings, automation, plug-ins) goes
// through actionIdFromName, which may find nothing.
enum class TActionId : uint8_t
{
#define REELWRIGHT_ACTION_ID(name) name,
    REELWRIGHT_TABLE_ACTIONS(REELWRIGHT_ACTION_ID) REELWRIGHT_MENU_ITEMS(REELWRIGHT_ACTION_ID)
#undef REELWRIGHT_ACTION_ID
};

#define REELWRIGHT_COUNT_ACTION(name) +1
inline constexpr int tableActionCount = 0 REELWRIGHT_TABLE_ACTIONS(REELWRIGHT_COUNT_ACTION);
inline constexpr int actionIdCount = tableActionCount + 0 REELWRIGHT_MENU_ITEMS(REELWRIGHT_COUNT_ACTION);
#undef REELWRIGHT_COUNT_ACTION

// The object name of a command ("FileSave", "mniOptions").
const char* actionName(TActionId id);
std::optional<TActionId> actionIdFromName(const QString& name);

// Indexes into the main image list.
enum TMainImage
{
    imgNew,
    imgOpen,
    imgSave,
    imgSaveAll,
    imgClose,
    imgExit,
    imgCut,
    imgCopy,
    imgPaste,
    imgUndo,
    imgPlay,
    imgPause,
    imgInfo,
    imgPalette,
    imgOptimize,
    imgResize,
    imgAddFrame,
    imgDeleteFrame,
    imgMoveBegin,
    imgMoveEnd,
    imgMoveLeft,
    imgMoveRight,
    imgGlobalChange,
    imgSelectAll,
    imgTransColor,
    imgReverse,
    imgBrowse,
    imgRefresh,
    imgClear,
    imgThumbView,
    imgCascade,
    imgTileHorizontal,
    imgTileVertical,
    imgMinimizeAll,
    imgArrangeAll,
    imgHelp,
    imgModified,        // 36: drawn in a modified document's status bar
    imgFrameDelay = 46, // the frame strip's footer, before the delay
    imgNone = -1,
};

struct TActionSpec
{
    TActionId id;
    const char* category;
    const char* caption;
    const char* shortcut; // key names as QKeySequence reads them; empty for none
    const char* hint;     // "tooltip|status text", or one text for both
    int imageIndex;
    bool documentCommand; // tag 1: switched with the enable-document-commands switch
    bool enabledAtStart;
    bool checkable;
};

std::span<const TActionSpec> mainActionTable();
const TActionSpec& actionSpec(TActionId id); // a command of the table

// The tooltip is the hint before the first "|", the status text everything after it; a hint
// without "|" serves as both.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);

// The picture of one entry of the main image list.
QIcon mainImage(int index);
