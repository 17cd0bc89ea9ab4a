// GIF and picture files: recognising a file's type, reading and writing GIF files (with the
// normalisation every written file gets), loading pictures of any supported type into bitmaps,
// resource pictures and bitmaps handed over as bytes.
#include "editing/GIFFiles.h"

#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/FrameInsertion.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"
#include "graphics/Exceptions.h"
#include "graphics/Picture.h"
#include "graphics/Streams.h"
#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "platform/ResourceLibrary.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

#include <exception>
#include <memory>

namespace {

constexpr int kFileTypeCount = 20;
constexpr int kFileTypeBmp = 2;
const char* const kFileTypes[kFileTypeCount] = {".gif", ".jpg", ".bmp", ".jif", ".dcx", ".ico", ".pbm",
                                                ".pcx", ".ljp", ".pgm", ".pic", ".png", ".ppm", ".rle",
                                                ".tga", ".tif", ".wmf", ".wpg", ".avi", "*.*"};

void showLoadError(const QString& path)
{
    messageDlg(QStringLiteral("Error loading %1! GIF Reelwright does not support the file type or it is a "
                              "corrupted file.")
                   .arg(path),
               TMsgType::Warning, TMsgButtons::Ok);
}

void showSaveError(const QString& path)
{
    messageDlg(QStringLiteral("Error saving file! Unable to save %1 to disk.").arg(path), TMsgType::Warning,
               TMsgButtons::Ok);
}

// Reads a picture through the imaging control (types 1 and 3-19).
int loadThroughImagingControl(const QString& path, TBitmap& bitmap)
{
    TImagingControl control;
    control.setFileName(path);
    if (control.errorCode() != imgOk)
        return liFailed;
    const QByteArray file = dibToBitmapFile(control.takeDib());
    control.release();
    if (file.isEmpty())
        return liFailed;
    try {
        TMemoryStream stream(file);
        bitmap.loadFromStream(stream);
    } catch (const std::exception&) {
        return liFailed;
    }
    return liLoaded;
}

// Adds every non-empty frame of gif to the working image after the current frame.
int includeFrames(TGIFImage& gif, TEditSession& session)
{
    int position = session.insertPosition();
    if (position < 0)
        return liFailed;
    {
        TWaitCursor wait;
        for (int i = 0; i < gif.images().count(); ++i) {
            TGIFSubImage* frame = gif.images().subImage(i);
            if (frame->empty())
                continue;
            std::unique_ptr<TBitmap> picture;
            try {
                picture = session.framePicture(*frame);
            } catch (const std::exception&) {
                return liFailed;
            }
            if (!picture ||
                addPictureAsFrame(session, *picture, position, QStringLiteral("Drag and Drop Image")) < 0)
                return liFailed;
            ++position;
        }
    }
    TDocumentManager& documents = session.documents();
    if (TDocument* document = documents.active()) {
        documents.markForRefresh(document);
        documents.deactivate(document);
    }
    return liAddedFrames;
}

int dropQuestion(TGIFImage& gif, const QString& path, TEditSession& session)
{
    const int answer = askWithRememberedAnswer(
        QStringLiteral("Would you like to add this image to the current animation?\n Or, would you like to "
                       "start it as new animation?"),
        QStringLiteral("Make this the &default"), QString::fromLatin1(SettingKeys::DropImageDefault.name),
        TMsgButtons::YesNoCancel, TMsgType::Confirmation);
    if (answer == mrYes)
        return includeFrames(gif, session);
    if (answer == mrNo) {
        TDocumentManager& documents = session.documents();
        if (TDocument* document = documents.active())
            documents.bringToFront(document);
        documents.open(path);
        return liOpenedAsNew;
    }
    return liFailed;
}

int loadGIFIntoBitmap(TEditSession& session, const QString& path, TBitmap& bitmap, bool singlePicture)
{
    TGIFImage gif;
    if (!loadGIFFile(gif, path))
        return liFailed;
    if (singlePicture) {
        try {
            std::unique_ptr<TBitmap> picture = session.imagePicture(gif);
            if (!picture)
                return liFailed;
            bitmap.assign(picture.get());
        } catch (const std::exception&) {
            return liFailed;
        }
        return liLoaded;
    }
    if (session.documents().count() > 0 && !session.workspaceDropFlag())
        return dropQuestion(gif, path, session);
    session.documents().open(path);
    return liOpenedAsNew;
}

// Working-copy mode only: a transparent animation whose first frame leaves part of the screen
// uncovered shows the frame background colour there.
void useFrameBackground(TGIFImage& image, TGIFSubImage& first)
{
    if (!image.isTransparent())
        return;
    if (first.height() >= image.height() && first.width() >= image.width())
        return;
    const TColor color = TColor(Settings::readInteger(SettingKeys::FrameTransparentColor)) & 0xFFFFFF;
    image.header().setBackgroundColor(color);
}

// Keeps the last graphic control extension of the frame and drops earlier ones and, except on
// frame 0, looping extensions. Returns whether a looping extension was removed.
bool normalizeExtensions(TGIFImage& image, TGIFSubImage& frame, int frameIndex, TNormalizeMode mode,
                         int defaultDelay)
{
    bool loopRemoved = false;
    TGIFGraphicControlExtension* kept = nullptr;
    TGIFExtensionList& extensions = frame.extensions();
    for (int i = extensions.count() - 1; i >= 0; --i) {
        TGIFExtension* extension = extensions.extension(i);
        if (dynamic_cast<TGIFAppExtNSLoop*>(extension)) {
            if (frameIndex != 0) {
                extensions.deleteAt(i);
                loopRemoved = true;
            }
            continue;
        }
        auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension);
        if (!control)
            continue;
        if (kept) {
            extensions.deleteAt(i);
            continue;
        }
        kept = control;
        if (frameIndex != 0 && mode == TNormalizeMode::FinalSave && control->transparent() &&
            frame.width() == image.width() && frame.height() == image.height())
            control->setDisposal(TGIFDisposal::dmBackground);
        if (control->delay() == 0)
            control->setDelay(uint16_t(defaultDelay));
    }
    if (kept) {
        // Destroying an earlier extension may have unlinked the frame's reference or cleared
        // its transparency flag: both now follow the one that stays.
        frame.setGraphicControlExtension(kept);
        frame.setTransparentFlag(kept->transparent());
    }
    return loopRemoved;
}

