#include "graphics/Bitmap.h"

#include "graphics/BitmapFile.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Picture.h"
#include "graphics/PixelCodec.h"
#include "graphics/Streams.h"

#include <cstring>

using namespace pixelcodec;

namespace {

HPALETTE blackAndWhite()
{
    static const HPALETTE palette = createPalette({{0, 0, 0, 0}, {255, 255, 255, 0}});
    return palette;
}

bool isBlackAndWhite(const HPALETTE& palette)
{
    return palette && palette->entries.size() == 2 && palette->entries[0] == TPaletteEntry{0, 0, 0, 0} &&
           palette->entries[1] == TPaletteEntry{255, 255, 255, 0};
}

// Pixels of a fresh pfDevice bitmap carry 0xFF in their unused byte so that they can be shared
// with QPainter as Format_RGB32 without a copy.
void setOpaque(uint8_t* pixels, int stride, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + int64_t(y) * stride;
        for (int x = 0; x < width; ++x)
            row[4 * x + 3] = 0xFF;
    }
}

QImage checkedImage(QImage image)
{
    if (image.isNull())
        throw EOutOfMemory(QStringLiteral("Out of memory"));
    return image;
}

} // namespace

HPALETTE defaultPalette(TPixelFormat format)
{
    static const HPALETTE vga = systemPalette16();
    static const HPALETTE cube = [] {
        std::vector<TPaletteEntry> entries;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    entries.push_back({uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0});
        // 40 greys between the cube's steps fill the table to 256 entries.
        for (int i = 0; i < 40; ++i) {
            const auto v = uint8_t(6 + i * 6 + i / 8);
            entries.push_back({v, v, v, 0});
        }
        return createPalette(std::move(entries));
    }();
    switch (format) {
    case pf1bit:
        return blackAndWhite();
    case pf4bit:
        return vga;
    case pf8bit:
        return cube;
    default:
        return {};
    }
}

int bytesPerScanline(int pixelsPerLine, int bitsPerPixel, int alignment)
{
    if (pixelsPerLine < 0 || bitsPerPixel <= 0 || alignment <= 0)
        return 0;
    const int64_t bits = int64_t(pixelsPerLine) * bitsPerPixel + alignment - 1;
    const int64_t bytes = (bits - bits % alignment) / 8;
    if (bytes > INT32_MAX)
        throw EOutOfMemory(QStringLiteral("Out of memory"));
    return int(bytes);
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    if (format != pfDevice)
        setPixelFormat(format);
    setSize(width, height);
}

TBitmap::~TBitmap() = default;

int TBitmap::bitsPerPixel(TPixelFormat format)
{
    return format == pf15bit ? 15 : storageBits(format);
}

void TBitmap::adopt(int width, int height, TPixelFormat format, HPALETTE palette,
                    std::unique_ptr<uint8_t[]> pixels, int stride)
{
    const bool resized = width != m_width || height != m_height;
    m_work = QImage();
    m_workActive = false;
    m_paintTarget = QImage();
    m_width = pixels ? width : 0;
    m_height = pixels ? height : 0;
    m_stride = pixels ? stride : 0;
    m_pixelFormat = format;
    m_handleType = format == pfDevice ? bmDDB : bmDIB;
    m_palette = std::move(palette);
    m_pixels = std::move(pixels);
    if (resized || !m_maskExplicit) {
        m_mask.reset();
        m_maskExplicit = false;
    }
    touch();
}

