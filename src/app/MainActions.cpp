#include "app/MainActions.h"

namespace {

// clang-format off
const TActionSpec kActions[] = {
    // name, category, caption, shortcut, hint, image, doc, enabled, checkable
    {"FileNew", "File", "&New", "Ctrl+N", "New|Create a new file", imgNew, false, true, false},
    {"FileOpen", "File", "&Open...", "Ctrl+O", "Open|Open a file", imgOpen, false, true, false},
    {"FileSave", "File", "&Save", "Ctrl+S", "Save|Save current file", imgSave, false, false, false},
    {"FileSaveAs", "File", "Save &As...", "", "Save As|Save current file with different name", imgSave, true, false, false},
    {"FileSaveAll", "File", "Sa&ve All", "", "Save All|Prompts to save all open documents", imgSaveAll, false, false, false},
    {"FileClose", "File", "&Close", "", "Close|Close current file", imgClose, true, false, false},
    {"FileCloseAll", "File", "Close &All", "", "Close All|Closes all open documents", imgNone, true, false, false},
    {"FileExit", "File", "E&xit", "", "Exit|Exit application", imgExit, false, true, false},
    {"EditUndo", "Edit", "&Undo", "Ctrl+Z", "Undo|Undos the last action", imgUndo, false, false, false},
    {"EditCut", "Edit", "Cu&t", "Ctrl+X", "Cut|Cuts the selection and puts it on the Clipboard", imgCut, true, false, false},
    {"EditCopy", "Edit", "&Copy", "Ctrl+C", "Copy|Copies the selection and puts it on the Clipboard", imgCopy, true, false, false},
    {"EditPaste", "Edit", "&Paste", "Ctrl+V", "Paste|Inserts Clipboard contents", imgPaste, false, false, false},
    {"AnimationPlay", "Animation", "&Play Animation", "Ctrl+G", "Play Animation|Plays the current animation", imgPlay, true, false, false},
    {"AnimationPause", "Animation", "Pa&use Animation", "", "Pause Animation|Stops playing the current animation", imgPause, false, false, false},
    {"AnimationInfo", "Animation", "&Animation Information...", "Ctrl+I", "Animation Properties|Displays the current animation properties", imgInfo, true, false, false},
    {"AnimationPalette", "Animation", "&Global Palette...", "", "Global Animation Palette|Displays the global animation palette", imgPalette, true, false, false},
    {"AnimationOptimize", "Animation", "Optimize &Animation...", "", "Optimize Animation|Optimizes the animation", imgOptimize, true, false, false},
    {"AnimationResize", "Animation", "Re&size...", "", "Resize Animation|Resizes the animation dimensions", imgResize, true, false, false},
    {"FrameAdd", "Frame", "&Add Frame...", "Ctrl+D", "Add Frame|Adds a frame to the animation", imgAddFrame, false, true, false},
    {"FrameDelete", "Frame", "&Delete Frame", "", "Delete Frame|Deletes the selected frame from the animation", imgDeleteFrame, false, false, false},
    {"FrameMoveBegin", "Frame", "Move Frame to &Beginning", "", "Move Frame to Beginning|Move Frame to beginning|Moves the selected frame to the beginning of the animation", imgMoveBegin, false, false, false},
    {"FrameMoveEnd", "Frame", "Move Frame to &End", "", "Move Frame to End|Move Frame to the end|Moves the selected frame to the end of the animation", imgMoveEnd, false, false, false},
    {"FrameMoveUp", "Frame", "&Move Frame Left", "Ctrl+L", "Move Frame Left|Move the selected frame left", imgMoveLeft, false, false, false},
    {"FrameMoveDown", "Frame", "Move Frame &Right", "Ctrl+R", "Move Frame Right|Move the selected frame right", imgMoveRight, false, false, false},
    {"FrameGlobalChange", "Frame", "&Global Frame Properties...", "", "Global Frame Properties|Change all frame properties", imgGlobalChange, true, false, false},
    {"FrameSelectAll", "Frame", "Select A&ll Frames", "Ctrl+A", "Selects all current frames", imgSelectAll, true, false, false},
    {"FrameTransColor", "Frame", "Frame &Transparent Color...", "", "Frame Transparent Color|Set the transparent color of the frame", imgTransColor, false, false, false},
    {"FrameReverse", "Frame", "&Reverse Frame Order", "", "Reverse Frame Order|Reverses the frame order of all animation frames", imgReverse, false, false, false},
    {"ThumbsBrowse", "Thumbs", "&Browse...", "Ctrl+B", "Opens the browse for folders dialog", imgBrowse, false, true, false},
    {"ThumbsRefresh", "Thumbs", "&Refresh", "F5", "Reloads the current folder", imgRefresh, false, true, false},
    {"ThumbsClear", "Thumbs", "C&lear Window", "", "Clear the thumbnail window", imgClear, false, true, false},
    {"ThumbView", "Thumbs", "Show/Hide I&mage Browser", "Ctrl+Shift+T", "Show/Hide Image Browser|Shows or hide Image Browser", imgThumbView, false, true, true},
    {"WindowCascade", "Window", "&Cascade", "", "Cascade|Cascades all open windows", imgCascade, false, false, false},
    {"WindowTileHorizontal", "Window", "Tile &Horizontally", "", "Tile Horizontally|Tiles all open windows horizontally", imgTileHorizontal, false, false, false},
    {"WindowTileVertical", "Window", "Tile &Vertically", "", "Tile Vertically|Tiles all open windows vertically", imgTileVertical, false, false, false},
    {"WindowMinimizeAll", "Window", "&Minimize All", "", "Minimize AllMinimizes all open windows", imgMinimizeAll, false, false, false},
    {"WindowArrangeAll", "Window", "&Arrange All", "", "Arrange All|Arranges all open windows", imgArrangeAll, false, false, false},
    {"WindowNextDoc", "Window", "&Next Document", "", "Next Document|Toggles Next Document Active", imgNone, false, true, false},
    {"WindowPrevDoc", "Window", "&Previous Document", "", "Toggles Previous Document Active", imgNone, false, true, false},
    {"HelpContents", "Help", "&Contents...", "F1", "Help| Displays Help Contents", imgHelp, false, true, false},
};
// clang-format on

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

const TActionSpec* findActionSpec(const QString& name)
{
    for (const TActionSpec& spec : kActions)
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
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
