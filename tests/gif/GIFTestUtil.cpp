#include "GIFTestUtil.h"

#include "gif/GIFEncoder.h"
#include "graphics/Streams.h"

#include <algorithm>

namespace giftest {

std::vector<uint8_t> lifeStep(const std::vector<uint8_t>& cells, int width, int height)
{
    std::vector<uint8_t> next(cells.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int around = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx != 0 || dy != 0)
                        around += cells[size_t((y + dy + height) % height) * width + (x + dx + width) % width];
            const bool alive = cells[size_t(y) * width + x] != 0;
            next[size_t(y) * width + x] = uint8_t((around == 3 || (alive && around == 2)) ? 1 : 0);
        }
    return next;
}

TGIFSubImage* addFrame(TGIFImage& image, int left, int top, int width, int height,
                       const std::vector<uint8_t>& pixels)
{
    auto* frame = new TGIFSubImage(&image);
    image.images().add(frame);
    frame->setBounds(left, top, width, height);
    if (!pixels.empty())
        frame->setData(pixels);
    return frame;
}

TGIFGraphicControlExtension* gce(TGIFSubImage* frame)
{
    if (!frame->graphicControlExtension())
        frame->extensions().add(new TGIFGraphicControlExtension(frame));
    return frame->graphicControlExtension();
}

void setColors(TGIFColorMap& map, const std::vector<TColor>& colors)
{
    map.clear();
    for (TColor c : colors)
        map.add(c);
}

QByteArray save(TGIFImage& image)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.data();
}

void load(TGIFImage& image, const QByteArray& bytes)
{
    TMemoryStream stream(bytes);
    image.loadFromStream(stream);
}

Bytes& Bytes::header(int width, int height, int packed, const char* signature)
{
    raw(signature);
    return u16(width).u16(height).u8(packed).u8(0).u8(0);
}

Bytes& Bytes::colors(int count)
{
    for (int i = 0; i < count; ++i)
        u8(i).u8(i).u8(i);
    return *this;
}

Bytes& Bytes::descriptor(int left, int top, int width, int height, int packed)
{
    return u8(0x2C).u16(left).u16(top).u16(width).u16(height).u8(packed);
}

Bytes& Bytes::tinyData()
{
    // Code size 2: clear (4), pixel 0, end (5) in 3-bit codes: 100 000 101 → bytes 0x44 0x01.
    return u8(2).u8(2).u8(0x44).u8(0x01).u8(0);
}

Bytes& Bytes::comment(const QByteArray& text)
{
    u8(0x21).u8(0xFE);
    for (qsizetype at = 0; at < text.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, text.size() - at);
        u8(int(n)).raw(text.mid(at, n));
    }
    return u8(0);
}

Bytes& Bytes::imageData(int codeSize, const std::vector<uint8_t>& pixels, int width, int height,
                        bool interlaced)
{
    TMemoryStream stream;
    compressFrameData(stream, codeSize, 256, pixels.data(), width, height, interlaced, gcLZW);
    return raw(stream.data());
}

Bytes& Bytes::control(int disposal, int delay, bool transparent, int index)
{
    return u8(0x21).u8(0xF9).u8(4).u8((disposal << 2) | (transparent ? 1 : 0)).u16(delay).u8(index).u8(0);
}

QByteArray twoColourOptimizedGif(int width, int height, int frames, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> cells(size_t(width) * size_t(height));
    for (uint8_t& cell : cells)
        cell = uint8_t(random() % 3 == 0 ? 1 : 0);
    Bytes gif;
    gif.header(width, height, 0x80).u8(0).u8(0).u8(0).u8(255).u8(255).u8(255); // black, white
    gif.raw(QByteArray::fromHex("21FF0B4E45545343415045322E300301000000"));
    for (int f = 0; f < frames; ++f) {
        const int delay = f % 5 == 4 ? 60 : 10;
        if (f == 0) {
            gif.control(1, delay, false, 0).descriptor(0, 0, width, height).imageData(2, cells, width, height);
            continue;
        }
        std::vector<uint8_t> next = lifeStep(cells, width, height);
        int left = width, top = height, right = -1, bottom = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (next[size_t(y) * width + x] != cells[size_t(y) * width + x]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right < 0) { // nothing changed: a one-pixel frame of the transparent index
            left = top = right = bottom = 0;
        }
        const int w = right - left + 1;
        const int h = bottom - top + 1;
        std::vector<uint8_t> pixels(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const size_t at = size_t(y + top) * width + (x + left);
                pixels[size_t(y) * w + x] = next[at] == cells[at] ? 2 : next[at];
            }
        gif.control(1, delay, true, 2).descriptor(left, top, w, h).imageData(2, pixels, w, h);
        cells = std::move(next);
    }
    gif.u8(0x3B);
    return gif.data;
}