void TBitmap::reformat(int width, int height, TPixelFormat format, HPALETTE palette)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphic(QStringLiteral("Invalid image size"));
    if (storageBits(format) == 0)
        throw EInvalidGraphic(QStringLiteral("Invalid pixel format"));
    flushCanvas();
    if (isIndexed(format) && (!palette || palette->entries.empty()))
        palette = defaultPalette(format);
    if (width == 0 || height == 0) {
        // Keep the other dimension: setting width then height builds a bitmap in two steps.
        adopt(width, height, format, palette, {}, 0);
        m_width = width;
        m_height = height;
        return;
    }
    int stride = 0;
    std::unique_ptr<uint8_t[]> pixels = allocatePixels(width, height, format, stride);
    if (format == pfDevice)
        setOpaque(pixels.get(), stride, width, height);
    const int copyWidth = std::min(width, m_pixels ? m_width : 0);
    const int copyHeight = std::min(height, m_pixels ? m_height : 0);
    if (copyWidth > 0 && copyHeight > 0) {
        const ColorTable from = colorTable(m_palette, m_pixelFormat);
        const ColorTable to = colorTable(palette, format);
        TNearestColor nearest(to);
        const bool sameBytes = format == m_pixelFormat && !isIndexed(format);
        for (int y = 0; y < copyHeight; ++y) {
            const uint8_t* src = m_pixels.get() + int64_t(y) * m_stride;
            uint8_t* dst = pixels.get() + int64_t(y) * stride;
            if (sameBytes) {
                std::memcpy(dst, src, size_t(copyWidth) * size_t(storageBits(format) / 8));
                continue;
            }
            for (int x = 0; x < copyWidth; ++x) {
                if (isIndexed(m_pixelFormat) && isIndexed(format)) {
                    // An index whose colour is the same in the new table stays; so converting
                    // between indexed formats with one palette never moves a pixel to a duplicate.
                    const int index = readIndex(src, x, m_pixelFormat);
                    const bool keep =
                        index < to.count && to.colors[size_t(index)] == from.colors[size_t(index)];
                    writeIndex(dst, x, format, keep ? index : nearest.index(from.colors[size_t(index)]));
                } else {
                    const QRgb rgb = readPixel(src, x, m_pixelFormat, from);
                    if (isIndexed(format))
                        writeIndex(dst, x, format, nearest.index(rgb));
                    else
                        writeColor(dst, x, format, m_pixelFormat == pf32bit ? rgb : rgb | 0xFF000000u);
                }
            }
        }
    }
    adopt(width, height, format, palette, std::move(pixels), stride);
}

void TBitmap::setWidth(int value)
{
    setSize(value, m_height);
}

void TBitmap::setHeight(int value)
{
    setSize(m_width, value);
}

void TBitmap::setSize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    reformat(width, height, m_pixelFormat, m_palette);
    changed(this);
}

void TBitmap::setPalette(HPALETTE value)
{
    if (value == m_palette)
        return;
    // The canvas's drawing is mapped to the old colour table first; then the indexes stay and
    // only their colours change, as with a DIB whose colour table is replaced.
    flushCanvas();
    if (isIndexed(m_pixelFormat) && (!value || value->entries.empty()))
        value = defaultPalette(m_pixelFormat);
    m_palette = std::move(value);
    touch();
    setPaletteModified(true);
    changed(this);
}

void TBitmap::setPixelFormat(TPixelFormat format)
{
    if (format == m_pixelFormat)
        return;
    if (storageBits(format) == 0)
        throw EInvalidGraphic(QStringLiteral("Invalid pixel format"));
    reformat(m_width, m_height, format, m_palette);
    changed(this);
}

void TBitmap::setHandleType(TBitmapHandleType type)
{
    if (type == m_handleType)
        return;
    if (type == bmDDB) {
        setPixelFormat(pfDevice);
    } else {
        // A device bitmap becomes a DIB of the display's depth.
        setPixelFormat(pf32bit);
    }
}

bool TBitmap::monochrome() const
{
    return m_pixelFormat == pf1bit && isBlackAndWhite(m_palette);
}

void TBitmap::setMonochrome(bool value)
{
    if (value == monochrome())
        return;
    if (value) {
        reformat(m_width, m_height, pf1bit, blackAndWhite());
    } else {
        reformat(m_width, m_height, pfDevice, m_palette);
    }
    changed(this);
}

uint8_t* TBitmap::scanLine(int y)
{
    if (y < 0 || y >= m_height || !m_pixels)
        throw EInvalidGraphicOperation(QStringLiteral("Scan line index out of range"));
    flushCanvas();
    touch();
    return m_pixels.get() + int64_t(y) * m_stride;
}

