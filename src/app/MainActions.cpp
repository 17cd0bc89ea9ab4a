#include "app/MainActions.h"
#include "platform/UserTexts.h"

#include <iterator>

namespace {

// clang-format off
constexpr TActionSpec kActions[] = {
    // id, category, caption, shortcut, hint, image, doc, enabled, checkable
    {TActionId::FileNew, "File", "&New", "Ctrl+N", "New|Create a new file", imgNew, false, true, false},
    {TActionId::FileOpen, "File", "&Open...", "Ctrl+O", "Open|Open a file", imgOpen, false, true, false},
    {TActionId::FileSave, "File", "&Save", "Ctrl+S", "Save|Save current file", imgSave, false, false, false},
    {TActionId::FileSaveAs, "File", "Save &As...", "", "Save As|Save current file with different name", imgSave, true, false, false},
    {TActionId::FileSaveAll, "File", "Sa&ve All", "", "Save All|Prompts to save all open documents", imgSaveAll, false, false, false},
    {TActionId::FileClose, "File", "&Close", "", "Close|Close current file", imgClose, true, false, false},
    {TActionId::FileCloseAll, "File", "Close &All", "", "Close All|Closes all open documents", imgNone, true, false, false},
    {TActionId::FileExit, "File", "E&xit", "", "Exit|Exit application", imgExit, false, true, false},
    {TActionId::EditUndo, "Edit", "&Undo", "Ctrl+Z", kUndoHint, imgUndo, false, false, false},
    {TActionId::EditCut, "Edit", "Cu&t", "Ctrl+X", "Cut|Cuts the selection and puts it on the Clipboard", imgCut, true, false, false},
    {TActionId::EditCopy, "Edit", "&Copy", "Ctrl+C", "Copy|Copies the selection and puts it on the Clipboard", imgCopy, true, false, false},
    {TActionId::EditPaste, "Edit", "&Paste", "Ctrl+V", "Paste|Inserts Clipboard contents", imgPaste, false, false, false},
    {TActionId::AnimationPlay, "Animation", "&Play Animation", "Ctrl+G", "Play Animation|Plays the current animation", imgPlay, true, false, false},
    {TActionId::AnimationPause, "Animation", "Pa&use Animation", "", "Pause Animation|Stops playing the current animation", imgPause, false, false, false},
    {TActionId::AnimationInfo, "Animation", "&Animation Information...", "Ctrl+I", "Animation Properties|Displays the current animation properties", imgInfo, true, false, false},
    {TActionId::AnimationPalette, "Animation", "&Global Palette...", "", "Global Animation Palette|Displays the global animation palette", imgPalette, true, false, false},
    {TActionId::AnimationOptimize, "Animation", "Optimize &Animation...", "", "Optimize Animation|Optimizes the animation", imgOptimize, true, false, false},
    {TActionId::AnimationResize, "Animation", "Re&size...", "", "Resize Animation|Resizes the animation dimensions", imgResize, true, false, false},
    {TActionId::FrameAdd, "Frame", "&Add Frame...", "Ctrl+D", "Add Frame|Adds a frame to the animation", imgAddFrame, false, true, false},
    {TActionId::FrameDelete, "Frame", "&Delete Frame", "", "Delete Frame|Deletes the selected frame from the animation", imgDeleteFrame, false, false, false},
    {TActionId::FrameMoveBegin, "Frame", "Move Frame to &Beginning", "", "Move Frame to Beginning|Move Frame to beginning|Moves the selected frame to the beginning of the animation", imgMoveBegin, false, false, false},
    {TActionId::FrameMoveEnd, "Frame", "Move Frame to &End", "", "Move Frame to End|Move Frame to the end|Moves the selected frame to the end of the animation", imgMoveEnd, false, false, false},
    {TActionId::FrameMoveUp, "Frame", "&Move Frame Left", "Ctrl+L", "Move Frame Left|Move the selected frame left", imgMoveLeft, false, false, false},
    {TActionId::FrameMoveDown, "Frame", "Move Frame &Right", "Ctrl+R", "Move Frame Right|Move the selected frame right", imgMoveRight, false, false, false},
    {TActionId::FrameGlobalChange, "Frame", "&Global Frame Properties...", "", "Global Frame Properties|Change all frame properties", imgGlobalChange, true, false, false},
    {TActionId::FrameSelectAll, "Frame", "Select A&ll Frames", "Ctrl+A", "Selects all current frames", imgSelectAll, true, false, false},
    {TActionId::FrameTransColor, "Frame", "Frame &Transparent Color...", "", "Frame Transparent Color|Set the transparent color of the frame", imgTransColor, false, false, false},
    {TActionId::FrameReverse, "Frame", "&Reverse Frame Order", "", "Reverse Frame Order|Reverses the frame order of all animation frames", imgReverse, false, false, false},
    {TActionId::ThumbsBrowse, "Thumbs", "&Browse...", "Ctrl+B", "Opens the browse for folders dialog", imgBrowse, false, true, false},
    {TActionId::ThumbsRefresh, "Thumbs", "&Refresh", "F5", "Reloads the current folder", imgRefresh, false, true, false},
    {TActionId::ThumbsClear, "Thumbs", "C&lear Window", "", "Clear the thumbnail window", imgClear, false, true, false},
    {TActionId::ThumbView, "Thumbs", "Show/Hide I&mage Browser", "Ctrl+Shift+T", kThumbViewHint, imgThumbView, false, true, true},
    {TActionId::WindowCascade, "Window", "&Cascade", "", "Cascade|Cascades all open windows", imgCascade, false, false, false},
    {TActionId::WindowTileHorizontal, "Window", "Tile &Horizontally", "", "Tile Horizontally|Tiles all open windows horizontally", imgTileHorizontal, false, false, false},
    {TActionId::WindowTileVertical, "Window", "Tile &Vertically", "", "Tile Vertically|Tiles all open windows vertically", imgTileVertical, false, false, false},
    {TActionId::WindowMinimizeAll, "Window", "&Minimize All", "", kMinimizeAllHint, imgMinimizeAll, false, false, false},
    {TActionId::WindowArrangeAll, "Window", "&Arrange All", "", "Arrange All|Arranges all open windows", imgArrangeAll, false, false, false},
    {TActionId::WindowNextDoc, "Window", "&Next Document", "", "Next Document|Toggles Next Document Active", imgNone, false, true, false},
    {TActionId::WindowPrevDoc, "Window", "&Previous Document", "", "Toggles Previous Document Active", imgNone, false, true, false},
    {TActionId::HelpContents, "Help", "&Contents...", "F1", kHelpContentsHint, imgHelp, false, true, false},
};
// clang-format on

// Rows in identifier order, one for each command of the table: the identifier is the index.
constexpr bool tableFollowsIdentifiers()
{
    if (std::size(kActions) != size_t(tableActionCount))
        return false;
    for (size_t i = 0; i < std::size(kActions); ++i)
        if (kActions[i].id != TActionId(i))
            return false;
    return true;
}
static_assert(tableFollowsIdentifiers(), "every action table row needs its identifier, in identifier order");

const char* const kActionNames[actionIdCount] = {
#define REELWRIGHT_ACTION_NAME(name) #name,
    REELWRIGHT_TABLE_ACTIONS(REELWRIGHT_ACTION_NAME) REELWRIGHT_MENU_ITEMS(REELWRIGHT_ACTION_NAME)
#undef REELWRIGHT_ACTION_NAME
};

// Our own picture for each image, drawn on a 16-pixel grid so it stays crisp at 1x and 2x.
struct TImageSource
{
    TMainImage image;
    const char* file;      // under :/icons/, without ".svg"
    const char* themeName; // the freedesktop icon name where one exists, else null
};

// clang-format off
const TImageSource kImageSources[] = {
    {imgNew, "new", "document-new"}, {imgOpen, "open", "document-open"},
    {imgSave, "save", "document-save"}, {imgSaveAll, "saveall", nullptr},
    {imgClose, "close", nullptr}, {imgExit, "exit", nullptr},
    {imgCut, "cut", "edit-cut"}, {imgCopy, "copy", "edit-copy"}, {imgPaste, "paste", "edit-paste"},
    {imgUndo, "undo", "edit-undo"}, {imgPlay, "play", "media-playback-start"},
    {imgPause, "pause", "media-playback-pause"}, {imgInfo, "info", nullptr},
    {imgPalette, "palette", nullptr}, {imgOptimize, "optimize", nullptr},
    {imgResize, "resize", nullptr}, {imgAddFrame, "addframe", nullptr},
    {imgDeleteFrame, "deleteframe", nullptr}, {imgMoveBegin, "movebegin", nullptr},
    {imgMoveEnd, "moveend", nullptr}, {imgMoveLeft, "moveleft", nullptr},
    {imgMoveRight, "moveright", nullptr}, {imgGlobalChange, "globalchange", nullptr},
    {imgSelectAll, "selectall", nullptr}, {imgTransColor, "transcolor", nullptr},
    {imgReverse, "reverse", nullptr}, {imgBrowse, "browse", nullptr},
    {imgRefresh, "refresh", nullptr}, {imgClear, "clear", nullptr},
    {imgThumbView, "thumbview", nullptr}, {imgCascade, "cascade", nullptr},
    {imgTileHorizontal, "tilehorizontal", nullptr}, {imgTileVertical, "tilevertical", nullptr},
    {imgMinimizeAll, "minimizeall", nullptr}, {imgArrangeAll, "arrangeall", nullptr},
    {imgHelp, "help", nullptr}, {imgModified, "modified", nullptr},
    {imgFrameDelay, "framedelay", nullptr},
};
// clang-format on

} // namespace

std::span<const TActionSpec> mainActionTable()
{
    return kActions;
}

const TActionSpec& actionSpec(TActionId id)
{
    Q_ASSERT(int(id) < tableActionCount);
    return kActions[size_t(id)];
}

const char* actionName(TActionId id)
{
    return kActionNames[size_t(id)];
}

std::optional<TActionId> actionIdFromName(const QString& name)
{
    for (int i = 0; i < actionIdCount; ++i)
        if (name == QLatin1String(kActionNames[i]))
            return TActionId(i);
    return std::nullopt;
}

QString shortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QIcon mainImage(int index)
{
    for (const TImageSource& source : kImageSources) {
        if (source.image != index)
            continue;
        QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(source.file)));
        // Standard commands look the way the rest of the desktop draws them; ours stand in
        // where the theme has no such icon (or there is no theme, as on a bare X server).
        return source.themeName ? QIcon::fromTheme(QLatin1String(source.themeName), own) : own;
    }
    return {};
}
