#include "gif/FrameImport.h"

#include "gif/BitmapReduction.h"
#include "gif/GIFDIB.h"
#include "gif/GIFException.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int maxFrameColors = 256;

// Reports the end of the conversion on every path, so a progress display never stays open.
class TProgressScope
{
public:
    explicit TProgressScope(const TImportProgress& progress) : m_progress(progress)
    {
        if (m_progress)
            m_progress(psStarting, 0);
    }
    ~TProgressScope()
    {
        if (m_progress)
            m_progress(psEnding, m_done ? 100 : 0);
    }
    void row(int y, int height)
    {
        if (m_progress && y % 32 == 0)
            m_progress(psRunning, int(int64_t(y) * 100 / height));
    }
    void done() { m_done = true; }

private:
    const TImportProgress& m_progress;
    bool m_done = false;
};

// The colours of a palette as a colour map; indexes the pixels use beyond the palette get black
// entries, so that no pixel ever points outside its frame's map.
std::vector<TColor> paletteColors(const HPALETTE& palette, int highestIndex)
{
    std::vector<TColor> colors;
    const size_t count = palette ? std::min<size_t>(palette->entries.size(), maxFrameColors) : 0;
    for (size_t i = 0; i < count; ++i) {
        const TPaletteEntry& e = palette->entries[i];
        colors.push_back(rgbColor(e.red, e.green, e.blue));
    }
    if (int(colors.size()) <= highestIndex)
        colors.resize(size_t(highestIndex) + 1, rgbColor(0, 0, 0));
    return colors;
}

// The true-colour gathering: colours enter the map in the order they are met. The 8 most recent
// (colour, index) pairs answer runs of few colours with one comparison; the map itself is
// searched only on a miss.
class TColorGatherer
{
public:
    uint8_t indexOf(uint32_t bgr)
    {
        int slot = m_mostRecent;
        for (int n = 0; n < 8; ++n) {
            if (!m_cache[size_t(slot)].used)
                break;
            if (m_cache[size_t(slot)].color == bgr) {
                m_mostRecent = slot;
                return m_cache[size_t(slot)].index;
            }
            slot = (slot + 7) % 8;
        }
        const uint8_t index = addUnique(bgr);
        m_mostRecent = (m_mostRecent + 1) % 8;
        m_cache[size_t(m_mostRecent)] = {bgr, index, true};
        return index;
    }

    // The map in red, green, blue order: the first and third byte of every entry swapped.
    std::vector<TColor> colors() const
    {
        std::vector<TColor> colors;
        colors.reserve(m_map.size());
        for (uint32_t bgr : m_map)
            colors.push_back(rgbColor(uint8_t(bgr >> 16), uint8_t(bgr >> 8), uint8_t(bgr)));
        return colors;
    }

private:
    struct Pair
    {
        uint32_t color = 0;
        uint8_t index = 0;
        bool used = false;
    };

    uint8_t addUnique(uint32_t bgr)
    {
        for (size_t i = m_map.size(); i-- > 0;)
            if (m_map[i] == bgr)
                return uint8_t(i);
        if (m_map.size() >= maxFrameColors)
            throw GIFException(QStringLiteral("Color table overflow"));
        m_map.push_back(bgr);
        return uint8_t(m_map.size() - 1);
    }

    std::array<Pair, 8> m_cache{};
    int m_mostRecent = 0;
    std::vector<uint32_t> m_map;
};

TPixelFormat readingFormat(TPixelFormat format)
{
    return format == pf1bit || format == pf4bit || format == pf8bit ? format : pf24bit;
}

