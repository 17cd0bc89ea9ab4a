// The scan's widget-free parts: thumbnail sizes, which files are listed, decoding at thumbnail size
// within the imaging control's limits, the prefetcher's order and the desktop thumbnail cache.
#include "wizards/ThumbCache.h"
#include "wizards/ThumbScan.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString writeImage(const QString& path, int width, int height, QRgb color = qRgb(10, 200, 30))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return path;
}

TEST(ThumbScanFit, OnlyPicturesAboveTheEdgePlusOneShrinkAndNeverToNothing)
{
    const struct
    {
        QSize picture;
        int edge;
        QSize expected;
    } cases[] = {
        {{300, 150}, 75, {75, 37}}, {{150, 300}, 75, {37, 75}}, {{76, 76}, 75, {76, 76}},
        {{77, 10}, 75, {75, 9}},    {{1000, 1}, 75, {75, 1}},   {{1, 1000}, 75, {1, 75}},
        {{75, 75}, 75, {75, 75}},   {{200, 200}, 50, {50, 50}}, {{4000, 3000}, 200, {200, 150}},
        {{65535, 2}, 50, {50, 1}},  {{77, 77}, 75, {75, 75}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitThumbnail(c.picture, c.edge), c.expected)
            << c.picture.width() << "x" << c.picture.height();
}

TEST(ThumbScanList, PlainVisibleFilesOfTheFilterInCaseInsensitiveOrder)
{
    QTemporaryDir dir;
    const QString d = dir.path() + QLatin1Char('/');
    for (const char* name : {"b.gif", "A.gif", "a.gif", "C.TIF", "x.gif.txt", ".h.gif", "photo.jpeg"})
        QFile(d + QString::fromLatin1(name)).open(QIODevice::WriteOnly);
    QFile::link(d + QStringLiteral("b.gif"), d + QStringLiteral("link.gif"));
    QFile::link(d + QStringLiteral("missing.gif"), d + QStringLiteral("broken.gif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + QStringLiteral("pipe.gif")).constData(), 0600), 0);
    QDir(d).mkdir(QStringLiteral("dir.gif"));

    QStringList names;
    for (const TThumbFile& file : listThumbnailFiles(d, 19))
        names << file.name;
    // Names that differ only in case are both kept: this file system holds both.
    EXPECT_EQ(names, (QStringList{"A.gif", "a.gif", "b.gif", "C.TIF", "link.gif"}));
    names.clear();
    for (const TThumbFile& file : listThumbnailFiles(d, 15))
        names << file.name;
    EXPECT_EQ(names, QStringList{"C.TIF"});
    EXPECT_TRUE(listThumbnailFiles(d, 18).isEmpty());
    EXPECT_TRUE(listThumbnailFiles(d, 20).isEmpty());
    EXPECT_EQ(thumbFilterExtensions(19).size(), 18);
    EXPECT_EQ(thumbFilterExtensions(17), QStringList{".wpg"});
}

QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<quint32>(54 + 16, bytes.data() + 2);
    qToLittleEndian<quint32>(54, bytes.data() + 10);
    qToLittleEndian<quint32>(40, bytes.data() + 14);
    qToLittleEndian<qint32>(width, bytes.data() + 18);
    qToLittleEndian<qint32>(height, bytes.data() + 22);
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    return bytes + QByteArray(16, '\0');
}

TEST(ThumbScanDecode, PicturesOfEveryPathAtThumbnailSizeAndRefusalsWithoutDecoding)
{
    QTemporaryDir dir;
    const QString d = dir.path() + QLatin1Char('/');
    const struct
    {
        const char* name;
        QSize size;
    } good[] = {{"a.png", {300, 150}},
                {"b.jpg", {1600, 1200}},
                {"c.bmp", {20, 30}},
                {"d.ppm", {300, 150}},
                {"e.jif", {150, 300}}};
    for (const auto& g : good) {
        const QString path = d + QString::fromLatin1(g.name);
        QImage image(g.size, QImage::Format_RGB32);
        image.fill(qRgb(10, 200, 30));
        ASSERT_TRUE(
            image.save(path, QString::fromLatin1(g.name).endsWith(QStringLiteral(".jif")) ? "jpg" : nullptr));
        const TThumbDecodeResult result = decodeThumbnail(path, 75, nullptr);
        ASSERT_TRUE(result.ok) << g.name;
        EXPECT_EQ(result.picture, g.size) << g.name;
        EXPECT_EQ(result.image.size(), fitThumbnail(g.size, 75)) << g.name;
        EXPECT_FALSE(result.image.hasAlphaChannel());
        EXPECT_GT(result.image.pixelColor(result.image.width() / 2, result.image.height() / 2).green(), 180)
            << g.name;
    }
    // Transparent parts come out on white, as the imaging control hands pictures over.
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.save(d + QStringLiteral("t.png"));
    EXPECT_EQ(decodeThumbnail(d + QStringLiteral("t.png"), 75, nullptr).image.pixel(5, 5),
              qRgb(255, 255, 255));

    // Over the limits by the header alone; garbage; a file that is gone.
    QFile big(d + QStringLiteral("huge.bmp"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(bmpHeader(40000, 40000));
    big.close();
    QFile garbage(d + QStringLiteral("g.ppm"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("P6\n10 10\n255\nshort");
    garbage.close();
    for (const char* name : {"huge.bmp", "g.ppm", "none.png"})
        EXPECT_FALSE(decodeThumbnail(d + QString::fromLatin1(name), 75, nullptr).ok) << name;
}

TEST(ThumbScanDecode, LargePngsAndBitmapsOfEveryPixelLayoutAreReadRowByRow)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QImage::Format format;
        QColor color;
        QColor expected;
    } cases[] = {
        {"rgb.png", QImage::Format_RGB32, QColor(10, 200, 30), QColor(10, 200, 30)},
        {"rgb16.png", QImage::Format_RGBX64, QColor(250, 100, 0), QColor(250, 100, 0)},
        {"gray.png", QImage::Format_Grayscale8, QColor(90, 90, 90), QColor(90, 90, 90)},
        {"half.png", QImage::Format_ARGB32, QColor(0, 0, 0, 128), QColor(127, 127, 127)},
        {"indexed.png", QImage::Format_Indexed8, QColor(0, 0, 255), QColor(0, 0, 255)},
        {"rgb.bmp", QImage::Format_RGB888, QColor(10, 200, 30), QColor(10, 200, 30)},
        {"rgb32.bmp", QImage::Format_RGB32, QColor(200, 10, 30), QColor(200, 10, 30)},
    };
    for (const auto& c : cases) {
        QImage image(1200, 600, QImage::Format_ARGB32);
        image.fill(c.color);
        // The lower half stays white, so rows must land in the right half of the thumbnail.
        for (int y = 300; y < 600; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), 1200, qRgb(255, 255, 255));
        const QString path = dir.path() + QLatin1Char('/') + QString::fromLatin1(c.name);
        ASSERT_TRUE(image.convertToFormat(c.format).save(path)) << c.name;
        const TThumbDecodeResult result = decodeThumbnail(path, 75, nullptr);
        ASSERT_TRUE(result.ok) << c.name;
        EXPECT_EQ(result.image.size(), QSize(75, 37)) << c.name;
        const QColor top = result.image.pixelColor(37, 5);
        EXPECT_NEAR(top.red(), c.expected.red(), 3) << c.name;
        EXPECT_NEAR(top.green(), c.expected.green(), 3) << c.name;
        EXPECT_NEAR(top.blue(), c.expected.blue(), 3) << c.name;
        EXPECT_EQ(result.image.pixelColor(37, 30), QColor(255, 255, 255)) << c.name;
    }
    // Cut short: refused, never half a picture.
    for (const char* name : {"rgb.png", "rgb.bmp"}) {
        QFile full(dir.path() + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(full.open(QIODevice::ReadOnly));
        const QByteArray bytes = full.readAll();
        QFile cut(dir.path() + QStringLiteral("/cut.") + QFileInfo(full).suffix());
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 2));
        cut.close();
        EXPECT_FALSE(decodeThumbnail(cut.fileName(), 75, nullptr).ok) << name;
    }
}

TEST(ThumbScanPrefetch, ResultsComeInTheOrderOfThePaths)
{
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 12; ++i)
        paths << writeImage(dir.path() + QStringLiteral("/p%1.png").arg(i), 10 + i, 20 + 3 * i);
    paths.insert(5, dir.path() + QStringLiteral("/missing.png"));
    TThumbPrefetcher prefetcher(paths, 75, nullptr);
    for (int i = 0; i < paths.size(); ++i) {
        const TThumbDecodeResult result = prefetcher.take(i);
        if (i == 5) {
            EXPECT_FALSE(result.ok);
            continue;
        }
        const int n = i < 5 ? i : i - 1;
        EXPECT_EQ(result.picture, QSize(10 + n, 20 + 3 * n)) << i;
    }
    // Dropped half-way: the rest is abandoned without waiting for it all.
    TThumbPrefetcher abandoned(paths, 75, nullptr);
    EXPECT_TRUE(abandoned.take(0).ok);
}

TEST(ThumbCache, SecondDecodeComesFromTheSharedCacheUntilTheFileChanges)
{
    QTemporaryDir pictures;
    QTemporaryDir cacheRoot;
    auto cache = std::make_shared<TThumbnailCache>(cacheRoot.path() + QStringLiteral("/thumbnails"));
    const QString path = writeImage(pictures.path() + QStringLiteral("/big.png"), 600, 300);

    const TThumbDecodeResult first = decodeThumbnail(path, 75, cache.get());
    ASSERT_TRUE(first.ok);
    EXPECT_FALSE(first.fromCache);
    const QString stored = cache->cachePath(path, 128);
    EXPECT_TRUE(stored.contains(QStringLiteral("/thumbnails/normal/")));
    ASSERT_TRUE(QFile::exists(stored));
    EXPECT_EQ(QFile::permissions(stored) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    // What other programs read: the standard's keys, 128 pixels on the longer side.
    const QImage entry(stored);
    EXPECT_EQ(entry.text(QStringLiteral("Thumb::URI")), QStringLiteral("file://") + path);
    EXPECT_EQ(entry.text(QStringLiteral("Thumb::MTime")),
              QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
    EXPECT_EQ(entry.size(), QSize(128, 64));

    const TThumbDecodeResult second = decodeThumbnail(path, 75, cache.get());
    ASSERT_TRUE(second.ok);
    EXPECT_TRUE(second.fromCache);
    EXPECT_EQ(second.picture, QSize(600, 300));
    EXPECT_EQ(second.image.size(), QSize(75, 37));
    // Edges above 128 use the large flavour.
    EXPECT_FALSE(decodeThumbnail(path, 150, cache.get()).fromCache);
    EXPECT_TRUE(QFile::exists(cache->cachePath(path, 256)));
    EXPECT_TRUE(decodeThumbnail(path, 150, cache.get()).fromCache);

    // The picture changes: its stored thumbnail no longer matches and is replaced.
    writeImage(path, 300, 600, qRgb(200, 0, 0));
    QFile touched(path);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    touched.close();
    const TThumbDecodeResult third = decodeThumbnail(path, 75, cache.get());
    EXPECT_FALSE(third.fromCache);
    EXPECT_EQ(third.picture, QSize(300, 600));
    EXPECT_GT(third.image.pixelColor(18, 37).red(), 180);

    // Pictures no larger than the cache's own size are not stored.
    const QString small = writeImage(pictures.path() + QStringLiteral("/small.png"), 100, 100);
    decodeThumbnail(small, 75, cache.get());
    EXPECT_FALSE(QFile::exists(cache->cachePath(small, 128)));
}

TEST(ThumbCache, EntriesWithoutThePictureSizeOrOfOtherFilesAreNotUsed)
{
    QTemporaryDir pictures;
    QTemporaryDir cacheRoot;
    TThumbnailCache cache(cacheRoot.path());
    const QString path = writeImage(pictures.path() + QStringLiteral("/big.png"), 600, 300);
    const QFileInfo info(path);
    QImage thumb(128, 64, QImage::Format_RGB32);
    thumb.fill(Qt::black);
    QDir().mkpath(cacheRoot.path() + QStringLiteral("/normal"));
    // As a thumbnailer that does not record the picture's size writes it.
    QImage foreign = thumb;
    foreign.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(TThumbnailCache::fileUri(path)));
    foreign.setText(QStringLiteral("Thumb::MTime"), QString::number(info.lastModified().toSecsSinceEpoch()));
    ASSERT_TRUE(foreign.save(cache.cachePath(path, 128)));
    EXPECT_TRUE(cache.lookup(info, 128).image.isNull());
    // Another file's thumbnail under this name (a hash collision, or a planted file).
    ASSERT_TRUE(
        cache.store(QFileInfo(pictures.path() + QStringLiteral("/other.png")), 128, thumb, {600, 300}));
    QFile::remove(cache.cachePath(path, 128));
    QFile::rename(cache.cachePath(pictures.path() + QStringLiteral("/other.png"), 128),
                  cache.cachePath(path, 128));
    EXPECT_TRUE(cache.lookup(info, 128).image.isNull());
    // Files inside the cache are never thumbnailed into it.
    EXPECT_FALSE(
        cache.store(QFileInfo(cacheRoot.path() + QStringLiteral("/normal/x.png")), 128, thumb, {600, 300}));
}

} // namespace
