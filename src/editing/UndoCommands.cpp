#include "editing/UndoCommands.h"

#include "editing/FrameSteps.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"

namespace {

TGIFSubImage* frameAt(TGIFImage& image, int index)
{
    if (index < 0 || index >= image.images().count())
        return nullptr;
    return image.images().subImage(index);
}

TGIFCommentExtension* commentAt(TGIFSubImage* frame, int position)
{
    if (!frame || position < 0 || position >= frame->extensions().count())
        return nullptr;
    return dynamic_cast<TGIFCommentExtension*>(frame->extensions().extension(position));
}

[[noreturn]] void missingFrame()
{
    throw ECommandError(QStringLiteral("Could not get GIFSubImage"));
}

} // namespace

// ---- TActiveAnimation

TActiveAnimation::TActiveAnimation(IUndoContext& context, uint8_t actionType, int frameIndex)
    : TCommand(actionType, frameIndex)
{
    m_snapshot.write(context.workingImage());
}

void TActiveAnimation::undo(IUndoContext& context)
{
    TGIFImage saved;
    m_snapshot.read(saved);
    TGIFImage& image = context.workingImage();
    // Assigning copies the colour-reduction and drawing settings of the source and leaves the
    // target without progress and warning handlers. Handlers and reduction settings belong to the
    // program, not to the animation, so the working image keeps its own. (Draw options are left
    // as assigned: setting them can move a lone frame's local map into the global map.)
    const TProgressEvent progress = image.onProgress;
    const TGIFWarning warning = image.onWarning;
    const uint8_t colorReduction = image.colorReduction();
    const uint8_t ditherMode = image.ditherMode();
    const int threadPriority = image.threadPriority();
    const TColor background = image.drawBackgroundColor();
    struct TRestore
    {
        TGIFImage& image;
        const TProgressEvent& progress;
        const TGIFWarning& warning;
        ~TRestore()
        {
            image.onProgress = progress;
            image.onWarning = warning;
        }
    } restoreHandlers{image, progress, warning};
    // A snapshot can also take back an added frame (Add Frame records one when the add changes
    // more than the new frame), so the strip follows the number of frames it shows.
    const int columnsBefore = image.nonEmptyFrameCount();
    image.assign(&saved);
    if (const int delta = image.nonEmptyFrameCount() - columnsBefore; delta != 0)
        context.frameColumnsChanged(delta);
    image.setColorReduction(colorReduction);
    image.setDitherMode(ditherMode);
    image.setThreadPriority(threadPriority);
    image.setDrawBackgroundColor(background);
}

// ---- TCommandPalette

TCommandPalette::TCommandPalette(IUndoContext& context, uint8_t actionType, int colorIndex, int data,
                                 int frameIndex)
    : TCommand(actionType, frameIndex), m_colorIndex(colorIndex), m_colorValue(TColor(data))
{
    TGIFImage& image = context.workingImage();
    TGIFColorMap* target = targetMap(image);
    switch (actionType) {
    case 1:
        // Making a frame's local map optimises it, which renumbers the frame's pixels and its
        // transparent index; clearing the map alone would leave them pointing into the global
        // map in the new order.
        if (TGIFSubImage* frame = frameIndex >= 0 ? frameAt(image, frameIndex) : nullptr) {
            if (frame->data())
                m_savedPixels.assign(frame->data(), frame->data() + frame->dataSize());
            if (TGIFGraphicControlExtension* gce = frame->graphicControlExtension())
                m_savedTransparentIndex = gce->transparentColorIndex();
        }
        break;
    case 2:
        m_savedMap = std::make_unique<TCmdColorMap>();
        if (target && target->count() > 0) {
            m_savedMap->assign(target);
            m_savedMap->setFrameIndex(frameIndex);
        }
        break;
    case 3:
        if (target) {
            m_savedMap = std::make_unique<TCmdColorMap>();
            m_savedMap->assign(target);
            m_savedMap->setFrameIndex(frameIndex);
        }
        break;
    case 6:
        if (colorIndex == -1)
            throw ECommandError(QStringLiteral("AColorIndex is -1!"));
        if (target)
            m_colorValue = target->color(colorIndex);
        break;
    default:
        break;
    }
}

TGIFColorMap* TCommandPalette::targetMap(TGIFImage& image) const
{
    if (m_frameIndex == -1)
        return &image.globalColorMap();
    TGIFSubImage* frame = frameAt(image, m_frameIndex);
    return frame ? &frame->colorMap() : nullptr;
}

