#pragma once
// The main window's action list as data: every named command with its caption, shortcut, hint,
// image and document-command mark. Menus, toolbars and pop-up menus are built from it, so the
// three always agree.
#include <QIcon>
#include <QString>

#include <optional>
#include <span>

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

// The actions of the table, in its order, then the menu items the main window adds itself.
#define REELWRIGHT_MAIN_ACTIONS(X) \
    X(FileNew) \
    X(FileOpen) \
    X(FileSave) \
    X(FileSaveAs) \
    X(FileSaveAll) \
    X(FileClose) \
    X(FileCloseAll) \
    X(FileExit) \
    X(EditUndo) \
    X(EditCut) \
    X(EditCopy) \
    X(EditPaste) \
    X(AnimationPlay) \
    X(AnimationPause) \
    X(AnimationInfo) \
    X(AnimationPalette) \
    X(AnimationOptimize) \
    X(AnimationResize) \
    X(FrameAdd) \
    X(FrameDelete) \
    X(FrameMoveBegin) \
    X(FrameMoveEnd) \
    X(FrameMoveUp) \
    X(FrameMoveDown) \
    X(FrameGlobalChange) \
    X(FrameSelectAll) \
    X(FrameTransColor) \
    X(FrameReverse) \
    X(ThumbsBrowse) \
    X(ThumbsRefresh) \
    X(ThumbsClear) \
    X(ThumbView) \
    X(WindowCascade) \
    X(WindowTileHorizontal) \
    X(WindowTileVertical) \
    X(WindowMinimizeAll) \
    X(WindowArrangeAll) \
    X(WindowNextDoc) \
    X(WindowPrevDoc) \
    X(HelpContents) \
    X(mniNew) \
    X(mniAnimationWizards) \
    X(mniImportAVI) \
    X(mniExportSingle) \
    X(mniExportAVI) \
    X(mniExportHTML) \
    X(mniPrint) \
    X(mniPasteComments) \
    X(mniRotate) \
    X(mniPlayInBrowser) \
    X(mniExplorerTree) \
    X(mniHTMLCode) \
    X(mniFrameInspector) \
    X(mniOptions) \
    X(mniPluginInfo) \
    X(mniTips) \
    X(mniWelcome) \
    X(mniSupport) \
    X(mniAbout) \
    X(mniToolbarStandard) \
    X(mniToolbarAnimation) \
    X(mniToolbarFrame)

// Every action of the main window by identity. The table and the window's lookup take their
// names from here, so asking for an action that does not exist does not compile.
enum class TAction : int
{
#define REELWRIGHT_ACTION_ID(name) name,
    REELWRIGHT_MAIN_ACTIONS(REELWRIGHT_ACTION_ID)
#undef REELWRIGHT_ACTION_ID
        Count
};
// The action's object name ("FileSave", "mniHTMLCode").
const char* actionName(TAction id);
// The identity of an object name; nullopt for a name that is no action.
std::optional<TAction> actionByName(const QString& name);

struct TActionSpec
{
    TAction id;
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
const TActionSpec* findActionSpec(TAction id);

// The tooltip is the hint before the first "|", the status text everything after it; a hint
// without "|" serves as both.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);

// The picture of one entry of the main image list.
QIcon mainImage(int index);
