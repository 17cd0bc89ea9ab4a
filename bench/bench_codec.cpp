// Frame data codec against giflib on the real corpus and on generated small frames that each
// carry a local colour table: our LZW decoder (decodeFrameData on each frame's image data)
// against DGifSlurp of the whole file, and our LZW encoder against EGifPutLine of the same
// pixels into memory. Prints megapixels per second and our/giflib ratios per file, the geometric
// mean of the per-file ratios and the worst file, and the ratios of the totals. The four codecs
// of a file take turns, round after round, and each is timed by its fastest round, so that the
// load of a shared machine weighs on all of them alike. Before timing,
// each file's frames are checked to decode exactly as giflib decodes them, and our encoded frames
// are checked to decode in giflib to the same pixels.
#include "BenchSupport.h"
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFException.h"
#include "graphics/Streams.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#ifdef REELWRIGHT_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

struct Frame
{
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int64_t dataOffset = 0; // the minimum code size byte
    int codeSize = 8;
    std::vector<uint8_t> pixels; // decoded by us, rows top to bottom
};

// A tiny walker over the blocks of a well-formed GIF: finds each frame's descriptor and data.
std::vector<Frame> walkFrames(const QByteArray& file)
{
    std::vector<Frame> frames;
    const auto* d = reinterpret_cast<const uint8_t*>(file.constData());
    const int64_t size = file.size();
    auto skipSubBlocks = [&](int64_t pos) {
        while (pos < size && d[pos] != 0)
            pos += 1 + d[pos];
        return pos + 1;
    };
    if (size < 13)
        return frames;
    int64_t pos = 13;
    if (d[10] & 0x80)
        pos += 3 * (int64_t(2) << (d[10] & 7));
    while (pos < size) {
        if (d[pos] == 0x21) {
            pos = skipSubBlocks(pos + 2);
        } else if (d[pos] == 0x2C && pos + 11 <= size) {
            Frame frame;
            frame.width = d[pos + 5] | (d[pos + 6] << 8);
            frame.height = d[pos + 7] | (d[pos + 8] << 8);
            const uint8_t packed = d[pos + 9];
            frame.interlaced = (packed & 0x40) != 0;
            pos += 10;
            if (packed & 0x80)
                pos += 3 * (int64_t(2) << (packed & 7));
            if (pos >= size)
                break;
            frame.dataOffset = pos;
            frame.codeSize = std::max<int>(2, d[pos]);
            frames.push_back(frame);
            pos = skipSubBlocks(pos + 1);
        } else {
            break;
        }
    }
    return frames;
}

void decodeOurs(const QByteArray& file, std::vector<Frame>& frames)
{
    TMemoryStream stream(file);
    for (Frame& frame : frames) {
        stream.setPosition(frame.dataOffset);
        decodeFrameData(stream, frame.pixels.data(), frame.width, frame.height, frame.interlaced, {});
    }
}

QByteArray encodeOurs(const std::vector<Frame>& frames)
{
    TMemoryStream stream;
    for (const Frame& frame : frames)
        compressFrameData(stream, frame.codeSize, 1 << frame.codeSize, frame.pixels.data(), frame.width,
                          frame.height, false, gcLZW);
    return stream.takeData();
}

#ifdef REELWRIGHT_HAVE_GIFLIB
struct MemoryInput
{
    const QByteArray* data;
    int64_t position;
};

int readMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const int64_t n = std::min<int64_t>(count, in->data->size() - in->position);
    std::memcpy(buffer, in->data->constData() + in->position, size_t(n));
    in->position += n;
    return int(n);
}

int writeMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(buffer), count);
    return count;
}

