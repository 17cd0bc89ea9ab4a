#pragma once
// The GIF image: a graphic made of a header (logical screen and global colour map) and an
// ordered list of frames, each with its extensions. Everything else in the program edits
// animations through this model.
//
// Threads: the image and its frames belong to the thread that created them. Animation painters
// (running in their own threads) read frames while they run; the image keeps them in a list
// guarded by m_paintersLock, and every operation that restructures the image stops them first.
#include "gif/ColorReduction.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItems.h"
#include "gif/GIFSubImage.h"

#include <functional>
#include <memory>
#include <mutex>

using TGIFWarning = std::function<void(TObject* sender, int severity, const QString& message)>;

class TGIFImage : public TGraphic
{
public:
    TGIFImage();
    ~TGIFImage() override;

    // TGraphic
    void draw(TCanvas& canvas, const QRect& rect) override;
    bool empty() const override { return m_images.count() == 0; }
    int width() const override { return m_header.width(); }
    int height() const override { return m_header.height(); }
    void setWidth(int value) override;
    void setHeight(int value) override;
    HPALETTE palette() override;
    void setPalette(HPALETTE value) override;
    void assign(const TPersistent* source) override;
    void loadFromStream(TStream& stream) override;
    void saveToStream(TStream& stream) override;
    void loadFromClipboardFormat(const QString& format, const QByteArray& data) override;
    void saveToClipboardFormat(QString& format, QByteArray& data) override;
    // Writing through the persistence stream: optimises first when the engine setting asks.
    void writeData(TStream& stream);

    virtual void warning(TObject* sender, int severity, const QString& message);

    void clear();
    TGIFImageList& images() { return m_images; }
    TGIFHeader& header() { return m_header; }
    TGIFGlobalColorMap& globalColorMap() { return m_header.colorMap(); }
    TGIFVersion version() const;
    bool isTransparent() const;
    // Frames with pixels; the frame strip shows exactly these (empty frames stand last).
    int nonEmptyFrameCount();
    // Adds a frame: a TGIFSubImage is taken over as it is, any graphic is converted into a new
    // frame. Returns the new frame's index.
    int add(TPersistent* source);

    TGIFDrawOptions drawOptions() const { return m_drawOptions; }
    void setDrawOptions(TGIFDrawOptions value);
    TColorReduction colorReduction() const { return m_colorReduction; }
    void setColorReduction(TColorReduction value) { m_colorReduction = value; }
    int reductionBits() const { return m_reductionBits; }
    void setReductionBits(int value);
    TDitherMode ditherMode() const { return m_ditherMode; }
    void setDitherMode(TDitherMode value) { m_ditherMode = value; }
    uint8_t compression() const { return m_compression; }
    void setCompression(uint8_t value) { m_compression = value; }
    int threadPriority() const { return m_threadPriority; }
    void setThreadPriority(int value) { m_threadPriority = value; }
    int animationSpeed() const { return m_animationSpeed; }
    void setAnimationSpeed(int value) { m_animationSpeed = value; }
    TColor drawBackgroundColor() const { return m_drawBackgroundColor; }
    void setDrawBackgroundColor(TColor value) { m_drawBackgroundColor = value; }

    TGIFWarning onWarning;
    // Painter events (start, before each frame, after each frame, loop, end).
    TNotifyEvent onStartPaint, onPaint, onAfterPaint, onLoop, onEndPaint;

    // Merges every colour map into one global map.
    void optimizeColorMaps();
    // Whole-image optimisation; see GIFOptimize.cpp.
    void optimize(TGIFOptimizeOptions options, TColorReduction colorReduction, TDitherMode ditherMode,
                  int reductionBits);

    // ---- Rendering and painting (GIFRender.cpp, GIFPainter.cpp) ----
    // The composed bitmap: made on request as the first frame on the logical screen; while an
    // animation is drawn through it, the animation's current picture. Null when empty.
    const std::shared_ptr<TBitmap>& bitmap();
    void freeBitmap();
    // Starts painting on canvas: synchronously (runs the whole animation now, returns null) or
    // asynchronously (returns the painter, not yet started). ownerSlot, when given, points to the
    // painter while it runs and is cleared when it ends. Main thread.
    TGIFPainter* paint(TCanvas& canvas, const QRect& rect, TGIFDrawOptions options,
                       TGIFPainter** ownerSlot = nullptr);
    // Stops every painter and waits for the asynchronous ones to end (serving their main-thread
    // work meanwhile), then frees the composed bitmap. Main thread.
    void stopPainting();
    // Stops the painter the last draw started and waits for it, then frees the composed bitmap.
    void stopCurrentPainter();
    // The painter the last draw started, or null. Main thread.
    TGIFPainter* currentPainter();
    // Guards the painter list and the current-painter slot. Recursive: painter events and
    // progress handlers may draw again while an image operation holds it.
    std::recursive_mutex& paintersLock() { return m_paintersLock; }
    std::vector<TGIFPainter*>& painters() { return m_painters; }

    // Code size of the frames without local colours: the largest bits per pixel of the global
    // map and of every local map. Worked out once per image write, else on every call.
    int sharedCodeBits() const;

    // Progress in the engine's pattern (start, running steps, end from a cleanup).
    void reportProgress(TProgressStage stage, int percent, bool redraw, const QString& message)
    {
        progress(this, stage, percent, redraw, QRect(), message);
    }

private:
    void assignImage(TGIFImage& source);
    void assignGraphic(const TGraphic* source);
    void loadImage(TStream& stream);

    TGIFHeader m_header;
    TGIFImageList m_images;
    HPALETTE m_palette;
    std::recursive_mutex m_paintersLock;
    std::vector<TGIFPainter*> m_painters;
    TGIFPainter* m_currentPainter = nullptr;
    std::shared_ptr<TBitmap> m_bitmap;
    TGIFDrawOptions m_drawOptions = GIFDefaultDrawOptions;
    TColorReduction m_colorReduction = rmNetscape;
    int m_reductionBits = 8;
    TDitherMode m_ditherMode = dmNearest;
    uint8_t m_compression = 0;
    int m_threadPriority = 3;
    int m_animationSpeed = 100;
    TColor m_drawBackgroundColor = clNone;
    bool m_drawing = false;
    bool m_paletteLookup = false;
    // sharedCodeBits() while saveToStream writes the frames (no map changes meanwhile), else -1.
    int m_writeCodeBits = -1;
};

// Clipboard format of the "GIF Image" data.
inline const char* const GIFClipboardFormat = "image/gif";
