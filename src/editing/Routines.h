#pragma once
// The shared image routines every editing path uses: the working image, file-type recognition,
// loading pictures into bitmaps, reading and writing GIF files (with the normalisation every
// written file gets), turning bitmaps into frames under the palette settings, the looping and
// frame helpers, the colour-use checks that guard palette edits, resource pictures, settings and
// small user-interface helpers.
//
// Everything here runs on the GUI thread and keeps no state: the working image, the documents,
// the frame strip and the prompts are the edit session's (EditSession.h), handed in by the caller.
// Routines that load, save or insert catch engine errors, show their own message and return a
// failure result.
#include "editing/EditSession.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFTypes.h"
#include "platform/MessageService.h"
#include "platform/UserTexts.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QLineEdit;
class QMenu;
class QScrollArea;
class QWidget;
class TBitmap;
class TCanvas;
class TGIFColorMap;
class TGIFImage;
class TGIFSubImage;
class TMemoryStream;
class TPicture;
class TResourceLibrary;

// ---- Shared text tables (the texts themselves are in platform/UserTexts.h) -----------------

// The name of a disposal code; the codes without a name (4-7, which do occur in files) show as
// their number.
QString disposalName(TGIFDisposal disposal);

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
int loadImageFileIntoBitmap(TEditSession& session, const QString& path, TBitmap& bitmap, int fileType, bool singlePicture);

// Asks a question unless "Settings"\name remembers a Yes (6) or No (7). A checked box stores
// the answer (not Cancel). Returns a TModalResult.
int askWithRememberedAnswer(const QString& message, const QString& checkCaption, const QString& name,
                            TMsgButtons buttons, TMsgType type);

// ---- Frames from bitmaps -------------------------------------------------------------------

// Makes a bitmap fit the working image: 0 when nothing had to be asked or the stored choice was
// applied, else the fit prompt's modal result (2 = cancel, the caller gives up).
int fitPictureToAnimation(TEditSession& session, TBitmap& bitmap);
// New frame from bitmap at position (appended from the last index on); the new index or -1.
int insertBitmapAsFrame(TEditSession& session, TGIFImage& image, TBitmap& bitmap, int position);
// The add-frame, paste and drop path on the working image; the new index or -1.
int addPictureAsFrame(TEditSession& session, TBitmap& bitmap, int position, const QString& caption);
// For automation: a frame at the main window's current frame with the given delay; index or -1.
int insertBitmapAtCurrentFrame(TEditSession& session, TBitmap& bitmap, int delay);

// The palette post-processing after a picture became a frame under PaletteType 0 or 1: each map
// sorted by use, then all merged into the global map.
void optimizeAllColorMaps(TGIFImage& image);

// Applies PaletteType, MaxColorCount and DitherMethod to the image's colour reduction; true when
// inserted frames must afterwards be mapped onto the global palette.
bool applyPaletteSettings(TGIFImage& image);

enum class TNormalizeMode
{
    FinalSave,
    WorkingCopy,
};
void normalizeForWriting(TGIFImage& image, TNormalizeMode mode);

// ---- Looping extension (frame 0) -----------------------------------------------------------

bool hasLoopExtension(TGIFImage& image);
// 1 = play once (no extension), 0 = forever, n = n times.
int getUserLoopCount(TGIFImage& image);
// The stored count for a user count (not for 1, which stores nothing).
int storedLoopCount(int userCount);
void addLoopExtension(TGIFImage& image, TGIFSubImage& frame, int userCount);
// True when an existing extension was changed.
bool setUserLoopCount(TGIFImage& image, int userCount);

// ---- Frame helpers -------------------------------------------------------------------------

void ensureFrameTiming(TGIFSubImage& frame, int delay);
void newFrameSetup(TGIFSubImage& frame, int userLoopCount, int delay);
// Delay of a frame of the image, or the "DefaultDelay" setting.
int frameDelayOrDefault(TGIFImage& image, int frameIndex);
int totalRunningTime(TGIFImage& image);
TColor cornerColor(TGIFSubImage& frame);
void addComment(TGIFSubImage& frame, const QString& text);
bool frameUsesColorIndex(TGIFImage& image, int frameIndex, int colorIndex);
// Whether the entry of map (the image's global map, or a frame's local one) may be removed.
bool colorEntryRemovable(TGIFImage& image, TGIFColorMap& map, int entryIndex, int frameIndex);
inline constexpr const char* kColorRequiredMessage =
    "This color is required by the image and cannot be removed.";

// ---- Resource library ----------------------------------------------------------------------

bool loadBitmapResource(const TResourceLibrary& library, const QString& name, TPicture& picture);
bool loadGIFResource(const TResourceLibrary& library, const QString& name, const QString& type,
                     TPicture& picture);

// ---- Settings ------------------------------------------------------------------------------

int regReadInteger(const QString& section, const QString& name, int defaultValue);
QString regReadString(const QString& section, const QString& name, const QString& defaultValue);
void regWriteInteger(const QString& section, const QString& name, int value);
void regWriteString(const QString& section, const QString& name, const QString& value);

// ---- User interface ------------------------------------------------------------------------

// The field's remembered value is its "tag" property (an int).
bool validateIntegerField(QLineEdit& field, bool fifteenBit);
bool isYes(const QString& text);
bool isNumber(const QString& text);
int findMenuEntry(const QMenu& menu, const QString& text);
void centerInScrollBox(QScrollArea& box, QWidget& control);
void suspendDrawing(QWidget& window, bool suspend);
QString nameWithoutExtension(const QString& path);
// tabPaths: the full path of every document tab in tab order.
int documentTabForFile(const QStringList& tabPaths, const QString& path);
int64_t kilobytes(int64_t bytes);
int centerTextLeft(const QRect& rect, const TCanvas& canvas, const QString& text);
int centerTextTop(const QRect& rect, const TCanvas& canvas, const QString& text);

// ---- Automation image transfer -------------------------------------------------------------
// A QByteArray stands in for the variant array of bytes (bounds 0 .. size - 1).

QByteArray streamToByteArray(TMemoryStream& stream);
std::unique_ptr<TMemoryStream> byteArrayToStream(const QByteArray& bytes);
// Reads a complete bitmap file; false when it does not read.
bool byteArrayToBitmap(const QByteArray& bytes, TBitmap& bitmap);

// ---- Hourglass cursor ----------------------------------------------------------------------

// Shows the wait cursor for its lifetime, on every path out of the scope.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
