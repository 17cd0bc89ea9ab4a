#pragma once
// Helpers for the GIF engine tests: building images, recording warnings, raw GIF bytes, and a
// small reference compositor that shows what each frame of an animation looks like.
#include "gif/GIFImage.h"

#include <QByteArray>
#include <QStringList>
#include <random>
#include <vector>

namespace giftest {

// Records every warning the image raises.
struct WarningLog
{
    explicit WarningLog(TGIFImage& image)
    {
        image.onWarning = [this](TObject*, int severity, const QString& message) {
            messages.append(message);
            severities.push_back(severity);
        };
    }
    QStringList messages;
    std::vector<int> severities;
};

// Appends a frame with the given geometry and pixels (row-major) to the image.
TGIFSubImage* addFrame(TGIFImage& image, int left, int top, int width, int height,
                       const std::vector<uint8_t>& pixels = {});
// Gives the frame a graphic control extension (created when missing) and returns it.
TGIFGraphicControlExtension* gce(TGIFSubImage* frame);
void setColors(TGIFColorMap& map, const std::vector<TColor>& colors);
// One generation of the game of life on a width x height torus of 0/1 cells.
std::vector<uint8_t> lifeStep(const std::vector<uint8_t>& cells, int width, int height);

QByteArray save(TGIFImage& image);
void load(TGIFImage& image, const QByteArray& bytes);

// Little builder for raw GIF bytes.
struct Bytes
{
    QByteArray data;
    Bytes& raw(const QByteArray& bytes)
    {
        data += bytes;
        return *this;
    }
    Bytes& u8(int value)
    {
        data += char(uint8_t(value));
        return *this;
    }
    Bytes& u16(int value) { return u8(value & 0xFF).u8((value >> 8) & 0xFF); }
    // "GIF89a", logical screen, packed, background, aspect.
    Bytes& header(int width, int height, int packed = 0, const char* signature = "GIF89a");
    Bytes& colors(int count); // count grey entries
    Bytes& descriptor(int left, int top, int width, int height, int packed = 0);
    // A minimal valid image data stream for a 1×1 frame with code size 2 (pixel 0).
    Bytes& tinyData();
    Bytes& comment(const QByteArray& text);
    // Image data of the given code size for the pixels (row-major; any byte values).
    Bytes& imageData(int codeSize, const std::vector<uint8_t>& pixels, int width, int height,
                     bool interlaced = false);
    // A graphic control extension: disposal, delay, transparency flag and index.
    Bytes& control(int disposal, int delay, bool transparent, int index);
};

// What ImageMagick's "convert -layers Optimize" writes for a two-colour animation (a game of
// life here): a 2-entry global map, a first frame of 0s and 1s, then frames covering what changed
// whose unchanged pixels hold 2 (the transparent index, one past the table) with code size 2.
// Every fifth frame waits 60 hundredths, the others 10.
QByteArray twoColourOptimizedGif(int width, int height, int frames, unsigned seed);

// The picture shown for each frame, composed with disposal and transparency through the active
// colour maps. Pixels are 0xAARRGGBB; alpha 0 means background.
using Picture = std::vector<uint32_t>;
std::vector<Picture> composeFrames(TGIFImage& image);

// The animation as it plays: each picture with the time it stays (hundredths of a second).
// Consecutive frames showing the same picture make one entry with their times added, so that
// an optimiser may drop a frame that changes nothing as long as the time it took is kept.
struct Shown
{
    Picture picture;
    int duration = 0;
    bool operator==(const Shown&) const = default;
};
std::vector<Shown> composeTimeline(TGIFImage& image);

// A random animation: sizes, offsets, local or global maps, transparency and disposal.
void makeRandomAnimation(TGIFImage& image, std::mt19937& random);

} // namespace giftest
