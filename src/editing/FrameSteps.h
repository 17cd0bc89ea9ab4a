#pragma once
// The frame steps that frame commands undo with and that the frame commands of the main window
// share: deleting a frame, putting a frame back from a snapshot, and moving a frame so that the
// looping extension stays on whatever frame is first. Each keeps the frame strip in step through
// the context. Engine errors inside them are swallowed: the caller sees nothing happen.
#include <QCursor>
#include <QGuiApplication>

class IUndoContext;
class TUndoSnapshot;

// Deletes the frame at index. On success the strip loses a column and the frame before it becomes
// current (0 for index 0); the current frame is selected again in any case. True on success.
bool deleteFrameStep(IUndoContext& context, int index);

// Puts the snapshot's frame at index back into the working image at the same index (unless it is
// empty), with the hourglass cursor and progress of the read going to the context. On success
// the strip gains a column and that frame becomes current. True on success.
bool reinsertFrameStep(IUndoContext& context, const TUndoSnapshot& snapshot, int index);

// Moves the frame at from to to. When either is 0 the looping extension is taken off frame 0
// first and put back at the front of the new frame 0, so the animation keeps looping. The current
// frame becomes to. Nothing happens for from -1.
void moveFrameStep(IUndoContext& context, int from, int to);

// Hourglass cursor for the lifetime of the scope, restored on every path.
class THourglass
{
public:
    THourglass()
    {
        if (qGuiApp)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~THourglass()
    {
        if (qGuiApp)
            QGuiApplication::restoreOverrideCursor();
    }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};
