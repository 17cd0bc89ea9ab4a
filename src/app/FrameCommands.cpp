#include "app/FrameCommands.h"

#include "app/CommandHost.h"
#include "app/FileCommands.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/FrameSteps.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "platform/MessageService.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

bool singleFrameSelected(const ICommandHost& host)
{
    return host.selectionLeft() == host.selectionRight();
}

void enableMoveActions(ICommandHost& host, int position)
{
    const bool notFirst = position != 0;
    const bool notLast = position != host.columnCount() - 1;
    host.enableAction(TActionId::FrameMoveBegin, notFirst);
    host.enableAction(TActionId::FrameMoveUp, notFirst);
    host.enableAction(TActionId::FrameMoveEnd, notLast);
    host.enableAction(TActionId::FrameMoveDown, notLast);
}

QString captionPrefix(bool remove)
{
    return remove ? QStringLiteral("Remove ") : QStringLiteral("Make ");
}

bool startsWithRemove(const QString& caption)
{
    return caption.startsWith(QLatin1String("Remove "));
}

// The delay of the global-change page, when its text (blanks removed) is a usable delay.
std::optional<uint16_t> globalDelay(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (!isNumber(digits))
        return std::nullopt;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value < 0 || value > 32767)
        return std::nullopt;
    return uint16_t(value);
}

} // namespace

int insertionPosition(const ICommandHost& host)
{
    return std::max(std::min(host.currentFrame() + 1, host.columnCount() - 1), 0);
}

void addFramesFromFiles(ICommandHost& host)
{
    const QStringList files = askFilesToOpen(host, QStringLiteral("Add Frame"), kImageFilesFilter);
    if (files.isEmpty())
        return;
    {
        TWaitCursor wait;
        for (const QString& path : files) {
            TBitmap bitmap;
            // A GIF may have been opened as a document or had its frames added instead (-2, -3);
            // failures have shown their message already.
            if (loadImageFileIntoBitmap(host.session(), path, bitmap, recognizeFileType(path), false) == liLoaded)
                addPictureAsFrame(host.session(), bitmap, insertionPosition(host), QStringLiteral("Add Frame"));
        }
    }
    host.setInitialDir(QFileInfo(files.last()).absolutePath());
}

bool deleteFrameAt(ICommandHost& host, int index)
{
    IUndoHost* document = host.activeDocument();
    if (!document || index == -1)
        return false;
    if (host.columnCount() == 1) {
        QString text = QString::fromLatin1(kOneFrameMessage);
        text.replace(QLatin1String("%s"), QFileInfo(document->fileName()).fileName());
        messageDlg(text, TMsgType::Information, TMsgButtons::Ok);
        return false;
    }
    recordFrameDeleted(*document, index);
    const bool deleted = deleteFrameStep(*document, index);
    if (deleted)
        document->setModified(true);
    host.selectFrame(host.currentFrame());
    refreshUndoState(*document);
    return deleted;
}

void deleteFrames(ICommandHost& host)
{
    if (!host.activeDocument())
        return;
    if (singleFrameSelected(host)) {
        deleteFrameAt(host, host.currentFrame());
        return;
    }
    const int left = host.selectionLeft();
    for (int i = host.selectionRight(); i >= left; --i) {
        // The refusal of the last frame ends the range: every further try would only repeat it.
        if (!deleteFrameAt(host, i) && host.columnCount() == 1)
            break;
    }
}

void moveFrame(ICommandHost& host, int from, int to)
{
    IUndoHost* document = host.activeDocument();
    if (!document || from < 0 || to < 0 || to > host.columnCount() - 1 || from > host.columnCount() - 1)
        return;
    // Moving a frame onto itself changes nothing and must not leave an undo step that does nothing.
    if (from == to)
        return;
    recordFrameMoved(*document, from, to);
    moveFrameStep(*document, from, to);
    document->setModified(true);
    enableMoveActions(host, to);
}

void moveFrameToBeginning(ICommandHost& host)
{
    moveFrame(host, host.currentFrame(), 0);
}

void moveFrameToEnd(ICommandHost& host)
{
    moveFrame(host, host.currentFrame(), host.columnCount() - 1);
}

void moveFrameLeft(ICommandHost& host)
{
    if (host.currentFrame() > 0)
        moveFrame(host, host.currentFrame(), host.currentFrame() - 1);
}

void moveFrameRight(ICommandHost& host)
{
    if (host.currentFrame() >= 0)
        moveFrame(host, host.currentFrame(), host.currentFrame() + 1);
}

void dropFramesOnColumn(ICommandHost& host, int column)
{
    if (!host.activeDocument() || host.currentFrame() == -1)
        return;
    if (column < 0 || column >= host.columnCount() || column == host.currentFrame())
        return;
    if (singleFrameSelected(host)) {
        moveFrame(host, host.currentFrame(), column);
        return;
    }
    const int left = host.selectionLeft();
    const int right = host.selectionRight();
    for (int i = left; i <= right; ++i)
        moveFrame(host, i, column);
}

