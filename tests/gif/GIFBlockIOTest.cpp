// Block-level reading and writing: the tolerant reader's recoveries and failures, and the
// writer's flag, version and code size rules.
#include "GIFTestUtil.h"

#include "gif/GIFException.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Outcome
{
    QString error;
    QStringList warnings;
    int frames = 0;
};

Outcome tryLoad(TGIFImage& image, const QByteArray& bytes)
{
    Outcome outcome;
    WarningLog log(image);
    try {
        load(image, bytes);
    } catch (const Exception& e) {
        outcome.error = e.message();
    }
    outcome.warnings = log.messages;
    outcome.frames = image.images().count();
    return outcome;
}

QByteArray oneFrameFile(const char* signature = "GIF89a")
{
    return Bytes().header(1, 1, 0x80, signature).colors(2).descriptor(0, 0, 1, 1).tinyData().u8(0x3B).data;
}

// The sub-block sizes of the first data after offset.
std::vector<int> subBlockSizes(const QByteArray& bytes, int offset)
{
    std::vector<int> sizes;
    for (int at = offset; at < bytes.size() && uint8_t(bytes[at]) != 0; at += uint8_t(bytes[at]) + 1)
        sizes.push_back(uint8_t(bytes[at]));
    return sizes;
}

// The offset after the image data (code size byte and sub-blocks) that starts at offset.
int afterImageData(const QByteArray& bytes, int offset)
{
    int at = offset + 1;
    while (at < bytes.size() && uint8_t(bytes[at]) != 0)
        at += uint8_t(bytes[at]) + 1;
    return at + 1;
}

} // namespace

TEST(GIFReader, RecoveriesAndFailures)
{
    const QByteArray header = Bytes().header(1, 1, 0x80).colors(2).data;
    const QByteArray frame = Bytes().descriptor(0, 0, 1, 1).tinyData().data;
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString error;
        QStringList warnings;
        int frames;
    } cases[] = {
        {"plain", oneFrameFile(), {}, {}, 1},
        {"four-byte prefix", "\x01\x02\x03\x04" + oneFrameFile(), {}, {}, 1},
        {"lower-case signature", oneFrameFile("gif89a"), {}, {}, 1},
        {"unknown version", oneFrameFile("GIF00x"), {}, {}, 1},
        {"not a GIF", QByteArray("PNG89a1234567890"), "Invalid GIF signature", {}, 0},
        {"empty stream", QByteArray(), "Premature end of data", {}, 0},
        {"short screen descriptor", QByteArray("GIF89a\x01\x00", 8), "Premature end of data", {}, 0},
        {"short global map", Bytes().header(1, 1, 0x81).colors(3).data, "Premature end of data", {}, 0},
        {"no trailer", header + frame, {}, {}, 1},
        {"zero bytes between blocks",
         header + QByteArray(3, 0) + frame + QByteArray(2, 0) + frame + "\x3B",
         {},
         {},
         2},
        {"bad trailer", header + frame + "\x2A", {}, {"Unknown GIF block type", "Invalid Image trailer"}, 1},
        {"stray byte after the trailer", header + frame + "\x3B\x99", {}, {}, 1},
        {"comment after the last frame", header + frame + Bytes().comment("end").u8(0x3B).data, {}, {}, 2},
        {"zero-size frame",
         header + Bytes().descriptor(0, 0, 0, 1).tinyData().u8(0x3B).data,
         {},
         {"Image exceeds Logical Screen size"},
         1},
        {"unknown extension label",
         header + Bytes().u8(0x21).u8(0x77).u8(0).data + frame,
         "Unknown extension type",
         {},
         0},
        {"bad introducer inside a frame",
         header + Bytes().comment("x").u8(0x55).u16(0).u16(0).u16(1).u16(1).u8(0).tinyData().data,
         {},
         {"Invalid extension introducer"},
         1},
        {"short graphic control block",
         header + Bytes().u8(0x21).u8(0xF9).u8(4).u8(1).data,
         {},
         {"Premature end of data"},
         1},
        {"truncated comment",
         header + Bytes().u8(0x21).u8(0xFE).u8(10).raw("abc").data,
         "Premature end of data",
         {},
         0},
        {"comment ends with the data", header + Bytes().u8(0x21).u8(0xFE).u8(3).raw("abc").data, {}, {}, 1},
        {"application block size 9",
         header + Bytes().u8(0x21).u8(0xFF).u8(9).raw("ABCDEFGHI").u8(0).data,
         "Unsupported Application Extension block size",
         {},
         0},
        {"application block size 12",
         header + Bytes().u8(0x21).u8(0xFF).u8(12).raw("ABCDEFGHIJKL").u8(0).data,
         "Unsupported Application Extension block size",
         {},
         0},
        {"looping block too short",
         header + Bytes().u8(0x21).u8(0xFF).u8(11).raw("NETSCAPE2.0").u8(2).u8(1).u8(0).u8(0).data,
         "Invalid GIF data",
         {},
         0},
        {"looping extension cut short",
         header + Bytes().u8(0x21).u8(0xFF).u8(11).raw("NETSCAPE2.0").u8(3).data,
         {},
         {},
         1},
        {"frame beyond the pixel limit",
         header + Bytes().descriptor(0, 0, 0xFFFF, 0xFFFF).tinyData().data,
         "Image size exceeds the engine's pixel limit",
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        const Outcome outcome = tryLoad(image, c.bytes);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.warnings, c.warnings);
        EXPECT_EQ(outcome.frames, c.frames);
    }
}

