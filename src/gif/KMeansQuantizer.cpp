#include "gif/KMeansQuantizer.h"

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>

namespace {

constexpr int kBinBits = 6;
constexpr int kBinCount = 1 << (3 * kBinBits);
constexpr size_t kMaxExact = 256;

int binOf(uint8_t red, uint8_t green, uint8_t blue)
{
    constexpr int shift = 8 - kBinBits;
    return ((red >> shift) << (2 * kBinBits)) | ((green >> shift) << kBinBits) | (blue >> shift);
}

using TVec = std::array<double, 3>;

double dist2(const TVec& a, const TVec& b)
{
    const double d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

// Weighted sums of a set of points: enough for its mean and its squared error about the mean.
struct TMoments
{
    double weight = 0;
    TVec sum{};
    double squares = 0;

    void add(const TVec& p, double w)
    {
        weight += w;
        for (int c = 0; c < 3; ++c) {
            sum[size_t(c)] += w * p[size_t(c)];
            squares += w * p[size_t(c)] * p[size_t(c)];
        }
    }
    double sse() const
    {
        if (weight <= 0)
            return 0;
        const double s = sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2];
        return std::max(0.0, squares - s / weight);
    }
    TVec mean() const { return {sum[0] / weight, sum[1] / weight, sum[2] / weight}; }
};

struct TWeighted
{
    TVec p;
    double w;
};

// Median cut that splits, each time, the box of the largest squared error at the point along
// its widest axis that leaves the least error on both sides (Wu's criterion, on the points
// themselves rather than on a cumulative grid).
std::vector<TVec> medianCut(std::vector<TWeighted>& points, int colors)
{
    struct TBox
    {
        size_t begin, end;
        TMoments m;
        bool done = false;
    };
    std::vector<TBox> boxes;
    TMoments all;
    for (const TWeighted& q : points)
        all.add(q.p, q.w);
    boxes.push_back({0, points.size(), all, false});
    while (int(boxes.size()) < colors) {
        int pick = -1;
        double worst = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (!boxes[i].done && boxes[i].end - boxes[i].begin >= 2 && boxes[i].m.sse() > worst) {
                worst = boxes[i].m.sse();
                pick = int(i);
            }
        if (pick < 0)
            break;
        TBox box = boxes[size_t(pick)];
        // The axis of the largest variance.
        int axis = 0;
        double best = -1;
        for (int c = 0; c < 3; ++c) {
            double s = 0, q = 0;
            for (size_t i = box.begin; i < box.end; ++i) {
                s += points[i].w * points[i].p[size_t(c)];
                q += points[i].w * points[i].p[size_t(c)] * points[i].p[size_t(c)];
            }
            const double variance = q - s * s / box.m.weight;
            if (variance > best) {
                best = variance;
                axis = c;
            }
        }
        std::sort(points.begin() + std::ptrdiff_t(box.begin), points.begin() + std::ptrdiff_t(box.end),
                  [axis](const TWeighted& a, const TWeighted& b) { return a.p[size_t(axis)] < b.p[size_t(axis)]; });
        TMoments left;
        size_t split = box.begin + 1;
        double bestError = std::numeric_limits<double>::max();
        TMoments bestLeft;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            left.add(points[i].p, points[i].w);
            if (points[i].p[size_t(axis)] == points[i + 1].p[size_t(axis)])
                continue; // equal keys must stay on one side for the split to mean anything
            TMoments right;
            right.weight = box.m.weight - left.weight;
            for (int c = 0; c < 3; ++c)
                right.sum[size_t(c)] = box.m.sum[size_t(c)] - left.sum[size_t(c)];
            right.squares = box.m.squares - left.squares;
            const double error = left.sse() + right.sse();
            if (error < bestError) {
                bestError = error;
                split = i + 1;
                bestLeft = left;
            }
        }
        if (bestError == std::numeric_limits<double>::max()) {
            // Every point of the box has the same key on its widest axis: nothing to split.
            boxes[size_t(pick)].done = true;
            continue;
        }
        TMoments right;
        right.weight = box.m.weight - bestLeft.weight;
        for (int c = 0; c < 3; ++c)
            right.sum[size_t(c)] = box.m.sum[size_t(c)] - bestLeft.sum[size_t(c)];
        right.squares = box.m.squares - bestLeft.squares;
        boxes[size_t(pick)] = {box.begin, split, bestLeft, false};
        boxes.push_back({split, box.end, right, false});
    }
    std::vector<TVec> means;
    for (const TBox& box : boxes)
        means.push_back(box.m.mean());
    return means;
}

