#include "gif/ColorReduction.h"
#include "gif/GIFTestUtil.h"
#include "gif/KMeansQuantizer.h"
#include "graphics/Bitmap.h"

#include <QImage>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

// Width x height pixels in 24 bits (blue, green, red), rows without padding.
struct TPixels
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
    std::ptrdiff_t stride() const { return std::ptrdiff_t(width) * 3; }
};

// Smooth gradients with some noise: far more than 256 colours, like a photograph.
TPixels photoLike(int width, int height, unsigned seed)
{
    TPixels p{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* q = p.bgr.data() + (size_t(y) * width + x) * 3;
            q[0] = uint8_t(std::clamp(40 + 180.0 * x / width + noise(random), 0.0, 255.0));
            q[1] = uint8_t(std::clamp(220 - 200.0 * y / height + noise(random), 0.0, 255.0));
            q[2] = uint8_t(std::clamp(128 + 100 * std::sin(x * 0.07 + y * 0.05) + noise(random), 0.0, 255.0));
        }
    return p;
}

// A picture of exactly `colors` distinct colours.
TPixels fewColors(int colors, int width, int height)
{
    TPixels p{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int i = 0; i < width * height; ++i) {
        const int c = i % colors;
        p.bgr[size_t(i) * 3] = uint8_t(c * 7);
        p.bgr[size_t(i) * 3 + 1] = uint8_t(c * 13 + 1);
        p.bgr[size_t(i) * 3 + 2] = uint8_t(255 - c);
    }
    return p;
}

double meanSquaredError(const TPixels& p, const std::vector<uint8_t>& indexes, const std::vector<TPaletteEntry>& palette)
{
    double sum = 0;
    for (size_t i = 0; i < indexes.size(); ++i) {
        const TPaletteEntry& e = palette.at(indexes[i]);
        const uint8_t* q = p.bgr.data() + i * 3;
        sum += (q[2] - e.red) * (q[2] - e.red) + (q[1] - e.green) * (q[1] - e.green) +
               (q[0] - e.blue) * (q[0] - e.blue);
    }
    return sum / double(indexes.size() * 3);
}

int bruteNearest(const std::vector<TPaletteEntry>& palette, int r, int g, int b)
{
    int best = INT_MAX, chosen = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int d = (palette[i].red - r) * (palette[i].red - r) + (palette[i].green - g) * (palette[i].green - g) +
                      (palette[i].blue - b) * (palette[i].blue - b);
        if (d < best) {
            best = d;
            chosen = int(i);
        }
    }
    return chosen;
}

} // namespace

TEST(KMeansQuantizer, PicturesThatFitKeepEveryColourExactly)
{
    for (const int colors : {1, 2, 17, 256}) {
        SCOPED_TRACE(colors);
        const TPixels p = fewColors(colors, 37, 29);
        const TQuantized q = quantizePixels(p.bgr.data(), p.width, p.height, p.stride(), {});
        ASSERT_TRUE(q.palette);
        EXPECT_EQ(int(q.palette->entries.size()), colors);
        EXPECT_EQ(meanSquaredError(p, q.pixels, q.palette->entries), 0.0);
    }
}

TEST(KMeansQuantizer, StaysWithinTheColourCountForEveryCount)
{
    const TPixels p = photoLike(90, 70, 1);
    for (const int colors : {1, 2, 3, 16, 100, 256}) {
        for (const double strength : {0.0, 0.5, 1.0}) {
            SCOPED_TRACE(testing::Message() << colors << " colours, strength " << strength);
            TQuantizeOptions options;
            options.colors = colors;
            options.ditherStrength = strength;
            const TQuantized q = quantizePixels(p.bgr.data(), p.width, p.height, p.stride(), options);
            ASSERT_TRUE(q.palette);
            ASSERT_LE(int(q.palette->entries.size()), colors);
            ASSERT_EQ(q.pixels.size(), size_t(p.width * p.height));
            for (const uint8_t index : q.pixels)
                ASSERT_LT(index, q.palette->entries.size());
        }
    }
}

// The point of the quantizer: less error than the octree with the same diffusion.
TEST(KMeansQuantizer, BeatsTheOctreeOnAPhotographLikePicture)
{
    const TPixels p = photoLike(160, 120, 2);
    for (const int colors : {16, 64, 256}) {
        SCOPED_TRACE(colors);
        TQuantizeOptions options;
        options.colors = colors;
        const TQuantized hq = quantizePixels(p.bgr.data(), p.width, p.height, p.stride(), options);
        int bits = 0;
        while ((1 << bits) < colors)
            ++bits;
        const TReduction octree =
            reduceColors(p.bgr.data(), p.width, p.height, p.stride(), rmQuantize, dmFloydSteinberg, bits, {});
        ASSERT_EQ(octree.kind, TReduction::Kind::Indexed);
        EXPECT_LT(meanSquaredError(p, hq.pixels, hq.palette->entries),
                  meanSquaredError(p, octree.pixels, octree.palette->entries));
    }
}

