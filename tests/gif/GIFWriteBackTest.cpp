// Whatever the reader accepts, the writer writes back showing the same: files from other
// programs hold pixel values past their colour maps, code sizes larger than their maps need and
// interlaced frames of any height.
#include "GIFTestUtil.h"

#include "gif/GIFException.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Shape
{
    const char* name;
    QByteArray bytes;
};

std::vector<uint8_t> ramp(int count, int top)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[size_t(i)] = uint8_t(i % (top + 1));
    return pixels;
}

std::vector<Shape> shapes()
{
    std::vector<Shape> list;
    // Transparent index 2 one past a two-colour global table (ImageMagick's frame optimiser).
    list.push_back({"two-colour table, transparent index 2", twoColourOptimizedGif(24, 16, 10, 7)});
    // A four-colour local map whose pixels run up to 6.
    list.push_back({"local map shorter than its pixels", Bytes()
                                                             .header(5, 4, 0x80)
                                                             .colors(2)
                                                             .descriptor(0, 0, 5, 4, 0x81)
                                                             .colors(4)
                                                             .imageData(3, ramp(20, 6), 5, 4)
                                                             .u8(0x3B)
                                                             .data});
    // No colour map at all.
    list.push_back({"no colour map", Bytes()
                                         .header(4, 3)
                                         .descriptor(0, 0, 4, 3)
                                         .imageData(3, ramp(12, 5), 4, 3)
                                         .u8(0x3B)
                                         .data});
    // A local two-colour map, transparent index 3 past it.
    list.push_back({"local transparent index past the map", Bytes()
                                                                .header(3, 3, 0x80)
                                                                .colors(2)
                                                                .control(0, 5, true, 3)
                                                                .descriptor(0, 0, 3, 3, 0x80)
                                                                .colors(2)
                                                                .imageData(2, ramp(9, 3), 3, 3)
                                                                .u8(0x3B)
                                                                .data});
    // Code size 8 for a two-colour map.
    list.push_back({"code size above the map's bits", Bytes()
                                                          .header(6, 2, 0x80)
                                                          .colors(2)
                                                          .descriptor(0, 0, 6, 2)
                                                          .imageData(8, ramp(12, 1), 6, 2)
                                                          .u8(0x3B)
                                                          .data});
    // Frames on the global map where another frame's local map is larger: values up to 200.
    list.push_back({"global frame past the widest map", Bytes()
                                                            .header(8, 2, 0x81)
                                                            .colors(4)
                                                            .descriptor(0, 0, 8, 2)
                                                            .imageData(8, ramp(16, 200), 8, 2)
                                                            .descriptor(0, 0, 2, 2, 0x82)
                                                            .colors(8)
                                                            .imageData(3, ramp(4, 7), 2, 2)
                                                            .u8(0x3B)
                                                            .data});
    // Interlaced frames of every height up to 17, on the global map.
    for (int height = 1; height <= 17; ++height) {
        Bytes bytes;
        bytes.header(3, height, 0x81).colors(4).descriptor(0, 0, 3, height, 0x40).imageData(
            2, ramp(3 * height, 3), 3, height, true);
        list.push_back({"interlaced", bytes.u8(0x3B).data});
    }
    return list;
}

} // namespace

TEST(GIFWriteBack, EveryShapeTheReaderAcceptsIsWrittenBackShowingTheSame)
{
    for (const Shape& shape : shapes()) {
        for (uint8_t compression : {uint8_t(0), uint8_t(1)}) {
            SCOPED_TRACE(testing::Message() << shape.name << " compression " << int(compression));
            TGIFImage image;
            image.onWarning = [](TObject*, int, const QString&) {};
            load(image, shape.bytes);
            ASSERT_FALSE(image.empty());
            const std::vector<Shown> shown = composeTimeline(image);
            std::vector<std::vector<uint8_t>> pixels;
            for (int i = 0; i < image.images().count(); ++i) {
                const TGIFSubImage* frame = image.images().subImage(i);
                pixels.emplace_back(frame->data(), frame->data() + frame->dataSize());
            }
            image.setCompression(compression);
            QByteArray written;
            ASSERT_NO_THROW(written = save(image));
            TGIFImage reread;
            reread.onWarning = [](TObject*, int, const QString&) {};
            load(reread, written);
            ASSERT_EQ(reread.images().count(), image.images().count());
            for (int i = 0; i < reread.images().count(); ++i) {
                const TGIFSubImage* frame = reread.images().subImage(i);
                EXPECT_EQ(std::vector<uint8_t>(frame->data(), frame->data() + frame->dataSize()),
                          pixels[size_t(i)])
                    << "frame " << i;
            }
            EXPECT_TRUE(composeTimeline(reread) == shown);
        }
    }
}

