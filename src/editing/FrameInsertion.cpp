// Frames from bitmaps: fitting a picture to the animation, inserting it as a frame under the
// palette settings with its undo record, and the set-up every new frame gets.
#include "editing/FrameInsertion.h"

#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <vector>

namespace {

// Clears the third status panel when the insertion ends, however it ends.
class TStatusNote
{
public:
    TStatusNote(IEditView& view, const QString& text) : m_view(view) { m_view.setStatusText(2, text); }
    ~TStatusNote() { m_view.setStatusText(2, QString()); }
    TStatusNote(const TStatusNote&) = delete;
    TStatusNote& operator=(const TStatusNote&) = delete;

private:
    IEditView& m_view;
};

// Cuts a frame to the part of it that lies inside width x height, keeping its top-left corner.
// A frame wholly outside becomes empty at the origin, so the screen can shrink around it.
void cutFrameTo(TGIFSubImage& frame, int width, int height)
{
    const int keepWidth = std::clamp(width - frame.left(), 0, frame.width());
    const int keepHeight = std::clamp(height - frame.top(), 0, frame.height());
    if (keepWidth == frame.width() && keepHeight == frame.height())
        return;
    if (keepWidth == 0 || keepHeight == 0) {
        frame.setBounds(0, 0, 0, 0);
        return;
    }
    std::vector<uint8_t> pixels(size_t(keepWidth) * size_t(keepHeight));
    for (int y = 0; y < keepHeight; ++y)
        std::memcpy(pixels.data() + size_t(y) * size_t(keepWidth), frame.scanLine(y), size_t(keepWidth));
    frame.setBounds(frame.left(), frame.top(), keepWidth, keepHeight);
    frame.setData(std::move(pixels));
    frame.freeBitmap();
    frame.freeMask();
}

// How an added frame is undone. A frame command only deletes the frame again; when the addition
// also changes the screen size, other frames, the global map or frame 0's looping extension, the
// whole animation goes into a snapshot before the first of those changes instead, so that Undo
// gives back the same bytes. document is null when nothing is to be recorded.
struct TAddUndo
{
    TEditSession& session;
    TDocument* document = nullptr;
    QString caption;
    bool snapshotTaken = false;

    // Exceptions from the snapshot write pass out before anything has been changed.
    void takeSnapshot(int frameIndex)
    {
        if (!document || snapshotTaken)
            return;
        recordSnapshot(*document, caption, frameIndex);
        snapshotTaken = true;
    }

    // After a cancel or failure that came after the snapshot: the animation may have been resized
    // for the picture already, or half set up before the frame was taken out again. That stays,
    // undoable through the snapshot, and the document counts as changed.
    void keepAfterFailure()
    {
        if (!snapshotTaken)
            return;
        document->setModified(true);
        session.view().repaintFrameStrip();
    }
};

// Where a frame added to count frames ends up (the rule of placeNewFrame).
int landingIndex(int position, int count)
{
    return position >= 0 && position < count - 1 ? position : count;
}

// Whether adding a frame at index to the image, set up by newFrameSetup and with the maps merged
// when mergeMaps, changes anything but the new frame. The first frame of an animation never
// does: undoing it leaves no frames, and the document goes with them.
bool addTouchesMore(TGIFImage& image, int index, bool mergeMaps)
{
    const int count = image.images().count();
    if (count == 0)
        return false;
    if (mergeMaps || image.globalColorMap().count() == 0)
        return true;
    // A frame going in at index 0 carries the new looping extension itself.
    return index != 0 && !image.images().subImage(0)->loopExtension() &&
           Settings::readInteger(SettingKeys::DefaultNSLoop) != 1;
}

// Applies the fit choice: trim the picture to the animation, or make the animation the
// picture's size and cut existing frames that would stick out (undo permitting: beforeResize
// runs first and may throw).
void applyFitChoice(TGIFImage& image, TBitmap& bitmap, bool trim,
                    const std::function<void()>& beforeResize = {})
{
    if (!trim && beforeResize)
        beforeResize();
    try {
        if (trim) {
            bitmap.setSize(std::min(image.width(), bitmap.width()),
                           std::min(image.height(), bitmap.height()));
            return;
        }
        image.stopPainting();
        for (int i = 0; i < image.images().count(); ++i)
            cutFrameTo(*image.images().subImage(i), bitmap.width(), bitmap.height());
        image.setWidth(bitmap.width());
        image.setHeight(bitmap.height());
    } catch (const std::exception&) {
        // Swallowed like every frame edit here; the caller goes on with what it has.
    }
}

// Deletes a frame added by an insertion that failed later on, so a failure leaves the image as
// it was instead of holding a half set-up frame the caller does not know about.
void removeFrame(TGIFImage& image, int index)
{
    try {
        if (index >= 0 && index < image.images().count())
            image.images().deleteAt(index);
    } catch (const std::exception&) {
    }
}

// Adds the bitmap as a frame and moves it to position when that lies before the last frame
// (count: frames before the insertion). Returns the frame's index.
int placeNewFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position, int count)
{
    const int index = session.importBitmapAsFrame(image, bitmap);
    if (position >= 0 && position < count - 1 && position != index) {
        try {
            image.images().move(index, position);
        } catch (...) {
            removeFrame(image, index);
            throw;
        }
        return position;
    }
    return index;
}

