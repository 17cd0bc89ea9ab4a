#pragma once
// Reading and writing GIF files as every editing path does: file-type recognition, loading
// pictures of any supported type into bitmaps, and the normalisation every written file gets.
// GUI thread only; the routines catch engine errors, show their own message and return a
// failure result.
#include "editing/EditSession.h"

#include <QString>

#include <cstdint>

class TBitmap;
class TGIFImage;

// ---- File types ----------------------------------------------------------------------------

inline constexpr int kFileTypeCount = 20;
inline constexpr int kFileTypeGif = 0;
inline constexpr int kFileTypeBmp = 2;
inline constexpr int kFileTypeAvi = 18;
inline constexpr int kFileTypeUnknown = 20;
extern const char* const kFileTypes[kFileTypeCount]; // ".gif" ... ".wpg", ".avi", "*.*"

// Index 0–18 of the path's lower-cased extension, else 20.
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

enum class TNormalizeMode
{
    FinalSave,
    WorkingCopy,
};
void normalizeForWriting(TGIFImage& image, TNormalizeMode mode);