// Weighted Lloyd iterations. A point only looks past its current centre when it is farther from
// it than half the distance to that centre's nearest neighbour, and then skips every centre
// that the triangle inequality rules out, so most points cost one distance per pass.
void refineKMeans(const std::vector<TWeighted>& points, std::vector<TVec>& centres, int iterations)
{
    const size_t k = centres.size();
    if (k < 2)
        return;
    std::vector<uint16_t> owner(points.size(), 0);
    // Start from the nearest centre of each point.
    for (size_t i = 0; i < points.size(); ++i) {
        double best = std::numeric_limits<double>::max();
        for (size_t j = 0; j < k; ++j) {
            const double d = dist2(points[i].p, centres[j]);
            if (d < best) {
                best = d;
                owner[i] = uint16_t(j);
            }
        }
    }
    std::vector<double> between(k * k);
    std::vector<double> nearestOther(k);
    for (int pass = 0; pass < iterations; ++pass) {
        // New centres from the current owners; an emptied centre moves to the point that is
        // served worst, which splits the cluster that needs it most.
        std::vector<TMoments> moments(k);
        for (size_t i = 0; i < points.size(); ++i)
            moments[owner[i]].add(points[i].p, points[i].w);
        for (size_t j = 0; j < k; ++j) {
            if (moments[j].weight > 0) {
                centres[j] = moments[j].mean();
                continue;
            }
            size_t worst = 0;
            double worstError = -1;
            for (size_t i = 0; i < points.size(); ++i) {
                const double e = points[i].w * dist2(points[i].p, centres[owner[i]]);
                if (e > worstError) {
                    worstError = e;
                    worst = i;
                }
            }
            centres[j] = points[worst].p;
            owner[worst] = uint16_t(j);
        }
        for (size_t a = 0; a < k; ++a) {
            nearestOther[a] = std::numeric_limits<double>::max();
            for (size_t b = 0; b < k; ++b) {
                between[a * k + b] = dist2(centres[a], centres[b]);
                if (a != b)
                    nearestOther[a] = std::min(nearestOther[a], between[a * k + b]);
            }
        }
        size_t moved = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const size_t current = owner[i];
            double best = dist2(points[i].p, centres[current]);
            if (4 * best <= nearestOther[current])
                continue;
            size_t chosen = current;
            for (size_t j = 0; j < k; ++j) {
                if (j == current || between[current * k + j] >= 4 * best)
                    continue;
                const double d = dist2(points[i].p, centres[j]);
                if (d < best) {
                    best = d;
                    chosen = j;
                }
            }
            if (chosen != current) {
                owner[i] = uint16_t(chosen);
                ++moved;
            }
        }
        if (moved == 0)
            break;
    }
    std::vector<TMoments> moments(k);
    for (size_t i = 0; i < points.size(); ++i)
        moments[owner[i]].add(points[i].p, points[i].w);
    for (size_t j = 0; j < k; ++j)
        if (moments[j].weight > 0)
            centres[j] = moments[j].mean();
}

uint8_t toByte(double v)
{
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

TPaletteEntry entryOf(uint32_t rgb)
{
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), PC_NOCOLLAPSE};
}

// A picture's pixels in 24 bits (blue, green, red), whatever its format.
QImage bgrImage(TBitmap& bitmap)
{
    return bitmap.toImage().convertToFormat(QImage::Format_BGR888);
}

