// Fuzz target for bitmap bytes handed over by automation clients (IFrame.SetBitmap, AddFrame,
// AddFrameNoPrompts): any byte string either loads as a bitmap no side of which exceeds what a
// GIF frame holds, or is refused and leaves the target bitmap as it was. What loads is handed
// back as bytes and must load again with the same size and format.
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int64_t kFuzzPixelLimit = int64_t(1) << 22;

int32_t le32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

// Run-length files may declare up to the engine's limit in a few bytes; the fuzzer explores
// faster on small pictures, and the limit checks are the same code at any size.
bool smallEnough(const uint8_t* data, size_t size)
{
    if (size < 26)
        return true;
    const uint32_t infoSize = uint32_t(le32(data + 14));
    int64_t width = 0;
    int64_t height = 0;
    if (infoSize == 12) {
        width = data[18] | (data[19] << 8);
        height = data[20] | (data[21] << 8);
    } else {
        width = le32(data + 18);
        height = le32(data + 22);
    }
    return std::llabs(width) * std::llabs(height) <= kFuzzPixelLimit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!smallEnough(data, size))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TBitmap bitmap(3, 2, pf8bit);
    if (!loadBitmapTransferValue(bytes, bitmap)) {
        if (bitmap.width() != 3 || bitmap.height() != 2 || bitmap.pixelFormat() != pf8bit)
            std::abort(); // a refused value changed the bitmap
        return 0;
    }
    if (bitmap.empty() || bitmap.width() > kMaxTransferSide || bitmap.height() > kMaxTransferSide)
        std::abort();
    const QByteArray again = bitmapTransferValue(&bitmap);
    TBitmap reloaded;
    if (!loadBitmapTransferValue(again, reloaded))
        std::abort();
    if (reloaded.width() != bitmap.width() || reloaded.height() != bitmap.height())
        std::abort();
    return 0;
}