TEST(GIFReader, FailedLoadRestoresThePositionAndReportsZero)
{
    TGIFImage image;
    TMemoryStream stream(QByteArray("xxGIF89a\x01\x00", 10));
    stream.setPosition(2);
    std::vector<std::pair<int, int>> seen;
    image.onProgress = [&](TObject*, TProgressStage stage, int percent, bool, const QRect&, const QString&) {
        seen.emplace_back(stage, percent);
    };
    EXPECT_THROW(image.loadFromStream(stream), GIFException);
    EXPECT_EQ(stream.position(), 2);
    EXPECT_EQ(seen.back(), std::make_pair(2, 0));
}

TEST(GIFReader, GlobalMapSizeBits)
{
    for (auto [bits, entries] : {std::pair{0, 2}, {7, 256}}) {
        TGIFImage image;
        load(image, Bytes().header(1, 1, 0x80 | bits).colors(entries).descriptor(0, 0, 1, 1).tinyData().data);
        EXPECT_EQ(image.globalColorMap().count(), entries);
        EXPECT_FALSE(image.globalColorMap().optimized());
    }
}

TEST(GIFReader, ExtensionsAndTheirFields)
{
    const QByteArray bytes = Bytes()
                                 .header(4, 4, 0x80)
                                 .colors(2)
                                 .u8(0x21)
                                 .u8(0xFF)
                                 .u8(11)
                                 .raw("NETSCAPE2.0")
                                 .u8(3)
                                 .u8(9)
                                 .u16(7)
                                 .u8(0) // kind 9 = 1
                                 .u8(0x21)
                                 .u8(0xFF)
                                 .u8(11)
                                 .raw("ANIMEXTS1.0")
                                 .u8(5)
                                 .u8(2)
                                 .u16(0x0201)
                                 .u16(0x0403)
                                 .u8(0)
                                 .u8(0x21)
                                 .u8(0xFF)
                                 .u8(11)
                                 .raw("OTHERAPP1.0")
                                 .u8(2)
                                 .raw("ab")
                                 .u8(1)
                                 .raw("c")
                                 .u8(0)
                                 .u8(0x21)
                                 .u8(0xF9)
                                 .u8(4)
                                 .u8(0x0D)
                                 .u16(50)
                                 .u8(1)
                                 .u8(0)
                                 .u8(0x21)
                                 .u8(0x01)
                                 .u8(12)
                                 .u16(1)
                                 .u16(2)
                                 .u16(3)
                                 .u16(4)
                                 .u8(5)
                                 .u8(6)
                                 .u8(7)
                                 .u8(8)
                                 .u8(2)
                                 .raw("hi")
                                 .u8(0)
                                 .descriptor(0, 0, 1, 1)
                                 .tinyData()
                                 .u8(0x3B)
                                 .data;
    TGIFImage image;
    load(image, bytes);
    ASSERT_EQ(image.images().count(), 1);
    TGIFSubImage* frame = image.images().subImage(0);
    TGIFExtensionList& ext = frame->extensions();
    ASSERT_EQ(ext.count(), 5);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext.extension(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->loops(), 7);
    auto* animexts = dynamic_cast<TGIFAppExtNSLoop*>(ext.extension(1));
    ASSERT_NE(animexts, nullptr);
    EXPECT_EQ(animexts->bufferSize(), 0x04030201u);
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(ext.extension(2));
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->blocks().size(), 2u);
    EXPECT_EQ(unknown->blocks()[0]->data(), "ab");
    auto* control = frame->graphicControlExtension();
    ASSERT_EQ(control, ext.extension(3));
    EXPECT_EQ(control->disposal(), TGIFDisposal::dmPrevious);
    EXPECT_TRUE(control->transparent());
    EXPECT_TRUE(frame->transparent());
    EXPECT_EQ(control->delay(), 50);
    auto* text = dynamic_cast<TGIFTextExtension*>(ext.extension(4));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->fields().height, 4);
    EXPECT_EQ(text->fields().background, 8);
    EXPECT_EQ(text->text(), QStringList{"hi"});
}

