// Working image, file types, GIF files and loading pictures into bitmaps.
#include "editing/Routines.h"

#include "editing/Document.h"
#include "editing/DocumentManager.h"

#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <exception>

namespace {

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

int modalResultOf(TMsgResult answer)
{
    switch (answer) {
    case TMsgResult::Ok:
        return mrOk;
    case TMsgResult::Yes:
        return mrYes;
    case TMsgResult::No:
        return mrNo;
    default:
        return mrCancel;
    }
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

} // namespace

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QString disposalName(TGIFDisposal disposal)
{
    return isNamedDisposal(disposal) ? QString::fromLatin1(kDisposalNames[disposalValue(disposal)])
                                     : QString::number(disposalValue(disposal));
}

const char* const kFileTypes[kFileTypeCount] = {".gif", ".jpg", ".bmp", ".jif", ".dcx", ".ico", ".pbm",
                                                ".pcx", ".ljp", ".pgm", ".pic", ".png", ".ppm", ".rle",
                                                ".tga", ".tif", ".wmf", ".wpg", ".avi", "*.*"};

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

namespace {

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

int loadImageFileIntoBitmap(TEditSession& session, const QString& path, TBitmap& bitmap, int fileType, bool singlePicture)
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

int askWithRememberedAnswer(const QString& message, const QString& checkCaption, const QString& name,
                            TMsgButtons buttons, TMsgType type)
{
    const int remembered = Settings::readInteger(QString::fromLatin1(SettingSection::Settings), name, 0);
    if (remembered == mrYes || remembered == mrNo)
        return remembered;
    // The drop question's first two buttons read "&Include" and "&Start New"; the answers stay
    // Yes and No.
    QStringList captions;
    if (name == QLatin1String(SettingKeys::DropImageDefault.name))
        captions = {QStringLiteral("&Include"), QStringLiteral("&Start New")};
    bool remember = false;
    const int answer = modalResultOf(
        messageService().relabelledQuestion(message, type, buttons, remember, checkCaption, captions));
    if (remember && answer != mrCancel)
        Settings::writeInteger(QString::fromLatin1(SettingSection::Settings), name, answer);
    return answer;
}
