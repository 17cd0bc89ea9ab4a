#include "wizards/ThumbScan.h"

#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "wizards/ThumbCache.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <png.h>

const char* const kThumbExtensions[kThumbExtensionCount] = {".gif", ".jpg", ".bmp", ".jif", ".dcx", ".ico",
                                                            ".pbm", ".pcx", ".ljp", ".pgm", ".pic", ".png",
                                                            ".ppm", ".rle", ".tga", ".tif", ".wmf", ".wpg"};

QStringList thumbFilterExtensions(int filterType)
{
    QStringList result;
    if (filterType >= 0 && filterType < kThumbExtensionCount) {
        result << QString::fromLatin1(kThumbExtensions[filterType]);
    } else if (filterType == kThumbFilterAll) {
        for (const char* extension : kThumbExtensions)
            result << QString::fromLatin1(extension);
    }
    return result;
}

QList<TThumbFile> listThumbnailFiles(const QString& folder, int filterType)
{
    const QStringList extensions = thumbFilterExtensions(filterType);
    QList<TThumbFile> files;
    if (extensions.isEmpty())
        return files;
    // QDir::Files without QDir::System leaves out devices, pipes and sockets (and broken links);
    // without QDir::Hidden the dot files.
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        const QString lower = entry.fileName().toLower();
        for (const QString& extension : extensions) {
            // "*.gif" needs at least one character before the extension.
            if (lower.size() > extension.size() && lower.endsWith(extension)) {
                files.append({entry.fileName(), entry.size()});
                break;
            }
        }
    }
    std::sort(files.begin(), files.end(), [](const TThumbFile& a, const TThumbFile& b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return files;
}

QSize fitThumbnail(QSize picture, int edge)
{
    const qint64 width = picture.width();
    const qint64 height = picture.height();
    if (width <= edge + 1 && height <= edge + 1)
        return picture;
    if (width > height)
        return QSize(edge, int(std::max<qint64>(1, edge * height / width)));
    return QSize(int(std::max<qint64>(1, edge * width / height)), edge);
}

QImage composeThumbnail(const QImage& picture, int edge, const QColor& background)
{
    QImage result(edge, edge, QImage::Format_RGB32);
    result.fill(background);
    QPainter painter(&result);
    painter.drawImage(QPoint((edge - picture.width()) / 2, (edge - picture.height()) / 2), picture);
    return result;
}

namespace {

bool withinControlLimits(QSize size)
{
    return size.width() > 0 && size.height() > 0 && uint32_t(size.width()) <= imgMaxSide &&
           uint32_t(size.height()) <= imgMaxSide &&
           uint64_t(size.width()) * uint64_t(size.height()) <= imgMaxPixels;
}

// Transparent parts on white and one pixel format, as the imaging control hands pictures over.
QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

QImage scaledTo(const QImage& image, QSize size)
{
    if (image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The formats Qt decodes itself; JPEG at reduced size straight from the DCT.
bool qtDecodes(const QString& suffix)
{
    static const QStringList formats{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jif"),
                                     QStringLiteral("png"), QStringLiteral("bmp"),  QStringLiteral("gif")};
    return formats.contains(suffix.toLower());
}

// Decode size: the cache's flavour when a cache entry is to be written, else the thumbnail's.
QSize decodeSize(QSize picture, int edge, const TThumbnailCache* cache, int flavour)
{
    if (cache && (picture.width() > flavour || picture.height() > flavour))
        return fitThumbnail(picture, flavour);
    return fitThumbnail(picture, edge);
}

TThumbDecodeResult finish(const QFileInfo& info, QSize picture, QImage decoded, int edge,
                          const TThumbnailCache* cache, int flavour)
{
    TThumbDecodeResult result;
    decoded = opaque(decoded);
    if (decoded.isNull())
        return result;
    if (cache && decoded.size() == fitThumbnail(picture, flavour) && decoded.size() != picture)
        cache->store(info, flavour, decoded, picture);
    result.image = scaledTo(decoded, fitThumbnail(picture, edge));
    result.picture = picture;
    result.ok = !result.image.isNull();
    return result;
}

// Averages the pixels of each block of source rows and columns into one target pixel, transparency
// put on white. Rows may arrive in either direction (bottom-up bitmaps), one at a time.
class TRowAverager
{
public:
    TRowAverager(quint32 width, quint32 height, QSize target)
        : m_width(width), m_height(height), m_target(target), m_sums(size_t(target.width()) * 3, 0),
          m_counts(size_t(target.width()), 0), m_image(target, QImage::Format_RGB32)
    {
        m_image.fill(Qt::white);
    }
    bool valid() const { return !m_image.isNull(); }
    // pixels: width RGBA quadruples of display row y.
    void add(quint32 y, const uchar* pixels)
    {
        const int targetRow = int(quint64(y) * quint64(m_target.height()) / m_height);
        if (targetRow != m_row) {
            flush();
            m_row = targetRow;
        }
        for (quint32 x = 0; x < m_width; ++x, pixels += 4) {
            const int column = int(quint64(x) * quint64(m_target.width()) / m_width);
            const quint32 alpha = pixels[3];
            const quint32 white = 255 * (255 - alpha);
            m_sums[3 * column] += (pixels[0] * alpha + white) / 255;
            m_sums[3 * column + 1] += (pixels[1] * alpha + white) / 255;
            m_sums[3 * column + 2] += (pixels[2] * alpha + white) / 255;
            ++m_counts[column];
        }
    }
    QImage finish()
    {
        flush();
        return m_image;
    }

private:
    void flush()
    {
        if (m_row < 0)
            return;
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(m_row));
        for (int x = 0; x < m_target.width(); ++x) {
            const quint32 n = std::max<quint32>(1, m_counts[x]);
            line[x] = qRgb(int(m_sums[3 * x] / n), int(m_sums[3 * x + 1] / n), int(m_sums[3 * x + 2] / n));
        }
        std::fill(m_sums.begin(), m_sums.end(), 0);
        std::fill(m_counts.begin(), m_counts.end(), 0);
    }

    quint32 m_width;
    quint32 m_height;
    QSize m_target;
    std::vector<quint32> m_sums;
    std::vector<quint32> m_counts;
    QImage m_image;
    int m_row = -1;
};

// Reads a non-interlaced PNG row by row, so memory is one source row plus the target whatever
// the picture's size. False for anything it does not take on (interlaced files, errors): the
// caller then decodes the ordinary way.
struct TPngReader
{
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~TPngReader()
    {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file)
            std::fclose(file);
    }
};

bool decodePngScaled(const QString& path, QSize picture, QSize target, QImage& out)
{
    TPngReader reader;
    reader.file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!reader.file)
        return false;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!reader.png)
        return false;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return false;
    // Objects with destructors live outside the part that may jump back here.
    std::vector<png_byte> row;
    std::unique_ptr<TRowAverager> averager;
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_init_io(reader.png, reader.file);
    png_read_info(reader.png, reader.info);
    const png_uint_32 width = png_get_image_width(reader.png, reader.info);
    const png_uint_32 height = png_get_image_height(reader.png, reader.info);
    if (int(width) != picture.width() || int(height) != picture.height() ||
        png_get_interlace_type(reader.png, reader.info) != PNG_INTERLACE_NONE)
        return false;
    png_set_expand(reader.png);
    png_set_strip_16(reader.png);
    png_set_gray_to_rgb(reader.png);
    png_set_add_alpha(reader.png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(reader.png, reader.info);
    if (png_get_rowbytes(reader.png, reader.info) != size_t(width) * 4)
        return false;
    row.resize(size_t(width) * 4);
    averager = std::make_unique<TRowAverager>(width, height, target);
    if (!averager->valid())
        return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(reader.png, row.data(), nullptr);
        averager->add(y, row.data());
    }
    out = averager->finish();
    return true;
}

