#include "gif/GIFRender.h"

#include "gif/ColorLookup.h"
#include "gif/Ditherers.h"
#include "gif/GIFException.h"
#include "gif/GIFFrameData.h"
#include "gif/GIFImage.h"
#include "gif/SystemPalettes.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"

#include <algorithm>

namespace {

TGIFDrawOptions frameDrawOptions(TGIFSubImage& frame)
{
    return frame.image() ? frame.image()->drawOptions() : GIFDefaultDrawOptions;
}

QSize screenSizeOf(TGIFSubImage& frame)
{
    if (TGIFImage* image = frame.image(); image && image->width() > 0 && image->height() > 0)
        return QSize(image->width(), image->height());
    return QSize(std::max(frame.left() + frame.width(), 1), std::max(frame.top() + frame.height(), 1));
}

// An 8-bit bitmap must have a colour for every index a pixel holds: a short palette is padded
// with black (indexes past a colour map show black, as the decoder's readers expect).
HPALETTE paletteCovering(HPALETTE palette, const TGIFSubImage& frame)
{
    if (!palette || palette->entries.empty())
        return defaultPalette(pf8bit);
    const size_t count = palette->entries.size();
    if (count >= 256)
        return palette;
    const uint8_t* data = frame.data();
    const uint8_t highest = data ? *std::max_element(data, data + frame.dataSize()) : 0;
    if (size_t(highest) < count)
        return palette;
    std::vector<TPaletteEntry> entries = palette->entries;
    entries.resize(256);
    return createPalette(std::move(entries), palette->version);
}

void setMaskBit(TBitmap& mask, int x, int y)
{
    mask.scanLine(y)[x >> 3] |= uint8_t(0x80u >> (x & 7));
}

// Reports rendering progress and always reports the end, also when an error passes through.
class TRenderProgress
{
public:
    explicit TRenderProgress(TGIFImage* image) : m_image(image)
    {
        if (m_image)
            m_image->reportProgress(psStarting, 0, false, message());
    }
    ~TRenderProgress()
    {
        if (!m_image)
            return;
        try {
            m_image->progress(m_image, psEnding, m_completed ? 100 : 0, m_image->paletteModified(), QRect(),
                              message());
        } catch (...) {
            // The end of an abandoned rendering has nothing left to abort.
        }
    }
    void row(int y, int height)
    {
        if (m_image && y % 32 == 0)
            m_image->reportProgress(psRunning, mulDiv(y, 100, height), false, message());
    }
    void completed() { m_completed = true; }

private:
    static QString message() { return QStringLiteral("Rendering..."); }
    TGIFImage* m_image;
    bool m_completed = false;
};

void renderDithered(TGIFSubImage& frame, TBitmap& bitmap, TBitmap* mask, int transparentIndex,
                    TRenderProgress& progress, bool& anyMasked)
{
    const int width = frame.width();
    const int height = frame.height();
    TGIFColorMap& map = frame.activeColorMap();
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(&lookup, width);
    TColorRGB chosen;
    for (int y = 0; y < height; ++y) {
        progress.row(y, height);
        const uint8_t* source = frame.scanLine(y);
        uint8_t* target = bitmap.scanLine(y);
        for (int step = 0; step < width; ++step) {
            const int x = ditherer.column();
            const uint8_t index = source[x];
            if (mask && index == transparentIndex) {
                ditherer.skip();
                setMaskBit(*mask, x, y);
                anyMasked = true;
                continue;
            }
            if (index < map.count()) {
                const TGIFColor& color = map.entry(index);
                target[x] = ditherer.dither(color.red, color.green, color.blue, chosen);
            } else {
                target[x] = ditherer.dither(0, 0, 0, chosen);
            }
        }
        ditherer.nextLine();
    }
}

void renderPlain(TGIFSubImage& frame, TBitmap& bitmap, TBitmap* mask, int transparentIndex,
                 TRenderProgress& progress, bool& anyMasked)
{
    const int width = frame.width();
    const int height = frame.height();
    for (int y = 0; y < height; ++y) {
        progress.row(y, height);
        const uint8_t* source = frame.scanLine(y);
        std::copy(source, source + width, bitmap.scanLine(y));
        if (!mask)
            continue;
        for (int x = 0; x < width; ++x) {
            if (source[x] == transparentIndex) {
                setMaskBit(*mask, x, y);
                anyMasked = true;
            }
        }
    }
}

void drawBitmapInto(TCanvas& canvas, const QRect& dest, TBitmap& bitmap, TBitmap* mask, const QRect& source)
{
    if (mask)
        canvas.drawMasked(dest, bitmap, *mask, source);
    else
        canvas.drawImage(dest, bitmap.drawableImage(), source);
}

} // namespace

