#include "editing/UndoHost.h"

#include "editing/UndoHistory.h"
#include "gif/GIFImage.h"
#include "platform/Settings.h"

#include <QFileInfo>

#include <algorithm>

void recordUndo(IUndoHost& host, int kind, uint8_t actionType, int colorIndex, int data, int frameIndex,
                const QString& caption)
{
    THistoryList& history = host.ensureHistory();
    history.addCommand(host, kind, actionType, colorIndex, data, frameIndex, caption);
    refreshUndoState(host);
    host.setUndoPosition(history.count() + 1);
}

void recordSnapshot(IUndoHost& host, const QString& caption, int frameIndex)
{
    recordUndo(host, ckActiveAnimation, uaSnapshot, 0, 0, frameIndex, caption);
}

void recordFrameAdded(IUndoHost& host, const QString& caption, int frameIndex)
{
    recordUndo(host, ckFrame, uaAdded, 0, 0, frameIndex, caption);
}

void recordFrameDeleted(IUndoHost& host, int frameIndex)
{
    recordUndo(host, ckFrame, uaRemoved, 0, 0, frameIndex, QStringLiteral("Delete Frame"));
}

void recordFrameMoved(IUndoHost& host, int from, int to)
{
    recordUndo(host, ckFrame, uaMoved, 0, to, from, QStringLiteral("Move Frame"));
}

void recordFrameTiming(IUndoHost& host, int frameIndex, const QString& caption)
{
    recordPropertyChange(host, ckGCExt, frameIndex, caption);
}

void recordPropertyChange(IUndoHost& host, TCommandKind kind, int frameIndex, const QString& caption)
{
    recordUndo(host, kind, uaChanged, 0, 0, frameIndex, caption);
}

void recordInspectorEdit(IUndoHost& host, TCommandKind kind, TUndoAction action, int frameIndex,
                         const QString& caption)
{
    recordUndo(host, kind, action, -1, -1, frameIndex, caption);
}

void recordCommentAdded(IUndoHost& host, int position)
{
    recordUndo(host, ckCommentExt, uaAdded, 0, position, 0, QStringLiteral("Add GIF Comment"));
}

void recordCommentChanged(IUndoHost& host, int frameIndex, int position)
{
    recordUndo(host, ckCommentExt, uaChanged, -1, position, frameIndex, QStringLiteral("Change GIF Comment"));
}

void recordCommentDeleted(IUndoHost& host, int frameIndex, int position)
{
    recordUndo(host, ckCommentExt, uaRemoved, -1, position, frameIndex, QStringLiteral("Delete GIF Comment"));
}

void recordGlobalPalette(IUndoHost& host)
{
    recordUndo(host, ckPalette, uaChanged, 0, 0, -1, QStringLiteral("Change Global Palette"));
}

void recordLocalPaletteAdded(IUndoHost& host, int frameIndex)
{
    recordUndo(host, ckPalette, uaAdded, -1, -1, frameIndex, QStringLiteral("Add Local Palette"));
}

void recordPaletteColorAdded(IUndoHost& host, int colorIndex, TColor color, int frameIndex, const QString& caption)
{
    recordUndo(host, ckPalette, uaColorAdded, colorIndex, int(color), frameIndex, caption);
}

void recordPaletteColorRemoved(IUndoHost& host, int colorIndex, int frameIndex, const QString& caption)
{
    recordUndo(host, ckPalette, uaColorRemoved, colorIndex, 0, frameIndex, caption);
}

void recordPaletteColorChanged(IUndoHost& host, int colorIndex, TColor oldColor, int frameIndex,
                               const QString& caption)
{
    recordUndo(host, ckPalette, uaColorChanged, colorIndex, int(oldColor), frameIndex, caption);
}

void recordLoopChange(IUndoHost& host, TUndoAction action)
{
    recordUndo(host, ckNSLoop, action, 0, 0, 0, QStringLiteral("Change Animation Loop"));
}

bool refreshUndoState(IUndoHost& host)
{
    const THistoryList* history = host.history();
    const bool any = history && history->count() > 0;
    host.setUndoAction(any, QStringLiteral("&Undo ") + (history ? history->lastCaption() : QString()));
    host.refreshSaveState();
    return any;
}

int undoCapacitySetting()
{
    return Settings::readInteger(SettingKeys::MaxUndo);
}

namespace {

int rowForCaption(const QString& caption, int otherwise)
{
    for (int row = 0; row < 12; ++row)
        if (caption.contains(QLatin1String(kInspectorRowLabels[row])))
            return row;
    return otherwise;
}

} // namespace

void undoActiveDocument(IUndoHost& host)
{
    THistoryList* history = host.history();
    if (!history || history->count() == 0) {
        // Nothing to undo; in particular an empty history must not reload the document below.
        refreshUndoState(host);
        return;
    }
    const int notedFrame = history->lastFrameIndex();
    const QString caption = history->lastCaption();
    const int notedRow = host.inspectorRow();

    history->undo(host);

    host.setInspectorRow(rowForCaption(caption, notedRow));

    const bool remaining = history->count() > 0;
    if (remaining) {
        host.setUndoPosition(-1);
        // The noted frame may be one that the undo removed.
        const int frames = host.workingImage().images().count();
        host.selectFrame(std::clamp(notedFrame, 0, std::max(frames - 1, 0)));
    } else if (!host.isUntitled()) {
        // Back at the state of the file: nothing left to save. An untitled document's name has
        // no folder, so it is never looked up as a file (it could name an unrelated file).
        host.setModified(false);
        host.deleteWorkingCopy();
        if (QFileInfo::exists(host.fileName())) {
            host.setRememberedFrame(0);
            if (!host.reloadDocument(host.fileName()))
                return;
        }
    }

    // The palette dialog's global changes are only seen by everything else after a reload.
    if (caption == QLatin1String("Change Global Palette") && remaining) {
        const QString copy = host.workingCopy();
        if (!copy.isEmpty() && QFileInfo::exists(copy)) {
            if (host.saveWorkingCopy() && !host.reloadDocument(copy))
                return;
        } else if (!host.reloadDocument(host.fileName())) {
            return;
        }
    }

    refreshUndoState(host);
    host.repaintFrameStrip();
    if (host.workingImage().empty())
        host.closeWithoutQuery();
}
