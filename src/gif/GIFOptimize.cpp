// Whole-image optimisation and the frame-level crop and merge it is built from.
//
// Every step here must leave the picture shown for each frame unchanged; the few conditions
// that go beyond the obvious exist because a disposal method would otherwise expose the change.
#include "gif/ColorReduction.h"
#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/LZWFullTable.h"
#include "graphics/Streams.h"

#include <algorithm>

namespace {

TGIFDisposal disposalOf(const TGIFSubImage* frame)
{
    return frame->graphicControlExtension() ? frame->graphicControlExtension()->disposal()
                                            : TGIFDisposal::dmNone;
}

bool contains(const TGIFSubImage* frame, uint8_t value)
{
    const uint8_t* pixels = frame->data();
    return pixels && std::find(pixels, pixels + frame->dataSize(), value) != pixels + frame->dataSize();
}

} // namespace

void TGIFSubImage::crop()
{
    if (empty() || !m_transparent || !m_gce)
        return;
    // Restore-to-background clears the frame's whole rectangle after it is shown; a smaller
    // rectangle would leave the previous picture standing around it.
    if (m_gce->disposal() == TGIFDisposal::dmBackground)
        return;
    const uint8_t key = m_gce->transparentColorIndex();
    const int w = m_width;
    const int h = m_height;
    auto opaque = [&](int x, int y) {
        return m_data[size_t(y) * w + x] != key;
    };
    auto columnOpaque = [&](int x) {
        for (int y = 0; y < h; ++y)
            if (opaque(x, y))
                return true;
        return false;
    };
    int firstColumn = 0;
    while (firstColumn < w && !columnOpaque(firstColumn))
        ++firstColumn;
    if (firstColumn == w) {
        clear(); // wholly transparent: the frame becomes empty, extensions and all
        return;
    }
    int lastColumn = w - 1;
    while (!columnOpaque(lastColumn))
        --lastColumn;
    auto rowOpaque = [&](int y) {
        for (int x = firstColumn; x <= lastColumn; ++x)
            if (opaque(x, y))
                return true;
        return false;
    };
    int firstRow = 0;
    while (!rowOpaque(firstRow))
        ++firstRow;
    int lastRow = h - 1;
    while (!rowOpaque(lastRow))
        --lastRow;
    const int newWidth = lastColumn - firstColumn + 1;
    const int newHeight = lastRow - firstRow + 1;
    if (newWidth == w && newHeight == h)
        return;
    std::vector<uint8_t> cropped(size_t(newWidth) * size_t(newHeight));
    for (int y = 0; y < newHeight; ++y)
        std::copy_n(m_data.begin() + ptrdiff_t(size_t(y + firstRow) * w + firstColumn), newWidth,
                    cropped.begin() + ptrdiff_t(size_t(y) * newWidth));
    m_data = std::move(cropped);
    m_left = uint16_t(m_left + firstColumn);
    m_top = uint16_t(m_top + firstRow);
    m_width = uint16_t(newWidth);
    m_height = uint16_t(newHeight);
    freeBitmap();
    freeMask();
}

void TGIFSubImage::merge(TGIFSubImage* previous)
{
    if (empty() || !previous || previous->empty())
        return;
    if (disposalRestores(disposalOf(previous)))
        return;
    const QRect area = boundsRect().intersected(previous->boundsRect());
    if (area.isEmpty())
        return;
    const bool needIndex = !(m_transparent && m_gce);
    int key = needIndex ? -1 : m_gce->transparentColorIndex();
    TGIFColorMap& myMap = activeColorMap();
    TGIFColorMap& theirMap = previous->activeColorMap();
    if (needIndex) {
        const bool local = m_colorMap.count() > 0;
        const int mapCount = local ? m_colorMap.count() : (m_image ? m_image->globalColorMap().count() : 0);
        if ((!local && mapCount == 0) || mapCount >= GIFMaxColors)
            return;
    }
    auto findKey = [&]() -> int {
        const TColor white = rgbColor(255, 255, 255);
        if (m_colorMap.count() > 0)
            return m_colorMap.add(white);
        TGIFImageList& frames = m_image->images();
        for (int i = 0; i < frames.count(); ++i) {
            TGIFSubImage* other = frames.subImage(i);
            if (other == this || !other->transparent() || other->colorMap().count() > 0)
                continue;
            // Reusing another frame's transparent index is only safe when this frame does not
            // already show that index as a colour.
            // An index past the map (as some optimisers write them) cannot be set on this frame.
            const int candidate = other->transparentIndex();
            if (candidate >= 0 && candidate < m_image->globalColorMap().count() &&
                !contains(this, uint8_t(candidate)))
                return candidate;
            break;
        }
        return m_image->globalColorMap().add(white);
    };
    const int theirKey = previous->transparentIndex();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uint8_t* mine = scanLine(y - m_top);
        const uint8_t* theirs = previous->scanLine(y - previous->m_top);
        for (int x = area.left(); x <= area.right(); ++x) {
            uint8_t& pixel = mine[x - m_left];
            const uint8_t other = theirs[x - previous->m_left];
            if ((!needIndex && pixel == key) || other == theirKey)
                continue;
            const bool same = (&myMap == &theirMap && pixel == other) ||
                              (pixel < myMap.count() && other < theirMap.count() &&
                               myMap.entry(pixel) == theirMap.entry(other));
            if (!same)
                continue;
            if (key < 0)
                key = findKey();
            pixel = uint8_t(key);
        }
    }
    if (needIndex && key >= 0) {
        if (!m_gce)
            m_extensions.add(new TGIFGraphicControlExtension(this));
        m_gce->setTransparent(true);
        m_gce->setTransparentColorIndex(key);
    }
    freeBitmap();
    freeMask();
}

