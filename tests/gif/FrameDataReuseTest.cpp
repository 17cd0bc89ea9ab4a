// Writing reuses a frame's compressed data from its previous write. These tests write, change
// the image through one public path, write again and demand exactly the bytes that encoding
// everything afresh gives: kept data that outlives a change is silent corruption.
#include "GIFTestUtil.h"
#include "gif/GIFException.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFFrameData.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

using namespace giftest;

namespace {

// Switches reuse off for one scope.
struct TFreshEncoding
{
    TFreshEncoding() { gifSettings().reuseEncodedFrames = false; }
    ~TFreshEncoding() { gifSettings().reuseEncodedFrames = true; }
};

QByteArray saveFresh(TGIFImage& image)
{
    TFreshEncoding fresh;
    return save(image);
}

// A deep copy (which shares the kept data) written with reuse, against the original afresh.
QByteArray saveCopy(TGIFImage& image)
{
    TGIFImage copy;
    copy.assign(&image);
    copy.setCompression(image.compression());
    return save(copy);
}

std::vector<uint8_t> pattern(int width, int height, int colours, int seed)
{
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t((i / 3 + size_t(seed) * 7 + (i * i) % 5) % size_t(colours));
    return pixels;
}

std::vector<TColor> greys(int count)
{
    std::vector<TColor> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(TColor(i * 0x010101 % 0x1000000));
    return colours;
}

// Frame 0: global map; 1: local map of 4 colours; 2: interlaced, global; 3: transparent, global,
// with a transparent border so crop has work to do.
void buildImage(TGIFImage& image)
{
    image.setWidth(40);
    image.setHeight(30);
    setColors(image.globalColorMap(), greys(16));
    addFrame(image, 0, 0, 40, 30, pattern(40, 30, 16, 0));
    TGIFSubImage* local = addFrame(image, 2, 3, 20, 10, pattern(20, 10, 4, 1));
    setColors(local->colorMap(), greys(4));
    TGIFSubImage* interlaced = addFrame(image, 0, 0, 33, 27, pattern(33, 27, 16, 2));
    interlaced->setInterlaced(true);
    std::vector<uint8_t> bordered = pattern(40, 30, 15, 3);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (x < 5 || y < 4 || x >= 35)
                bordered[size_t(y) * 40 + x] = 15;
    TGIFSubImage* transparent = addFrame(image, 0, 0, 40, 30, bordered);
    gce(transparent)->setTransparent(true);
    gce(transparent)->setTransparentColorIndex(15);
    transparent->setTransparentFlag(true);
    gce(image.images().subImage(0))->setDelay(5);
}

TGIFSubImage* frame(TGIFImage& image, int index)
{
    return image.images().subImage(index);
}

struct MutationCase
{
    const char* name;
    std::function<void(TGIFImage&)> mutate;
    bool changesOutput;
    // The whole-image optimisation leaves each frame the smallest image data it found, which a
    // fresh encode does not write: the file then reads back to the same frames instead.
    bool keepsChosenData = false;
};

// Each case gets the image after its first write; pixelPointer is frame 0's data() taken before
// that write, so writing through it later models a pointer kept across writes.
std::vector<MutationCase> mutationCases(uint8_t*& pixelPointer)
{
    return {
        {"setPixel", [](TGIFImage& im) { frame(im, 0)->setPixel(3, 4, 9); }, true},
        {"scanLine", [](TGIFImage& im) { frame(im, 2)->scanLine(26)[32] ^= 1; }, true},
        {"pointer kept across a write", [&](TGIFImage&) { pixelPointer[40 * 29 + 39] ^= 3; }, true},
        {"setData", [](TGIFImage& im) { frame(im, 1)->setData(pattern(20, 10, 4, 2)); }, true},
        {"setData with the same pixels", [](TGIFImage& im) { frame(im, 1)->setData(pattern(20, 10, 4, 1)); },
         false},
        {"setBounds resizes", [](TGIFImage& im) { frame(im, 0)->setBounds(0, 0, 20, 30); }, true},
        {"same pixel count, other shape",
         [](TGIFImage& im) {
             TGIFSubImage* f = frame(im, 1);
             std::vector<uint8_t> pixels(f->data(), f->data() + f->dataSize());
             f->setBounds(2, 3, 10, 20);
             f->setData(pixels);
         },
         true},
        {"offsets", [](TGIFImage& im) { frame(im, 1)->setBounds(5, 6, 20, 10); }, true},
        {"setInterlaced on", [](TGIFImage& im) { frame(im, 0)->setInterlaced(true); }, true},
        {"setInterlaced off", [](TGIFImage& im) { frame(im, 2)->setInterlaced(false); }, true},
        {"setPackedFields", [](TGIFImage& im) { frame(im, 0)->setPackedFields(0x40); }, true},
        {"local map grows a bit", [](TGIFImage& im) { frame(im, 1)->colorMap().add(TColor(0x123456)); },
         true},
        {"local map grows within its bits",
         [](TGIFImage& im) {
             setColors(frame(im, 1)->colorMap(), greys(3));
             frame(im, 1)->setData(pattern(20, 10, 3, 1));
         },
         true},
        {"local map removed", [](TGIFImage& im) { frame(im, 1)->colorMap().clear(); }, true},
        {"local map added", [](TGIFImage& im) { setColors(frame(im, 0)->colorMap(), greys(16)); }, true},
        {"global map grows", [](TGIFImage& im) { setColors(im.globalColorMap(), greys(17)); }, true},
        {"global map shrinks within its bits",
         [](TGIFImage& im) { setColors(im.globalColorMap(), greys(9)); }, true},
        {"global map loses a bit",
         [](TGIFImage& im) {
             frame(im, 0)->setData(pattern(40, 30, 8, 0));
             frame(im, 2)->setData(pattern(33, 27, 8, 2));
             frame(im, 3)->setData(pattern(40, 30, 8, 3));
             gce(frame(im, 3))->setTransparentColorIndex(7);
             setColors(im.globalColorMap(), greys(8));
         },
         true},
        {"another frame's local map widens the shared code size",
         [](TGIFImage& im) { setColors(frame(im, 1)->colorMap(), greys(256)); }, true},
        {"colour values only", [](TGIFImage& im) { im.globalColorMap().setColor(2, TColor(0xFF00FF)); },
         true},
        {"transparency index", [](TGIFImage& im) { gce(frame(im, 3))->setTransparentColorIndex(2); }, true},
        {"delay only", [](TGIFImage& im) { gce(frame(im, 0))->setDelay(77); }, true},
        {"RLE", [](TGIFImage& im) { im.setCompression(1); }, true},
        {"compression 2 is LZW", [](TGIFImage& im) { im.setCompression(2); }, false},
        {"crop", [](TGIFImage& im) { frame(im, 3)->crop(); }, true},
        {"merge", [](TGIFImage& im) { frame(im, 3)->merge(frame(im, 0)); }, true},
        {"optimizeColorMaps", [](TGIFImage& im) { im.optimizeColorMaps(); }, true},
        {"local colorMap optimize",
         [](TGIFImage& im) {
             frame(im, 1)->setData(std::vector<uint8_t>(200, 3));
             frame(im, 1)->colorMap().optimize();
         },
         true},
        {"optimize everything", [](TGIFImage& im) { im.optimize(GIFAllOptimizeOptions, 0, 0, 8); }, true, true},
        {"frame assign", [](TGIFImage& im) { frame(im, 0)->assign(frame(im, 2)); }, true},
        {"frame clear and refill",
         [](TGIFImage& im) {
             frame(im, 2)->clear();
             frame(im, 2)->setBounds(0, 0, 33, 27);
             frame(im, 2)->setData(pattern(33, 27, 16, 2));
         },
         false},
        {"frames moved", [](TGIFImage& im) { im.images().move(0, 2); }, true},
        {"frame deleted", [](TGIFImage& im) { im.images().deleteAt(1); }, true},
        {"image assign",
         [](TGIFImage& im) {
             TGIFImage other;
             buildImage(other);
             other.images().subImage(0)->setPixel(0, 0, 1);
             im.assign(&other);
         },
         true},
        {"new file read",
         [](TGIFImage& im) {
             TGIFImage other;
             buildImage(other);
             other.images().subImage(2)->setPixel(1, 1, 2);
             load(im, save(other));
         },
         true},
    };
}

} // namespace

