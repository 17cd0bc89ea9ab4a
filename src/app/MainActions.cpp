#include "app/MainActions.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <iterator>

namespace {

// clang-format off
const TActionSpec kActions[] = {
    // id, category, caption, shortcut, hint, image, doc, enabled, checkable
    {TAction::FileNew, "File", "&New", "Ctrl+N", "New|Create a new file", imgNew, false, true, false},
    {TAction::FileOpen, "File", "&Open...", "Ctrl+O", "Open|Open a file", imgOpen, false, true, false},
    {TAction::FileSave, "File", "&Save", "Ctrl+S", "Save|Save current file", imgSave, false, false, false},
    {TAction::FileSaveAs, "File", "Save &As...", "", "Save As|Save current file with different name", imgSave, true, false, false},
    {TAction::FileSaveAll, "File", "Sa&ve All", "", "Save All|Prompts to save all open documents", imgSaveAll, false, false, false},
    {TAction::FileClose, "File", "&Close", "", "Close|Close current file", imgClose, true, false, false},
    {TAction::FileCloseAll, "File", "Close &All", "", "Close All|Closes all open documents", imgNone, true, false, false},
    {TAction::FileExit, "File", "E&xit", "", "Exit|Exit application", imgExit, false, true, false},
    {TAction::EditUndo, "Edit", "&Undo", "Ctrl+Z", "Undo|Undos the last action", imgUndo, false, false, false},
    {TAction::EditCut, "Edit", "Cu&t", "Ctrl+X", "Cut|Cuts the selection and puts it on the Clipboard", imgCut, true, false, false},
    {TAction::EditCopy, "Edit", "&Copy", "Ctrl+C", "Copy|Copies the selection and puts it on the Clipboard", imgCopy, true, false, false},
    {TAction::EditPaste, "Edit", "&Paste", "Ctrl+V", "Paste|Inserts Clipboard contents", imgPaste, false, false, false},
    {TAction::AnimationPlay, "Animation", "&Play Animation", "Ctrl+G", "Play Animation|Plays the current animation", imgPlay, true, false, false},
    {TAction::AnimationPause, "Animation", "Pa&use Animation", "", "Pause Animation|Stops playing the current animation", imgPause, false, false, false},
    {TAction::AnimationInfo, "Animation", "&Animation Information...", "Ctrl+I", "Animation Properties|Displays the current animation properties", imgInfo, true, false, false},
    {TAction::AnimationPalette, "Animation", "&Global Palette...", "", "Global Animation Palette|Displays the global animation palette", imgPalette, true, false, false},
    {TAction::AnimationOptimize, "Animation", "Optimize &Animation...", "", "Optimize Animation|Optimizes the animation", imgOptimize, true, false, false},
    {TAction::AnimationResize, "Animation", "Re&size...", "", "Resize Animation|Resizes the animation dimensions", imgResize, true, false, false},
    {TAction::FrameAdd, "Frame", "&Add Frame...", "Ctrl+D", "Add Frame|Adds a frame to the animation", imgAddFrame, false, true, false},
    {TAction::FrameDelete, "Frame", "&Delete Frame", "", "Delete Frame|Deletes the selected frame from the animation", imgDeleteFrame, false, false, false},
    {TAction::FrameMoveBegin, "Frame", "Move Frame to &Beginning", "", "Move Frame to Beginning|Move Frame to beginning|Moves the selected frame to the beginning of the animation", imgMoveBegin, false, false, false},
    {TAction::FrameMoveEnd, "Frame", "Move Frame to &End", "", "Move Frame to End|Move Frame to the end|Moves the selected frame to the end of the animation", imgMoveEnd, false, false, false},
    {TAction::FrameMoveUp, "Frame", "&Move Frame Left", "Ctrl+L", "Move Frame Left|Move the selected frame left", imgMoveLeft, false, false, false},
    {TAction::FrameMoveDown, "Frame", "Move Frame &Right", "Ctrl+R", "Move Frame Right|Move the selected frame right", imgMoveRight, false, false, false},
    {TAction::FrameGlobalChange, "Frame", "&Global Frame Properties...", "", "Global Frame Properties|Change all frame properties", imgGlobalChange, true, false, false},
    {TAction::FrameSelectAll, "Frame", "Select A&ll Frames", "Ctrl+A", "Selects all current frames", imgSelectAll, true, false, false},
    {TAction::FrameTransColor, "Frame", "Frame &Transparent Color...", "", "Frame Transparent Color|Set the transparent color of the frame", imgTransColor, false, false, false},
    {TAction::FrameReverse, "Frame", "&Reverse Frame Order", "", "Reverse Frame Order|Reverses the frame order of all animation frames", imgReverse, false, false, false},
    {TAction::ThumbsBrowse, "Thumbs", "&Browse...", "Ctrl+B", "Opens the browse for folders dialog", imgBrowse, false, true, false},
    {TAction::ThumbsRefresh, "Thumbs", "&Refresh", "F5", "Reloads the current folder", imgRefresh, false, true, false},
    {TAction::ThumbsClear, "Thumbs", "C&lear Window", "", "Clear the thumbnail window", imgClear, false, true, false},
    {TAction::ThumbView, "Thumbs", "Show/Hide I&mage Browser", "Ctrl+Shift+T", "Show/Hide Image Browser|Shows or hide Image Browser", imgThumbView, false, true, true},
    {TAction::WindowCascade, "Window", "&Cascade", "", "Cascade|Cascades all open windows", imgCascade, false, false, false},
    {TAction::WindowTileHorizontal, "Window", "Tile &Horizontally", "", "Tile Horizontally|Tiles all open windows horizontally", imgTileHorizontal, false, false, false},
    {TAction::WindowTileVertical, "Window", "Tile &Vertically", "", "Tile Vertically|Tiles all open windows vertically", imgTileVertical, false, false, false},
    {TAction::WindowMinimizeAll, "Window", "&Minimize All", "", "Minimize AllMinimizes all open windows", imgMinimizeAll, false, false, false},
    {TAction::WindowArrangeAll, "Window", "&Arrange All", "", "Arrange All|Arranges all open windows", imgArrangeAll, false, false, false},
    {TAction::WindowNextDoc, "Window", "&Next Document", "", "Next Document|Toggles Next Document Active", imgNone, false, true, false},
    {TAction::WindowPrevDoc, "Window", "&Previous Document", "", "Toggles Previous Document Active", imgNone, false, true, false},
    {TAction::HelpContents, "Help", "&Contents...", "F1", "Help| Displays Help Contents", imgHelp, false, true, false},
};
// clang-format on

QIcon standardIcon(QStyle::StandardPixmap pixmap)
{
    return QApplication::style()->standardIcon(pixmap);
}

// Images the style has no picture for are drawn here: a short glyph on a tinted tile.
QIcon glyphIcon(const QString& glyph, QColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(160));
    painter.setBrush(colour.lighter(150));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(glyph.size() > 1 ? 8 : 11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour.darker(200));
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

} // namespace

