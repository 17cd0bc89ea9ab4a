#include "graphics/Picture.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Streams.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QRgb grey = qRgb(128, 128, 128);
const QRgb red = qRgb(255, 0, 0);

// A 4x4 icon: left half opaque red, right half fully transparent.
QString writeIcon(const QTemporaryDir& dir)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            image.setPixel(x, y, red);
    const QString path = dir.filePath(QStringLiteral("test.ico"));
    QImageWriter writer(path, "ico");
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return path;
}

// A graphic class the registry does not know: a solid colour of a fixed size.
class TSolid : public TGraphic
{
public:
    void draw(TCanvas& canvas, const QRect& rect) override
    {
        canvas.brush().color = clRed;
        canvas.fillRect(rect);
    }
    bool empty() const override { return false; }
    int width() const override { return 3; }
    int height() const override { return 2; }
    void setWidth(int) override {}
    void setHeight(int) override {}
    void loadFromStream(TStream&) override {}
    void saveToStream(TStream&) override {}
    void assign(const TPersistent* source) override
    {
        if (!dynamic_cast<const TSolid*>(source))
            TGraphic::assign(source);
    }
};

} // namespace

TEST(Picture, LoadsByExtensionAndRefusesUnknownOnes)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("a.BMP"));
    TBitmap(5, 3, pf8bit).saveToFile(bmp);
    TPicture picture;
    int changes = 0;
    picture.onChange = [&](TObject*) {
        ++changes;
    };
    picture.loadFromFile(bmp);
    ASSERT_TRUE(dynamic_cast<TBitmap*>(picture.graphic()));
    EXPECT_EQ(picture.width(), 5);
    EXPECT_EQ(changes, 1);
    try {
        picture.loadFromFile(dir.filePath(QStringLiteral("b.xyz")));
        FAIL();
    } catch (const EInvalidGraphic& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unknown picture file extension (.xyz)"));
    }
    EXPECT_EQ(picture.width(), 5) << "a failed load keeps the graphic";
}

TEST(Picture, RegisteredFormatsCreateTheirClassAndCanBeRemoved)
{
    TPicture::registerFileFormat(QStringLiteral(".SOL"), QStringLiteral("Solid"),
                                 [] { return std::unique_ptr<TGraphic>(new TSolid); });
    EXPECT_TRUE(dynamic_cast<TSolid*>(TPicture::createGraphic(QStringLiteral("sol")).get()));
    TSolid solid;
    auto copy = TPicture::copyGraphic(&solid);
    EXPECT_TRUE(dynamic_cast<TSolid*>(copy.get())) << "copied as its own class";
    TPicture::unregisterFileFormat(QStringLiteral("sol"));
    EXPECT_FALSE(TPicture::createGraphic(QStringLiteral("sol")));
}

TEST(Picture, BitmapConvertsAnotherGraphicAndKeepsItsPicture)
{
    TPicture picture;
    TSolid solid;
    picture.setGraphic(&solid); // unregistered class: held as a bitmap of its picture
    TBitmap* bitmap = picture.bitmap();
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width(), 3);
    EXPECT_EQ(bitmap->pixelRgb(2, 1), red);
    EXPECT_EQ(picture.bitmap(), bitmap);

    TPicture other;
    other.assign(&picture);
    ASSERT_TRUE(other.bitmap());
    EXPECT_NE(other.bitmap(), bitmap);
    EXPECT_EQ(other.bitmap()->pixelRgb(0, 0), red);
    TBitmap target;
    target.assign(&other);
    EXPECT_EQ(target.width(), 3);
}

TEST(Icon, LoadsDrawsWithTransparencyAndKeepsItsSize)
{
    QTemporaryDir dir;
    const QString path = writeIcon(dir);
    TPicture picture;
    picture.loadFromFile(path);
    auto* icon = dynamic_cast<TIcon*>(picture.graphic());
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width(), 4);
    TBitmap* mask = icon->maskBitmap();
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->scanLine(0)[0], 0x30) << "the right half is transparent";

    TBitmap target(4, 4);
    target.canvas().brush().color = rgbToColor(grey);
    target.canvas().fillRect(QRect(0, 0, 4, 4));
    target.canvas().draw(0, 0, icon);
    EXPECT_EQ(target.pixelRgb(1, 1), red);
    EXPECT_EQ(target.pixelRgb(3, 1), grey);
    EXPECT_THROW(icon->setWidth(8), EInvalidGraphicOperation);

    TMemoryStream saved;
    icon->saveToStream(saved);
    saved.setPosition(0);
    TIcon again;
    again.loadFromStream(saved);
    EXPECT_EQ(again.image().pixel(0, 0), red);

    TMemoryStream garbage(QByteArray("not an icon at all"));
    EXPECT_THROW(again.loadFromStream(garbage), EInvalidGraphic);
}

TEST(Metafile, SizeFromTheHeaderAndRasterisationThroughTheHook)
{
    // A minimal enhanced metafile header: type 1, bounds (0, 0)-(9, 4), signature " EMF".
    QByteArray emf(88, '\0');
    emf[0] = 1;
    emf[16] = 9;
    emf[20] = 4;
    emf.replace(40, 4, QByteArray(" EMF"));
    TMemoryStream stream(emf);
    TMetafile metafile;
    metafile.loadFromStream(stream);
    EXPECT_EQ(metafile.width(), 10);
    EXPECT_EQ(metafile.height(), 5);

    TBitmap target(10, 5);
    TMetafile::setRasterizer({});
    EXPECT_THROW(target.canvas().draw(0, 0, &metafile), EInvalidGraphicOperation);
    TMetafile::setRasterizer({nullptr, [](const QByteArray&, const QSize& size) {
                                  QImage image(size, QImage::Format_ARGB32);
                                  image.fill(qRgba(0, 0, 0, 0));
                                  image.setPixel(0, 0, qRgb(0, 0, 255));
                                  return image;
                              }});
    target.canvas().brush().color = rgbToColor(grey);
    target.canvas().fillRect(QRect(0, 0, 10, 5));
    target.canvas().draw(0, 0, &metafile);
    EXPECT_EQ(target.pixelRgb(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixelRgb(1, 0), grey) << "what the metafile does not draw shows through";
    TMetafile::setRasterizer({});

    TMemoryStream garbage(QByteArray(100, 'x'));
    EXPECT_THROW(metafile.loadFromStream(garbage), EInvalidGraphic);
}