const uint8_t* TBitmap::scanLine(int y) const
{
    if (y < 0 || y >= m_height || !m_pixels)
        throw EInvalidGraphicOperation(QStringLiteral("Scan line index out of range"));
    flushCanvas();
    return m_pixels.get() + int64_t(y) * m_stride;
}

TCanvas& TBitmap::canvas()
{
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>(this);
    return *m_canvas;
}

QImage TBitmap::decodeToRgb32() const
{
    QImage image = checkedImage(QImage(m_width, m_height, QImage::Format_RGB32));
    const ColorTable table = colorTable(m_palette, m_pixelFormat);
    for (int y = 0; y < m_height; ++y) {
        const uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < m_width; ++x)
            out[x] = readPixel(row, x, m_pixelFormat, table) | 0xFF000000u;
    }
    return image;
}

QImage& TBitmap::beginCanvasPaint()
{
    if (!m_pixels) {
        m_paintTarget = QImage();
        return m_paintTarget;
    }
    if (m_pixelFormat == pfDevice || m_pixelFormat == pf32bit) {
        // Painted in place; Qt writes 0xFF into the fourth byte of what it paints.
        m_paintTarget = QImage(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_RGB32);
        return m_paintTarget;
    }
    if (!m_workActive) {
        m_work = decodeToRgb32();
        m_workActive = true;
    }
    return m_work;
}

void TBitmap::endCanvasPaint()
{
    m_paintTarget = QImage();
    touch();
    changed(this);
}

void TBitmap::flushCanvas() const
{
    if (!m_workActive)
        return;
    const ColorTable table = colorTable(m_palette, m_pixelFormat);
    TNearestColor nearest(table);
    const bool indexed = isIndexed(m_pixelFormat);
    for (int y = 0; y < m_height; ++y) {
        const auto* drawn = reinterpret_cast<const QRgb*>(m_work.constScanLine(y));
        uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
        for (int x = 0; x < m_width; ++x) {
            const QRgb rgb = drawn[x] | 0xFF000000u;
            // Pixels the canvas left alone keep their index (also among duplicate colours).
            if ((readPixel(row, x, m_pixelFormat, table) | 0xFF000000u) == rgb)
                continue;
            if (indexed)
                writeIndex(row, x, m_pixelFormat, nearest.index(rgb));
            else
                writeColor(row, x, m_pixelFormat, rgb);
        }
    }
    m_work = QImage();
    m_workActive = false;
}

QImage TBitmap::drawableImage()
{
    if (!m_pixels)
        return {};
    if (m_workActive)
        return m_work;
    const ColorTable table = colorTable(m_palette, m_pixelFormat);
    switch (m_pixelFormat) {
    case pf1bit: {
        QImage image(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_Mono);
        image.setColorTable({table.colors[0], table.colors[1]});
        return image;
    }
    case pf8bit: {
        QImage image(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_Indexed8);
        image.setColorTable(QList<QRgb>(table.colors.begin(), table.colors.end()));
        return image;
    }
    case pf15bit:
        return QImage(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_RGB555);
    case pf16bit:
        return QImage(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_RGB16);
    case pf24bit:
        return QImage(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_BGR888);
    case pfDevice:
        return QImage(m_pixels.get(), m_width, m_height, m_stride, QImage::Format_RGB32);
    default:
        // 4 bits have no Qt format; 32 bits are drawn opaque, as the platform's blits do.
        return decodeToRgb32();
    }
}