bool TGIFSubImage::invisible() const
{
    if (empty() || !m_transparent || !m_gce)
        return false;
    const uint8_t key = m_gce->transparentColorIndex();
    return std::all_of(m_data.begin(), m_data.end(), [key](uint8_t p) { return p == key; });
}

int64_t TGIFSubImage::writtenSize()
{
    // Writing recomputes the descriptor's flags; measuring should not.
    const uint8_t packed = m_packed;
    TMemoryStream stream;
    saveToStream(stream);
    m_packed = packed;
    return stream.size();
}

void TGIFSubImage::cropIfSmaller()
{
    if (empty() || !m_transparent || !m_gce || invisible())
        return;
    const int64_t before = writtenSize();
    const std::vector<uint8_t> pixels = m_data;
    const QRect bounds = boundsRect();
    crop();
    // Equal sizes keep the crop: fewer pixels to decode and to hold.
    if (boundsRect() == bounds || writtenSize() <= before)
        return;
    m_data = pixels;
    m_left = uint16_t(bounds.x());
    m_top = uint16_t(bounds.y());
    m_width = uint16_t(bounds.width());
    m_height = uint16_t(bounds.height());
    freeBitmap();
    freeMask();
}

void TGIFImage::dropInvisibleFrame(int index)
{
    TGIFSubImage* frame = m_images.subImage(index);
    // Restore-to-background clears the rectangle after the frame's time: the frame matters.
    if (disposalOf(frame) == TGIFDisposal::dmBackground)
        return;
    const int delay = frame->graphicControlExtension() ? frame->graphicControlExtension()->delay() : 0;
    TGIFSubImage* before = index > 0 ? m_images.subImage(index - 1) : nullptr;
    const TGIFDisposal beforeDisposal = before ? disposalOf(before) : TGIFDisposal::dmNone;
    TGIFGraphicControlExtension* control = before ? before->graphicControlExtension() : nullptr;
    const int beforeDelay = control ? control->delay() : 0;
    // The frame before goes on showing through this one's time only when its disposal leaves it
    // standing; it then takes over the time, so the animation's timing stays as it was.
    if (before && !disposalRestores(beforeDisposal) && beforeDelay + delay <= 0xFFFF) {
        if (delay > 0) {
            if (!control) {
                control = new TGIFGraphicControlExtension(before);
                before->extensions().add(control);
            }
            control->setDelay(uint16_t(beforeDelay + delay));
        }
        m_images.deleteAt(index);
        return;
    }
    // Otherwise the frame keeps its place and its time with the least it can hold.
    if (frame->width() * frame->height() > 1) {
        const uint8_t key = frame->graphicControlExtension()->transparentColorIndex();
        frame->setBounds(frame->left(), frame->top(), 1, 1);
        frame->setData({key});
    }
}

