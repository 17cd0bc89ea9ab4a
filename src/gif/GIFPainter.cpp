#include "gif/GIFPainter.h"

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "graphics/MainThreadDispatcher.h"

#include <QDebug>
#include <algorithm>

namespace {

std::shared_ptr<TPainterClock>& clockSlot()
{
    static std::shared_ptr<TPainterClock> clock;
    return clock;
}

TColor painterBackground(TGIFImage& image)
{
    if (image.drawBackgroundColor() != clNone)
        return image.drawBackgroundColor();
    if (image.globalColorMap().count() == 0)
        return clWindow;
    return image.header().backgroundColor();
}

std::unique_ptr<TBitmap> bufferCopy(TCanvas& target, const QRect& rect)
{
    auto buffer = std::make_unique<TBitmap>(rect.width(), rect.height(), pfDevice);
    buffer->canvas().copyRect(QRect(QPoint(0, 0), rect.size()), target, rect);
    return buffer;
}

} // namespace

std::shared_ptr<TPainterClock> painterClock()
{
    if (!clockSlot())
        clockSlot() = std::make_shared<TRealPainterClock>();
    return clockSlot();
}

void setPainterClock(std::shared_ptr<TPainterClock> clock)
{
    clockSlot() = std::move(clock);
}

TGIFPainter::TGIFPainter(TGIFImage* image, TCanvas* canvas, const QRect& rect, TGIFDrawOptions options,
                         TGIFPainter** ownerSlot)
    : m_image(image), m_canvas(canvas), m_rect(rect), m_options(options), m_ownerSlot(ownerSlot),
      m_clock(painterClock()), m_settings(gifSettings()), m_speed(image->animationSpeed())
{
    // The wake-up event lets stop() cut a wait short; only an asynchronous painter waits on it.
    if (isAsync())
        m_wake = std::make_unique<TPainterWakeEvent>();
    m_backgroundColor = painterBackground(*image);

    bool disposalUsed[8] = {};
    TGIFImageList& frames = image->images();
    for (int i = 0; i < frames.count(); ++i) {
        if (const TGIFGraphicControlExtension* gce = frames.subImage(i)->graphicControlExtension())
            disposalUsed[gce->disposal() & 7] = true;
    }
    if (options & goClearOnLoop)
        disposalUsed[2] = true;
    if (disposalUsed[2] && (options & goTransparent))
        m_background = bufferCopy(*canvas, rect);
    if (disposalUsed[2] || disposalUsed[3]) {
        m_compose = bufferCopy(*canvas, rect);
        m_compose->canvas().brush() = {m_backgroundColor, bsSolid};
        m_previous = std::make_unique<TBitmap>(rect.width(), rect.height(), pfDevice);
        m_previous->canvas().brush() = {m_backgroundColor, bsSolid};
    }
}

TGIFPainter::~TGIFPainter() = default;

void TGIFPainter::start()
{
    if (!isAsync() || m_started)
        return;
    m_started = true;
    std::thread thread(&TGIFPainter::threadMain, this);
    m_threadId = thread.get_id();
    thread.detach(); // the painter frees itself when the thread ends
}

void TGIFPainter::stop()
{
    m_stop.store(true);
    if (!isAsync())
        return;
    if (m_wake)
        m_wake->set();
    if (!m_started)
        start(); // a painter that never ran must still run to its end to leave the list
}

void TGIFPainter::restart()
{
    m_restart.store(true);
    if (m_wake)
        m_wake->set();
}

