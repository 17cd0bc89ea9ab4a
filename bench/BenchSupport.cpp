#include "BenchSupport.h"

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace bench {

double medianSeconds(int repeat, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, repeat); ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<double> interleavedBestSeconds(const std::vector<std::function<void()>>& works, int minRepeat,
                                           double minSeconds, int maxRepeat)
{
    std::vector<double> best(works.size(), std::numeric_limits<double>::infinity());
    double spent = 0;
    for (int round = 0; round < std::max(1, maxRepeat); ++round) {
        if (round >= minRepeat && spent >= minSeconds)
            break;
        for (size_t i = 0; i < works.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            works[i]();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            best[i] = std::min(best[i], seconds);
            spent += seconds;
        }
    }
    return best;
}

QString testData(const QString& relative)
{
    return QDir(QStringLiteral(REELWRIGHT_TESTDATA_DIR)).filePath(relative);
}

QStringList realCorpus()
{
    QDir dir(testData(QStringLiteral("gif/real")));
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

namespace {

void addFrame(TGIFImage& image, int width, int height, const std::vector<uint8_t>& pixels, int delay,
              const std::vector<TColor>& localColors = {})
{
    auto* frame = new TGIFSubImage(&image);
    image.images().add(frame);
    frame->setBounds(0, 0, width, height);
    frame->setData(pixels);
    for (TColor c : localColors)
        frame->colorMap().add(c);
    auto* control = new TGIFGraphicControlExtension(frame);
    control->setDelay(uint16_t(delay));
    control->setDisposal(1);
    frame->extensions().add(control);
}

QString write(TGIFImage& image, const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    image.saveToFile(path);
    return path;
}

// A smooth picture with some noise: colour indexes as photographs and renderings give them.
std::vector<uint8_t> plasma(int width, int height, int colors, int phase, std::mt19937& random)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double v = std::sin(x / 9.0 + phase / 5.0) + std::sin(y / 7.0 - phase / 7.0) +
                             std::sin((x + y + phase) / 13.0) + 3.0;
            int index = int(v / 6.0 * (colors - 1)) + int(random() % 3) - 1;
            pixels[size_t(y) * width + x] = uint8_t(std::clamp(index, 0, colors - 1));
        }
    return pixels;
}

std::vector<TColor> randomColors(int count, std::mt19937& random)
{
    std::vector<TColor> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(rgbColor(uint8_t(random()), uint8_t(random()), uint8_t(random())));
    return colors;
}

} // namespace

QStringList writeSmallLocalPaletteSet(const QString& folder)
{
    struct Shape
    {
        int width, height, frames, colors;
    };
    const Shape shapes[] = {{116, 100, 14, 256}, {128, 128, 20, 256}, {64, 64, 30, 16},
                            {96, 72, 40, 64},    {32, 32, 100, 4},    {120, 90, 24, 128}};
    QStringList paths;
    std::mt19937 random(2026);
    for (const Shape& shape : shapes) {
        TGIFImage image;
        image.setWidth(shape.width);
        image.setHeight(shape.height);
        for (int f = 0; f < shape.frames; ++f)
            addFrame(image, shape.width, shape.height, plasma(shape.width, shape.height, shape.colors, f, random), 8,
                     randomColors(shape.colors, random));
        paths << write(image, folder,
                       QStringLiteral("gen-small-%1x%2-%3f-%4c-local.gif")
                           .arg(shape.width)
                           .arg(shape.height)
                           .arg(shape.frames)
                           .arg(shape.colors));
    }
    return paths;
}

QStringList writeTwoAnd256ColourSet(const QString& folder)
{
    QStringList paths;
    std::mt19937 random(72);
    {
        const int w = 200, h = 160, frames = 72;
        std::vector<uint8_t> cells(size_t(w) * h);
        for (uint8_t& cell : cells)
            cell = uint8_t(random() % 3 == 0);
        TGIFImage image;
        image.setWidth(w);
        image.setHeight(h);
        image.globalColorMap().add(rgbColor(0, 0, 0));
        image.globalColorMap().add(rgbColor(255, 255, 255));
        for (int f = 0; f < frames; ++f) {
            addFrame(image, w, h, cells, 10);
            std::vector<uint8_t> next(cells.size());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    int around = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if (dx || dy)
                                around += cells[size_t((y + dy + h) % h) * w + (x + dx + w) % w];
                    const bool alive = cells[size_t(y) * w + x] != 0;
                    next[size_t(y) * w + x] = uint8_t(around == 3 || (alive && around == 2));
                }
            cells = std::move(next);
        }
        paths << write(image, folder, QStringLiteral("gen-life-200x160-72f-2c.gif"));
    }
    {
        const int w = 160, h = 120, frames = 40;
        TGIFImage image;
        image.setWidth(w);
        image.setHeight(h);
        for (TColor c : randomColors(256, random))
            image.globalColorMap().add(c);
        // A still background with a moving disc: most of each frame repeats the one before.
        const std::vector<uint8_t> background = plasma(w, h, 256, 0, random);
        for (int f = 0; f < frames; ++f) {
            std::vector<uint8_t> pixels = background;
            const int cx = 20 + f * 3, cy = 60 + int(30 * std::sin(f / 6.0));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 15 * 15)
                        pixels[size_t(y) * w + x] = uint8_t((x * 3 + y) % 256);
            addFrame(image, w, h, pixels, 5);
        }
        paths << write(image, folder, QStringLiteral("gen-disc-160x120-40f-256c.gif"));
    }
    return paths;
}

} // namespace bench