// Slurps a whole file; returns each image's raster, or nothing when giflib refuses the file.
std::vector<std::vector<uint8_t>> giflibDecode(const QByteArray& file)
{
    MemoryInput input{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, readMemory, &error);
    std::vector<std::vector<uint8_t>> images;
    if (!gif)
        return images;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            const size_t n = size_t(image.ImageDesc.Width) * size_t(image.ImageDesc.Height);
            images.emplace_back(image.RasterBits, image.RasterBits + n);
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

QByteArray giflibEncode(std::vector<Frame>& frames, std::vector<std::vector<uint8_t>>& scratch)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeMemory, &error);
    int width = 1;
    int height = 1;
    for (const Frame& frame : frames) {
        width = std::max(width, frame.width);
        height = std::max(height, frame.height);
    }
    EGifPutScreenDesc(gif, width, height, 8, 0, nullptr);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = frames[i];
        std::vector<GifColorType> colours(size_t(1) << frame.codeSize);
        ColorMapObject* map = GifMakeMapObject(int(colours.size()), colours.data());
        EGifPutImageDesc(gif, 0, 0, frame.width, frame.height, false, map);
        // EGifPutLine masks the pixels in place: give it its own copy, made before timing.
        EGifPutLine(gif, scratch[i].data(), int(scratch[i].size()));
        GifFreeMapObject(map);
    }
    EGifCloseFile(gif, &error);
    return out;
}

// Wraps our image data of one frame in a minimal GIF so that giflib can read it.
QByteArray wrapFrame(const Frame& frame, const QByteArray& data)
{
    QByteArray gif("GIF89a", 6);
    auto put16 = [&](int v) {
        gif.append(char(v & 0xFF));
        gif.append(char(v >> 8));
    };
    put16(frame.width);
    put16(frame.height);
    gif.append("\x70\x00\x00", 3);
    gif.append(char(0x2C));
    put16(0);
    put16(0);
    put16(frame.width);
    put16(frame.height);
    const int bits = std::min(frame.codeSize, 8);
    gif.append(char(0x80 | (bits - 1)));
    gif.append(QByteArray(3 * (1 << bits), '\0'));
    gif.append(data);
    gif.append(';');
    return gif;
}
#endif

struct Totals
{
    double pixels = 0;
    double oursDecode = 0;
    double peerDecode = 0;
    double oursEncode = 0;
    double peerEncode = 0;
    // Per-file ratios (giflib time / our time) for the geometric means.
    std::vector<double> decodeRatios;
    std::vector<double> encodeRatios;
};

double geometricMean(const std::vector<double>& values)
{
    if (values.empty())
        return 0;
    double logs = 0;
    for (double v : values)
        logs += std::log(v);
    return std::exp(logs / double(values.size()));
}