void TGIFPainter::detach()
{
    m_stop.store(true);
    if (m_wake)
        m_wake->set();
    if (m_image) {
        auto& list = m_image->painters();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    if (m_ownerSlot && *m_ownerSlot == this)
        *m_ownerSlot = nullptr;
    m_ownerSlot = nullptr;
    m_image = nullptr;
    m_canvas = nullptr;
}

void TGIFPainter::onMain(const std::function<void()>& work)
{
    if (isAsync())
        TMainThreadDispatcher::instance().run(work);
    else
        work();
}

void TGIFPainter::fire(const TNotifyEvent& event)
{
    if (!event)
        return;
    onMain([&] {
        if (m_image)
            event(this);
    });
}

void TGIFPainter::runSynchronously()
{
    body();
    finish();
    std::exception_ptr error = m_error;
    delete this;
    if (error)
        std::rethrow_exception(error);
}

void TGIFPainter::threadMain()
{
    body();
    finish();
    if (m_error) {
        // Nobody can catch in this thread; the error ends the animation and is reported.
        try {
            std::rethrow_exception(m_error);
        } catch (const std::exception& e) {
            qWarning("Animation painter ended by an error: %s", e.what());
        } catch (...) {
            qWarning("Animation painter ended by an error");
        }
    }
    delete this;
}

void TGIFPainter::finish()
{
    onMain([this] {
        if (m_image) {
            std::lock_guard lock(m_image->paintersLock());
            auto& list = m_image->painters();
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
            if (m_ownerSlot && *m_ownerSlot == this)
                *m_ownerSlot = nullptr;
        }
        m_image = nullptr;
        m_canvas = nullptr;
        m_compose.reset();
        m_previous.reset();
        m_background.reset();
    });
    TMainThreadDispatcher::instance().wake();
}

void TGIFPainter::body()
{
    try {
        if (m_options & goValidateCanvas)
            onMain([this] { m_targetHandle = m_canvas ? m_canvas->handle() : 0; });
        m_restart.store(true);
        while (m_restart.load() && !m_stop.load()) {
            m_frameIndex.store(0);
            fire(onStartPaint);
            m_hasPainted.store(false);
            m_restart.store(false);
            int loopsLeft = 1;
            int loopStart = 0;
            bool loopSeen = false;
            // The delay (hundredths) before the next frame: none before an asynchronous first
            // frame; a synchronous painter waits at least a moment even then.
            int64_t waitValue = isAsync() ? 0 : 1;
            m_previousDisposal = 1;
            int64_t previousTime = m_clock->now();
            int64_t previousWait = 0;
            while ((loopsLeft != 0 || (m_options & goLoopContinously)) && running()) {
                m_frameIndex.store(loopStart);
                if (m_hasPainted.load())
                    fire(onLoop);
                for (;;) {
                    const int index = m_frameIndex.load();
                    if (!running() || !frameAvailable(index))
                        break;
                    if (waitValue < 1) {
                        std::this_thread::yield();
                    } else {
                        onMain([&] { renderFrame(index); }); // rendering time counts against the delay
                        waitForFrame(waitValue, previousTime, previousWait);
                    }
                    if (!running())
                        break;
                    fire(onPaint);
                    if (!running())
                        break;
                    int64_t nextDelay = m_settings.defaultDelay;
                    onMain(
                        [&] { nextDelay = showFrame(m_frameIndex.load(), loopsLeft, loopStart, loopSeen); });
                    waitValue = nextDelay;
                    if (!running())
                        break;
                    const int shown = m_frameIndex.load();
                    fire(onAfterPaint);
                    // An after-frame handler may have chosen the next frame itself.
                    if (m_frameIndex.load() == shown)
                        m_frameIndex.store(shown + 1);
                    if (!(m_options & goAnimate))
                        break;
                }
                if (loopsLeft > 0)
                    --loopsLeft;
                if ((m_options & (goAnimate | goLoop)) != (goAnimate | goLoop))
                    break;
            }
        }
    } catch (...) {
        m_error = std::current_exception();
        m_stop.store(true);
    }
    m_frameIndex.store(-1);
    try {
        fire(onEndPaint);
    } catch (...) {
        if (!m_error)
            m_error = std::current_exception();
    }
}

void TGIFPainter::waitForFrame(int64_t waitValue, int64_t& previousTime, int64_t& previousWait)
{
    const int64_t multiplier = m_settings.delayMultiplier;
    const int speed = m_speed.load();
    const int64_t now = m_clock->now();
    const int64_t elapsed = now - (previousTime + previousWait);
    int64_t wait;
    if (speed < 1)
        wait = isAsync() ? -1 : int64_t(m_settings.maximumDelay) * multiplier;
    else
        wait = (waitValue * multiplier - elapsed / 2) * 100 / speed;
    previousTime = now;
    previousWait = wait;
    if (!isAsync()) {
        synchronousWait(wait);
        return;
    }
    if (wait > 0 || speed == 0) {
        if (m_clock->waitForEvent(*m_wake, wait)) {
            // Woken (stop, restart, speed change): the next wait starts from now.
            previousTime = m_clock->now();
            previousWait = 0;
        }
    }
}

void TGIFPainter::synchronousWait(int64_t milliseconds)
{
    // In the caller's thread: sleep in slices, serving other painters' main-thread work between
    // them so that they do not stall behind this one.
    const int64_t until = m_clock->now() + std::max<int64_t>(milliseconds, 1);
    while (!m_stop.load()) {
        const int64_t now = m_clock->now();
        if (now >= until)
            break;
        m_clock->sleep(std::min<int64_t>(until - now, 100));
        if (TMainThreadDispatcher::instance().isMainThread())
            TMainThreadDispatcher::instance().processRequests();
    }
}

bool TGIFPainter::frameAvailable(int index)
{
    bool available = false;
    onMain([&] {
        if (!m_image || index < 0 || index >= m_image->images().count())
            return;
        available = !m_image->images().subImage(index)->empty();
    });
    return available;
}

void TGIFPainter::renderFrame(int index)
{
    if (m_image && index >= 0 && index < m_image->images().count())
        gifRenderFrame(*m_image->images().subImage(index));
}

int64_t TGIFPainter::showFrame(int index, int& loopsLeft, int& loopStart, bool& loopSeen)
{
    int64_t delay = m_settings.defaultDelay;
    // A before-frame handler may have changed the image: look again.
    if (!m_image || index < 0 || index >= m_image->images().count()) {
        m_stop.store(true);
        return delay;
    }
    TGIFSubImage& frame = *m_image->images().subImage(index);
    m_disposal = 1;
    TGIFExtensionList& extensions = frame.extensions();
    for (int i = 0; i < extensions.count(); ++i) {
        TGIFExtension* extension = extensions.extension(i);
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension); loop && !loopSeen) {
            loopSeen = true;
            const int count = loop->loops();
            loopsLeft = count + (count >= 1 && count <= 65534 ? 1 : 0);
            if ((loopsLeft == 0 || (m_options & goLoopContinously)) && isAsync())
                loopsLeft = -1;
            loopStart = index;
        } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(extension)) {
            m_disposal = gce->disposal();
        }
    }
    if (m_compose) {
        paintBuffered(frame, index);
    } else if (m_canvas) {
        gifFrameDraw(frame, *m_canvas, m_rect, m_options & goTransparent, m_options & goTile);
        m_hasPainted.store(true);
    }
    m_previousDisposal = m_disposal;
    if (const TGIFGraphicControlExtension* gce = frame.graphicControlExtension(); gce && gce->delay() > 0) {
        delay = std::max<int64_t>(gce->delay(), m_settings.minimumDelay);
        if (!isAsync())
            delay = std::min<int64_t>(delay, m_settings.maximumDelay);
    }
    return delay;
}

