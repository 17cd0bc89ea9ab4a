#include "wizards/WizardAnimation.h"

#include "editing/ColorUse.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/LoopExtension.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/UserTexts.h"

#include <QPainter>

#include <algorithm>

namespace {

// Every frame with timing shows the corner colour of frame 0 as transparent.
void makeTransparent(TGIFImage& image)
{
    if (image.images().count() == 0)
        return;
    const TColor color = cornerColor(*image.images().subImage(0));
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        TGIFGraphicControlExtension* gce = frame.graphicControlExtension();
        if (!gce)
            continue;
        try {
            gce->setTransparentColor(color);
        } catch (const std::exception&) {
            // A full map without that colour: the frame has nothing to make transparent.
            continue;
        }
        gce->setTransparent(true);
        gce->setDisposal(TGIFDisposal::dmBackground);
    }
    try {
        image.header().setBackgroundColor(color);
    } catch (const std::exception&) {
        // A full global map without the colour keeps its background entry.
    }
}

} // namespace

TColor fillColorOf(const TBitmap& picture)
{
    if (picture.empty())
        return rgbColor(255, 255, 255);
    // Column 1 of the last row, as the wizard always did; a picture one pixel wide has only
    // column 0, and reading past it would take a pixel from outside the picture.
    const int column = std::min(1, picture.width() - 1);
    return rgbToColor(picture.pixelRgb(column, picture.height() - 1));
}

QImage composeCanvas(const QImage& picture, const QSize& size, TPlacement placement, TColor fill)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(colorToRgb(fill));
    QPainter painter(&canvas);
    switch (placement) {
    case TPlacement::Scale:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), picture);
        break;
    case TPlacement::Center:
        if (picture.width() > size.width() && picture.height() > size.height()) {
            const QPoint from((picture.width() - size.width()) / 2, (picture.height() - size.height()) / 2);
            painter.drawImage(QPoint(0, 0), picture, QRect(from, size));
        } else {
            // Halving rounds toward zero; a negative position cuts the picture.
            painter.drawImage(
                QPoint((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2),
                picture);
        }
        break;
    case TPlacement::TopLeft:
        // The part the picture does not cover shows the fill colour.
        painter.drawImage(QPoint(0, 0), picture);
        break;
    }
    return canvas;
}

std::unique_ptr<TGIFImage> buildAnimation(TEditSession& session, const TAnimationPlan& plan,
                                          const TBuildProgress& progress)
{
    auto image = std::make_unique<TGIFImage>();
    // The palette settings decide the colour map the frames are imported against and whether the
    // maps are optimised once every frame is in.
    const bool optimizeAfterwards = applyPaletteSettings(*image);
    // Each picture on a canvas of the animation's size; the first one fixes that size when asked
    // to and gives the fill colour of the canvas.
    bool first = true;
    QSize size = plan.customSize;
    TColor fill = 0;
    int done = 0;
    for (const QString& path : plan.files) {
        if (progress)
            progress(done++, int(plan.files.size()));
        QImage canvas;
        {
            // One picture in memory at a time: the loaded one lives only until it is placed.
            TBitmap picture;
            if (loadImageFileIntoBitmap(session, path, picture, recognizeFileType(path), true) != liLoaded ||
                picture.empty())
                continue;
            if (first) {
                fill = fillColorOf(picture);
                if (plan.firstImageSize)
                    size = QSize(picture.width(), picture.height());
                image->header().setWidth(size.width());
                image->header().setHeight(size.height());
                first = false;
            }
            canvas = composeCanvas(picture.toImage(), size, plan.placement, fill);
        }
        try {
            TBitmap frameBitmap;
            frameBitmap.fromImage(canvas);
            canvas = QImage();
            const int index = session.importBitmapAsFrame(*image, frameBitmap);
            TGIFSubImage& frame = *image->images().subImage(index);
            if (frame.colorMap().count() > 0)
                frame.colorMap().optimize();
            ensureFrameTiming(frame, plan.delay);
        } catch (const std::exception& error) {
            // The picture loaded but could not become a frame: said once, the rest goes on.
            messageDlg(QString::fromLocal8Bit(error.what()), TMsgType::Error, TMsgButtons::Ok);
        }
    }
    if (image->images().count() == 0)
        return image;
    // The loop count and the comment sit on the first frame.
    TGIFSubImage& first0 = *image->images().subImage(0);
    addLoopExtension(*image, first0, plan.userLoopCount);
    addComment(first0, QString::fromLatin1(kCreatedWithComment));
    if (optimizeAfterwards)
        optimizeAllColorMaps(*image);
    if (plan.transparent)
        makeTransparent(*image);
    return image;
}
