#include "editing/EditSession.h"

#include "editing/DocumentManager.h"
#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"

#include <QDesktopServices>
#include <QUrl>

#include <algorithm>

TEditSession::TEditSession()
    : m_image(std::make_unique<TGIFImage>()), m_documents(std::make_unique<TDocumentManager>(*this))
{
}

TEditSession::~TEditSession()
{
    // Documents write nothing on the way out, but their working copies go with them; the image
    // they refer to must still exist then.
    m_documents.reset();
    m_image.reset();
}

int TEditSession::insertPosition() const
{
    const int frames = m_image->images().count();
    if (frames == 0 || m_currentFrame < 0)
        return -1;
    return std::min(m_currentFrame + 1, frames - 1);
}

void TEditSession::addFrameColumn()
{
    view().setFrameColumns(view().frameColumnCount() + 1);
}

int TEditSession::importBitmapAsFrame(TGIFImage& image, TBitmap& bitmap) const
{
    if (m_importer)
        return m_importer(image, bitmap);
    return image.add(&bitmap);
}

std::unique_ptr<TBitmap> TEditSession::framePicture(TGIFSubImage& frame) const
{
    if (m_framePicture)
        return m_framePicture(frame);
    auto bitmap = std::make_unique<TBitmap>();
    if (TBitmap* rendered = frame.empty() ? nullptr : gifFrameBitmap(frame))
        bitmap->assign(rendered);
    return bitmap;
}

std::unique_ptr<TBitmap> TEditSession::imagePicture(TGIFImage& image) const
{
    if (m_imagePicture)
        return m_imagePicture(image);
    const std::shared_ptr<TBitmap>& composed = image.bitmap();
    if (!composed)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->assign(composed.get());
    return bitmap;
}

bool TEditSession::openDocumentOrLink(const QString& text) const
{
    const bool opened = m_urlOpener ? m_urlOpener(text) : QDesktopServices::openUrl(QUrl::fromUserInput(text));
    if (!opened)
        // Name what was tried: without a handler for it on this desktop the user can still
        // open it by hand.
        messageDlg(QStringLiteral("Could not load the client.") + QStringLiteral("\n\n") + text,
                   TMsgType::Information, TMsgButtons::Ok);
    return opened;
}