// Uncompressed 24- and 32-bit bitmaps, read a row at a time like the PNGs above. Every offset is
// checked against the file's size before anything is read. A bitmap of this kind that is cut
// short is refused outright: other readers would pad it and pass it off as the file's picture.
enum class TBmpRead
{
    Decoded,
    NotThisKind,
    Truncated,
};

TBmpRead decodeBmpScaled(const QString& path, QSize picture, QSize target, QImage& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TBmpRead::NotThisKind;
    const QByteArray header = file.read(54);
    if (header.size() < 54 || !header.startsWith("BM"))
        return TBmpRead::NotThisKind;
    const auto u32 = [&](int at) {
        return qFromLittleEndian<quint32>(header.constData() + at);
    };
    const auto u16 = [&](int at) {
        return qFromLittleEndian<quint16>(header.constData() + at);
    };
    const quint32 offset = u32(10);
    const quint32 infoSize = u32(14);
    const qint32 width = qint32(u32(18));
    const qint32 rawHeight = qint32(u32(22));
    const quint16 bits = u16(28);
    const quint32 compression = u32(30);
    if (infoSize < 40 || compression != 0 || (bits != 24 && bits != 32) || width != picture.width() ||
        rawHeight == INT32_MIN || std::abs(rawHeight) != picture.height())
        return TBmpRead::NotThisKind;
    const quint32 height = quint32(std::abs(rawHeight));
    const bool bottomUp = rawHeight > 0;
    const quint64 stride = (quint64(width) * bits + 31) / 32 * 4;
    if (quint64(offset) + stride * height > quint64(file.size()))
        return TBmpRead::Truncated;
    if (!file.seek(offset))
        return TBmpRead::NotThisKind;
    TRowAverager averager(quint32(width), height, target);
    if (!averager.valid())
        return TBmpRead::NotThisKind;
    QByteArray line(qsizetype(stride), '\0');
    std::vector<uchar> rgba(size_t(width) * 4);
    const int step = bits / 8;
    for (quint32 r = 0; r < height; ++r) {
        if (file.read(line.data(), qint64(stride)) != qint64(stride))
            return TBmpRead::Truncated;
        const auto* source = reinterpret_cast<const uchar*>(line.constData());
        for (qint32 x = 0; x < width; ++x) {
            rgba[4 * x] = source[x * step + 2];
            rgba[4 * x + 1] = source[x * step + 1];
            rgba[4 * x + 2] = source[x * step];
            rgba[4 * x + 3] = 255;
        }
        averager.add(bottomUp ? height - 1 - r : r, rgba.data());
    }
    out = averager.finish();
    return TBmpRead::Decoded;
}

