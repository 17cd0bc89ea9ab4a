#include "gif/GIFSubImage.h"

#include "gif/FrameImport.h"
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFException.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamIO.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"

#include <algorithm>
#include <atomic>

int64_t gifCheckedPixelCount(int width, int height)
{
    const int64_t count = int64_t(std::max(width, 0)) * int64_t(std::max(height, 0));
    if (count > gifSettings().maxFramePixels)
        throw GIFException(QString::fromLatin1(gifmsg::FrameTooLarge));
    return count;
}

namespace {
std::atomic<uint64_t> nextSerial{1};
}

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), m_serial(nextSerial.fetch_add(1, std::memory_order_relaxed)), m_colorMap(this),
      m_extensions(this)
{
}

TGIFSubImage::~TGIFSubImage()
{
    if (m_image)
        m_image->images().remove(this);
    clear();
    m_palette.reset();
}

void TGIFSubImage::clear()
{
    m_extensions.clear(); // the graphic control extension's destructor drops m_gce and the flag
    m_colorMap.clear();
    m_data.clear();
    m_data.shrink_to_fit();
    m_height = 0;
    m_width = 0;
    m_transparent = false;
    m_gce = nullptr;
    freeBitmap();
    freeMask();
    m_encoded.reset();
}

TGIFAppExtNSLoop* TGIFSubImage::loopExtension() const
{
    for (int i = 0; i < m_extensions.count(); ++i)
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(m_extensions.extension(i)))
            return loop;
    return nullptr;
}

bool TGIFSubImage::empty() const
{
    return m_data.empty() || m_width == 0 || m_height == 0;
}

void TGIFSubImage::allocatePixels(uint8_t fill)
{
    const int64_t count = gifCheckedPixelCount(m_width, m_height);
    m_data.assign(size_t(count), fill);
}

void TGIFSubImage::setBounds(int left, int top, int width, int height)
{
    auto inRange = [](int v) {
        return v >= 0 && v <= 0xFFFF;
    };
    if (!inRange(left) || !inRange(top) || !inRange(width) || !inRange(height))
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    if (width != m_width || height != m_height) {
        gifCheckedPixelCount(width, height); // refuse before anything changes
        freeBitmap();
        freeMask();
        m_width = uint16_t(width);
        m_height = uint16_t(height);
        allocatePixels(0);
    }
    m_left = uint16_t(left);
    m_top = uint16_t(top);
    if (!m_image)
        return;
    TGIFHeader& header = m_image->header();
    bool warned = false;
    if (left + width > header.width()) {
        if (header.width() >= 1) {
            warning(1, QString::fromLatin1(gifmsg::ImageWidthTooSmall));
            warned = true;
        }
        // The logical screen is 16 bits wide; a frame reaching further is clipped by readers.
        header.setWidth(std::min(left + width, 0xFFFF));
    }
    if (top + height > header.height()) {
        if (header.height() >= 1) {
            warning(1, QString::fromLatin1(gifmsg::ImageHeightTooSmall));
            warned = true;
        }
        header.setHeight(std::min(top + height, 0xFFFF));
    }
    if (warned)
        warning(1, QString::fromLatin1(gifmsg::ImageExceedsScreen));
}

void TGIFSubImage::setInterlaced(bool value)
{
    m_packed = value ? (m_packed | 0x40) : (m_packed & ~0x40);
}

TGIFColorMap& TGIFSubImage::activeColorMap()
{
    if (m_colorMap.count() > 0)
        return m_colorMap;
    if (m_image && m_image->globalColorMap().count() > 0)
        return m_image->globalColorMap();
    return m_colorMap;
}

int TGIFSubImage::transparentIndex() const
{
    return (m_transparent && m_gce) ? m_gce->transparentColorIndex() : -1;
}

TGIFVersion TGIFSubImage::version() const
{
    // Every extension class needs 89a.
    return (m_colorMap.optimized() || m_extensions.count() > 0) ? gv89a : gv87a;
}

int TGIFSubImage::checkedColumn(int x) const
{
    if (x < 0 || x >= m_width)
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    return x;
}

uint8_t TGIFSubImage::pixel(int x, int y)
{
    checkedColumn(x);
    return scanLine(y)[x];
}

