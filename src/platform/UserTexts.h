#pragma once
// Texts the user sees that something outside this program relies on word for word: files we
// wrote earlier, automation clients and scripts that match a message or a caption, screen readers
// and users' macros that look for a label, and the shared name lists the inspector parses back.
//
// Several of them are misspelt or oddly put ON PURPOSE. They have shipped that way, and whatever
// matches them would stop matching if they were corrected. Do not fix, reword, retranslate or
// re-space anything here; a new text with the same meaning gets its own entry instead. Each odd
// spot is marked "kept:". tests/platform/UserTextsTest.cpp pins them.
//
// Placeholders are Qt's (%1, %2), filled with QString::arg. The engine's own messages stay in the
// engine; this table serves the layers above it, the open dialog's preview in widgets included.

// ---- Written into files and read back by other programs ----

// The window title; scripts and automation clients may look for the window by it.
inline constexpr char kApplicationTitle[] = "Brightwell GIF Reelwright 5.0";
// The comment extension new animations carry.
inline constexpr char kCreatedWithComment[] = "Created with Brightwell GIF Reelwright";

// ---- Name lists shown in lists and parsed back from typed text ----

// The disposal codes 0-3 by value, as the panels, the inspector and the global-change page show them.
inline constexpr const char* kDisposalNames[4] = {"None", "Remove", "Background", "Previous"};
// Index 0 false, 1 true.
inline constexpr const char* kBooleanNames[2] = {"No", "Yes"};

// ---- Command hints ("tooltip|status text") ----

// kept: "Undos"
inline constexpr char kUndoHint[] = "Undo|Undos the last action";
// kept: no bar, so the tooltip and the status text are both the run-together whole
inline constexpr char kMinimizeAllHint[] = "Minimize AllMinimizes all open windows";
// kept: "Shows or hide"
inline constexpr char kThumbViewHint[] = "Show/Hide Image Browser|Shows or hide Image Browser";
// kept: the space after the bar
inline constexpr char kHelpContentsHint[] = "Help| Displays Help Contents";

// ---- Labels and options ----

// kept: two spaces before the bracket
inline constexpr char kFloydSteinbergOption[] = "&FloydSteinberg  (high quality color mapping)";
// kept: "Syncronize"
inline constexpr char kSyncOpenDialogOption[] = "Syncronize open file dialog with &Explorer folder";
// kept: "Compresson"
inline constexpr char kCompressionQualityLabel[] = "&Compresson Quality";
// kept: "Optimze"
inline constexpr char kOptimizeAllPalettesOption[] = "&Optimze all palettes (global and local)";
// kept: "Optimzed"
inline constexpr char kOptimizedSizeCaption[] = "Optimzed Size:";
// kept: "select the from the list"
inline constexpr char kExportSingleIntro[] =
    "To export any or all the frames as individual image files simply "
    "select the from the list and choose the image format options, "
    "then press OK.";

// ---- Messages and status texts ----

// kept: "is could be"
inline constexpr char kDecodeFailedMessage[] = "Unable to decode %1. The file is could be corrupt.";
// kept: no "from"
inline constexpr char kRemoveFavoriteQuestion[] = "Do you want to remove %1 the Favorites list?";
// kept: "brower"
inline constexpr char kViewHtmlPageQuestion[] =
    "Would you like to view the HTML page in the default brower now?";
// kept: "thumbsnails"
inline constexpr char kThumbsOutOfMemoryMessage[] =
    "Out of Memory: Cannot load thumbsnails. Please free up some memory and try again.";
// kept: no comma; the folder follows
inline constexpr char kNoImagesFoundStatus[] = "Sorry no images found in ";
// kept: "Unabled"
inline constexpr char kPreviewLoadFailed[] = "Unabled to load image.";
// The palette dialog refuses to delete a colour the image still shows.
inline constexpr char kColorRequiredMessage[] = "This color is required by the image and cannot be removed.";
// The caption of an undo step nobody named; kept: "Unindentified"
inline constexpr char kUnidentifiedActionCaption[] = "Unindentified Action";
// Shown when the strip asks for a frame past the end; kept: the internal wording
inline constexpr char kFramePreviewIndexMessage[] = "EListError getting SubImages[%1] in DrawPreviewImage";
