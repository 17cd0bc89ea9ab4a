#pragma once
// GIF and picture files: recognising a file's type by its extension, reading and writing GIF
// files (every written file is normalised first), loading a picture of any supported type into a
// bitmap, resource pictures and bitmaps handed over as bytes.
//
// GUI thread only. The routines catch engine errors, show their own message and return a failure
// result.
#include "editing/EditSession.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class TBitmap;
class TGIFImage;
class TPicture;
class TResourceLibrary;

// ---- File types ----------------------------------------------------------------------------

inline constexpr int kFileTypeGif = 0;
inline constexpr int kFileTypeAvi = 18;
inline constexpr int kFileTypeUnknown = 20;

// Index 0-18 of the path's lower-cased extension (".gif", ".jpg", ".bmp", ... ".wpg", ".avi"),
// else kFileTypeUnknown.
int recognizeFileType(const QString& path);

// ---- GIF files -----------------------------------------------------------------------------

// Reads the file into image; a missing or unreadable file shows the load error.
bool loadGIFFile(TGIFImage& image, const QString& path);
// Normalises (final-save or working-copy mode) and writes image to path. The file is replaced
// only after the whole image was written; on failure the old file is left as it was.
bool saveGIFFile(TGIFImage& image, const QString& path, bool finalSave, bool overwrite);
// Bytes the writer produces for the image.
int64_t gifByteSize(TGIFImage& image);
// A ".gif" file that loads and has at least two non-empty frames.
bool isAnimatedGIF(const QString& path);

enum class TNormalizeMode
{
    FinalSave,
    WorkingCopy,
};
// What every written file gets: a global map, timing on every non-empty frame, one graphic
// control extension per frame and the looping extension on frame 0 only.
void normalizeForWriting(TGIFImage& image, TNormalizeMode mode);

// ---- Pictures ------------------------------------------------------------------------------

// Result codes of loadImageFileIntoBitmap.
enum TLoadImageResult : int
{
    liLoaded = 0,       // the bitmap holds the picture
    liFailed = -1,      // failed (any message already shown)
    liOpenedAsNew = -2, // the GIF was opened as a new document instead
    liAddedFrames = -3, // the GIF's frames were added to the current document instead
};
int loadImageFileIntoBitmap(TEditSession& session, const QString& path, TBitmap& bitmap, int fileType,
                            bool singlePicture);

bool loadBitmapResource(const TResourceLibrary& library, const QString& name, TPicture& picture);

// Reads a complete bitmap file handed over as bytes (automation); false when it does not read.
bool byteArrayToBitmap(const QByteArray& bytes, TBitmap& bitmap);