void TGIFImage::optimize(TGIFOptimizeOptions options, uint8_t colorReduction, uint8_t, int)
{
    if (empty())
        return;
    stopPainting();
    std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
    const QString message = QStringLiteral("Optimizing...");
    const int frameCount = m_images.count();
    const int totalUnits = frameCount * 6;
    int done = 0;
    auto step = [&](int units) {
        done += units;
        reportProgress(psRunning, mulDiv(done, 100, totalUnits), false, message);
    };
    reportProgress(psStarting, 0, false, message);
    try {
        if (options & ooColorMap) {
            // A local map that repeats colours of the global map costs its own bytes. First, while
            // the global map still holds every colour (sorting drops its unused entries).
            for (int i = 0; i < m_images.count(); ++i)
                m_images.subImage(i)->useGlobalMapIfSmaller();
            if (globalColorMap().count() > 0)
                globalColorMap().optimize();
            for (int i = 0; i < m_images.count(); ++i) {
                TGIFSubImage* frame = m_images.subImage(i);
                if (frame->colorMap().count() > 0)
                    frame->colorMap().optimize();
                step(1);
            }

        } else {
            done += frameCount;
        }

        if (options & ooCleanup) {
            for (int i = 0; i < m_images.count(); ++i) {
                TGIFSubImage* frame = m_images.subImage(i);
                if (frame->transparent() && frame->graphicControlExtension() &&
                    !contains(frame, frame->graphicControlExtension()->transparentColorIndex()))
                    frame->graphicControlExtension()->setTransparent(false);
                step(1);
            }
            for (int i = 0; i + 1 < m_images.count(); ++i) {
                TGIFSubImage* frame = m_images.subImage(i);
                TGIFSubImage* next = m_images.subImage(i + 1);
                TGIFGraphicControlExtension* gce = frame->graphicControlExtension();
                // The disposal is moot only when the next frame paints over all of this one
                // with opaque pixels and does not itself restore what was under it.
                if (gce && disposalRestores(gce->disposal()) && !next->transparent() && !next->empty() &&
                    disposalOf(next) != TGIFDisposal::dmPrevious &&
                    next->boundsRect().intersected(frame->boundsRect()) == frame->boundsRect())
                    gce->setDisposal(TGIFDisposal::dmNone);
                step(1);
            }
            done += frameCount - std::max(0, m_images.count() - 1);
        } else {
            done += 2 * frameCount;
        }

        if (options & ooMerge) {
            // Frames are taken in order over the picture they are drawn on; each keeps what it
            // shows, so the picture goes on the same whichever form it takes.
            int screenWidth = m_header.width();
            int screenHeight = m_header.height();
            for (int c = 0; c < m_images.count(); ++c) {
                screenWidth = std::max(screenWidth, m_images.subImage(c)->left() + m_images.subImage(c)->width());
                screenHeight = std::max(screenHeight, m_images.subImage(c)->top() + m_images.subImage(c)->height());
            }
            TGIFScreenPicture screen(screenWidth, screenHeight);
            for (int c = 0; c < m_images.count(); ++c) {
                TGIFSubImage* frame = m_images.subImage(c);
                if (frame->colorMap().count() == 0 && !frame->empty() &&
                    gifLargestPixel(frame->data(), size_t(frame->dataSize())) >= globalColorMap().count())
                    screen.globalMapMayGrow = false;
            }
            for (int c = 0; c < m_images.count(); ++c) {
                TGIFSubImage* frame = m_images.subImage(c);
                const TGIFDisposal disposal = disposalOf(frame);
                std::vector<uint32_t> under;
                if (disposal == TGIFDisposal::dmPrevious)
                    under = screen.pixels;
                if (c > 0)
                    frame->mergeIfSmaller(screen);
                screen.draw(*frame);
                // Values past 3 are read differently by viewers: nothing may rely on what stays.
                if (disposal == TGIFDisposal::dmBackground || !isNamedDisposal(disposal))
                    screen.clear(frame->boundsRect());
                else if (disposal == TGIFDisposal::dmPrevious)
                    screen.pixels = std::move(under);
                step(1);
            }
        } else {
            done += frameCount;
        }

        if (options & ooCrop) {
            for (int c = m_images.count() - 1; c >= 0; --c) {
                TGIFSubImage* frame = m_images.subImage(c);
                if (frame->invisible())
                    dropInvisibleFrame(c);
                else
                    frame->cropIfSmaller();
                step(1);
            }
        } else {
            done += frameCount;
        }

        done += frameCount - 1;
        step(1);

        if (options & ooCleanup) {
            const bool single = m_images.count() == 1;
            for (int i = m_images.count() - 1; i >= 0; --i) {
                TGIFSubImage* frame = m_images.subImage(i);
                TGIFExtensionList& extensions = frame->extensions();
                for (int e = extensions.count() - 1; e >= 0; --e) {
                    TGIFExtension* extension = extensions.extension(e);
                    const bool isLoop = dynamic_cast<TGIFAppExtNSLoop*>(extension) != nullptr;
                    if (dynamic_cast<TGIFCommentExtension*>(extension) ||
                        dynamic_cast<TGIFTextExtension*>(extension) ||
                        dynamic_cast<TGIFUnknownAppExtension*>(extension) || (isLoop && (i != 0 || single)))
                        extensions.deleteAt(e);
                }
                TGIFGraphicControlExtension* gce = frame->graphicControlExtension();
                if (gce && (gce->delay() == 0 || single) && !gce->transparent() && !gce->userInput() &&
                    (disposalLeavesFrame(gce->disposal()) || single))
                    delete gce;
                if (frame->empty() && frame->extensions().count() == 0)
                    m_images.deleteAt(i);
            }
            step(0);
        }

        // Last, when nothing else changes the pixels: the smallest LZW data (a smaller code size,
        // a full table kept). Only the kept data differs; the pixels and what any decoder shows
        // stay the same.
        if (options & (ooMerge | ooCrop)) {
            for (int i = 0; i < m_images.count(); ++i)
                keepSmallestEncoding(*m_images.subImage(i));
        }

        if (!(options & ooCleanup) && (options & ooReduceColors) && colorReduction == rmPalette)
            throw GIFException(QStringLiteral("Invalid reduction method"));
    } catch (...) {
        reportProgress(psEnding, 0, false, message);
        throw;
    }
    reportProgress(psEnding, 100, false, message);
}
