#include "GIFTestUtil.h"

#include "graphics/Streams.h"

#include <algorithm>

namespace giftest {

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

std::vector<Picture> composeFrames(TGIFImage& image)
{
    const int w = image.width();
    const int h = image.height();
    Picture canvas(size_t(w) * size_t(h), 0);
    std::vector<Picture> shown;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        const int disposal =
            frame->graphicControlExtension() ? frame->graphicControlExtension()->disposal() : 0;
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
            control->setDisposal(TGIFDisposal(pick(0, 3)));
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
