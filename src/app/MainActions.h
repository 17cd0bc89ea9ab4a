#pragma once
// The main window's action list as data: every named command with its caption, shortcut, hint,
// image and document-command mark. Menus, toolbars and pop-up menus are built from it, so the
// three always agree.
#include <QIcon>
#include <QString>

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

struct TActionSpec
{
    const char* name;
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
const TActionSpec* findActionSpec(const QString& name);

// The tooltip is the hint before the first "|", the status text everything after it; a hint
// without "|" serves as both.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);

// The picture of one entry of the main image list.
QIcon mainImage(int index);
