// Fuzz target for the GIF reader, the attack surface of the program: any byte string is loaded
// from a stream; whatever loads is saved with both encoders and loaded again, and the second load
// must give the same frames as the first.
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFTypes.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Frames without pixels are written as their extensions only, which the next load attaches to the
// following frame, so only the frames that hold pixels are compared.
std::vector<TGIFSubImage*> framesWithPixels(TGIFImage& image)
{
    std::vector<TGIFSubImage*> frames;
    for (int i = 0; i < image.images().count(); ++i)
        if (!image.images().subImage(i)->empty())
            frames.push_back(image.images().subImage(i));
    return frames;
}

bool sameFrames(TGIFImage& a, TGIFImage& b)
{
    const std::vector<TGIFSubImage*> first = framesWithPixels(a);
    const std::vector<TGIFSubImage*> second = framesWithPixels(b);
    if (first.size() != second.size())
        return false;
    for (size_t i = 0; i < first.size(); ++i) {
        TGIFSubImage* x = first[i];
        TGIFSubImage* y = second[i];
        if (x->width() != y->width() || x->height() != y->height() || x->left() != y->left() || x->top() != y->top())
            return false;
        if (x->dataSize() != y->dataSize() || std::memcmp(x->data(), y->data(), size_t(x->dataSize())) != 0)
            return false;
    }
    return true;
}

void roundTrip(TGIFImage& image, uint8_t compression)
{
    TMemoryStream saved;
    image.setCompression(compression);
    try {
        image.saveToStream(saved);
    } catch (const Exception&) {
        // Pixels beyond their colour table cannot be written; the writer refuses them cleanly.
        return;
    }
    saved.setPosition(0);
    TGIFImage again;
    again.loadFromStream(saved);
    if (!sameFrames(image, again))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Frames within the editor's limits may be huge; the fuzzer explores faster with small ones,
    // and the limits themselves are exercised by the same code path at any size.
    gifSettings().maxFramePixels = int64_t(1) << 22;
    gifSettings().maxLoadPixels = int64_t(1) << 24;
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {};
    try {
        image.loadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    roundTrip(image, 0);
    roundTrip(image, 1);
    return 0;
}