void TGIFPainter::paintBuffered(TGIFSubImage& frame, int index)
{
    if ((m_options & goValidateCanvas) && !TCanvas::isValidHandle(m_targetHandle)) {
        m_stop.store(true);
        return;
    }
    if (!m_canvas)
        return;
    const bool transparent = m_options & goTransparent;
    const bool tile = m_options & goTile;
    const QRect buffer(QPoint(0, 0), m_rect.size());
    if ((m_options & goClearOnLoop) && index == 0)
        restoreBackground(frame);
    switch (m_disposal) {
    case 0:
    case 1:
    case 2:
        gifFrameDraw(frame, m_compose->canvas(), buffer, transparent, tile);
        m_canvas->copyRect(m_rect, m_compose->canvas(), buffer);
        if (m_disposal == 2)
            restoreBackground(frame);
        break;
    case 3:
        if (m_previousDisposal == 0 || m_previousDisposal == 1) {
            // The compose buffer keeps the picture without this frame for the next one.
            gifFrameDraw(frame, *m_canvas, m_rect, transparent, tile);
        } else {
            m_previous->canvas().copyRect(buffer, m_compose->canvas(), buffer);
            gifFrameDraw(frame, m_previous->canvas(), buffer, transparent, tile);
            m_canvas->copyRect(m_rect, m_previous->canvas(), buffer);
        }
        break;
    default:
        break; // disposal values 4-7 are undefined: nothing is drawn
    }
    m_hasPainted.store(true);
}

