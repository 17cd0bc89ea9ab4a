#include "cli/CliCommon.h"

#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QSaveFile>
#include <cstdio>

namespace cli {

void printError(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int usage()
{
    std::fprintf(stderr, "usage: reelwright-cli info FILE [--json]\n"
                         "       reelwright-cli copy IN OUT [--rle]\n"
                         "       reelwright-cli optimize IN OUT [--crop] [--merge] [--cleanup] [--colormaps] "
                         "[--merge-maps]\n"
                         "       reelwright-cli bench FILE... [--repeat N]\n"
                         "       reelwright-cli reduce IN OUT [--method 0-9] [--dither 0-6] [--bits 1-8]\n"
                         "       reelwright-cli frames FILE DIR [--composed] [--bmp]\n");
    return ExitUsage;
}

void loadImage(TGIFImage& image, const QString& fileName, QStringList* warnings)
{
    image.onWarning = [warnings](TObject*, int, const QString& message) {
        if (warnings)
            warnings->append(message);
    };
    TMemoryStream stream;
    stream.loadFromFile(fileName);
    image.loadFromStream(stream);
}

qint64 saveImage(TGIFImage& image, const QString& fileName)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(stream.data()) != stream.size() || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    return stream.size();
}

int guarded(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const Exception& e) {
        printError(e.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("Out of memory"));
    }
    return ExitFailure;
}

} // namespace cli
