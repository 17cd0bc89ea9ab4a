#include "graphics/Colors.h"

#include <mutex>

namespace {

std::mutex resolverLock;
TSystemColorResolver& resolverSlot()
{
    static TSystemColorResolver resolver;
    return resolver;
}

QRgb defaultSystemColor(TColor color)
{
    switch (color & 0xFF) {
    case 5:  // window
    case 14: // highlight text
        return qRgb(255, 255, 255);
    case 8: // window text
        return qRgb(0, 0, 0);
    case 13: // highlight
        return qRgb(0, 120, 215);
    case 1: // desktop
        return qRgb(0, 128, 128);
    default: // faces, bars and frames
        return qRgb(240, 240, 240);
    }
}

} // namespace

void setSystemColorResolver(TSystemColorResolver resolver)
{
    std::lock_guard guard(resolverLock);
    resolverSlot() = std::move(resolver);
}

QRgb colorToRgb(TColor color)
{
    if (isSystemColor(color)) {
        // Painters may resolve colours from their own threads; the slot is read under the lock.
        std::lock_guard guard(resolverLock);
        if (resolverSlot())
            return resolverSlot()(color) | 0xFF000000u;
        return defaultSystemColor(color);
    }
    if (color == clNone || color == clDefault)
        return qRgb(0, 0, 0);
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
