#include "graphics/Metafile.h"

#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <mutex>

namespace {

constexpr int64_t maxMetafileBytes = 256 << 20;

std::mutex rasterizerLock;
TMetafileRasterizer& rasterizerSlot()
{
    static TMetafileRasterizer rasterizer;
    return rasterizer;
}

TMetafileRasterizer currentRasterizer()
{
    std::lock_guard guard(rasterizerLock);
    return rasterizerSlot();
}

[[noreturn]] void invalidMetafile()
{
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
}

uint32_t le32(const QByteArray& data, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + at;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int16_t le16s(const QByteArray& data, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + at;
    return int16_t(p[0] | (p[1] << 8));
}

} // namespace

void TMetafile::setRasterizer(TMetafileRasterizer rasterizer)
{
    std::lock_guard guard(rasterizerLock);
    rasterizerSlot() = std::move(rasterizer);
}

void TMetafile::setWidth(int value)
{
    if (value != m_width) {
        m_width = std::max(0, value);
        changed(this);
    }
}

void TMetafile::setHeight(int value)
{
    if (value != m_height) {
        m_height = std::max(0, value);
        changed(this);
    }
}

QImage TMetafile::render(const QSize& size) const
{
    const TMetafileRasterizer rasterizer = currentRasterizer();
    if (!rasterizer.render)
        throw EInvalidGraphicOperation(QStringLiteral("Metafile rendering is not available"));
    return rasterizer.render(m_data, size);
}

void TMetafile::draw(TCanvas& canvas, const QRect& rect)
{
    if (empty() || rect.isEmpty())
        return;
    const QImage image = render(rect.size());
    const TCopyMode mode = canvas.copyMode();
    canvas.setCopyMode(cmSrcCopy);
    canvas.drawImage(rect, image);
    canvas.setCopyMode(mode);
}

void TMetafile::loadFromStream(TStream& stream)
{
    const int64_t size = stream.size() - stream.position();
    if (size < 22 || size > maxMetafileBytes)
        invalidMetafile();
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    stream.readBuffer(data.data(), size);
    int width = 0;
    int height = 0;
    bool enhanced = false;
    if (data.size() >= 88 && le32(data, 0) == 1 && le32(data, 40) == 0x464D4520) {
        // Enhanced metafile: the bounds (inclusive, in device pixels) at offset 8.
        enhanced = true;
        width = int(int64_t(int32_t(le32(data, 16))) - int32_t(le32(data, 8)) + 1);
        height = int(int64_t(int32_t(le32(data, 20))) - int32_t(le32(data, 12)) + 1);
    } else if (le32(data, 0) == 0x9AC6CDD7u) {
        // Placeable metafile: bounding box in logical units and units per inch, shown at 96 dpi.
        const int inch = uint16_t(le16s(data, 14));
        if (inch == 0)
            invalidMetafile();
        width = (le16s(data, 10) - le16s(data, 6)) * 96 / inch;
        height = (le16s(data, 12) - le16s(data, 8)) * 96 / inch;
    } else if ((le16s(data, 0) == 1 || le16s(data, 0) == 2) && le16s(data, 2) == 9) {
        // A bare metafile carries no size; the rasteriser may know better.
    } else {
        invalidMetafile();
    }
    const TMetafileRasterizer rasterizer = currentRasterizer();
    if (rasterizer.size) {
        const QSize natural = rasterizer.size(data);
        if (natural.isValid()) {
            width = natural.width();
            height = natural.height();
        }
    }
    m_data = std::move(data);
    m_enhanced = enhanced;
    m_width = std::clamp(width, 0, 65535);
    m_height = std::clamp(height, 0, 65535);
    changed(this);
}

void TMetafile::saveToStream(TStream& stream)
{
    stream.writeBuffer(m_data.constData(), m_data.size());
}

void TMetafile::assign(const TPersistent* source)
{
    if (const auto* metafile = dynamic_cast<const TMetafile*>(source)) {
        if (metafile != this) {
            m_data = metafile->m_data;
            m_width = metafile->m_width;
            m_height = metafile->m_height;
            m_enhanced = metafile->m_enhanced;
            changed(this);
        }
        return;
    }
    TGraphic::assign(source);
}
