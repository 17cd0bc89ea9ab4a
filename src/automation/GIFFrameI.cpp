#include "automation/GIFFrameI.h"

#include "editing/ColorUse.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"
#include "graphics/Streams.h"
#include "platform/Settings.h"

namespace {

// Offsets are 16-bit fields of the image descriptor.
void checkOffset(int value, const QString& word)
{
    if (value < 0 || value > 65535)
        throw EOleError(QStringLiteral("The %1 must be between 0 and 65535.").arg(word));
}

} // namespace

TGIFFrame::TGIFFrame(IAutomationHost& host, uint64_t serial, TComServer* server)
    : IFrame(server), m_host(host), m_serial(serial)
{
}

TGIFFrame::TBound TGIFFrame::bound()
{
    TBound found;
    found.document = m_host.activeUndoHost();
    if (found.document) {
        TGIFImage& image = found.document->workingImage();
        for (int i = 0; i < image.images().count(); ++i) {
            TGIFSubImage* frame = image.images().subImage(i);
            if (frame->serial() == m_serial) {
                found.frame = frame;
                found.index = i;
                return found;
            }
        }
    }
    throw EOleError(QStringLiteral("The frame no longer exists."));
}

void TGIFFrame::change(int kind, const QString& word, const std::function<void(TGIFSubImage&)>& apply)
{
    const TBound frame = bound();
    // Recorded for this frame: Undo must take back the client's change, whichever frame the
    // strip shows. A record that cannot be taken refuses the change.
    recordPropertyChange(*frame.document, TCommandKind(kind), frame.index, QStringLiteral("Change ") + word);
    apply(*frame.frame);
    frame.document->setModified(true);
    frame.document->repaintFrameStrip();
}

QByteArray TGIFFrame::get_Bitmap()
{
    return bitmapTransferValue(m_host.framePicture(*bound().frame).get());
}