// Every 3-bit disposal code is kept as read and written back; the four named ones have a
// meaning, 4-7 occur in files and must survive an edit untouched.
TEST(GIFGraphicControl, EveryDisposalCodeRoundTrips)
{
    for (int value = 0; value < 8; ++value) {
        SCOPED_TRACE(value);
        const bool transparent = value % 2 == 1;
        TGIFImage image;
        load(image, Bytes()
                        .header(1, 1, 0x80)
                        .colors(2)
                        .control(value, 7, transparent, 1)
                        .descriptor(0, 0, 1, 1)
                        .tinyData()
                        .u8(0x3B)
                        .data);
        ASSERT_EQ(image.images().count(), 1);
        TGIFGraphicControlExtension* control = image.images().subImage(0)->graphicControlExtension();
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(disposalValue(control->disposal()), value);
        EXPECT_EQ(isNamedDisposal(control->disposal()), value < 4);
        EXPECT_EQ(control->transparent(), transparent);
        const QByteArray saved = save(image);
        const int at = int(saved.indexOf(QByteArray::fromHex("21F904")));
        ASSERT_GE(at, 0);
        EXPECT_EQ(uint8_t(saved[at + 3]), uint8_t((value << 2) | (transparent ? 1 : 0)));

        // Setting a code changes only the disposal bits, whatever was there.
        control->setUserInput(true);
        control->setDisposal(disposalFromValue(7 - value));
        EXPECT_EQ(disposalValue(control->disposal()), 7 - value);
        EXPECT_TRUE(control->userInput());
        EXPECT_EQ(control->transparent(), transparent);
    }
}

TEST(GIFReader, LaterRegistrationsWin)
{
    static const TGIFExtensionClass unknownForLoops = *TGIFUnknownAppExtension::staticClass();
    registerAppExtension(gifApplicationId("NETSCAPE2.0"), &unknownForLoops);
    TGIFImage image;
    load(image,
         Bytes().header(1, 1).u8(0x21).u8(0xFF).u8(11).raw("NETSCAPE2.0").u8(3).u8(1).u16(2).u8(0).data);
    registerAppExtension(gifApplicationId("NETSCAPE2.0"), TGIFAppExtNSLoop::staticClass());
    ASSERT_EQ(image.images().count(), 1);
    EXPECT_NE(dynamic_cast<TGIFUnknownAppExtension*>(image.images().subImage(0)->extensions().extension(0)),
              nullptr);
}

TEST(GIFWriter, HeaderFlagsFollowTheGlobalMap)
{
    struct Case
    {
        int colors;
        bool sorted;
        uint8_t packed;
        int mapBytes;
    } cases[] = {{0, false, 0x77, 0},
                 {256, false, 0xF7, 768},
                 {256, true, 0xFF, 768},
                 {3, false, 0x91, 12},
                 {1, false, 0x80, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colors);
        TGIFImage image;
        for (int i = 0; i < c.colors; ++i)
            image.globalColorMap().add(TColor(i));
        image.globalColorMap().setOptimized(c.sorted);
        TGIFSubImage* frame = addFrame(image, 0, 0, 1, 1);
        if (c.colors == 0)
            setColors(frame->colorMap(), {0, 1});
        const QByteArray bytes = save(image);
        EXPECT_EQ(uint8_t(bytes[10]), c.packed);
        EXPECT_EQ(uint8_t(bytes[13 + c.mapBytes]), 0x2C);
    }
}

