// The image model: geometry rules, ownership, versions, copying and the reporting channels.
#include "GIFTestUtil.h"

#include "gif/GIFEngine.h"
#include "gif/GIFException.h"
#include "graphics/Exceptions.h"
#include "graphics/Picture.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(GIFModel, NewImageAndDefaults)
{
    TGIFImage image;
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.drawOptions(), 0x060F);
    EXPECT_EQ(image.version(), gvUnknown);
    EXPECT_EQ(gifVersionText(gv87a), "87a");
    EXPECT_EQ(gifVersionText(gv89a), "89a");
    const TGIFSettings defaults;
    EXPECT_EQ(defaults.defaultDelay, 10);
    EXPECT_EQ(defaults.minimumDelay, 3);
    EXPECT_EQ(defaults.maximumDelay, 1000);
    EXPECT_EQ(defaults.delayMultiplier, 12);
    EXPECT_EQ(defaults.maxFramePixels, int64_t(1) << 28);
}

TEST(GIFModel, SavingWithoutFramesFails)
{
    TGIFImage image;
    image.header().setWidth(10);
    EXPECT_EQ(messageOf([&] { save(image); }), "Unsupported GIF version");
}

TEST(GIFModel, VersionFollowsExtensionsAndSortedLocalMapsOnly)
{
    struct Case
    {
        const char* name;
        std::function<void(TGIFImage&, TGIFSubImage*)> setup;
        const char* signature;
    } cases[] = {
        {"plain", [](TGIFImage&, TGIFSubImage*) {}, "GIF87a"},
        {"sorted global map and aspect ratio",
         [](TGIFImage& image, TGIFSubImage*) {
             image.globalColorMap().setOptimized(true);
             image.header().setAspectRatio(49);
         },
         "GIF87a"},
        {"comment", [](TGIFImage&, TGIFSubImage* f) { f->extensions().add(new TGIFCommentExtension(f)); },
         "GIF89a"},
        {"sorted local map",
         [](TGIFImage&, TGIFSubImage* f) {
             setColors(f->colorMap(), {0, 0xFFFFFF});
             f->colorMap().setOptimized(true);
         },
         "GIF89a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage image;
        setColors(image.globalColorMap(), {0, 0xFFFFFF});
        TGIFSubImage* frame = addFrame(image, 0, 0, 2, 2);
        c.setup(image, frame);
        EXPECT_EQ(save(image).left(6), QByteArray(c.signature));
    }
}

TEST(GIFModel, FrameSizeChangesReallocateZeroPixels)
{
    for (const char* which : {"width", "height"}) {
        SCOPED_TRACE(which);
        TGIFImage image;
        TGIFSubImage* frame = addFrame(image, 0, 0, 3, 3, std::vector<uint8_t>(9, 7));
        if (QByteArray(which) == "width")
            frame->setWidth(4);
        else
            frame->setHeight(4);
        ASSERT_EQ(frame->dataSize(), 12);
        for (int64_t i = 0; i < 12; ++i)
            EXPECT_EQ(frame->data()[i], 0);
    }
}

TEST(GIFModel, FrameBoundsGrowTheLogicalScreen)
{
    struct Case
    {
        int screenW, screenH, left, top, width, height;
        QStringList warnings;
        int expectW, expectH;
    } cases[] = {
        {0, 0, 0, 0, 5, 4, {}, 5, 4},
        {10,
         10,
         8,
         0,
         5,
         4,
         {"Image width too small for contained frames", "Image exceeds Logical Screen size"},
         13,
         10},
        {10,
         10,
         0,
         9,
         5,
         4,
         {"Image height too small for contained frames", "Image exceeds Logical Screen size"},
         10,
         13},
        {10, 0, 0, 0, 5, 4, {}, 10, 4},
        {10, 10, 2, 2, 8, 8, {}, 10, 10},
    };
    for (const Case& c : cases) {
        TGIFImage image;
        WarningLog log(image);
        image.header().setWidth(c.screenW);
        image.header().setHeight(c.screenH);
        addFrame(image, c.left, c.top, c.width, c.height);
        EXPECT_EQ(log.messages, c.warnings);
        EXPECT_EQ(image.width(), c.expectW);
        EXPECT_EQ(image.height(), c.expectH);
        for (int severity : log.severities)
            EXPECT_EQ(severity, 1);
    }
}

TEST(GIFModel, LogicalScreenCannotShrinkBelowAFrame)
{
    TGIFImage image;
    addFrame(image, 2, 3, 5, 5);
    EXPECT_EQ(messageOf([&] { image.setWidth(6); }), "Image width too small for contained frames");
    EXPECT_EQ(messageOf([&] { image.setHeight(7); }), "Image height too small for contained frames");
    EXPECT_EQ(image.width(), 7);
    EXPECT_EQ(image.height(), 8);
    int changes = 0;
    image.onChange = [&](TObject*) {
        ++changes;
    };
    image.setWidth(7);
    EXPECT_EQ(changes, 0);
    image.setWidth(20);
    EXPECT_EQ(changes, 1);
}

TEST(GIFModel, DestroyingItemsUnlinksThemAndKeepsTransparencyConsistent)
{
    TGIFImage image;
    TGIFSubImage* first = addFrame(image, 0, 0, 2, 2);
    TGIFSubImage* second = addFrame(image, 0, 0, 2, 2);
    TGIFGraphicControlExtension* control = gce(second);
    control->setTransparent(true);
    auto* comment = new TGIFCommentExtension(second);
    second->extensions().add(comment);
    EXPECT_TRUE(second->transparent());
    EXPECT_TRUE(image.isTransparent());

    delete control;
    EXPECT_FALSE(second->transparent());
    EXPECT_EQ(second->graphicControlExtension(), nullptr);
    EXPECT_EQ(second->extensions().count(), 1);
    EXPECT_FALSE(image.isTransparent());

    delete comment;
    EXPECT_EQ(second->extensions().count(), 0);
    delete first;
    ASSERT_EQ(image.images().count(), 1);
    EXPECT_EQ(image.images().subImage(0), second);
    image.images().deleteAt(0);
    EXPECT_TRUE(image.empty());
    EXPECT_THROW(image.images().deleteAt(0), EListError);
}

TEST(GIFModel, FirstGraphicControlExtensionIsTheReferencedOne)
{
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 0, 0, 1, 1);
    auto* a = new TGIFGraphicControlExtension(frame);
    auto* b = new TGIFGraphicControlExtension(frame);
    EXPECT_EQ(frame->graphicControlExtension(), a);
    delete b; // never added: destruction is harmless
    EXPECT_EQ(frame->graphicControlExtension(), a);
    frame->extensions().add(a);
}