TEST(FrameDataReuse, EveryMutationWritesWhatAFreshEncodeWrites)
{
    uint8_t* pointer = nullptr;
    for (const MutationCase& mutation : mutationCases(pointer)) {
        SCOPED_TRACE(mutation.name);
        TGIFImage image;
        buildImage(image);
        pointer = frame(image, 0)->data();
        const QByteArray before = save(image);
        mutation.mutate(image);
        const QByteArray after = save(image);
        if (mutation.keepsChosenData) {
            const QByteArray fresh = saveFresh(image);
            EXPECT_LE(after.size(), fresh.size());
            TGIFImage written, encodedAfresh;
            load(written, after);
            load(encodedAfresh, fresh);
            ASSERT_EQ(written.images().count(), encodedAfresh.images().count());
            for (int i = 0; i < written.images().count(); ++i) {
                const TGIFSubImage* a = written.images().subImage(i);
                const TGIFSubImage* b = encodedAfresh.images().subImage(i);
                EXPECT_EQ(a->boundsRect(), b->boundsRect());
                EXPECT_EQ(std::vector<uint8_t>(a->data(), a->data() + a->dataSize()),
                          std::vector<uint8_t>(b->data(), b->data() + b->dataSize()));
            }
            EXPECT_EQ(saveCopy(image), after);
        } else {
            EXPECT_EQ(after, saveFresh(image));
            EXPECT_EQ(saveCopy(image), saveFresh(image));
        }
        EXPECT_EQ(after != before, mutation.changesOutput);
        // A second write reuses everything and still agrees.
        EXPECT_EQ(save(image), after);
    }
}

