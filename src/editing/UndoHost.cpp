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
    recordUndo(host, ckActiveAnimation, 8, 0, 0, frameIndex, caption);
}

void recordFrameAdded(IUndoHost& host, const QString& caption, int frameIndex)
{
    recordUndo(host, ckFrame, 1, 0, 0, frameIndex, caption);
}

void recordFrameDeleted(IUndoHost& host, int frameIndex)
{
    recordUndo(host, ckFrame, 2, 0, 0, frameIndex, QStringLiteral("Delete Frame"));
}

void recordFrameMoved(IUndoHost& host, int from, int to)
{
    recordUndo(host, ckFrame, 4, 0, to, from, QStringLiteral("Move Frame"));
}

void recordFrameTiming(IUndoHost& host, int frameIndex, const QString& caption)
{
    recordUndo(host, ckGCExt, 3, 0, 0, frameIndex, caption);
}

void recordCommentAdded(IUndoHost& host, int position)
{
    recordUndo(host, ckCommentExt, 1, 0, position, 0, QStringLiteral("Add GIF Comment"));
}

void recordGlobalPalette(IUndoHost& host)
{
    recordUndo(host, ckPalette, 3, 0, 0, -1, QStringLiteral("Change Global Palette"));
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