TEST(GIFModel, PixelAccessChecksCoordinates)
{
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 0, 0, 3, 2);
    frame->setPixel(2, 1, 9);
    EXPECT_EQ(frame->pixel(2, 1), 9);
    EXPECT_EQ(frame->scanLine(1)[2], 9);
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}})
        EXPECT_EQ(messageOf([&, x = x, y = y] { frame->pixel(x, y); }), "Invalid pixel coordinates");
    TGIFSubImage* thin = addFrame(image, 0, 0, 0, 2);
    EXPECT_EQ(messageOf([&] { thin->scanLine(0); }), "Image is empty");
}

TEST(GIFModel, InvalidIndexesWarnAndStoreZero)
{
    TGIFImage image;
    WarningLog log(image);
    setColors(image.globalColorMap(), {0x000000, 0x0000FF, 0x00FF00});
    image.header().setBackgroundColorIndex(3);
    EXPECT_EQ(image.header().backgroundColorIndex(), 0);
    image.header().setBackgroundColorIndex(2);
    EXPECT_EQ(image.header().backgroundColorIndex(), 2);
    TGIFSubImage* frame = addFrame(image, 0, 0, 1, 1);
    gce(frame)->setTransparentColorIndex(5);
    EXPECT_EQ(frame->graphicControlExtension()->transparentColorIndex(), 0);
    EXPECT_EQ(log.messages, QStringList({"Invalid color index", "Invalid color index"}));
    // Setting a colour that is missing appends it.
    gce(frame)->setTransparentColor(0xABCDEF);
    EXPECT_EQ(frame->graphicControlExtension()->transparentColorIndex(), 3);
    EXPECT_EQ(image.globalColorMap().count(), 4);
}

TEST(GIFModel, ReductionBitsRange)
{
    TGIFImage image;
    for (int bits : {2, 9, 0, -1})
        EXPECT_EQ(messageOf([&] { image.setReductionBits(bits); }), "Invalid Bits Per Pixel value") << bits;
    for (int bits : {3, 8}) {
        image.setReductionBits(bits);
        EXPECT_EQ(image.reductionBits(), bits);
    }
}

TEST(GIFModel, DrawOptionsMoveASingleFramesLocalMapToGlobal)
{
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 0, 0, 1, 1);
    setColors(frame->colorMap(), {0x112233, 0x445566});
    image.setDrawOptions(image.drawOptions() | goTile);
    EXPECT_EQ(image.globalColorMap().count(), 2);
    EXPECT_EQ(image.globalColorMap().entry(1).value(), 0x445566u);
    EXPECT_EQ(frame->colorMap().count(), 0);
}

TEST(GIFModel, AddAcceptsFramesAndRefusesOtherObjects)
{
    TGIFImage image;
    auto* frame = new TGIFSubImage(&image);
    EXPECT_EQ(image.add(frame), 0);
    TGIFColorMap* notAFrame = &image.globalColorMap();
    EXPECT_EQ(messageOf([&] { image.add(notAFrame); }), "Object type not supported for operation");
    EXPECT_EQ(image.images().count(), 1);
}