uint8_t* TGIFSubImage::scanLine(int y)
{
    if (y < 0 || y >= m_height)
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    if (m_data.empty())
        allocatePixels(0);
    if (m_data.empty())
        throw GIFException(QStringLiteral("Image is empty"));
    return m_data.data() + size_t(y) * m_width;
}

void TGIFSubImage::setData(std::vector<uint8_t> pixels)
{
    if (int64_t(pixels.size()) != int64_t(m_width) * m_height)
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    m_data = std::move(pixels);
    freeBitmap();
    freeMask();
}

void TGIFSubImage::freeMask()
{
    m_mask.reset();
    m_needMask = true;
}

void TGIFSubImage::setPalette(HPALETTE value)
{
    m_palette = std::move(value);
    if (m_bitmap && m_bitmap->palette() != m_palette) {
        freeBitmap();
        if (m_image) {
            m_image->setPaletteModified(true);
            m_image->changed(m_image);
        }
    }
}

void TGIFSubImage::assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (!source) {
        clear();
        return;
    }
    const auto* other = dynamic_cast<const TGIFSubImage*>(source);
    if (!other) {
        // Bitmaps, other graphics and picture holders are converted by the frame import.
        if (!importIntoFrame(*this, source))
            TGIFItem::assign(source);
        return;
    }
    auto* from = const_cast<TGIFSubImage*>(other);
    clear();
    if (!from->empty()) {
        m_left = from->m_left;
        m_top = from->m_top;
        m_width = from->m_width;
        m_height = from->m_height;
        m_packed = from->m_packed;
        m_data = from->m_data;
        m_colorMap.assign(&from->m_colorMap);
    }
    // Extensions are copied for empty frames as well: a frame that holds only a comment or a
    // looping extension would otherwise lose it in every copy of the image.
    TMemoryStream buffer;
    from->m_extensions.saveToStream(buffer);
    buffer.setPosition(0);
    m_extensions.loadFromStream(buffer);
    m_transparent = from->m_transparent;
    // Safe to share whatever the copy becomes: every write checks it against the frame's inputs.
    if (!empty())
        m_encoded = from->m_encoded;
}

void TGIFSubImage::saveToStream(TStream& stream)
{
    m_extensions.saveToStream(stream);
    if (empty())
        return;
    if (m_colorMap.count() > 0) {
        // Frames with a local map are always written non-interlaced (and stay so).
        m_packed = uint8_t(0x80 | (m_colorMap.optimized() ? 0x20 : 0) | (unsigned(colorResolution()) & 7));
    } else {
        m_packed &= uint8_t(~(0x80 | 0x20 | 0x07));
    }
    uint8_t descriptor[10] = {
        bsImageDescriptor,      uint8_t(m_left),  uint8_t(m_left >> 8),  uint8_t(m_top),
        uint8_t(m_top >> 8),    uint8_t(m_width), uint8_t(m_width >> 8), uint8_t(m_height),
        uint8_t(m_height >> 8), m_packed};
    stream.writeBuffer(descriptor, 10);
    m_colorMap.saveToStream(stream);
    compress(stream);
}

TGIFFrameDataKey TGIFSubImage::encodingParameters() const
{
    int bits = 0;
    int limit = 0;
    if (m_colorMap.count() > 0) {
        bits = m_colorMap.bitsPerPixel();
        limit = m_colorMap.count();
    } else {
        // Frames on the global map share one code size: the largest any map of the image needs.
        if (m_image)
            bits = m_image->sharedCodeBits();
        limit = 1 << bits;
    }
    if (limit < 256 && !m_data.empty()) {
        // Files in the wild index past their maps (ImageMagick's frame optimiser makes a
        // two-colour table's transparent index 2) and the reader keeps such values. The code
        // size grows to carry them: a frame that was read can always be written back, showing
        // what it showed.
        const int top = gifLargestPixel(m_data.data(), m_data.size());
        if (top >= limit) {
            limit = top + 1;
            while ((1 << bits) < limit)
                ++bits;
        }
    }
    TGIFFrameDataKey key;
    key.width = m_width;
    key.height = m_height;
    key.interlaced = interlaced();
    key.initialCodeSize = std::max(bits, 2);
    key.colorLimit = limit;
    key.compression = uint8_t((m_image && m_image->compression() == 1) ? TGIFCompression::gcRLE
                                                                       : TGIFCompression::gcLZW);
    return key;
}

