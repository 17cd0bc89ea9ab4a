// Frame strip drawing: opening an animation (strip rebuilt, frame 0 selected, first paint) and
// scrolling the strip from end to end a page at a time, on the largest animation of the real
// corpus and on a generated 1,000-frame 480x270 animation. The peer is a strip that would draw
// every cell: the same thumbnails made for all frames. Prints the times, the cells drawn against
// the frames, and how many times longer drawing every cell once takes than the first paint.
#include "BenchSupport.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "app/FrameStripHost.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QScrollBar>

#include <cstdio>
#include <memory>

namespace {

// The main window's part is not measured: actions, inspector and drops do nothing.
class TBenchHost : public IFrameStripHost
{
public:
    void showFrame(int) override {}
    void setActionEnabled(TActionId, bool) override {}
    void enableDocumentCommands(bool) override {}
    bool canPaste() override { return false; }
    void stopPlayback() override {}
    IFrameInspectorView* inspector() override { return nullptr; }
    void moveFramesTo(int) override {}
};

int nonEmptyFrames(TGIFImage& image)
{
    int count = 0;
    while (count < image.images().count() && !image.images().subImage(count)->empty())
        ++count;
    return count;
}

void generate(TGIFImage& image, int frames, int width, int height)
{
    image.header().setWidth(width);
    image.header().setHeight(height);
    for (int i = 0; i < 256; ++i)
        image.globalColorMap().add(rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)));
    for (int f = 0; f < frames; ++f) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, width, height);
        std::vector<uint8_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = uint8_t((x + y + f * 3) / 4);
        frame->setData(std::move(pixels));
    }
}

// The session's working image holds the animation; one document is active over it.
void run(const QString& name, TEditSession& session)
{
    TGIFImage& image = session.workingImage();
    const int frames = nonEmptyFrames(image);
    if (frames == 0) {
        std::printf("%-36s no frames\n", qPrintable(name));
        return;
    }
    session.documents().create();
    TBenchHost host;
    QWidget window;
    window.resize(1280, 300);
    auto* layout = new QHBoxLayout(&window);
    auto* panels = new TFramePanels(&window);
    auto* strip = new TFrameStrip(&window);
    layout->addWidget(panels);
    layout->addWidget(strip, 1);
    TFrameStripController controller(session, host, *strip, *panels);
    window.show();

    QElapsedTimer clock;
    clock.start();
    controller.setFrameColumns(frames);
    controller.selectFrame(0);
    strip->viewport()->grab();
    const double firstPaint = clock.nsecsElapsed() / 1e6;
    const int firstCells = strip->paintedCells();

    QScrollBar* bar = strip->horizontalScrollBar();
    for (;;) {
        bar->setValue(std::min(bar->maximum(), bar->value() + bar->pageStep()));
        strip->viewport()->grab();
        if (strip->lastPaintedColumn() >= frames - 1 || bar->value() >= bar->maximum())
            break;
    }
    const double lastCell = clock.nsecsElapsed() / 1e6;
    const int cells = strip->paintedCells();
    const auto [first, last] = strip->visibleColumns();

    // The peer: every cell's thumbnail made once, as a strip drawing all cells would.
    QElapsedTimer peer;
    peer.start();
    for (int i = 0; i < frames; ++i) {
        std::shared_ptr<TBitmap> bitmap = stripFrameBitmap(*image.images().subImage(i));
        const QSize size =
            TFrameStrip::thumbnailSize(QSize(bitmap->width(), bitmap->height()), strip->frameSize());
        QImage scaled = bitmap->toImage().scaled(size);
        (void)scaled;
    }
    const double all = peer.nsecsElapsed() / 1e6;
    std::printf("%-36s %6d %6d %11.1f %11.1f %8d %7d %11.1f %7.3f\n", qPrintable(name), frames,
                last - first + 1, firstPaint, lastCell, firstCells, cells, all,
                firstPaint > 0 ? all / firstPaint : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%-36s %6s %6s %11s %11s %8s %7s %11s %7s\n", "animation", "frames", "shown", "first ms",
                "last ms", "cells@1", "cells", "all ms", "all/1st");

    // The largest animation of the real corpus by frame count.
    QString largest;
    int mostFrames = 0;
    for (const QString& path : bench::realCorpus()) {
        TGIFImage image;
        try {
            image.loadFromFile(path);
        } catch (const std::exception&) {
            continue;
        }
        if (image.images().count() > mostFrames) {
            mostFrames = image.images().count();
            largest = path;
        }
    }
    if (!largest.isEmpty()) {
        TEditSession session;
        session.workingImage().loadFromFile(largest);
        run(QFileInfo(largest).fileName(), session);
    }

    TEditSession generated;
    generate(generated.workingImage(), 1000, 480, 270);
    run(QStringLiteral("generated 1000 x 480x270"), generated);
    return 0;
}
