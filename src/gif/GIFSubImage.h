#pragma once
// One frame of a GIF image: image descriptor, local colour map, one byte per pixel and the
// frame's extensions.
//
// Ownership: the image's frame list owns the frame; the frame owns its extensions, its local
// map and its pixels. The graphic control reference points into the extension list (not owned).
#include "gif/GIFColorMap.h"
#include "gif/GIFFrameData.h"
#include "gif/GIFItems.h"

#include <QRect>
#include <memory>

class TGIFAppExtNSLoop;
class TGIFGraphicControlExtension;

class TGIFSubImage;

// The picture on the logical screen when a frame is drawn, one 0xRRGGBB value per pixel, or
// `unknown` where nothing drawn shows (not yet drawn on, or cleared to the background, which
// viewers show differently). Built by the whole-image optimisation to know what each frame's
// pixels repeat.
struct TGIFScreenPicture
{
    static constexpr uint32_t unknown = 0xFFFFFFFFu;

    TGIFScreenPicture(int width, int height);
    static uint32_t colourValue(const TGIFColor& colour);
    // Draws the frame's shown pixels over the picture.
    void draw(TGIFSubImage& frame);
    // Restore-to-background.
    void clear(const QRect& rect);

    int width;
    int height;
    std::vector<uint32_t> pixels;
    // False when a frame on the global map holds values past it: a new entry would change what
    // those pixels show.
    bool globalMapMayGrow = true;
};

class TGIFSubImage : public TGIFItem
{
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    void clear();
    bool empty() const;
    // A number no other frame of this process ever had: holders of a frame elsewhere (automation
    // objects) find it again by this number and never by a pointer that may have been freed.
    uint64_t serial() const { return m_serial; }

    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    void setLeft(int value) { setBounds(value, m_top, m_width, m_height); }
    void setTop(int value) { setBounds(m_left, value, m_width, m_height); }
    void setWidth(int value) { setBounds(m_left, m_top, value, m_height); }
    void setHeight(int value) { setBounds(m_left, m_top, m_width, value); }
    QRect boundsRect() const { return QRect(m_left, m_top, m_width, m_height); }
    // Sets all four together; a size change reallocates the pixels (all 0) and the logical
    // screen grows (with warnings) when the frame sticks out of it.
    void setBounds(int left, int top, int width, int height);
    void setBoundsRect(const QRect& rect) { setBounds(rect.x(), rect.y(), rect.width(), rect.height()); }

    bool interlaced() const { return (m_packed & 0x40) != 0; }
    void setInterlaced(bool value);
    uint8_t packedFields() const { return m_packed; }
    void setPackedFields(uint8_t value) { m_packed = value; }
    int bitsPerPixel() const { return m_colorMap.bitsPerPixel(); }
    int colorResolution() const { return bitsPerPixel() - 1; }

    TGIFLocalColorMap& colorMap() { return m_colorMap; }
    // Local map when it holds colours, else the global map when it does, else the local map.
    TGIFColorMap& activeColorMap();
    TGIFExtensionList& extensions() { return m_extensions; }
    TGIFGraphicControlExtension* graphicControlExtension() const { return m_gce; }
    // The first looping extension among the frame's extensions, or null.
    TGIFAppExtNSLoop* loopExtension() const;
    void setGraphicControlExtension(TGIFGraphicControlExtension* gce) { m_gce = gce; }
    bool transparent() const { return m_transparent; }
    void setTransparentFlag(bool value) { m_transparent = value; }
    // The transparent index when the frame is transparent, else -1.
    int transparentIndex() const;

    TGIFVersion version() const override;

    uint8_t pixel(int x, int y);
    void setPixel(int x, int y, uint8_t value) { scanLine(y)[checkedColumn(x)] = value; }
    uint8_t* scanLine(int y);
    uint8_t* data() { return m_data.empty() ? nullptr : m_data.data(); }
    const uint8_t* data() const { return m_data.empty() ? nullptr : m_data.data(); }
    int64_t dataSize() const { return int64_t(m_data.size()); }
    // Replaces the pixels; the size must be width × height.
    void setData(std::vector<uint8_t> pixels);

