#pragma once
// The widget-free half of the image browser's scan: which files of a folder are pictures, in
// which order, how large their thumbnails are, and decoding them at thumbnail size.
//
// Decoding happens on worker threads ahead of the window's loop (TThumbPrefetcher), so the
// window only takes finished thumbnails in order and stays the one place that adds records.
// Every decoder refuses a picture over the imaging control's own limits (imgMaxSide,
// imgMaxPixels) from its header, before any pixel memory is taken; large pictures are decoded at
// reduced size where the format allows (JPEG), and the desktop's thumbnail cache is consulted
// and filled (ThumbCache.h).
#include <QFuture>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <vector>

class TThumbnailCache;

inline constexpr int kThumbExtensionCount = 18;
// The picture types the browser lists, in filter order: "FilterType" 0-17 picks one, 19 all.
extern const char* const kThumbExtensions[kThumbExtensionCount];
inline constexpr int kThumbFilterAll = 19;

// The extensions a filter value selects: one for 0-17, all 18 for 19, none otherwise.
QStringList thumbFilterExtensions(int filterType);

struct TThumbFile
{
    QString name; // without folder
    qint64 size = 0;
};

// The plain files of the folder whose lower-cased name ends in a selected extension, in
// case-insensitive name order. Hidden files (a leading "."), devices, pipes and sockets and
// sub-folders are left out. Names differing only in case (possible here, unlike on the system
// the order comes from) both stay, in a fixed order.
QList<TThumbFile> listThumbnailFiles(const QString& folder, int filterType);

// The size a picture is shown at in a thumbnail of edge S: unchanged up to S + 1 a side, else
// the longer side becomes S and the other S / longer x shorter with the fraction dropped, but at
// least 1 pixel, so a 1000 x 1 picture still has a thumbnail.
QSize fitThumbnail(QSize picture, int edge);

struct TThumbDecodeResult
{
    bool ok = false;
    QSize picture; // the picture's own size
    QImage image;  // the picture at fitThumbnail(picture, edge), opaque (transparency on white)
    bool fromCache = false;
};

// Reads one picture at thumbnail size. Never throws; a picture that does not load, is corrupt or
// is over the limits gives ok = false. cache may be null.
TThumbDecodeResult decodeThumbnail(const QString& path, int edge, const TThumbnailCache* cache);

// The square thumbnail: edge x edge filled with the background, the picture centred on it
// (offsets halved towards zero, so a picture one pixel larger than the edge is cut evenly).
QImage composeThumbnail(const QImage& picture, int edge, const QColor& background);

// Decodes the files of a scan on a few worker threads, a bounded distance ahead of the caller,
// who takes the results strictly in order. Destroying it drops work not yet started and waits for
// the running decodes.
class TThumbPrefetcher
{
public:
    TThumbPrefetcher(QStringList paths, int edge, std::shared_ptr<const TThumbnailCache> cache);
    ~TThumbPrefetcher();
    TThumbPrefetcher(const TThumbPrefetcher&) = delete;
    TThumbPrefetcher& operator=(const TThumbPrefetcher&) = delete;

    // Waits for the decode of paths[index]; index must grow by one from 0 between calls.
    TThumbDecodeResult take(int index);

private:
    void startUpTo(int index);

    QStringList m_paths;
    int m_edge;
    std::shared_ptr<const TThumbnailCache> m_cache;
    QThreadPool m_pool;
    std::vector<QFuture<TThumbDecodeResult>> m_jobs;
    int m_started = 0;
    int m_ahead = 2;
};
