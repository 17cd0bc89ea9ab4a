#include "graphics/Canvas.h"

#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <atomic>
#include <unordered_set>

namespace {

// Live device-context ids. Painter threads ask whether their target is still there, so the set
// is guarded; ids are never reused.
std::mutex handleLock;
std::unordered_set<HDC>& liveHandles()
{
    static std::unordered_set<HDC> handles;
    return handles;
}
std::atomic<HDC> lastHandle{0};

void unregisterHandle(HDC handle)
{
    if (!handle)
        return;
    std::lock_guard guard(handleLock);
    liveHandles().erase(handle);
}

QColor qColor(TColor color)
{
    return QColor(colorToRgb(color));
}

Qt::BrushStyle qBrushStyle(TBrushStyle style)
{
    switch (style) {
    case bsClear:
        return Qt::NoBrush;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

Qt::PenStyle qPenStyle(TPenStyle style)
{
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

} // namespace

TCanvas::TCanvas(TBitmap* bitmap) : m_bitmap(bitmap)
{
    allocateHandle();
}

TCanvas::TCanvas(QPaintDevice* device) : m_device(device)
{
    if (device)
        allocateHandle();
}

TCanvas::TCanvas(QPainter* painter) : m_painter(painter)
{
    if (painter)
        allocateHandle();
}

TCanvas::~TCanvas()
{
    unregisterHandle(m_handle);
}

void TCanvas::allocateHandle()
{
    unregisterHandle(m_handle);
    m_handle = ++lastHandle;
    std::lock_guard guard(handleLock);
    liveHandles().insert(m_handle);
}

bool TCanvas::isValidHandle(HDC handle)
{
    std::lock_guard guard(handleLock);
    return handle != 0 && liveHandles().count(handle) != 0;
}

void TCanvas::releaseHandle()
{
    std::lock_guard guard(m_lock);
    unregisterHandle(m_handle);
    m_handle = 0;
    m_device = nullptr;
    m_painter = nullptr;
}

void TCanvas::setDevice(QPaintDevice* device)
{
    releaseHandle();
    m_device = device;
    if (device)
        allocateHandle();
}

void TCanvas::setPainter(QPainter* painter)
{
    releaseHandle();
    m_painter = painter;
    if (painter)
        allocateHandle();
}

QRect TCanvas::clipRect() const
{
    if (m_bitmap)
        return QRect(0, 0, m_bitmap->width(), m_bitmap->height());
    QPaintDevice* device = m_painter ? m_painter->device() : m_device;
    return device ? QRect(0, 0, device->width(), device->height()) : QRect();
}

void TCanvas::setUp(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QPen pen(qColor(m_pen.color), std::max(1, m_pen.width), qPenStyle(m_pen.style));
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(QBrush(qColor(m_brush.color), qBrushStyle(m_brush.style)));
    painter.setFont(m_font);
}

template <typename Paint> void TCanvas::paint(Paint&& body)
{
    std::lock_guard guard(m_lock);
    if (m_bitmap) {
        if (m_bitmap->empty())
            return;
        if (!m_handle)
            allocateHandle();
        QImage& target = m_bitmap->beginCanvasPaint();
        try {
            QPainter painter(&target);
            setUp(painter);
            body(painter);
        } catch (...) {
            m_bitmap->endCanvasPaint();
            throw;
        }
        m_bitmap->endCanvasPaint();
    } else if (m_painter) {
        if (!m_painter->isActive())
            return;
        m_painter->save();
        setUp(*m_painter);
        body(*m_painter);
        m_painter->restore();
    } else if (m_device) {
        QPainter painter(m_device);
        if (!painter.isActive())
            return;
        setUp(painter);
        body(painter);
    } else {
        return; // released: drawing goes nowhere
    }
    if (onChange)
        onChange(this);
}

void TCanvas::fillRect(const QRect& rect)
{
    if (m_brush.style == bsClear || rect.isEmpty())
        return;
    paint([&](QPainter& p) { p.fillRect(rect, p.brush()); });
}

void TCanvas::frameRect(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    // The frame is drawn with the brush, as the platform's frame operation does.
    paint([&](QPainter& p) {
        const QBrush brush(qColor(m_brush.color));
        p.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), brush);
        p.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), brush);
        p.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), brush);
        p.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), brush);
    });
}

