#pragma once
// TMetafile: a vector picture (enhanced or old-style Windows metafile) kept as its file bytes.
// The engine never interprets vector data: the platform layer installs a rasteriser that turns
// the bytes into pixels (with alpha, transparent where nothing is drawn) and, optionally, tells
// the picture's natural size. Without a rasteriser the size comes from the file's header and
// drawing raises EInvalidGraphicOperation "Metafile rendering is not available".
#include "graphics/Graphic.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <functional>

struct TMetafileRasterizer
{
    // The natural size in pixels; an invalid size means "use the header's".
    std::function<QSize(const QByteArray& data)> size;
    // The picture drawn into an image of the given size.
    std::function<QImage(const QByteArray& data, const QSize& size)> render;
};

class TMetafile : public TGraphic
{
public:
    TMetafile() = default;

    static void setRasterizer(TMetafileRasterizer rasterizer);

    void draw(TCanvas& canvas, const QRect& rect) override;
    bool empty() const override { return m_data.isEmpty(); }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setWidth(int value) override;
    void setHeight(int value) override;
    // Vector pictures draw only what they contain.
    bool transparent() const override { return true; }
    // Reads the rest of the stream; data that is neither an enhanced metafile nor a (placeable)
    // metafile raises EInvalidGraphic "Metafile is not valid".
    void loadFromStream(TStream& stream) override;
    void saveToStream(TStream& stream) override;
    void assign(const TPersistent* source) override;

    const QByteArray& data() const { return m_data; }
    bool enhanced() const { return m_enhanced; }
    // The picture rasterised at a size (no rasteriser: EInvalidGraphicOperation).
    QImage render(const QSize& size) const;

private:
    QByteArray m_data;
    int m_width = 0;
    int m_height = 0;
    bool m_enhanced = true;
};