void gifForEachTile(const QRect& rect, const QSize& screen, const QRect& place,
                    const std::function<void(const QRect& dest, const QPoint& sourceOffset)>& draw)
{
    if (screen.isEmpty())
        return;
    for (int y = rect.top(); y <= rect.bottom(); y += screen.height()) {
        for (int x = rect.left(); x <= rect.right(); x += screen.width()) {
            const QRect dest = place.translated(x, y) & rect;
            if (!dest.isEmpty())
                draw(dest, dest.topLeft() - place.topLeft() - QPoint(x, y));
        }
    }
}

QSize gifScreenSize(TGIFSubImage& frame)
{
    return screenSizeOf(frame);
}

QRect gifFrameRectIn(TGIFSubImage& frame, const QRect& rect)
{
    const QSize screen = screenSizeOf(frame);
    const QRect own = frame.boundsRect();
    const int left = rect.left() + mulDiv(own.left(), rect.width(), screen.width());
    const int top = rect.top() + mulDiv(own.top(), rect.height(), screen.height());
    const int right = rect.left() + mulDiv(own.left() + own.width(), rect.width(), screen.width());
    const int bottom = rect.top() + mulDiv(own.top() + own.height(), rect.height(), screen.height());
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool gifDitheringApplies(TGIFDrawOptions options)
{
    return (options & goDither) && (!(options & goAutoDither) || gifSettings().paletteDevice);
}

HPALETTE gifFramePalette(TGIFSubImage& frame)
{
    if (const auto& bitmap = frame.bitmap(); bitmap && bitmap->palette())
        return bitmap->palette();
    if (frame.palette())
        return frame.palette();
    if (gifDitheringApplies(frameDrawOptions(frame))) {
        frame.setPalette(webPalette());
        return frame.palette();
    }
    if (frame.colorMap().count() > 0) {
        frame.setPalette(frame.colorMap().exportPalette());
        return frame.palette();
    }
    if (TGIFImage* image = frame.image()) {
        try {
            return image->palette();
        } catch (const GIFException&) {
            // The image asked this very frame (its first) for a palette: nothing has colours.
        }
    }
    return {};
}

namespace {

// Everything the frame's rendering is made from: pixels, size, transparency, the colours of the
// map that applies and the dithering choice.
uint64_t frameRenderKey(TGIFSubImage& frame, bool dither)
{
    const TGIFColorMap* map = &frame.colorMap();
    if (map->count() == 0 && frame.image())
        map = &frame.image()->globalColorMap();
    const std::vector<TGIFColor>& colors = map->entries();
    static_assert(sizeof(TGIFColor) == 3);
    const uint64_t fields[] = {
        gifPixelHash(frame.data(), size_t(frame.dataSize())),
        gifPixelHash(reinterpret_cast<const uint8_t*>(colors.data()), colors.size() * sizeof(TGIFColor)),
        uint64_t(frame.width()) << 32 | uint64_t(frame.height()),
        uint64_t(frame.transparent()) << 32 | uint32_t(frame.transparentIndex()),
        uint64_t(dither),
    };
    return gifPixelHash(reinterpret_cast<const uint8_t*>(fields), sizeof fields) | 1; // 0 = never rendered
}

} // namespace

void gifRenderFrame(TGIFSubImage& frame)
{
    const uint64_t key = frameRenderKey(frame, gifDitheringApplies(frameDrawOptions(frame)));
    if (frame.bitmap()) {
        if (frame.renderKey() == key)
            return;
        // Pixels or colours changed behind the cache's back: render again from scratch.
        frame.freeBitmap();
        frame.freeMask();
        frame.freePalette();
    }
    frame.setRenderKey(key);
    TGIFImage* image = frame.image();
    if (frame.empty()) {
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->setPixelFormat(pf8bit);
        bitmap->setPalette(paletteCovering(gifFramePalette(frame), frame));
        bitmap->setSize(frame.width(), frame.height());
        frame.setBitmap(std::move(bitmap));
        return;
    }
    const int width = frame.width();
    const int height = frame.height();
    const bool dither = gifDitheringApplies(frameDrawOptions(frame));
    const int transparentIndex = frame.transparentIndex();
    const bool wantMask = frame.needMask() && frame.transparent() && transparentIndex >= 0;
    try {
        TRenderProgress progress(image);
        const HPALETTE palette = dither ? webPalette() : paletteCovering(gifFramePalette(frame), frame);
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->loadFromBits(width, height, pf8bit, palette, frame.data(), width);
        std::shared_ptr<TBitmap> mask;
        if (wantMask) {
            mask = std::make_shared<TBitmap>(width, height, pf1bit);
            mask->setPalette(monochromePalette());
        }
        bool anyMasked = false;
        if (dither)
            renderDithered(frame, *bitmap, mask.get(), transparentIndex, progress, anyMasked);
        else
            renderPlain(frame, *bitmap, mask.get(), transparentIndex, progress, anyMasked);
        frame.setNeedMask(false);
        frame.setMask(anyMasked ? std::move(mask) : nullptr);
        if (dither && !frame.palette())
            frame.setPalette(palette);
        frame.setBitmap(std::move(bitmap));
        progress.completed();
    } catch (const EAbort&) {
        return; // the user cancelled: no bitmap, and drawing shows nothing for this frame
    }
    if (image && image->paletteModified())
        image->changed(image);
}

TBitmap* gifFrameBitmap(TGIFSubImage& frame)
{
    gifRenderFrame(frame);
    return frame.bitmap().get();
}

bool gifFrameHasMask(TGIFSubImage& frame)
{
    gifRenderFrame(frame); // a stale rendering takes its stale mask answer with it
    if (frame.needMask() && frame.transparent()) {
        frame.freeBitmap();
        gifRenderFrame(frame);
    }
    return frame.mask() != nullptr;
}

void gifFrameDraw(TGIFSubImage& frame, TCanvas& canvas, const QRect& rect, bool transparent, bool tile)
{
    TBitmap* bitmap = gifFrameBitmap(frame);
    if (!bitmap || bitmap->empty() || rect.isEmpty())
        return;
    TBitmap* mask =
        transparent && frame.transparent() && gifFrameHasMask(frame) ? frame.mask().get() : nullptr;
    bitmap = frame.bitmap().get(); // the mask question may have rendered it again
    if (!bitmap)
        return;
    if (tile) {
        gifForEachTile(rect, screenSizeOf(frame), frame.boundsRect(),
                       [&](const QRect& dest, const QPoint& offset) {
                           drawBitmapInto(canvas, dest, *bitmap, mask, QRect(offset, dest.size()));
                       });
        return;
    }
    drawBitmapInto(canvas, gifFrameRectIn(frame, rect), *bitmap, mask, QRect());
}

void gifFrameStretchDraw(TGIFSubImage& frame, TCanvas& canvas, const QRect& rect, bool transparent)
{
    TBitmap* bitmap = gifFrameBitmap(frame);
    if (!bitmap || bitmap->empty() || rect.isEmpty())
        return;
    TBitmap* mask =
        transparent && frame.transparent() && gifFrameHasMask(frame) ? frame.mask().get() : nullptr;
    if ((bitmap = frame.bitmap().get()))
        drawBitmapInto(canvas, rect, *bitmap, mask, QRect());
}

void gifDrawComposed(TBitmap& bitmap, TCanvas& canvas, const QRect& rect, bool tile, const QSize& screenSize)
{
    if (bitmap.empty() || rect.isEmpty())
        return;
    if (!tile) {
        canvas.drawImage(rect, bitmap.drawableImage());
        return;
    }
    const QImage picture = bitmap.drawableImage();
    gifForEachTile(rect, screenSize, QRect(QPoint(0, 0), screenSize),
                   [&](const QRect& dest, const QPoint& offset) {
                       canvas.drawImage(dest, picture, QRect(offset, dest.size()));
                   });
}

std::shared_ptr<TBitmap> gifComposeFirstFrame(TGIFImage& image)
{
    if (image.images().count() == 0)
        return nullptr;
    TGIFSubImage& first = *image.images().subImage(0);
    if (first.left() == 0 && first.top() == 0 && first.width() == image.width() &&
        first.height() == image.height()) {
        TBitmap* rendered = gifFrameBitmap(first);
        if (!rendered)
            return nullptr;
        auto copy = std::make_shared<TBitmap>();
        copy->assign(rendered);
        return copy;
    }
    HPALETTE palette;
    try {
        palette = image.palette();
    } catch (const GIFException&) {
        // Re-entered from a palette lookup in progress: compose without a colour table.
    }
    auto bitmap = std::make_shared<TBitmap>();
    bitmap->setPixelFormat(pf8bit);
    bitmap->setPalette(palette ? palette : defaultPalette(pf8bit));
    bitmap->setSize(image.width(), image.height());
    gifFrameDraw(first, bitmap->canvas(), QRect(0, 0, image.width(), image.height()), false, false);
    return bitmap;
}