double smallest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double mp(double pixels, double seconds)
{
    return seconds > 0 ? pixels / 1e6 / seconds : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir generated;
    // An optional argument keeps only the files whose names contain it.
    QStringList corpus = bench::realCorpus() + bench::writeSmallLocalPaletteSet(generated.path());
    if (argc > 1)
        corpus = corpus.filter(QString::fromLocal8Bit(argv[1]));
    if (corpus.isEmpty()) {
        std::printf("no files in %s\n", qPrintable(bench::testData(QStringLiteral("gif/real"))));
        return 1;
    }
#ifndef REELWRIGHT_HAVE_GIFLIB
    std::printf("giflib not found: our figures only\n");
#endif
    std::printf("%-40s %6s %8s | %9s %9s %6s | %9s %9s %6s | %s\n", "file", "frames", "MP", "dec MP/s",
                "giflib", "ratio", "enc MP/s", "giflib", "ratio", "check");
    Totals totals;
    for (const QString& path : corpus) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray file = in.readAll();
        std::vector<Frame> frames = walkFrames(file);
        double pixels = 0;
        for (Frame& frame : frames) {
            frame.pixels.assign(size_t(frame.width) * size_t(frame.height), 0);
            pixels += double(frame.pixels.size());
        }
        if (frames.empty() || pixels == 0)
            continue;
        // Our decoder fills the frames' pixels, which the checks below compare with giflib's.
        decodeOurs(file, frames);
        QByteArray encoded = encodeOurs(frames);
        QString check = QStringLiteral("-");
        std::vector<std::function<void()>> works = {[&] { decodeOurs(file, frames); },
                                                    [&] { encoded = encodeOurs(frames); }};
#ifdef REELWRIGHT_HAVE_GIFLIB
        const std::vector<std::vector<uint8_t>> reference = giflibDecode(file);
        bool same = reference.size() == frames.size();
        for (size_t i = 0; same && i < frames.size(); ++i)
            same = reference[i] == frames[i].pixels;
        // Our encoded frames, read back by giflib.
        bool readBack = true;
        {
            TMemoryStream stream(encoded);
            for (const Frame& frame : frames) {
                const int64_t start = stream.position();
                std::vector<uint8_t> skip(frame.pixels.size());
                decodeFrameData(stream, skip.data(), frame.width, frame.height, false, {});
                const QByteArray one = encoded.mid(start, stream.position() - start);
                const auto back = giflibDecode(wrapFrame(frame, one));
                readBack = readBack && back.size() == 1 && back[0] == frame.pixels;
            }
        }
        check = QStringLiteral("%1, %2").arg(
            same ? QStringLiteral("decode = giflib") : QStringLiteral("decode differs"),
            readBack ? QStringLiteral("giflib reads ours") : QStringLiteral("giflib READ-BACK FAILED"));
        std::vector<std::vector<uint8_t>> scratch;
        for (const Frame& frame : frames)
            scratch.push_back(frame.pixels);
        works.push_back([&] { giflibDecode(file); });
        works.push_back([&] { giflibEncode(frames, scratch); });
#endif
        // Every file gets at least 7 rounds and about half a second of work in all.
        const std::vector<double> best = bench::interleavedBestSeconds(works, 7, 0.5);
        const double oursDecode = best[0];
        const double oursEncode = best[1];
        const double peerDecode = best.size() > 2 ? best[2] : 0;
        const double peerEncode = best.size() > 3 ? best[3] : 0;
        std::printf("%-40s %6zu %8.2f | %9.1f %9.1f %6.2f | %9.1f %9.1f %6.2f | %s\n",
                    qPrintable(QFileInfo(path).fileName().left(40)), frames.size(), pixels / 1e6,
                    mp(pixels, oursDecode), mp(pixels, peerDecode),
                    peerDecode > 0 ? peerDecode / oursDecode : 0, mp(pixels, oursEncode),
                    mp(pixels, peerEncode), peerEncode > 0 ? peerEncode / oursEncode : 0, qPrintable(check));
        totals.pixels += pixels;
        if (peerDecode > 0 && oursDecode > 0)
            totals.decodeRatios.push_back(peerDecode / oursDecode);
        if (peerEncode > 0 && oursEncode > 0)
            totals.encodeRatios.push_back(peerEncode / oursEncode);
        totals.oursDecode += oursDecode;
        totals.peerDecode += peerDecode;
        totals.oursEncode += oursEncode;
        totals.peerEncode += peerEncode;
    }
    std::printf("%-40s %6s %8.2f | %9.1f %9.1f %6.2f | %9.1f %9.1f %6.2f |\n", "total", "",
                totals.pixels / 1e6, mp(totals.pixels, totals.oursDecode),
                mp(totals.pixels, totals.peerDecode),
                totals.peerDecode > 0 ? totals.peerDecode / totals.oursDecode : 0,
                mp(totals.pixels, totals.oursEncode), mp(totals.pixels, totals.peerEncode),
                totals.peerEncode > 0 ? totals.peerEncode / totals.oursEncode : 0);
    std::printf("%-40s %6zu %8s | %9s %9s %6.2f | %9s %9s %6.2f |\n", "geometric mean of per-file ratios",
                totals.encodeRatios.size(), "", "", "", geometricMean(totals.decodeRatios), "", "",
                geometricMean(totals.encodeRatios));
    std::printf("%-40s %6s %8s | %9s %9s %6.2f | %9s %9s %6.2f |\n", "worst file", "", "", "", "",
                smallest(totals.decodeRatios), "", "", smallest(totals.encodeRatios));
    std::printf("ratios: giflib time / our time; each time the fastest of at least 7 interleaved rounds\n");
    return 0;
}
