#pragma once
// TGIFPreview: an animation played on a picture of its own. It holds a copy of an image and a
// true-colour picture of the copy's logical screen, and runs one asynchronous painter of the
// copy on that picture. The preview window of the editor shows the picture; tests and the
// thread checks drive the same object without any window.
//
// Threads: the object belongs to the main thread. Its painter waits in its own thread but draws
// and raises every event on the main thread (see GIFPainter.h). stop(), clear(), assign() and
// the destructor wait until the painter has let go of the copy, so no event is delivered for a
// copy that was cleared or freed.
#include "gif/GIFTypes.h"
#include "graphics/Colors.h"
#include "graphics/Graphic.h"

#include <QImage>

#include <memory>

class TBitmap;
class TGIFImage;
class TGIFPainter;

class TGIFPreview
{
public:
    TGIFPreview();
    ~TGIFPreview();
    TGIFPreview(const TGIFPreview&) = delete;
    TGIFPreview& operator=(const TGIFPreview&) = delete;

    // The copy. Changing its frames while painting is not allowed: stop first.
    TGIFImage& image() { return *m_image; }
    // Replaces the copy by a copy of source (stopping and waiting first).
    void assign(const TGIFImage& source);
    // Stops and waits, then empties the copy and frees the picture.
    void clear();

    // Starts painting the copy with the given options on a picture filled with background.
    // False when there is nothing to paint (empty copy or empty screen). The options the copy
    // keeps (TGIFImage::drawOptions) are not consulted.
    bool start(TGIFDrawOptions options, TColor background);
    // Stops the painter and waits for it to let go; the picture keeps the last frame shown.
    void stop();
    // A painter of the copy is running.
    bool isPainting();

    // The picture as painted so far (null before the first start).
    QImage picture() const;

    // Before each frame (the painter's frame index is that frame's), after each frame and at
    // the end (frame index -1). Main thread. Set before start().
    TNotifyEvent onFrame, onFrameShown, onEnd;

private:
    std::unique_ptr<TGIFImage> m_image;
    std::unique_ptr<TBitmap> m_picture;
    TGIFPainter* m_painter = nullptr; // the owner slot: cleared by the painter when it ends
};