TGIFFrameDataKey TGIFSubImage::encodingKey() const
{
    TGIFFrameDataKey key = encodingParameters();
    key.pixelHash = gifPixelHash(m_data.data(), m_data.size());
    return key;
}

bool TGIFSubImage::adoptEncodedData(std::shared_ptr<const TGIFFrameData> data)
{
    if (!data || data->key != encodingKey())
        return false;
    m_encoded = std::move(data);
    return true;
}

void TGIFSubImage::compress(TStream& stream)
{
    TGIFFrameDataKey key = encodingParameters();
    const int initialCodeSize = key.initialCodeSize;
    const int limit = key.colorLimit;
    const TGIFCompression compression = TGIFCompression(key.compression);

    if (!gifSettings().reuseEncodedFrames) {
        compressFrameData(stream, initialCodeSize, limit, m_data.data(), m_width, m_height, interlaced(),
                          compression);
        return;
    }
    // Everything compressFrameData reads goes into the key, so equal keys mean equal output.
    key.pixelHash = gifPixelHash(m_data.data(), m_data.size());
    if (m_encoded && m_encoded->key == key) {
        stream.writeBuffer(m_encoded->bytes.constData(), m_encoded->bytes.size());
        return;
    }
    m_encoded.reset();
    TMemoryStream encoded;
    try {
        compressFrameData(encoded, initialCodeSize, limit, m_data.data(), m_width, m_height, interlaced(),
                          compression);
    } catch (...) {
        // The target gets the partial frame it would have got without the buffer in between.
        stream.writeBuffer(encoded.data().constData(), encoded.size());
        throw;
    }
    auto kept = std::make_shared<TGIFFrameData>();
    kept->key = key;
    kept->bytes = encoded.takeData();
    stream.writeBuffer(kept->bytes.constData(), kept->bytes.size());
    m_encoded = std::move(kept);
}

namespace {

// Skips image data whose frame holds no pixels: the code size byte and the sub-blocks.
void skipImageData(TStream& stream)
{
    uint8_t codeSize = 0;
    if (!stream.readByte(codeSize))
        return;
    for (uint8_t size = gifio::readByteOrZero(stream); size != 0; size = gifio::readByteOrZero(stream))
        gifio::skip(stream, size);
}

} // namespace

void TGIFSubImage::loadFromStream(TStream& stream)
{
    clear();
    m_extensions.loadFromStream(stream);
    uint8_t next = 0;
    if (!stream.readByte(next))
        return;
    stream.seek(-1, SeekOrigin::Current);
    // Extensions after the last frame (or before a stray 0) make a frame with no image.
    if (next == bsTrailer || next == 0)
        return;
    uint8_t descriptor[10];
    gifio::readExact(stream, descriptor, 10); // the separator byte is deliberately not checked
    m_left = uint16_t(descriptor[1] | (descriptor[2] << 8));
    m_top = uint16_t(descriptor[3] | (descriptor[4] << 8));
    m_width = uint16_t(descriptor[5] | (descriptor[6] << 8));
    m_height = uint16_t(descriptor[7] | (descriptor[8] << 8));
    m_packed = descriptor[9];
    if (m_width == 0 || m_height == 0) {
        const TGIFHeader* header = m_image ? &m_image->header() : nullptr;
        m_height = header ? uint16_t(header->height()) : 0;
        m_width = header ? uint16_t(header->width()) : 0;
        warning(1, QString::fromLatin1(gifmsg::ImageExceedsScreen));
    }
    if (m_packed & 0x80)
        m_colorMap.loadFromStream(stream, 1 << ((m_packed & 7) + 1));
    readImage(stream);
}

void TGIFSubImage::readImage(TStream& stream)
{
    // Rows the data does not reach keep the transparent index, so they show through.
    const int fill = transparentIndex();
    allocatePixels(fill >= 0 ? uint8_t(fill) : 0);
    if (m_data.empty()) {
        skipImageData(stream);
        return;
    }
    decodeFrameData(stream, m_data.data(), m_width, m_height, interlaced(),
                    [this](const QString& message) { warning(1, message); });
}
