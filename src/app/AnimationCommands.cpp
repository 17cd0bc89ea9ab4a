#include "app/AnimationCommands.h"

#include "app/CommandHost.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "platform/MessageService.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QImage pictureOf(const TEditSession& session, TGIFSubImage& frame)
{
    const std::unique_ptr<TBitmap> picture = session.framePicture(frame);
    return picture ? picture->toImage() : QImage();
}

// Makes the frame's pixels and map the picture, converted under the image's colour settings;
// the frame keeps its extensions and now covers the picture from 0, 0.
void replaceFramePicture(const TEditSession& session, TGIFImage& image, TGIFSubImage& frame, TBitmap& picture)
{
    TGIFImage scratch;
    scratch.setColorReduction(image.colorReduction());
    scratch.setReductionBits(image.reductionBits());
    scratch.setDitherMode(image.ditherMode());
    const int index = session.importBitmapAsFrame(scratch, picture);
    TGIFSubImage& made = *scratch.images().subImage(index);
    const uint8_t* data = made.data();
    std::vector<uint8_t> pixels(data, data + made.dataSize());
    frame.setBounds(0, 0, made.width(), made.height());
    frame.setData(std::move(pixels));
    frame.colorMap().assign(&made.activeColorMap());
    frame.freeBitmap();
    frame.freeMask();
}

void resizeFrames(const TEditSession& session, TGIFImage& image, int width, int height)
{
    image.stopPainting();
    // The screen is made large enough first, so that no frame "sticks out" while it grows.
    image.header().setWidth(std::max(width, image.width()));
    image.header().setHeight(std::max(height, image.height()));

    // The composite covers the logical screen and frame 0 lies at its own offsets, so that a
    // first frame smaller than the screen does not cut off what later frames add beside it.
    QImage composite(image.width(), image.height(), QImage::Format_RGB32);
    composite.fill(Qt::white);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (frame.empty())
            continue;
        {
            QPainter painter(&composite);
            painter.drawImage(frame.left(), frame.top(), pictureOf(session, frame));
        }
        TBitmap target;
        target.fromImage(composite.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        replaceFramePicture(session, image, frame, target);
    }
    image.setWidth(width);
    image.setHeight(height);
    image.freeBitmap();
}

} // namespace

int clampAnimationDimension(int value)
{
    if (value < 1)
        return 10;
    return std::min(value, 1000);
}

void resizeAnimation(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TGIFImage& image = document->workingImage();
    const TResizeChoice choice = host.dialogs().resize(image.width(), image.height());
    if (choice.modalResult != mrOk || (choice.width == image.width() && choice.height == image.height()))
        return;
    recordSnapshot(*document, QStringLiteral("Change Animation Size"), 0);
    {
        TWaitCursor wait;
        try {
            resizeFrames(host.session(), image, clampAnimationDimension(choice.width),
                         clampAnimationDimension(choice.height));
        } catch (const Exception& error) {
            // Half-resized frames must not stay: the snapshot just recorded puts the animation back.
            undoActiveDocument(*document);
            messageDlg(error.message(), TMsgType::Error, TMsgButtons::Ok);
            return;
        }
    }
    document->setModified(true);
    host.repaintFrameStrip();
    host.selectFrame(host.currentFrame());
}

bool applyLoopRules(IUndoHost& document, bool playForever, int count)
{
    TGIFImage& image = document.workingImage();
    if (image.images().count() == 0)
        return false;
    TGIFSubImage& first = *image.images().subImage(0);
    auto record = [&document](TUndoAction action) {
        try {
            recordLoopChange(document, action);
            return true;
        } catch (const std::exception& error) {
            messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
            return false;
        }
    };
    const int current = getUserLoopCount(image);
    if (playForever) {
        if (current == 1) {
            if (!record(uaAdded))
                return false;
            addLoopExtension(image, first, 0);
        } else if (current != 0) {
            if (!record(uaChanged))
                return false;
            setUserLoopCount(image, 0);
        } else {
            return false;
        }
    } else if (count == current || count < 1) {
        return false;
    } else if (count == 1) {
        TGIFAppExtNSLoop* loop = first.loopExtension();
        if (!loop || !record(uaRemoved))
            return false;
        delete loop; // unlinks itself from the frame
    } else if (current == 1) {
        addLoopExtension(image, first, count);
        if (!record(uaAdded)) {
            delete first.loopExtension();
            return false;
        }
    } else {
        if (!record(uaChanged))
            return false;
        setUserLoopCount(image, count);
    }
    document.setModified(true);
    return true;
}

void applyLoop(ICommandHost& host, bool playForever, int count)
{
    if (IUndoHost* document = host.activeDocument())
        applyLoopRules(*document, playForever, count);
}

void animationInformation(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TInformationChoice choice;
    {
        TWaitCursor wait;
        normalizeForWriting(document->workingImage(), TNormalizeMode::WorkingCopy);
        choice = host.dialogs().information();
    }
    if (choice.modalResult == mrOk)
        applyLoop(host, choice.playForever, choice.count);
}

void globalPalette(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TGIFImage& image = document->workingImage();
    if (image.globalColorMap().count() == 0) {
        host.enableAction(TActionId::AnimationPalette, false);
        return;
    }
    const TGlobalPaletteChoice choice = host.dialogs().globalPalette();
    if (choice.modalResult != mrOk || !choice.changed || choice.colors.empty() || choice.colors.size() > 256)
        return;
    recordGlobalPalette(*document);
    TGIFColorMap& map = image.globalColorMap();
    map.clear();
    for (TColor color : choice.colors)
        map.add(color);
    map.changed();
    document->setModified(true);
    // The frames show the new colours only once read back through the map.
    // Without a working copy the document's file still holds the old colours: reloading it
    // would throw the change away.
    const QString copy = document->workingCopy();
    if (!copy.isEmpty())
        document->reloadDocument(copy);
}

void optimizeAnimation(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    normalizeForWriting(document->workingImage(), TNormalizeMode::WorkingCopy);
    if (host.dialogs().optimizationWizard() != mrOk)
        return;
    host.repaintFrameStrip();
    host.selectFrame(host.currentFrame());
}