bool validSize(int width, int height, std::ptrdiff_t stride)
{
    return width > 0 && height > 0 && std::abs(stride) >= std::ptrdiff_t(width) * 3;
}

} // namespace

// ---- TColorHistogram

TColorHistogram::TColorHistogram() : m_bins(kBinCount)
{
}

void TColorHistogram::noteExact(uint32_t rgb)
{
    if (rgb == m_lastExact)
        return;
    m_lastExact = rgb;
    const auto at = std::lower_bound(m_exact.begin(), m_exact.end(), rgb);
    if (at != m_exact.end() && *at == rgb)
        return;
    if (m_exact.size() >= kMaxExact) {
        m_exactOverflow = true;
        m_exact.clear();
        m_exact.shrink_to_fit();
        return;
    }
    m_exact.insert(at, rgb);
}

void TColorHistogram::addColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t weight)
{
    if (weight == 0)
        return;
    TBin& bin = m_bins[size_t(binOf(red, green, blue))];
    bin.count += weight;
    bin.red += red * weight;
    bin.green += green * weight;
    bin.blue += blue * weight;
    m_total += weight;
    if (!m_exactOverflow)
        noteExact((uint32_t(red) << 16) | (uint32_t(green) << 8) | blue);
}

void TColorHistogram::addPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride)
{
    if (!bgrRows || !validSize(width, height, stride))
        return;
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = bgrRows + y * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            TBin& bin = m_bins[size_t(binOf(p[2], p[1], p[0]))];
            ++bin.count;
            bin.red += p[2];
            bin.green += p[1];
            bin.blue += p[0];
            if (!m_exactOverflow)
                noteExact((uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0]);
        }
    }
    m_total += uint64_t(width) * uint64_t(height);
}

std::vector<TColorHistogram::TPoint> TColorHistogram::points() const
{
    std::vector<TPoint> out;
    for (const TBin& bin : m_bins)
        if (bin.count > 0) {
            const double n = double(bin.count);
            out.push_back({float(bin.red / n), float(bin.green / n), float(bin.blue / n), n});
        }
    return out;
}

// ---- palette

std::vector<TPaletteEntry> buildPalette(const TColorHistogram& histogram, const TQuantizeOptions& options)
{
    const int colors = std::clamp(options.colors, 1, 256);
    std::vector<TPaletteEntry> palette;
    if (histogram.pixelCount() == 0)
        return palette;
    if (!histogram.exactOverflowed() && int(histogram.exactColors().size()) <= colors) {
        for (uint32_t rgb : histogram.exactColors())
            palette.push_back(entryOf(rgb));
        return palette;
    }
    std::vector<TWeighted> points;
    for (const TColorHistogram::TPoint& p : histogram.points())
        points.push_back({{p.red, p.green, p.blue}, p.weight});
    std::vector<TVec> centres = medianCut(points, colors);
    refineKMeans(points, centres, std::max(0, options.iterations));
    for (const TVec& c : centres) {
        const TPaletteEntry e{toByte(c[0]), toByte(c[1]), toByte(c[2]), PC_NOCOLLAPSE};
        if (std::find(palette.begin(), palette.end(), e) == palette.end())
            palette.push_back(e);
    }
    return palette;
}

// ---- TNearestColor