TEST(KMeansQuantizer, WithoutDiffusionEveryPixelTakesItsNearestColour)
{
    const TPixels p = photoLike(64, 48, 3);
    TQuantizeOptions options;
    options.colors = 40;
    options.ditherStrength = 0;
    const TQuantized q = quantizePixels(p.bgr.data(), p.width, p.height, p.stride(), options);
    const auto& palette = q.palette->entries;
    for (size_t i = 0; i < q.pixels.size(); ++i) {
        const uint8_t* c = p.bgr.data() + i * 3;
        const int want = bruteNearest(palette, c[2], c[1], c[0]);
        const TPaletteEntry& a = palette[q.pixels[i]];
        const TPaletteEntry& b = palette[size_t(want)];
        // Equal distance ties may pick either entry.
        ASSERT_EQ((a.red - c[2]) * (a.red - c[2]) + (a.green - c[1]) * (a.green - c[1]) + (a.blue - c[0]) * (a.blue - c[0]),
                  (b.red - c[2]) * (b.red - c[2]) + (b.green - c[1]) * (b.green - c[1]) + (b.blue - c[0]) * (b.blue - c[0]))
            << "pixel " << i;
    }
}

TEST(KMeansQuantizer, NearestColourLookupAgreesWithAFullSearch)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const int size : {1, 2, 7, 64, 256}) {
        SCOPED_TRACE(size);
        std::vector<TPaletteEntry> palette;
        for (int i = 0; i < size; ++i)
            palette.push_back({uint8_t(byte(random)), uint8_t(byte(random)), uint8_t(byte(random)), 0});
        if (size > 2)
            palette[1] = palette[0]; // duplicates happen in real palettes
        const TNearestColor lookup(palette);
        for (int n = 0; n < 3000; ++n) {
            const int r = byte(random), g = byte(random), b = byte(random);
            const int got = lookup.nearest(r, g, b);
            const int want = bruteNearest(palette, r, g, b);
            auto d = [&](int i) {
                return (palette[size_t(i)].red - r) * (palette[size_t(i)].red - r) +
                       (palette[size_t(i)].green - g) * (palette[size_t(i)].green - g) +
                       (palette[size_t(i)].blue - b) * (palette[size_t(i)].blue - b);
            };
            ASSERT_EQ(d(got), d(want)) << r << "," << g << "," << b;
        }
    }
}

TEST(KMeansQuantizer, RefusesWhatItCannotQuantize)
{
    const TPixels p = photoLike(8, 8, 4);
    struct Case
    {
        const char* name;
        const uint8_t* rows;
        int width, height;
        std::ptrdiff_t stride;
        int colors;
    };
    const Case cases[] = {
        {"no pixels", nullptr, 8, 8, 24, 256}, {"zero width", p.bgr.data(), 0, 8, 24, 256},
        {"negative height", p.bgr.data(), 8, -1, 24, 256}, {"short stride", p.bgr.data(), 8, 8, 23, 256},
        {"no colours", p.bgr.data(), 8, 8, 24, 0}, {"257 colours", p.bgr.data(), 8, 8, 24, 257},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TQuantizeOptions options;
        options.colors = c.colors;
        const TQuantized q = quantizePixels(c.rows, c.width, c.height, c.stride, options);
        EXPECT_FALSE(q.palette);
        EXPECT_TRUE(q.pixels.empty());
    }
    TBitmap empty;
    EXPECT_TRUE(quantizeBitmap(empty, {})->empty());
}

TEST(KMeansQuantizer, BitmapOfAnyFormatBecomesAnEightBitPicture)
{
    QImage picture(50, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            picture.setPixel(x, y, qRgb(x * 5, y * 6, (x * y) % 256));
    TBitmap source;
    source.fromImage(picture);
    TQuantizeOptions options;
    options.colors = 32;
    const auto result = quantizeBitmap(source, options);
    ASSERT_FALSE(result->empty());
    EXPECT_EQ(result->pixelFormat(), pf8bit);
    EXPECT_EQ(result->width(), 50);
    EXPECT_EQ(result->height(), 40);
    EXPECT_LE(result->palette()->entries.size(), 32u);
}

namespace {

std::vector<std::unique_ptr<TBitmap>> videoFrames(int count)
{
    std::vector<std::unique_ptr<TBitmap>> frames;
    for (int f = 0; f < count; ++f) {
        QImage picture(48, 36, QImage::Format_RGB32);
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 48; ++x)
                picture.setPixel(x, y, qRgb((x * 5 + f * 9) % 256, (y * 7 + f * 3) % 256, (x + y * 3) % 256));
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->fromImage(picture);
        frames.push_back(std::move(bitmap));
    }
    return frames;
}

std::vector<TBitmap*> pointers(const std::vector<std::unique_ptr<TBitmap>>& frames)
{
    std::vector<TBitmap*> out;
    for (const auto& f : frames)
        out.push_back(f.get());
    return out;
}

} // namespace

