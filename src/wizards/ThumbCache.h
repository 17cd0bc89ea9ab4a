#pragma once
// The desktop's shared thumbnail cache (the freedesktop.org Thumbnail Managing Standard): PNG
// files named by the MD5 of the picture's file URI under $XDG_CACHE_HOME/thumbnails/normal (128
// pixels) and /large (256 pixels), carrying Thumb::URI and Thumb::MTime. A stored thumbnail is
// used only while both still match the file, so an edited picture is never shown stale; other
// Linux programs read what the image browser writes and the other way round.
//
// The browser also needs the picture's own size for its records, which the standard keeps in the
// optional Thumb::Image::Width and Thumb::Image::Height; an entry without them is not used.
//
// Threads: lookups and stores of different files may run on different threads at once; a store
// writes a private temporary file and renames it into place, so a reader never sees half a file.
#include <QImage>
#include <QSize>
#include <QString>

class QFileInfo;

class TThumbnailCache
{
public:
    // root: the "thumbnails" folder; empty uses $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails).
    explicit TThumbnailCache(QString root = {});

    QString root() const { return m_root; }
    // The edge of the flavour that serves thumbnails of the given edge: 128 or 256.
    static int flavourEdge(int thumbnailEdge);
    // The standard's URI of a local file and the cache file that belongs to it.
    static QByteArray fileUri(const QString& absolutePath);
    QString cachePath(const QString& absolutePath, int flavour) const;

    struct Entry
    {
        QImage image;  // the stored thumbnail
        QSize picture; // the picture's own size
    };
    // The stored thumbnail of the file, when it matches the file's URI and modification time
    // and names the picture's size; a null image otherwise.
    Entry lookup(const QFileInfo& file, int flavour) const;
    // Stores a thumbnail (at most flavour pixels a side) of a picture of the given size. Files
    // inside the cache itself are never stored. Failures are silent: the cache is an aid only.
    bool store(const QFileInfo& file, int flavour, const QImage& thumbnail, QSize picture) const;

private:
    QString m_root;
};