    // Cached renderings (made by the renderer; freed whenever what they show changes).
    const std::shared_ptr<TBitmap>& bitmap() const { return m_bitmap; }
    void setBitmap(std::shared_ptr<TBitmap> bitmap) { m_bitmap = std::move(bitmap); }
    const std::shared_ptr<TBitmap>& mask() const { return m_mask; }
    bool needMask() const { return m_needMask; }
    void freeBitmap() { m_bitmap.reset(); }
    void freeMask();
    // Renderer's side of the cache (GIFRender.cpp): the mask it made, and its note that the
    // mask question has been answered for the current pixels.
    void setMask(std::shared_ptr<TBitmap> mask) { m_mask = std::move(mask); }
    void setNeedMask(bool value) { m_needMask = value; }
    HPALETTE palette() const { return m_palette; }
    void setPalette(HPALETTE value);
    void freePalette() { m_palette.reset(); }
    // Fingerprint of what the cached bitmap and mask were rendered from (GIFRender.cpp checks it
    // at every request: pixels are also written through raw pointers, which no flag would see).
    uint64_t renderKey() const { return m_renderKey; }
    void setRenderKey(uint64_t value) { m_renderKey = value; }

    // Keeps only the rectangle of non-transparent pixels; empties a wholly transparent frame.
    void crop();
    // Makes the pixels that repeat what previous shows transparent.
    void merge(TGIFSubImage* previous);
    // The whole-image optimisation's form of this frame over screen (the picture it is drawn
    // on): among the frame as it is, its repeats of what is on screen made transparent, its
    // transparent pixels filled with the colour under them, and mixes of the two that keep runs
    // long, each with the border of repeats left out or kept, the form that writes fewest bytes
    // is kept. The picture shown never changes, and the frame never grows.
    void mergeIfSmaller(const TGIFScreenPicture& screen);
    // Moves a frame whose local map only holds colours of the global map onto the global map
    // (pixels and transparent index renumbered), kept when the file then writes fewer bytes.
    // Returns true when it did.
    bool useGlobalMapIfSmaller();
    // Crop, kept when the frame then writes no more.
    void cropIfSmaller();
    // True when every pixel is the transparent index, so the frame shows nothing.
    bool invisible() const;
    // Bytes this frame adds to a written file: extensions, descriptor, local map and image data.
    int64_t writtenSize();

    // The compressed image data of the last write, reused by the next write when nothing the
    // encoder reads has changed (checked at every write; see GIFFrameData.h). Null before the
    // first write and after clear().
    const std::shared_ptr<const TGIFFrameData>& encodedData() const { return m_encoded; }
    // The fingerprint the next write will look for: everything the encoder reads, for the
    // pixels as they are now.
    TGIFFrameDataKey encodingKey() const;
    // Takes image data made by another encoder of these pixels (lossy LZW writes codes the
    // ordinary encoder would not choose) as the frame's kept data, which the next write then
    // uses while nothing changes. Refused (false) unless its key is encodingKey(): the bytes
    // must decode to exactly the pixels the frame holds.
    bool adoptEncodedData(std::shared_ptr<const TGIFFrameData> data);

    void assign(const TPersistent* source) override;
    void saveToStream(TStream& stream) override;
    void loadFromStream(TStream& stream) override;

private:
    int checkedColumn(int x) const;
    void allocatePixels(uint8_t fill);
    void readImage(TStream& stream);
    void compress(TStream& stream);
    // The key's fields other than the pixel hash.
    TGIFFrameDataKey encodingParameters() const;

    uint64_t m_serial;
    uint16_t m_left = 0;
    uint16_t m_top = 0;
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    uint8_t m_packed = 0;
    std::vector<uint8_t> m_data;
    TGIFLocalColorMap m_colorMap;
    TGIFExtensionList m_extensions;
    TGIFGraphicControlExtension* m_gce = nullptr;
    bool m_transparent = false;
    std::shared_ptr<TBitmap> m_bitmap;
    std::shared_ptr<TBitmap> m_mask;
    bool m_needMask = true;
    HPALETTE m_palette;
    uint64_t m_renderKey = 0;
    std::shared_ptr<const TGIFFrameData> m_encoded;
};

// Checked width × height against the engine's per-frame pixel limit.
int64_t gifCheckedPixelCount(int width, int height);