// recordFrame: false when a snapshot taken before the change already covers the new frame.
void reportNewFrame(TEditSession& session, int index, const QString& caption, bool addColumn,
                    bool recordFrame)
{
    if (addColumn)
        session.addFrameColumn();
    if (TDocument* document = session.documents().active()) {
        if (recordFrame)
            recordFrameAdded(*document, caption, index);
        document->setModified(true);
        document->setRememberedFrame(index);
    }
    session.view().selectFrame(index);
    session.view().repaintFrameStrip();
}

} // namespace

int fitPicture(TEditSession& session, TBitmap& bitmap, const std::function<void()>& beforeResize)
{
    TGIFImage& image = session.workingImage();
    if (image.images().count() == 0)
        return 0;
    if (bitmap.width() <= image.width() + 1 && bitmap.height() <= image.height() + 1)
        return 0;
    if (Settings::readInteger(SettingKeys::ClipDefault) != 0) {
        applyFitChoice(image, bitmap, Settings::readInteger(SettingKeys::ClipFrame) != 0, beforeResize);
        return 0;
    }
    IEditPrompts* prompts = session.prompts();
    if (!prompts)
        return mrCancel;
    const TFitChoice choice = prompts->fitFrame(
        QStringLiteral("Frame dimensions are larger than the animation. How should this be handled?"),
        bitmap);
    if (choice.modalResult == mrOk)
        applyFitChoice(image, bitmap, choice.trim, beforeResize);
    return choice.modalResult;
}

namespace {

// insertBitmapAsFrame; with undo, the snapshot is taken once the palette settings are known and
// before the frame goes in, when the addition reaches beyond the new frame.
int insertFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position, TAddUndo* undo)
{
    const int count = image.images().count();
    bool optimizeAfterwards = Settings::readInteger(SettingKeys::PaletteType) == 0;
    if (bitmap.bitsPerPixel() >= 8) {
        if (Settings::readInteger(SettingKeys::PaletteDefaults) != 0) {
            TWaitCursor wait;
            optimizeAfterwards = applyPaletteSettings(image);
        } else {
            IEditPrompts* prompts = session.prompts();
            if (!prompts || prompts->palettePage() != mrOk)
                return -1;
            TWaitCursor wait;
            optimizeAfterwards = applyPaletteSettings(image);
        }
    }
    TStatusNote note(session.view(), QStringLiteral("Inserting new frame..."));
    if (undo && addTouchesMore(image, landingIndex(position, count), optimizeAfterwards))
        undo->takeSnapshot(landingIndex(position, count));
    int index = -1;
    try {
        index = placeNewFrame(session, image, bitmap, position, count);
    } catch (const std::exception&) {
        return -1;
    }
    try {
        TGIFSubImage& frame = *image.images().subImage(index);
        newFrameSetup(frame, Settings::readInteger(SettingKeys::DefaultNSLoop),
                      Settings::readInteger(SettingKeys::DefaultDelay));
        if (count == 0)
            addComment(frame, QString::fromLatin1(kCreatedWithComment));
        if (optimizeAfterwards && image.images().count() > 1)
            optimizeAllColorMaps(image);
    } catch (const std::exception&) {
        removeFrame(image, index);
        return -1;
    }
    if (count == 0)
        session.documents().create();
    return index;
}

} // namespace

int insertBitmapAsFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position)
{
    return insertFrame(session, image, bitmap, position, nullptr);
}

int addPictureAsFrame(TEditSession& session, TBitmap& bitmap, int position, const QString& caption)
{
    TGIFImage& image = session.workingImage();
    const int count = image.images().count();
    const bool hadFrames = count > 0;
    TAddUndo undo{session, hadFrames ? session.documents().active() : nullptr, caption};
    if (hadFrames &&
        fitPicture(session, bitmap, [&] { undo.takeSnapshot(landingIndex(position, count)); }) == mrCancel)
        return -1;
    const int index = insertFrame(session, image, bitmap, position, &undo);
    if (index < 0) {
        undo.keepAfterFailure();
        return -1;
    }
    reportNewFrame(session, index, caption, hadFrames, !undo.snapshotTaken);
    return index;
}

int insertBitmapAtCurrentFrame(TEditSession& session, TBitmap& bitmap, int delay)
{
    TDocument* document = session.documents().active();
    if (!document)
        return -1;
    TGIFImage& image = session.workingImage();
    const int position = std::max(session.currentFrame(), 0);
    const int count = image.images().count();
    const int paletteType = Settings::readInteger(SettingKeys::PaletteType);
    const bool mergeMaps = paletteType == 0 || paletteType == 1;
    TAddUndo undo{session, document, QStringLiteral("Add Frame")};
    if (addTouchesMore(image, landingIndex(position, count), mergeMaps))
        undo.takeSnapshot(landingIndex(position, count));
    int index = -1;
    try {
        index = placeNewFrame(session, image, bitmap, position, count);
    } catch (const std::exception&) {
        undo.keepAfterFailure();
        return -1;
    }
    try {
        newFrameSetup(*image.images().subImage(index), Settings::readInteger(SettingKeys::DefaultNSLoop),
                      delay);
        if (mergeMaps && image.images().count() > 1)
            optimizeAllColorMaps(image);
    } catch (const std::exception&) {
        removeFrame(image, index);
        undo.keepAfterFailure();
        return -1;
    }
    reportNewFrame(session, index, QStringLiteral("Add Frame"), count > 0, !undo.snapshotTaken);
    return index;
}

// ---- Frame set-up and timing --------------------------------------------------------------

void ensureFrameTiming(TGIFSubImage& frame, int delay)
{
    TGIFGraphicControlExtension* control = frame.graphicControlExtension();
    if (!control) {
        control = new TGIFGraphicControlExtension(&frame);
        frame.extensions().add(control);
        frame.setGraphicControlExtension(control);
    }
    control->setDelay(uint16_t(std::clamp(delay, 0, 65535)));
    control->setDisposal(TGIFDisposal::dmBackground);
}

void newFrameSetup(TGIFSubImage& frame, int userLoopCount, int delay)
{
    TGIFImage& image = *frame.image();
    if (!hasLoopExtension(image) && image.images().count() > 0)
        addLoopExtension(image, *image.images().subImage(0), userLoopCount);
    ensureFrameTiming(frame, delay);
    if (frame.colorMap().count() > 0)
        frame.colorMap().optimize();
    TGIFGlobalColorMap& global = image.globalColorMap();
    if (global.count() == 0) {
        if (frame.colorMap().count() == 0)
            fillWebPalette(global);
        else
            global.setEntries(frame.colorMap().entries());
    }
}

int totalRunningTime(TGIFImage& image)
{
    int total = 0;
    for (int i = 0; i < image.images().count(); ++i) {
        if (const TGIFGraphicControlExtension* control =
                image.images().subImage(i)->graphicControlExtension())
            total += control->delay();
    }
    return total;
}

void addComment(TGIFSubImage& frame, const QString& text)
{
    auto* comment = new TGIFCommentExtension(&frame);
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    comment->text() = lines.split(QLatin1Char('\n'));
    frame.extensions().add(comment);
}