TNearestColor::TNearestColor(const std::vector<TPaletteEntry>& palette)
    : m_palette(palette.begin(), palette.begin() + std::ptrdiff_t(std::min<size_t>(palette.size(), 256))),
      m_cellStart(4097, 0)
{
    const size_t n = m_palette.size();
    std::vector<int> nearMin(n), farMax(n);
    auto axisMin = [](int v, int lo) { return v < lo ? lo - v : v > lo + 15 ? v - lo - 15 : 0; };
    auto axisMax = [](int v, int lo) { return std::max(std::abs(v - lo), std::abs(v - lo - 15)); };
    for (int cell = 0; cell < 4096; ++cell) {
        m_cellStart[size_t(cell)] = uint32_t(m_candidates.size());
        if (n == 0)
            continue;
        const int r0 = (cell >> 8) * 16, g0 = ((cell >> 4) & 15) * 16, b0 = (cell & 15) * 16;
        int bound = std::numeric_limits<int>::max();
        for (size_t i = 0; i < n; ++i) {
            const TPaletteEntry& e = m_palette[i];
            const int dr = axisMin(e.red, r0), dg = axisMin(e.green, g0), db = axisMin(e.blue, b0);
            nearMin[i] = dr * dr + dg * dg + db * db;
            const int fr = axisMax(e.red, r0), fg = axisMax(e.green, g0), fb = axisMax(e.blue, b0);
            farMax[i] = fr * fr + fg * fg + fb * fb;
            bound = std::min(bound, farMax[i]);
        }
        for (size_t i = 0; i < n; ++i)
            if (nearMin[i] <= bound)
                m_candidates.push_back(uint8_t(i));
    }
    m_cellStart[4096] = uint32_t(m_candidates.size());
}

int TNearestColor::nearest(int red, int green, int blue) const
{
    if (m_palette.empty())
        return 0;
    const int cell = ((red >> 4) << 8) | ((green >> 4) << 4) | (blue >> 4);
    int best = std::numeric_limits<int>::max();
    int chosen = 0;
    for (uint32_t i = m_cellStart[size_t(cell)]; i < m_cellStart[size_t(cell) + 1]; ++i) {
        const TPaletteEntry& e = m_palette[m_candidates[i]];
        const int dr = e.red - red, dg = e.green - green, db = e.blue - blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            chosen = m_candidates[i];
        }
    }
    return chosen;
}

// ---- remap

std::vector<uint8_t> remapPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                                 const std::vector<TPaletteEntry>& palette, double ditherStrength)
{
    std::vector<uint8_t> out;
    if (!bgrRows || !validSize(width, height, stride) || palette.empty())
        return out;
    out.resize(size_t(width) * size_t(height));
    const TNearestColor lookup(palette);
    const float strength = float(std::clamp(ditherStrength, 0.0, 1.0));
    if (strength <= 0) {
        // One cache line of the last colour: flat areas cost a comparison.
        uint32_t last = 0xFFFFFFFFu;
        uint8_t lastIndex = 0;
        for (int y = 0; y < height; ++y) {
            const uint8_t* p = bgrRows + y * stride;
            uint8_t* o = out.data() + size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x, p += 3) {
                const uint32_t key = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                if (key != last) {
                    last = key;
                    lastIndex = uint8_t(lookup.nearest(p[2], p[1], p[0]));
                }
                o[x] = lastIndex;
            }
        }
        return out;
    }
    // Serpentine Floyd-Steinberg: rows alternate direction so the error does not drift to one
    // side. Errors live in two rows with a guard pixel at each end. The error a pixel is handed
    // is capped per channel: past an edge between areas of very different colour, unbounded
    // error smears one area's colour into the other as streaks and specks (and costs PSNR)
    // while smooth areas, where dithering matters, never carry that much.
    constexpr float kErrorLimit = 48.0f;
    std::vector<float> current(size_t(width + 2) * 3, 0.0f), next(size_t(width + 2) * 3, 0.0f);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bgrRows + y * stride;
        uint8_t* o = out.data() + size_t(y) * size_t(width);
        const bool forward = (y & 1) == 0;
        const int step = forward ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            const int x = forward ? i : width - 1 - i;
            const uint8_t* p = row + size_t(x) * 3;
            float* e = current.data() + size_t(x + 1) * 3;
            const float want[3] = {std::clamp(p[2] + std::clamp(e[0], -kErrorLimit, kErrorLimit), 0.0f, 255.0f),
                                   std::clamp(p[1] + std::clamp(e[1], -kErrorLimit, kErrorLimit), 0.0f, 255.0f),
                                   std::clamp(p[0] + std::clamp(e[2], -kErrorLimit, kErrorLimit), 0.0f, 255.0f)};
            const int index = lookup.nearest(int(want[0] + 0.5f), int(want[1] + 0.5f), int(want[2] + 0.5f));
            o[x] = uint8_t(index);
            const TPaletteEntry& got = palette[size_t(index)];
            const float err[3] = {(want[0] - got.red) * strength, (want[1] - got.green) * strength,
                                  (want[2] - got.blue) * strength};
            float* ahead = current.data() + size_t(x + 1 + step) * 3;
            float* belowBehind = next.data() + size_t(x + 1 - step) * 3;
            float* below = next.data() + size_t(x + 1) * 3;
            float* belowAhead = next.data() + size_t(x + 1 + step) * 3;
            for (int c = 0; c < 3; ++c) {
                ahead[c] += err[c] * (7.0f / 16);
                belowBehind[c] += err[c] * (3.0f / 16);
                below[c] += err[c] * (5.0f / 16);
                belowAhead[c] += err[c] * (1.0f / 16);
            }
        }
        std::swap(current, next);
        std::fill(next.begin(), next.end(), 0.0f);
    }
    return out;
}