void TGIFPainter::restoreBackground(TGIFSubImage& frame)
{
    TCanvas& canvas = m_compose->canvas();
    const QRect buffer(QPoint(0, 0), m_rect.size());
    const bool tile = m_options & goTile;
    const QSize screen = gifScreenSize(frame);
    if ((m_options & goTransparent) && m_background) {
        TCanvas& background = m_background->canvas();
        if (tile) {
            gifForEachTile(buffer, screen, frame.boundsRect(), [&](const QRect& dest, const QPoint&) {
                canvas.copyRect(dest, background, dest);
            });
        } else {
            const QRect area = gifFrameRectIn(frame, buffer);
            canvas.copyRect(area, background, area);
        }
        return;
    }
    if (tile && frame.width() != screen.width() && frame.height() != screen.height()) {
        gifForEachTile(buffer, screen, frame.boundsRect(),
                       [&](const QRect& dest, const QPoint&) { canvas.fillRect(dest); });
    } else {
        canvas.fillRect(gifFrameRectIn(frame, buffer));
    }
}

void gifPlayFramesWhile(TGIFImage& image, TColor background,
                        const std::function<bool(int frameIndex, const QImage& picture)>& shown)
{
    if (image.empty() || image.width() <= 0 || image.height() <= 0)
        return;
    TBitmap screen(image.width(), image.height(), pfDevice);
    screen.canvas().brush() = {background, bsSolid};
    screen.canvas().fillRect(QRect(0, 0, image.width(), image.height()));

    // The painter takes its clock at creation; the previous one is back before anything can throw.
    const std::shared_ptr<TPainterClock> previousClock = painterClock();
    setPainterClock(std::make_shared<TManualPainterClock>());
    const TNotifyEvent previousAfterPaint = image.onAfterPaint;
    struct Restore
    {
        TGIFImage& image;
        std::shared_ptr<TPainterClock> clock;
        TNotifyEvent afterPaint;
        ~Restore()
        {
            setPainterClock(clock);
            image.onAfterPaint = afterPaint;
        }
    } restore{image, previousClock, previousAfterPaint};

    image.onAfterPaint = [&](TObject* sender) {
        auto* painter = static_cast<TGIFPainter*>(sender);
        if (!shown(painter->frameIndex(), screen.toImage()))
            painter->stop();
    };
    const TGIFDrawOptions options = goAnimate | goTransparent;
    // Runs to the end of the animation or to the stop.
    image.paint(screen.canvas(), QRect(0, 0, image.width(), image.height()), options);
}

void gifPlayFrames(TGIFImage& image, TColor background,
                   const std::function<void(int frameIndex, const QImage& picture)>& shown)
{
    gifPlayFramesWhile(image, background, [&](int frameIndex, const QImage& picture) {
        shown(frameIndex, picture);
        return true;
    });
}