TEST(GIFWriter, DescriptorFlagsAndCodeSize)
{
    TGIFImage image;
    for (int i = 0; i < 16; ++i)
        image.globalColorMap().add(TColor(i));
    TGIFSubImage* globalFrame = addFrame(image, 0, 0, 1, 1);
    globalFrame->setPackedFields(0xFF & ~0x80); // interlace and reserved bits survive
    TGIFSubImage* big = addFrame(image, 0, 0, 1, 1);
    for (int i = 0; i < 256; ++i)
        big->colorMap().add(TColor(i));
    TGIFSubImage* small = addFrame(image, 0, 0, 1, 1);
    setColors(small->colorMap(), {0, 0xFFFFFF});
    small->setInterlaced(true);
    const QByteArray bytes = save(image);
    int at = 13 + 48;
    EXPECT_EQ(uint8_t(bytes[at + 9]), 0x58); // 0x7F with bits 5 and 0-2 cleared
    EXPECT_EQ(uint8_t(bytes[at + 10]), 8);   // largest map of the image
    at = afterImageData(bytes, at + 10);
    EXPECT_EQ(uint8_t(bytes[at + 9]), 0x87);
    at += 10 + 768;
    EXPECT_EQ(uint8_t(bytes[at]), 8);
    at = afterImageData(bytes, at);
    EXPECT_EQ(uint8_t(bytes[at + 9]), 0x80); // written non-interlaced
    EXPECT_EQ(uint8_t(bytes[at + 16]), 2);   // a 2-colour map codes with 2 bits
    EXPECT_FALSE(small->interlaced());
    EXPECT_TRUE(globalFrame->interlaced());
}

TEST(GIFWriter, ExtensionBlocks)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0, 1});
    TGIFSubImage* frame = addFrame(image, 0, 0, 0, 0); // empty: writes only its extensions
    auto* comment = new TGIFCommentExtension(frame);
    comment->text() << QString(600, QChar('x')) << QString() << "yz";
    frame->extensions().add(comment);
    auto* loop = new TGIFAppExtNSLoop(frame);
    loop->setLoops(3);
    frame->extensions().add(loop);
    addFrame(image, 0, 0, 1, 1);
    const QByteArray bytes = save(image);
    const int comments = 13 + 6;
    ASSERT_EQ(bytes.mid(comments, 2), QByteArray("\x21\xFE"));
    EXPECT_EQ(subBlockSizes(bytes, comments + 2), (std::vector<int>{255, 255, 90, 2}));
    const int loopAt = comments + 2 + (3 + 600) + (1 + 2) + 1;
    EXPECT_EQ(bytes.mid(loopAt, 19), QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x03\x00\x00", 19));
    EXPECT_EQ(uint8_t(bytes[loopAt + 19]), 0x2C);

    TGIFImage reread;
    load(reread, bytes);
    ASSERT_EQ(reread.images().count(), 1); // the empty frame's extensions attach to the next image
    auto* back = dynamic_cast<TGIFCommentExtension*>(reread.images().subImage(0)->extensions().extension(0));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), QStringList({QString(255, 'x'), QString(255, 'x'), QString(90, 'x'), "yz"}));
}

TEST(GIFReader, SafetyLimitsFailCleanly)
{
    struct Restore
    {
        TGIFSettings saved = gifSettings();
        ~Restore() { gifSettings() = saved; }
    } restore;
    gifSettings().maxLoadPixels = 3 * 4096;
    gifSettings().maxExtensionsPerFrame = 3;
    Bytes frames;
    frames.header(1, 1, 0x80).colors(2);
    for (int i = 0; i < 5; ++i)
        frames.descriptor(0, 0, 1, 1).tinyData();
    TGIFImage image;
    EXPECT_EQ(tryLoad(image, frames.data).error, "Image size exceeds the engine's pixel limit");
    Bytes comments;
    comments.header(1, 1, 0x80).colors(2);
    for (int i = 0; i < 5; ++i)
        comments.comment("c");
    EXPECT_EQ(tryLoad(image, comments.data).error, "Too many extension blocks");
}

TEST(GIFReader, TenByteApplicationBlockReadsAsUnknown)
{
    TGIFImage image;
    load(image, Bytes()
                    .header(1, 1, 0x80)
                    .colors(2)
                    .u8(0x21)
                    .u8(0xFF)
                    .u8(10)
                    .raw("ABCDEFGHIJ")
                    .u8(2)
                    .raw("xy")
                    .u8(0)
                    .descriptor(0, 0, 1, 1)
                    .tinyData()
                    .data);
    ASSERT_EQ(image.images().count(), 1);
    auto* unknown =
        dynamic_cast<TGIFUnknownAppExtension*>(image.images().subImage(0)->extensions().extension(0));
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->blocks().size(), 1u);
    EXPECT_EQ(unknown->blocks()[0]->data(), "xy");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(unknown->identifier().data()), 11), "ABCDEFGHIJ\x02");
}