TEST(GIFWriteBack, CodeSizeGrowsOnlyForValuesPastTheMap)
{
    // Within the map the code size stays the one the map gives (byte-identical output).
    TGIFImage inside;
    load(inside, Bytes().header(4, 1, 0x80).colors(2).descriptor(0, 0, 4, 1).imageData(2, {0, 1, 1, 0}, 4, 1).u8(0x3B).data);
    QByteArray bytes = save(inside);
    EXPECT_EQ(uint8_t(bytes[13 + 6 + 10]), 2);

    // 3 in a two-colour image needs 2 bits (code size byte 2), 9 needs 4.
    for (const auto& [value, codeSize] : {std::pair{3, 2}, std::pair{9, 4}}) {
        TGIFImage image;
        load(image, Bytes()
                        .header(2, 1, 0x80)
                        .colors(2)
                        .descriptor(0, 0, 2, 1)
                        .imageData(8, {0, uint8_t(value)}, 2, 1)
                        .u8(0x3B)
                        .data);
        bytes = save(image);
        EXPECT_EQ(uint8_t(bytes[13 + 6 + 10]), codeSize) << value;
    }
}

TEST(GIFWriteBack, ColorMapOptimisationKeepsAPastTheTableTransparentIndex)
{
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {};
    load(image, twoColourOptimizedGif(30, 20, 90, 3));
    int transparentBefore = 0;
    for (int i = 1; i < image.images().count(); ++i)
        transparentBefore += image.images().subImage(i)->transparentIndex() == 2 ? 1 : 0;
    ASSERT_EQ(transparentBefore, 89);
    const std::vector<Shown> before = composeTimeline(image);
    image.optimize(ooColorMap, 0, 0, 8);
    for (int i = 1; i < image.images().count(); ++i)
        EXPECT_EQ(image.images().subImage(i)->transparentIndex(), 2) << "frame " << i;
    EXPECT_TRUE(composeTimeline(image) == before);
}

