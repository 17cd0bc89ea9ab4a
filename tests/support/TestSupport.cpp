#include "support/TestSupport.h"
#include "support/TestPrinters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

namespace testsupport {

QString sharedTestDataRoot()
{
    const QString named = qEnvironmentVariable("REELWRIGHT_TESTDATA");
    if (!named.isEmpty())
        return QDir::cleanPath(QDir::current().absoluteFilePath(named));
    // The build passes ../shared/testdata beside the checkout, worked out from the source folder.
    return QDir::cleanPath(QStringLiteral(REELWRIGHT_TESTDATA_DIR));
}

QString sharedTestData(const QString& relative)
{
    return QDir(sharedTestDataRoot()).filePath(relative);
}

bool hasSharedTestData()
{
    return QFileInfo(sharedTestData(QStringLiteral("gif"))).isDir();
}

QString sharedTestDataMissingNote()
{
    return QStringLiteral(
               "shared test corpus not found: looked for %1 (set REELWRIGHT_TESTDATA to use another folder)")
        .arg(sharedTestData(QStringLiteral("gif")));
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

qsizetype firstDifference(const QByteArray& a, const QByteArray& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i)
        if (a[i] != b[i])
            return i;
    return a.size() == b.size() ? -1 : common;
}

namespace {

// Up to 16 bytes from the offset, in hex; "(end)" where the array stops.
std::string hexAround(const QByteArray& bytes, qsizetype offset)
{
    const qsizetype from = std::max<qsizetype>(0, offset - 8);
    std::string text = "@" + std::to_string(from) + ":";
    for (qsizetype i = from; i < from + 16; ++i) {
        if (i >= bytes.size()) {
            text += " (end)";
            break;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, i == offset ? " [%02x]" : " %02x", unsigned(uint8_t(bytes[i])));
        text += hex;
    }
    return text;
}

} // namespace

::testing::AssertionResult sameBytes(const char* expectedExpr, const char* actualExpr,
                                     const QByteArray& expected, const QByteArray& actual)
{
    const qsizetype at = firstDifference(expected, actual);
    if (at < 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << expectedExpr << " (" << expected.size() << " bytes) and " << actualExpr << " (" << actual.size()
           << " bytes) first differ at offset " << at << "\n  expected " << hexAround(expected, at)
           << "\n  actual   " << hexAround(actual, at);
}

} // namespace testsupport

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    constexpr qsizetype kShown = 96;
    *out << '"';
    for (qsizetype i = 0; i < std::min(bytes.size(), kShown); ++i) {
        const auto c = uint8_t(bytes[i]);
        if (c == '"' || c == '\\') {
            *out << '\\' << char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            *out << char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", unsigned(c));
            *out << hex;
        }
    }
    *out << '"';
    if (bytes.size() > kShown)
        *out << "... (" << bytes.size() << " bytes)";
}
