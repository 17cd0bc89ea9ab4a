// info FILE [--json]: what the engine reads from a GIF file.
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
        result["disposal"] = control->disposal();
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
    if (args.isEmpty() || args.size() > 2 || (args.size() == 2 && args[1] != "--json"))
        return usage();
    return guarded([&] {
        TGIFImage image;
        QStringList warnings;
        loadImage(image, args[0], &warnings);
        const QJsonObject info = describe(image, args[0], warnings);
        if (args.size() == 2)
            std::printf("%s", QJsonDocument(info).toJson(QJsonDocument::Indented).constData());
        else
            printText(info);
        return ExitOk;
    });
}

} // namespace cli
