#include "graphics/Icon.h"

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace {

// Icon files hold a handful of small images; anything larger is not an icon.
constexpr int64_t maxIconFileBytes = 64 << 20;

[[noreturn]] void invalidIcon()
{
    throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
}

QImage readIcon(const QByteArray& data)
{
    for (const char* format : {"ico", "cur"}) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        QImage image;
        if (reader.read(&image) && !image.isNull())
            return image.convertToFormat(QImage::Format_ARGB32);
    }
    invalidIcon();
}

} // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() = default;

void TIcon::draw(TCanvas& canvas, const QRect& rect)
{
    if (empty() || rect.isEmpty())
        return;
    const TCopyMode mode = canvas.copyMode();
    canvas.setCopyMode(cmSrcCopy);
    canvas.drawImage(rect, m_image);
    canvas.setCopyMode(mode);
}

void TIcon::setWidth(int value)
{
    if (value != width())
        throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::setHeight(int value)
{
    if (value != height())
        throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::loadFromStream(TStream& stream)
{
    const int64_t size = stream.size() - stream.position();
    if (size <= 0 || size > maxIconFileBytes)
        invalidIcon();
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    stream.readBuffer(data.data(), size);
    setImage(readIcon(data));
}

void TIcon::saveToStream(TStream& stream)
{
    if (empty())
        return;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(m_image))
        throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
    stream.writeBuffer(buffer.data().constData(), buffer.data().size());
}

void TIcon::assign(const TPersistent* source)
{
    if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (icon != this)
            setImage(icon->m_image);
        return;
    }
    TGraphic::assign(source);
}

void TIcon::setImage(const QImage& image)
{
    m_image = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    m_mask.reset();
    changed(this);
}

TBitmap* TIcon::maskBitmap()
{
    if (empty())
        return nullptr;
    if (!m_mask) {
        auto mask = std::make_unique<TBitmap>();
        mask->setMonochrome(true);
        mask->setSize(width(), height());
        for (int y = 0; y < height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
            uint8_t* row = mask->scanLine(y);
            for (int x = 0; x < width(); ++x)
                if (qAlpha(in[x]) < 128)
                    row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
        m_mask = std::move(mask);
    }
    return m_mask.get();
}
