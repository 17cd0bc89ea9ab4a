// info FILE... [--json] [--progress]: what the engine reads from GIF files.
#include "cli/CliBatch.h"
#include "cli/CliCommon.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace cli {

namespace {

QJsonObject describeFrame(TGIFSubImage* frame)
{
    QJsonObject result{{"left", frame->left()},
                       {"top", frame->top()},
                       {"width", frame->width()},
                       {"height", frame->height()},
                       {"empty", frame->empty()},
                       {"interlaced", frame->interlaced()},
                       {"localColors", frame->colorMap().count()}};
    if (TGIFGraphicControlExtension* control = frame->graphicControlExtension()) {
        result["delay"] = control->delay();
        result["disposal"] = disposalValue(control->disposal());
        result["transparentIndex"] =
            frame->transparent() ? QJsonValue(control->transparentColorIndex()) : QJsonValue();
    }
    QJsonArray comments;
    for (int e = 0; e < frame->extensions().count(); ++e) {
        TGIFExtension* extension = frame->extensions().extension(e);
        if (auto* comment = dynamic_cast<TGIFCommentExtension*>(extension))
            comments.append(comment->text().join('\n'));
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension))
            result["loops"] = loop->loops();
    }
    if (!comments.isEmpty())
        result["comments"] = comments;
    return result;
}

QJsonObject describe(TGIFImage& image, const QString& fileName, const QStringList& warnings)
{
    QJsonArray frames;
    for (int i = 0; i < image.images().count(); ++i)
        frames.append(describeFrame(image.images().subImage(i)));
    return {{"file", fileName},
            {"version", gifVersionText(image.version())},
            {"width", image.width()},
            {"height", image.height()},
            {"globalColors", image.globalColorMap().count()},
            {"backgroundIndex", image.header().backgroundColorIndex()},
            {"frames", frames},
            {"warnings", QJsonArray::fromStringList(warnings)}};
}

void printText(const QJsonObject& info)
{
    std::printf("File: %s\n", qPrintable(info["file"].toString()));
    std::printf("Version: %s\n", qPrintable(info["version"].toString()));
    std::printf("Logical screen: %dx%d\n", info["width"].toInt(), info["height"].toInt());
    std::printf("Global colors: %d\n", info["globalColors"].toInt());
    std::printf("Background index: %d\n", info["backgroundIndex"].toInt());
    const QJsonArray frames = info["frames"].toArray();
    std::printf("Frames: %d\n", int(frames.size()));
    for (int i = 0; i < frames.size(); ++i) {
        const QJsonObject f = frames[i].toObject();
        std::printf("Frame %d: %d,%d %dx%d local colors %d%s", i, f["left"].toInt(), f["top"].toInt(),
                    f["width"].toInt(), f["height"].toInt(), f["localColors"].toInt(),
                    f["interlaced"].toBool() ? " interlaced" : "");
        if (f.contains("delay"))
            std::printf(" delay %d disposal %d", f["delay"].toInt(), f["disposal"].toInt());
        if (f.contains("transparentIndex") && !f["transparentIndex"].isNull())
            std::printf(" transparent %d", f["transparentIndex"].toInt());
        if (f.contains("loops"))
            std::printf(" loops %d", f["loops"].toInt());
        std::printf("%s\n", f["empty"].toBool() ? " (empty)" : "");
    }
    for (const QJsonValue& warning : info["warnings"].toArray())
        std::printf("Warning: %s\n", qPrintable(warning.toString()));
}

} // namespace

int runInfo(const QStringList& args)
{
    QStringList files;
    bool json = false;
    bool progress = false;
    for (const QString& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg == "--progress")
            progress = true;
        else if (arg.startsWith("--"))
            return usage();
        else
            files << arg;
    }
    if (files.isEmpty())
        return usage();
    // One file gives one object; several give an array of the files that could be read.
    QJsonArray all;
    const int failed = forEachFile(files, progress, [&](const QString& fileName) {
        TGIFImage image;
        QStringList warnings;
        loadImage(image, fileName, &warnings);
        const QJsonObject info = describe(image, fileName, warnings);
        if (json) {
            all.append(info);
        } else {
            clearProgress();
            printText(info);
        }
        std::fflush(stdout);
    });
    if (json) {
        const QJsonDocument document =
            files.size() == 1 && !all.isEmpty() ? QJsonDocument(all[0].toObject()) : QJsonDocument(all);
        if (files.size() > 1 || !all.isEmpty())
            std::printf("%s", document.toJson(QJsonDocument::Indented).constData());
    }
    if (files.size() > 1 && failed > 0)
        std::fprintf(stderr, "%d of %d files failed\n", failed, int(files.size()));
    return failed > 0 ? ExitFailure : ExitOk;
}

} // namespace cli
