#include "wizards/ThumbCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

const char* flavourFolder(int flavour)
{
    return flavour > 128 ? "large" : "normal";
}

QString mtimeText(const QFileInfo& file)
{
    return QString::number(file.lastModified().toSecsSinceEpoch());
}

} // namespace

TThumbnailCache::TThumbnailCache(QString root) : m_root(std::move(root))
{
    if (m_root.isEmpty())
        m_root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                 QStringLiteral("/thumbnails");
}

int TThumbnailCache::flavourEdge(int thumbnailEdge)
{
    return thumbnailEdge <= 128 ? 128 : 256;
}

QByteArray TThumbnailCache::fileUri(const QString& absolutePath)
{
    return QUrl::fromLocalFile(absolutePath).toEncoded(QUrl::FullyEncoded);
}

QString TThumbnailCache::cachePath(const QString& absolutePath, int flavour) const
{
    const QByteArray md5 = QCryptographicHash::hash(fileUri(absolutePath), QCryptographicHash::Md5).toHex();
    return m_root + QLatin1Char('/') + QLatin1String(flavourFolder(flavour)) + QLatin1Char('/') +
           QString::fromLatin1(md5) + QStringLiteral(".png");
}

TThumbnailCache::Entry TThumbnailCache::lookup(const QFileInfo& file, int flavour) const
{
    const QString path = file.absoluteFilePath();
    QImageReader reader(cachePath(path, flavour), "png");
    // A thumbnail is never larger than its flavour; anything else is not one of these files and
    // is not decoded. (The keys are read from the decoded image: the reader's own text lookup
    // cuts keys at their first colon.)
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.width() > flavour || stored.height() > flavour)
        return {};
    QImage image;
    if (!reader.read(&image) || image.text(QStringLiteral("Thumb::URI")).toUtf8() != fileUri(path) ||
        image.text(QStringLiteral("Thumb::MTime")) != mtimeText(file))
        return {};
    bool widthOk = false;
    bool heightOk = false;
    const int width = image.text(QStringLiteral("Thumb::Image::Width")).toInt(&widthOk);
    const int height = image.text(QStringLiteral("Thumb::Image::Height")).toInt(&heightOk);
    if (!widthOk || !heightOk || width <= 0 || height <= 0)
        return {};
    return {std::move(image), QSize(width, height)};
}

bool TThumbnailCache::store(const QFileInfo& file, int flavour, const QImage& thumbnail, QSize picture) const
{
    const QString path = file.absoluteFilePath();
    if (thumbnail.isNull() || path.startsWith(m_root + QLatin1Char('/')))
        return false;
    const QString target = cachePath(path, flavour);
    const QString folder = QFileInfo(target).absolutePath();
    // The standard asks for folders only the user can read.
    if (!QDir(folder).exists()) {
        if (!QDir().mkpath(folder))
            return false;
        QFile::setPermissions(m_root,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QImage image = thumbnail;
    image.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(fileUri(path)));
    image.setText(QStringLiteral("Thumb::MTime"), mtimeText(file));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(file.size()));
    image.setText(QStringLiteral("Thumb::Image::Width"), QString::number(picture.width()));
    image.setText(QStringLiteral("Thumb::Image::Height"), QString::number(picture.height()));
    image.setText(QStringLiteral("Software"), QStringLiteral("GIF Reelwright 5.0"));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QImageWriter writer(&out, "png");
    // Fast compression: the cache is written during the scan the user is waiting for.
    writer.setQuality(60);
    if (!writer.write(image)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
