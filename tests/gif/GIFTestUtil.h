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
};

// The picture shown for each frame, composed with disposal and transparency through the active
// colour maps. Pixels are 0xAARRGGBB; alpha 0 means background.
using Picture = std::vector<uint32_t>;
std::vector<Picture> composeFrames(TGIFImage& image);

// A random animation: sizes, offsets, local or global maps, transparency and disposal.
void makeRandomAnimation(TGIFImage& image, std::mt19937& random);

} // namespace giftest