TEST(KMeansQuantizer, ImportedFramesShareOneGlobalPaletteAndSurviveAWrite)
{
    const auto frames = videoFrames(4);
    TGIFImage image;
    TQuantizeOptions options;
    options.colors = 64;
    EXPECT_EQ(importFrames(image, pointers(frames), TQuantizerKind::HighQuality, options, true), 0);
    ASSERT_EQ(image.images().count(), 4);
    EXPECT_GT(image.globalColorMap().count(), 0);
    EXPECT_LE(image.globalColorMap().count(), 64);
    for (int i = 0; i < 4; ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        EXPECT_EQ(frame->colorMap().count(), 0) << i;
        for (int64_t p = 0; p < frame->dataSize(); ++p)
            ASSERT_LT(frame->data()[p], image.globalColorMap().count());
    }
    TGIFImage copy;
    giftest::load(copy, giftest::save(image));
    ASSERT_EQ(copy.images().count(), 4);
    EXPECT_EQ(giftest::composeFrames(copy), giftest::composeFrames(image));
}

TEST(KMeansQuantizer, ImportChoosesLocalMapsWhenAskedOrWhenTheGlobalMapIsTaken)
{
    const auto frames = videoFrames(2);
    {
        TGIFImage image;
        importFrames(image, pointers(frames), TQuantizerKind::HighQuality, {}, false);
        ASSERT_EQ(image.images().count(), 2);
        EXPECT_EQ(image.globalColorMap().count(), 0);
        for (int i = 0; i < 2; ++i)
            EXPECT_GT(image.images().subImage(i)->colorMap().count(), 0);
    }
    {
        // An image that already uses its global map keeps it; the shared palette goes into
        // each new frame's local map, so both frames still show the same palette.
        TGIFImage image;
        giftest::setColors(image.globalColorMap(), {clRed, clBlue});
        giftest::addFrame(image, 0, 0, 2, 1, {0, 1});
        importFrames(image, pointers(frames), TQuantizerKind::HighQuality, {}, true);
        ASSERT_EQ(image.images().count(), 3);
        EXPECT_EQ(image.globalColorMap().count(), 2);
        EXPECT_EQ(image.images().subImage(1)->colorMap().entries(), image.images().subImage(2)->colorMap().entries());
    }
}

TEST(KMeansQuantizer, OctreeImportIsTheImagesOwnConversion)
{
    const auto frames = videoFrames(2);
    TGIFImage chosen, direct;
    chosen.setColorReduction(rmQuantize);
    direct.setColorReduction(rmQuantize);
    importFrames(chosen, pointers(frames), TQuantizerKind::Octree);
    for (const auto& f : frames)
        direct.add(f.get());
    EXPECT_EQ(giftest::save(chosen), giftest::save(direct));
}

TEST(KMeansQuantizer, FewerColoursKeepTransparencyExactly)
{
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        TGIFImage image;
        giftest::makeRandomAnimation(image, random);
        const std::vector<giftest::Picture> before = giftest::composeFrames(image);
        reduceImageColors(image, 4);
        const std::vector<giftest::Picture> after = giftest::composeFrames(image);
        ASSERT_EQ(before.size(), after.size());
        for (size_t f = 0; f < before.size(); ++f)
            for (size_t i = 0; i < before[f].size(); ++i)
                ASSERT_EQ(before[f][i] >> 24 == 0, after[f][i] >> 24 == 0) << "frame " << f << " pixel " << i;
        // Every map now has few entries, and the file can be written and read.
        EXPECT_LE(image.globalColorMap().count(), 4 + 256 - 4);
        TGIFImage copy;
        giftest::load(copy, giftest::save(image));
        EXPECT_EQ(giftest::composeFrames(copy), after);
    }
}

TEST(KMeansQuantizer, FewerColoursShrinksABigMap)
{
    TGIFImage image;
    std::vector<TColor> colors;
    for (int i = 0; i < 200; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)));
    giftest::setColors(image.globalColorMap(), colors);
    std::vector<uint8_t> pixels(200);
    for (int i = 0; i < 200; ++i)
        pixels[size_t(i)] = uint8_t(i);
    giftest::addFrame(image, 0, 0, 20, 10, pixels);
    reduceImageColors(image, 16);
    EXPECT_EQ(image.globalColorMap().count(), 16);
    for (int64_t i = 0; i < 200; ++i)
        ASSERT_LT(image.images().subImage(0)->data()[i], 16);
}