void TCommandPalette::undo(IUndoContext& context)
{
    checkActionType();
    TGIFImage& image = context.workingImage();
    TGIFColorMap* target = targetMap(image);
    if (!target)
        return;
    switch (m_actionType) {
    case 1:
        target->clear();
        if (TGIFSubImage* frame = m_frameIndex >= 0 ? frameAt(image, m_frameIndex) : nullptr) {
            if (!m_savedPixels.empty() && int64_t(m_savedPixels.size()) == frame->dataSize())
                frame->setData(m_savedPixels);
            if (TGIFGraphicControlExtension* gce = frame->graphicControlExtension();
                gce && m_savedTransparentIndex >= 0)
                gce->setTransparentColorIndex(m_savedTransparentIndex);
        }
        // Clearing does not notify; the frame's cached rendering depends on the map.
        target->changed();
        break;
    case 2:
    case 3:
        if (m_savedMap && (m_frameIndex == -1 || target->count() == 0))
            target->assign(m_savedMap.get());
        break;
    case 5:
        if (target->count() > 0)
            target->deleteAt(target->count() - 1);
        break;
    case 6: {
        // Back at its old index: the later entries move up again, as they were. Pixels were
        // never remapped for the deletion, so this gives back exactly the old map. An index
        // past the end (the map shrank since) appends, the engine's overflow passing out.
        if (m_colorIndex < 0 || m_colorIndex >= target->count()) {
            target->add(m_colorValue);
        } else {
            if (target->count() >= 256)
                target->add(m_colorValue); // raises the engine's "Color table overflow"
            const bool optimized = target->optimized();
            std::vector<TGIFColor> entries = target->entries();
            entries.insert(entries.begin() + m_colorIndex, TGIFColor::fromValue(m_colorValue));
            target->setEntries(entries);
            target->setOptimized(optimized);
        }
        target->changed();
        break;
    }
    case 7:
        if (m_colorIndex != -1)
            target->setColor(m_colorIndex, m_colorValue);
        break;
    default:
        break;
    }
}

// ---- TFrame

TFrame::TFrame(IUndoContext& context, uint8_t actionType, int data, int frameIndex)
    : TCommand(actionType, frameIndex), m_targetIndex(data)
{
    TGIFImage& image = context.workingImage();
    TGIFSubImage* frame = frameAt(image, frameIndex);
    if (!frame)
        missingFrame();
    m_animationHeight = image.height();
    m_animationWidth = image.width();
    m_frameLeft = uint16_t(frame->left());
    m_frameTop = uint16_t(frame->top());
    m_frameWidth = uint16_t(frame->width());
    m_frameHeight = uint16_t(frame->height());
    m_interlaced = frame->interlaced();
    if (actionType == 2) {
        THourglass wait;
        m_snapshot = std::make_unique<TUndoSnapshot>();
        m_snapshot->write(image, context.snapshotProgress());
    }
}

void TFrame::undo(IUndoContext& context)
{
    checkActionType();
    TGIFImage& image = context.workingImage();
    switch (m_actionType) {
    case 1:
        deleteFrameStep(context, m_frameIndex);
        break;
    case 2:
        if (!m_snapshot || m_snapshot->fileName().isEmpty())
            throw ECommandError(QStringLiteral("TempFile name is empty"));
        reinsertFrameStep(context, *m_snapshot, m_frameIndex);
        break;
    case 3: {
        TGIFSubImage* frame = frameAt(image, m_frameIndex);
        if (!frame)
            missingFrame();
        frame->setBounds(m_frameLeft, m_frameTop, m_frameWidth, m_frameHeight);
        frame->setInterlaced(m_interlaced);
        // The frame is back inside the old screen now, so shrinking the screen cannot fail
        // on this frame's account.
        if (image.height() != m_animationHeight)
            image.setHeight(m_animationHeight);
        if (image.width() != m_animationWidth)
            image.setWidth(m_animationWidth);
        break;
    }
    case 4:
        if (m_targetIndex != -1)
            moveFrameStep(context, m_targetIndex, m_frameIndex);
        break;
    default:
        break;
    }
}

// ---- TCommentExt

TCommentExt::TCommentExt(IUndoContext& context, uint8_t actionType, int data, int frameIndex)
    : TFrameExtension(actionType, data, frameIndex)
{
    if (actionType != 2 && actionType != 3)
        return;
    TGIFSubImage* frame = frameAt(context.workingImage(), frameIndex);
    if (!frame)
        missingFrame();
    if (data < 0 || data >= frame->extensions().count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(data));
    TGIFCommentExtension* comment = commentAt(frame, data);
    if (!comment)
        throw EConvertError(QStringLiteral("Invalid class typecast"));
    m_lines = comment->text();
}

void TCommentExt::undo(IUndoContext& context)
{
    checkActionType();
    TGIFSubImage* frame = frameAt(context.workingImage(), m_frameIndex);
    switch (m_actionType) {
    case 1: {
        TGIFCommentExtension* comment = commentAt(frame, m_data);
        if (!comment)
            throw ECommandError(QStringLiteral("Invalid Extension Index"));
        delete comment; // unlinks itself from the frame
        break;
    }
    case 2: {
        if (!frame)
            missingFrame();
        auto comment = std::make_unique<TGIFCommentExtension>(frame);
        comment->text() = m_lines;
        // Back at its old position, so the extensions are written in their old order; a
        // position past the end (the list shrank since) appends.
        if (m_data >= 0 && m_data < frame->extensions().count())
            frame->extensions().insert(m_data, comment.get());
        else
            frame->extensions().add(comment.get());
        comment.release();
        break;
    }
    case 3: {
        TGIFCommentExtension* comment = commentAt(frame, m_data);
        if (!comment)
            throw ECommandError(QStringLiteral("Invalid Extension Index"));
        comment->text() = m_lines;
        break;
    }
    default:
        break;
    }
}

