#include "gif/GIFImage.h"

#include "gif/GIFException.h"
#include "gif/GIFPainter.h"
#include "gif/GIFRender.h"
#include "gif/SystemPalettes.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "graphics/MainThreadDispatcher.h"
#include "graphics/Streams.h"

#include <algorithm>

TGIFImage::TGIFImage() : m_header(this), m_images(this)
{
    clear();
}

TGIFImage::~TGIFImage()
{
    stopPainting();
    {
        // Painters still listed run beneath this call (they raised the event that destroys the
        // image): they lose their image and end without touching it.
        std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
        const std::vector<TGIFPainter*> listed = m_painters;
        for (TGIFPainter* painter : listed)
            painter->detach();
        m_painters.clear();
    }
    clear();
}

// ---- Painting (the painters themselves: GIFPainter.cpp) -------------------------------------

void TGIFImage::stopPainting()
{
    TMainThreadDispatcher& dispatcher = TMainThreadDispatcher::instance();
    for (;;) {
        int running = 0;
        {
            std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
            const std::vector<TGIFPainter*> listed = m_painters;
            for (TGIFPainter* painter : listed) {
                painter->stop();
                if (!painter->isAsync())
                    continue; // runs beneath this call and ends when it returns
                if (dispatcher.isServing(painter->threadId()))
                    painter->detach(); // blocked beneath this call: it cannot end before we return
                else
                    ++running;
            }
        }
        if (running == 0)
            break;
        dispatcher.waitAndProcess(1);
    }
    m_bitmap.reset();
}

void TGIFImage::stopCurrentPainter()
{
    TMainThreadDispatcher& dispatcher = TMainThreadDispatcher::instance();
    for (;;) {
        {
            std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
            TGIFPainter* painter = m_currentPainter;
            if (!painter)
                break;
            painter->stop();
            if (!painter->isAsync())
                break;
            if (dispatcher.isServing(painter->threadId())) {
                painter->detach();
                break;
            }
        }
        dispatcher.waitAndProcess(1);
    }
    m_bitmap.reset();
}

TGIFPainter* TGIFImage::currentPainter()
{
    std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
    return m_currentPainter;
}

void TGIFImage::freeBitmap()
{
    stopCurrentPainter();
    m_bitmap.reset();
}

const std::shared_ptr<TBitmap>& TGIFImage::bitmap()
{
    if (!m_bitmap && !empty()) {
        m_bitmap = gifComposeFirstFrame(*this);
        if (m_bitmap)
            m_bitmap->onChange = [this](TObject*) {
                changed(this);
            };
    }
    return m_bitmap;
}

TGIFPainter* TGIFImage::paint(TCanvas& canvas, const QRect& rect, TGIFDrawOptions options,
                              TGIFPainter** ownerSlot)
{
    if (empty() || rect.isEmpty()) {
        if (ownerSlot)
            *ownerSlot = nullptr;
        return nullptr;
    }
    if (m_images.count() == 1)
        options &= TGIFDrawOptions(~(goAsync | goAnimate));
    auto* painter = new TGIFPainter(this, &canvas, rect, options, ownerSlot);
    painter->onStartPaint = onStartPaint;
    painter->onPaint = onPaint;
    painter->onAfterPaint = onAfterPaint;
    painter->onLoop = onLoop;
    painter->onEndPaint = onEndPaint;
    {
        std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
        m_painters.push_back(painter);
        if (ownerSlot)
            *ownerSlot = painter;
    }
    if (painter->isAsync())
        return painter; // thread priorities are left to the system scheduler
    painter->runSynchronously();
    return nullptr;
}

void TGIFImage::draw(TCanvas& canvas, const QRect& rect)
{
    if (m_images.count() == 0 || m_drawing)
        return;
    m_drawing = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_drawing};
    const TGIFDrawOptions options = m_drawOptions;
    const QSize screen(width(), height());
    if (m_images.count() == 1 || !(options & goAnimate)) {
        gifFrameDraw(*m_images.subImage(0), canvas, rect, options & goTransparent, options & goTile);
        return;
    }
    const bool direct = options & goDirectDraw;
    if (m_bitmap && !direct) {
        gifDrawComposed(*m_bitmap, canvas, rect, options & goTile, screen);
        return;
    }
    {
        TGIFPainter* current = currentPainter();
        if (current && current->canvas() == &canvas && current->rect() == rect)
            return;
    }
    stopCurrentPainter();
    TCanvas* target = &canvas;
    QRect targetRect = rect;
    if (!direct) {
        // A true-colour picture: frames with different colour tables compose without loss.
        const QRect whole(0, 0, width(), height());
        m_bitmap = std::make_shared<TBitmap>(width(), height(), pfDevice);
        m_bitmap->canvas().copyRect(whole, canvas, rect);
        target = &m_bitmap->canvas();
        targetRect = whole;
    }
    TGIFPainter* painter = paint(*target, targetRect, options, &m_currentPainter);
    if (painter) {
        painter->start();
        if (direct)
            return;
        TMainThreadDispatcher& dispatcher = TMainThreadDispatcher::instance();
        while (currentPainter() == painter && !painter->hasPainted() && !painter->stopRequested())
            dispatcher.waitAndProcess(1);
    }
    // A synchronous painter has finished here and left its last picture in the composed bitmap;
    // show it now rather than on the next draw.
    if (!direct && m_bitmap)
        gifDrawComposed(*m_bitmap, canvas, rect, options & goTile, screen);
}

