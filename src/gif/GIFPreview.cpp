#include "gif/GIFPreview.h"

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "graphics/Bitmap.h"

TGIFPreview::TGIFPreview() : m_image(std::make_unique<TGIFImage>()) {}

TGIFPreview::~TGIFPreview()
{
    stop();
}

void TGIFPreview::assign(const TGIFImage& source)
{
    clear();
    m_image->assign(&source);
}

void TGIFPreview::clear()
{
    stop();
    m_image->clear();
    m_picture.reset();
}

bool TGIFPreview::start(TGIFDrawOptions options, TColor background)
{
    stop();
    const int width = m_image->width();
    const int height = m_image->height();
    if (m_image->empty() || width <= 0 || height <= 0)
        return false;
    m_picture = std::make_unique<TBitmap>(width, height, pfDevice);
    m_picture->canvas().brush() = {background, bsSolid};
    m_picture->canvas().fillRect(QRect(0, 0, width, height));
    // The events travel with the painter, which copies them from the image when it is made.
    m_image->onPaint = onFrame;
    m_image->onAfterPaint = onFrameShown;
    m_image->onEndPaint = onEnd;
    TGIFPainter* painter = m_image->paint(m_picture->canvas(), QRect(0, 0, width, height), options, &m_painter);
    if (painter)
        painter->start();
    return true;
}

void TGIFPreview::stop()
{
    // Waits for every painter of the copy, not only the slot's: one that is finishing has
    // already cleared the slot but may still be handing its last work to the main thread.
    m_image->stopPainting();
}

bool TGIFPreview::isPainting()
{
    std::lock_guard<std::recursive_mutex> lock(m_image->paintersLock());
    return !m_image->painters().empty();
}

QImage TGIFPreview::picture() const
{
    return m_picture ? m_picture->toImage() : QImage();
}
