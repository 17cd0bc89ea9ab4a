#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace testsupport {

QString sharedTestData(const QString& relative)
{
    return QDir(QStringLiteral(REELWRIGHT_TESTDATA_DIR)).filePath(relative);
}

QString localTestData(const QString& relative)
{
    return QDir(QStringLiteral(REELWRIGHT_LOCAL_TESTDATA_DIR)).filePath(relative);
}

QString binDir()
{
    return QStringLiteral(REELWRIGHT_BIN_DIR);
}

QStringList filesBelow(const QString& folder, const QStringList& suffixes)
{
    QStringList result;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        for (const QString& suffix : suffixes) {
            if (path.endsWith(suffix, Qt::CaseInsensitive)) {
                result << path;
                break;
            }
        }
    }
    result.sort();
    return result;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testsupport
