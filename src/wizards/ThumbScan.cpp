#include "wizards/ThumbScan.h"

#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "wizards/ThumbCache.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <new>

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
    if (target != picture)
        reader.setScaledSize(target);
    QImage decoded;
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
