#include "app/EditCommands.h"

#include "app/CommandHost.h"
#include "app/FrameCommands.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "platform/MessageService.h"
#include "platform/TempFiles.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <memory>
#include <vector>

namespace {

QClipboard* clipboard()
{
    return qGuiApp ? QGuiApplication::clipboard() : nullptr;
}

bool clipboardHasPicture()
{
    QClipboard* board = clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data && data->hasImage();
}

bool clipboardHasText()
{
    QClipboard* board = clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data && data->hasText();
}

std::vector<int> selectedFrames(const ICommandHost& host)
{
    if (host.selectionLeft() == host.selectionRight())
        return {host.currentFrame()};
    std::vector<int> frames;
    for (int i = host.selectionLeft(); i <= host.selectionRight(); ++i)
        frames.push_back(i);
    return frames;
}

void dropFrameClipboardFile(ICommandHost& host)
{
    if (!host.frameClipboardFile().isEmpty())
        deleteTempFile(host.frameClipboardFile());
    host.setFrameClipboardFile(QString());
}

// The frames this program last copied, when the clipboard picture still is the first of them:
// another program's picture of another width on the clipboard means the user copied that since.
bool readCopiedFrames(ICommandHost& host, const TBitmap& picture, TGIFImage& copied)
{
    const QString file = host.frameClipboardFile();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return false;
    try {
        copied.loadFromFile(file);
    } catch (const Exception&) {
        return false;
    }
    if (copied.images().count() == 0 || copied.images().subImage(0)->empty())
        return false;
    const std::unique_ptr<TBitmap> first = host.session().framePicture(*copied.images().subImage(0));
    return first && first->width() == picture.width();
}

// Gives the pasted frame what the copy had beyond its picture. When the picture came through
// unchanged in size, the frame also takes the copy's own pixels: the conversion of the picture
// may number the colours differently, and the copy's map and transparent index only mean the
// same colours with the copy's own indexes.
void applyCopiedProperties(TGIFSubImage& source, TGIFSubImage& target)
{
    const bool samePixels = source.width() == target.width() && source.height() == target.height() &&
                            source.colorMap().count() > 0;
    if (samePixels) {
        const uint8_t* data = source.data();
        target.setBounds(source.left(), source.top(), source.width(), source.height());
        target.setData(std::vector<uint8_t>(data, data + source.dataSize()));
        target.colorMap().assign(&source.colorMap());
    } else {
        target.setBounds(source.left(), source.top(), target.width(), target.height());
        if (source.colorMap().count() > 0)
            target.colorMap().assign(&source.colorMap());
    }
    if (TGIFGraphicControlExtension* from = source.graphicControlExtension()) {
        TGIFGraphicControlExtension* to = target.graphicControlExtension();
        if (!to) {
            to = new TGIFGraphicControlExtension(&target);
            target.extensions().add(to);
            target.setGraphicControlExtension(to);
        }
        to->setDelay(from->delay());
        to->setDisposal(from->disposal());
        to->setTransparent(from->transparent());
        if (samePixels)
            to->setTransparentColorIndex(from->transparentColorIndex());
        else
            to->setTransparentColor(from->shownTransparentColor());
    }
    // Optimising remaps the pixels and the transparent index together.
    if (source.colorMap().count() > 0)
        target.colorMap().optimize();
    target.freeBitmap();
    target.freeMask();
}

} // namespace

bool canPaste(ICommandHost& host)
{
    const QString file = host.frameClipboardFile();
    return clipboardHasPicture() || (!file.isEmpty() && QFileInfo::exists(file)) ||
           (host.inspectorShowsComments() && clipboardHasText());
}