void TGIFImage::clear()
{
    stopPainting();
    freeBitmap();
    m_images.clear();
    m_header.colorMap().clear();
    m_header.setWidth(0);
    m_header.setHeight(0);
    m_header.prepare();
    m_palette.reset();
}

void TGIFImage::setWidth(int value)
{
    if (value < 0 || value > 0xFFFF)
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    for (int i = 0; i < m_images.count(); ++i) {
        const TGIFSubImage* frame = m_images.subImage(i);
        if (frame->left() + frame->width() > value)
            throw GIFException(QString::fromLatin1(gifmsg::ImageWidthTooSmall));
    }
    if (value != m_header.width()) {
        m_header.setWidth(value);
        freeBitmap();
        changed(this);
    }
}

void TGIFImage::setHeight(int value)
{
    if (value < 0 || value > 0xFFFF)
        throw GIFException(QStringLiteral("Invalid pixel coordinates"));
    for (int i = 0; i < m_images.count(); ++i) {
        const TGIFSubImage* frame = m_images.subImage(i);
        if (frame->top() + frame->height() > value)
            throw GIFException(QString::fromLatin1(gifmsg::ImageHeightTooSmall));
    }
    if (value != m_header.height()) {
        m_header.setHeight(value);
        freeBitmap();
        changed(this);
    }
}

HPALETTE TGIFImage::palette()
{
    if (m_paletteLookup)
        throw GIFException(QStringLiteral("No global or local color table defined"));
    m_paletteLookup = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_paletteLookup};
    if (m_bitmap && m_bitmap->palette())
        return m_bitmap->palette();
    if (m_palette)
        return m_palette;
    if (gifDitheringApplies(m_drawOptions)) {
        m_palette = webPalette();
        return m_palette;
    }
    if (m_header.colorMap().count() > 0) {
        m_palette = m_header.colorMap().exportPalette();
        return m_palette;
    }
    if (m_images.count() > 0)
        return gifFramePalette(*m_images.subImage(0)); // not cached: it belongs to the frame
    return {};
}

void TGIFImage::setPalette(HPALETTE value)
{
    m_palette = std::move(value);
    if (m_bitmap) {
        freeBitmap();
        setPaletteModified(true);
        changed(this);
    }
}

void TGIFImage::warning(TObject* sender, int severity, const QString& message)
{
    if (onWarning)
        onWarning(sender, severity, message);
}

TGIFVersion TGIFImage::version() const
{
    TGIFVersion result = gvUnknown;
    for (int i = 0; i < m_images.count(); ++i) {
        result = std::max(result, m_images.subImage(i)->version());
        if (result == gv89a)
            break;
    }
    return result;
}

int TGIFImage::nonEmptyFrameCount()
{
    int count = 0;
    for (int i = 0; i < m_images.count(); ++i)
        count += m_images.subImage(i)->empty() ? 0 : 1;
    return count;
}

bool TGIFImage::isTransparent() const
{
    for (int i = 0; i < m_images.count(); ++i) {
        TGIFExtensionList& extensions = m_images.subImage(i)->extensions();
        for (int e = 0; e < extensions.count(); ++e) {
            auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(extensions.extension(e));
            if (gce && gce->transparent())
                return true;
        }
    }
    return false;
}

int TGIFImage::add(TPersistent* source)
{
    TGIFSubImage* frame = nullptr;
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
        frame = new TGIFSubImage(this);
        try {
            frame->assign(graphic);
        } catch (...) {
            delete frame;
            throw;
        }
    } else if (auto* subImage = dynamic_cast<TGIFSubImage*>(source)) {
        frame = subImage;
    } else {
        throw GIFException(QStringLiteral("Object type not supported for operation"));
    }
    const int index = m_images.add(frame);
    freeBitmap();
    changed(this);
    return index;
}

void TGIFImage::setDrawOptions(TGIFDrawOptions value)
{
    if (value == m_drawOptions)
        return;
    stopCurrentPainter();
    m_drawOptions = value;
    freeBitmap();
    m_palette.reset();
    for (int i = 0; i < m_images.count(); ++i) {
        m_images.subImage(i)->freeBitmap();
        m_images.subImage(i)->freePalette();
    }
    if (m_header.colorMap().count() == 0 && m_images.count() == 1) {
        TGIFSubImage* only = m_images.subImage(0);
        m_header.colorMap().assign(&only->colorMap());
        only->colorMap().clear();
    }
    changed(this);
}