QString TGIFFrame::get_Comments()
{
    TGIFSubImage& frame = *bound().frame;
    QString text;
    for (int i = 0; i < frame.extensions().count(); ++i) {
        auto* comment = dynamic_cast<TGIFCommentExtension*>(frame.extensions().extension(i));
        if (!comment)
            continue;
        for (const QString& line : comment->text())
            text += line + QStringLiteral("\r\n");
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool TGIFFrame::get_Empty()
{
    return bound().frame->empty();
}

int TGIFFrame::get_Extensions()
{
    return bound().frame->extensions().count();
}

int TGIFFrame::get_Left()
{
    return bound().frame->left();
}

void TGIFFrame::put_Left(int nLeft)
{
    checkOffset(nLeft, QStringLiteral("X-Offset"));
    if (bound().frame->left() != nLeft)
        change(ckFrame, QStringLiteral("X-Offset"), [nLeft](TGIFSubImage& frame) { frame.setLeft(nLeft); });
}

int TGIFFrame::get_Top()
{
    return bound().frame->top();
}

void TGIFFrame::put_Top(int nTop)
{
    checkOffset(nTop, QStringLiteral("Y-Offset"));
    if (bound().frame->top() != nTop)
        change(ckFrame, QStringLiteral("Y-Offset"), [nTop](TGIFSubImage& frame) { frame.setTop(nTop); });
}

bool TGIFFrame::get_Interlaced()
{
    return bound().frame->interlaced();
}

void TGIFFrame::put_Interlaced(bool wbInterlaced)
{
    if (bound().frame->interlaced() == wbInterlaced)
        return;
    change(ckFrame, wbInterlaced ? QStringLiteral("Interlaced") : QStringLiteral("Non-Interlaced"),
           [wbInterlaced](TGIFSubImage& frame) { frame.setInterlaced(wbInterlaced); });
}

bool TGIFFrame::get_LocalPalette()
{
    return bound().frame->colorMap().count() > 0;
}

int TGIFFrame::get_Height()
{
    return bound().frame->height();
}

void TGIFFrame::put_Height(int)
{
    bound();
}

int TGIFFrame::get_Width()
{
    return bound().frame->width();
}

void TGIFFrame::put_Width(int)
{
    bound();
}

bool TGIFFrame::get_Transparent()
{
    return bound().frame->transparent();
}

void TGIFFrame::put_Transparent(bool wbTransparent)
{
    TGIFGraphicControlExtension* control = bound().frame->graphicControlExtension();
    if (!control || control->transparent() == wbTransparent)
        return;
    change(ckGCExt, QStringLiteral("Transparent"), [wbTransparent](TGIFSubImage& frame) {
        frame.graphicControlExtension()->setTransparent(wbTransparent);
    });
}

int TGIFFrame::get_Delay()
{
    TGIFGraphicControlExtension* control = bound().frame->graphicControlExtension();
    return control ? control->delay() : -1;
}

void TGIFFrame::put_Delay(int nDelay)
{
    TGIFGraphicControlExtension* control = bound().frame->graphicControlExtension();
    if (!control || nDelay < 1 || nDelay > 65535 || control->delay() == nDelay)
        return;
    change(ckGCExt, QStringLiteral("Delay"),
           [nDelay](TGIFSubImage& frame) { frame.graphicControlExtension()->setDelay(uint16_t(nDelay)); });
}

// The automation codes are the engine's, so a value passes through unchanged.
static_assert(idmNone == disposalValue(TGIFDisposal::dmNone) &&
              idmRemove == disposalValue(TGIFDisposal::dmKeep) &&
              idmBackground == disposalValue(TGIFDisposal::dmBackground) &&
              idmPrevious == disposalValue(TGIFDisposal::dmPrevious));

TIDisposalMethod TGIFFrame::get_Disposal()
{
    TGIFGraphicControlExtension* control = bound().frame->graphicControlExtension();
    return control ? TIDisposalMethod(disposalValue(control->disposal())) : idmNone;
}

void TGIFFrame::put_Disposal(TIDisposalMethod idmDisposal)
{
    if (int(idmDisposal) < idmNone || int(idmDisposal) > idmPrevious)
        throw EOleError(QStringLiteral("The disposal method must be between 0 and 3."));
    const TGIFDisposal value = disposalFromValue(int(idmDisposal));
    TGIFGraphicControlExtension* control = bound().frame->graphicControlExtension();
    if (!control || control->disposal() == value)
        return;
    change(ckGCExt, QStringLiteral("Disposal"),
           [value](TGIFSubImage& frame) { frame.graphicControlExtension()->setDisposal(value); });
}

bool TGIFFrame::SetBitmap(const QByteArray& Bitmap)
{
    const TBound target = bound();
    TWaitCursor wait;
    TBitmap picture;
    if (!byteArrayToBitmap(Bitmap, picture))
        return false;

    // The picture becomes frame pixels in an image of its own first, reduced the way the
    // animation reduces pictures: one that does not convert changes nothing and records nothing.
    TGIFImage& image = target.document->workingImage();
    TGIFImage scratch;
    scratch.setColorReduction(image.colorReduction());
    scratch.setDitherMode(image.ditherMode());
    scratch.setReductionBits(image.reductionBits());
    scratch.onWarning = [](TObject*, int, const QString&) {
    };
    TGIFSubImage* fresh = nullptr;
    try {
        fresh = scratch.images().subImage(scratch.add(&picture));
    } catch (const std::exception&) {
        return false;
    }
    if (!fresh || fresh->empty())
        return false;

    // Recorded for this frame, whichever one the strip shows. Only the picture is replaced: the
    // frame keeps its place, its offsets and its extensions (delay, comments, the loop count).
    recordSnapshot(*target.document, QStringLiteral("Change Frame Image"), target.index);
    image.stopPainting();
    TGIFSubImage& frame = *target.frame;
    try {
        frame.setBounds(frame.left(), frame.top(), fresh->width(), fresh->height());
        frame.colorMap().setEntries(fresh->colorMap().entries());
        frame.setData(std::vector<uint8_t>(fresh->data(), fresh->data() + fresh->dataSize()));
        frame.freeBitmap();
        frame.freeMask();
        if (Settings::readInteger(SettingKeys::PaletteType) < 2)
            optimizeAllColorMaps(image);
    } catch (const std::exception&) {
        // Half replaced: the snapshot just taken puts the animation back and goes.
        if (THistoryList* history = target.document->history())
            history->undo(*target.document);
        refreshUndoState(*target.document);
        return false;
    }
    target.document->setModified(true);
    target.document->repaintFrameStrip();
    m_host.selectFrame(m_host.currentFrame());
    return true;
}