// Optimisation removes a frame that shows nothing only when the picture before it stays on
// screen in its place, and that picture then keeps the removed frame's time.
TEST(GIFWriteBack, DroppedInvisibleFramesKeepTheTimeline)
{
    struct Case
    {
        const char* name;
        int previousDisposal;
        bool previousTransparent;
        int framesAfter;
        int previousDelay;
    };
    const Case cases[] = {
        {"opaque previous frame takes the time", 1, false, 1, 70},
        {"transparent previous frame takes the time", 0, true, 1, 70},
        {"restore-to-background before: frame stays", 2, false, 2, 10},
        {"restore-to-previous before: frame stays", 3, false, 2, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        image.header().setWidth(4);
        image.header().setHeight(4);
        setColors(image.globalColorMap(), {0x000000, 0xFFFFFF, 0x0000FF});
        TGIFSubImage* first = addFrame(image, 0, 0, 4, 4, std::vector<uint8_t>(16, 1));
        gce(first)->setDelay(10);
        gce(first)->setDisposal(disposalFromValue(c.previousDisposal));
        if (c.previousTransparent) {
            gce(first)->setTransparentColorIndex(2);
            gce(first)->setTransparent(true);
        }
        TGIFSubImage* invisible = addFrame(image, 1, 1, 3, 3, std::vector<uint8_t>(9, 0));
        gce(invisible)->setDelay(60);
        gce(invisible)->setTransparentColorIndex(0);
        gce(invisible)->setTransparent(true);
        const std::vector<Shown> before = composeTimeline(image);
        image.optimize(ooCrop, 0, 0, 8);
        EXPECT_EQ(image.images().count(), c.framesAfter);
        EXPECT_EQ(image.images().subImage(0)->graphicControlExtension()->delay(), c.previousDelay);
        if (c.framesAfter == 2) {
            EXPECT_EQ(image.images().subImage(1)->boundsRect(), QRect(1, 1, 1, 1));
        }
        EXPECT_TRUE(composeTimeline(image) == before);
    }
}

TEST(GIFWriteBack, MergeKeepsAFrameOnlyWhenItWritesSmaller)
{
    // Two-colour noise that repeats its predecessor in scattered single pixels: a third index
    // would break the runs, so the merged frame writes larger and the original stays.
    std::mt19937 random(5);
    TGIFImage image;
    image.header().setWidth(64);
    image.header().setHeight(64);
    setColors(image.globalColorMap(), {0x000000, 0xFFFFFF});
    std::vector<uint8_t> a(64 * 64), b(64 * 64);
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = uint8_t((i / 7) % 2);
        b[i] = random() % 2 ? a[i] : uint8_t(1 - a[i]);
    }
    addFrame(image, 0, 0, 64, 64, a);
    addFrame(image, 0, 0, 64, 64, b);
    const QByteArray original = save(image);
    image.optimize(ooMerge, 0, 0, 8);
    EXPECT_EQ(image.images().subImage(1)->transparentIndex(), -1);
    EXPECT_EQ(image.globalColorMap().count(), 2);
    EXPECT_EQ(save(image), original);

    // A frame that repeats nearly all of its predecessor shrinks to what changed and writes
    // smaller.
    b = a;
    b[100] = uint8_t(1 - b[100]);
    image.images().subImage(1)->setData(b);
    const int64_t unmerged = save(image).size();
    image.optimize(ooMerge, 0, 0, 8);
    EXPECT_EQ(image.images().subImage(1)->boundsRect(), QRect(100 % 64, 100 / 64, 1, 1));
    EXPECT_LT(save(image).size(), unmerged);

    // Two changed pixels far apart: the repeats between them go transparent.
    b = a;
    b[0] = uint8_t(1 - b[0]);
    b[64 * 64 - 1] = uint8_t(1 - b[64 * 64 - 1]);
    image.images().subImage(1)->setBounds(0, 0, 64, 64);
    image.images().subImage(1)->setData(b);
    const int64_t spread = save(image).size();
    image.optimize(ooMerge, 0, 0, 8);
    EXPECT_GE(image.images().subImage(1)->transparentIndex(), 0);
    EXPECT_LT(save(image).size(), spread);
}

