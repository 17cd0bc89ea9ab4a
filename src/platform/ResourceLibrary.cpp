#include "platform/ResourceLibrary.h"

#include "platform/MessageService.h"
#include "platform/ProgramData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>

namespace {

QString& overrideFolder()
{
    static QString folder;
    return folder;
}

// Each registration maps the library under its own root, so a library registered elsewhere (or a
// second load while another is registered) never shadows this one.
QString uniqueMapRoot()
{
    static int counter = 0;
    return QStringLiteral("/spoolkit-load-%1").arg(++counter);
}

} // namespace

TResourceLibrary::TResourceLibrary(const QString& folder)
    : m_filePath(
          QDir(folder.isEmpty() ? defaultFolder() : folder).filePath(QString::fromLatin1(kSpoolkitLibrary)))
{
}

void TResourceLibrary::setDefaultFolder(const QString& folder)
{
    overrideFolder() = folder;
}

QString TResourceLibrary::defaultFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return programDataFolder();
}

std::optional<QByteArray> TResourceLibrary::load(const QString& type, const QString& name,
                                                 bool reportMissing) const
{
    const QString root = uniqueMapRoot();
    if (!QFileInfo(m_filePath).isFile() || !QResource::registerResource(m_filePath, root)) {
        if (reportMissing)
            messageDlg(
                QStringLiteral("Could not load %1 library file.").arg(QString::fromLatin1(kSpoolkitLibrary)),
                TMsgType::Error, TMsgButtons::Ok);
        return std::nullopt;
    }
    std::optional<QByteArray> data;
    {
        QFile file(QStringLiteral(":%1/%2/%3").arg(root, type, name));
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
    }
    QResource::unregisterResource(m_filePath, root);
    return data;
}

QImage TResourceLibrary::loadBitmap(const QString& name) const
{
    const auto data = load(QString::fromLatin1(kResourceTypeBitmap), name, true);
    if (!data)
        return {};
    return QImage::fromData(*data, "BMP");
}

QByteArray TResourceLibrary::loadGif(const QString& name) const
{
    return load(QString::fromLatin1(kResourceTypeGif), name, false).value_or(QByteArray());
}