void TCanvas::rectangle(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    paint([&](QPainter& p) {
        if (m_brush.style != bsClear)
            p.fillRect(rect, p.brush());
        if (m_pen.style != psClear) {
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    });
}

void TCanvas::ellipse(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    paint([&](QPainter& p) { p.drawEllipse(rect.adjusted(0, 0, -1, -1)); });
}

void TCanvas::moveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void TCanvas::lineTo(int x, int y)
{
    const QPoint from = m_penPos;
    m_penPos = QPoint(x, y);
    paint([&](QPainter& p) { p.drawLine(from, m_penPos); });
}

void TCanvas::textOut(int x, int y, const QString& text)
{
    const QFontMetrics metrics(m_font);
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    paint([&](QPainter& p) {
        // An opaque brush paints the text's background, as the platform's opaque text mode does.
        if (m_brush.style != bsClear)
            p.fillRect(box, QColor(colorToRgb(m_brush.color)));
        p.setPen(qColor(m_fontColor));
        p.drawText(x, y + metrics.ascent(), text);
    });
    m_penPos = QPoint(box.right() + 1, y);
}

int TCanvas::textWidth(const QString& text) const
{
    return QFontMetrics(m_font).horizontalAdvance(text);
}

int TCanvas::textHeight(const QString&) const
{
    return QFontMetrics(m_font).height();
}

void TCanvas::draw(int x, int y, TGraphic* graphic)
{
    if (graphic && !graphic->empty())
        graphic->draw(*this, QRect(x, y, graphic->width(), graphic->height()));
}

void TCanvas::stretchDraw(const QRect& rect, TGraphic* graphic)
{
    if (graphic && !graphic->empty())
        graphic->draw(*this, rect);
}

void TCanvas::drawImage(const QRect& dest, const QImage& image, const QRect& sourceRect)
{
    if (dest.isEmpty() || image.isNull())
        return;
    const QRect source = sourceRect.isNull() ? image.rect() : sourceRect;
    if (source.isEmpty())
        return;
    paint([&](QPainter& p) {
        switch (m_copyMode) {
        case cmBlackness:
            p.fillRect(dest, Qt::black);
            return;
        case cmWhiteness:
            p.fillRect(dest, Qt::white);
            return;
        case cmSrcPaint:
            p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            break;
        case cmSrcAnd:
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            break;
        case cmSrcInvert:
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case cmNotSrcCopy:
            p.setCompositionMode(QPainter::RasterOp_NotSource);
            break;
        default:
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        }
        p.drawImage(QRectF(dest), image, QRectF(source));
    });
}

void TCanvas::drawMasked(const QRect& dest, TBitmap& bitmap, TBitmap& mask, const QRect& sourceRect)
{
    const QRect source = (sourceRect.isNull() ? QRect(0, 0, bitmap.width(), bitmap.height()) : sourceRect) &
                         QRect(0, 0, bitmap.width(), bitmap.height());
    if (dest.isEmpty() || source.isEmpty())
        return;
    // Masked pixels become fully transparent; nearest-pixel scaling keeps alpha at 0 or 255, so
    // they leave the target exactly as it was.
    QImage image = bitmap.drawableImage().copy(source).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return;
    // A 1-bit mask is read bit by bit whatever its palette; any other mask by colour (not black).
    const TBitmap& constMask = mask;
    const bool bits = mask.pixelFormat() == pf1bit;
    const QImage colors = bits ? QImage() : mask.toImage().convertToFormat(QImage::Format_RGB32);
    const int maskWidth = std::min(mask.width(), source.right() + 1);
    const int maskHeight = std::min(mask.height(), source.bottom() + 1);
    for (int y = source.top(); y < maskHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y - source.top()));
        const uint8_t* maskBits = bits ? constMask.scanLine(y) : nullptr;
        const auto* maskColors = bits ? nullptr : reinterpret_cast<const QRgb*>(colors.constScanLine(y));
        for (int x = source.left(); x < maskWidth; ++x) {
            const bool hidden =
                bits ? (maskBits[x >> 3] >> (7 - (x & 7))) & 1 : (maskColors[x] & 0xFFFFFFu) != 0;
            if (hidden)
                row[x - source.left()] = 0;
        }
    }
    paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(QRectF(dest), image, QRectF(image.rect()));
    });
}

QImage TCanvas::readImage()
{
    if (m_bitmap)
        return m_bitmap->drawableImage();
    QPaintDevice* device = m_painter ? m_painter->device() : m_device;
    if (device && device->devType() == QInternal::Image)
        return *static_cast<QImage*>(device);
    return {};
}

QImage TCanvas::grab(const QRect& rect)
{
    std::lock_guard guard(m_lock);
    const QImage whole = readImage();
    if (!whole.isNull())
        return whole.copy(rect);
    if (m_readback)
        return m_readback(rect);
    QImage filled(rect.size(), QImage::Format_RGB32);
    filled.fill(colorToRgb(m_brush.color));
    return filled;
}

TColor TCanvas::pixel(int x, int y)
{
    std::lock_guard guard(m_lock);
    if (m_bitmap) {
        if (x < 0 || y < 0 || x >= m_bitmap->width() || y >= m_bitmap->height())
            return clNone;
        return rgbToColor(m_bitmap->pixelRgb(x, y));
    }
    const QImage image = readImage();
    if (image.isNull() || !image.rect().contains(x, y))
        return clNone;
    return rgbToColor(image.pixel(x, y));
}

void TCanvas::setPixel(int x, int y, TColor color)
{
    paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(x, y, 1, 1), qColor(color));
    });
}

void TCanvas::copyRect(const QRect& dest, TCanvas& source, const QRect& sourceRect)
{
    if (dest.isEmpty() || sourceRect.isEmpty())
        return;
    // grab() copies, so a copy within one canvas reads the picture as it was before.
    drawImage(dest, source.grab(sourceRect));
}