void reverseFrames(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TGIFImage& image = document->workingImage();
    if (image.nonEmptyFrameCount() < 2) {
        host.beep();
        return;
    }
    TWaitCursor wait;
    recordSnapshot(*document, QStringLiteral("Reverse Frame Order"), 0);
    const int current = host.currentFrame();
    image.stopPainting();
    TGIFImageList& frames = image.images();

    // The looping extension belongs to the animation, not to the frame that happens to be first:
    // it is taken off and put back on the new first frame, so reversing keeps the loop count
    // instead of letting the normalisation replace it with the default.
    std::optional<uint16_t> loops;
    if (TGIFAppExtNSLoop* loop = frames.subImage(0)->loopExtension()) {
        loops = loop->loops();
        delete loop; // unlinks itself
    }
    try {
        const int columns = std::min(host.columnCount(), frames.count());
        if (singleFrameSelected(host)) {
            for (int k = 0; k < columns; ++k)
                frames.move(0, columns - 1 - k);
        } else {
            const int left = host.selectionLeft();
            const int right = std::min(host.selectionRight(), frames.count() - 1);
            for (int k = 0; k <= right - left; ++k)
                frames.move(left, right - k);
        }
    } catch (const Exception&) {
        // A selection the image does not have moves nothing more; the loop still goes back.
    }
    if (loops) {
        TGIFSubImage* first = frames.subImage(0);
        auto* loop = new TGIFAppExtNSLoop(first);
        loop->setLoops(*loops);
        first->extensions().insert(0, loop);
    }
    normalizeForWriting(image, TNormalizeMode::WorkingCopy);
    host.repaintFrameStrip();
    document->setModified(true);
    host.selectFrame(current);
}

bool reverseEnabled(ICommandHost& host)
{
    return host.activeDocument() && !host.isPlaying();
}

void selectAllFrames(ICommandHost& host)
{
    if (host.activeDocument())
        host.selectAllColumns();
}

void frameTransparentColor(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document || host.currentFrame() == -1)
        return;
    TWaitCursor wait;
    const TTransparentColorChoice choice = host.dialogs().transparentColor(host.currentFrame());
    if (choice.modalResult != mrOk)
        return;
    try {
        TGIFImage& image = document->workingImage();
        if (choice.frameIndex < 0 || choice.frameIndex >= image.images().count() || choice.colorIndex < 0)
            return;
        TGIFSubImage& frame = *image.images().subImage(choice.frameIndex);
        TGIFGraphicControlExtension* control = frame.graphicControlExtension();
        if (!control)
            return;
        // A frame that is not transparent yet becomes so even when its stored index happens to
        // be the chosen one: the user asked for that colour to be transparent.
        if (control->transparentColorIndex() == choice.colorIndex && control->transparent())
            return;
        recordFrameTiming(*document, choice.frameIndex, QStringLiteral("Change Transparent Color"));
        control->setTransparentColorIndex(choice.colorIndex);
        control->setTransparent(true);
        control->setDisposal(TGIFDisposal::dmBackground);
        frame.freeBitmap();
        document->setModified(true);
        host.selectFrame(host.currentFrame());
    } catch (const Exception&) {
        // The dialog's colour may not fit the frame any more; the frame keeps what it had.
    }
}

void globalFrameProperties(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TWaitCursor wait;
    TGIFImage& image = document->workingImage();
    const int current = host.currentFrame();
    TGlobalChangeRequest request;
    bool transparent = false, interlaced = false, localPalette = false;
    if (current >= 0 && current < image.images().count()) {
        TGIFSubImage& frame = *image.images().subImage(current);
        transparent = frame.graphicControlExtension() && frame.graphicControlExtension()->transparent();
        interlaced = frame.interlaced();
        localPalette = frame.colorMap().count() > 0;
    }
    request.transparentCaption = captionPrefix(transparent) + QStringLiteral("&Transparent");
    request.interlacedCaption = captionPrefix(interlaced) + QStringLiteral("&Interlaced");
    request.localPaletteCaption = captionPrefix(localPalette) + QStringLiteral("&Local Palette");

    const TGlobalChangeChoice choice = host.dialogs().globalChange(request);
    if (choice.modalResult != mrOk || !choice.somethingToApply)
        return;
    recordSnapshot(*document, QStringLiteral("Global Properties Change"), 0);
    image.stopPainting();
    const std::optional<uint16_t> delay = globalDelay(choice.delayText);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        TGIFGraphicControlExtension* control = frame.graphicControlExtension();
        if (!control)
            continue;
        try {
            if (delay)
                control->setDelay(*delay);
            if (choice.transparent.changed) {
                if (startsWithRemove(request.transparentCaption)) {
                    control->setTransparent(!choice.transparent.checked);
                } else {
                    control->setTransparent(choice.transparent.checked);
                    control->setTransparentColor(choice.transparentColor);
                }
            }
            if (choice.interlaced.changed)
                frame.setInterlaced(startsWithRemove(request.interlacedCaption) ? !choice.interlaced.checked
                                                                                : choice.interlaced.checked);
            if (choice.localPalette.changed) {
                const TColor keep = control->shownTransparentColor();
                if (startsWithRemove(request.localPaletteCaption)) {
                    frame.colorMap().clear();
                    frame.colorMap().changed();
                } else if (image.globalColorMap().count() > 0) {
                    frame.colorMap().assign(&image.globalColorMap());
                    frame.colorMap().optimize();
                }
                control->setTransparentColor(keep);
            }
            if (choice.disposal)
                control->setDisposal(*choice.disposal);
            frame.freeBitmap();
        } catch (const Exception&) {
            // One frame that refuses a value keeps the rest of its properties; the others go on.
        }
    }
    document->setModified(true);
    host.repaintFrameStrip();
    host.selectFrame(current);
}