void showLibraryError(const TResourceLibrary& library)
{
    messageDlg(
        QStringLiteral("Could not load %1 library file.").arg(QFileInfo(library.filePath()).fileName()),
        TMsgType::Error, TMsgButtons::Ok);
}

// Write-only stream into an open QSaveFile; a failed write raises EWriteError through
// writeBuffer, which abandons the file.
class TSaveFileStream final : public TStream
{
public:
    explicit TSaveFileStream(QSaveFile& file) : m_file(file) {}

    int64_t read(void*, int64_t) override { throw EStreamError(QStringLiteral("Invalid stream operation")); }
    int64_t write(const void* buffer, int64_t count) override
    {
        const qint64 written = count > 0 ? m_file.write(static_cast<const char*>(buffer), count) : 0;
        if (written > 0)
            m_position += written;
        return written < 0 ? 0 : written;
    }
    int64_t seek(int64_t offset, SeekOrigin origin) override
    {
        if (origin == SeekOrigin::Current && offset == 0)
            return m_position;
        throw EStreamError(QStringLiteral("Invalid stream operation"));
    }
    int64_t size() override { return m_position; }

private:
    QSaveFile& m_file;
    int64_t m_position = 0;
};

} // namespace

// ---- File types ----------------------------------------------------------------------------

int recognizeFileType(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    // A name ending in "." or without one has no extension: it matches nothing.
    if (suffix.isEmpty())
        return kFileTypeUnknown;
    const QString extension = QLatin1Char('.') + suffix.toLower();
    for (int i = 0; i <= kFileTypeAvi; ++i) {
        if (extension == QLatin1String(kFileTypes[i]))
            return i;
    }
    return kFileTypeUnknown;
}

// ---- GIF files -----------------------------------------------------------------------------

bool loadGIFFile(TGIFImage& image, const QString& path)
{
    TWaitCursor wait;
    if (!QFileInfo(path).isFile()) {
        showLoadError(path);
        return false;
    }
    try {
        TFileStream stream(path, TFileStream::OpenRead);
        image.loadFromStream(stream);
        return true;
    } catch (const EProcessAborted& aborted) {
        // The user stopped the read from a warning: the reason is theirs, not the file's.
        messageDlg(aborted.message(), TMsgType::Error, TMsgButtons::Ok);
        return false;
    } catch (const std::exception&) {
        QApplication::beep();
        showLoadError(path);
        return false;
    }
}

