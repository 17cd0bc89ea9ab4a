// Fuzz target for the AVI reader: any byte string is parsed as a RIFF AVI file; the first frames of
// an accepted file go the way the import takes them (uncompressed chunk to packed DIB, the stream
// format's colour table over the frame's, bitmap file, bitmap, new frame reduced to the web
// palette). Each chunk is also taken as a decompressor's packed DIB, whose header a hostile
// decoder output could fill with anything.
#include "gif/ColorReduction.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "platform/AviRiff.h"

#include <QBuffer>
#include <cstdint>

namespace {

void loadFrame(TGIFImage& image, const QByteArray& bitmapFile)
{
    if (bitmapFile.isEmpty())
        return;
    TMemoryStream stream(bitmapFile);
    TBitmap bitmap;
    try {
        bitmap.loadFromStream(stream);
        image.add(&bitmap);
    } catch (const Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    gifSettings().maxFramePixels = int64_t(1) << 22;
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TAviRiffReader reader;
    if (reader.open(buffer) != TAviRiffReader::Status::Ok)
        return 0;
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {
    };
    image.setColorReduction(rmNetscape);
    image.setDitherMode(dmFloydSteinberg);
    int frames = 0;
    for (const TAviIndexEntry& entry : reader.index()) {
        if (++frames > 4)
            break;
        const QByteArray chunk = reader.readChunk(entry);
        loadFrame(image,
                  aviFrameBitmapFile(reader.format(), aviUncompressedFrameDib(reader.format(), chunk)));
        loadFrame(image, aviFrameBitmapFile(reader.format(), chunk));
    }
    return 0;
}
