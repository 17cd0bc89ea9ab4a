// Whole-image optimisation and the frame-level crop and merge it is built from.
//
// Every step here must leave the picture shown for each frame unchanged; the few conditions
// that go beyond the obvious exist because a disposal method would otherwise expose the change.
#include "gif/GIFException.h"
#include "gif/GIFImage.h"

#include <algorithm>

namespace {

int disposalOf(const TGIFSubImage* frame)
{
    return frame->graphicControlExtension() ? frame->graphicControlExtension()->disposal() : 0;
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
    if (m_gce->disposal() == dpBackground)
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
    const int previousDisposal = disposalOf(previous);
    if (previousDisposal == 2 || previousDisposal == 3)
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
            const int candidate = other->transparentIndex();
            if (candidate >= 0 && !contains(this, uint8_t(candidate)))
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

void TGIFImage::optimize(TGIFOptimizeOptions options, TColorReduction colorReduction, TDitherMode, int)
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
                if (gce && (gce->disposal() == dpBackground || gce->disposal() == dpPrevious) && !next->transparent() &&
                    !next->empty() && disposalOf(next) != 3 &&
                    next->boundsRect().intersected(frame->boundsRect()) == frame->boundsRect())
                    gce->setDisposal(dpNone);
                step(1);
            }
            done += frameCount - std::max(0, m_images.count() - 1);
        } else {
            done += 2 * frameCount;
        }

        if (options & ooMerge) {
            for (int c = m_images.count() - 1; c >= 1; --c) {
                int p = c - 1;
                while (p > 0 && disposalOf(m_images.subImage(p)) == 3 &&
                       m_images.subImage(p)->graphicControlExtension())
                    --p;
                m_images.subImage(c)->merge(m_images.subImage(p));
                step(1);
            }
            done += 1;
        } else {
            done += frameCount;
        }

        if (options & ooCrop) {
            for (int c = m_images.count() - 1; c >= 0; --c) {
                TGIFSubImage* frame = m_images.subImage(c);
                if (!frame->empty() && frame->transparent()) {
                    const int delay =
                        frame->graphicControlExtension() ? frame->graphicControlExtension()->delay() : 0;
                    frame->crop();
                    if (frame->empty()) {
                        TGIFSubImage* before = c > 0 ? m_images.subImage(c - 1) : nullptr;
                        if (before && before->transparent() && before->graphicControlExtension()) {
                            TGIFGraphicControlExtension* gce = before->graphicControlExtension();
                            gce->setDelay(uint16_t(std::min(0xFFFF, gce->delay() + delay)));
                        }
                        m_images.deleteAt(c);
                    }
                }
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
                    (gce->disposal() < 2 || single))
                    delete gce;
                if (frame->empty() && frame->extensions().count() == 0)
                    m_images.deleteAt(i);
            }
            step(0);
        }

        if (!(options & ooCleanup) && (options & ooReduceColors) && colorReduction == rmPalette)
            throw GIFException(QStringLiteral("Invalid reduction method"));
    } catch (...) {
        reportProgress(psEnding, 0, false, message);
        throw;
    }
    reportProgress(psEnding, 100, false, message);
}