TQuantized quantizePixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                          const TQuantizeOptions& options)
{
    TQuantized result;
    if (!bgrRows || !validSize(width, height, stride) || options.colors < 1 || options.colors > 256)
        return result;
    TColorHistogram histogram;
    histogram.addPixels(bgrRows, width, height, stride);
    const std::vector<TPaletteEntry> palette = buildPalette(histogram, options);
    // A picture whose colours all fit is mapped exactly: no dithering can improve on that.
    const bool exact = !histogram.exactOverflowed() && int(histogram.exactColors().size()) <= options.colors;
    result.pixels = remapPixels(bgrRows, width, height, stride, palette, exact ? 0.0 : options.ditherStrength);
    result.palette = createPalette(palette);
    return result;
}

std::unique_ptr<TBitmap> quantizeBitmap(TBitmap& source, const TQuantizeOptions& options)
{
    if (source.empty() || options.colors < 1 || options.colors > 256)
        return std::make_unique<TBitmap>();
    const QImage picture = bgrImage(source);
    const TQuantized q =
        quantizePixels(picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine(), options);
    if (q.pixels.empty())
        return std::make_unique<TBitmap>();
    auto result = std::make_unique<TBitmap>(picture.width(), picture.height(), pf8bit);
    result->setPalette(q.palette);
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(result->scanLine(y), q.pixels.data() + size_t(y) * size_t(picture.width()),
                    size_t(picture.width()));
    return result;
}

// ---- frames

namespace {

std::vector<TGIFColor> gifColors(const std::vector<TPaletteEntry>& palette)
{
    std::vector<TGIFColor> colors;
    for (const TPaletteEntry& e : palette)
        colors.push_back({e.red, e.green, e.blue});
    return colors;
}

} // namespace