void readIndexedRows(TDIBReader& reader, TFramePixels& out, TProgressScope& progress, int& highest)
{
    const TPixelFormat format = reader.pixelFormat();
    const int width = out.width;
    for (int y = 0; y < out.height; ++y) {
        progress.row(y, out.height);
        const uint8_t* in = reader.row(y);
        uint8_t* dst = out.pixels.data() + size_t(y) * size_t(width);
        if (format == pf8bit) {
            std::memcpy(dst, in, size_t(width));
        } else if (format == pf4bit) {
            for (int x = 0; x < width; ++x)
                dst[x] = (x & 1) ? in[x >> 1] & 0x0F : in[x >> 1] >> 4;
        } else {
            for (int x = 0; x < width; ++x)
                dst[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
        }
        for (int x = 0; x < width; ++x)
            highest = std::max<int>(highest, dst[x]);
    }
}

void readTrueColorRows(TDIBReader& reader, TFramePixels& out, TProgressScope& progress)
{
    TColorGatherer gatherer;
    const int width = out.width;
    for (int y = 0; y < out.height; ++y) {
        progress.row(y, out.height);
        const uint8_t* in = reader.row(y);
        uint8_t* dst = out.pixels.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, in += 3)
            dst[x] = gatherer.indexOf(uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16));
    }
    out.colors = gatherer.colors();
}

} // namespace

TFramePixels convertBitmap(TBitmap& bitmap, uint8_t colorReduction, uint8_t ditherMode, int reductionBits,
                           const TImportProgress& progress)
{
    TFramePixels out;
    if (bitmap.empty())
        return out;
    out.width = bitmap.width();
    out.height = bitmap.height();

    const TPixelFormat sourceFormat = bitmap.pixelFormat();
    if (readingFormat(sourceFormat) != pf24bit) {
        out.bitmap = std::make_shared<TBitmap>();
        out.bitmap->assign(&bitmap);
    } else {
        out.bitmap = reduceColors(bitmap, colorReduction, ditherMode, reductionBits, nullptr);
        // No palette to reduce to (reduction 9 passes none here) or an unknown method.
        if (out.bitmap->empty())
            throw GIFException(QStringLiteral("Invalid reduction method"));
    }

    out.pixels.assign(size_t(out.width) * size_t(out.height), 0);
    TProgressScope scope(progress);
    // The reader converts the frame's own copy, never the caller's bitmap.
    TDIBReader reader(out.bitmap.get(), readingFormat(out.bitmap->pixelFormat()));
    if (reader.pixelFormat() == pf24bit) {
        readTrueColorRows(reader, out, scope);
    } else {
        int highest = 0;
        readIndexedRows(reader, out, scope, highest);
        out.colors = paletteColors(out.bitmap->palette(), highest);
    }
    scope.done();
    return out;
}

namespace {

// Draws a graphic at (0, 0) on a 24-bit bitmap of its size. False, with the bitmap emptied, when
// the graphic cannot be drawn (a metafile without a rasteriser).
bool drawOnto(TBitmap& bitmap, TGraphic& graphic)
{
    try {
        bitmap.assign(nullptr);
        bitmap.setPixelFormat(pf24bit);
        bitmap.setSize(graphic.width(), graphic.height());
        bitmap.canvas().draw(0, 0, &graphic);
        return true;
    } catch (const Exception&) {
        bitmap.assign(nullptr);
        return false;
    }
}

void fill(TBitmap& bitmap, TColor color)
{
    bitmap.canvas().brush().color = color;
    bitmap.canvas().brush().style = bsSolid;
    bitmap.canvas().fillRect(QRect(0, 0, bitmap.width(), bitmap.height()));
}

} // namespace