QImage TBitmap::toImage() const
{
    flushCanvas();
    if (!m_pixels)
        return {};
    const ColorTable table = colorTable(m_palette, m_pixelFormat);
    if (m_pixelFormat == pf1bit) {
        QImage image = checkedImage(QImage(m_width, m_height, QImage::Format_Mono));
        const int bytes = std::min<int>(m_stride, int(image.bytesPerLine()));
        for (int y = 0; y < m_height; ++y)
            std::memcpy(image.scanLine(y), m_pixels.get() + int64_t(y) * m_stride, size_t(bytes));
        image.setColorTable({table.colors[0], table.colors[1]});
        return image;
    }
    if (isIndexed(m_pixelFormat)) {
        QImage image = checkedImage(QImage(m_width, m_height, QImage::Format_Indexed8));
        int used = table.count;
        for (int y = 0; y < m_height; ++y) {
            const uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
            uint8_t* out = image.scanLine(y);
            for (int x = 0; x < m_width; ++x) {
                out[x] = uint8_t(readIndex(row, x, m_pixelFormat));
                used = std::max(used, out[x] + 1);
            }
        }
        image.setColorTable(QList<QRgb>(table.colors.begin(), table.colors.begin() + used));
        return image;
    }
    if (m_pixelFormat == pf32bit) {
        bool anyAlpha = false;
        for (int y = 0; y < m_height && !anyAlpha; ++y) {
            const uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
            for (int x = 0; x < m_width && !anyAlpha; ++x)
                anyAlpha = row[4 * x + 3] != 0;
        }
        // An all-zero fourth byte is what programs without alpha write: the picture is opaque.
        if (anyAlpha) {
            QImage image = checkedImage(QImage(m_width, m_height, QImage::Format_ARGB32));
            for (int y = 0; y < m_height; ++y) {
                const uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
                auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < m_width; ++x)
                    out[x] = readPixel(row, x, pf32bit, table);
            }
            return image;
        }
    }
    return decodeToRgb32();
}

void TBitmap::fromImage(const QImage& source)
{
    if (source.isNull()) {
        adopt(0, 0, m_pixelFormat, m_palette, {}, 0);
        changed(this);
        return;
    }
    const int width = source.width();
    const int height = source.height();
    int stride = 0;
    std::unique_ptr<uint8_t[]> pixels;
    HPALETTE palette;
    TPixelFormat format;
    auto paletteOf = [](const QImage& image, TPixelFormat fmt) {
        std::vector<TPaletteEntry> entries;
        for (QRgb c : image.colorTable())
            entries.push_back({uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 0});
        return entries.empty() ? defaultPalette(fmt) : createPalette(std::move(entries));
    };
    if (source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB) {
        const QImage image = checkedImage(source.convertToFormat(QImage::Format_Mono));
        format = pf1bit;
        palette = paletteOf(image, format);
        pixels = allocatePixels(width, height, format, stride);
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels.get() + int64_t(y) * stride, image.constScanLine(y),
                        size_t(std::min<qsizetype>(stride, image.bytesPerLine())));
    } else if (source.format() == QImage::Format_Indexed8) {
        format = pf8bit;
        palette = paletteOf(source, format);
        pixels = allocatePixels(width, height, format, stride);
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels.get() + int64_t(y) * stride, source.constScanLine(y), size_t(width));
    } else {
        format = source.hasAlphaChannel() ? pf32bit : pf24bit;
        const QImage image = checkedImage(
            source.convertToFormat(format == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32));
        pixels = allocatePixels(width, height, format, stride);
        for (int y = 0; y < height; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            uint8_t* row = pixels.get() + int64_t(y) * stride;
            for (int x = 0; x < width; ++x)
                writeColor(row, x, format, in[x]);
        }
        palette = m_palette;
    }
    adopt(width, height, format, palette, std::move(pixels), stride);
    changed(this);
}

QRgb TBitmap::pixelRgb(int x, int y) const
{
    Q_ASSERT(x >= 0 && x < m_width && y >= 0 && y < m_height);
    if (m_workActive)
        return m_work.pixel(x, y);
    return readPixel(m_pixels.get() + int64_t(y) * m_stride, x, m_pixelFormat,
                     colorTable(m_palette, m_pixelFormat));
}

void TBitmap::setPixelRgb(int x, int y, QRgb rgb)
{
    Q_ASSERT(x >= 0 && x < m_width && y >= 0 && y < m_height);
    flushCanvas();
    uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
    if (isIndexed(m_pixelFormat)) {
        const ColorTable table = colorTable(m_palette, m_pixelFormat);
        TNearestColor nearest(table);
        writeIndex(row, x, m_pixelFormat, nearest.index(rgb));
    } else {
        writeColor(row, x, m_pixelFormat, m_pixelFormat == pf32bit ? rgb : rgb | 0xFF000000u);
    }
    touch();
}

