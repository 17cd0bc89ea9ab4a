#pragma once
// The signature and logical screen descriptor of a GIF stream with its global colour map.
#include "gif/GIFColorMap.h"
#include "gif/GIFItems.h"

class TGIFHeader : public TGIFItem
{
public:
    explicit TGIFHeader(TGIFImage* image);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Raw setters; the image's setters check the frames first.
    void setWidth(int value) { m_width = uint16_t(value); }
    void setHeight(int value) { m_height = uint16_t(value); }
    uint8_t packedFields() const { return m_packed; }
    void setPackedFields(uint8_t value) { m_packed = value; }
    uint8_t backgroundColorIndex() const { return m_background; }
    // An index beyond a non-empty global map warns "Invalid color index" and stores 0.
    void setBackgroundColorIndex(int index);
    TColor backgroundColor();
    void setBackgroundColor(TColor color);
    uint8_t aspectRatio() const { return m_aspect; }
    void setAspectRatio(uint8_t value) { m_aspect = value; }

    TGIFGlobalColorMap& colorMap() { return m_colorMap; }
    const TGIFGlobalColorMap& colorMap() const { return m_colorMap; }
    int bitsPerPixel() const { return m_colorMap.bitsPerPixel(); }
    int colorResolution() const { return bitsPerPixel() - 1; }

    // Recomputes the packed flags from the global map (before saving and after clearing).
    void prepare();
    void clear();
    void assign(const TPersistent* source) override;
    void saveToStream(TStream& stream) override;
    void loadFromStream(TStream& stream) override;

private:
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    uint8_t m_packed = 0;
    uint8_t m_background = 0;
    uint8_t m_aspect = 0;
    TGIFGlobalColorMap m_colorMap;
};
