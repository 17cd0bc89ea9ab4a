#include "WizardsTestSupport.h"

#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/LoopExtension.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Streams.h"
#include "platform/ImagingControl.h"

#include <Magick++.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <random>

namespace wiztest {

QImage blockPicture(int width, int height, int seed)
{
    static const QRgb palette[8] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00,
                                    0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, palette[(x / 10 + 3 * (y / 10) + seed) % 8]);
    return picture;
}

QString writePng(const QString& folder, const QString& name, const QImage& picture)
{
    const QString path = QDir(folder).filePath(name);
    picture.save(path, "PNG");
    return path;
}

namespace {

TGIFSubImage* addFrame(TGIFImage& image, QRect rect, const std::vector<uint8_t>& pixels)
{
    auto* frame = new TGIFSubImage(&image);
    image.images().add(frame);
    frame->setBoundsRect(rect);
    frame->setData(pixels);
    return frame;
}

TGIFGraphicControlExtension* timing(TGIFSubImage* frame, int delay, TGIFDisposal disposal)
{
    auto* gce = new TGIFGraphicControlExtension(frame);
    frame->extensions().add(gce);
    gce->setDelay(uint16_t(delay));
    gce->setDisposal(disposal);
    return gce;
}

} // namespace

void makeRichAnimation(TGIFImage& image)
{
    image.clear();
    image.header().setWidth(40);
    image.header().setHeight(30);
    for (TColor c : {rgbColor(0, 0, 0), rgbColor(255, 255, 255), rgbColor(255, 0, 0), rgbColor(0, 0, 255),
                     rgbColor(9, 9, 9), rgbColor(0, 200, 0)})
        image.globalColorMap().add(c);
    std::vector<uint8_t> pixels(40 * 30);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t((i / 7) % 4);
    TGIFSubImage* first = addFrame(image, QRect(0, 0, 40, 30), pixels);
    timing(first, 20, TGIFDisposal::dmKeep);
    addComment(*first, QStringLiteral("A comment\nin two lines"));
    addLoopExtension(image, *first, 0);
    // The same picture again, but for a small square: merge and crop have work.
    std::vector<uint8_t> second = pixels;
    for (int y = 10; y < 20; ++y)
        for (int x = 12; x < 22; ++x)
            second[size_t(y) * 40 + x] = 2;
    timing(addFrame(image, QRect(0, 0, 40, 30), second), 30, TGIFDisposal::dmNone);
    // A local palette, transparent, drawn in the middle.
    std::vector<uint8_t> local(20 * 10);
    for (size_t i = 0; i < local.size(); ++i)
        local[i] = uint8_t(i % 5 == 0 ? 0 : 1 + i % 2);
    TGIFSubImage* third = addFrame(image, QRect(10, 10, 20, 10), local);
    for (TColor c : {rgbColor(1, 2, 3), rgbColor(250, 128, 0), rgbColor(0, 0, 255), rgbColor(77, 77, 77)})
        third->colorMap().add(c);
    TGIFGraphicControlExtension* gce = timing(third, 40, TGIFDisposal::dmBackground);
    gce->setTransparentColorIndex(0);
    gce->setTransparent(true);
    addComment(*third, QStringLiteral("local"));
}

void makeRandomAnimation(TGIFImage& image, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    image.clear();
    const int w = pick(8, 40);
    const int h = pick(8, 40);
    image.header().setWidth(w);
    image.header().setHeight(h);
    auto color = [&] {
        return rgbColor(uint8_t(pick(0, 3) * 85), uint8_t(pick(0, 1) * 255), uint8_t(pick(0, 2) * 127));
    };
    const int globals = pick(2, 12);
    for (int i = 0; i < globals; ++i)
        image.globalColorMap().add(color());
    const int frames = pick(1, 6);
    std::vector<uint8_t> previous;
    QRect previousRect;
    for (int f = 0; f < frames; ++f) {
        QRect rect(0, 0, w, h);
        const bool repeat = f > 0 && pick(0, 1) == 0;
        if (!repeat && f > 0) {
            const int fw = pick(1, w);
            const int fh = pick(1, h);
            rect = QRect(pick(0, w - fw), pick(0, h - fh), fw, fh);
        } else if (repeat) {
            rect = previousRect;
        }
        const bool local = pick(0, 2) == 0;
        const int colors = local ? pick(2, 10) : globals;
        std::vector<uint8_t> pixels(size_t(rect.width()) * size_t(rect.height()));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = repeat && pick(0, 3) > 0 ? uint8_t(std::min<int>(previous[i], colors - 1))
                                                 : uint8_t(pick(0, 2) == 0 ? 0 : pick(0, colors - 1));
        TGIFSubImage* frame = addFrame(image, rect, pixels);
        if (local)
            for (int i = 0; i < colors; ++i)
                frame->colorMap().add(color());
        if (pick(0, 3) == 0)
            addComment(*frame, QStringLiteral("frame %1").arg(f));
        TGIFGraphicControlExtension* gce = timing(frame, pick(1, 30), disposalFromValue(pick(0, 2)));
        if (pick(0, 1)) {
            const int key = pick(0, colors - 1);
            if (std::any_of(pixels.begin(), pixels.end(), [key](uint8_t p) { return p != key; })) {
                gce->setTransparentColorIndex(key);
                gce->setTransparent(true);
            }
        }
        previous = pixels;
        previousRect = rect;
    }
}

QByteArray gifBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.data();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::vector<TShown> shownByImageMagick(const QByteArray& gif)
{
    initializeImaging();
    std::vector<Magick::Image> frames;
    Magick::readImages(&frames, Magick::Blob(gif.constData(), size_t(gif.size())));
    std::vector<Magick::Image> coalesced;
    Magick::coalesceImages(&coalesced, frames.begin(), frames.end());
    std::vector<TShown> shown;
    for (Magick::Image& picture : coalesced) {
        Magick::Blob blob;
        picture.magick("RGBA");
        picture.depth(8);
        picture.write(&blob);
        QByteArray rgba(static_cast<const char*>(blob.data()), qsizetype(blob.length()));
        for (qsizetype i = 0; i + 3 < rgba.size(); i += 4)
            if (rgba[i + 3] == 0)
                rgba[i] = rgba[i + 1] = rgba[i + 2] = 0;
        const int delay = int(picture.animationDelay());
        if (!shown.empty() && shown.back().rgba == rgba)
            shown.back().delay += delay;
        else
            shown.push_back({rgba, delay});
    }
    return shown;
}

void press(QAbstractButton* button)
{
    ASSERT_NE(button, nullptr);
    if (button->isEnabled() && button->isVisible())
        button->click();
}

void pushWizardScript(TScriptedMessageService& messages, std::function<void(TfrmWizards&)> script)
{
    messages.pushForm([script](QDialog& dialog) {
        auto* wizard = qobject_cast<TfrmWizards*>(&dialog);
        ASSERT_NE(wizard, nullptr) << "the next form is not the wizard";
        script(*wizard);
    });
}

TWizardResult runScripted(TEditSession& session, TScriptedMessageService& messages, TWizardSetup setup,
                          std::function<void(TfrmWizards&)> script)
{
    pushWizardScript(messages, std::move(script));
    return runWizard(session, std::move(setup));
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace wiztest