TEST(GIFModel, AssignCopiesFramesAndDropsTheHandlers)
{
    TGIFImage source;
    setColors(source.globalColorMap(), {0, 0xFFFFFF});
    TGIFSubImage* frame = addFrame(source, 1, 1, 2, 2, {0, 1, 1, 0});
    gce(frame)->setTransparent(true);
    gce(frame)->setTransparentColorIndex(1);
    gce(frame)->setDelay(33);
    TGIFSubImage* tail = addFrame(source, 0, 0, 0, 0);
    auto* comment = new TGIFCommentExtension(tail);
    comment->text() << "kept";
    tail->extensions().add(comment);
    source.setReductionBits(4);
    std::vector<std::pair<int, int>> progress;
    source.onProgress = [&](TObject*, TProgressStage stage, int percent, bool, const QRect&,
                            const QString& m) {
        EXPECT_EQ(m, "Copying...");
        progress.emplace_back(stage, percent);
    };
    source.onWarning = [](TObject*, int, const QString&) {
    };

    TGIFImage copy;
    copy.assign(&source);
    EXPECT_FALSE(copy.onProgress);
    EXPECT_FALSE(copy.onWarning);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 0}, {1, 50}, {1, 100}, {2, 100}}));
    EXPECT_EQ(copy.reductionBits(), 8);
    ASSERT_EQ(copy.images().count(), 2);
    TGIFSubImage* copied = copy.images().subImage(0);
    EXPECT_NE(copied, frame);
    EXPECT_EQ(copied->boundsRect(), QRect(1, 1, 2, 2));
    EXPECT_EQ(std::vector<uint8_t>(copied->data(), copied->data() + 4), (std::vector<uint8_t>{0, 1, 1, 0}));
    ASSERT_NE(copied->graphicControlExtension(), nullptr);
    EXPECT_NE(copied->graphicControlExtension(), frame->graphicControlExtension());
    EXPECT_TRUE(copied->transparent());
    EXPECT_EQ(copied->graphicControlExtension()->delay(), 33);
    // An empty frame keeps its extensions in the copy.
    ASSERT_EQ(copy.images().subImage(1)->extensions().count(), 1);
    EXPECT_EQ(
        static_cast<TGIFCommentExtension*>(copy.images().subImage(1)->extensions().extension(0))->text(),
        QStringList{"kept"});
    source.onProgress = nullptr;
    EXPECT_EQ(save(copy), save(source));
}

TEST(GIFModel, ClipboardCarriesACompleteGIFStream)
{
    TGIFImage image;
    QString format;
    QByteArray data;
    image.saveToClipboardFormat(format, data);
    EXPECT_TRUE(format.isEmpty());
    setColors(image.globalColorMap(), {0, 0xFFFFFF});
    addFrame(image, 0, 0, 1, 1);
    image.saveToClipboardFormat(format, data);
    EXPECT_EQ(format, "image/gif");
    EXPECT_TRUE(data.startsWith("GIF87a"));
    TGIFImage pasted;
    pasted.loadFromClipboardFormat(format, data);
    EXPECT_EQ(pasted.images().count(), 1);
    EXPECT_EQ(messageOf([&] { pasted.loadFromClipboardFormat("text/plain", "x"); }),
              "Unsupported clipboard format");
}

TEST(GIFModel, SaveReportsProgressPerFrame)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0, 0xFFFFFF});
    for (int i = 0; i < 3; ++i)
        addFrame(image, 0, 0, 1, 1);
    std::vector<std::tuple<int, int, bool>> seen;
    image.onProgress = [&](TObject*, TProgressStage stage, int percent, bool redraw, const QRect& rect,
                           const QString& message) {
        EXPECT_EQ(message, "Saving...");
        EXPECT_TRUE(rect.isNull());
        seen.emplace_back(stage, percent, redraw);
    };
    save(image);
    EXPECT_EQ(seen, (std::vector<std::tuple<int, int, bool>>{
                        {0, 0, false}, {1, 33, false}, {1, 67, false}, {1, 100, false}, {2, 100, true}}));
}

TEST(GIFModel, EngineStartupRegistersTheGIFGraphicClassOnce)
{
    gifEngineStartup();
    gifEngineStartup();
    auto graphic = TPicture::createGraphic("gif");
    EXPECT_NE(dynamic_cast<TGIFImage*>(graphic.get()), nullptr);
    gifEngineShutdown();
    EXPECT_NE(TPicture::createGraphic(".gif"), nullptr);
    gifEngineShutdown();
    EXPECT_EQ(TPicture::createGraphic("gif"), nullptr);
}