bool saveGIFFile(TGIFImage& image, const QString& path, bool finalSave, bool overwrite)
{
    TWaitCursor wait;
    if (!overwrite && !QFileInfo::exists(path)) {
        showSaveError(path);
        return false;
    }
    try {
        normalizeForWriting(image, finalSave ? TNormalizeMode::FinalSave : TNormalizeMode::WorkingCopy);
        // The stream goes into QSaveFile's temporary file, and the file is replaced by a rename
        // only after every byte reached the disk: an encoder error, a full disk or a crash never
        // leaves a half-written GIF in place of a good one (an abandoned QSaveFile removes its
        // temporary file). Streaming rather than building the GIF in memory first spares every
        // working-copy write a buffer the size of the file.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            showSaveError(path);
            return false;
        }
        TSaveFileStream stream(file);
        image.saveToStream(stream);
        if (!file.commit()) {
            showSaveError(path);
            return false;
        }
        return true;
    } catch (const std::exception&) {
        showSaveError(path);
        return false;
    }
}

int64_t gifByteSize(TGIFImage& image)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.size();
}

bool isAnimatedGIF(const QString& path)
{
    if (recognizeFileType(path) != kFileTypeGif)
        return false;
    TGIFImage gif;
    if (!loadGIFFile(gif, path))
        return false;
    int nonEmpty = 0;
    for (int i = 0; i < gif.images().count() && nonEmpty < 2; ++i) {
        if (!gif.images().subImage(i)->empty())
            ++nonEmpty;
    }
    return nonEmpty >= 2;
}

void normalizeForWriting(TGIFImage& image, TNormalizeMode mode)
{
    if (image.images().count() == 0)
        return;
    TWaitCursor wait;
    image.stopPainting();
    const int defaultDelay = Settings::readInteger(SettingKeys::DefaultDelay);
    if (image.globalColorMap().count() == 0)
        fillWebPalette(image.globalColorMap());

    bool loopRemoved = false;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (i == 0 && mode == TNormalizeMode::WorkingCopy)
            useFrameBackground(image, frame);
        if (!frame.empty() && !frame.graphicControlExtension())
            ensureFrameTiming(frame, 100);
        loopRemoved |= normalizeExtensions(image, frame, i, mode, defaultDelay);
    }
    // A looping extension found on a later frame moves to the front. When frame 0 has its own
    // already, a second one there would only give readers two conflicting counts.
    TGIFSubImage& first = *image.images().subImage(0);
    if (loopRemoved && !first.loopExtension())
        addLoopExtension(image, first, Settings::readInteger(SettingKeys::DefaultNSLoop));
}

// ---- Pictures ------------------------------------------------------------------------------

int loadImageFileIntoBitmap(TEditSession& session, const QString& path, TBitmap& bitmap, int fileType,
                            bool singlePicture)
{
    if (!QFileInfo(path).isFile()) {
        showLoadError(path);
        return liFailed;
    }
    if (fileType == kFileTypeBmp) {
        try {
            bitmap.loadFromFile(path);
        } catch (const std::exception&) {
            return liFailed;
        }
        return liLoaded;
    }
    if (fileType == kFileTypeGif)
        return loadGIFIntoBitmap(session, path, bitmap, singlePicture);
    if (fileType > kFileTypeGif && fileType < kFileTypeUnknown)
        return loadThroughImagingControl(path, bitmap);
    messageDlg(QStringLiteral("%1 is an unrecognized file type!").arg(QFileInfo(path).fileName()),
               TMsgType::Warning, TMsgButtons::Ok);
    return liFailed;
}

bool loadBitmapResource(const TResourceLibrary& library, const QString& name, TPicture& picture)
{
    // A missing library, a missing resource and an unreadable one all get the same message.
    const std::optional<QByteArray> bytes =
        library.load(QString::fromLatin1(kResourceTypeBitmap), name, false);
    if (!bytes) {
        showLibraryError(library);
        return false;
    }
    try {
        auto bitmap = std::make_unique<TBitmap>();
        TMemoryStream stream(*bytes);
        bitmap->loadFromStream(stream);
        picture.setGraphic(std::move(bitmap));
        return true;
    } catch (const std::exception&) {
        const QImage image = QImage::fromData(*bytes);
        if (!image.isNull()) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->fromImage(image);
            picture.setGraphic(std::move(bitmap));
            return true;
        }
    }
    showLibraryError(library);
    return false;
}

bool byteArrayToBitmap(const QByteArray& bytes, TBitmap& bitmap)
{
    return loadBitmapTransferValue(bytes, bitmap);
}