TColor TBitmap::transparentColor() const
{
    if (m_transparentMode == tmFixed)
        return m_transparentColor;
    if (empty())
        return clDefault;
    return rgbToColor(pixelRgb(0, m_height - 1));
}

void TBitmap::setTransparentColor(TColor color)
{
    m_transparentColor = color;
    m_transparentMode = color == clDefault ? tmAuto : tmFixed;
    m_maskGeneration = ~uint64_t(0);
    changed(this);
}

void TBitmap::setTransparentMode(TTransparentMode mode)
{
    if (mode == m_transparentMode)
        return;
    if (mode == tmAuto)
        setTransparentColor(clDefault);
    else
        setTransparentColor(transparentColor());
}

void TBitmap::buildMask()
{
    flushCanvas();
    auto mask = std::make_unique<TBitmap>();
    mask->reformat(m_width, m_height, pf1bit, blackAndWhite());
    const QRgb key = colorToRgb(transparentColor()) & 0xFFFFFFu;
    const ColorTable table = colorTable(m_palette, m_pixelFormat);
    std::array<bool, 256> transparentIndex{};
    for (int i = 0; i < 256; ++i)
        transparentIndex[size_t(i)] = (table.colors[size_t(i)] & 0xFFFFFFu) == key;
    for (int y = 0; y < m_height; ++y) {
        const uint8_t* row = m_pixels.get() + int64_t(y) * m_stride;
        uint8_t* out = mask->m_pixels.get() + int64_t(y) * mask->m_stride;
        for (int x = 0; x < m_width; ++x) {
            const bool hidden = isIndexed(m_pixelFormat)
                                    ? transparentIndex[size_t(readIndex(row, x, m_pixelFormat))]
                                    : (readPixel(row, x, m_pixelFormat, table) & 0xFFFFFFu) == key;
            if (hidden)
                out[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
    }
    m_mask = std::move(mask);
    m_maskGeneration = m_generation;
}

TBitmap* TBitmap::mask()
{
    if (empty())
        return nullptr;
    if (!m_maskExplicit && (!m_mask || m_maskGeneration != m_generation))
        buildMask();
    return m_mask.get();
}

void TBitmap::setMask(std::unique_ptr<TBitmap> mask)
{
    if (!mask) {
        m_mask.reset();
        m_maskExplicit = false;
        return;
    }
    if (mask->width() != m_width || mask->height() != m_height)
        throw EInvalidGraphic(QStringLiteral("Mask size does not match the bitmap"));
    if (mask->pixelFormat() != pf1bit) {
        // Any pixel that is not black marks a transparent pixel.
        auto bits = std::make_unique<TBitmap>();
        bits->reformat(m_width, m_height, pf1bit, blackAndWhite());
        for (int y = 0; y < m_height; ++y) {
            uint8_t* out = bits->m_pixels.get() + int64_t(y) * bits->m_stride;
            for (int x = 0; x < m_width; ++x)
                if ((mask->pixelRgb(x, y) & 0xFFFFFFu) != 0)
                    out[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
        mask = std::move(bits);
    } else {
        mask->flushCanvas();
        mask->m_palette = blackAndWhite();
    }
    m_mask = std::move(mask);
    m_maskExplicit = true;
}

void TBitmap::draw(TCanvas& canvas, const QRect& rect)
{
    if (empty() || rect.isEmpty())
        return;
    if (transparent()) {
        canvas.drawMasked(rect, *this, *mask());
        return;
    }
    QImage image = drawableImage();
    if (&canvas == m_canvas.get())
        image = image.copy(); // drawing a bitmap onto itself reads from a snapshot
    canvas.drawImage(rect, image);
}

void TBitmap::loadFromStream(TStream& stream)
{
    TDibPixels dib = readBitmapFile(stream);
    adopt(dib.width, dib.height, dib.format, dib.palette, std::move(dib.pixels), dib.stride);
    changed(this);
}

void TBitmap::loadFromDib(const QByteArray& packedDib)
{
    TDibPixels dib = readPackedDib(packedDib);
    adopt(dib.width, dib.height, dib.format, dib.palette, std::move(dib.pixels), dib.stride);
    changed(this);
}

void TBitmap::loadFromBits(int width, int height, TPixelFormat format, HPALETTE palette, const uint8_t* bits,
                           int bytesPerRow)
{
    if (storageBits(format) == 0)
        throw EInvalidGraphic(QStringLiteral("Invalid pixel format"));
    if (width < 0 || height < 0)
        throw EInvalidGraphic(QStringLiteral("Invalid image size"));
    const int64_t rowBytes = (int64_t(width) * storageBits(format) + 7) / 8;
    if (width > 0 && height > 0 && (!bits || bytesPerRow < rowBytes))
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    if (isIndexed(format) && (!palette || palette->entries.empty()))
        palette = defaultPalette(format);
    int stride = 0;
    std::unique_ptr<uint8_t[]> pixels = allocatePixels(width, height, format, stride);
    for (int y = 0; pixels && y < height; ++y)
        std::memcpy(pixels.get() + int64_t(y) * stride, bits + int64_t(y) * bytesPerRow, size_t(rowBytes));
    adopt(width, height, format, palette, std::move(pixels), stride);
    m_width = width;
    m_height = height;
    changed(this);
}

void TBitmap::saveToStream(TStream& stream)
{
    flushCanvas();
    if (!m_pixels)
        return;
    writeBitmapFile(stream, m_width, m_height, m_pixelFormat, m_palette, m_pixels.get(), m_stride);
}

void TBitmap::loadFromClipboardFormat(const QString& format, const QByteArray& data)
{
    if (format != QLatin1String("image/bmp"))
        TGraphic::loadFromClipboardFormat(format, data);
    TMemoryStream stream(data);
    loadFromStream(stream);
}

void TBitmap::saveToClipboardFormat(QString& format, QByteArray& data)
{
    TMemoryStream stream;
    saveToStream(stream);
    format = QStringLiteral("image/bmp");
    data = stream.takeData();
}

void TBitmap::copyFrom(const TBitmap& source)
{
    source.flushCanvas();
    int stride = 0;
    std::unique_ptr<uint8_t[]> pixels;
    if (source.m_pixels) {
        pixels = allocatePixels(source.m_width, source.m_height, source.m_pixelFormat, stride);
        std::memcpy(pixels.get(), source.m_pixels.get(), size_t(int64_t(stride) * source.m_height));
    }
    std::unique_ptr<TBitmap> explicitMask;
    if (source.m_maskExplicit && source.m_mask) {
        explicitMask = std::make_unique<TBitmap>();
        explicitMask->copyFrom(*source.m_mask);
    }
    adopt(source.m_width, source.m_height, source.m_pixelFormat, source.m_palette, std::move(pixels), stride);
    m_width = source.m_width;
    m_height = source.m_height;
    m_handleType = source.m_handleType;
    m_transparentColor = source.m_transparentColor;
    m_transparentMode = source.m_transparentMode;
    if (explicitMask) {
        m_mask = std::move(explicitMask);
        m_maskExplicit = true;
    }
    setTransparent(source.transparent());
}

void TBitmap::assignGraphic(TGraphic* source)
{
    const int width = std::max(0, source->width());
    const int height = std::max(0, source->height());
    adopt(0, 0, pfDevice, source->palette(), {}, 0);
    reformat(width, height, pfDevice, m_palette);
    if (!empty()) {
        canvas().brush().color = clWhite;
        canvas().brush().style = bsSolid;
        canvas().fillRect(QRect(0, 0, width, height));
        source->draw(canvas(), QRect(0, 0, width, height));
    }
}

void TBitmap::assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (!source) {
        adopt(0, 0, m_pixelFormat, m_palette, {}, 0);
        changed(this);
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        copyFrom(*bitmap);
        changed(this);
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        assign(picture->graphic());
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        try {
            // A graphic that knows how to become a bitmap (an animation's composed frame) does so.
            TPersistent::assign(source);
            return;
        } catch (const EConvertError&) {
        }
        assignGraphic(const_cast<TGraphic*>(graphic));
        changed(this);
        return;
    }
    TPersistent::assign(source);
}