// With a full map merge has no transparent index to give; the frame then shrinks to what
// changed, wherever the disposals allow it, and the timeline stays.
TEST(GIFWriteBack, FramesOnAFullMapShrinkToWhatChanged)
{
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        TGIFImage image;
        const int w = pick(4, 24), h = pick(4, 24);
        image.header().setWidth(w);
        image.header().setHeight(h);
        std::vector<TColor> colors;
        for (int i = 0; i < 256; ++i)
            colors.push_back(rgbColor(uint8_t(i), uint8_t(i * 3), uint8_t(pick(0, 1) ? 0 : 255 - i)));
        setColors(image.globalColorMap(), colors);
        std::vector<uint8_t> screen(size_t(w) * h);
        for (uint8_t& p : screen)
            p = uint8_t(pick(0, 255));
        for (int f = 0, frames = pick(2, 6); f < frames; ++f) {
            // A changed patch, the rest repeating; sometimes offset or smaller frames.
            const int x0 = pick(0, w - 1), y0 = pick(0, h - 1);
            for (int y = y0; y < std::min(h, y0 + pick(1, 5)); ++y)
                for (int x = x0; x < std::min(w, x0 + pick(1, 5)); ++x)
                    screen[size_t(y) * w + x] = uint8_t(pick(0, 255));
            const bool whole = f == 0 || pick(0, 2) > 0;
            const int fl = whole ? 0 : pick(0, w / 2), ft = whole ? 0 : pick(0, h / 2);
            const int fw = whole ? w : pick(1, w - fl), fh = whole ? h : pick(1, h - ft);
            std::vector<uint8_t> pixels(size_t(fw) * fh);
            for (int y = 0; y < fh; ++y)
                for (int x = 0; x < fw; ++x)
                    pixels[size_t(y) * fw + x] = screen[size_t(y + ft) * w + x + fl];
            TGIFSubImage* frame = addFrame(image, fl, ft, fw, fh, pixels);
            gce(frame)->setDelay(uint16_t(pick(0, 30)));
            gce(frame)->setDisposal(disposalFromValue(pick(0, 5) == 0 ? pick(2, 3) : pick(0, 1)));
            if (pick(0, 3) == 0) {
                gce(frame)->setTransparentColorIndex(pixels[0]);
                gce(frame)->setTransparent(true);
            }
        }
        const std::vector<Shown> before = composeTimeline(image);
        const int64_t sizeBefore = save(image).size();
        image.optimize(ooMerge | ooCrop, 0, 0, 8);
        ASSERT_TRUE(composeTimeline(image) == before);
        ASSERT_LE(save(image).size(), sizeBefore);
    }

    // The simple case: a 16x16 frame that repeats all but one pixel becomes that pixel.
    TGIFImage image;
    image.header().setWidth(16);
    image.header().setHeight(16);
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t(i / 3)));
    setColors(image.globalColorMap(), colors);
    std::vector<uint8_t> pixels(256);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 37);
    addFrame(image, 0, 0, 16, 16, pixels);
    pixels[5 * 16 + 9] = 3;
    addFrame(image, 0, 0, 16, 16, pixels);
    image.optimize(ooMerge, 0, 0, 8);
    EXPECT_EQ(image.images().subImage(1)->boundsRect(), QRect(9, 5, 1, 1));
}

TEST(GIFWriteBack, BackgroundColourInAFullMapTakesTheClosestEntry)
{
    TGIFImage image;
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    setColors(image.globalColorMap(), colors);
    ASSERT_NO_THROW(image.header().setBackgroundColor(rgbColor(10, 12, 11)));
    EXPECT_EQ(image.header().backgroundColorIndex(), 11);
    EXPECT_EQ(image.globalColorMap().count(), 256);
    image.header().setBackgroundColor(rgbColor(200, 200, 200)); // present: that entry
    EXPECT_EQ(image.header().backgroundColorIndex(), 200);
}

TEST(GIFWriteBack, ClipboardGetsThePictureBesideTheStream)
{
    TGIFImage image;
    image.header().setWidth(3);
    image.header().setHeight(2);
    setColors(image.globalColorMap(), {rgbColor(255, 0, 0), rgbColor(0, 255, 0)});
    addFrame(image, 0, 0, 3, 2, {0, 1, 0, 1, 0, 1});

    std::unique_ptr<QMimeData> stored;
    image.saveToClipboard([&](QMimeData* data) {
        stored.reset(data);
        return true;
    });
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->hasImage());
    const QImage picture = qvariant_cast<QImage>(stored->imageData());
    EXPECT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(stored->data(QStringLiteral("image/gif")), save(image));

    // A clipboard that refuses the data is an error, not a silent success.
    try {
        image.saveToClipboard([](QMimeData* data) {
            delete data;
            return false;
        });
        FAIL() << "no exception";
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Failed to store GIF on clipboard");
    }

    // The system clipboard (offscreen platform) receives both as well.
    image.saveToClipboard();
    const QMimeData* board = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->hasImage());
    EXPECT_EQ(board->data(QStringLiteral("image/gif")), save(image));
}