// Qt's own decoders; false when Qt cannot read the file, so the imaging control may try.
bool decodeWithQt(const QFileInfo& info, int edge, const TThumbnailCache* cache, int flavour,
                  TThumbDecodeResult& result, bool& refused)
{
    QImageReader reader(info.absoluteFilePath());
    reader.setAutoTransform(false);
    const QSize picture = reader.size();
    if (!picture.isValid())
        return false;
    if (!withinControlLimits(picture)) {
        // Over the control's limits: it would refuse the picture too, so nobody decodes it.
        refused = true;
        return true;
    }
    const QSize target = decodeSize(picture, edge, cache, flavour);
    QImage decoded;
    // A PNG or bitmap much larger than its thumbnail is read a row at a time instead of whole.
    const bool large =
        qint64(picture.width()) * picture.height() > 16 * qint64(target.width()) * target.height();
    if (large && reader.format() == "bmp") {
        switch (decodeBmpScaled(info.absoluteFilePath(), picture, target, decoded)) {
        case TBmpRead::Decoded:
            result = finish(info, picture, std::move(decoded), edge, cache, flavour);
            return result.ok;
        case TBmpRead::Truncated:
            refused = true;
            return true;
        case TBmpRead::NotThisKind:
            break;
        }
    }
    if (large && reader.format() == "png" &&
        decodePngScaled(info.absoluteFilePath(), picture, target, decoded)) {
        result = finish(info, picture, std::move(decoded), edge, cache, flavour);
        return result.ok;
    }
    if (target != picture)
        reader.setScaledSize(target);
    if (!reader.read(&decoded) || decoded.isNull())
        return false;
    result = finish(info, picture, std::move(decoded), edge, cache, flavour);
    return result.ok;
}