// ---- TGCExt

TGCExt::TGCExt(IUndoContext& context, uint8_t actionType, int data, int frameIndex)
    : TFrameExtension(actionType, data, frameIndex)
{
    TGIFSubImage* frame = frameAt(context.workingImage(), frameIndex);
    TGIFGraphicControlExtension* gce = frame ? frame->graphicControlExtension() : nullptr;
    if (!gce)
        return;
    m_delay = gce->delay();
    m_disposal = gce->disposal();
    m_transparent = gce->transparent();
    m_transparentIndex = gce->transparentColorIndex();
    m_userInput = gce->userInput();
    // Read from the map directly: the extension's own getter warns about an index beyond the
    // map and raises on an empty one, and capturing must not fail or report for either.
    const TGIFColorMap& map = frame->activeColorMap();
    if (map.count() > 0)
        m_transparentColor = map.entry(m_transparentIndex < map.count() ? m_transparentIndex : 0).value();
}

void TGCExt::applyTo(TGIFSubImage& frame, TGIFGraphicControlExtension& extension) const
{
    extension.setDelay(m_delay);
    extension.setDisposal(m_disposal);
    extension.setTransparent(m_transparent);
    extension.setTransparentColorIndex(m_transparentIndex);
    // The index alone is exact. Setting the colour value as well would move the index to another
    // entry of the same colour in a map that holds it twice, so the value only decides when the
    // index no longer shows the recorded colour.
    const TGIFColorMap& map = frame.activeColorMap();
    if (map.count() > 0 &&
        (m_transparentIndex >= map.count() || map.entry(m_transparentIndex).value() != m_transparentColor))
        extension.setTransparentColor(m_transparentColor);
    extension.setUserInput(m_userInput);
}

void TGCExt::undo(IUndoContext& context)
{
    checkActionType();
    TGIFSubImage* frame = frameAt(context.workingImage(), m_frameIndex);
    if (!frame)
        throw ECommandError(QStringLiteral("SubImage is nil, %1").arg(className()));
    switch (m_actionType) {
    case 1:
        delete frame->graphicControlExtension(); // unlinks itself and clears the frame's reference
        break;
    case 2: {
        auto extension = std::make_unique<TGIFGraphicControlExtension>(frame);
        applyTo(*frame, *extension);
        frame->extensions().add(extension.get());
        extension.release();
        break;
    }
    case 3:
        if (TGIFGraphicControlExtension* extension = frame->graphicControlExtension())
            applyTo(*frame, *extension);
        break;
    default:
        break;
    }
}

// ---- TNSLoop

TNSLoop::TNSLoop(IUndoContext& context, uint8_t actionType, int data, int frameIndex)
    : TFrameExtension(actionType, data, frameIndex)
{
    if (TGIFSubImage* frame = frameAt(context.workingImage(), frameIndex)) {
        if (TGIFAppExtNSLoop* loop = frame->loopExtension()) {
            m_loopCount = loop->loops();
            m_hadExtension = true;
        }
    }
}

void TNSLoop::undo(IUndoContext& context)
{
    checkActionType();
    TGIFSubImage* frame = frameAt(context.workingImage(), m_frameIndex);
    if (!frame)
        return;
    TGIFAppExtNSLoop* loop = frame->loopExtension();
    switch (m_actionType) {
    case 1:
        delete loop; // unlinks itself; nothing to do when there is none
        break;
    case 2:
        if (loop) {
            loop->setLoops(m_loopCount);
        } else {
            auto created = std::make_unique<TGIFAppExtNSLoop>(frame);
            created->setLoops(m_loopCount);
            frame->extensions().insert(0, created.get());
            created.release();
        }
        break;
    case 3:
        // A stored count of 1 without an extension means the animation played once: the
        // extension goes. An extension that really held 1 (play twice) gets its count back.
        if (loop) {
            if (m_hadExtension)
                loop->setLoops(m_loopCount);
            else
                delete loop;
        }
        break;
    default:
        break;
    }
}

// ---- factory

std::unique_ptr<TCommand> createCommand(IUndoContext& context, int kind, uint8_t actionType, int colorIndex,
                                        int data, int frameIndex)
{
    switch (kind) {
    case ckActiveAnimation:
        return std::make_unique<TActiveAnimation>(context, actionType, frameIndex);
    case ckPalette:
        return std::make_unique<TCommandPalette>(context, actionType, colorIndex, data, frameIndex);
    case ckFrame:
        return std::make_unique<TFrame>(context, actionType, data, frameIndex);
    case ckCommentExt:
        return std::make_unique<TCommentExt>(context, actionType, data, frameIndex);
    case ckGCExt:
        return std::make_unique<TGCExt>(context, actionType, data, frameIndex);
    case ckNSLoop:
        return std::make_unique<TNSLoop>(context, actionType, data, frameIndex);
    default:
        return nullptr;
    }
}