void transparentFromMask(TGIFSubImage& frame, TBitmap& mask)
{
    TGIFLocalColorMap& map = frame.colorMap();
    map.optimize();
    const int count = map.count();
    if (count < 1 || count >= maxFrameColors || frame.empty())
        return;
    const int transparent = map.add(rgbColor(0, 0, 0));

    // The mask is read as 8-bit rows from a copy: the caller's mask keeps its format.
    TBitmap rows;
    rows.assign(&mask);
    bool masked = false;
    if (!rows.empty()) {
        TDIBReader reader(&rows, pf8bit);
        const int width = std::min(frame.width(), rows.width());
        const int height = std::min(frame.height(), rows.height());
        for (int y = 0; y < height; ++y) {
            const uint8_t* in = reader.row(y);
            uint8_t* out = frame.scanLine(y);
            for (int x = 0; x < width; ++x) {
                if (in[x] != 0) {
                    out[x] = uint8_t(transparent);
                    masked = true;
                }
            }
        }
    }
    if (!masked) {
        map.deleteAt(transparent);
        return;
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->setTransparent(true);
    control->setTransparentColorIndex(transparent);
    frame.extensions().add(control.release());
}

void importBitmap(TGIFSubImage& frame, TBitmap& bitmap)
{
    frame.clear();
    if (bitmap.empty())
        return;
    frame.setBounds(frame.left(), frame.top(), bitmap.width(), bitmap.height());

    TGIFImage* image = frame.image();
    TImportProgress progress;
    if (image) {
        progress = [image](TProgressStage stage, int percent) {
            image->reportProgress(stage, percent, false, QStringLiteral("Converting..."));
        };
    }
    TFramePixels converted = convertBitmap(bitmap, image ? image->colorReduction() : rmNetscape,
                                           image ? image->ditherMode() : dmNearest,
                                           image ? image->reductionBits() : 8, progress);
    std::vector<TGIFColor> entries;
    entries.reserve(converted.colors.size());
    for (TColor color : converted.colors)
        entries.push_back(TGIFColor::fromValue(color));
    frame.colorMap().setEntries(entries);
    frame.setData(std::move(converted.pixels));
    // The picture the frame was made from is what it shows; changing the map or the pixels later
    // frees it again.
    frame.setBitmap(std::move(converted.bitmap));

    if (bitmap.transparent()) {
        if (TBitmap* mask = bitmap.mask())
            transparentFromMask(frame, *mask);
    }
}

std::unique_ptr<TBitmap> metafileMask(TMetafile& metafile, int width, int height)
{
    TBitmap onWhite(width, height, pf24bit);
    TBitmap onBlack(width, height, pf24bit);
    fill(onWhite, clWhite);
    fill(onBlack, clBlack);
    onWhite.canvas().draw(0, 0, &metafile);
    onBlack.canvas().draw(0, 0, &metafile);
    auto mask = std::make_unique<TBitmap>(width, height, pf24bit);
    const size_t rowBytes = size_t(width) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* a = std::as_const(onWhite).scanLine(y);
        const uint8_t* b = std::as_const(onBlack).scanLine(y);
        uint8_t* out = mask->scanLine(y);
        for (size_t i = 0; i < rowBytes; ++i)
            out[i] = uint8_t(a[i] ^ b[i]);
    }
    return mask;
}

void importGraphic(TGIFSubImage& frame, TGraphic& graphic)
{
    frame.clear();
    if (graphic.empty())
        return;
    auto* icon = dynamic_cast<TIcon*>(&graphic);
    auto* metafile = dynamic_cast<TMetafile*>(&graphic);

    TBitmap bitmap;
    if (icon || metafile) {
        if (!drawOnto(bitmap, graphic))
            bitmap.assign(&graphic);
    } else {
        try {
            bitmap.assign(&graphic);
        } catch (const Exception&) {
            if (!drawOnto(bitmap, graphic))
                throw;
        }
    }
    importBitmap(frame, bitmap);
    if (frame.empty())
        return;

    if (icon) {
        if (TBitmap* mask = icon->maskBitmap())
            transparentFromMask(frame, *mask);
    } else if (metafile) {
        std::unique_ptr<TBitmap> mask = metafileMask(*metafile, bitmap.width(), bitmap.height());
        transparentFromMask(frame, *mask);
    }
}

bool importIntoFrame(TGIFSubImage& frame, const TPersistent* source)
{
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (!picture->graphic()) {
            frame.clear();
            return true;
        }
        return importIntoFrame(frame, picture->graphic());
    }
    // The import only reads the source; the graphic classes' drawing and mask calls are not const.
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        importBitmap(frame, *const_cast<TBitmap*>(bitmap));
        return true;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        importGraphic(frame, *const_cast<TGraphic*>(graphic));
        return true;
    }
    return false;
}