void TGIFImage::setReductionBits(int value)
{
    if (value < 3 || value > 8)
        throw GIFException(QStringLiteral("Invalid Bits Per Pixel value"));
    m_reductionBits = value;
}

void TGIFImage::assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (!source) {
        clear();
        return;
    }
    if (const auto* image = dynamic_cast<const TGIFImage*>(source)) {
        assignImage(*const_cast<TGIFImage*>(image));
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        assignGraphic(graphic);
        return;
    }
    TGraphic::assign(source);
}

void TGIFImage::assignImage(TGIFImage& source)
{
    clear();
    onProgress = source.onProgress;
    onWarning = source.onWarning;
    const QString message = QStringLiteral("Copying...");
    bool completed = false;
    try {
        reportProgress(psStarting, 0, false, message);
        m_header.assign(&source.m_header);
        m_threadPriority = source.m_threadPriority;
        m_drawBackgroundColor = source.m_drawBackgroundColor;
        m_drawOptions = source.m_drawOptions;
        m_colorReduction = source.m_colorReduction;
        m_ditherMode = source.m_ditherMode;
        const int total = source.m_images.count();
        for (int i = 0; i < total; ++i) {
            auto* frame = new TGIFSubImage(this);
            try {
                frame->assign(source.m_images.subImage(i));
            } catch (...) {
                delete frame;
                throw;
            }
            m_images.add(frame);
            reportProgress(psRunning, mulDiv(i + 1, 100, total), false, message);
        }
        completed = true;
        reportProgress(psEnding, 100, false, message);
    } catch (...) {
        if (!completed)
            reportProgress(psEnding, 0, false, message);
        onProgress = nullptr;
        onWarning = nullptr;
        throw;
    }
    onProgress = nullptr;
    onWarning = nullptr;
}

void TGIFImage::assignGraphic(const TGraphic* source)
{
    clear();
    auto* frame = new TGIFSubImage(this);
    try {
        frame->assign(source);
    } catch (const EConvertError&) {
        delete frame;
        TGraphic::assign(source); // the platform's cannot-assign error
        return;
    } catch (...) {
        delete frame;
        throw;
    }
    m_images.add(frame);
}

void TGIFImage::loadFromStream(TStream& stream)
{
    const int64_t start = stream.position();
    clear();
    const QString message = QStringLiteral("Loading...");
    reportProgress(psStarting, 0, false, message);
    try {
        loadImage(stream);
    } catch (...) {
        stream.setPosition(start);
        reportProgress(psEnding, 0, true, message);
        throw;
    }
    reportProgress(psEnding, 100, true, message);
}

void TGIFImage::loadImage(TStream& stream)
{
    m_header.loadFromStream(stream);
    m_images.loadFromStream(stream);
    TGIFTrailer trailer(this);
    trailer.loadFromStream(stream);
}

void TGIFImage::saveToStream(TStream& stream)
{
    const QString message = QStringLiteral("Saving...");
    reportProgress(psStarting, 0, false, message);
    // Without the memo every frame on the global map would visit every frame's map.
    m_writeCodeBits = -1;
    m_writeCodeBits = sharedCodeBits();
    try {
        m_header.saveToStream(stream);
        m_images.saveToStream(stream);
        TGIFTrailer trailer(this);
        trailer.saveToStream(stream);
    } catch (...) {
        m_writeCodeBits = -1;
        reportProgress(psEnding, 0, true, message);
        throw;
    }
    m_writeCodeBits = -1;
    reportProgress(psEnding, 100, true, message);
}

int TGIFImage::sharedCodeBits() const
{
    if (m_writeCodeBits >= 0)
        return m_writeCodeBits;
    int bits = m_header.colorMap().bitsPerPixel();
    for (int i = 0; i < m_images.count(); ++i)
        bits = std::max(bits, m_images.subImage(i)->colorMap().bitsPerPixel());
    return bits;
}

void TGIFImage::writeData(TStream& stream)
{
    if (gifSettings().optimizeOnStream)
        optimize(GIFAllOptimizeOptions, rmNone, dmNearest, 8);
    saveToStream(stream);
}

void TGIFImage::saveToClipboardFormat(QString& format, QByteArray& data)
{
    if (empty())
        return;
    // The composed bitmap goes on the clipboard beside the GIF data once rendering is in place.
    TMemoryStream stream;
    saveToStream(stream);
    format = QString::fromLatin1(GIFClipboardFormat);
    data = stream.takeData();
}

void TGIFImage::loadFromClipboardFormat(const QString& format, const QByteArray& data)
{
    if (format == QLatin1String(GIFClipboardFormat)) {
        TMemoryStream stream(data);
        loadFromStream(stream);
        return;
    }
    if (format == QLatin1String("image/bmp")) {
        TBitmap bitmap;
        bitmap.loadFromClipboardFormat(format, data);
        assign(&bitmap);
        return;
    }
    throw GIFException(QStringLiteral("Unsupported clipboard format"));
}
