#include "editing/FrameSteps.h"

#include "editing/UndoHost.h"
#include "editing/UndoSnapshot.h"
#include "gif/GIFImage.h"
#include "graphics/Exceptions.h"

#include <memory>
#include <optional>

namespace {

} // namespace

bool deleteFrameStep(IUndoContext& context, int index)
{
    bool deleted = false;
    try {
        context.workingImage().images().deleteAt(index);
        deleted = true;
    } catch (const Exception&) {
        // A frame that is not there leaves nothing to delete.
    }
    if (deleted) {
        context.frameColumnsChanged(-1);
        context.selectFrame(index > 0 ? index - 1 : 0);
    } else {
        context.selectFrame(context.currentFrame());
    }
    return deleted;
}

bool reinsertFrameStep(IUndoContext& context, const TUndoSnapshot& snapshot, int index)
{
    THourglass wait;
    TGIFImage& image = context.workingImage();
    bool inserted = false;
    try {
        TGIFImage saved;
        snapshot.read(saved, context.snapshotProgress());
        if (index >= 0 && index < saved.images().count()) {
            auto frame = std::make_unique<TGIFSubImage>(&image);
            frame->assign(saved.images().subImage(index));
            if (!frame->empty()) {
                image.images().insert(index, frame.get());
                frame.release(); // the frame list owns it now
                inserted = true;
            }
        }
    } catch (const Exception&) {
        // An unreadable snapshot or a frame that does not fit inserts nothing.
    }
    if (inserted) {
        context.frameColumnsChanged(+1);
        context.selectFrame(index);
    }
    return inserted;
}

void moveFrameStep(IUndoContext& context, int from, int to)
{
    if (from == -1)
        return;
    TGIFImage& image = context.workingImage();
    TGIFImageList& frames = image.images();
    std::optional<uint16_t> loops;
    if ((from == 0 || to == 0) && frames.count() > 0) {
        if (TGIFAppExtNSLoop* loop = frames.subImage(0)->loopExtension()) {
            loops = loop->loops();
            delete loop; // unlinks itself from the extension list
        }
    }
    try {
        frames.move(from, to);
    } catch (const Exception&) {
        // Indexes outside the list move nothing; the looping extension still goes back below.
    }
    if (loops && frames.count() > 0) {
        TGIFSubImage* first = frames.subImage(0);
        auto loop = std::make_unique<TGIFAppExtNSLoop>(first);
        loop->setLoops(*loops);
        first->extensions().insert(0, loop.get());
        loop.release();
    }
    context.selectFrame(to);
}