bool copyFrames(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document || document->workingImage().images().count() == 0 || host.currentFrame() == -1) {
        host.enableAction(TActionId::EditCopy, false);
        host.enableAction(TActionId::EditCut, false);
        return false;
    }
    TWaitCursor wait;
    TGIFImage& image = document->workingImage();
    if (host.frameClipboardFile().isEmpty())
        host.setFrameClipboardFile(createTempFile());
    bool written = false;
    if (!host.frameClipboardFile().isEmpty()) {
        try {
            TGIFImage copied;
            copied.header().assign(&image.header());
            bool pictureOnClipboard = false;
            for (int index : selectedFrames(host)) {
                if (index < 0 || index >= image.images().count())
                    continue;
                TGIFSubImage& frame = *image.images().subImage(index);
                if (frame.empty())
                    continue;
                auto copy = std::make_unique<TGIFSubImage>(&copied);
                copy->assign(&frame);
                TGIFSubImage* added = copy.get();
                copied.images().add(copy.release()); // the frame list owns it now
                if (!pictureOnClipboard) {
                    const std::unique_ptr<TBitmap> picture = host.session().framePicture(frame);
                    if (QClipboard* board = clipboard(); board && picture)
                        board->setImage(picture->toImage());
                    pictureOnClipboard = true;
                }
                if (TGIFGraphicControlExtension* control = added->graphicControlExtension()) {
                    if (TGIFGraphicControlExtension* original = frame.graphicControlExtension()) {
                        control->setTransparent(original->transparent());
                        control->setTransparentColorIndex(original->transparentColorIndex());
                        control->setDisposal(original->disposal());
                    }
                }
                if (frame.colorMap().count() > 0)
                    added->colorMap().assign(&frame.activeColorMap());
            }
            written = saveGIFFile(copied, host.frameClipboardFile(), false, true);
        } catch (const Exception&) {
            written = false;
        }
    }
    host.enableAction(TActionId::EditPaste, written);
    if (!written)
        dropFrameClipboardFile(host);
    return written;
}

void cutFrames(ICommandHost& host)
{
    if (!copyFrames(host))
        return;
    deleteFrames(host);
    if (IUndoHost* document = host.activeDocument())
        document->setModified(true);
}

void pasteFrames(ICommandHost& host)
{
    if (host.inspectorShowsComments() && clipboardHasText())
        pasteComments(host);
    if (!clipboardHasPicture())
        return;
    TWaitCursor wait;
    TBitmap picture;
    picture.fromImage(clipboard()->image());
    if (picture.width() <= 0 || picture.height() <= 0)
        return;

    TGIFImage copied;
    if (!readCopiedFrames(host, picture, copied)) {
        addPictureAsFrame(host.session(), picture, insertionPosition(host), QStringLiteral("Paste Frame"));
        return;
    }
    TGIFImage& image = host.session().workingImage();
    bool changed = false;
    for (int i = 0; i < copied.images().count(); ++i) {
        TGIFSubImage& source = *copied.images().subImage(i);
        if (source.empty())
            continue;
        const std::unique_ptr<TBitmap> framePictureCopy = host.session().framePicture(source);
        if (!framePictureCopy)
            continue;
        const int before = image.images().count();
        const int index =
            addPictureAsFrame(host.session(), *framePictureCopy, insertionPosition(host), QStringLiteral("Paste Frame"));
        if (index < 0 || image.images().count() <= before)
            continue;
        try {
            applyCopiedProperties(source, *image.images().subImage(index));
            changed = true;
        } catch (const Exception&) {
            // The frame stays as inserted, with the defaults of a new frame.
        }
    }
    // Offsets, maps and timing came after the insertion wrote the working copy.
    if (changed)
        if (IUndoHost* document = host.activeDocument()) {
            document->setModified(true);
            host.repaintFrameStrip();
            host.selectFrame(host.currentFrame());
        }
}

void pasteComments(ICommandHost& host)
{
    IUndoHost* document = host.activeDocument();
    if (!document)
        return;
    TGIFImage& image = document->workingImage();
    if (image.images().count() == 0) {
        messageDlg(QString::fromLatin1(kCommentFailedMessage), TMsgType::Warning, TMsgButtons::Ok);
        return;
    }
    QString text = clipboard() ? clipboard()->text() : QString();
    if (text.size() > kMaxPastedCommentLength)
        text.truncate(kMaxPastedCommentLength);
    TGIFSubImage& first = *image.images().subImage(0);
    addComment(first, text);
    const int position = first.extensions().count() - 1;
    try {
        recordCommentAdded(*document, position);
    } catch (...) {
        // Without its undo step the comment would be an edit that cannot be taken back.
        delete first.extensions().extension(position);
        throw;
    }
    document->setModified(true);
    host.selectFrame(host.currentFrame());
}