TThumbDecodeResult decodeWithControl(const QFileInfo& info, int edge, const TThumbnailCache* cache,
                                     int flavour)
{
    TImagingControl control;
    control.setFileName(info.absoluteFilePath());
    if (control.errorCode() != imgOk)
        return {};
    const QSize picture(control.width(), control.height());
    const QSize target = decodeSize(picture, edge, cache, flavour);
    if (target != picture && !control.resize(uint16_t(target.width()), uint16_t(target.height())))
        return {};
    const QByteArray file = dibToBitmapFile(control.takeDib());
    control.release();
    QImage decoded;
    if (file.isEmpty() || !decoded.loadFromData(file, "BMP"))
        return {};
    return finish(info, picture, std::move(decoded), edge, cache, flavour);
}

} // namespace

TThumbDecodeResult decodeThumbnail(const QString& path, int edge, const TThumbnailCache* cache)
{
    try {
        const QFileInfo info(path);
        if (!info.isFile())
            return {};
        const int flavour = TThumbnailCache::flavourEdge(edge);
        if (cache) {
            TThumbnailCache::Entry entry = cache->lookup(info, flavour);
            const QSize fit = fitThumbnail(entry.picture, edge);
            // Only shrinking from the stored thumbnail keeps it as sharp as a fresh decode.
            if (!entry.image.isNull() && fit != entry.picture && entry.image.width() >= fit.width() &&
                entry.image.height() >= fit.height()) {
                TThumbDecodeResult result;
                result.picture = entry.picture;
                result.image = scaledTo(opaque(entry.image), fit);
                result.ok = true;
                result.fromCache = true;
                return result;
            }
        }
        if (qtDecodes(info.suffix())) {
            TThumbDecodeResult result;
            bool refused = false;
            if (decodeWithQt(info, edge, cache, flavour, result, refused))
                return refused ? TThumbDecodeResult{} : result;
        }
        return decodeWithControl(info, edge, cache, flavour);
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::exception&) {
        return {};
    }
}

// ---- prefetching ----

TThumbPrefetcher::TThumbPrefetcher(QStringList paths, int edge, std::shared_ptr<const TThumbnailCache> cache)
    : m_paths(std::move(paths)), m_edge(edge), m_cache(std::move(cache))
{
    const int threads = std::max(1, QThread::idealThreadCount());
    m_pool.setMaxThreadCount(threads);
    // A few decodes ahead keep every worker busy; more would only hold finished thumbnails.
    m_ahead = threads + 1;
    m_jobs.resize(size_t(m_paths.size()));
    startUpTo(std::min<int>(m_ahead, int(m_paths.size())) - 1);
}

TThumbPrefetcher::~TThumbPrefetcher()
{
    m_pool.clear();
    m_pool.waitForDone();
}

void TThumbPrefetcher::startUpTo(int index)
{
    index = std::min<int>(index, int(m_paths.size()) - 1);
    for (; m_started <= index; ++m_started) {
        const QString path = m_paths[m_started];
        const int edge = m_edge;
        const TThumbnailCache* cache = m_cache.get();
        m_jobs[size_t(m_started)] =
            QtConcurrent::run(&m_pool, [path, edge, cache] { return decodeThumbnail(path, edge, cache); });
    }
}

TThumbDecodeResult TThumbPrefetcher::take(int index)
{
    if (index < 0 || index >= int(m_paths.size()))
        return {};
    startUpTo(index + m_ahead);
    QFuture<TThumbDecodeResult>& job = m_jobs[size_t(index)];
    TThumbDecodeResult result = job.result();
    job = {};
    return result;
}
