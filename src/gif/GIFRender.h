#pragma once
// Rendering: a frame's pixels become a cached 8-bit bitmap (its own palette, or the web palette
// when dithering applies) with a 1-bit mask whose set bits mark transparent pixels, and frames
// and composed pictures are drawn on canvases (scaled, tiled, through the mask).
//
// Threads: everything here touches frames and canvases and runs on the main thread (painter
// threads reach it through the main-thread dispatcher).
#include "gif/GIFTypes.h"
#include "graphics/Palette.h"

#include <QRect>
#include <functional>
#include <memory>

class TCanvas;

// Dithering to the web palette applies when the draw options ask for it and, with automatic
// dithering, only on a palette display.
bool gifDitheringApplies(TGIFDrawOptions options);

// The frame's palette: its bitmap's, else its cached one, else the web palette (dithering) or
// its local map (both cached in the frame), else the image's palette. None when nothing has
// colours.
HPALETTE gifFramePalette(TGIFSubImage& frame);

// The frame's rendered bitmap, rendered on the first request. Null when a progress handler
// aborted the rendering.
TBitmap* gifFrameBitmap(TGIFSubImage& frame);
// Renders the frame into its cache now (replacing nothing that exists).
void gifRenderFrame(TGIFSubImage& frame);
// Whether the frame's rendering has a transparency mask (rendering again when the mask question
// is still open for a transparent frame).
bool gifFrameHasMask(TGIFSubImage& frame);

// Draws the frame's part of the logical screen scaled into rect (or, tiled, once per screen-sized
// tile laid from rect's top-left), through the mask when transparent is asked for.
void gifFrameDraw(TGIFSubImage& frame, TCanvas& canvas, const QRect& rect, bool transparent, bool tile);
// Draws the whole frame stretched into rect.
void gifFrameStretchDraw(TGIFSubImage& frame, TCanvas& canvas, const QRect& rect, bool transparent);

// Draws a screen-sized picture into rect: stretched, or tiled with tiles of screenSize.
void gifDrawComposed(TBitmap& bitmap, TCanvas& canvas, const QRect& rect, bool tile, const QSize& screenSize);

// Where the frame's part of the logical screen lands when the screen is scaled into rect.
QRect gifFrameRectIn(TGIFSubImage& frame, const QRect& rect);
// Calls draw(dest, sourceOffset) for each screen-sized tile laid from rect's top-left until the
// tiles cover rect; place is where the picture sits inside a tile, dest is clipped to rect and
// sourceOffset is dest's top-left inside the picture.
void gifForEachTile(const QRect& rect, const QSize& screen, const QRect& place,
                    const std::function<void(const QRect& dest, const QPoint& sourceOffset)>& draw);
// The logical screen size the frame is drawn against.
QSize gifScreenSize(TGIFSubImage& frame);

// The image's composed first frame (see TGIFImage::bitmap()).
std::shared_ptr<TBitmap> gifComposeFirstFrame(TGIFImage& image);
