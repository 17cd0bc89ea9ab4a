#pragma once
// AVI import and export: a movie's video stream becomes a new animation, and an animation becomes
// an uncompressed 8-bit AVI movie, both through the AVI file services of the platform layer.
//
// The routines work on images handed to them and report through callbacks; the commands reach the
// main window through IAviHost, so none of this depends on how documents are kept. GUI thread.
#include "graphics/Exceptions.h"
#include "graphics/Graphic.h"
#include "platform/VideoFile.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QWidget;
class TGIFImage;

// The failures of the AVI routines; the message is one of the fixed texts below.
class EAVIError : public Exception
{
public:
    using Exception::Exception;
};

namespace avimsg {
inline const char* const OpenFile = "Failed to open AVI file";
inline const char* const OpenStream = "Failed to open AVI stream";
inline const char* const StreamInfo = "Failed to get AVI stream info";
inline const char* const FormatSize = "Failed to get AVI stream format size";
inline const char* const Format = "Failed to get AVI stream format";
inline const char* const StartStream = "Failed to start AVI stream";
inline const char* const StartDecompression = "Failed to start AVI decompression";
inline const char* const DecompressFrame = "Failed to decompress AVI frame";
inline const char* const CreateFile = "Failed to create AVI file";
inline const char* const BitmapInfo = "Failed to retrieve bitmap info";
inline const char* const CreateStream = "Failed to create AVI stream";
inline const char* const SetFormat = "Failed to set AVI stream format";
inline const char* const AddFrame = "Failed to add frame to AVI";
inline const char* const TooLarge =
    "The animation is too large for an AVI movie: the file would reach 1 GB, the most an AVI file "
    "without the OpenDML extension can hold.";
inline const char* const OpenVideo = "Failed to open video file";
inline const char* const DecompressVideo = "Failed to decompress video frame";
inline const char* const TooLong =
    "The movie is too long to import: its frames would need more than %1 million pixels.";
inline const char* const CreateVideo = "Failed to create video file";
inline const char* const AddVideoFrame = "Failed to add frame to video";
inline const char* const ExportingVideo = "Exporting to video...";
inline const char* const ImportError = "Error importing %1 to GIF.";
inline const char* const ExportEmpty = "Error exporting animation to AVI! Unable to complete export.";
inline const char* const Filter = "AVI Animations (*.avi)|*.avi";
inline const char* const VideoFilters = "MP4 Videos (*.mp4)|*.mp4|WebP Animations (*.webp)|*.webp";
inline const char* const Preparing = "Preparing %1 for AVI export...";
inline const char* const Exporting = "Exporting to AVI...";
} // namespace avimsg

// Frame delay in hundredths of a second for a stream's scale and rate: scale x 100 / rate rounded
// to nearest, or scale / 100 when the rate is 0. Worked out in 64 bits and kept within 1 ... 65535
// (a delay field holds 16 bits, and 0 would make the movie race).
int aviFrameDelay(uint32_t scale, uint32_t rate);

// Fills image with one frame per frame of the movie's first video stream: true-colour frames are
// reduced to the web palette with Floyd-Steinberg dithering, frame 0 carries the loop-forever
// extension and the "Created with" comment, every frame the one delay of the stream, and the
// colour maps are optimised. Raises EAVIError with the step's message.
void importAVI(TGIFImage& image, const QString& path);

// As importAVI for the other movies FFmpeg reads (MP4, MOV, WebM, Matroska): every picture of the
// first video stream in order, with the delay of the stream's frame rate.
void importVideo(TGIFImage& image, const QString& path);

// The animation composed for the movie: one 8-bit picture per frame position at the logical
// screen size (what the editor shows after that frame, transparency and disposal applied),
// sharing one palette.
struct TAviMovie
{
    QSize size;
    // The information block of every frame: 40-byte header and 256-entry colour table.
    QByteArray bitmapInfo;
    // Bottom-up DIB rows per frame position; empty for frames without pixels (not written).
    std::vector<QByteArray> frames;
    int scale = 1;
    bool localMaps = false;
};

// The scale the movie is written with: the delay of the frames scanned from the first, stopping
// after a frame once a local colour map has been seen and a delay is known; 1 when none is found.
int aviExportScale(TGIFImage& image, bool* localMaps = nullptr);

// Composes the image for export. step(i) runs before frame i (progress, pending events) and
// returns false to cancel, which makes the result's frames empty and returns false. Animations
// with local colour maps are dithered to the web palette; the others keep their global colours.
bool prepareAviMovie(TGIFImage& image, TAviMovie& movie, const std::function<bool(int frameIndex)>& step);

// Writes the movie to path (through a temporary file that replaces path only when complete):
// rate 65, scale = movie.scale, one key-frame sample per frame position. position(i) runs before
// frame i. Raises EAVIError with the step's message; the target is untouched then.
void exportAVI(const QString& path, const TAviMovie& movie,
               const std::function<void(int frameIndex)>& position);

// Writes the composed movie as an MP4 or animated WebP: each frame shows for its own delay in
// image (frames without a delay take the default delay). Raises EAVIError.
void exportVideo(const QString& path, TGIFImage& image, const TAviMovie& movie, TVideoWriter::Kind kind,
                 const std::function<void(int frameIndex)>& position);

// ---- commands ------------------------------------------------------------------------------

// What the AVI commands need of the main window.
class IAviHost
{
public:
    virtual ~IAviHost() = default;
    // The active document's animation and file name; null / empty without a document.
    virtual TGIFImage* activeImage() = 0;
    virtual QString activeFileName() = 0;
    // The main window's progress display, for the image being imported.
    virtual TProgressEvent progressHandler() = 0;
    virtual void hideLogo() = 0;
    // Opens the image as a new modified document (its working copy written first); false when
    // that failed, and nothing changed then.
    virtual bool openImportedImage(TGIFImage& image) = 0;
    // The window disabled while exporting; may be null.
    virtual QWidget* mainWindow() = 0;
};

// "&AVI Animation": the open dialog for one AVI file (or another movie), then the document-level
// import.
void importAVICommand(IAviHost& host);
// Imports the file (AVI, or another movie by its name) as a new document; false (after the error box) when
// nothing was opened. Messages of a failing import are shown, not raised.
bool importAVIDocument(IAviHost& host, const QString& path);
// Raises instead of showing (the automation member's form); true when a document was opened.
bool importAVIDocumentOrThrow(IAviHost& host, const QString& path);
// "As &AVI Animation...": the save dialog, preparation under the progress form, writing. A name
// ending in .mp4 or .webp (or those file types chosen) writes that format instead. True when a
// file was written; false without a document, when cancelled, or after the error box.
bool exportAVICommand(IAviHost& host);
// As exportAVICommand, raising the export's error instead of showing it (automation's ExportToAVI).
bool exportAVICommandOrThrow(IAviHost& host);
// The export after the file was chosen; false when it did not write (cancelled, or after the error
// box).
bool exportAVIToFile(IAviHost& host, const QString& path);
// As exportAVIToFile, raising EAVIError instead of showing it (automation's ExportToAVI).
bool exportAVIToFileOrThrow(IAviHost& host, const QString& path);
// As exportAVIToFileOrThrow, writing an MP4 video or an animated WebP through FFmpeg's encoders.
bool exportVideoToFileOrThrow(IAviHost& host, const QString& path, TVideoWriter::Kind kind);