int importFrames(TGIFImage& image, const std::vector<TBitmap*>& pictures, TQuantizerKind kind,
                 const TQuantizeOptions& options, bool sharedPalette)
{
    const int first = image.images().count();
    if (kind == TQuantizerKind::Octree) {
        for (TBitmap* picture : pictures)
            if (picture)
                image.add(picture);
        return first;
    }
    if (options.colors < 1 || options.colors > 256)
        throw GIFException(QStringLiteral("Invalid reduction method"));
    std::vector<QImage> sources;
    for (TBitmap* picture : pictures)
        if (picture && !picture->empty())
            sources.push_back(bgrImage(*picture));
    // One palette for every frame needs a global map of its own; when the image already uses
    // one, each frame carries the shared palette as its local map instead (no flicker either).
    const bool useGlobal = sharedPalette && image.globalColorMap().count() == 0;
    std::vector<TPaletteEntry> shared;
    bool sharedExact = false;
    if (sharedPalette) {
        TColorHistogram histogram;
        for (const QImage& s : sources)
            histogram.addPixels(s.constBits(), s.width(), s.height(), s.bytesPerLine());
        shared = buildPalette(histogram, options);
        sharedExact = !histogram.exactOverflowed() && int(histogram.exactColors().size()) <= options.colors;
        if (useGlobal && !shared.empty())
            image.globalColorMap().setEntries(gifColors(shared));
    }
    for (const QImage& s : sources) {
        if (image.header().width() < s.width())
            image.header().setWidth(s.width());
        if (image.header().height() < s.height())
            image.header().setHeight(s.height());
        std::vector<uint8_t> pixels;
        std::vector<TPaletteEntry> palette;
        if (sharedPalette) {
            palette = shared;
            pixels = remapPixels(s.constBits(), s.width(), s.height(), s.bytesPerLine(), shared,
                                 sharedExact ? 0.0 : options.ditherStrength);
        } else {
            const TQuantized q = quantizePixels(s.constBits(), s.width(), s.height(), s.bytesPerLine(), options);
            palette = q.palette ? q.palette->entries : std::vector<TPaletteEntry>{};
            pixels = q.pixels;
        }
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->setBounds(0, 0, s.width(), s.height());
        frame->setData(std::move(pixels));
        if (!useGlobal)
            frame->colorMap().setEntries(gifColors(palette));
        image.add(frame.get());
        frame.release();
    }
    return first;
}

void reduceImageColors(TGIFImage& image, int colors)
{
    colors = std::clamp(colors, 2, 256);
    std::vector<TGIFColorMap*> maps{&image.globalColorMap()};
    std::vector<std::vector<TGIFSubImage*>> users(1);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        if (frame->colorMap().count() > 0) {
            maps.push_back(&frame->colorMap());
            users.push_back({frame});
        } else {
            users[0].push_back(frame);
        }
    }
    for (size_t m = 0; m < maps.size(); ++m) {
        TGIFColorMap& map = *maps[m];
        const int count = map.count();
        if (count <= colors || users[m].empty())
            continue;
        // Indexes that must keep an entry of their own: transparent ones, and values past the
        // table (they show the table's padding, black, or are a transparent index past it).
        std::array<bool, 256> reserved{};
        std::array<uint64_t, 256> use{};
        for (TGIFSubImage* frame : users[m]) {
            const int t = frame->transparentIndex();
            if (t >= 0 && t < 256)
                reserved[size_t(t)] = true;
            const uint8_t* p = frame->data();
            for (int64_t i = 0; p && i < frame->dataSize(); ++i)
                ++use[p[i]];
        }
        for (int v = count; v < 256; ++v)
            if (use[size_t(v)] > 0)
                reserved[size_t(v)] = true;
        const int reservedCount = int(std::count(reserved.begin(), reserved.end(), true));
        const int available = std::max(1, colors - reservedCount);
        TColorHistogram histogram;
        for (int v = 0; v < count; ++v)
            if (!reserved[size_t(v)]) {
                const TGIFColor& c = map.entry(v);
                histogram.addColor(c.red, c.green, c.blue, use[size_t(v)]);
            }
        TQuantizeOptions options;
        options.colors = available;
        std::vector<TPaletteEntry> palette = buildPalette(histogram, options);
        if (palette.empty())
            palette.push_back({0, 0, 0, PC_NOCOLLAPSE});
        const TNearestColor lookup(palette);
        std::vector<TGIFColor> entries = gifColors(palette);
        std::vector<int> mapping(256, 0);
        for (int v = 0; v < 256; ++v) {
            if (reserved[size_t(v)]) {
                mapping[size_t(v)] = int(entries.size());
                entries.push_back(v < count ? map.entry(v) : TGIFColor{});
            } else if (v < count) {
                const TGIFColor& c = map.entry(v);
                mapping[size_t(v)] = lookup.nearest(c.red, c.green, c.blue);
            }
        }
        if (entries.size() > 256)
            continue; // cannot happen (available + reserved <= 256), but never write past a map
        map.mapImages(mapping);
        map.setEntries(entries);
        map.changed();
    }
}