TEST(FrameDataReuse, UnchangedFramesKeepTheirDataAndChangedOnesGetNew)
{
    TGIFImage image;
    buildImage(image);
    save(image);
    // Held here, so a new block cannot turn up at an old one's address.
    std::vector<std::shared_ptr<const TGIFFrameData>> kept;
    for (int i = 0; i < image.images().count(); ++i) {
        ASSERT_TRUE(frame(image, i)->encodedData());
        kept.push_back(frame(image, i)->encodedData());
    }
    frame(image, 2)->setPixel(0, 0, 7);
    save(image);
    EXPECT_EQ(frame(image, 0)->encodedData(), kept[0]);
    EXPECT_EQ(frame(image, 1)->encodedData(), kept[1]);
    EXPECT_NE(frame(image, 2)->encodedData(), kept[2]);
    EXPECT_EQ(frame(image, 3)->encodedData(), kept[3]);
    frame(image, 0)->clear();
    EXPECT_FALSE(frame(image, 0)->encodedData());
}

TEST(FrameDataReuse, ValuesPastAShrunkMapAreWrittenAfterReuseAsFresh)
{
    TGIFImage image;
    buildImage(image);
    save(image);
    // Pixel values 0..3 stay the same, but the map drops to 3 colours: the code size must still
    // carry value 3, and the kept data of the first write must not be taken for it blindly.
    setColors(frame(image, 1)->colorMap(), greys(3));
    QByteArray written[2];
    for (int fresh = 0; fresh < 2; ++fresh) {
        TMemoryStream stream;
        std::unique_ptr<TFreshEncoding> off(fresh ? new TFreshEncoding : nullptr);
        ASSERT_NO_THROW(image.saveToStream(stream));
        written[fresh] = stream.data();
    }
    EXPECT_EQ(written[0], written[1]);
}