std::vector<Shown> composeTimeline(TGIFImage& image)
{
    const std::vector<Picture> pictures = composeFrames(image);
    std::vector<Shown> timeline;
    for (size_t i = 0; i < pictures.size(); ++i) {
        TGIFSubImage* frame = image.images().subImage(int(i));
        const int delay = frame->graphicControlExtension() ? frame->graphicControlExtension()->delay() : 0;
        if (!timeline.empty() && timeline.back().picture == pictures[i])
            timeline.back().duration += delay;
        else
            timeline.push_back({pictures[i], delay});
    }
    // A picture that never changes has no timing to keep (and a still's delay is dropped).
    if (timeline.size() == 1)
        timeline[0].duration = 0;
    return timeline;
}

std::vector<Picture> composeFrames(TGIFImage& image)
{
    const int w = image.width();
    const int h = image.height();
    Picture canvas(size_t(w) * size_t(h), 0);
    std::vector<Picture> shown;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        const int disposal = frame->graphicControlExtension()
                                 ? disposalValue(frame->graphicControlExtension()->disposal())
                                 : 0;
        const Picture before = canvas;
        if (!frame->empty()) {
            TGIFColorMap& map = frame->activeColorMap();
            const int key = frame->transparentIndex();
            for (int y = 0; y < frame->height(); ++y)
                for (int x = 0; x < frame->width(); ++x) {
                    const int cx = frame->left() + x;
                    const int cy = frame->top() + y;
                    const uint8_t p = frame->data()[size_t(y) * frame->width() + x];
                    if (cx >= w || cy >= h || p == key)
                        continue;
                    // An index beyond the map shows as a marker colour so that remapping it is noticed.
                    const uint32_t rgb = p < map.count() ? map.entry(p).value() : 0x00ABCDEF;
                    canvas[size_t(cy) * w + cx] = 0xFF000000u | rgb;
                }
        }
        shown.push_back(canvas);
        if (disposal == 2) {
            for (int y = frame->top(); y < std::min(h, frame->top() + frame->height()); ++y)
                for (int x = frame->left(); x < std::min(w, frame->left() + frame->width()); ++x)
                    canvas[size_t(y) * w + x] = 0;
        } else if (disposal == 3) {
            canvas = before;
        }
    }
    return shown;
}

void makeRandomAnimation(TGIFImage& image, std::mt19937& random)
{
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    image.clear();
    const int screenW = pick(1, 12);
    const int screenH = pick(1, 12);
    image.header().setWidth(screenW);
    image.header().setHeight(screenH);
    // A few colours, some repeated, so that equal colours in different maps get folded.
    auto randomColor = [&]() {
        return rgbColor(uint8_t(pick(0, 3) * 85), uint8_t(pick(0, 1) * 255), uint8_t(pick(0, 2) * 127));
    };
    if (pick(0, 3) > 0) {
        const int n = pick(1, 12);
        for (int i = 0; i < n; ++i)
            image.globalColorMap().add(randomColor());
    }
    const int frames = pick(1, 6);
    for (int f = 0; f < frames; ++f) {
        int fw = pick(1, screenW);
        int fh = pick(1, screenH);
        int left = pick(0, screenW - fw);
        int top = pick(0, screenH - fh);
        TGIFSubImage* previous = f > 0 ? image.images().subImage(f - 1) : nullptr;
        const bool repeat = previous && pick(0, 1) == 0;
        if (repeat) {
            left = previous->left();
            top = previous->top();
            fw = previous->width();
            fh = previous->height();
        }
        TGIFSubImage* frame = addFrame(image, left, top, fw, fh);
        if (image.globalColorMap().count() == 0 || pick(0, 2) == 0) {
            const int n = pick(1, 10);
            for (int i = 0; i < n; ++i)
                frame->colorMap().add(randomColor());
        }
        const int colors = frame->activeColorMap().count();
        std::vector<uint8_t> pixels(size_t(fw) * size_t(fh));
        // Runs of equal pixels and repeats of the previous frame give merge and crop work to do.
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (repeat && pick(0, 3) > 0)
                pixels[i] = uint8_t(std::min<int>(previous->data()[i], colors - 1));
            else
                pixels[i] = uint8_t(pick(0, 2) == 0 ? 0 : pick(0, colors - 1));
        }
        frame->setData(pixels);
        if (pick(0, 2) > 0) {
            TGIFGraphicControlExtension* control = gce(frame);
            control->setDisposal(disposalFromValue(pick(0, 3)));
            control->setDelay(uint16_t(pick(0, 20)));
            if (pick(0, 1)) {
                control->setTransparentColorIndex(pick(0, colors - 1));
                control->setTransparent(true);
                // At least one opaque pixel, so that no frame starts out invisible.
                const uint8_t key = control->transparentColorIndex();
                if (std::all_of(pixels.begin(), pixels.end(), [key](uint8_t p) { return p == key; })) {
                    if (colors == 1) {
                        control->setTransparent(false);
                    } else {
                        pixels[0] = uint8_t((key + 1) % colors);
                        frame->setData(pixels);
                    }
                }
            }
        }
    }
}

} // namespace giftest
