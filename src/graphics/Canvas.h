#pragma once
// TCanvas: a drawing surface with a brush, a pen, a font and a copy mode, over a TBitmap's
// pixels, any QPaintDevice, or a QPainter that is already active (a widget during its paint).
//
// Rectangles are QRects (left, top, width, height); right and bottom edges are exclusive as with
// the platform's rectangles. Scaled drawing never smooths: each target pixel takes the nearest
// source pixel, as a stretching blit does.
//
// Each canvas has a device-context id (HDC) while it can draw. The id becomes invalid when the
// canvas is destroyed (with its bitmap) or its device is released; isValidHandle() answers from
// any thread, so an animation painter can tell that its target has gone.
#include "graphics/Colors.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <mutex>

class QPaintDevice;
class QPainter;
class TBitmap;
class TGraphic;

using HDC = uint64_t;

enum TBrushStyle
{
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum TPenStyle
{
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
// How pixels drawn from an image combine with the target (the platform's raster operations).
enum TCopyMode
{
    cmSrcCopy,
    cmSrcPaint,
    cmSrcAnd,
    cmSrcInvert,
    cmNotSrcCopy,
    cmBlackness,
    cmWhiteness
};

struct TBrush
{
    TColor color = clWhite;
    TBrushStyle style = bsSolid;
};

struct TPen
{
    TColor color = clBlack;
    int width = 1;
    TPenStyle style = psSolid;
};

class TCanvas
{
public:
    // The canvas of a bitmap (made by TBitmap::canvas()).
    explicit TCanvas(TBitmap* bitmap);
    // A canvas over a paint device that must outlive it or be released first. A QImage device
    // can also be read (pixels, copyRect from it).
    explicit TCanvas(QPaintDevice* device);
    // A canvas over an active painter, e.g. inside a widget's paint event; release it when the
    // painter ends.
    explicit TCanvas(QPainter* painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush& brush() { return m_brush; }
    TPen& pen() { return m_pen; }
    QFont& font() { return m_font; }
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color) { m_fontColor = color; }
    TCopyMode copyMode() const { return m_copyMode; }
    void setCopyMode(TCopyMode mode) { m_copyMode = mode; }

    // The bitmap this canvas draws on, or nullptr.
    TBitmap* bitmap() const { return m_bitmap; }
    // The drawable area (0, 0, width, height) of the target; empty without a target.
    QRect clipRect() const;

    // Fills with the brush (nothing with bsClear).
    void fillRect(const QRect& rect);
    // Outlines with the pen, one pixel wide, inside the rectangle.
    void frameRect(const QRect& rect);
    // Fills with the brush and outlines with the pen.
    void rectangle(const QRect& rect);
    void ellipse(const QRect& rect);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void textOut(int x, int y, const QString& text);
    int textWidth(const QString& text) const;
    int textHeight(const QString& text) const;

    // Draws a graphic at its own size, or stretched into rect.
    void draw(int x, int y, TGraphic* graphic);
    void stretchDraw(const QRect& rect, TGraphic* graphic);
    // Copies sourceRect of another canvas (or this one) into dest, scaled, with the copy mode.
    void copyRect(const QRect& dest, TCanvas& source, const QRect& sourceRect);
    // Draws (part of) an image into dest, scaled, with the copy mode. A null source rect is the
    // whole image.
    void drawImage(const QRect& dest, const QImage& image, const QRect& sourceRect = QRect());
    // Draws a bitmap through a mask of the same size: where the mask's bit is set (for a mask
    // that is not 1-bit: where it is not black) the target stays unchanged.
    void drawMasked(const QRect& dest, TBitmap& bitmap, TBitmap& mask, const QRect& sourceRect = QRect());

    // The colour of a pixel (clNone outside the target or when the target cannot be read).
    TColor pixel(int x, int y);
    void setPixel(int x, int y, TColor color);
    // The target's pixels in rect. Unreadable targets give the rectangle filled with the brush
    // colour unless a readback function was installed.
    QImage grab(const QRect& rect);
    void setReadback(std::function<QImage(const QRect&)> readback) { m_readback = std::move(readback); }

    // Device-context id: valid from creation until destruction or release.
    HDC handle() const { return m_handle; }
    bool handleAllocated() const { return m_handle != 0; }
    static bool isValidHandle(HDC handle);
    // The device goes away: drawing stops and the id becomes invalid. A bitmap's canvas gets a new
    // id on its next drawing operation.
    void releaseHandle();
    // Points the canvas at another device or active painter (a new id is given out).
    void setDevice(QPaintDevice* device);
    void setPainter(QPainter* painter);

    // Serialises drawing from several threads (painters lock the canvas they draw on).
    void lock() { m_lock.lock(); }
    void unlock() { m_lock.unlock(); }
    bool tryLock() { return m_lock.try_lock(); }

    // Called after each drawing operation.
    std::function<void(TCanvas*)> onChange;

private:
    template <typename Paint> void paint(Paint&& body);
    void setUp(QPainter& painter) const;
    void allocateHandle();
    QImage readImage();

    TBitmap* m_bitmap = nullptr;
    QPaintDevice* m_device = nullptr;
    QPainter* m_painter = nullptr;
    HDC m_handle = 0;
    TBrush m_brush;
    TPen m_pen;
    QFont m_font;
    TColor m_fontColor = clWindowText;
    TCopyMode m_copyMode = cmSrcCopy;
    QPoint m_penPos;
    std::function<QImage(const QRect&)> m_readback;
    std::recursive_mutex m_lock;
};