TEST(FrameDataReuse, HashSeesEveryByteAndTheLength)
{
    // Lengths around the 32-byte stripes and the 8- and 4-byte tails.
    for (size_t length : {0, 1, 3, 4, 5, 7, 8, 9, 15, 31, 32, 33, 39, 40, 63, 64, 100, 1000}) {
        std::vector<uint8_t> bytes(length + 1, 0);
        std::set<uint64_t> seen;
        seen.insert(gifPixelHash(bytes.data(), length));
        seen.insert(gifPixelHash(bytes.data(), length + 1)); // one more zero byte
        for (size_t i = 0; i < length; ++i) {
            bytes[i] = 1;
            seen.insert(gifPixelHash(bytes.data(), length));
            bytes[i] = 0;
        }
        EXPECT_EQ(seen.size(), length + 2) << "length " << length;
    }
    // Swapped bytes are a different picture.
    const uint8_t a[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                         22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41};
    uint8_t b[sizeof a];
    std::copy(std::begin(a), std::end(a), b);
    std::swap(b[0], b[8]);
    EXPECT_NE(gifPixelHash(a, sizeof a), gifPixelHash(b, sizeof b));
    std::copy(std::begin(a), std::end(a), b);
    std::swap(b[36], b[40]);
    EXPECT_NE(gifPixelHash(a, sizeof a), gifPixelHash(b, sizeof b));
}

// Random edits of random frames of every corpus file that loads, each followed by a write that
// must equal a fresh encode.
TEST(FrameDataReuse, RandomEditsOverTheCorpusWriteWhatAFreshEncodeWrites)
{
    REQUIRE_SHARED_TESTDATA();
    std::mt19937 random(20261209);
    const QStringList files =
        testsupport::filesBelow(testsupport::sharedTestData("gif/real"), {".gif"}) +
        testsupport::filesBelow(testsupport::sharedTestData("gif/conformance"), {".gif"});
    ASSERT_FALSE(files.isEmpty());
    int checked = 0;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        TGIFImage image;
        image.onWarning = [](TObject*, int, const QString&) {
        };
        try {
            load(image, testsupport::readFile(path));
            save(image);
        } catch (const std::exception&) {
            continue; // files the engine refuses are the corpus test's business
        }
        for (int round = 0; round < 4 && image.images().count() > 0; ++round) {
            TGIFSubImage* f = frame(image, int(random() % unsigned(image.images().count())));
            const int action = int(random() % 7);
            try {
                if (action == 0 && !f->empty()) {
                    const int x = int(random() % unsigned(f->width()));
                    const int y = int(random() % unsigned(f->height()));
                    f->setPixel(x, y, uint8_t(f->pixel(x, y) ^ 1));
                } else if (action == 1) {
                    f->setInterlaced(!f->interlaced());
                } else if (action == 2) {
                    image.setCompression(uint8_t(1 - image.compression() % 2));
                } else if (action == 3 && f->colorMap().count() > 0 && f->colorMap().count() < 256) {
                    f->colorMap().add(TColor(0x0A0B0C));
                } else if (action == 4) {
                    f->crop();
                } else if (action == 5 && image.globalColorMap().count() > 1) {
                    image.globalColorMap().deleteAt(image.globalColorMap().count() - 1);
                }
            } catch (const GIFException&) {
                // an edit the engine refuses leaves the image as it is
            }
            QByteArray reused;
            QByteArray fresh;
            QString reusedError;
            QString freshError;
            try {
                reused = save(image);
            } catch (const GIFException& e) {
                reusedError = e.message();
            }
            try {
                fresh = saveFresh(image);
            } catch (const GIFException& e) {
                freshError = e.message();
            }
            ASSERT_EQ(reusedError, freshError) << "round " << round << " action " << action;
            ASSERT_EQ(reused, fresh) << "round " << round << " action " << action;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}