std::span<const TActionSpec> mainActionTable()
{
    return kActions;
}

namespace {

constexpr const char* kActionNames[] = {
#define REELWRIGHT_ACTION_NAME(name) #name,
    REELWRIGHT_MAIN_ACTIONS(REELWRIGHT_ACTION_NAME)
#undef REELWRIGHT_ACTION_NAME
};
static_assert(std::size(kActionNames) == size_t(TAction::Count));
// The table holds the first actions of the list in the list's order (checked by the tests), so an
// action's table entry is found by its number.
static_assert(std::size(kActions) <= size_t(TAction::Count));

} // namespace

const char* actionName(TAction id)
{
    const auto index = size_t(id);
    return index < std::size(kActionNames) ? kActionNames[index] : "";
}

std::optional<TAction> actionByName(const QString& name)
{
    for (size_t i = 0; i < std::size(kActionNames); ++i)
        if (name == QLatin1String(kActionNames[i]))
            return TAction(i);
    return std::nullopt;
}

const TActionSpec* findActionSpec(TAction id)
{
    const auto index = size_t(id);
    return index < std::size(kActions) && kActions[index].id == id ? &kActions[index] : nullptr;
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
    const QColor blue(70, 110, 190), green(60, 150, 80), orange(220, 130, 40), grey(120, 120, 120);
    switch (index) {
    case imgNew:
        return standardIcon(QStyle::SP_FileIcon);
    case imgOpen:
        return standardIcon(QStyle::SP_DialogOpenButton);
    case imgSave:
        return standardIcon(QStyle::SP_DialogSaveButton);
    case imgSaveAll:
        return glyphIcon(QStringLiteral("SA"), blue);
    case imgClose:
        return glyphIcon(QStringLiteral("×"), grey);
    case imgExit:
        return glyphIcon(QStringLiteral("X"), grey);
    case imgCut:
        return glyphIcon(QStringLiteral("✂"), grey);
    case imgCopy:
        return glyphIcon(QStringLiteral("⧉"), grey);
    case imgPaste:
        return glyphIcon(QStringLiteral("P"), grey);
    case imgUndo:
        return glyphIcon(QStringLiteral("↶"), blue);
    case imgPlay:
        return standardIcon(QStyle::SP_MediaPlay);
    case imgPause:
        return standardIcon(QStyle::SP_MediaPause);
    case imgInfo:
        return standardIcon(QStyle::SP_MessageBoxInformation);
    case imgPalette:
        return glyphIcon(QStringLiteral("▦"), orange);
    case imgOptimize:
        return glyphIcon(QStringLiteral("O"), green);
    case imgResize:
        return glyphIcon(QStringLiteral("⤢"), blue);
    case imgAddFrame:
        return glyphIcon(QStringLiteral("+"), green);
    case imgDeleteFrame:
        return glyphIcon(QStringLiteral("−"), QColor(200, 60, 60));
    case imgMoveBegin:
        return standardIcon(QStyle::SP_MediaSkipBackward);
    case imgMoveEnd:
        return standardIcon(QStyle::SP_MediaSkipForward);
    case imgMoveLeft:
        return standardIcon(QStyle::SP_ArrowLeft);
    case imgMoveRight:
        return standardIcon(QStyle::SP_ArrowRight);
    case imgGlobalChange:
        return glyphIcon(QStringLiteral("G"), blue);
    case imgSelectAll:
        return glyphIcon(QStringLiteral("A"), blue);
    case imgTransColor:
        return glyphIcon(QStringLiteral("T"), orange);
    case imgReverse:
        return glyphIcon(QStringLiteral("⇄"), green);
    case imgBrowse:
        return standardIcon(QStyle::SP_DirOpenIcon);
    case imgRefresh:
        return standardIcon(QStyle::SP_BrowserReload);
    case imgClear:
        return glyphIcon(QStringLiteral("C"), grey);
    case imgThumbView:
        return standardIcon(QStyle::SP_FileDialogContentsView);
    case imgCascade:
    case imgTileHorizontal:
    case imgTileVertical:
    case imgMinimizeAll:
    case imgArrangeAll:
        return glyphIcon(QStringLiteral("W"), grey);
    case imgHelp:
        return glyphIcon(QStringLiteral("?"), blue);
    case imgModified:
        return glyphIcon(QStringLiteral("*"), QColor(200, 60, 60));
    case imgFrameDelay: {
        // A small clock: the footer's number is the frame's display time.
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(40, 60, 110), 1.2));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        painter.drawLine(QPointF(8, 8), QPointF(8, 4));
        painter.drawLine(QPointF(8, 8), QPointF(11, 9.5));
        return QIcon(pixmap);
    }
    default:
        return {};
    }
}
