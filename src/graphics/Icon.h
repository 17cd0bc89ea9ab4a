#pragma once
// TIcon: a Windows icon or cursor (.ico/.cur) read and written through Qt's icon plugin. The
// picture is held with its alpha channel; drawing blends it over the target, so transparent
// parts leave the target unchanged. An icon keeps its size: setWidth/setHeight raise
// EInvalidGraphicOperation "Cannot change the size of an icon".
#include "graphics/Graphic.h"

#include <QImage>
#include <memory>

class TBitmap;

class TIcon : public TGraphic
{
public:
    TIcon();
    ~TIcon() override;

    void draw(TCanvas& canvas, const QRect& rect) override;
    bool empty() const override { return m_image.isNull(); }
    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    void setWidth(int value) override;
    void setHeight(int value) override;
    // Icons are always drawn with their transparency.
    bool transparent() const override { return true; }
    // Reads the rest of the stream as one icon file (the first image of it); a stream that is not
    // an icon raises EInvalidGraphic "Icon image is not valid".
    void loadFromStream(TStream& stream) override;
    void saveToStream(TStream& stream) override;
    void assign(const TPersistent* source) override;

    // The picture (Format_ARGB32).
    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);
    // The mask: a 1-bit bitmap of the icon's size whose set bits mark transparent pixels
    // (alpha below 128). Owned by the icon; nullptr when empty.
    TBitmap* maskBitmap();

private:
    QImage m_image;
    std::unique_ptr<TBitmap> m_mask;
};
