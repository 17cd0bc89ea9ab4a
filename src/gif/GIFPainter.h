#pragma once
// TGIFPainter: shows an image's frames in turn on a canvas, with their delays, disposal methods,
// transparency and loop count, either synchronously in the calling thread or asynchronously in
// a thread of its own.
//
// Threads: an asynchronous painter's thread only keeps time and waits. Everything that touches
// the image, its frames, the target canvas or the buffers - and every event - runs on the main
// thread through TMainThreadDispatcher, so frames are only ever drawn there and the image's
// owner sees a painter's effects in order with its own work.
//
// Lifetime: made by TGIFImage::paint(), listed in the image's painter list, frees itself when it
// ends. Before it is freed it leaves the list and clears its owner's slot (on the main thread),
// so a painter reached through the list or the slot under the painter lock is alive. When the
// image lets go of a painter that cannot end yet (it is blocked beneath the caller, see
// TGIFImage::stopPainting), the painter is detached: it stops and ends without touching the
// image or the canvas again.
#include "gif/GIFTypes.h"
#include "gif/PainterClock.h"
#include "graphics/Canvas.h"
#include "graphics/Graphic.h"

#include <QRect>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

class TGIFPainter : public TObject
{
public:
    // Main thread. Registers nothing: TGIFImage::paint lists the painter.
    TGIFPainter(TGIFImage* image, TCanvas* canvas, const QRect& rect, TGIFDrawOptions options,
                TGIFPainter** ownerSlot);
    ~TGIFPainter() override;

    // Asynchronous painters are created suspended; start() runs the thread (once).
    void start();
    // Stops at the next check; an asynchronous painter is woken from its wait (and started when
    // it was never started, so that it can end).
    void stop();
    // Begins again at frame 0 with a new start event.
    void restart();

    bool isAsync() const { return (m_options & goAsync) != 0; }
    bool stopRequested() const { return m_stop.load(); }
    bool hasPainted() const { return m_hasPainted.load(); }
    // The frame being shown (-1 when not painting). An after-frame handler may set it to choose
    // the next frame.
    int frameIndex() const { return m_frameIndex.load(); }
    void setFrameIndex(int index) { m_frameIndex.store(index); }
    int animationSpeed() const { return m_speed.load(); }
    void setAnimationSpeed(int percent) { m_speed.store(percent); }
    TGIFDrawOptions drawOptions() const { return m_options; }
    TGIFImage* image() const { return m_image; } // main thread; null once detached
    TCanvas* canvas() const { return m_canvas; }
    QRect rect() const { return m_rect; }
    int disposal() const { return m_disposal; }
    int previousDisposal() const { return m_previousDisposal; }
    std::thread::id threadId() const { return m_threadId; }

    // Events, called on the main thread (directly when painting synchronously).
    TNotifyEvent onStartPaint, onPaint, onAfterPaint, onLoop, onEndPaint;

    // Engine side (TGIFImage). Runs the body in the calling thread, ends and frees the painter;
    // an error raised while painting is raised again here.
    void runSynchronously();
    // Main thread, painter lock held: the image lets go of this painter (see above).
    void detach();

private:
    void threadMain();
    void body();
    void finish();
    bool running() const { return !m_stop.load() && !m_restart.load(); }
    void onMain(const std::function<void()>& work);
    void fire(const TNotifyEvent& event);
    void waitForFrame(int64_t waitValue, int64_t& previousTime, int64_t& previousWait);
    void synchronousWait(int64_t milliseconds);
    // Main thread: the steps of one frame.
    bool frameAvailable(int index);
    void renderFrame(int index);
    int64_t showFrame(int index, int& loopsLeft, int& loopStart, bool& loopSeen);
    void paintBuffered(TGIFSubImage& frame, int index);
    void restoreBackground(TGIFSubImage& frame);

    TGIFImage* m_image;
    TCanvas* m_canvas;
    QRect m_rect;
    const TGIFDrawOptions m_options;
    TGIFPainter** m_ownerSlot;
    std::shared_ptr<TPainterClock> m_clock;
    const TGIFSettings m_settings; // the engine settings as they were at creation
    std::atomic<int> m_speed;
    std::atomic<int> m_frameIndex{-1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_restart{false};
    std::atomic<bool> m_hasPainted{false};
    bool m_started = false;
    std::thread::id m_threadId;
    int m_disposal = 1;
    int m_previousDisposal = 1;
    TColor m_backgroundColor = clWindow;
    std::unique_ptr<TBitmap> m_compose;
    std::unique_ptr<TBitmap> m_previous;
    std::unique_ptr<TBitmap> m_background;
    std::unique_ptr<TPainterWakeEvent> m_wake;
    HDC m_targetHandle = 0;
    std::exception_ptr m_error;
};

// Plays the animation once, synchronously and in virtual time (no real waiting), on a
// screen-sized true-colour picture that starts filled with background, and hands the picture as
// shown after each frame to shown(frame index, picture). The same painter the editor animates
// with, so what it shows is what the editor shows. Main thread.
void gifPlayFrames(TGIFImage& image, TColor background,
                   const std::function<void(int frameIndex, const QImage& picture)>& shown);
// The same, stopping after the frame for which shown answers false.
void gifPlayFramesWhile(TGIFImage& image, TColor background,
                        const std::function<bool(int frameIndex, const QImage& picture)>& shown);
