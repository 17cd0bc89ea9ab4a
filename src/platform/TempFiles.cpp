#include "TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <unistd.h>

QString createTempFile(const QString& prefix, const QString& suffix)
{
    // A prefix or suffix with a separator would put the file outside the temporary folder.
    if (prefix.contains(QLatin1Char('/')) || suffix.contains(QLatin1Char('/')))
        return {};
    const QString pattern = QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX");
    QByteArray name = QFile::encodeName(pattern);
    const QByteArray encodedSuffix = QFile::encodeName(suffix);
    name += encodedSuffix;
    const int descriptor = ::mkstemps(name.data(), int(encodedSuffix.size()));
    if (descriptor < 0)
        return {};
    ::close(descriptor);
    return QFile::decodeName(name);
}

bool deleteTempFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return true;
    QFile file(fileName);
    return file.remove() || !QFileInfo::exists(fileName);
}
